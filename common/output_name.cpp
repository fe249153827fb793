#include "common/output_name.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

// Numbered names tried before the file is passed over; it bounds the search where the
// folder cannot be examined.
constexpr int kMaxOutputNumber = 10000;

// Something already lives under this name, or it cannot be told that nothing does.
// Existence is tested, not openability: a source that exists but cannot be read is
// still never proposed as the output.
bool NameIsTaken(const wchar_t* path)
{
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool SplitFilePath(const wchar_t* path, SplitPath& parts)
{
    return _wsplitpath_s(path, parts.drive, kDriveChars, parts.directory, kDirectoryChars,
                         parts.baseName, kBaseNameChars, parts.extension, kExtensionChars) == 0;
}

bool FindFreeOutputPath(const SplitPath& parts, wchar_t (&output)[kOutputPathChars])
{
    wchar_t candidate[kBaseNameChars];
    if (wcscpy_s(candidate, parts.baseName) != 0)
        return false;
    for (int counter = 0;;) {
        if (_wmakepath_s(output, parts.drive, parts.directory, candidate, parts.extension) != 0)
            return false;
        if (!NameIsTaken(output))
            return true;
        if (++counter > kMaxOutputNumber)
            return false;
        const int written = _snwprintf(candidate, kBaseNameChars, L"%s (%d)", parts.baseName, counter);
        if (written < 0 || static_cast<size_t>(written) >= kBaseNameChars)
            return false;
    }
}
