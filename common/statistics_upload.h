#pragma once
// The weekly upload of the usage statistics: the scheduler, its thread timers and the
// upload worker. See common/README.md, "Usage statistics", for the threads and holds.
#include "classlib/thread.h"
#include "common/usage_statistics.h"
#include "common/vendor_urls.h"

#include <windows.h>

#include <cstdint>

constexpr UINT kFirstScheduleDelayMs = 3000;
constexpr UINT kWeeklyScheduleDelayMs = 604800000;

// Each WinInet time-out of the upload request (connect, send, receive), so that a worker
// ends in bounded time even when the statistics host drops packets.
constexpr DWORD kStatisticsUploadTimeoutMs = 5000;
// The longest a waiting teardown waits for an upload: the request's time-outs and a
// margin for what they don't cover (name resolution).
constexpr DWORD kStatisticsUploadWaitLimitMs = 3 * kStatisticsUploadTimeoutMs + 2000;

// Called once when a scheduler timer or an upload worker becomes pending and once when it
// has ended (the end call is the last thing that touches this library's data; the worker
// thread then leaves through the system, see AfxBeginThread). A library that holds a store
// plugs its module lock in here, before it builds its first store, so it stays loaded
// while either is pending. Null hooks (the default) do nothing. Called on the thread that
// arms a timer or starts a worker, and on the thread where it ends.
using StatisticsPendingHook = void (*)();
void SetStatisticsPendingHooks(StatisticsPendingHook onPending, StatisticsPendingHook onEnded);

// The week has passed since the last upload day (days of the year, 365 per year).
bool IsStatisticsUploadDue(std::uint32_t today, std::uint32_t lastUploadDay);

// Arms a thread timer (no window) on this thread that runs the scheduler once; false when
// the system gives none. The pending hook covers it until it fires or is killed.
bool StartStatisticsTimer(UINT elapseMs);
// Kills the scheduler timers armed on this thread (the store's teardown).
void KillStatisticsTimersOfThisThread();

// The thread-timer procedure: kills its timer, then runs the scheduler. Nothing it meets
// leaves into the host's message loop.
VOID CALLBACK StatisticsTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
// Starts the upload worker when the store has entries and the week has passed (storing
// today first), otherwise re-arms the weekly timer when productImprovement is set.
void ScheduleStatisticsUpload();
// The worker: parameter is a new std::shared_ptr<CUsageUpload> (the worker's share of
// the upload, which it deletes), under the pending hook; ends both. Returns 0.
UINT __cdecl UploadStatisticsThreadProc(LPVOID parameter);

// One upload of the store, on the calling thread: POSTs the JSON body with the agent
// header, and on success removes what was sent (counts made meanwhile stay). Uploads of
// the process run one at a time. True on success.
bool UploadStatistics(CUsageStatistics& store);

// Starts the upload worker's thread: AfxBeginThread, unless a test puts a starter that
// fails in its place. Null restores AfxBeginThread.
using StatisticsThreadStarter = CWinThread* (*)(AFX_THREADPROC procedure, LPVOID parameter,
                                                int priority, UINT stackSize, DWORD createFlags,
                                                LPSECURITY_ATTRIBUTES security);
void SetStatisticsThreadStarter(StatisticsThreadStarter starter);
