#pragma once
// A small HTTP/1.1 server for tests: runs on a thread of the test process, listens on
// 127.0.0.1 on a free port, records every request and answers each with the reply the
// test asked for. It takes origin-form ("GET /path") and proxy-form
// ("POST http://host/latest/") request targets alike, so it can also stand in as the
// proxy that WinInet is pointed at.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct RecordedRequest {
    std::string method;   // empty when the connection did not start with an HTTP request line
    std::string target;   // as sent: "/path?query" or "http://host/path"
    std::string version;  // "HTTP/1.1"
    std::string headerText;  // the header lines as received, each ending in CR LF
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string rawStart;  // the first bytes received when they were not HTTP (a TLS hello)

    // Value of the first header with this name (case-insensitive); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

struct CannedReply {
    int status = 200;
    std::string body;
    std::vector<std::string> extraHeaders;  // whole lines without CR LF
    DWORD delayMs = 0;                      // wait before the status line
    DWORD bodyDelayMs = 0;                  // wait between the header and the body
    DWORD byteDelayMs = 0;                  // wait before each byte: a reply that trickles
    // A large reply sent fast: after body, this many bytes of GeneratedBody, made while
    // sending (never held whole) and sent in large blocks.
    unsigned long long generatedLength = 0;
};

// The first `length` bytes of the pattern that CannedReply::generatedLength sends.
std::string GeneratedBody(size_t length);

// A redirect (301, 302, 303, 307 or 308) to location, another host's address say.
CannedReply RedirectTo(const std::string& location, int status = 302);

class HttpTestServer {
public:
    HttpTestServer();  // listening when constructed; port() is 0 when that failed
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    unsigned short port() const { return m_port; }
    // "http://127.0.0.1:<port><path>"
    std::wstring Url(const std::wstring& path = L"/") const;

    // The reply for every request not covered by Queue(); 200 with an empty body at first.
    void SetDefaultReply(const CannedReply& reply);
    // Replies used once each, in order, before the default.
    void Queue(const CannedReply& reply);

    std::vector<RecordedRequest> Requests() const;
    // Waits until at least `count` requests were recorded; false on time-out.
    bool WaitForRequests(size_t count, DWORD timeoutMs) const;

private:
    void Serve();
    void Handle(uintptr_t client);
    CannedReply NextReply();
    void Record(RecordedRequest request);

    uintptr_t m_listener;
    unsigned short m_port = 0;
    HANDLE m_stop;
    std::thread m_thread;
    std::vector<std::thread> m_connections;  // used by the server thread only
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_recorded;
    std::vector<RecordedRequest> m_requests;
    std::deque<CannedReply> m_queued;
    CannedReply m_defaultReply;
    bool m_winsockStarted = false;
};

}  // namespace testsupport
