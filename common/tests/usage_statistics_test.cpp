#include "common/tests/statistics_test_support.h"

#include "common/anonymous_id.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <stdexcept>
#include <thread>

using namespace statistics_test;

// This program's allocator, with a switch: armed for one thread, that thread's allocations
// fail once a given number more have been made (a host out of memory).
namespace failing_allocator {
std::atomic<DWORD> g_thread{0};
std::atomic<long> g_allowed{0};
std::atomic<bool> g_failed{false};
}  // namespace failing_allocator

void* operator new(std::size_t size)
{
    using namespace failing_allocator;
    if (g_thread.load(std::memory_order_relaxed) == GetCurrentThreadId() && g_allowed-- <= 0) {
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

namespace {

// Runs work with this thread's allocations failing after `allowed` more; true when one failed.
template <typename Work> bool WithAllocationsLimitedTo(long allowed, Work work)
{
    using namespace failing_allocator;
    g_failed = false;
    g_allowed = allowed;
    g_thread = GetCurrentThreadId();
    work();
    g_thread = 0;
    return g_failed;
}

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

    // Ill-formed UTF-8 becomes U+FFFD, one for each maximal part of a sequence; a cut
    // character before a quotation mark must not swallow it.
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(EscapeJsonText("\xE5\xA0\""), fffd + "\\\"");
    EXPECT_EQ(EscapeJsonText("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\x80\xFF"),
              fffd + fffd + "|" + fffd + fffd + fffd + "|" + fffd + fffd + fffd + fffd + "|" + fffd + fffd);
    EXPECT_EQ(EscapeJsonText("\xC3\xA4\xE5\xA0\xB1\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"),
              "\xC3\xA4\xE5\xA0\xB1\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
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

TEST_F(UsageStatisticsTest, LongNamesAreCutToWhatARecordHoldsWithoutSplittingACharacter)
{
    // 70 bytes, and 62 bytes followed by a character of three bytes that would not fit.
    const std::string longName(70, 'X');
    const std::string cutCharacter = std::string(62, 'a') + "\xE5\xA0\xB1";
    for (int run = 0; run < 3; ++run) {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count(longName.c_str(), 1);
        CUsageStatistics::Count(cutCharacter.c_str(), 2);
        EXPECT_EQ(store.CopyRecords().size(), 2u) << "one key in memory and in the file, run " << run;
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()),
              RecordBytes(std::string(62, 'a'), 3, 6) + RecordBytes(std::string(63, 'x'), 3, 3));
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

TEST_F(UsageStatisticsTest, ASaveThatFailsLeavesTheFileAsItWasAndTheStoreEndsAllTheSame)
{
    const std::string before = RecordBytes("gif", 1, 1);
    const std::string after = before + RecordBytes("png", 1, 7);

    // A file that can't be replaced: another program has it open.
    WriteFileBytes(DataFilePath(), before);
    auto store = std::make_unique<CUsageStatistics>(kStoreName);
    CUsageStatistics::Count("png", 7);
    const HANDLE held = CreateFileW(DataFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    store.reset();
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), before);

    // Out of memory at each allocation of the teardown in turn: no exception leaves it, and
    // the file is the old one or the new one, whole.
    int failures = 0;
    for (long allowed = 0;; ++allowed) {
        WriteFileBytes(DataFilePath(), before);
        store = std::make_unique<CUsageStatistics>(kStoreName);
        CUsageStatistics::Count("png", 7);
        const bool failed = WithAllocationsLimitedTo(allowed, [&] { store.reset(); });
        EXPECT_EQ(g_pUsageStatistics, nullptr);
        const std::string file = ReadFileBytes(DataFilePath());
        if (!failed) {
            EXPECT_EQ(file, after);
            break;
        }
        EXPECT_TRUE(file == before || file == after) << "with " << allowed << " allocations";
        ++failures;
    }
    EXPECT_GT(failures, 3);
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

    // 150 bytes: two records, the last 6 bytes ignored; equal names add up.
    WriteFileBytes(DataFilePath(), RecordBytes("a", 1, 2) + RecordBytes("a", 5, 6) + "123456");
    {
        CUsageStatistics store(kStoreName);
        const auto records = store.CopyRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records.at("a").count, 6);
        EXPECT_EQ(records.at("a").value, 8);
    }

    // Names filling all 64 bytes: cut to the 63 that a counted name keeps.
    const std::string full = RecordBytes(std::string(64, 'n'), 7, 8) + RecordBytes(std::string(64, 'm'), 1, 1);
    WriteFileBytes(DataFilePath(), full);
    {
        CUsageStatistics store(kStoreName);
        const auto records = store.CopyRecords();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records.count(std::string(63, 'n')), 1u);
        EXPECT_NE(store.ToJson().find("\"" + std::string(63, 'n') + "\", \"count\": 7"), std::string::npos);
        CUsageStatistics::Count(std::string(64, 'N').c_str(), 1);
        EXPECT_EQ(store.CopyRecords().at(std::string(63, 'n')).count, 8);
    }
    EXPECT_EQ(ReadFileBytes(DataFilePath()),
              RecordBytes(std::string(63, 'm'), 1, 1) + RecordBytes(std::string(63, 'n'), 8, 9));

    // Random bytes: whatever the names hold, the body stays one JSON text in UTF-8.
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
    EXPECT_NE(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, json.data(), static_cast<int>(json.size()), nullptr, 0),
              0);
}

TEST_F(UsageStatisticsTest, AFileLargerThanAnyStoreWritesIsNotLoadedAndTheNextSaveReplacesIt)
{
    std::string records;
    for (size_t i = 0; i < kMaxUsageRecords; ++i) records += RecordBytes("n" + std::to_string(i), 1, 1);
    WriteFileBytes(DataFilePath(), records + RecordBytes("png", 1, 1));
    {
        CUsageStatistics store(kStoreName);
        EXPECT_TRUE(store.IsEmpty());
        CUsageStatistics::Count("gif", 2);
    }
    const std::string replaced = ReadFileBytes(DataFilePath());
    ASSERT_EQ(replaced.size(), 72u);
    EXPECT_EQ(replaced, RecordBytes("gif", 1, 2));

    // A full store takes no new name, so it never writes what it would refuse to load.
    WriteFileBytes(DataFilePath(), records);
    {
        CUsageStatistics store(kStoreName);
        CUsageStatistics::Count("gif", 2);
        CUsageStatistics::Count("n0", 2);
    }
    const std::string saved = ReadFileBytes(DataFilePath());
    ASSERT_EQ(saved.size(), records.size());
    EXPECT_EQ(saved.substr(0, 72), RecordBytes("n0", 2, 3));
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
