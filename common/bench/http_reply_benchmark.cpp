// Times CHttpClient on large replies that a local server sends as fast as it can (8, 32
// and 96 MiB, with the bound raised to the reply's size), against a bare WinInet loop
// reading the same replies into a buffer allocated beforehand; then the same 96 MiB
// under the default bound of 64 KiB, which fails.
#include "common/http_client.h"
#include "tests/support/http_test_server.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::CannedReply;
using testsupport::HttpTestServer;

constexpr DWORD kMiB = 1024 * 1024;

void QueueReplyOf(HttpTestServer& server, DWORD length)
{
    CannedReply reply;
    reply.generatedLength = length;
    server.Queue(reply);
}

// The bare loop: one POST, then InternetReadFile in 64 KiB reads into the buffer. The
// bytes read, or 0 on failure.
DWORD BareRead(const std::wstring& server, INTERNET_PORT port, std::vector<BYTE>& buffer)
{
    DWORD total = 0;
    HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        session ? InternetConnectW(session, server.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                : nullptr;
    HINTERNET request = connection ? HttpOpenRequestW(connection, L"POST", L"/", nullptr, nullptr, nullptr,
                                                      INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                   : nullptr;
    if (request && HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
        DWORD read = 0;
        while (total < buffer.size() &&
               InternetReadFile(request, buffer.data() + total,
                                std::min<DWORD>(64 * 1024, static_cast<DWORD>(buffer.size()) - total), &read) &&
               read > 0)
            total += read;
    }
    for (HINTERNET handle : {request, connection, session})
        if (handle)
            InternetCloseHandle(handle);
    return total;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main()
{
    HttpTestServer server;
    if (!server.port()) {
        fprintf(stderr, "no test server\n");
        return 1;
    }
    const std::wstring url = server.Url(L"/");
    printf("reply      CHttpClient   bare WinInet loop\n");
    for (const DWORD mebibytes : {8u, 32u, 96u}) {
        const DWORD length = mebibytes * kMiB;
        QueueReplyOf(server, length);
        CHttpClient client;
        client.m_maxResponseLength = length;
        auto start = Clock::now();
        const bool read = client.SendRequest(url.c_str(), nullptr, 0);
        const double clientSeconds = Seconds(start);
        DWORD kept = 0;
        client.GetResponse(kept);

        std::vector<BYTE> buffer(length);
        QueueReplyOf(server, length);
        start = Clock::now();
        const DWORD bareRead = BareRead(L"127.0.0.1", server.port(), buffer);
        const double bareSeconds = Seconds(start);
        printf("%3lu MiB    %7.2f s%s   %7.2f s%s\n", static_cast<unsigned long>(mebibytes), clientSeconds,
               read && kept == length ? "" : " (failed)", bareSeconds, bareRead == length ? "" : " (short)");
    }

    QueueReplyOf(server, 96 * kMiB);
    CHttpClient bounded;
    const auto start = Clock::now();
    const bool read = bounded.SendRequest(url.c_str(), nullptr, 0);
    printf("96 MiB under the default bound of %lu KiB: %s after %.2f s (WinInet reads the rest when the\n"
           "request closes)\n",
           static_cast<unsigned long>(CHttpClient::kDefaultMaxResponseLength / 1024), read ? "read" : "failed",
           Seconds(start));
    return 0;
}
