// Development engine for the shell extension's tests: accepts .jpg and .png names
// (any case); its "conversion" writes a short text naming the profile, and never
// replaces an existing file.
#include <windows.h>

#include <cwchar>

namespace {

int __cdecl Optimize(LPCWSTR, LPWSTR destination, int, int profile)
{
    HANDLE file = CreateFileW(destination, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char text[] = {'p', 'r', 'o', 'f', 'i', 'l', 'e', ' ', static_cast<char>('0' + profile)};
    DWORD written = 0;
    WriteFile(file, text, sizeof(text), &written, nullptr);
    CloseHandle(file);
    return 0;
}

int __cdecl IsSupported(LPCWSTR path)
{
    const size_t length = std::wcslen(path);
    if (length < 4) return 0;
    const wchar_t* extension = path + length - 4;
    return (_wcsicmp(extension, L".jpg") == 0 || _wcsicmp(extension, L".png") == 0) ? 1 : 0;
}

struct EngineTable {
    int(__cdecl* optimize)(LPCWSTR, LPWSTR, int, int);
    int(__cdecl* isSupported)(LPCWSTR);
};

const EngineTable kTable = {&Optimize, &IsSupported};

}  // namespace

extern "C" __declspec(dllexport) const EngineTable* __cdecl Handshake() { return &kTable; }
