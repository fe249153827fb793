#include "common/tests/statistics_test_support.h"

#include "common/anonymous_id.h"
#include "common/text_conversion.h"
#include "common/usage_data_file.h"
#include "tests/support/http_test_server.h"
#include "tests/support/wininet_proxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <regex>
#include <thread>
#include <vector>

using namespace statistics_test;
using testsupport::CannedReply;
using testsupport::HttpTestServer;
using testsupport::RecordedRequest;

namespace {

TEST(StatisticsDueRule, AWeekAfterTheLastUploadDayAcrossTheYearsEnd)
{
    EXPECT_TRUE(IsStatisticsUploadDue(2, 360));   // 7 days across the year's end
    EXPECT_FALSE(IsStatisticsUploadDue(2, 362));  // 5 days
    EXPECT_FALSE(IsStatisticsUploadDue(5, 0));
    EXPECT_TRUE(IsStatisticsUploadDue(7, 0));
    EXPECT_FALSE(IsStatisticsUploadDue(100, 100));
    EXPECT_TRUE(IsStatisticsUploadDue(364, 0));
    EXPECT_FALSE(IsStatisticsUploadDue(0, 364));  // one day
}

int DayAWeekAgo() { return (TodaysDayOfYear() + 365 - 7) % 365; }

CannedReply Reply(int status, DWORD delayMs = 0)
{
    CannedReply reply;
    reply.status = status;
    reply.body = "ok";
    reply.delayMs = delayMs;
    return reply;
}

class StatisticsUploadTest : public StatisticsTest {
protected:
    void SetUp() override
    {
        StatisticsTest::SetUp();
        ASSERT_NE(server.port(), 0);
        proxy = std::make_unique<testsupport::ScopedWinInetProxy>(server.port());
    }
    void TearDown() override
    {
        proxy.reset();
        StatisticsTest::TearDown();
    }

    bool PumpUntilRequests(size_t count, DWORD timeoutMs = 10000)
    {
        return PumpMessagesUntil([&] { return server.Requests().size() >= count; }, timeoutMs);
    }
    bool PumpUntilNothingPending(DWORD timeoutMs = 10000)
    {
        return PumpMessagesUntil([] { return PendingCount() == 0; }, timeoutMs);
    }
    static std::int32_t StoredUploadDay() { return CSettings().productImprovementSendData; }
    static DWORD TimeOfTeardown(std::unique_ptr<CUsageStatistics>& store)
    {
        const DWORD start = GetTickCount();
        store.reset();
        return GetTickCount() - start;
    }

    HttpTestServer server;
    std::unique_ptr<testsupport::ScopedWinInetProxy> proxy;
};

TEST_F(StatisticsUploadTest, TimerStartsTheUploadAndSuccessEmptiesTheStore)
{
    // The records loaded from the data file go with those counted since.
    StoreSettings(1, DayAWeekAgo());
    WriteFileBytes(DataFilePath(), RecordBytes("gif", 2, 30));
    server.SetDefaultReply(Reply(200));
    CUsageStatistics store(kStoreName);
    CUsageStatistics::Count("PNG", 5);

    ASSERT_TRUE(PumpUntilRequests(1));
    ASSERT_TRUE(PumpUntilNothingPending()) << "the worker did not end";
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(StoredUploadDay(), TodaysDayOfYear());

    const RecordedRequest request = server.Requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_TRUE(request.target == "http://stats.plenzar.example/track/" ||
                request.target == "http://stats.plenzar.example:80/track/")
        << request.target;
    EXPECT_EQ(request.Header("Content-Type"), "application/json");
    EXPECT_EQ(request.Header("X-PlenzarFile-Agent"),
              "3.4.5.6|3.4.5.6|" + std::string(CWideToUtf8(GetAnonymousId().c_str())) +
                  "|PlenzarStatisticsTest");
    EXPECT_EQ(request.body, "{ \"data\": [{\"name\":\"gif\", \"count\": 2, \"value\": 30}, "
                            "{\"name\":\"png\", \"count\": 1, \"value\": 5}]}");
}

TEST_F(StatisticsUploadTest, FailedUploadKeepsTheRecordsAndTheDayIsStoredBeforeTheRequest)
{
    StoreSettings(1, DayAWeekAgo());
    server.SetDefaultReply(Reply(500, 1500));
    CUsageStatistics store(kStoreName);
    CUsageStatistics::Count("tif", 1);

    ASSERT_TRUE(PumpUntilRequests(1));
    EXPECT_EQ(StoredUploadDay(), TodaysDayOfYear()) << "stored while the request is under way";
    EXPECT_EQ(PendingCount(), 1) << "the worker, and no weekly timer beside it";
    ASSERT_TRUE(PumpUntilNothingPending());
    EXPECT_EQ(store.CopyRecords().at("tif").count, 1);
}

TEST_F(StatisticsUploadTest, NothingIsSentWhileTheUserHasNotJoinedAndTheEarlierRecordsStayInTheFile)
{
    StoreSettings(0, DayAWeekAgo());
    const std::string earlier = RecordBytes("gif", 3, 3);
    WriteFileBytes(DataFilePath(), earlier);
    auto store = std::make_unique<CUsageStatistics>(kStoreName);
    CUsageStatistics::Count("jpg", 10);
    ASSERT_TRUE(PumpUntilNothingPending(kFirstScheduleDelayMs + 5000)) << "the first timer ends, no other";
    EXPECT_FALSE(UploadStatistics(*store)) << "nor when asked directly";
    store.reset();
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(StoredUploadDay(), DayAWeekAgo());
    EXPECT_EQ(ReadFileBytes(DataFilePath()), earlier);
}

TEST_F(StatisticsUploadTest, ARedirectToALoginPageIsAFailedUploadAndTheRecordsStay)
{
    StoreSettings(1, DayAWeekAgo());
    server.Queue(testsupport::RedirectTo("http://portal.example/login"));
    CannedReply loginPage = Reply(200);
    loginPage.body = "Please log in";
    server.SetDefaultReply(loginPage);
    CUsageStatistics store(kStoreName);
    CUsageStatistics::Count("png", 5);

    ASSERT_TRUE(PumpUntilRequests(1));
    ASSERT_TRUE(PumpUntilNothingPending());
    EXPECT_EQ(server.Requests().size(), 1u) << "the login page was asked for";
    EXPECT_EQ(store.CopyRecords().at("png").count, 1);
}

TEST_F(StatisticsUploadTest, NotDueOrEmptyRearmsTheWeeklyTimerOnlyWithProductImprovement)
{
    struct Case {
        std::int32_t productImprovement;
        std::int32_t lastUploadDay;
        bool count;
        int timersAfterwards;
    };
    for (const Case& c : {Case{1, TodaysDayOfYear(), true, 1}, Case{0, TodaysDayOfYear(), true, 0},
                          Case{1, DayAWeekAgo(), false, 1}}) {
        StoreSettings(c.productImprovement, c.lastUploadDay);
        auto store = std::make_unique<CUsageStatistics>(kStoreName);
        if (c.count) CUsageStatistics::Count("jpg", 1);
        ASSERT_EQ(PendingCount(), 1);
        // The first timer ends (pending goes to 0) unless a weekly one replaces it.
        PumpMessagesUntil([] { return false; }, kFirstScheduleDelayMs + 1000);
        EXPECT_EQ(PendingCount(), c.timersAfterwards) << c.productImprovement << " " << c.count;
        EXPECT_EQ(StoredUploadDay(), c.lastUploadDay);
        EXPECT_TRUE(server.Requests().empty());
        store.reset();  // the teardown kills this thread's weekly timer
        EXPECT_EQ(PendingCount(), 0);
        DeleteFileW(DataFilePath().c_str());
    }
}

TEST_F(StatisticsUploadTest, TimerOfAnotherThreadFindsNoStoreAfterTheTeardown)
{
    StoreSettings(1, DayAWeekAgo());
    std::unique_ptr<CUsageStatistics> store;
    std::thread host([&] {
        store = std::make_unique<CUsageStatistics>(kStoreName);
        CUsageStatistics::Count("jpg", 1);
        PumpMessagesUntil([] { return false; }, 500);
        // Torn down elsewhere while its timer is still pending here.
        std::thread([&] { store.reset(); }).join();
        EXPECT_EQ(PendingCount(), 1);
        PumpMessagesUntil([] { return PendingCount() == 0; }, kFirstScheduleDelayMs + 3000);
    });
    host.join();
    EXPECT_EQ(PendingCount(), 0);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(StoredUploadDay(), DayAWeekAgo());
}

TEST_F(StatisticsUploadTest, AWaitingTeardownWaitsForTheWorkerAndKeepsWhatWasCountedMeanwhile)
{
    StoreSettings(1, DayAWeekAgo());
    server.SetDefaultReply(Reply(200, 1500));
    {
        CUsageStatistics store(kStoreName, StatisticsTeardown::WaitForUpload);
        CUsageStatistics::Count("jpg", 10);
        ASSERT_TRUE(PumpUntilRequests(1));
        CUsageStatistics::Count("jpg", 1);  // while the request is under way
        CUsageStatistics::Count("bmp", 2);
        EXPECT_EQ(PendingCount(), 1);
    }  // the worker still waits for its reply here
    EXPECT_EQ(PendingCount(), 0);
    EXPECT_EQ(server.Requests().at(0).body,
              "{ \"data\": [{\"name\":\"jpg\", \"count\": 1, \"value\": 10}]}");
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("bmp", 1, 2) + RecordBytes("jpg", 1, 1));
}

TEST_F(StatisticsUploadTest, AWaitingTeardownEndsWithTheWorkersTimeOutsWhenTheHostGoesSilent)
{
    StoreSettings(1, DayAWeekAgo());
    server.SetDefaultReply(Reply(200, 120000));  // takes the request, never answers
    auto store = std::make_unique<CUsageStatistics>(kStoreName, StatisticsTeardown::WaitForUpload);
    CUsageStatistics::Count("jpg", 10);
    ASSERT_TRUE(PumpUntilRequests(1));
    CUsageStatistics::Count("png", 1);
    const DWORD tornDownAfterMs = TimeOfTeardown(store);
    EXPECT_EQ(PendingCount(), 0) << "the worker ended by its own time-outs, not abandoned";
    EXPECT_LT(tornDownAfterMs, kStatisticsUploadWaitLimitMs);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 1, 10) + RecordBytes("png", 1, 1));
}

TEST_F(StatisticsUploadTest, AWaitingTeardownGivingUpOnATricklingHostSavesEverythingAndTheSentLeaveTheFile)
{
    StoreSettings(1, DayAWeekAgo());
    WriteFileBytes(DataFilePath(), RecordBytes("gif", 2, 30));
    // Each byte well within the receive time-out; the whole reply (about 60 bytes) long
    // after the teardown's wait limit.
    CannedReply trickle = Reply(200);
    trickle.byteDelayMs = 400;
    server.SetDefaultReply(trickle);
    auto store = std::make_unique<CUsageStatistics>(kStoreName, StatisticsTeardown::WaitForUpload);
    CUsageStatistics::Count("jpg", 10);
    ASSERT_TRUE(PumpUntilRequests(1));
    CUsageStatistics::Count("png", 1);
    store.reset();
    ASSERT_EQ(PendingCount(), 1) << "the wait gave up while the reply still trickles";
    EXPECT_EQ(ReadFileBytes(DataFilePath()),
              RecordBytes("gif", 2, 30) + RecordBytes("jpg", 1, 10) + RecordBytes("png", 1, 1))
        << "what the upload carries is saved too: the process may end now";

    ASSERT_TRUE(PumpUntilNothingPending(20000));
    EXPECT_EQ(server.Requests().at(0).body, "{ \"data\": [{\"name\":\"gif\", \"count\": 2, \"value\": 30}, "
                                            "{\"name\":\"jpg\", \"count\": 1, \"value\": 10}]}");
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("png", 1, 1)) << "what was sent left the file";
}

TEST_F(StatisticsUploadTest, ATeardownReturningAtOnceSavesEverythingAndASentUploadTakesItsRecordsOutOfTheFile)
{
    struct Case {
        std::int32_t productImprovement;
        int status;
        std::string fileAfterTeardown;
        std::string fileAfterUpload;
    };
    const std::string meanwhile = RecordBytes("bmp", 1, 2) + RecordBytes("jpg", 1, 1);
    const std::string everything = RecordBytes("bmp", 1, 2) + RecordBytes("gif", 3, 3) + RecordBytes("jpg", 2, 11);
    const std::string earlier = RecordBytes("gif", 3, 3);
    for (const Case& c : {Case{1, 200, everything, meanwhile}, Case{1, 500, everything, everything}}) {
        SCOPED_TRACE(c.status);
        StoreSettings(c.productImprovement, DayAWeekAgo());
        WriteFileBytes(DataFilePath(), earlier);
        server.SetDefaultReply(Reply(c.status, 1500));
        auto store = std::make_unique<CUsageStatistics>(kStoreName);
        CUsageStatistics::Count("jpg", 10);
        ASSERT_TRUE(PumpUntilRequests(server.Requests().size() + 1));
        CUsageStatistics::Count("jpg", 1);
        CUsageStatistics::Count("bmp", 2);
        store.reset();
        EXPECT_EQ(PendingCount(), 1) << "the worker goes on alone";
        EXPECT_EQ(ReadFileBytes(DataFilePath()), c.fileAfterTeardown);
        ASSERT_TRUE(PumpUntilNothingPending());
        EXPECT_EQ(ReadFileBytes(DataFilePath()), c.fileAfterUpload);
    }
}

TEST_F(StatisticsUploadTest, AnUploadWhoseStoreIsGoneTakesWhatItSentOutOfTheNewerStore)
{
    for (const int status : {503, 200}) {
        SCOPED_TRACE(status);
        StoreSettings(1, DayAWeekAgo());
        server.SetDefaultReply(Reply(status, 1500));
        auto store = std::make_unique<CUsageStatistics>(kStoreName);
        CUsageStatistics::Count("jpg", 10);
        ASSERT_TRUE(PumpUntilRequests(server.Requests().size() + 1));
        CUsageStatistics::Count("jpg", 1);
        store.reset();
        store = std::make_unique<CUsageStatistics>(kStoreName);  // reads everything the teardown saved
        ASSERT_TRUE(PumpMessagesUntil([] { return PendingCount() == 1; }, 5000)) << "the worker ends";
        EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 2, 11)) << "the file is the newer store's";
        EXPECT_EQ(store->ToJson(), status == 200 ? "{ \"data\": [{\"name\":\"jpg\", \"count\": 1, \"value\": 1}]}"
                                                 : "{ \"data\": [{\"name\":\"jpg\", \"count\": 2, \"value\": 11}]}");
        store.reset();
        DeleteFileW(DataFilePath().c_str());
    }
}

TEST_F(StatisticsUploadTest, ASaveAddsThisProcesssCountsToWhatAnotherProcessSavedAndTakesOutWhatThisOneSent)
{
    StoreSettings(1, TodaysDayOfYear());
    server.SetDefaultReply(Reply(200));
    WriteFileBytes(DataFilePath(), RecordBytes("gif", 2, 30));
    auto store = std::make_unique<CUsageStatistics>(kStoreName);
    CUsageStatistics::Count("png", 5);
    ASSERT_TRUE(UploadStatistics(*store));  // gif and png sent
    CUsageStatistics::Count("png", 1);

    // Another process loaded the same file, counted and saved meanwhile, and a process was
    // killed while it held the file's lock.
    WriteFileBytes(DataFilePath(), RecordBytes("bmp", 1, 4) + RecordBytes("gif", 3, 31));
    const std::wstring lockName = UsageDataFileLockName(kStoreName);
    const HANDLE keptOpen = CreateMutexW(nullptr, FALSE, lockName.c_str());
    std::thread([&] {
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, lockName.c_str());
        WaitForSingleObject(mutex, INFINITE);
        CloseHandle(mutex);
    }).join();  // ends owning it

    store.reset();
    CloseHandle(keptOpen);
    EXPECT_EQ(ReadFileBytes(DataFilePath()),
              RecordBytes("bmp", 1, 4) + RecordBytes("gif", 1, 1) + RecordBytes("png", 1, 1));
}

CWinThread* NoThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES) { return nullptr; }
CWinThread* NoMemory(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES)
{
    throw std::bad_alloc();
}

TEST_F(StatisticsUploadTest, AWorkerThatCannotStartLeavesNoHoldAndNoWaitingTeardown)
{
    for (StatisticsThreadStarter failing : {NoThread, NoMemory}) {
        StoreSettings(1, DayAWeekAgo());
        DeleteFileW(DataFilePath().c_str());
        SetStatisticsThreadStarter(failing);
        auto store = std::make_unique<CUsageStatistics>(kStoreName, StatisticsTeardown::WaitForUpload);
        CUsageStatistics::Count("jpg", 10);
        const bool ended = PumpUntilNothingPending(kFirstScheduleDelayMs + 3000);
        SetStatisticsThreadStarter(nullptr);
        ASSERT_TRUE(ended) << "the failed start released its hold";
        EXPECT_EQ(StoredUploadDay(), TodaysDayOfYear());
        EXPECT_LT(TimeOfTeardown(store), 2000u) << "nothing to wait for";
        EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 1, 10));
        EXPECT_TRUE(server.Requests().empty());
    }
}

std::atomic<CWinThread*> g_heldWorker{nullptr};
CWinThread* StartHeld(AFX_THREADPROC procedure, LPVOID parameter, int priority, UINT stackSize, DWORD,
                      LPSECURITY_ATTRIBUTES security)
{
    g_heldWorker = AfxBeginThread(procedure, parameter, priority, stackSize, CREATE_SUSPENDED, security);
    return g_heldWorker;
}

TEST_F(StatisticsUploadTest, AnUploadTornDownBeforeItTookItsRecordsSendsNothing)
{
    StoreSettings(1, DayAWeekAgo());
    SetStatisticsThreadStarter(StartHeld);
    auto store = std::make_unique<CUsageStatistics>(kStoreName);
    CUsageStatistics::Count("jpg", 10);
    const bool started = PumpMessagesUntil([] { return g_heldWorker != nullptr; }, kFirstScheduleDelayMs + 3000);
    SetStatisticsThreadStarter(nullptr);
    ASSERT_TRUE(started);
    store.reset();
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 1, 10)) << "saved whole by the teardown";
    g_heldWorker.exchange(nullptr)->ResumeThread();
    ASSERT_TRUE(PumpUntilNothingPending());
    EXPECT_TRUE(server.Requests().empty()) << "what the teardown saved is not sent as well";
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("jpg", 1, 10));
}

// Sums of count and value per name over the entries of JSON bodies.
void AddBody(const std::string& body, std::map<std::string, std::pair<long long, long long>>& sums)
{
    static const std::regex entry("\\{\"name\":\"([^\"]*)\", \"count\": (-?\\d+), \"value\": (-?\\d+)\\}");
    for (std::sregex_iterator it(body.begin(), body.end(), entry), end; it != end; ++it) {
        sums[(*it)[1]].first += std::stoll((*it)[2]);
        sums[(*it)[1]].second += std::stoll((*it)[3]);
    }
}

TEST_F(StatisticsUploadTest, CountsOnSeveralThreadsDuringUploadsAreNeitherLostNorSentTwice)
{
    StoreSettings(1, TodaysDayOfYear());
    // Uploads alternate between success and failure: one reply queued ahead of each.
    server.Queue(Reply(200));
    CUsageStatistics store(kStoreName);
    const char* names[] = {"jpg", "png", "gif", "profile_tiny"};
    constexpr int kThreads = 4;
    constexpr size_t kUploads = 8;
    std::atomic<size_t> uploadsDone{0};
    std::vector<std::map<std::string, std::pair<long long, long long>>> counted(kThreads);
    std::vector<std::thread> counters;
    for (int t = 0; t < kThreads; ++t) {
        counters.emplace_back([&, t] {
            for (int i = 0; uploadsDone < kUploads; ++i) {
                const char* name = names[(t + i) % 4];
                CUsageStatistics::Count(name, t + 1);
                counted[t][name].first += 1;
                counted[t][name].second += t + 1;
                if (i % 64 == 0) Sleep(1);
            }
        });
    }
    std::vector<bool> outcomes;
    while (outcomes.size() < kUploads) {
        server.Queue(Reply(outcomes.size() % 2 ? 200 : 500));
        outcomes.push_back(UploadStatistics(store));
        ++uploadsDone;
    }
    for (std::thread& counter : counters) counter.join();
    outcomes.push_back(UploadStatistics(store));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), outcomes.size());
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), true), 5);
    std::map<std::string, std::pair<long long, long long>> sums;
    for (size_t i = 0; i < outcomes.size(); ++i)
        if (outcomes[i]) AddBody(requests[i].body, sums);
    AddBody(store.ToJson(), sums);

    std::map<std::string, std::pair<long long, long long>> expected;
    for (const auto& perThread : counted)
        for (const auto& entry : perThread) {
            expected[entry.first].first += entry.second.first;
            expected[entry.first].second += entry.second.second;
        }
    EXPECT_EQ(sums, expected);
    EXPECT_GT(expected["jpg"].first, 1000);
}

TEST_F(StatisticsUploadTest, CountsRacingTheTeardownEachLandInTheSavedFileOrNowhere)
{
    StoreSettings(1, TodaysDayOfYear());
    auto store = std::make_unique<CUsageStatistics>(kStoreName);
    std::atomic<long> taken{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> counters;
    for (int t = 0; t < 4; ++t) {
        counters.emplace_back([&] {
            while (!go) Sleep(0);
            for (int i = 0; i < 20000; ++i)
                if (CUsageStatistics::Count("race", 1)) ++taken;
        });
    }
    go = true;
    Sleep(20);
    store.reset();
    for (std::thread& counter : counters) counter.join();
    ASSERT_GT(taken.load(), 0);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), RecordBytes("race", taken, taken));
}


TEST_F(StatisticsUploadTest, TeardownsRacingUploadsNeitherLoseNorDoubleACount)
{
    StoreSettings(1, TodaysDayOfYear());
    std::atomic<bool> stop{false};
    std::atomic<long long> taken{0};
    std::vector<std::thread> counters;
    for (const char* name : {"jpg", "png"}) {
        counters.emplace_back([&, name] {
            while (!stop) {
                if (CUsageStatistics::Count(name, 1)) ++taken;
                Sleep(0);
            }
        });
    }
    std::map<std::string, std::pair<long long, long long>> sums;
    for (int round = 0; round < 30; ++round) {
        const int status = round % 3 ? 200 : 500;
        server.SetDefaultReply(Reply(status, round % 4 * 5));
        const size_t requestsBefore = server.Requests().size();
        auto store = std::make_unique<CUsageStatistics>(kStoreName);  // reads the last one's file
        Sleep(round % 5);
        ++PendingCount();  // the hold the scheduler would have taken
        std::thread worker(UploadStatisticsThreadProc, new std::shared_ptr<CUsageUpload>(store->BeginUpload()));
        Sleep(round % 7 * 3);
        store.reset();  // before, during or after the request
        worker.join();
        const auto requests = server.Requests();
        if (status == 200 && requests.size() > requestsBefore) AddBody(requests.back().body, sums);
    }
    stop = true;
    for (std::thread& counter : counters) counter.join();
    AddBody(CUsageStatistics(kStoreName).ToJson(), sums);
    ASSERT_GT(taken.load(), 0);
    EXPECT_EQ(sums["jpg"].first + sums["png"].first, taken.load());
    EXPECT_EQ(sums["jpg"].second + sums["png"].second, taken.load());
}
}  // namespace
