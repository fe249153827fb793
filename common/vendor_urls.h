#pragma once
// The vendor's web addresses. Every host name the products talk to or show lives here.

// Answers a POST without body with the number of the latest version as plain text.
constexpr wchar_t kUpdateEndpointUrl[] = L"http://update.plenzar.example/latest/";
// Where the user downloads a newer version.
constexpr wchar_t kDownloadPageUrl[] = L"http://www.plenzar.example/download/";
// Takes the usage statistics as a JSON POST.
constexpr wchar_t kStatisticsUrl[] = L"http://stats.plenzar.example/track/";
// The vendor's home page, opened from the desktop program's version label (its
// resources name the same site in the label's text).
constexpr wchar_t kHomePageUrl[] = L"http://www.plenzar.example/";
// The same site as a bare host name, as the mail footer names it.
constexpr wchar_t kVendorWebSiteHost[] = L"www.plenzar.example";
