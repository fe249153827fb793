#include "mail_addin/work_folder_cleanup.h"

#include <cwctype>
#include <functional>
#include <new>

#include "common/file_handles.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/work_folder.h"

namespace {

constexpr ULONGLONG kFileTimeUnitsPerDay = 24ULL * 60 * 60 * 10000000;

// Calls visit for every entry of folder but "." and "..". The search handle is closed on
// every way out.
void ForEachEntry(const std::wstring& folder, const wchar_t* pattern,
                  const std::function<void(const WIN32_FIND_DATAW&)>& visit)
{
    WIN32_FIND_DATAW found = {};
    const CFindHandle search(FindFirstFileW((folder + pattern).c_str(), &found));
    if (!search.IsValid())
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            visit(found);
    } while (FindNextFileW(search.Get(), &found));
}

bool IsPlainFile(const WIN32_FIND_DATAW& entry)
{
    return !(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool IsLogFile(const std::wstring& name)
{
    return CompareStringOrdinal(name.c_str(), -1, kLogFileName, -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(name.c_str(), -1, kOldLogFileName, -1, TRUE) == CSTR_EQUAL;
}

// "<profile>_" before the kept name: an optional "-", then digits.
bool IsProfilePrefix(const std::wstring& prefix)
{
    size_t start = !prefix.empty() && prefix[0] == L'-' ? 1 : 0;
    if (prefix.size() <= start)
        return false;
    for (size_t i = start; i < prefix.size(); ++i) {
        if (!std::iswdigit(prefix[i]))
            return false;
    }
    return true;
}

void DeleteCopiesIn(const std::wstring& folder, const std::wstring& keptName)
{
    const std::wstring suffix = L"_" + keptName;
    ForEachEntry(folder, (L"*" + suffix).c_str(), [&](const WIN32_FIND_DATAW& entry) {
        const std::wstring name = entry.cFileName;
        // The pattern also matches short names: only the long name decides.
        if (!IsPlainFile(entry) || name.size() <= suffix.size() ||
            CompareStringOrdinal(name.c_str() + name.size() - suffix.size(), -1, suffix.c_str(), -1, TRUE) !=
                CSTR_EQUAL ||
            !IsProfilePrefix(name.substr(0, name.size() - suffix.size())))
            return;
        DeleteFileW((folder + name).c_str());
    });
}

bool IsOlder(const FILETIME& written, const FILETIME& limit)
{
    return CompareFileTime(&written, &limit) < 0;
}

void DeleteFilesIn(const std::wstring& folder, const FILETIME& limit)
{
    ForEachEntry(folder, L"*", [&](const WIN32_FIND_DATAW& entry) {
        if (IsPlainFile(entry) && IsOlder(entry.ftLastWriteTime, limit) && !IsLogFile(entry.cFileName))
            DeleteFileW((folder + entry.cFileName).c_str());
    });
}

// A folder that the pipeline made for one output: a random name and nothing else.
bool IsOutputFolder(const WIN32_FIND_DATAW& entry)
{
    const std::wstring name = entry.cFileName;
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && name.size() == RANDOM_NAME_LENGTH &&
           StartsWithRandomName(name);
}

}  // namespace

void DeleteDiagnosticCopies(const std::wstring& workFolder, const std::wstring& keptName)
{
    if (workFolder.empty() || keptName.empty())
        return;
    DeleteCopiesIn(workFolder + kNotSmallerFolderName, keptName);
    DeleteCopiesIn(workFolder + kFailFolderName, keptName);
}

void DeleteWorkFilesWrittenBefore(const std::wstring& workFolder, const FILETIME& limit)
{
    if (workFolder.empty())
        return;
    DeleteFilesIn(workFolder, limit);
    DeleteFilesIn(workFolder + kNotSmallerFolderName, limit);
    DeleteFilesIn(workFolder + kFailFolderName, limit);
    ForEachEntry(workFolder, L"*", [&](const WIN32_FIND_DATAW& entry) {
        if (!IsOutputFolder(entry))
            return;
        const std::wstring folder = workFolder + entry.cFileName + L"\\";
        DeleteFilesIn(folder, limit);
        RemoveDirectoryW(folder.c_str());  // only when nothing is left in it
    });
}

void DeleteAgedWorkFiles()
{
    try {
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER limit;
        limit.LowPart = now.dwLowDateTime;
        limit.HighPart = now.dwHighDateTime;
        limit.QuadPart -= kWorkFileMaxAgeDays * kFileTimeUnitsPerDay;
        const FILETIME limitTime = { limit.LowPart, limit.HighPart };
        DeleteWorkFilesWrittenBefore(GetWorkFolder(), limitTime);
    } catch (const std::bad_alloc&) {
        // Out of memory while listing: the files wait for the next start.
    }
}
