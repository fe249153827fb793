#pragma once
// The daily update check: asks the vendor's update endpoint for the latest version and,
// when it is newer than the product version of the module holding this code, offers to
// open the download page. It runs on the thread that starts its timer, from that
// thread's message loop.
#include <windows.h>

#include <string>

// Extra header line(s) of the update request; empty, so the request carries none.
extern std::wstring g_updateCheckExtraHeader;

constexpr UINT_PTR kUpdateTimerId = 1;
constexpr UINT kUpdateFirstCheckDelayMs = 5000;
constexpr UINT kUpdateRecheckDelayMs = 24 * 60 * 60 * 1000;

// Each WinInet time-out of the request (connect, send, receive), the client's bound on the
// whole request (checked between reads), and the longest the check waits for the request,
// which it sends from a worker thread: one check holds its thread no longer than that.
constexpr DWORD kUpdateRequestTimeoutMs = 3000;
constexpr DWORD kUpdateRequestTimeLimitMs = 8000;
constexpr DWORD kUpdateCheckWaitLimitMs = 10000;

// The prompt's caption and text (the version read from the reply, "%d.%d.%d.%d", goes in
// place of %s).
constexpr wchar_t kUpdatePromptCaption[] = L"PlenzarFile";
constexpr wchar_t kUpdatePromptFormat[] =
    L"New version of PlenzarFile is available (%s). Do you want to download it now?";

// A thread timer (no window) that calls UpdateTimerProc after 5000 ms.
void StartUpdateTimer();

// Called once when an update timer is armed and once after it has fired and its check has
// run, and likewise when a check's request starts on its worker thread and when that
// thread is done with it (it may outlast its check), so that a library can stay loaded
// while either is pending. Null hooks (the default) do nothing. Set before the first timer.
using UpdateTimerHook = void (*)();
void SetUpdateTimerPendingHooks(UpdateTimerHook onPending, UpdateTimerHook onEnded);

// Asked for the prompt's owner window each time the prompt shows, so that it stands before
// the host's window. Null (the default) shows it without an owner.
using UpdatePromptOwner = HWND (*)();
void SetUpdatePromptOwner(UpdatePromptOwner owner);

// Thread-timer procedure: kills the timer that fired, then runs CheckForUpdate.
void CALLBACK UpdateTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// One check. At most one request a day (by the stored day of the month); on a day that
// already had a successful check it only re-arms the timer for 24 hours when
// checkForUpdate is set. A failed request changes nothing: a status of 300 or more (a
// redirect is not followed), a reply of more than 64 KiB, or no reply within
// kUpdateCheckWaitLimitMs. Shows the prompt when the reply is newer and opens the
// download page on Yes.
void CheckForUpdate();
