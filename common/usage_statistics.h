#pragma once
// The process's usage statistics store: counted events by lower-cased name, kept between
// runs in a data file in the temporary folder and sent weekly (statistics_upload.h).
//
// Threads (see common/README.md, "Usage statistics"): counting goes through the static
// Count/CountProfile, which reach the current store under the process-wide store lock, so
// no count reaches a store that another thread is tearing down. The teardown kills the
// scheduler timers of its thread, by default returns at once whatever an upload is doing,
// and saves every record, those an upload (CUsageUpload) carries included: that upload,
// sent later, takes them out of the newer store or the file again.
//
// Processes (usage_data_file.h): a save reads the file as it is now, under a lock that
// every process of the session shares, and adds to it only what this store changed since
// it loaded the file (its counts, less what it sent); the file is replaced in one step.
#include "common/plenzar_profile.h"
#include "common/usage_records.h"

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Data file name: <temporary folder><store name><this>.
constexpr wchar_t kUsageDataFileSuffix[] = L"_data.dat";

// How the teardown meets an upload that is still under way.
enum class StatisticsTeardown {
    // Return at once, for a host's window thread (the libraries): the teardown saves every
    // record, and an upload sent later takes what it sent out of the newer store or the file.
    ReturnAtOnce,
    // Wait for the upload to end, at most kStatisticsUploadWaitLimitMs (its request's
    // time-outs), so that what it sends is not sent again when the process ends right
    // after (the program).
    WaitForUpload,
};

class CUsageStatistics;

// One upload of a store's records, shared by the store and the worker sending them so
// that either may end first. The store and the records taken are guarded by the store
// lock; at most one upload of the process sends at a time (statistics_upload.cpp).
class CUsageUpload {
public:
    // Takes the records to send from the store; false when the store is gone already (its
    // teardown saved the records, so there is nothing to send).
    bool TakeRecords();
    const UsageRecords& Records() const { return m_records; }
    const std::wstring& StoreName() const { return m_storeName; }
    // The send is over. Sent: the records leave the store, if it lives; when its teardown
    // saved them, they leave the process's newer store of that name, or else the data file
    // when productImprovement is set. Not sent: they stay where they are. Then the upload
    // has ended.
    void Finish(bool sent) noexcept;
    // False when the upload had not ended within timeoutMs.
    bool WaitUntilEnded(DWORD timeoutMs);

private:
    friend class CUsageStatistics;
    explicit CUsageUpload(CUsageStatistics* store) : m_store(store) {}
    void TakeSentOut(bool productImprovement) const;

    CUsageStatistics* m_store;  // null once the store is torn down
    bool m_savedByTeardown = false;  // the teardown saved the records into the data file
    std::wstring m_storeName;
    UsageRecords m_records;  // what the upload carries, once taken
    std::mutex m_endedLock;
    std::condition_variable m_endedSignal;
    bool m_ended = false;
};

class CUsageStatistics {
public:
    // Becomes the process's store: loads the data file, publishes itself in
    // g_pUsageStatistics and starts the 3000 ms scheduler timer on this thread. Throws
    // std::logic_error when a store exists; nothing is read or started then.
    explicit CUsageStatistics(const std::wstring& storeName,
                              StatisticsTeardown teardown = StatisticsTeardown::ReturnAtOnce);
    // Kills the scheduler timers armed on this thread and meets a running upload as the
    // teardown setting says; then, under one hold of the store lock, unpublishes the store,
    // saves the data file when productImprovement is set and detaches its uploads. Lets no
    // exception out: when it cannot save (no memory, no lock, a file that can't be
    // replaced) the file stays as it was. Must not run under the loader lock (DllMain).
    ~CUsageStatistics();
    CUsageStatistics(const CUsageStatistics&) = delete;
    CUsageStatistics& operator=(const CUsageStatistics&) = delete;

    // A new store (returning at once at teardown), or null when the process has one
    // already (no exception): for hosts whose threads may race to build the store.
    static std::unique_ptr<CUsageStatistics> CreateIfNone(const std::wstring& storeName);

    // Count into the current store; without one they do nothing. True when a store took
    // the count. A null name counts nothing.
    static bool Count(const char* name, std::int32_t value);
    // "profile_tiny" ... "profile_full" for 0 to 4, "profile_none" for anything else.
    static bool CountProfile(PlenzarProfile profile);
    static const char* ProfileEventName(PlenzarProfile profile);

    // Lower-cases the name (bytes A-Z only) and counts it into this store under its key
    // (UsageKeyOf). A new name finds no room in a store of kMaxUsageRecords entries.
    void Add(std::string name, std::int32_t value);

    // Adds the data file's records to the store; a file that can't be read, one larger than
    // any store writes, or no lock within its time-out leaves the store as it was.
    void LoadFromFile();
    // Adds what the store changed since it loaded (or last saved) to the file as it is now,
    // and replaces it; false when the file stays as it was. No exception leaves it.
    bool SaveToFile() noexcept;
    std::wstring GetDataFilePath() const;
    static std::wstring DataFilePathOf(const std::wstring& storeName);
    // { "data": [...]} of the entries in key order; names escaped for JSON, and made
    // well-formed UTF-8.
    std::string ToJson() const;
    static std::string JsonOf(const UsageRecords& records);
    // "X-PlenzarFile-Agent: <module version>|<host version>|<anonymous id>|<store name>".
    std::wstring BuildAgentHeader() const;
    static std::wstring AgentHeaderOf(const std::wstring& storeName);

    const std::wstring& Name() const { return m_name; }
    bool IsEmpty() const;
    UsageRecords CopyRecords() const;

    // Removes what an upload sent, keeping counts made since. A -= of the sent count and
    // value; an entry left with no count is erased.
    void RemoveSent(const UsageRecords& sent);
    // A new upload of this store, registered before its worker exists so the teardown
    // cannot miss it. Throws std::bad_alloc.
    std::shared_ptr<CUsageUpload> BeginUpload();

private:
    friend class CUsageUpload;
    void WaitForUploads(DWORD timeoutMs);
    void DetachUploads(bool saved);
    void ForgetUpload(const CUsageUpload* upload);

    UsageRecords m_records;
    // The records as the data file held them when loaded or last saved: a save adds to the
    // file only what changed since.
    UsageRecords m_fileRecords;
    bool m_fileLoaded = false;  // the file was read, so it holds nothing that m_records lacks
    std::wstring m_name;
    StatisticsTeardown m_teardown;
    mutable std::mutex m_recordsLock;  // every access to m_records

    std::mutex m_uploadsLock;  // m_uploads
    std::vector<std::shared_ptr<CUsageUpload>> m_uploads;  // under way, not yet finished
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

// JSON string contents for name: well-formed UTF-8 (ill-formed sequences become U+FFFD),
// quotation mark, backslash and control characters escaped.
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
