#include "common/http_client.h"

#include <winerror.h>

#include "classlib/inet.h"
#include "common/text_conversion.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

const wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0;Windows NT 5.1)";

const wchar_t* const kContentTypeHeaders[] = {
    L"Content-Type: application/x-www-form-urlencoded",
    L"Content-Type: application/pdf",
    L"Content-Type: application/vnd.fdf",
    L"Content-Type: application/timestamp-query",
    L"Content-Type: application/xdp",
    L"Content-Type: application/xfd",
    L"Content-Type: application/xml",
    L"Content-Type: application/json",
    L"Content-Type: multipart/form-data",
    L"",
};

constexpr size_t kHeaderBufferUnits = 1024;

// The first block of the response buffer; it then doubles as the reply needs.
constexpr DWORD kFirstResponseBlock = 4096;

// A redirect is not followed: WinInet would turn a POST into a GET without its body,
// possibly to another host, and take that host's answer (a captive portal's login page)
// for the reply.
constexpr DWORD kPlainRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                                     INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr DWORD kSecureRequestFlags = kPlainRequestFlags | INTERNET_FLAG_SECURE |
                                      INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                      INTERNET_FLAG_IGNORE_CERT_CN_INVALID;

// Closes a WinInet handle on every way out.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
    ~InternetHandle() { Close(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    void Reset(HINTERNET handle)
    {
        Close();
        m_handle = handle;
    }
    void Close()
    {
        if (m_handle)
            InternetCloseHandle(m_handle);
        m_handle = nullptr;
    }
    HINTERNET get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HINTERNET m_handle;
};

// Shows the wait cursor for the length of a request.
class WaitCursor {
public:
    WaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
    ~WaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
};

// The content-type line, then CR LF and the extra header when the whole text with its
// NUL fits the buffer; otherwise the extra header is left out. Returns the text length.
size_t BuildRequestHeaders(wchar_t (&buffer)[kHeaderBufferUnits], const wchar_t* contentType,
                           const std::wstring& extra)
{
    const size_t contentLength = wcslen(contentType);
    wmemcpy(buffer, contentType, contentLength);
    size_t length = contentLength;
    const size_t separator = contentLength ? 2 : 0;
    if (!extra.empty() && contentLength + separator + extra.size() + 1 <= kHeaderBufferUnits) {
        if (separator) {
            buffer[length++] = L'\r';
            buffer[length++] = L'\n';
        }
        wmemcpy(buffer + length, extra.data(), extra.size());
        length += extra.size();
    }
    buffer[length] = L'\0';
    return length;
}

// WinInet's own time-out error, or the socket time-out that some WinInet versions (Wine's)
// pass through unchanged when a read times out.
bool IsTimeOutError(DWORD error)
{
    return error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT;
}

// 0 for no deadline.
ULONGLONG DeadlineAfter(DWORD limitMs)
{
    return limitMs ? GetTickCount64() + limitMs : 0;
}

// Past the deadline, with WinInet's time-out error as the thread's last error.
bool IsPast(ULONGLONG deadline)
{
    if (!deadline || GetTickCount64() < deadline)
        return false;
    SetLastError(ERROR_INTERNET_TIMEOUT);
    return true;
}

}  // namespace

CHttpClient::CHttpClient()
    : m_verbFlag(0), m_contentType(HttpContentTypeFormUrlEncoded), m_connectTimeout(0),
      m_sendTimeout(0), m_receiveTimeout(0), m_maxResponseLength(kDefaultMaxResponseLength),
      m_requestTimeLimit(0), m_timedOut(false), m_session(nullptr),
      m_responseCapacity(0), m_response(nullptr), m_responseLength(0)
{
    m_session = InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!m_session)
        throw CHttpClientInitError();
}

CHttpClient::~CHttpClient()
{
    free(m_response);
    m_response = nullptr;
    m_responseLength = 0;
    m_responseCapacity = 0;
    InternetCloseHandle(m_session);
}

LPCWSTR CHttpClient::GetContentTypeHeader() const
{
    if (m_contentType < 0 || m_contentType > HttpContentTypeNone)
        return L"";
    return kContentTypeHeaders[m_contentType];
}

DWORD CHttpClient::RequestFlagsFor(DWORD serviceType)
{
    return serviceType == AFX_INET_SERVICE_HTTPS ? kSecureRequestFlags : kPlainRequestFlags;
}

const BYTE* CHttpClient::GetResponse(DWORD& length) const
{
    length = m_responseLength;
    return m_responseLength ? m_response : nullptr;
}

void CHttpClient::ApplyTimeouts(HINTERNET handle)
{
    if (!m_connectTimeout || !m_sendTimeout || !m_receiveTimeout)
        return;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &m_connectTimeout, sizeof(DWORD));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &m_sendTimeout, sizeof(DWORD));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &m_receiveTimeout, sizeof(DWORD));
}

// Grows the buffer geometrically, never past the bound (needed is within it), so a long
// reply costs linear time; the new bytes are zeroed.
bool CHttpClient::ReserveResponse(DWORD needed)
{
    if (needed <= m_responseCapacity)
        return true;
    const ULONGLONG doubled = m_responseCapacity ? 2ull * m_responseCapacity : kFirstResponseBlock;
    const DWORD capacity =
        static_cast<DWORD>(std::max<ULONGLONG>(needed, std::min<ULONGLONG>(doubled, m_maxResponseLength)));
    BYTE* grown = static_cast<BYTE*>(realloc(m_response, capacity));
    if (!grown)
        return false;
    memset(grown + m_responseCapacity, 0, capacity - m_responseCapacity);
    m_response = grown;
    m_responseCapacity = capacity;
    return true;
}

// Reads the body to its end. False, and nothing kept, when it is longer than the bound
// (the rest is not read) or the deadline passes; false, keeping what came, when the
// availability query or the buffer fails.
bool CHttpClient::ReadBody(HINTERNET request, ULONGLONG deadline)
{
    for (;;) {
        if (IsPast(deadline))
            return DropResponse();
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            return false;
        if (available > m_maxResponseLength - m_responseLength)
            return DropResponse();
        if (!ReserveResponse(m_responseLength + available))
            return false;
        DWORD read = 0;
        const BOOL ok = InternetReadFile(request, m_response + m_responseLength, available, &read);
        if (ok)
            m_responseLength += read;
        if (!ok || read == 0)
            return true;
    }
}

bool CHttpClient::DropResponse()
{
    m_responseLength = 0;
    return false;
}

bool CHttpClient::SendRequest(LPCWSTR url, const void* data, DWORD dataLength, LPCWSTR userName,
                              LPCWSTR password)
{
    m_timedOut = false;
    const ULONGLONG deadline = DeadlineAfter(m_requestTimeLimit);
    WaitCursor waitCursor;
    if (m_response)
        memset(m_response, 0, m_responseCapacity);
    m_responseLength = 0;

    bool result = false;
    InternetHandle connection;
    InternetHandle request;
    // Each way out of the request leaves this lambda; the flag and the handles are dealt
    // with below, in every case.
    [&] {
        const wchar_t* verb = m_verbFlag ? L"GET" : L"POST";
        DWORD serviceType = 0;
        std::wstring server;
        std::wstring object;
        INTERNET_PORT port = 0;
        if (!AfxParseURL(url, serviceType, server, object, port))
            return;

        wchar_t headers[kHeaderBufferUnits];
        const void* body = nullptr;
        DWORD bodyLength = 0;
        const wchar_t* contentType = L"";
        if (m_verbFlag == kVerbGetWithQuery) {
            if (dataLength != 0 && data) {
                CUtf8ToWide query(static_cast<const char*>(data),
                                  dataLength > INT_MAX ? -1 : static_cast<int>(dataLength));
                if (!query.c_str())
                    return;
                object += L'?';
                object += query.c_str();
            }
        } else {
            contentType = GetContentTypeHeader();
            body = dataLength ? data : nullptr;
            bodyLength = body ? dataLength : 0;
        }
        const size_t headersLength = BuildRequestHeaders(headers, contentType, m_extraHeader);

        // A handle takes its time-outs from its parent when it is opened, and some WinInet
        // versions keep only the connect time-out on the session: so they go on the session
        // before the connection opens and again on the request itself.
        ApplyTimeouts(m_session);
        connection.Reset(InternetConnectW(m_session, server.c_str(), port, userName, password,
                                          INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection)
            return;
        const wchar_t* acceptTypes[] = {L"*/*", nullptr};
        request.Reset(HttpOpenRequestW(connection.get(), verb, object.c_str(), nullptr, nullptr,
                                       acceptTypes, RequestFlagsFor(serviceType), 0));
        if (!request)
            return;
        ApplyTimeouts(request.get());
        if (!HttpSendRequestW(request.get(), headersLength ? headers : nullptr,
                              static_cast<DWORD>(headersLength), const_cast<void*>(body),
                              bodyLength))
            return;

        DWORD status = 0;
        DWORD statusSize = sizeof(status);
        if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                            &statusSize, nullptr) ||
            status >= 500)
            return;
        if (!ReadBody(request.get(), deadline))
            return;
        result = status < 300;
    }();

    if (!result && IsTimeOutError(GetLastError()))
        m_timedOut = true;
    // The request before its connection: closing a connection also ends the handles
    // opened under it, and a stale handle value might meanwhile belong to another thread.
    request.Close();
    connection.Close();
    return result;
}
