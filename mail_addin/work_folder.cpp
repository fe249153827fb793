#include "mail_addin/work_folder.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "common/file_handles.h"
#include "common/text_conversion.h"
#include "common/utf8_text.h"
#include "mail_addin/log_clock.h"

std::string g_logFilePath;

namespace {

// The folder paths, terminator included, must fit this many units.
constexpr size_t kFolderPathCapacity = 270;

__time64_t ReadSystemClock()
{
    return _time64(nullptr);
}

LogClock g_logClock = &ReadSystemClock;

std::wstring EnsureFolder(std::wstring path)
{
    if (path.size() + 1 > kFolderPathCapacity) return {};
    // An existing folder is fine; any other failure shows when something is written.
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::wstring SubFolder(const wchar_t* name)
{
    const std::wstring work = GetWorkFolder();
    return work.empty() ? work : EnsureFolder(work + name);
}

// The text formatted whole, then cut to the log's bound on a UTF-8 character boundary.
std::string FormatLogText(const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    _vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    text.resize(Utf8PrefixLength(text, kLogTextLimit));
    return text;
}

// The log in logPath has grown past its bound: it becomes the old log beside it. When that
// cannot be done the log goes on growing rather than lose the line.
void RotateLogWhenFull(const std::wstring& logPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(logPath.c_str(), GetFileExInfoStandard, &data))
        return;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= kLogRotationBytes)
        return;
    const size_t folderEnd = logPath.find_last_of(L'\\');
    const std::wstring oldPath = logPath.substr(0, folderEnd + 1) + kOldLogFileName;
    MoveFileExW(logPath.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

void SetLogClock(LogClock clock)
{
    g_logClock = clock ? clock : &ReadSystemClock;
}

std::wstring GetWorkFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring folder(temp, length);
    if (folder.back() != L'\\') folder += L'\\';
    return EnsureFolder(folder + L"PlenzarMail\\");
}

std::wstring GetFailFolder()
{
    return SubFolder(kFailFolderName);
}

std::wstring GetNotSmallerFolder()
{
    return SubFolder(kNotSmallerFolderName);
}

void WriteLog(const char* format, ...)
{
    if (g_logFilePath.empty()) {
        const std::wstring folder = GetWorkFolder();
        if (folder.empty()) return;
        g_logFilePath = CWideToUtf8((folder + kLogFileName).c_str()).c_str();
    }
    va_list args;
    va_start(args, format);
    const std::string text = FormatLogText(format, args);
    va_end(args);

    // The path is UTF-8: opened by its wide form, so that any user name works. Each line
    // opens and closes the log, so a log deleted or moved meanwhile is simply made anew.
    const CUtf8ToWide path(g_logFilePath.c_str());
    if (!path.c_str()) return;
    RotateLogWhenFull(path.c_str());
    const CFileHandle file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    const __time64_t now = g_logClock();
    tm local = {};
    if (_localtime64_s(&local, &now) != 0) return;
    char prefix[64];
    const int prefixLength = std::snprintf(prefix, sizeof prefix, "%d/%d/%d %d:%d:%d\t",
                                           local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec);
    const std::string line = std::string(prefix, prefixLength > 0 ? prefixLength : 0) + text + "\r\n";
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
