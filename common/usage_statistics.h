#pragma once
// The process's usage statistics store: counted events by lower-cased name, kept between
// runs in a data file in the temporary folder and sent weekly (statistics_upload.h).
//
// Threads (see common/README.md, "Usage statistics"): counting goes through the static
// Count/CountProfile, which reach the current store under the process-wide store lock, so
// no count reaches a store that another thread is tearing down. The teardown unpublishes
// the store first, kills the scheduler timers of its thread, waits for the upload worker
// it started, and only then saves.
#include "common/plenzar_profile.h"

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// One counted event, laid out exactly as in the data file (little-endian, no gaps).
struct UsageRecord {
    char name[64];        // lower-cased name, at most 63 bytes, zero-filled
    std::int32_t count;   // wraps on overflow
    std::int32_t value;   // sum of the counted values, wraps on overflow
};
static_assert(sizeof(UsageRecord) == 72, "the data file holds 72-byte records");
static_assert(offsetof(UsageRecord, count) == 64 && offsetof(UsageRecord, value) == 68,
              "the data file's field offsets");

// Data file name: <temporary folder><store name><this>.
constexpr wchar_t kUsageDataFileSuffix[] = L"_data.dat";

class CUsageStatistics {
public:
    // Becomes the process's store: loads the data file, publishes itself in
    // g_pUsageStatistics and starts the 3000 ms scheduler timer on this thread. Throws
    // std::logic_error when a store exists; nothing is read or started then.
    explicit CUsageStatistics(const std::wstring& storeName);
    // Unpublishes the store, kills the scheduler timers armed on this thread, waits for a
    // running upload worker of this store, then saves the data file when productImprovement
    // is set. Must not run under the loader lock (DllMain).
    ~CUsageStatistics();
    CUsageStatistics(const CUsageStatistics&) = delete;
    CUsageStatistics& operator=(const CUsageStatistics&) = delete;

    // A new store, or null when the process has one already (no exception): for hosts
    // whose threads may race to build the store.
    static std::unique_ptr<CUsageStatistics> CreateIfNone(const std::wstring& storeName);

    // Count into the current store; without one they do nothing. True when a store took
    // the count. A null name counts nothing.
    static bool Count(const char* name, std::int32_t value);
    // "profile_tiny" ... "profile_full" for 0 to 4, "profile_none" for anything else.
    static bool CountProfile(PlenzarProfile profile);
    static const char* ProfileEventName(PlenzarProfile profile);

    // Lower-cases the name (bytes A-Z only) and counts it into this store.
    void Add(std::string name, std::int32_t value);

    void LoadFromFile();
    void SaveToFile() const;
    std::wstring GetDataFilePath() const;
    // { "data": [...]} of the entries in key order; names escaped for JSON.
    std::string ToJson() const;
    static std::string JsonOf(const std::map<std::string, UsageRecord>& records);
    // "X-PlenzarFile-Agent: <module version>|<host version>|<anonymous id>|<store name>".
    std::wstring BuildAgentHeader() const;

    const std::wstring& Name() const { return m_name; }
    bool IsEmpty() const;
    std::map<std::string, UsageRecord> CopyRecords() const;

    // After a successful upload of sent (a copy of the records): removes what was sent,
    // keeping counts made since. A -= of the sent count and value; an entry whose count
    // did not change since is erased.
    void RemoveSent(const std::map<std::string, UsageRecord>& sent);
    // A worker of this store is about to start / has ended; the teardown waits for none.
    void BeginWorker();
    void EndWorker();

private:
    void WaitForWorkers();

    std::map<std::string, UsageRecord> m_records;
    std::wstring m_name;
    mutable std::mutex m_recordsLock;  // every access to m_records

    // Shared with the workers so that the last one can still unlock it after the teardown,
    // woken by it, has freed the store.
    struct WorkerGate {
        std::mutex lock;
        std::condition_variable ended;
        int running = 0;
    };
    std::shared_ptr<WorkerGate> m_workers = std::make_shared<WorkerGate>();
};

// The process's store, or null. Set and cleared under the store lock (usage_statistics.cpp);
// other threads should count through CUsageStatistics::Count rather than through it.
extern CUsageStatistics* g_pUsageStatistics;

// Runs work(store) with the current store (null when there is none), the store held
// against teardown for the call. work must not construct or tear down a store, nor call
// Count/CountProfile (use store->Add): the lock is not re-entrant.
template <typename Work> auto WithCurrentUsageStatistics(Work work) -> decltype(work(nullptr));

// The temporary folder from GetTempPathW, ending in a backslash; empty when there is none.
std::wstring GetTempFolder();

// JSON string contents for name: quotation mark, backslash and control characters escaped.
std::string EscapeJsonText(const std::string& name);

// --- implementation of the template above ---
namespace usage_statistics_detail {
void LockStoreShared();
void UnlockStoreShared();
}  // namespace usage_statistics_detail

template <typename Work> auto WithCurrentUsageStatistics(Work work) -> decltype(work(nullptr))
{
    struct SharedHold {
        SharedHold() { usage_statistics_detail::LockStoreShared(); }
        ~SharedHold() { usage_statistics_detail::UnlockStoreShared(); }
    } hold;
    return work(g_pUsageStatistics);
}
