#pragma once
// One HTTP request at a time over WinInet, with the reply collected in memory up to a
// bound. Redirects are not followed: a 3xx is the answer, and a failed request.
#include <windows.h>
#include <wininet.h>

#include <stdexcept>
#include <string>

// Selects the request's content-type header (CHttpClient::GetContentTypeHeader).
enum HttpContentType : int {
    HttpContentTypeFormUrlEncoded = 0,
    HttpContentTypePdf = 1,
    HttpContentTypeFdf = 2,
    HttpContentTypeTimestampQuery = 3,
    HttpContentTypeXdp = 4,
    HttpContentTypeXfd = 5,
    HttpContentTypeXml = 6,
    HttpContentTypeJson = 7,
    HttpContentTypeMultipartFormData = 8,
    HttpContentTypeNone = 9,
};

// Thrown by the CHttpClient constructor when WinInet gives no session; what() is
// "Cannot initialize WinInet functions.". Callers treat it as a failed request.
class CHttpClientInitError : public std::runtime_error {
public:
    CHttpClientInitError() : std::runtime_error("Cannot initialize WinInet functions.") {}
};

class CHttpClient {
public:
    // The verb flag values.
    static constexpr int kVerbPost = 0;
    static constexpr int kVerbGetWithQuery = 1;  // any other non-zero value: GET, data as body

    CHttpClient();  // throws CHttpClientInitError
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    // The most reply bytes a request keeps unless the caller asks for more.
    static constexpr DWORD kDefaultMaxResponseLength = 64 * 1024;

    // Sends one request and reads the reply. True when the status is below 300 and the
    // body was read. A status from 300 to 499 (a redirect among them: it is not followed)
    // keeps its body and gives false; a status of 500 or more gives false without reading
    // the body. A body longer than m_maxResponseLength, or a request that outlasts
    // m_requestTimeLimit, gives false and an empty response. With verb flag 1 the data
    // (UTF-8) goes into the URL as "?data" and no body or content type is sent.
    bool SendRequest(LPCWSTR url, const void* data, DWORD dataLength, LPCWSTR userName = nullptr,
                     LPCWSTR password = nullptr);

    // The reply body of the last request, owned by the client until its next request;
    // null when it is empty. Not NUL-terminated.
    const BYTE* GetResponse(DWORD& length) const;

    // The header line of the content-type index, or empty text (index 9 or out of range).
    LPCWSTR GetContentTypeHeader() const;

    // HttpOpenRequestW flags for an AfxParseURL service type.
    static DWORD RequestFlagsFor(DWORD serviceType);

    // Set by the caller before SendRequest.
    int m_verbFlag;
    int m_contentType;  // HttpContentType
    // Milliseconds; applied only when all three are non-zero.
    DWORD m_connectTimeout;
    DWORD m_sendTimeout;
    DWORD m_receiveTimeout;
    // Further header line(s) without a trailing CR LF; empty for none.
    std::wstring m_extraHeader;
    // The most bytes of a reply body kept; a longer body fails the request unread.
    DWORD m_maxResponseLength;
    // Milliseconds for the whole request, 0 for no bound. It is checked once the reply's
    // head has come and between reads of its body, so a head that trickles in is bounded
    // only by the receive time-out of each of its reads: a caller that must not be held
    // longer whatever the server does sends from another thread (update_check.cpp).
    DWORD m_requestTimeLimit;

    // Result: the last request ended with WinInet's time-out error.
    bool m_timedOut;

private:
    bool ReadBody(HINTERNET request, ULONGLONG deadline);
    bool ReserveResponse(DWORD needed);
    bool DropResponse();  // empties the response; false
    void ApplyTimeouts(HINTERNET handle);

    HINTERNET m_session;
    DWORD m_responseCapacity;
    BYTE* m_response;
    DWORD m_responseLength;
};
