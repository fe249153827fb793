#include "common/usage_data_file.h"

#include "common/file_handles.h"

#include <cstring>
#include <vector>

namespace {

// Deletes the file written beside the data file unless it was moved into place.
class CReplacementFile {
public:
    explicit CReplacementFile(std::wstring path) : m_path(std::move(path)) {}
    ~CReplacementFile()
    {
        if (!m_moved) DeleteFileW(m_path.c_str());
    }
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    const std::wstring& Path() const { return m_path; }
    bool MoveOver(const std::wstring& target)
    {
        m_moved = MoveFileExW(m_path.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        return m_moved;
    }

private:
    std::wstring m_path;
    bool m_moved = false;
};

bool WriteWhole(HANDLE file, const char* data, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(size);  // at most kMaxUsageRecords records
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

std::wstring UsageDataFileLockName(const std::wstring& storeName)
{
    std::wstring name = L"Local\\PlenzarUsageData_" + storeName;
    // Past the namespace a backslash would name a further namespace, which does not exist.
    for (size_t at = name.find(L'\\') + 1; at < name.size(); ++at)
        if (name[at] == L'\\') name[at] = L'_';
    return name;
}

CUsageDataFileLock::CUsageDataFileLock(const std::wstring& storeName) noexcept
{
    try {
        m_lock.emplace(UsageDataFileLockName(storeName).c_str(), kUsageDataFileLockTimeoutMs);
    } catch (...) {
        // no memory for the name: not held
    }
}

UsageDataFileState ReadUsageDataFile(const std::wstring& path, UsageRecords& records)
{
    if (path.empty()) return UsageDataFileState::Missing;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? UsageDataFileState::Missing
                                                                              : UsageDataFileState::Unreadable;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return UsageDataFileState::Unreadable;
    const auto whole = static_cast<unsigned long long>(size.QuadPart) / sizeof(UsageRecord);
    if (whole > kMaxUsageRecords) return UsageDataFileState::TooLarge;

    std::vector<UsageRecord> buffer(static_cast<size_t>(whole));
    DWORD read = 0;
    if (!buffer.empty() &&
        !ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(UsageRecord)), &read,
                  nullptr))
        return UsageDataFileState::Unreadable;
    for (size_t i = 0; i < read / sizeof(UsageRecord); ++i) {
        const UsageRecord& record = buffer[i];
        const std::string name(record.name, strnlen(record.name, sizeof(record.name)));
        AddToRecords(records, UsageKeyOf(name), record.count, record.value);
    }
    return UsageDataFileState::Read;
}

bool ReplaceUsageDataFile(const std::wstring& path, const UsageRecords& records)
{
    if (path.empty()) return false;
    if (records.empty()) return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;

    std::vector<UsageRecord> buffer;
    buffer.reserve(records.size());
    for (const auto& entry : records) buffer.push_back(entry.second);
    CReplacementFile replacement(path + L".new");

    CFileHandle file(CreateFileW(replacement.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    if (!WriteWhole(file.Get(), reinterpret_cast<const char*>(buffer.data()), buffer.size() * sizeof(UsageRecord)))
        return false;
    // On the disk before it takes the data file's place: a crash then leaves the old file
    // or the new one, never a renamed file whose contents were still in memory.
    if (!FlushFileBuffers(file.Get()) || !file.Close()) return false;
    return replacement.MoveOver(path);
}
