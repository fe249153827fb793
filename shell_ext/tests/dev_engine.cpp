// Development engine for the shell extension's tests: accepts .jpg and .png names
// (any case) and writes no output.
#include <windows.h>

#include <cwchar>

namespace {

int __cdecl Optimize(LPCWSTR, LPWSTR, int, int) { return 1; }

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
