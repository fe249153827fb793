#include "common/update_check.h"

#include "classlib/thread.h"
#include "classlib/wait_cursor.h"
#include "common/http_client.h"
#include "common/local_date.h"
#include "common/settings.h"
#include "common/vendor_urls.h"
#include "common/version_info.h"
#include "common/version_number.h"

#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <memory>

std::wstring g_updateCheckExtraHeader;

namespace {

std::atomic<UpdateTimerHook> g_onUpdateTimerPending{nullptr};
std::atomic<UpdateTimerHook> g_onUpdateTimerEnded{nullptr};

void NotifyPending()
{
    if (UpdateTimerHook hook = g_onUpdateTimerPending.load())
        hook();
}

void NotifyEnded()
{
    if (UpdateTimerHook hook = g_onUpdateTimerEnded.load())
        hook();
}

// Asks the endpoint; the reply body as text, or false when the request failed. Runs on
// the request's worker thread.
bool RequestLatestVersion(std::string& reply) noexcept
{
    try {
        CHttpClient client;
        client.m_extraHeader = g_updateCheckExtraHeader;
        client.m_connectTimeout = kUpdateRequestTimeoutMs;
        client.m_sendTimeout = kUpdateRequestTimeoutMs;
        client.m_receiveTimeout = kUpdateRequestTimeoutMs;
        client.m_requestTimeLimit = kUpdateRequestTimeLimitMs;
        if (!client.SendRequest(kUpdateEndpointUrl, nullptr, 0))
            return false;
        DWORD length = 0;
        const BYTE* body = client.GetResponse(length);
        reply.assign(body ? reinterpret_cast<const char*>(body) : "", body ? length : 0);
        return true;
    } catch (...) {  // CHttpClientInitError, or no memory: a failed request
        return false;
    }
}

// One request for the latest version, shared by the check that waits for it and the
// worker thread that sends it, so that either may be done with it first. The worker
// writes the result before it signals done; the check reads it only after the signal.
struct LatestVersionRequest {
    LatestVersionRequest() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~LatestVersionRequest()
    {
        if (done)
            CloseHandle(done);
    }
    LatestVersionRequest(const LatestVersionRequest&) = delete;
    LatestVersionRequest& operator=(const LatestVersionRequest&) = delete;

    HANDLE done;
    bool succeeded = false;
    std::string reply;
};

// The worker: parameter is a new std::shared_ptr<LatestVersionRequest>, its share, which
// it deletes. It holds the pending hook from its start to its end, so a library stays
// loaded under a request that its check no longer waits for.
UINT __cdecl LatestVersionThreadProc(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<LatestVersionRequest>> share(
        static_cast<std::shared_ptr<LatestVersionRequest>*>(parameter));
    LatestVersionRequest& request = **share;
    request.succeeded = RequestLatestVersion(request.reply);
    SetEvent(request.done);
    share.reset();
    NotifyEnded();
    return 0;
}

// Sends the request from a worker thread and waits for it at most kUpdateCheckWaitLimitMs,
// without dispatching messages, as a request on this thread would. WinInet's time-outs
// hold for each read only: a server or proxy that trickles its reply, head included,
// would otherwise hold the host's window thread for as long as it trickles. A request not
// done in time counts as failed and is left to end on its own.
bool RequestLatestVersionInTime(std::string& reply)
{
    const auto request = std::make_shared<LatestVersionRequest>();
    if (!request->done)
        return false;
    auto share = std::make_unique<std::shared_ptr<LatestVersionRequest>>(request);
    NotifyPending();
    try {
        if (!AfxBeginThread(LatestVersionThreadProc, share.get())) {
            NotifyEnded();
            return false;
        }
    } catch (...) {  // no memory for the thread's objects
        NotifyEnded();
        return false;
    }
    share.release();  // the worker's now
    CWaitCursor waitCursor;
    if (WaitForSingleObject(request->done, kUpdateCheckWaitLimitMs) != WAIT_OBJECT_0 || !request->succeeded)
        return false;
    reply = std::move(request->reply);
    return true;
}

// The prompt names the version as read, not the reply: whatever follows the four numbers
// (a page a proxy put in its place, say) stays out of it.
std::wstring FormatPrompt(const VersionNumber& latest)
{
    wchar_t version[4 * 12 + 4];
    swprintf(version, sizeof(version) / sizeof(version[0]), L"%d.%d.%d.%d", latest.parts[0], latest.parts[1],
             latest.parts[2], latest.parts[3]);
    const std::wstring format = kUpdatePromptFormat;
    const size_t slot = format.find(L"%s");
    return format.substr(0, slot) + version + format.substr(slot + 2);
}

UpdatePromptOwner g_updatePromptOwner = nullptr;

void OfferDownload(const VersionNumber& latest)
{
    const std::wstring prompt = FormatPrompt(latest);
    const HWND owner = g_updatePromptOwner ? g_updatePromptOwner() : nullptr;
    if (MessageBoxW(owner, prompt.c_str(), kUpdatePromptCaption, MB_YESNO) == IDYES)
        ShellExecuteW(nullptr, L"open", kDownloadPageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void ArmUpdateTimer(UINT elapseMs)
{
    if (SetTimer(nullptr, kUpdateTimerId, elapseMs, UpdateTimerProc))
        NotifyPending();
}

} // namespace

void SetUpdatePromptOwner(UpdatePromptOwner owner)
{
    g_updatePromptOwner = owner;
}

void SetUpdateTimerPendingHooks(UpdateTimerHook onPending, UpdateTimerHook onEnded)
{
    g_onUpdateTimerPending = onPending;
    g_onUpdateTimerEnded = onEnded;
}

void StartUpdateTimer()
{
    ArmUpdateTimer(kUpdateFirstCheckDelayMs);
}

void CALLBACK UpdateTimerProc(HWND, UINT, UINT_PTR timerId, DWORD)
{
    // A timer message taken before the kill is not a second pending timer.
    const bool wasPending = KillTimer(nullptr, timerId) != FALSE;
    try {
        CheckForUpdate();
    } catch (...) {
        // Out of memory: no check this time. Nothing may reach the host's message loop.
    }
    if (wasPending)
        NotifyEnded();
}

void CheckForUpdate()
{
    CSettings settings;
    const int today = TodaysDayOfMonth();
    if (today == 0)
        return;
    if (settings.checkForUpdateLastDate == today) {
        if (settings.checkForUpdate != 0)
            ArmUpdateTimer(kUpdateRecheckDelayMs);
        return;
    }

    std::string reply;
    if (!RequestLatestVersionInTime(reply))
        return;
    settings.checkForUpdateLastDate = today;
    settings.Save(SETTING_CHECK_FOR_UPDATE_LAST_DATE);

    VersionNumber latest;
    VersionNumber own;
    if (ReadVersionNumber(reply.c_str(), latest) < 4)
        return;
    if (ReadVersionNumber(GetModuleVersionString().c_str(), own) < 4)
        return;
    if (IsNewerVersion(latest, own))
        OfferDownload(latest);
}
