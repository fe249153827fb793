#include "statistics_file.h"

#include "common/settings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kNameBytes = 64;
constexpr size_t kRecordBytes = 72;

}  // namespace

std::wstring StatisticsDataFilePath()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"PlenzarFileShell_data.dat";
}

bool StatisticsDataFileExists() { return GetFileAttributesW(StatisticsDataFilePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

StatisticsEntries ReadStatisticsDataFile()
{
    StatisticsEntries entries;
    FILE* file = _wfopen(StatisticsDataFilePath().c_str(), L"rb");
    if (!file) return entries;
    unsigned char record[kRecordBytes];
    while (std::fread(record, 1, kRecordBytes, file) == kRecordBytes) {
        StatisticsEntry entry;
        std::memcpy(&entry.count, record + kNameBytes, 4);
        std::memcpy(&entry.value, record + kNameBytes + 4, 4);
        entries[std::string(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), kNameBytes))] = entry;
    }
    std::fclose(file);
    return entries;
}

void WriteStatisticsDataFile(const StatisticsEntries& entries)
{
    FILE* file = _wfopen(StatisticsDataFilePath().c_str(), L"wb");
    if (!file) return;
    for (const auto& [name, entry] : entries) {
        unsigned char record[kRecordBytes] = {};
        std::memcpy(record, name.data(), name.size() < kNameBytes ? name.size() : kNameBytes - 1);
        std::memcpy(record + kNameBytes, &entry.count, 4);
        std::memcpy(record + kNameBytes + 4, &entry.value, 4);
        std::fwrite(record, 1, kRecordBytes, file);
    }
    std::fclose(file);
}

void ScopedStatisticsState::SetProductImprovement(bool on)
{
    CSettings settings;
    settings.productImprovement = on ? 1 : 0;
    settings.Save(SETTING_PRODUCT_IMPROVEMENT);
}

void ScopedStatisticsState::SetLastUploadDay(int dayOfYear)
{
    CSettings settings;
    settings.productImprovementSendData = dayOfYear;
    settings.Save(SETTING_PRODUCT_IMPROVEMENT_SEND_DATA);
}

int ScopedStatisticsState::LastUploadDay() { return CSettings().productImprovementSendData; }

void ScopedStatisticsState::Clear()
{
    DeleteFileW(StatisticsDataFilePath().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
}
