#include "common/usage_statistics.h"

#include "common/anonymous_id.h"
#include "common/settings.h"
#include "common/statistics_upload.h"
#include "common/text_conversion.h"
#include "common/version_info.h"

#include <cstdio>
#include <cstring>
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

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

namespace usage_statistics_detail {
void LockStoreShared() { AcquireSRWLockShared(&g_storeLock); }
void UnlockStoreShared() { ReleaseSRWLockShared(&g_storeLock); }
}  // namespace usage_statistics_detail

CUsageStatistics::CUsageStatistics(const std::wstring& storeName)
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
    {
        ExclusiveStoreLock lock;
        if (g_pUsageStatistics == this) g_pUsageStatistics = nullptr;
    }
    KillStatisticsTimersOfThisThread();
    WaitForWorkers();
    CSettings settings;
    if (settings.productImprovement) SaveToFile();
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

    std::lock_guard<std::mutex> lock(m_recordsLock);
    auto found = m_records.find(name);
    if (found == m_records.end()) {
        UsageRecord record = {};
        strncpy(record.name, name.c_str(), sizeof(record.name) - 1);
        record.count = 1;
        record.value = value;
        m_records.emplace(std::move(name), record);
        return;
    }
    found->second.count = WrappingAdd(found->second.count, 1);
    found->second.value = WrappingAdd(found->second.value, value);
}

void CUsageStatistics::LoadFromFile()
{
    const std::wstring path = GetDataFilePath();
    if (path.empty()) return;
    FileHandle file(_wfopen(path.c_str(), L"rb"));
    if (!file) return;

    std::vector<UsageRecord> loaded;
    UsageRecord record;
    while (fread(&record, 1, sizeof(record), file.get()) == sizeof(record))
        loaded.push_back(record);

    std::lock_guard<std::mutex> lock(m_recordsLock);
    for (const UsageRecord& each : loaded) {
        // emplace keeps an existing entry: the first of equal names wins.
        m_records.emplace(std::string(each.name, strnlen(each.name, sizeof(each.name))), each);
    }
}

void CUsageStatistics::SaveToFile() const
{
    std::vector<UsageRecord> buffer;
    {
        std::lock_guard<std::mutex> lock(m_recordsLock);
        buffer.reserve(m_records.size());
        for (const auto& entry : m_records) buffer.push_back(entry.second);
    }
    const std::wstring path = GetDataFilePath();
    if (path.empty()) return;
    DeleteFileW(path.c_str());
    if (buffer.empty()) return;
    FileHandle file(_wfopen(path.c_str(), L"wb"));
    if (!file) return;
    fwrite(buffer.data(), sizeof(UsageRecord), buffer.size(), file.get());
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

std::wstring CUsageStatistics::GetDataFilePath() const
{
    const std::wstring folder = GetTempFolder();
    // Without a temporary folder there is no data file (never one in the working folder).
    if (folder.empty()) return std::wstring();
    return folder + m_name + kUsageDataFileSuffix;
}

std::string EscapeJsonText(const std::string& name)
{
    static const char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(name.size());
    for (const char c : name) {
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

std::string CUsageStatistics::JsonOf(const std::map<std::string, UsageRecord>& records)
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

std::wstring CUsageStatistics::BuildAgentHeader() const
{
    const CUtf8ToWide moduleVersion(GetModuleVersionString().c_str());
    const CUtf8ToWide hostVersion(GetProcessVersionString().c_str());
    const std::wstring id = GetAnonymousId();
    auto text = [](const CUtf8ToWide& converted) {
        return std::wstring(converted.c_str() ? converted.c_str() : L"");
    };
    return L"X-PlenzarFile-Agent: " + text(moduleVersion) + L"|" + text(hostVersion) + L"|" + id +
           L"|" + m_name;
}

bool CUsageStatistics::IsEmpty() const
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    return m_records.empty();
}

std::map<std::string, UsageRecord> CUsageStatistics::CopyRecords() const
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    return m_records;
}

void CUsageStatistics::RemoveSent(const std::map<std::string, UsageRecord>& sent)
{
    std::lock_guard<std::mutex> lock(m_recordsLock);
    for (const auto& entry : sent) {
        auto found = m_records.find(entry.first);
        if (found == m_records.end()) continue;
        UsageRecord& record = found->second;
        if (record.count == entry.second.count) {
            m_records.erase(found);  // nothing counted since it was sent
            continue;
        }
        record.count = WrappingAdd(record.count, -entry.second.count);
        record.value = WrappingAdd(record.value, -entry.second.value);
    }
}

void CUsageStatistics::BeginWorker()
{
    std::lock_guard<std::mutex> lock(m_workers->lock);
    ++m_workers->running;
}

void CUsageStatistics::EndWorker()
{
    const std::shared_ptr<WorkerGate> gate = m_workers;  // the store may go once it is told
    std::lock_guard<std::mutex> lock(gate->lock);
    --gate->running;
    gate->ended.notify_all();
}

void CUsageStatistics::WaitForWorkers()
{
    std::unique_lock<std::mutex> lock(m_workers->lock);
    m_workers->ended.wait(lock, [this] { return m_workers->running == 0; });
}
