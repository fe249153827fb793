#pragma once
// The class library's URL splitting for the Internet classes.
#include <windows.h>
#include <wininet.h>

#include <string>

// Service types reported by AfxParseURL.
constexpr DWORD AFX_INET_SERVICE_FTP = INTERNET_SERVICE_FTP;
constexpr DWORD AFX_INET_SERVICE_GOPHER = INTERNET_SERVICE_GOPHER;
constexpr DWORD AFX_INET_SERVICE_HTTP = INTERNET_SERVICE_HTTP;
constexpr DWORD AFX_INET_SERVICE_UNK = 0x1000;
constexpr DWORD AFX_INET_SERVICE_FILE = AFX_INET_SERVICE_UNK + 1;
constexpr DWORD AFX_INET_SERVICE_HTTPS = AFX_INET_SERVICE_UNK + 11;

// Splits url into its service type, server name, object (path with query, "/" when the
// URL names none) and port (the scheme's default when the URL gives none). Returns FALSE,
// with the service type AFX_INET_SERVICE_UNK and empty texts, for a null URL, one that
// doesn't parse, or one without a server name.
BOOL AfxParseURL(LPCWSTR url, DWORD& serviceType, std::wstring& server, std::wstring& object,
                 INTERNET_PORT& port);
