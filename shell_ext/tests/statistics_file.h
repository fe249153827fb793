#pragma once
// The shell extension's statistics data file and the settings that decide whether it is
// written, as tests prepare and read them.
#include <cstdint>
#include <map>
#include <string>

struct StatisticsEntry {
    std::int32_t count = 0;
    std::int32_t value = 0;
    bool operator==(const StatisticsEntry& other) const { return count == other.count && value == other.value; }
};
using StatisticsEntries = std::map<std::string, StatisticsEntry>;

// %TEMP%\PlenzarFileShell_data.dat
std::wstring StatisticsDataFilePath();
bool StatisticsDataFileExists();
// The records of the data file by name (empty when there is none).
StatisticsEntries ReadStatisticsDataFile();
// Writes those records as the data file, in the store's 72-byte form.
void WriteStatisticsDataFile(const StatisticsEntries& entries);

// Starts and ends with no data file and no settings key (so productImprovement is at its
// default, set); the test may change the settings in between.
class ScopedStatisticsState {
public:
    ScopedStatisticsState() { Clear(); }
    ~ScopedStatisticsState() { Clear(); }
    ScopedStatisticsState(const ScopedStatisticsState&) = delete;
    ScopedStatisticsState& operator=(const ScopedStatisticsState&) = delete;

    static void SetProductImprovement(bool on);
    // The day of the year of the last upload start (productImprovementSendData).
    static void SetLastUploadDay(int dayOfYear);
    static int LastUploadDay();

private:
    static void Clear();
};
