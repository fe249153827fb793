#include "common/update_check.h"

#include "common/local_date.h"
#include "common/settings.h"
#include "common/tests/import_spy.h"
#include "common/vendor_urls.h"
#include "tests/support/http_test_server.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/url_recorder_scope.h"
#include "tests/support/wininet_proxy.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using testsupport::CannedReply;
using testsupport::HttpTestServer;
using testsupport::MessageBoxAnswerer;
using testsupport::ScopedUrlRecorder;
using testsupport::ScopedWinInetProxy;
using testsupport::SeenMessageBox;

namespace {

// The thread timers that the code under test sets, seen on their way to user32.
struct TimerCall {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC procedure;
    UINT_PTR result;
};
std::vector<TimerCall> g_timerCalls;
ImportSpy* g_setTimerSpy = nullptr;

UINT_PTR WINAPI RecordingSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
    const UINT_PTR result =
        reinterpret_cast<SetTimerFunction>(g_setTimerSpy->Original())(window, id, elapse, procedure);
    g_timerCalls.push_back({window, id, elapse, procedure, result});
    return result;
}

int AnotherDayOfMonth()
{
    return TodaysDayOfMonth() % 28 + 1;
}

std::wstring Prompt(const std::wstring& reply)
{
    return L"New version of PlenzarFile is available (" + reply + L"). Do you want to download it now?";
}

// Every case starts and ends without the settings key, with the vendor's hosts served
// by a local server and without timers of its own left behind.
class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(server.port(), 0);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
        g_timerCalls.clear();
        g_setTimerSpy = &setTimerSpy;
        ASSERT_TRUE(setTimerSpy.Installed());
    }

    void TearDown() override
    {
        for (const TimerCall& call : g_timerCalls)
            KillTimer(nullptr, call.result);
        g_setTimerSpy = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    }

    static void StoreSetting(const wchar_t* name, DWORD value)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value, sizeof(value)),
                  ERROR_SUCCESS);
    }

    // The stored value, or -1 when there is none.
    static long long StoredSetting(const wchar_t* name)
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
            != ERROR_SUCCESS)
            return -1;
        return value;
    }

    void Reply(const std::string& body, int status = 200)
    {
        CannedReply reply;
        reply.status = status;
        reply.body = body;
        server.Queue(reply);
    }

    // Runs one check in this test program (product version 3.4.5.6), answering a prompt
    // with answer; the prompts shown.
    std::vector<SeenMessageBox> CheckAnswering(int answer)
    {
        MessageBoxAnswerer answerer(kUpdatePromptCaption, answer);
        CheckForUpdate();
        return answerer.Boxes();
    }

    // Exactly one thread timer was set: no window, id 1, elapse, UpdateTimerProc.
    static void ExpectOneUpdateTimerOf(UINT elapse)
    {
        ASSERT_EQ(g_timerCalls.size(), 1u);
        EXPECT_EQ(g_timerCalls[0].window, nullptr);
        EXPECT_EQ(g_timerCalls[0].id, kUpdateTimerId);
        EXPECT_EQ(g_timerCalls[0].elapse, elapse);
        EXPECT_EQ(g_timerCalls[0].procedure, &UpdateTimerProc);
        EXPECT_NE(g_timerCalls[0].result, 0u);
    }

    size_t RequestCount() const { return server.Requests().size(); }

    // Dispatches this thread's messages until done() or timeoutMs.
    template <typename Done>
    static bool PumpMessagesUntil(Done done, DWORD timeoutMs)
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (!done()) {
            if (GetTickCount64() >= deadline)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return true;
    }

    HttpTestServer server;
    ScopedWinInetProxy proxy{server.port()};
    ImportSpy setTimerSpy{"user32.dll", "SetTimer", reinterpret_cast<void*>(&RecordingSetTimer)};
};

TEST_F(UpdateCheck, ANewerVersionIsOfferedAndYesOpensTheDownloadPage)
{
    // As in a deliverable of version 1.0.0.4 that holds the check.
    HMODULE probe = LoadLibraryW(L"version_probe_1004.dll");
    ASSERT_NE(probe, nullptr);
    const auto runCheck = reinterpret_cast<void (*)()>(GetProcAddress(probe, "RunUpdateCheck"));
    ASSERT_NE(runCheck, nullptr);
    ScopedUrlRecorder browser;
    ASSERT_TRUE(browser.Active());
    Reply("1.0.0.5");

    MessageBoxAnswerer answerer(kUpdatePromptCaption, IDYES);
    runCheck();
    FreeLibrary(probe);

    const std::vector<SeenMessageBox> boxes = answerer.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Prompt(L"1.0.0.5"));
    EXPECT_EQ(boxes[0].caption, L"PlenzarFile");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_FALSE(boxes[0].hasIcon);

    ASSERT_TRUE(browser.WaitForUrls(1, 10000));
    EXPECT_EQ(browser.Urls(), std::vector<std::wstring>{kDownloadPageUrl});

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    // In proxy form; WinInet names the default port.
    EXPECT_EQ(requests[0].target.rfind("http://update.plenzar.example", 0), 0u) << requests[0].target;
    EXPECT_EQ(requests[0].target.substr(requests[0].target.size() - 8), "/latest/");
    EXPECT_EQ(requests[0].Header("Host"), "update.plenzar.example");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Header("Content-Length"), "0");
    EXPECT_EQ(requests[0].body, "");

    // Only the day of this check is stored.
    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), TodaysDayOfMonth());
    EXPECT_EQ(StoredSetting(L"checkForUpdate"), -1);
    EXPECT_TRUE(g_timerCalls.empty());
}

TEST_F(UpdateCheck, ThePromptShowsTheVersionAsReadAndNoOpensNothing)
{
    ScopedUrlRecorder browser;
    ASSERT_TRUE(browser.Active());
    Reply("3.4.5.7 beta");
    std::vector<SeenMessageBox> boxes = CheckAnswering(IDNO);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Prompt(L"3.4.5.7"));

    // A later check (another day) asks again; what follows the four numbers stays out. A
    // host that names the prompt's owner gets the box on its window, asked when it shows.
    static HWND s_hostWindow = nullptr;
    s_hostWindow = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(s_hostWindow, nullptr);
    SetUpdatePromptOwner([]() { return s_hostWindow; });
    StoreSetting(L"checkForUpdateLastDate", AnotherDayOfMonth());
    Reply(" 3.\t4.\n5. +8 \xC3\xBC" "ber\r\n<html>");
    boxes = CheckAnswering(IDNO);
    SetUpdatePromptOwner(nullptr);
    DestroyWindow(s_hostWindow);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Prompt(L"3.4.5.8"));
    EXPECT_EQ(boxes[0].owner, s_hostWindow);

    EXPECT_FALSE(browser.WaitForUrls(1, 1500));
}

TEST_F(UpdateCheck, OnlyAReplyThatIsNewerPartByPartIsOffered)
{
    struct Case {
        const char* reply;
        bool offered;
    };
    // Against this program's own version 3.4.5.6.
    const Case cases[] = {
        {"3.4.5.7", true},        {"3.4.6.0", true},         {"3.5.0.0", true},
        {"4.0.0.0", true},        {"3.4.5.10", true},        {" 3.\t4.\n5. +7", true},
        {"3.4.5.7.1", true},      {"3.4.5.6", false},        {"3.4.5.5", false},
        {"3.4.4.99", false},      {"3.3.9.9", false},        {"2.99.99.99", false},
        {"-4.0.0.0", false},      {"3.4.5.-7", false},       {"2.0", false},
        {"3.4.5", false},         {"3 .4.5.7", false},       {"v3.4.5.7", false},
        {"", false},  // no body at all
        // Numbers beyond 32 bits are not versions at all, whatever they would wrap to.
        {"3.4.5.99999999999", false}, {"3.4.5.4294967303", false}, {"2147483648.0.0.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        StoreSetting(L"checkForUpdateLastDate", AnotherDayOfMonth());
        Reply(c.reply);
        const std::vector<SeenMessageBox> boxes = CheckAnswering(IDNO);
        EXPECT_EQ(boxes.size(), c.offered ? 1u : 0u);
        // Whatever the reply, the check counts as made today.
        EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), TodaysDayOfMonth());
    }
    EXPECT_EQ(RequestCount(), std::size(cases));
}

TEST_F(UpdateCheck, AFailedRequestStoresNothingShowsNothingAndSetsNoTimer)
{
    StoreSetting(L"checkForUpdateLastDate", AnotherDayOfMonth());
    StoreSetting(L"checkForUpdate", 1);
    Reply("9.9.9.9", 404);
    Reply("9.9.9.9", 500);
    // A redirect to a captive portal, which would answer with a version of its own.
    server.Queue(testsupport::RedirectTo("http://portal.example/login"));
    // A version followed by more than the 64 KiB kept of a reply.
    CannedReply tooLong;
    tooLong.body = "9.9.9.9\r\n";
    tooLong.generatedLength = 64 * 1024;
    server.Queue(tooLong);
    server.SetDefaultReply(CannedReply{200, "9.9.9.9"});
    for (int check = 0; check < 4; ++check)
        EXPECT_TRUE(CheckAnswering(IDNO).empty()) << check;
    EXPECT_EQ(RequestCount(), 4u) << "the redirect was followed";

    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), AnotherDayOfMonth());
    EXPECT_EQ(StoredSetting(L"checkForUpdate"), 1);
    EXPECT_TRUE(g_timerCalls.empty());
}

TEST_F(UpdateCheck, AnUnreachableEndpointStoresNothing)
{
    StoreSetting(L"checkForUpdateLastDate", 0);
    std::unique_ptr<HttpTestServer> closed = std::make_unique<HttpTestServer>();
    const unsigned short port = closed->port();
    ASSERT_NE(port, 0);
    closed.reset();
    ScopedWinInetProxy deadProxy(port);

    EXPECT_TRUE(CheckAnswering(IDYES).empty());
    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), 0);
    EXPECT_TRUE(g_timerCalls.empty());
}

std::atomic<int> g_pendingUpdateWork{0};

TEST_F(UpdateCheck, AnEndpointThatTricklesHoldsTheThreadNoLongerThanTheWaitLimitAndStoresNothing)
{
    SetUpdateTimerPendingHooks([] { ++g_pendingUpdateWork; }, [] { --g_pendingUpdateWork; });
    StoreSetting(L"checkForUpdateLastDate", AnotherDayOfMonth());
    // Head and body, 64 bytes, one every 250 ms: each well within the receive time-out,
    // the whole after 16 s.
    CannedReply trickle{200, "9.9.9.9"};
    trickle.byteDelayMs = 250;
    server.Queue(trickle);

    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(CheckAnswering(IDYES).empty());
    EXPECT_LT(GetTickCount64() - start, kUpdateCheckWaitLimitMs + 1500);
    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), AnotherDayOfMonth());
    EXPECT_EQ(g_pendingUpdateWork, 1) << "the request, left to end on its own, holds the library";
    EXPECT_TRUE(PumpMessagesUntil([] { return g_pendingUpdateWork == 0; }, 20000));
    SetUpdateTimerPendingHooks(nullptr, nullptr);
}

TEST_F(UpdateCheck, ASecondStartOnTheStoredDayOfTheMonthSendsNothingAndRearmsOnlyWhenChecking)
{
    // The stored number is a day of the month, so any month's same day counts as today.
    StoreSetting(L"checkForUpdateLastDate", TodaysDayOfMonth());
    StoreSetting(L"checkForUpdate", 0);
    CheckForUpdate();
    EXPECT_TRUE(g_timerCalls.empty());

    StoreSetting(L"checkForUpdate", 1);
    CheckForUpdate();
    ExpectOneUpdateTimerOf(86400000u);

    EXPECT_EQ(RequestCount(), 0u);
    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), TodaysDayOfMonth());
}

TEST_F(UpdateCheck, TheRearmedTimerChecksOnTheNextDayAndEndsItself)
{
    StoreSetting(L"checkForUpdateLastDate", TodaysDayOfMonth());
    CheckForUpdate();  // checkForUpdate is 1 by default
    ASSERT_EQ(g_timerCalls.size(), 1u);
    const UINT_PTR dailyTimer = g_timerCalls[0].result;

    // A day later: the loop calls the procedure with the timer's id.
    StoreSetting(L"checkForUpdateLastDate", AnotherDayOfMonth());
    Reply("3.4.5.6");
    MessageBoxAnswerer answerer(kUpdatePromptCaption, IDNO);
    UpdateTimerProc(nullptr, WM_TIMER, dailyTimer, GetTickCount());

    EXPECT_EQ(RequestCount(), 1u);
    EXPECT_EQ(StoredSetting(L"checkForUpdateLastDate"), TodaysDayOfMonth());
    EXPECT_FALSE(KillTimer(nullptr, dailyTimer)) << "the daily timer still runs";
    EXPECT_EQ(g_timerCalls.size(), 1u) << "a check that sent a request arms nothing";
}

TEST_F(UpdateCheck, TheFirstCheckRunsFromAThreadTimerOf5000MsInTheMessageLoopAndFiresOnce)
{
    // checkForUpdate only decides the daily re-arming, not whether a started timer checks.
    StoreSetting(L"checkForUpdate", 0);
    Reply("3.4.5.9");
    MessageBoxAnswerer answerer(kUpdatePromptCaption, IDNO);
    const ULONGLONG started = GetTickCount64();
    StartUpdateTimer();
    ExpectOneUpdateTimerOf(5000u);
    ASSERT_EQ(g_timerCalls.size(), 1u);

    ASSERT_TRUE(PumpMessagesUntil([&] { return answerer.Boxes().size() == 1; }, 20000));
    EXPECT_GE(GetTickCount64() - started, 4500u);
    EXPECT_EQ(answerer.Boxes()[0].text, Prompt(L"3.4.5.9"));
    EXPECT_EQ(RequestCount(), 1u);
    EXPECT_FALSE(KillTimer(nullptr, g_timerCalls[0].result)) << "the timer still runs";
}

int g_pendingUpdateTimers = 0;

TEST_F(UpdateCheck, EachArmedTimerIsPendingUntilItHasFiredAndItsCheckHasRun)
{
    SetUpdateTimerPendingHooks([] { ++g_pendingUpdateTimers; }, [] { --g_pendingUpdateTimers; });
    g_pendingUpdateTimers = 0;
    StoreSetting(L"checkForUpdateLastDate", TodaysDayOfMonth());

    StartUpdateTimer();
    ASSERT_EQ(g_timerCalls.size(), 1u);
    EXPECT_EQ(g_pendingUpdateTimers, 1);

    // The first check finds today's check done and re-arms for a day: still one pending.
    UpdateTimerProc(nullptr, WM_TIMER, g_timerCalls[0].result, GetTickCount());
    ASSERT_EQ(g_timerCalls.size(), 2u);
    EXPECT_EQ(g_pendingUpdateTimers, 1);

    // A message of a timer already killed ends nothing more.
    StoreSetting(L"checkForUpdate", 0);
    UpdateTimerProc(nullptr, WM_TIMER, g_timerCalls[0].result, GetTickCount());
    EXPECT_EQ(g_pendingUpdateTimers, 1);

    UpdateTimerProc(nullptr, WM_TIMER, g_timerCalls[1].result, GetTickCount());
    EXPECT_EQ(g_timerCalls.size(), 2u);
    EXPECT_EQ(g_pendingUpdateTimers, 0);
    SetUpdateTimerPendingHooks(nullptr, nullptr);
}

} // namespace
