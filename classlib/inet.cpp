#include "classlib/inet.h"

namespace {

DWORD ServiceTypeOf(INTERNET_SCHEME scheme)
{
    switch (scheme) {
    case INTERNET_SCHEME_HTTP: return AFX_INET_SERVICE_HTTP;
    case INTERNET_SCHEME_HTTPS: return AFX_INET_SERVICE_HTTPS;
    case INTERNET_SCHEME_FTP: return AFX_INET_SERVICE_FTP;
    case INTERNET_SCHEME_GOPHER: return AFX_INET_SERVICE_GOPHER;
    case INTERNET_SCHEME_FILE: return AFX_INET_SERVICE_FILE;
    default: return AFX_INET_SERVICE_UNK;
    }
}

}  // namespace

BOOL AfxParseURL(LPCWSTR url, DWORD& serviceType, std::wstring& server, std::wstring& object,
                 INTERNET_PORT& port)
{
    serviceType = AFX_INET_SERVICE_UNK;
    server.clear();
    object.clear();
    port = 0;
    if (!url || !*url)
        return FALSE;

    // Null pointers with non-zero lengths ask for pointers into url itself, so no
    // buffer of ours can be too short.
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url, 0, 0, &parts))
        return FALSE;
    if (!parts.lpszScheme || parts.dwSchemeLength == 0 || !parts.lpszHostName ||
        parts.dwHostNameLength == 0)
        return FALSE;

    serviceType = ServiceTypeOf(parts.nScheme);
    server.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (parts.lpszUrlPath)
        object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo)
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty() || object[0] != L'/')
        object.insert(0, L"/");
    port = parts.nPort;
    return TRUE;
}
