// Winsock 2 must come before windows.h, which the server header includes.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/http_test_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

namespace testsupport {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return text;
}

const char* ReasonOf(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool SendAll(SOCKET socket, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(data.size() - sent, 64 * 1024));
        const int n = send(socket, data.data() + sent, chunk, 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The generated body repeats these 16 bytes.
constexpr char kGeneratedPattern[] = "0123456789abcdef";
constexpr size_t kGeneratedPeriod = sizeof(kGeneratedPattern) - 1;
constexpr size_t kGeneratedBlock = 256 * 1024;

bool SendGenerated(SOCKET socket, unsigned long long length)
{
    // One block and a period more, so a block may start anywhere within the pattern.
    static const std::string pattern = GeneratedBody(kGeneratedBlock + kGeneratedPeriod);
    size_t offset = 0;
    while (length > 0) {
        const int chunk = static_cast<int>(std::min<unsigned long long>(length, kGeneratedBlock));
        const int n = send(socket, pattern.data() + offset, chunk, 0);
        if (n <= 0)
            return false;
        length -= static_cast<unsigned long long>(n);
        offset = (offset + static_cast<size_t>(n)) % kGeneratedPeriod;
    }
    return true;
}

// Waits for the socket to become readable, giving up when stop is signalled.
bool WaitReadable(SOCKET socket, HANDLE stop)
{
    while (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait = {0, 50 * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready < 0)
            return false;
        if (ready > 0)
            return true;
    }
    return false;
}

void ParseHead(const std::string& head, RecordedRequest& request)
{
    const size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const size_t firstSpace = line.find(' ');
    const size_t lastSpace = line.rfind(' ');
    if (firstSpace != std::string::npos && lastSpace > firstSpace) {
        request.method = line.substr(0, firstSpace);
        request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
        request.version = line.substr(lastSpace + 1);
    }
    request.headerText = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
    size_t start = 0;
    const std::string& text = request.headerText;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string header = text.substr(start, end - start);
        const size_t colon = header.find(':');
        if (colon != std::string::npos) {
            size_t valueStart = colon + 1;
            while (valueStart < header.size() && header[valueStart] == ' ')
                ++valueStart;
            request.headers.emplace_back(header.substr(0, colon), header.substr(valueStart));
        }
        start = end + 2;
    }
}

}  // namespace

std::string GeneratedBody(size_t length)
{
    std::string body(length, '\0');
    for (size_t i = 0; i < length; ++i)
        body[i] = kGeneratedPattern[i % kGeneratedPeriod];
    return body;
}

CannedReply RedirectTo(const std::string& location, int status)
{
    CannedReply reply;
    reply.status = status;
    reply.body = "moved";
    reply.extraHeaders = {"Location: " + location};
    return reply;
}

std::string RecordedRequest::Header(const std::string& name) const
{
    const std::string wanted = Lower(name);
    for (const auto& header : headers)
        if (Lower(header.first) == wanted)
            return header.second;
    return std::string();
}

bool RecordedRequest::HasHeader(const std::string& name) const
{
    const std::string wanted = Lower(name);
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return Lower(header.first) == wanted; });
}

HttpTestServer::HttpTestServer() : m_listener(INVALID_SOCKET), m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    WSADATA wsa;
    m_winsockStarted = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    if (!m_winsockStarted)
        return;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return;
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer()
{
    SetEvent(m_stop);
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != INVALID_SOCKET)
        closesocket(m_listener);
    if (m_winsockStarted)
        WSACleanup();
    CloseHandle(m_stop);
}

std::wstring HttpTestServer::Url(const std::wstring& path) const
{
    return L"http://127.0.0.1:" + std::to_wstring(m_port) + path;
}

void HttpTestServer::SetDefaultReply(const CannedReply& reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_defaultReply = reply;
}

void HttpTestServer::Queue(const CannedReply& reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queued.push_back(reply);
}

std::vector<RecordedRequest> HttpTestServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool HttpTestServer::WaitForRequests(size_t count, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_recorded.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return m_requests.size() >= count; });
}

CannedReply HttpTestServer::NextReply()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queued.empty())
        return m_defaultReply;
    CannedReply reply = m_queued.front();
    m_queued.pop_front();
    return reply;
}

void HttpTestServer::Record(RecordedRequest request)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(std::move(request));
    }
    m_recorded.notify_all();
}

void HttpTestServer::Serve()
{
    const SOCKET listener = static_cast<SOCKET>(m_listener);
    while (WaitReadable(listener, m_stop)) {
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        // Each connection on a thread of its own, so a delayed reply holds up no other.
        m_connections.emplace_back([this, client] {
            Handle(client);
            closesocket(client);
        });
    }
    for (std::thread& connection : m_connections)
        connection.join();
}

// One request per connection: the reply says "Connection: close".
void HttpTestServer::Handle(uintptr_t clientHandle)
{
    const SOCKET client = static_cast<SOCKET>(clientHandle);
    RecordedRequest request;
    std::string received;
    char chunk[16 * 1024];
    size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        if (!WaitReadable(client, m_stop))
            return;
        const int n = recv(client, chunk, sizeof(chunk), 0);
        if (n <= 0)
            return;
        received.append(chunk, static_cast<size_t>(n));
        if (!isalpha(static_cast<unsigned char>(received[0]))) {
            // Not HTTP (a TLS client hello, say): keep what came and hang up.
            request.rawStart = received;
            Record(std::move(request));
            return;
        }
        headEnd = received.find("\r\n\r\n");
    }
    ParseHead(received.substr(0, headEnd + 2), request);
    request.body = received.substr(headEnd + 4);
    const size_t expected = strtoul(request.Header("Content-Length").c_str(), nullptr, 10);
    while (request.body.size() < expected) {
        if (!WaitReadable(client, m_stop))
            return;
        const int n = recv(client, chunk, sizeof(chunk), 0);
        if (n <= 0)
            break;
        request.body.append(chunk, static_cast<size_t>(n));
    }
    Record(std::move(request));

    const CannedReply reply = NextReply();
    if (reply.delayMs && WaitForSingleObject(m_stop, reply.delayMs) == WAIT_OBJECT_0)
        return;
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonOf(reply.status) + "\r\n";
    head += "Connection: close\r\n";
    if (reply.status != 204 && reply.status != 304)
        head += "Content-Length: " + std::to_string(reply.body.size() + reply.generatedLength) + "\r\n";
    for (const std::string& line : reply.extraHeaders)
        head += line + "\r\n";
    head += "\r\n";
    // One byte at a time, each after its wait, when the reply trickles; false once stopped.
    auto send = [&](const std::string& data) {
        if (!reply.byteDelayMs)
            return SendAll(client, data);
        for (const char byte : data) {
            if (WaitForSingleObject(m_stop, reply.byteDelayMs) == WAIT_OBJECT_0 ||
                !SendAll(client, std::string(1, byte)))
                return false;
        }
        return true;
    };
    if (!send(head) || reply.status == 204 || reply.status == 304)
        return;
    if (reply.bodyDelayMs && WaitForSingleObject(m_stop, reply.bodyDelayMs) == WAIT_OBJECT_0)
        return;
    if (send(reply.body) && reply.generatedLength)
        SendGenerated(client, reply.generatedLength);
    shutdown(client, SD_SEND);
}

}  // namespace testsupport
