#include "classlib/inet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ParsedUrl {
    BOOL ok;
    DWORD service;
    std::wstring server;
    std::wstring object;
    INTERNET_PORT port;
};

ParsedUrl Parse(LPCWSTR url)
{
    ParsedUrl parsed = {};
    parsed.ok = AfxParseURL(url, parsed.service, parsed.server, parsed.object, parsed.port);
    return parsed;
}

TEST(ParseUrl, SplitsServiceServerObjectWithQueryAndPort)
{
    ParsedUrl http = Parse(L"http://updates.example.com/latest/?os=win&v=2");
    ASSERT_TRUE(http.ok);
    EXPECT_EQ(http.service, AFX_INET_SERVICE_HTTP);
    EXPECT_EQ(http.server, L"updates.example.com");
    EXPECT_EQ(http.object, L"/latest/?os=win&v=2");
    EXPECT_EQ(http.port, 80);

    ParsedUrl https = Parse(L"https://stats.example.com:8443/upload");
    ASSERT_TRUE(https.ok);
    EXPECT_EQ(https.service, 4107u);
    EXPECT_EQ(https.server, L"stats.example.com");
    EXPECT_EQ(https.object, L"/upload");
    EXPECT_EQ(https.port, 8443);

    ParsedUrl bare = Parse(L"https://example.com");
    ASSERT_TRUE(bare.ok);
    EXPECT_EQ(bare.object, L"/");
    EXPECT_EQ(bare.port, 443);
}

TEST(ParseUrl, RejectsWhatIsNotAUrlWithEmptyResults)
{
    for (LPCWSTR bad : {static_cast<LPCWSTR>(nullptr), L"", L"not a url", L"http://", L"://x/"}) {
        ParsedUrl parsed = Parse(bad);
        EXPECT_FALSE(parsed.ok) << (bad ? bad : L"(null)");
        EXPECT_EQ(parsed.service, AFX_INET_SERVICE_UNK);
        EXPECT_EQ(parsed.server, L"");
        EXPECT_EQ(parsed.object, L"");
    }
}

}  // namespace
