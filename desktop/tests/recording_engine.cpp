// A development engine for the desktop tests. It appends every call to "engine_calls.txt"
// beside itself, one line each, fields separated by "|":
//   IsSupported|<path>
//   Optimize|<source>|<proposed output>|<capacity>|<profile>
// IsSupported accepts every name that does not contain "refused". Optimize writes the
// text "converted" at the proposed output and returns 0, unless a file
// "write_nothing" lies beside the engine: then it writes nothing and returns 1.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring EngineFolder()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&EngineFolder), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void Record(const std::wstring& line)
{
    const std::wstring text = line + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    if (FILE* file = _wfopen((EngineFolder() + L"engine_calls.txt").c_str(), L"ab")) {
        fwrite(utf8.data(), 1, utf8.size(), file);
        fclose(file);
    }
}

extern "C" int Optimize(const wchar_t* source, wchar_t* destination, int capacity, int profile)
{
    Record(std::wstring(L"Optimize|") + source + L"|" + destination + L"|" + std::to_wstring(capacity) + L"|" +
           std::to_wstring(profile));
    if (GetFileAttributesW((EngineFolder() + L"write_nothing").c_str()) != INVALID_FILE_ATTRIBUTES)
        return 1;
    HANDLE output = CreateFileW(destination, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL wrote = WriteFile(output, "converted", 9, &written, nullptr);
    CloseHandle(output);
    return wrote && written == 9 ? 0 : 1;
}

extern "C" int IsSupported(const wchar_t* path)
{
    Record(std::wstring(L"IsSupported|") + path);
    return wcsstr(path, L"refused") ? 0 : 1;
}

struct EngineFunctionTable {
    int (*optimize)(const wchar_t*, wchar_t*, int, int);
    int (*isSupported)(const wchar_t*);
};
const EngineFunctionTable kFunctions = { &Optimize, &IsSupported };

}  // namespace

extern "C" const EngineFunctionTable* Handshake()
{
    return &kFunctions;
}
