#pragma once
// The add-in's work folder below the user's temporary folder, its two copy folders and
// its log "Log.txt".
#include <string>

// The two copy folders' names in the work folder.
constexpr wchar_t kFailFolderName[] = L"Fail\\";
constexpr wchar_t kNotSmallerFolderName[] = L"NotSmaller\\";
// The log, and the log before it once the log has grown past kLogRotationBytes.
constexpr wchar_t kLogFileName[] = L"Log.txt";
constexpr wchar_t kOldLogFileName[] = L"Log.old.txt";
constexpr unsigned long long kLogRotationBytes = 1024 * 1024;

// Each ends in a backslash and is created when missing. Empty when the temporary
// folder cannot be read or the path would not fit: callers then write nothing.
std::wstring GetWorkFolder();
std::wstring GetFailFolder();
std::wstring GetNotSmallerFolder();

// The log's full path as UTF-8, set by the first line of the process.
extern std::string g_logFilePath;

// Appends "<y/m/d h:m:s>\t<text>\r\n" to the log; text arguments are UTF-8. A line that
// cannot be written is lost silently. A log past kLogRotationBytes becomes the old log
// (replacing the one there) before the line is written, so a line is never split.
void WriteLog(const char* format, ...);
