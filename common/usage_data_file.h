#pragma once
// The usage statistics data file on disk: read whole, replaced in one step, and used by one
// process of the user's session at a time, so that a crash leaves it whole and no process
// overwrites what another one saved.
#include "common/session_mutex.h"
#include "common/usage_records.h"

#include <windows.h>

#include <optional>
#include <string>

// How long a store waits for another process to finish with its data file (one read and
// one write of at most kMaxUsageRecords records take milliseconds).
constexpr DWORD kUsageDataFileLockTimeoutMs = 5000;

// Holds, for its scope, the lock that every process of the session takes before it reads
// or writes one store's data file: the mutex "Local\PlenzarUsageData_<store name>". Not
// held when the mutex can't be made or the wait times out. A lock whose owner ended
// holding it is taken over: the file is whole all the same (ReplaceUsageDataFile).
class CUsageDataFileLock {
public:
    explicit CUsageDataFileLock(const std::wstring& storeName) noexcept;

    bool IsHeld() const { return m_lock && m_lock->IsHeld(); }

private:
    std::optional<CSessionMutexLock> m_lock;
};

// The mutex name of a store's lock (a backslash in the store name becomes "_").
std::wstring UsageDataFileLockName(const std::wstring& storeName);

enum class UsageDataFileState {
    Read,        // its records were added
    Missing,     // no file (or no path)
    TooLarge,    // more than kMaxUsageRecords records: not a file any store wrote
    Unreadable,  // there, but it can't be read (a folder, a sharing violation)
};

// Adds the records of the data file at path to records, equal names (UsageKeyOf) added up.
// A trailing partial record is ignored. Throws std::bad_alloc.
UsageDataFileState ReadUsageDataFile(const std::wstring& path, UsageRecords& records);

// Replaces the data file at path by records, in key order, in one step: a file written
// beside it, every write, the flush and the close checked, is moved over it. With no
// records the file is deleted. False when it could not be done; the file at path is then
// as it was. Throws std::bad_alloc.
bool ReplaceUsageDataFile(const std::wstring& path, const UsageRecords& records);
