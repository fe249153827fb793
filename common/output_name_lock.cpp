#include "common/output_name_lock.h"

#include <cstdint>
#include <cwchar>
#include <iterator>

namespace {

// "Local\" keeps the mutex in the user's session; no backslash may follow the prefix.
constexpr wchar_t kMutexNamePrefix[] = L"Local\\PlenzarFile.OutputName.";
constexpr size_t kHashDigits = 16;
constexpr size_t kMutexNameChars = std::size(kMutexNamePrefix) + kHashDigits;
constexpr wchar_t kNumberOpening[] = L" (";

// The length of base once every " (n)" group at its end is taken off.
size_t NameRootLength(const wchar_t* base)
{
    size_t length = wcslen(base);
    for (;;) {
        if (length < 4 || base[length - 1] != L')')
            return length;
        size_t digits = length - 1;
        while (digits > 0 && base[digits - 1] >= L'0' && base[digits - 1] <= L'9')
            --digits;
        if (digits == length - 1 || digits < 2 || wcsncmp(base + digits - 2, kNumberOpening, 2) != 0)
            return length;
        length = digits - 2;
    }
}

// 64-bit FNV-1a over the text with its case folded as file names compare (without
// linguistic rules). A collision only makes two conversions wait on one another.
void HashFolded(std::uint64_t& hash, const wchar_t* text, size_t length)
{
    constexpr std::uint64_t kPrime = 1099511628211ull;
    wchar_t folded[MAX_PATH];
    for (size_t done = 0; done < length;) {
        const int chunk = static_cast<int>(length - done < MAX_PATH ? length - done : MAX_PATH);
        if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text + done, chunk, folded, chunk, nullptr,
                            nullptr, 0) != chunk)
            wmemcpy(folded, text + done, static_cast<size_t>(chunk));
        for (int i = 0; i < chunk; ++i)
            hash = (hash ^ static_cast<std::uint16_t>(folded[i])) * kPrime;
        done += static_cast<size_t>(chunk);
    }
}

bool MakeMutexName(const SplitPath& parts, wchar_t (&name)[kMutexNameChars])
{
    wchar_t written[kDriveChars + kDirectoryChars] = {};
    if (_wmakepath_s(written, parts.drive, parts.directory, nullptr, nullptr) != 0)
        return false;
    // One folder reached by a relative path and by a full one is one folder.
    wchar_t full[MAX_PATH] = {};
    const DWORD fullLength = ::GetFullPathNameW(written[0] ? written : L".\\", MAX_PATH, full, nullptr);
    const bool madeFull = fullLength > 0 && fullLength < MAX_PATH;
    const wchar_t* folder = madeFull ? full : written;

    std::uint64_t hash = 14695981039346656037ull;
    HashFolded(hash, folder, madeFull ? fullLength : wcslen(written));
    HashFolded(hash, L"|", 1);
    HashFolded(hash, parts.baseName, NameRootLength(parts.baseName));
    if (wcscpy_s(name, kMutexNamePrefix) != 0)
        return false;
    wchar_t* digit = name + std::size(kMutexNamePrefix) - 1;
    for (size_t shift = 64; shift > 0; shift -= 4)
        *digit++ = L"0123456789abcdef"[(hash >> (shift - 4)) & 0xF];
    *digit = L'\0';
    return true;
}

}  // namespace

COutputNameLock::COutputNameLock(const SplitPath& outputParts)
{
    wchar_t name[kMutexNameChars];
    // An owner that ended without releasing left no state behind: the folder is listed afresh.
    if (MakeMutexName(outputParts, name))
        m_lock.emplace(name, INFINITE);
}
