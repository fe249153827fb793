// Stands in for the web browser: the shell starts it for "http" addresses, and it
// appends the address it was given (quotes removed) as a UTF-8 line to "opened.txt"
// beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    std::wstring address = commandLine;
    while (!address.empty() && address.back() == L' ')
        address.pop_back();
    if (address.size() >= 2 && address.front() == L'"' && address.back() == L'"')
        address = address.substr(1, address.size() - 2);
    address += L"\n";

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log(path);
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"opened.txt";
    char utf8[2048] = {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, address.c_str(), static_cast<int>(address.size()), utf8,
                                          sizeof(utf8), nullptr, nullptr);
    if (FILE* file = _wfopen(log.c_str(), L"ab")) {
        fwrite(utf8, 1, bytes > 0 ? bytes : 0, file);
        fclose(file);
    }
    return 0;
}
