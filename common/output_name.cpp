#include "common/output_name.h"

#include <windows.h>

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "common/file_handles.h"

namespace {

// Numbered names tried before the file is passed over.
constexpr int kMaxOutputNumber = 10000;
constexpr int kMaxNumberDigits = 5;

// Bit n: some entry of the folder carries the candidate base of number n (0: the bare base).
using TakenNumbers = std::bitset<kMaxOutputNumber + 1>;

bool StartsWithIgnoringCase(const wchar_t* text, size_t textLength, const wchar_t* prefix, size_t prefixLength)
{
    return textLength >= prefixLength
           && ::CompareStringOrdinal(text, static_cast<int>(prefixLength), prefix, static_cast<int>(prefixLength),
                                     TRUE) == CSTR_EQUAL;
}

// What follows the base in a long name: nothing or an extension takes number 0, and
// " (n)" as "%d" writes it, then nothing or an extension, takes number n.
void NoteTakenNumber(const wchar_t* rest, TakenNumbers& taken)
{
    if (*rest == L'\0' || *rest == L'.') {
        taken.set(0);
        return;
    }
    if (rest[0] != L' ' || rest[1] != L'(' || rest[2] < L'1' || rest[2] > L'9')
        return;
    int number = 0;
    const wchar_t* digit = rest + 2;
    for (int count = 0; *digit >= L'0' && *digit <= L'9'; ++digit, ++count) {
        if (count == kMaxNumberDigits)
            return;
        number = number * 10 + (*digit - L'0');
    }
    if (digit[0] == L')' && (digit[1] == L'\0' || digit[1] == L'.') && number <= kMaxOutputNumber)
        taken.set(static_cast<size_t>(number));
}

// Lists "base*" in the folder once. A wildcard also matches the short 8.3 names, and
// "base*" matches longer bases too, so only the long names are read, by NoteTakenNumber.
bool ListTakenNumbers(const SplitPath& parts, TakenNumbers& taken)
{
    wchar_t patternName[kBaseNameChars + 1];
    wchar_t pattern[kOutputPathChars + 1];
    if (wcscpy_s(patternName, parts.baseName) != 0 || wcscat_s(patternName, L"*") != 0
        || _wmakepath_s(pattern, parts.drive, parts.directory, patternName, nullptr) != 0)
        return false;
    WIN32_FIND_DATAW entry;
    CFindHandle search(::FindFirstFileExW(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!search.IsValid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;  // nothing there
    }
    const size_t baseLength = wcslen(parts.baseName);
    do {
        const size_t nameLength = wcsnlen(entry.cFileName, MAX_PATH);
        if (StartsWithIgnoringCase(entry.cFileName, nameLength, parts.baseName, baseLength))
            NoteTakenNumber(entry.cFileName + baseLength, taken);
    } while (::FindNextFileW(search.Get(), &entry));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

bool SplitFilePath(const wchar_t* path, SplitPath& parts)
{
    return _wsplitpath_s(path, parts.drive, kDriveChars, parts.directory, kDirectoryChars,
                         parts.baseName, kBaseNameChars, parts.extension, kExtensionChars) == 0;
}

bool FindFreeOutputPath(const SplitPath& parts, wchar_t (&output)[kOutputPathChars])
{
    TakenNumbers taken;
    if (!ListTakenNumbers(parts, taken))
        return false;
    size_t number = 0;
    while (number < taken.size() && taken.test(number))
        ++number;
    if (number == taken.size())
        return false;
    wchar_t candidate[kBaseNameChars];
    if (number == 0) {
        if (wcscpy_s(candidate, parts.baseName) != 0)
            return false;
    } else {
        const int written = _snwprintf(candidate, kBaseNameChars, L"%s (%d)", parts.baseName, static_cast<int>(number));
        if (written < 0 || static_cast<size_t>(written) >= kBaseNameChars)
            return false;
    }
    return _wmakepath_s(output, parts.drive, parts.directory, candidate, parts.extension) == 0;
}
