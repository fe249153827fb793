#include "common/http_client.h"

#include "classlib/inet.h"
#include "tests/support/http_test_server.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::CannedReply;
using testsupport::HttpTestServer;
using testsupport::RecordedRequest;

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server.port(), 0); }

    CannedReply Reply(int status, std::string body = std::string(), DWORD delayMs = 0)
    {
        CannedReply reply;
        reply.status = status;
        reply.body = std::move(body);
        reply.delayMs = delayMs;
        return reply;
    }

    bool Post(const std::wstring& path, const std::string& data = std::string())
    {
        return client.SendRequest(server.Url(path).c_str(), data.data(),
                                  static_cast<DWORD>(data.size()));
    }

    std::string Response()
    {
        DWORD length = 0;
        const BYTE* bytes = client.GetResponse(length);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
    }

    RecordedRequest OnlyRequest()
    {
        const auto requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? RecordedRequest() : requests.front();
    }

    HttpTestServer server;
    CHttpClient client;
};

TEST_F(HttpClientTest, PostsTheBodyAndReadsAReplyOfSeveralMegabytesWhole)
{
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + (i * 7) % 26);
    server.Queue(Reply(200, big));
    client.m_maxResponseLength = static_cast<DWORD>(big.size());

    ASSERT_TRUE(Post(L"/upload/?from=test", "{\"data\": []}"));
    EXPECT_EQ(Response(), big);

    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/upload/?from=test");
    EXPECT_EQ(request.body, "{\"data\": []}");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0;Windows NT 5.1)");
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST_F(HttpClientTest, AReplyIsKeptUpToItsBoundAndALongerOneFailsKeepingNothing)
{
    const DWORD bound = CHttpClient::kDefaultMaxResponseLength;
    CannedReply whole = Reply(200);
    whole.generatedLength = bound;
    server.Queue(whole);
    ASSERT_TRUE(Post(L"/"));
    EXPECT_EQ(Response(), testsupport::GeneratedBody(bound));

    CannedReply longer = Reply(200);
    longer.generatedLength = bound + 1;
    server.Queue(longer);
    EXPECT_FALSE(Post(L"/"));
    EXPECT_EQ(Response(), "");
    EXPECT_FALSE(client.m_timedOut);
}

TEST_F(HttpClientTest, ARedirectIsTheAnswerAndAFailureWhateverItsKind)
{
    HttpTestServer otherHost;
    const std::string elsewhere = "http://127.0.0.1:" + std::to_string(otherHost.port()) + "/login";
    for (const int status : {301, 302, 303, 307, 308}) {
        SCOPED_TRACE(status);
        server.Queue(testsupport::RedirectTo(elsewhere, status));
        EXPECT_FALSE(Post(L"/track/", "{}"));
        EXPECT_EQ(Response(), "moved");
    }
    EXPECT_EQ(server.Requests().size(), 5u);
    EXPECT_TRUE(otherHost.Requests().empty());
}

TEST_F(HttpClientTest, NoContentSucceedsWithAnEmptyResponseReplacingTheLastOne)
{
    server.Queue(Reply(200, "first reply"));
    server.Queue(Reply(204));
    ASSERT_TRUE(Post(L"/"));
    ASSERT_EQ(Response(), "first reply");

    EXPECT_TRUE(Post(L"/"));
    DWORD length = 99;
    EXPECT_EQ(client.GetResponse(length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST_F(HttpClientTest, ClientErrorFailsButKeepsTheBody)
{
    server.Queue(Reply(404, "no such page"));
    EXPECT_FALSE(Post(L"/missing"));
    EXPECT_EQ(Response(), "no such page");
    EXPECT_FALSE(client.m_timedOut);
}

TEST_F(HttpClientTest, ServerErrorFailsWithoutReadingTheBody)
{
    server.Queue(Reply(503, "try later"));
    EXPECT_FALSE(Post(L"/"));
    DWORD length = 99;
    EXPECT_EQ(client.GetResponse(length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST_F(HttpClientTest, JsonContentTypeIsFollowedByTheExtraHeader)
{
    client.m_contentType = HttpContentTypeJson;
    client.m_extraHeader = L"X-Agent: probe/1.0";
    ASSERT_TRUE(Post(L"/", "{}"));
    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.Header("Content-Type"), "application/json");
    EXPECT_NE(request.headerText.find("Content-Type: application/json\r\nX-Agent: probe/1.0\r\n"),
              std::string::npos)
        << request.headerText;
    EXPECT_EQ(request.headerText.find("\r\n\r\n"), std::string::npos) << request.headerText;
}

TEST_F(HttpClientTest, NoContentTypeSendsTheExtraHeaderAloneOrNothing)
{
    client.m_contentType = HttpContentTypeNone;
    client.m_extraHeader = L"X-Agent: probe/1.0";
    ASSERT_TRUE(Post(L"/", "body"));
    client.m_extraHeader.clear();
    ASSERT_TRUE(Post(L"/", "body"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[0].HasHeader("Content-Type"));
    EXPECT_EQ(requests[0].Header("X-Agent"), "probe/1.0");
    EXPECT_EQ(requests[0].body, "body");
    EXPECT_FALSE(requests[1].HasHeader("Content-Type"));
    EXPECT_FALSE(requests[1].HasHeader("X-Agent"));
}

TEST_F(HttpClientTest, ExtraHeaderThatDoesNotFitIsLeftOut)
{
    // With the JSON line (30 units) and CR LF, 991 units of extra header fill the
    // 1024-unit buffer exactly, terminator included; one more does not fit.
    const std::wstring prefix = L"X-Long: ";
    client.m_contentType = HttpContentTypeJson;
    client.m_extraHeader = prefix + std::wstring(991 - prefix.size(), L'v');
    ASSERT_TRUE(Post(L"/"));
    client.m_extraHeader = prefix + std::wstring(992 - prefix.size(), L'w');
    ASSERT_TRUE(Post(L"/"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("X-Long").size(), 991 - prefix.size());
    EXPECT_EQ(requests[1].Header("Content-Type"), "application/json");
    EXPECT_FALSE(requests[1].HasHeader("X-Long"));
}

TEST_F(HttpClientTest, VerbFlagOneSendsTheDataAsQueryOfAGet)
{
    client.m_verbFlag = CHttpClient::kVerbGetWithQuery;
    client.m_extraHeader = L"X-Agent: probe/1.0";
    server.Queue(Reply(200, "found"));
    ASSERT_TRUE(Post(L"/search", "id=42&os=win"));
    EXPECT_EQ(Response(), "found");

    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/search?id=42&os=win");
    EXPECT_EQ(request.body, "");
    EXPECT_FALSE(request.HasHeader("Content-Type"));
    EXPECT_EQ(request.Header("X-Agent"), "probe/1.0");
}

TEST_F(HttpClientTest, TimeOutFailsAndSetsTheTimedOutFlag)
{
    client.m_connectTimeout = 1000;
    client.m_sendTimeout = 1000;
    client.m_receiveTimeout = 1000;
    CannedReply stalled = Reply(200, "too late");
    stalled.bodyDelayMs = 10000;
    server.Queue(stalled);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Post(L"/slow-body"));
    EXPECT_TRUE(client.m_timedOut);
    EXPECT_LT(GetTickCount() - start, 8000u);

    server.Queue(Reply(200, "in time"));
    EXPECT_TRUE(Post(L"/"));
    EXPECT_FALSE(client.m_timedOut);
}

TEST_F(HttpClientTest, TheWholeRequestIsBoundedBetweenReadsOfABodyThatTrickles)
{
    client.m_connectTimeout = 1000;
    client.m_sendTimeout = 1000;
    client.m_receiveTimeout = 1000;
    client.m_requestTimeLimit = 3000;
    CannedReply trickle = Reply(200, std::string(2000, 't'));  // 40 s, each byte well in time
    trickle.byteDelayMs = 20;
    server.Queue(trickle);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Post(L"/trickle"));
    EXPECT_TRUE(client.m_timedOut);
    EXPECT_EQ(Response(), "");
    EXPECT_LT(GetTickCount() - start, 10000u);
}

TEST_F(HttpClientTest, TimeOutsAlsoCutAWaitForTheStatusLine)
{
    client.m_connectTimeout = 1000;
    client.m_sendTimeout = 1000;
    client.m_receiveTimeout = 1000;
    server.Queue(Reply(200, "too late", 10000));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Post(L"/slow-head"));
    EXPECT_LT(GetTickCount() - start, 8000u);
}

TEST_F(HttpClientTest, RefusedConnectionFailsWithoutTimingOut)
{
    std::wstring url;
    {
        HttpTestServer closed;
        url = closed.Url(L"/");
    }
    EXPECT_FALSE(client.SendRequest(url.c_str(), "x", 1));
    EXPECT_FALSE(client.m_timedOut);
    DWORD length = 99;
    EXPECT_EQ(client.GetResponse(length), nullptr);
}

TEST_F(HttpClientTest, UrlThatDoesNotParseFailsWithoutARequest)
{
    server.Queue(Reply(200, "kept"));
    ASSERT_TRUE(Post(L"/"));
    EXPECT_FALSE(client.SendRequest(L"not a url", nullptr, 0));
    EXPECT_FALSE(client.SendRequest(nullptr, nullptr, 0));
    DWORD length = 99;
    EXPECT_EQ(client.GetResponse(length), nullptr);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpClientTest, HttpsUrlAsksForASecureConnection)
{
    // Both with INTERNET_FLAG_NO_AUTO_REDIRECT (0x00200000).
    EXPECT_EQ(CHttpClient::RequestFlagsFor(AFX_INET_SERVICE_HTTPS), 0x04E03100u);
    EXPECT_EQ(CHttpClient::RequestFlagsFor(AFX_INET_SERVICE_HTTP), 0x04600100u);

    // The plain server sees a TLS handshake record instead of a request line.
    const std::wstring url = L"https://127.0.0.1:" + std::to_wstring(server.port()) + L"/";
    EXPECT_FALSE(client.SendRequest(url.c_str(), nullptr, 0));
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    const RecordedRequest hello = server.Requests().front();
    EXPECT_EQ(hello.method, "");
    ASSERT_FALSE(hello.rawStart.empty());
    EXPECT_EQ(static_cast<unsigned char>(hello.rawStart[0]), 0x16);  // TLS handshake
}

TEST(HttpContentTypeHeader, GivesTheLineOfTheIndexAndNothingOutsideTheTable)
{
    CHttpClient client;
    EXPECT_STREQ(client.GetContentTypeHeader(), L"Content-Type: application/x-www-form-urlencoded");
    client.m_contentType = HttpContentTypeJson;
    EXPECT_STREQ(client.GetContentTypeHeader(), L"Content-Type: application/json");
    client.m_contentType = HttpContentTypeNone;
    EXPECT_STREQ(client.GetContentTypeHeader(), L"");
    client.m_contentType = 42;
    EXPECT_STREQ(client.GetContentTypeHeader(), L"");
}

}  // namespace
