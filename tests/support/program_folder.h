#pragma once
// The folder of the running test or benchmark program: the build tree's bin/ (or a
// subfolder of it), where the other built files are found.
#include <windows.h>

#include <string>

namespace testsupport {

// Without a trailing backslash.
inline std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(MAX_PATH * 4));
    const std::wstring program(path, length < MAX_PATH * 4 ? length : 0);
    const size_t separator = program.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : program.substr(0, separator);
}

// The path of a file (or relative path) in that folder.
inline std::wstring BesideProgram(const std::wstring& relativePath)
{
    return ProgramFolder() + L"\\" + relativePath;
}

}  // namespace testsupport
