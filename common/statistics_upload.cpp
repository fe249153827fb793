#include "common/statistics_upload.h"

#include "classlib/thread.h"
#include "common/http_client.h"
#include "common/local_date.h"
#include "common/settings.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

namespace {

std::atomic<StatisticsPendingHook> g_onPending{nullptr};
std::atomic<StatisticsPendingHook> g_onEnded{nullptr};

void NotifyPending()
{
    if (StatisticsPendingHook hook = g_onPending.load()) hook();
}

void NotifyEnded()
{
    if (StatisticsPendingHook hook = g_onEnded.load()) hook();
}

// The scheduler timers not yet fired or killed. Thread timer ids are only unique per
// thread, so each is known by both.
struct PendingTimer {
    UINT_PTR id;
    DWORD threadId;
};
std::mutex g_timersLock;
std::vector<PendingTimer> g_timers;

// Removes this thread's timer id from the list; true when it was there.
bool ForgetTimer(UINT_PTR id)
{
    std::lock_guard<std::mutex> lock(g_timersLock);
    const DWORD thread = GetCurrentThreadId();
    for (auto it = g_timers.begin(); it != g_timers.end(); ++it) {
        if (it->id == id && it->threadId == thread) {
            g_timers.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace

void SetStatisticsPendingHooks(StatisticsPendingHook onPending, StatisticsPendingHook onEnded)
{
    g_onPending = onPending;
    g_onEnded = onEnded;
}

bool IsStatisticsUploadDue(std::uint32_t today, std::uint32_t lastUploadDay)
{
    const std::uint32_t days = today - lastUploadDay;
    if (days < 7) return false;
    if (lastUploadDay <= today) return true;
    return days + 365u >= 7;
}

bool StartStatisticsTimer(UINT elapseMs)
{
    const UINT_PTR id = SetTimer(nullptr, 1, elapseMs, StatisticsTimerProc);
    if (!id) return false;
    try {
        std::lock_guard<std::mutex> lock(g_timersLock);
        g_timers.push_back({id, GetCurrentThreadId()});
    } catch (const std::bad_alloc&) {
        // An untracked timer could outlive its store; a store without its first schedule
        // only waits for the next process.
        KillTimer(nullptr, id);
        return false;
    }
    NotifyPending();
    return true;
}

void KillStatisticsTimersOfThisThread()
{
    int killed = 0;
    {
        std::lock_guard<std::mutex> lock(g_timersLock);
        const DWORD thread = GetCurrentThreadId();
        for (auto it = g_timers.begin(); it != g_timers.end();) {
            if (it->threadId != thread) {
                ++it;
                continue;
            }
            KillTimer(nullptr, it->id);
            it = g_timers.erase(it);
            ++killed;
        }
    }
    while (killed-- > 0) NotifyEnded();
}

VOID CALLBACK StatisticsTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time)
{
    KillTimer(nullptr, timerId);
    // Forgotten before the scheduler runs: it may be given the same id for its next timer.
    const bool wasPending = ForgetTimer(timerId);
    ScheduleStatisticsUpload();
    if (wasPending) NotifyEnded();
}

void ScheduleStatisticsUpload()
{
    bool rearm = false;
    WithCurrentUsageStatistics([&](CUsageStatistics* store) {
        if (!store) return;
        const int today = TodaysDayOfYear();
        CSettings settings;
        const bool due = !store->IsEmpty() &&
                         IsStatisticsUploadDue(static_cast<std::uint32_t>(today),
                                               static_cast<std::uint32_t>(settings.productImprovementSendData));
        if (!due) {
            rearm = settings.productImprovement != 0;
            return;
        }
        settings.productImprovementSendData = today;
        settings.Save(SETTING_PRODUCT_IMPROVEMENT_SEND_DATA);
        // Registered before the thread exists, so the teardown cannot miss it.
        store->BeginWorker();
        NotifyPending();
        if (!AfxBeginThread(UploadStatisticsThreadProc, store, THREAD_PRIORITY_NORMAL, 0, 0, nullptr)) {
            store->EndWorker();
            NotifyEnded();
        }
    });
    if (rearm) StartStatisticsTimer(kWeeklyScheduleDelayMs);
}

UINT __cdecl UploadStatisticsThreadProc(LPVOID parameter)
{
    CUsageStatistics* store = static_cast<CUsageStatistics*>(parameter);
    if (!store) return 0;
    UploadStatistics(*store);
    store->EndWorker();  // from here on the store may be gone
    NotifyEnded();
    return 0;
}

bool UploadStatistics(CUsageStatistics& store)
{
    static std::mutex uploadLock;  // what is sent is subtracted afterwards: one at a time
    std::lock_guard<std::mutex> lock(uploadLock);
    try {
        const std::map<std::string, UsageRecord> sent = store.CopyRecords();
        const std::string body = CUsageStatistics::JsonOf(sent);
        CHttpClient client;
        client.m_verbFlag = CHttpClient::kVerbPost;
        client.m_contentType = HttpContentTypeJson;
        client.m_extraHeader = store.BuildAgentHeader();
        if (!client.SendRequest(kStatisticsUrl, body.data(), static_cast<DWORD>(body.size())))
            return false;
        DWORD length = 0;
        client.GetResponse(length);
        store.RemoveSent(sent);
        return true;
    } catch (const std::exception&) {  // CHttpClientInitError among them: a failed upload
        return false;
    }
}
