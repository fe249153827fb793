#pragma once
// The add-in's work folder below the user's temporary folder, its two copy folders and
// its log "Log.txt".
#include <string>

// Each ends in a backslash and is created when missing. Empty when the temporary
// folder cannot be read or the path would not fit: callers then write nothing.
std::wstring GetWorkFolder();
std::wstring GetFailFolder();
std::wstring GetNotSmallerFolder();

// The log's full path as UTF-8, set by the first line of the process.
extern std::string g_logFilePath;

// Appends "<y/m/d h:m:s>\t<text>\r\n" to the log; text arguments are UTF-8. A line that
// cannot be written is lost silently.
void WriteLog(const char* format, ...);
