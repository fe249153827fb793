// The handler's usage statistics as the process's store keeps them: what InvokeCommand
// counts, the store shared by handlers on several threads, and the library kept loaded
// while the store's timer is pending.
#include "apartment_thread.h"
#include "common/tests/statistics_test_support.h"
#include "handler_client.h"
#include "shell_test.h"
#include "tests/support/http_test_server.h"
#include "tests/support/wininet_proxy.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using ShellStatisticsTest = ShellTest;

TEST_F(ShellStatisticsTest, EachConvertedFileCountsItsExtensionWithItsLengthThenTheProfile)
{
    folder.Write(L"photo.JPG", "12345");
    folder.Write(L"b.png", "123");
    folder.Write(L"notes.txt", "refused");
    HandlerClient handler;
    ASSERT_EQ(S_OK, handler.Create(server));
    ASSERT_EQ(S_OK, handler.Select({folder / L"photo.JPG", folder / L"b.png", folder / L"notes.txt"}));
    ASSERT_EQ(S_OK, handler.Invoke(2));
    test_engine::Behaviour failing;
    failing.optimize = test_engine::OptimizeAction::Fail;
    SetEngine(failing);
    ASSERT_EQ(S_OK, handler.Invoke(0)) << "a failed conversion is counted all the same";
    handler.Release();

    const StatisticsEntries expected = {
        {".jpg", {2, 10}}, {".png", {2, 6}}, {"profile_medium", {2, 0}}, {"profile_tiny", {2, 0}}};
    EXPECT_EQ(expected, ReadStatisticsDataFile()) << "the builder's release saves the store";

    // The next handler's store starts from that file; a name without extension counts the empty name.
    test_engine::Behaviour everything;
    everything.supportedExtensions = {L"*"};
    SetEngine(everything);
    folder.Write(L"archive", "1234567");
    ASSERT_EQ(S_OK, handler.Create(server));
    ASSERT_EQ(S_OK, handler.Select({folder / L"archive"}));
    ASSERT_EQ(S_OK, handler.Invoke(4));
    handler.Release();
    StatisticsEntries withEmpty = expected;
    withEmpty[""] = {1, 7};
    withEmpty["profile_full"] = {1, 0};
    EXPECT_EQ(withEmpty, ReadStatisticsDataFile());
}

TEST_F(ShellStatisticsTest, WithoutProductImprovementNothingIsSaved)
{
    ScopedStatisticsState::SetProductImprovement(false);
    const StatisticsEntries earlier = {{".gif", {3, 300}}};
    WriteStatisticsDataFile(earlier);
    folder.Write(L"photo.jpg");
    HandlerClient handler;
    ASSERT_EQ(S_OK, handler.Create(server));
    ASSERT_EQ(S_OK, handler.Select({folder / L"photo.jpg"}));
    ASSERT_EQ(S_OK, handler.Invoke(1));
    handler.Release();
    EXPECT_EQ(earlier, ReadStatisticsDataFile());
}

TEST_F(ShellStatisticsTest, ASecondHandlerOnAnotherThreadCountsIntoTheFirstOnesStoreUntilItGoes)
{
    folder.Write(L"a.jpg", "1234");
    HandlerClient first;
    ASSERT_EQ(S_OK, first.Create(server));

    ApartmentThread otherWindow;
    HandlerClient second;
    HRESULT created = E_FAIL, selected = E_FAIL, invoked = E_FAIL;
    otherWindow.Run([&] {
        created = second.Create(server);
        if (SUCCEEDED(created)) selected = second.Select({folder / L"a.jpg"});
        if (SUCCEEDED(selected)) invoked = second.Invoke(1);
    });
    ASSERT_EQ(S_OK, created);
    ASSERT_EQ(S_OK, selected);
    ASSERT_EQ(S_OK, invoked);

    first.Release();
    const StatisticsEntries saved = {{".jpg", {1, 4}}, {"profile_small", {1, 0}}};
    EXPECT_EQ(saved, ReadStatisticsDataFile()) << "the first handler's store held the second one's counts";

    otherWindow.Run([&] {
        invoked = second.Invoke(3);
        second.Release();
    });
    EXPECT_EQ(S_OK, invoked) << "without a store the file is still converted";
    EXPECT_TRUE(folder.Has(L"a (2).jpg"));
    EXPECT_EQ(saved, ReadStatisticsDataFile()) << "neither the late counts nor the second release change the file";
}

TEST_F(ShellStatisticsTest, CountsOnAnotherThreadNeverReachAStoreBeingTornDown)
{
    test_engine::Behaviour failing;  // no output files: every run counts the same source again
    failing.optimize = test_engine::OptimizeAction::Fail;
    SetEngine(failing);
    folder.Write(L"a.jpg", "12");
    int totalRuns = 0;
    for (int round = 0; round < 5; ++round) {
        HandlerClient builder;
        ASSERT_EQ(S_OK, builder.Create(server));
        std::atomic<bool> stop{false};
        std::atomic<int> runs{0};
        HANDLE counting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread otherWindow([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                HandlerClient counter;
                if (SUCCEEDED(counter.Create(server)) && SUCCEEDED(counter.Select({folder / L"a.jpg"}))) {
                    SetEvent(counting);
                    while (!stop) {
                        counter.Invoke(0);
                        ++runs;
                    }
                }
                SetEvent(counting);
            }
            CoUninitialize();
        });
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(counting, 10000));
        Sleep(10 * round);
        builder.Release();  // tears the store down while the other thread counts
        stop = true;
        otherWindow.join();
        CloseHandle(counting);
        totalRuns += runs;

        // The extension and the profile of one file are counted together or not at all.
        StatisticsEntries saved = ReadStatisticsDataFile();
        const StatisticsEntry extension = saved[".jpg"], profile = saved["profile_tiny"];
        EXPECT_EQ(extension.count, profile.count);
        EXPECT_EQ(2 * extension.count, extension.value);
        EXPECT_LE(extension.count, totalRuns);
    }
}

TEST_F(ShellStatisticsTest, AStoreTimerPendingOnItsThreadKeepsTheLibraryLoaded)
{
    // The store is built on another window's thread, whose message loop owns its first
    // timer; released from here, the teardown can't kill that timer.
    ApartmentThread otherWindow;
    HandlerClient handler;
    HRESULT created = E_FAIL;
    otherWindow.Run([&] { created = handler.Create(server); });
    ASSERT_EQ(S_OK, created);
    handler.Release();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "the store's timer is still due on the other thread";
    EXPECT_TRUE(statistics_test::PumpMessagesUntil([&] { return server.CanUnloadNow() == S_OK; }, 10000))
        << "once the timer has run, nothing holds the library";
}

TEST_F(ShellStatisticsTest, TheBuildersReleaseReturnsAtOnceDuringAnUploadAndTheFileEndsWithWhatWasNotSent)
{
    testsupport::HttpTestServer vendor;
    ASSERT_NE(0, vendor.port());
    testsupport::ScopedWinInetProxy proxy(vendor.port());
    testsupport::CannedReply slowReply;
    slowReply.delayMs = 3000;
    vendor.SetDefaultReply(slowReply);
    WriteStatisticsDataFile({{".gif", {2, 30}}});
    ScopedStatisticsState::SetLastUploadDay((TodaysDayOfYear() + 365 - 7) % 365);
    folder.Write(L"a.jpg", "1234");

    HandlerClient handler;
    ASSERT_EQ(S_OK, handler.Create(server));
    ASSERT_EQ(S_OK, handler.Select({folder / L"a.jpg"}));
    ASSERT_TRUE(statistics_test::PumpMessagesUntil([&] { return !vendor.Requests().empty(); }, 10000))
        << "the store's timer starts the upload on this thread's message loop";
    ASSERT_EQ(S_OK, handler.Invoke(1));  // counted while the upload is under way
    const DWORD start = GetTickCount();
    handler.Release();  // the vendor has not answered yet
    EXPECT_LT(GetTickCount() - start, 100u) << "Explorer's window thread is not held up";
    const StatisticsEntries notSent = {{".jpg", {1, 4}}, {"profile_small", {1, 0}}};
    StatisticsEntries everything = notSent;
    everything[".gif"] = {2, 30};
    EXPECT_EQ(everything, ReadStatisticsDataFile()) << "saved at once, what the upload carries included";
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "the worker still runs library code";

    EXPECT_TRUE(statistics_test::PumpMessagesUntil([&] { return server.CanUnloadNow() == S_OK; }, 10000))
        << "the worker ends and lets the library go";
    EXPECT_EQ(notSent, ReadStatisticsDataFile()) << "the sent records are gone";
    ASSERT_EQ(1u, vendor.Requests().size());
    const testsupport::RecordedRequest request = vendor.Requests()[0];
    EXPECT_EQ("{ \"data\": [{\"name\":\".gif\", \"count\": 2, \"value\": 30}]}", request.body);
    const std::string agent = request.Header("X-PlenzarFile-Agent");
    EXPECT_EQ(0u, agent.rfind("2.1.0.2|", 0)) << "the library's own version comes first: " << agent;
    EXPECT_NE(std::string::npos, agent.find("|PlenzarFileShell")) << agent;
}

}  // namespace
