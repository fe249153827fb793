#pragma once
// Shared pieces of the usage statistics tests: a clean settings key and data file, a
// message loop for the thread timers, and a count of what the pending hook reports.
#include "common/local_date.h"
#include "common/settings.h"
#include "common/statistics_upload.h"
#include "common/usage_statistics.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>

namespace statistics_test {

constexpr wchar_t kStoreName[] = L"PlenzarStatisticsTest";

inline std::wstring DataFilePath() { return GetTempFolder() + kStoreName + kUsageDataFileSuffix; }

inline bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One data-file record as bytes: name zero-filled to 64 bytes, then count and value LE.
inline std::string RecordBytes(const std::string& name, std::int32_t count, std::int32_t value)
{
    std::string bytes = name.substr(0, 64);
    bytes.resize(64, '\0');
    for (std::int32_t field : {count, value})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((static_cast<std::uint32_t>(field) >> shift) & 0xFF);
    return bytes;
}

inline void StoreSettings(std::int32_t productImprovement, std::int32_t lastUploadDay)
{
    CSettings settings;
    settings.productImprovement = productImprovement;
    settings.productImprovementSendData = lastUploadDay;
    settings.Save(SETTING_PRODUCT_IMPROVEMENT | SETTING_PRODUCT_IMPROVEMENT_SEND_DATA);
}

// Runs this thread's message loop until done() or the time is up; false on time-out.
template <typename Done> bool PumpMessagesUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

inline std::atomic<int>& PendingCount()
{
    static std::atomic<int> count{0};
    return count;
}

// Clean settings key, no data file, counting pending hooks; checks that every pending
// timer and worker has ended by the end of the test.
class StatisticsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        PendingCount() = 0;
        SetStatisticsPendingHooks([] { ++PendingCount(); }, [] { --PendingCount(); });
    }
    void TearDown() override
    {
        EXPECT_EQ(g_pUsageStatistics, nullptr);
        EXPECT_EQ(PendingCount().load(), 0) << "a timer or worker outlived the test";
        SetStatisticsPendingHooks(nullptr, nullptr);
        Clean();
    }
    static void Clean()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
        DeleteFileW(DataFilePath().c_str());
    }
};

}  // namespace statistics_test
