#include "common/tests/statistics_test_support.h"

#include "common/anonymous_id.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

using namespace statistics_test;

namespace {

class UsageStatisticsTest : public StatisticsTest {};

TEST_F(UsageStatisticsTest, RecordsAreSeventyTwoBytesInMemoryAndInTheFileInKeyOrder)
{
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count("PNG", 100);
        CUsageStatistics::Count("jpg", 0x01020304);
        CUsageStatistics::Count("JPG", -2);
        CUsageStatistics::CountProfile(PROFILE_MEDIUM);

        const auto records = store.CopyRecords();
        const UsageRecord& jpg = records.at("jpg");
        std::string memory(reinterpret_cast<const char*>(&jpg), sizeof(jpg));
        EXPECT_EQ(memory, RecordBytes("jpg", 2, 0x01020302));
    }
    // Key order is byte order: "jpg" < "png" < "profile_medium".
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 2, 0x01020302) +
                                                 RecordBytes("png", 1, 100) +
                                                 RecordBytes("profile_medium", 1, 0));
}

TEST_F(UsageStatisticsTest, NamesFoldOnlyAsciiCapitalsAndValuesWrap)
{
    CUsageStatistics store(kStoreName);
    CUsageStatistics::Count(".JpG", 5);
    CUsageStatistics::Count(".jpg", 7);
    CUsageStatistics::Count("\xC3\x84Z", 0);  // "Ä" in UTF-8 stays as it is
    CUsageStatistics::Count("big", 2147483647);
    CUsageStatistics::Count("big", 2);
    CUsageStatistics::Count("MIXED", 0);

    const auto records = store.CopyRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records.at(".jpg").count, 2);
    EXPECT_EQ(records.at(".jpg").value, 12);
    EXPECT_EQ(records.count("\xC3\x84z"), 1u);
    EXPECT_EQ(store.ToJson(),
              "{ \"data\": [{\"name\":\".jpg\", \"count\": 2, \"value\": 12}, "
              "{\"name\":\"big\", \"count\": 2, \"value\": -2147483647}, "
              "{\"name\":\"mixed\", \"count\": 1, \"value\": 0}, "
              "{\"name\":\"\xC3\x84z\", \"count\": 1, \"value\": 0}]}");
}

TEST_F(UsageStatisticsTest, JsonBodyIsExactAndEscapesWhatWouldBreakIt)
{
    CUsageStatistics store(kStoreName);
    EXPECT_EQ(store.ToJson(), "{ \"data\": []}");
    CUsageStatistics::CountProfile(PROFILE_MEDIUM);
    CUsageStatistics::CountProfile(PROFILE_MEDIUM);
    CUsageStatistics::CountProfile(PROFILE_TINY);
    EXPECT_EQ(store.ToJson(),
              "{ \"data\": [{\"name\":\"profile_medium\", \"count\": 2, \"value\": 0}, "
              "{\"name\":\"profile_tiny\", \"count\": 1, \"value\": 0}]}");

    EXPECT_EQ(EscapeJsonText("a\"b\\c\n\x01\x1f\x7f/"), "a\\\"b\\\\c\\u000a\\u0001\\u001f\x7f/");
    EXPECT_EQ(EscapeJsonText(".tiff"), ".tiff");
}

TEST_F(UsageStatisticsTest, EachProfileCountsUnderItsOwnNameAndAnyOtherNumberAsNone)
{
    CUsageStatistics store(kStoreName);
    // Profile p is counted p + 1 times, so a name given to the wrong profile shows.
    for (int profile = PROFILE_TINY; profile <= PROFILE_FULL; ++profile)
        for (int i = 0; i <= profile; ++i) CUsageStatistics::CountProfile(profile);
    for (int profile : {-1, 5, 99, -100}) CUsageStatistics::CountProfile(profile);

    std::map<std::string, std::int32_t> counts;
    for (const auto& entry : store.CopyRecords()) counts[entry.first] = entry.second.count;
    EXPECT_EQ(counts, (std::map<std::string, std::int32_t>{{"profile_tiny", 1}, {"profile_small", 2},
                                                           {"profile_medium", 3}, {"profile_large", 4},
                                                           {"profile_full", 5}, {"profile_none", 4}}));
}

TEST_F(UsageStatisticsTest, LongNameKeepsItsKeyUntilSavedAndLoaded)
{
    const std::string longName(70, 'x');
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count(longName.c_str(), 3);
        const auto records = store.CopyRecords();
        ASSERT_EQ(records.count(longName), 1u);
        EXPECT_EQ(std::string(records.at(longName).name), std::string(63, 'x'));
        EXPECT_NE(store.ToJson().find("\"" + longName + "\""), std::string::npos);
    }
    CUsageStatistics store(kStoreName);
    CUsageStatistics::Count(longName.c_str(), 1);
    const auto records = store.CopyRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records.at(std::string(63, 'x')).value, 3);
    EXPECT_EQ(records.at(longName).value, 1);
}

TEST_F(UsageStatisticsTest, EmptyNameIsAnEntryLikeAnyOther)
{
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count("", 4);
        EXPECT_FALSE(CUsageStatistics::Count(nullptr, 4));
        EXPECT_EQ(store.ToJson(), "{ \"data\": [{\"name\":\"\", \"count\": 1, \"value\": 4}]}");
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("", 1, 4));
    CUsageStatistics store(kStoreName);
    EXPECT_EQ(store.CopyRecords().at("").value, 4);
}

TEST_F(UsageStatisticsTest, SecondStoreIsRefusedAndChangesNothing)
{
    WriteFileBytes(DataFilePath(), RecordBytes("gif", 1, 1));
    CUsageStatistics store(kStoreName);
    WriteFileBytes(DataFilePath(), RecordBytes("bmp", 9, 9));
    const int pendingBefore = PendingCount();

    EXPECT_THROW(CUsageStatistics second(kStoreName), std::logic_error);
    EXPECT_EQ(CUsageStatistics::CreateIfNone(L"Other"), nullptr);

    EXPECT_EQ(g_pUsageStatistics, &store);
    EXPECT_EQ(PendingCount(), pendingBefore);  // no timer started
    EXPECT_EQ(store.CopyRecords().size(), 1u);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("bmp", 9, 9));
}

TEST_F(UsageStatisticsTest, TeardownSavesOnlyWithProductImprovement)
{
    const std::string earlier = RecordBytes("gif", 1, 1);
    WriteFileBytes(DataFilePath(), earlier);
    StoreSettings(0, 0);
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count("png", 1);
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()), earlier);
    EXPECT_FALSE(CUsageStatistics::Count("png", 1)) << "counting without a store";

    StoreSettings(1, 0);
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count("png", 1);
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("gif", 1, 1) + RecordBytes("png", 1, 1));

    // An empty store deletes the file and writes none.
    DeleteFileW(DataFilePath().c_str());
    WriteFileBytes(DataFilePath(), "");
    { CUsageStatistics store(kStoreName); }
    EXPECT_FALSE(FileExists(DataFilePath()));
}

TEST_F(UsageStatisticsTest, StoresBuiltAndTornDownOnTwoThreadsLeaveEveryCountInTheFile)
{
    // Explorer builds and releases handlers on several threads: each store must read what
    // the one before it saved, even when it is built during that one's teardown.
    StoreSettings(1, TodaysDayOfYear());
    std::atomic<long> taken{0};
    auto rounds = [&] {
        for (int round = 0; round < 300; ++round) {
            std::unique_ptr<CUsageStatistics> mine = CUsageStatistics::CreateIfNone(kStoreName);
            if (CUsageStatistics::Count("jpg", 1)) ++taken;
            mine.reset();
        }
    };
    std::thread other(rounds);
    rounds();
    other.join();
    ASSERT_GT(taken.load(), 0);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", taken, taken));
}

TEST_F(UsageStatisticsTest, OddDataFiles)
{
    // Empty: an empty store.
    WriteFileBytes(DataFilePath(), "");
    { EXPECT_TRUE(CUsageStatistics(kStoreName).IsEmpty()); }

    // 150 bytes: two records, the last 6 bytes ignored; the first of equal names wins.
    WriteFileBytes(DataFilePath(), RecordBytes("a", 1, 2) + RecordBytes("a", 5, 6) + "123456");
    {
        CUsageStatistics store(kStoreName);
        const auto records = store.CopyRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records.at("a").count, 1);
    }

    // Names filling all 64 bytes: the key stops at the field, the bytes go back unchanged.
    const std::string full = RecordBytes(std::string(64, 'n'), 7, 8) + RecordBytes(std::string(64, 'm'), 1, 1);
    WriteFileBytes(DataFilePath(), full);
    {
        CUsageStatistics store(kStoreName);
        const auto records = store.CopyRecords();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records.count(std::string(64, 'n')), 1u);
        EXPECT_NE(store.ToJson().find("\"" + std::string(64, 'n') + "\", \"count\": 7"), std::string::npos);
        CUsageStatistics::Count(std::string(64, 'N').c_str(), 1);
        EXPECT_EQ(store.CopyRecords().at(std::string(64, 'n')).count, 8);
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()),
              RecordBytes(std::string(64, 'm'), 1, 1) + RecordBytes(std::string(64, 'n'), 8, 9));

    // Random bytes: whatever the names hold, the body stays one JSON text.
    std::mt19937 random(20261208);
    std::string noise(72 * 40 + 17, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 256);
    for (size_t i = 0; i + 72 <= noise.size(); i += 72 * 3) noise[i + 5] = '"';
    WriteFileBytes(DataFilePath(), noise);
    CUsageStatistics store(kStoreName);
    const std::string json = store.ToJson();
    EXPECT_FALSE(store.IsEmpty());
    size_t unescapedQuotes = 0;
    for (size_t i = 0; i < json.size(); ++i) {
        EXPECT_GE(static_cast<unsigned char>(json[i]), 0x20u) << "raw control byte at " << i;
        if (json[i] == '\\') ++i;
        else if (json[i] == '"') ++unescapedQuotes;
    }
    EXPECT_EQ(unescapedQuotes, 2 + store.CopyRecords().size() * 8);
}

TEST_F(UsageStatisticsTest, AgentHeaderAndDataFilePath)
{
    CUsageStatistics store(kStoreName);
    EXPECT_EQ(store.BuildAgentHeader(), L"X-PlenzarFile-Agent: 3.4.5.6|3.4.5.6|" + GetAnonymousId() +
                                            L"|" + kStoreName);

    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(GetTempFolder(), std::wstring(temp, length));
    EXPECT_EQ(GetTempFolder().back(), L'\\');
    EXPECT_EQ(store.GetDataFilePath(), std::wstring(temp, length) + L"PlenzarStatisticsTest_data.dat");
}

}  // namespace
