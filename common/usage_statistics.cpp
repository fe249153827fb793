#include "common/usage_statistics.h"

#include "common/anonymous_id.h"
#include "common/settings.h"
#include "common/statistics_upload.h"
#include "common/text_conversion.h"
#include "common/usage_data_file.h"
#include "common/utf8_text.h"
#include "common/version_info.h"

#include <chrono>
#include <new>
#include <stdexcept>
#include <vector>

CUsageStatistics* g_pUsageStatistics = nullptr;

namespace {

// Guards g_pUsageStatistics: shared while a store is used through it, exclusive while a
// store is published or unpublished.
SRWLOCK g_storeLock = SRWLOCK_INIT;

class ExclusiveStoreLock {
public:
    ExclusiveStoreLock() { AcquireSRWLockExclusive(&g_storeLock); }
    ~ExclusiveStoreLock() { ReleaseSRWLockExclusive(&g_storeLock); }
    ExclusiveStoreLock(const ExclusiveStoreLock&) = delete;
    ExclusiveStoreLock& operator=(const ExclusiveStoreLock&) = delete;
};

class SharedStoreLock {
public:
    SharedStoreLock() { AcquireSRWLockShared(&g_storeLock); }
    ~SharedStoreLock() { ReleaseSRWLockShared(&g_storeLock); }
    SharedStoreLock(const SharedStoreLock&) = delete;
    SharedStoreLock& operator=(const SharedStoreLock&) = delete;
};

}  // namespace

namespace usage_statistics_detail {
void LockStoreShared() { AcquireSRWLockShared(&g_storeLock); }
void UnlockStoreShared() { ReleaseSRWLockShared(&g_storeLock); }
}  // namespace usage_statistics_detail

CUsageStatistics::CUsageStatistics(const std::wstring& storeName, StatisticsTeardown teardown)
    : m_teardown(teardown)
{
    {
        ExclusiveStoreLock lock;
        if (g_pUsageStatistics)
            throw std::logic_error("A usage statistics store exists in this process already.");
        m_name = storeName;
        // Loaded before it is published, so no count can come ahead of the file's records.
        LoadFromFile();
        g_pUsageStatistics = this;
    }
    StartStatisticsTimer(kFirstScheduleDelayMs);
}

CUsageStatistics::~CUsageStatistics()
{
    bool save = false;
    try {
        // The slow steps first, while the store is still current: what is counted
        // meanwhile is saved with it.
        KillStatisticsTimersOfThisThread();
        if (m_teardown == StatisticsTeardown::WaitForUpload) WaitForUploads(kStatisticsUploadWaitLimitMs);
        save = CSettings().productImprovement != 0;
    } catch (...) {
        // No memory, or a lock that failed: the store still goes, the file stays as it is.
    }
    // Then one hold of the store lock: the next store can only be built once the file is
    // saved, and an upload ending now finds its store either still here or detached.
    ExclusiveStoreLock lock;
    if (g_pUsageStatistics == this) g_pUsageStatistics = nullptr;
    DetachUploads(save && SaveToFile());
}

std::unique_ptr<CUsageStatistics> CUsageStatistics::CreateIfNone(const std::wstring& storeName)
{
    try {
        return std::make_unique<CUsageStatistics>(storeName);
    } catch (const std::logic_error&) {
        return nullptr;
    }
}

bool CUsageStatistics::Count(const char* name, std::int32_t value)
{
    if (!name) return false;
    return WithCurrentUsageStatistics([&](CUsageStatistics* store) {
        if (!store) return false;
        store->Add(name, value);
        return true;
    });
}

const char* CUsageStatistics::ProfileEventName(PlenzarProfile profile)
{
    switch (profile) {
    case 0: return "profile_tiny";
    case 1: return "profile_small";
    case 2: return "profile_medium";
    case 3: return "profile_large";
    case 4: return "profile_full";
    default: return "profile_none";
    }
}

bool CUsageStatistics::CountProfile(PlenzarProfile profile)
{
    return Count(ProfileEventName(profile), 0);
}

void CUsageStatistics::Add(std::string name, std::int32_t value)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const std::string key = UsageKeyOf(std::move(name));

    std::lock_guard<std::mutex> lock(m_recordsLock);
    AddToRecords(m_records, key, 1, value);
}

void CUsageStatistics::LoadFromFile()
{
    UsageRecords loaded;
    UsageDataFileState state;
    {
        const CUsageDataFileLock fileLock(m_name);
        // Without the lock the store starts without the file's records: its save then
        // adds only its own counts, so nothing is lost.
        if (!fileLock.IsHeld()) return;
        state = ReadUsageDataFile(GetDataFilePath(), loaded);
    }
    if (state == UsageDataFileState::Unreadable) return;
    std::lock_guard<std::mutex> lock(m_recordsLock);
    for (const auto& entry : loaded) {
        AddToRecords(m_records, entry.first, entry.second.count, entry.second.value);
        AddToRecords(m_fileRecords, entry.first, entry.second.count, entry.second.value);
    }
    m_fileLoaded = state != UsageDataFileState::TooLarge;
}

bool CUsageStatistics::SaveToFile() noexcept
{
    try {
        const std::wstring path = GetDataFilePath();
        std::lock_guard<std::mutex> lock(m_recordsLock);
        const CUsageDataFileLock fileLock(m_name);
        if (!fileLock.IsHeld()) return false;
        // Read again: another process of this name may have saved since this one loaded.
        UsageRecords file;
        if (ReadUsageDataFile(path, file) == UsageDataFileState::Unreadable) return false;
        ApplyChanges(file, m_records, m_fileRecords);
        UsageRecords saved = m_records;
        if (!ReplaceUsageDataFile(path, file)) return false;
        m_fileRecords.swap(saved);
        return true;
    } catch (...) {
        return false;  // no memory (or a lock that failed): the file stays as it was
    }
}

std::wstring GetTempFolder()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0) return std::wstring();
    if (length < MAX_PATH) return std::wstring(buffer, length);
    // length is the size needed, terminator included.
    std::wstring longer(length, L'\0');
    const DWORD written = GetTempPathW(length, &longer[0]);
    if (written == 0 || written >= length) return std::wstring();
    longer.resize(written);
    return longer;
}

std::wstring CUsageStatistics::GetDataFilePath() const { return DataFilePathOf(m_name); }

std::wstring CUsageStatistics::DataFilePathOf(const std::wstring& storeName)
{
    const std::wstring folder = GetTempFolder();
    // Without a temporary folder there is no data file (never one in the working folder).
    if (folder.empty()) return std::wstring();
    return folder + storeName + kUsageDataFileSuffix;
}

std::string EscapeJsonText(const std::string& name)
{
    static const char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(name.size());
    for (const char c : ToWellFormedUtf8(name)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            escaped += '\\';
            escaped += c;
        } else if (byte < 0x20) {
            escaped += "\\u00";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string CUsageStatistics::JsonOf(const UsageRecords& records)
{
    std::string json = "{ \"data\": [";
    bool first = true;
    for (const auto& entry : records) {
        if (!first) json += ", ";
        first = false;
        json += "{\"name\":\"" + EscapeJsonText(entry.first) + "\", \"count\": " +
                std::to_string(entry.second.count) +
                ", \"value\": " + std::to_string(entry.second.value) + "}";
    }
    return json + "]}";
}

std::string CUsageStatistics::ToJson() const
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    return JsonOf(m_records);
}

std::wstring CUsageStatistics::BuildAgentHeader() const { return AgentHeaderOf(m_name); }

std::wstring CUsageStatistics::AgentHeaderOf(const std::wstring& storeName)
{
    const CUtf8ToWide moduleVersion(GetModuleVersionString().c_str());
    const CUtf8ToWide hostVersion(GetProcessVersionString().c_str());
    const std::wstring id = GetAnonymousId();
    auto text = [](const CUtf8ToWide& converted) {
        return std::wstring(converted.c_str() ? converted.c_str() : L"");
    };
    return L"X-PlenzarFile-Agent: " + text(moduleVersion) + L"|" + text(hostVersion) + L"|" + id +
           L"|" + storeName;
}

bool CUsageStatistics::IsEmpty() const
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    return m_records.empty();
}

UsageRecords CUsageStatistics::CopyRecords() const
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    return m_records;
}

void CUsageStatistics::RemoveSent(const UsageRecords& sent)
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    SubtractRecords(m_records, sent);
}

std::shared_ptr<CUsageUpload> CUsageStatistics::BeginUpload()
{
    std::shared_ptr<CUsageUpload> upload(new CUsageUpload(this));
    upload->m_storeName = m_name;
    std::lock_guard<std::mutex> lock(m_uploadsLock);
    m_uploads.push_back(upload);
    return upload;
}

void CUsageStatistics::WaitForUploads(DWORD timeoutMs)
{
    std::vector<std::shared_ptr<CUsageUpload>> uploads;
    try {
        std::lock_guard<std::mutex> lock(m_uploadsLock);
        uploads = m_uploads;
    } catch (const std::bad_alloc&) {
        return;  // not waiting loses nothing: the teardown saves what the uploads carry
    }
    const DWORD start = GetTickCount();
    for (const auto& upload : uploads) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs || !upload->WaitUntilEnded(timeoutMs - elapsed)) return;
    }
}

// Under the exclusive store lock.
void CUsageStatistics::DetachUploads(bool saved)
{
    std::lock_guard<std::mutex> lock(m_uploadsLock);
    for (const auto& upload : m_uploads) {
        upload->m_store = nullptr;
        upload->m_savedByTeardown = saved;
    }
    m_uploads.clear();
}

// Under the exclusive store lock.
void CUsageStatistics::ForgetUpload(const CUsageUpload* upload)
{
    std::lock_guard<std::mutex> lock(m_uploadsLock);
    for (auto it = m_uploads.begin(); it != m_uploads.end(); ++it) {
        if (it->get() == upload) {
            m_uploads.erase(it);
            return;
        }
    }
}

bool CUsageUpload::TakeRecords()
{
    SharedStoreLock lock;
    if (!m_store) return false;
    m_records = m_store->CopyRecords();
    return true;
}

void CUsageUpload::Finish(bool sent) noexcept
{
    try {
        const bool takeOut = sent && !m_records.empty();
        const bool productImprovement = takeOut && CSettings().productImprovement != 0;
        ExclusiveStoreLock lock;
        if (m_store) {
            if (sent) m_store->RemoveSent(m_records);
            m_store->ForgetUpload(this);
            m_store = nullptr;
        } else if (takeOut && m_savedByTeardown) {
            TakeSentOut(productImprovement);
        }
    } catch (...) {
        // Out of memory while taking sent records out: they stay and may be sent again.
    }
    {
        std::lock_guard<std::mutex> lock(m_endedLock);
        m_ended = true;
    }
    m_endedSignal.notify_all();
}

// Under the exclusive store lock, after the store's teardown saved the records sent.
void CUsageUpload::TakeSentOut(bool productImprovement) const
{
    CUsageStatistics* newer = g_pUsageStatistics;
    if (newer && newer->Name() == m_storeName && newer->m_fileLoaded) {
        newer->RemoveSent(m_records);  // it read them from the file saved
        return;
    }
    if (!productImprovement) return;  // the file is written only while it is set
    const std::wstring path = CUsageStatistics::DataFilePathOf(m_storeName);
    const CUsageDataFileLock fileLock(m_storeName);
    if (!fileLock.IsHeld()) return;  // they stay, and may be sent again
    UsageRecords saved;
    if (ReadUsageDataFile(path, saved) != UsageDataFileState::Read) return;
    SubtractRecords(saved, m_records);
    ReplaceUsageDataFile(path, saved);
}

bool CUsageUpload::WaitUntilEnded(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_endedLock);
    return m_endedSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_ended; });
}
