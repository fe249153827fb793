// url_recorder.exe <log file> <address>: appends the address, as a UTF-8 line, to the
// log file. Registered as the browser for a URL scheme by testsupport::ScopedUrlRecorder,
// so a test sees which pages the code under test opened.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string ToUtf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size) - 1);
    return utf8;
}

bool AppendLine(const wchar_t* path, const std::string& line)
{
    // Another recorder may be writing at the same moment: wait for its turn.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Sleep(20);
            continue;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == line.size();
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return 2;
    const bool ok = count == 3 && AppendLine(arguments[1], ToUtf8(arguments[2]) + "\n");
    LocalFree(arguments);
    return ok ? 0 : 1;
}
