#include "common/statistics_upload.h"

#include "classlib/thread.h"
#include "common/http_client.h"
#include "common/local_date.h"
#include "common/settings.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

std::atomic<StatisticsPendingHook> g_onPending{nullptr};
std::atomic<StatisticsPendingHook> g_onEnded{nullptr};
std::atomic<StatisticsThreadStarter> g_threadStarter{nullptr};

// What is sent is subtracted afterwards: one upload at a time.
std::mutex g_uploadLock;

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

namespace {

// Starts the worker with its own share of the upload; false when no thread runs it.
bool StartUploadWorker(const std::shared_ptr<CUsageUpload>& upload) noexcept
{
    try {
        auto share = std::make_unique<std::shared_ptr<CUsageUpload>>(upload);
        const StatisticsThreadStarter starter = g_threadStarter.load();
        if (!(starter ? starter : AfxBeginThread)(UploadStatisticsThreadProc, share.get(),
                                                  THREAD_PRIORITY_NORMAL, 0, 0, nullptr))
            return false;
        share.release();  // the worker's now
        return true;
    } catch (...) {  // no memory for the thread's objects
        return false;
    }
}

// Sends what the upload takes from its store; true on success.
bool SendRecords(CUsageUpload& upload) noexcept
{
    try {
        // The user may have left the program since the upload was scheduled.
        if (CSettings().productImprovement == 0 || !upload.TakeRecords()) return false;
        const std::string body = CUsageStatistics::JsonOf(upload.Records());
        CHttpClient client;
        client.m_verbFlag = CHttpClient::kVerbPost;
        client.m_contentType = HttpContentTypeJson;
        client.m_connectTimeout = kStatisticsUploadTimeoutMs;
        client.m_sendTimeout = kStatisticsUploadTimeoutMs;
        client.m_receiveTimeout = kStatisticsUploadTimeoutMs;
        client.m_extraHeader = CUsageStatistics::AgentHeaderOf(upload.StoreName());
        if (!client.SendRequest(kStatisticsUrl, body.data(), static_cast<DWORD>(body.size())))
            return false;
        DWORD length = 0;
        client.GetResponse(length);
        return true;
    } catch (...) {  // CHttpClientInitError or no memory: a failed upload
        return false;
    }
}

bool SendUpload(CUsageUpload& upload)
{
    std::lock_guard<std::mutex> lock(g_uploadLock);
    const bool sent = SendRecords(upload);
    upload.Finish(sent);
    return sent;
}

}  // namespace

void SetStatisticsPendingHooks(StatisticsPendingHook onPending, StatisticsPendingHook onEnded)
{
    g_onPending = onPending;
    g_onEnded = onEnded;
}

void SetStatisticsThreadStarter(StatisticsThreadStarter starter) { g_threadStarter = starter; }

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
    try {
        ScheduleStatisticsUpload();
    } catch (...) {
        // Out of memory or settings that can't be read: no upload this time. Nothing may
        // reach the host's message loop.
    }
    if (wasPending) NotifyEnded();
}

void ScheduleStatisticsUpload()
{
    bool rearm = false;
    std::shared_ptr<CUsageUpload> upload;
    WithCurrentUsageStatistics([&](CUsageStatistics* store) {
        if (!store) return;
        const int today = TodaysDayOfYear();
        CSettings settings;
        // A store may exist while the user has not joined the improvement program (the
        // program and the shell extension build theirs regardless): then nothing is sent,
        // and what it loaded stays in the data file.
        const bool joined = settings.productImprovement != 0;
        const bool due = joined && !store->IsEmpty() &&
                         IsStatisticsUploadDue(static_cast<std::uint32_t>(today),
                                               static_cast<std::uint32_t>(settings.productImprovementSendData));
        if (!due) {
            rearm = joined;
            return;
        }
        settings.productImprovementSendData = today;
        settings.Save(SETTING_PRODUCT_IMPROVEMENT_SEND_DATA);
        // Registered before the thread exists, so the teardown cannot miss it.
        upload = store->BeginUpload();
    });
    if (upload) {
        NotifyPending();
        if (!StartUploadWorker(upload)) {
            // No thread will end it: it ends here, before it took anything from the store,
            // so no teardown waits for it and no hold stays.
            upload->Finish(false);
            NotifyEnded();
        }
    }
    if (rearm) StartStatisticsTimer(kWeeklyScheduleDelayMs);
}

UINT __cdecl UploadStatisticsThreadProc(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<CUsageUpload>> share(
        static_cast<std::shared_ptr<CUsageUpload>*>(parameter));
    if (!share) return 0;
    if (*share) SendUpload(**share);
    share.reset();
    NotifyEnded();  // from here on the library may be released
    return 0;
}

bool UploadStatistics(CUsageStatistics& store)
{
    try {
        return SendUpload(*store.BeginUpload());
    } catch (const std::bad_alloc&) {
        return false;
    }
}
