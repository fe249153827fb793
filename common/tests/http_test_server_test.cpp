// The test server itself, as later tests rely on it: proxy-form targets, from a raw
// socket and from WinInet sent through the pre-configured proxy.
#include <winsock2.h>

#include "common/http_client.h"
#include "tests/support/http_test_server.h"
#include "tests/support/wininet_proxy.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::CannedReply;
using testsupport::HttpTestServer;
using testsupport::RecordedRequest;

namespace {

std::string Exchange(unsigned short port, const std::string& request)
{
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    std::string reply;
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        send(client, request.data(), static_cast<int>(request.size()), 0) ==
            static_cast<int>(request.size())) {
        char chunk[4096];
        int n;
        while ((n = recv(client, chunk, sizeof(chunk), 0)) > 0)
            reply.append(chunk, static_cast<size_t>(n));
    }
    closesocket(client);
    return reply;
}

TEST(HttpTestServer, RecordsAProxyFormRequestAndAnswersAsAsked)
{
    HttpTestServer server;
    ASSERT_NE(server.port(), 0);
    CannedReply reply;
    reply.status = 200;
    reply.body = "1.2.10.300\r\n";
    reply.extraHeaders = {"X-Served-By: test"};
    server.Queue(reply);

    const std::string answer = Exchange(server.port(),
        "POST http://updates.example.com/latest/ HTTP/1.1\r\nHost: updates.example.com\r\n"
        "Content-Length: 4\r\n\r\nabcd");
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_NE(answer.find("X-Served-By: test\r\n"), std::string::npos);
    EXPECT_EQ(answer.substr(answer.size() - 12), "1.2.10.300\r\n");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "http://updates.example.com/latest/");
    EXPECT_EQ(requests[0].Header("host"), "updates.example.com");
    EXPECT_EQ(requests[0].body, "abcd");
}

TEST(HttpTestServer, AnswersForAVendorHostThroughTheWinInetProxySetting)
{
    HttpTestServer server;
    ASSERT_NE(server.port(), 0);
    CannedReply reply;
    reply.body = "answered locally";
    server.Queue(reply);
    {
        testsupport::ScopedWinInetProxy proxy(server.port());
        CHttpClient client;
        ASSERT_TRUE(client.SendRequest(L"http://updates.example.com/latest/", nullptr, 0));
        DWORD length = 0;
        const BYTE* body = client.GetResponse(length);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(body), length), "answered locally");
    }
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target.find("http://updates.example.com"), 0u) << requests[0].target;
    EXPECT_NE(requests[0].target.find("/latest/"), std::string::npos);
}

TEST(HttpTestServer, SendsALargeGeneratedBodyWholeAndARedirectWithItsLocation)
{
    HttpTestServer server;
    ASSERT_NE(server.port(), 0);
    CannedReply large;
    large.body = "head:";
    large.generatedLength = 3 * 1024 * 1024 + 5;
    server.Queue(large);
    server.Queue(testsupport::RedirectTo("http://portal.example/login", 307));

    const std::string answer = Exchange(server.port(), "GET /big HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(answer.find("\r\nContent-Length: 3145738\r\n"), std::string::npos);
    const size_t headEnd = answer.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    EXPECT_TRUE(answer.compare(headEnd + 4, std::string::npos, "head:" + testsupport::GeneratedBody(3145733)) == 0);

    const std::string redirect =
        Exchange(server.port(), "POST /track/ HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(redirect.substr(0, 33), "HTTP/1.1 307 Temporary Redirect\r\n");
    EXPECT_NE(redirect.find("\r\nLocation: http://portal.example/login\r\n"), std::string::npos);
}

}  // namespace
