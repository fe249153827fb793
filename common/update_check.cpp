#include "common/update_check.h"

#include "common/http_client.h"
#include "common/local_date.h"
#include "common/settings.h"
#include "common/text_conversion.h"
#include "common/vendor_urls.h"
#include "common/version_info.h"
#include "common/version_number.h"

#include <shellapi.h>

std::wstring g_updateCheckExtraHeader;

namespace {

// Asks the endpoint; the reply body as text, or false when the request failed.
bool RequestLatestVersion(std::string& reply)
{
    try {
        CHttpClient client;
        client.m_extraHeader = g_updateCheckExtraHeader;
        if (!client.SendRequest(kUpdateEndpointUrl, nullptr, 0))
            return false;
        DWORD length = 0;
        const BYTE* body = client.GetResponse(length);
        reply.assign(body ? reinterpret_cast<const char*>(body) : "", body ? length : 0);
        return true;
    } catch (const CHttpClientInitError&) {
        return false;
    }
}

std::wstring FormatPrompt(const std::string& reply)
{
    const CUtf8ToWide replyText(reply.c_str());
    const wchar_t* shown = replyText.c_str() ? replyText.c_str() : L"";
    const std::wstring format = kUpdatePromptFormat;
    const size_t slot = format.find(L"%s");
    return format.substr(0, slot) + shown + format.substr(slot + 2);
}

UpdatePromptOwner g_updatePromptOwner = nullptr;

void OfferDownload(const std::string& reply)
{
    const std::wstring prompt = FormatPrompt(reply);
    const HWND owner = g_updatePromptOwner ? g_updatePromptOwner() : nullptr;
    if (MessageBoxW(owner, prompt.c_str(), kUpdatePromptCaption, MB_YESNO) == IDYES)
        ShellExecuteW(nullptr, L"open", kDownloadPageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

UpdateTimerHook g_onUpdateTimerPending = nullptr;
UpdateTimerHook g_onUpdateTimerEnded = nullptr;

void ArmUpdateTimer(UINT elapseMs)
{
    if (SetTimer(nullptr, kUpdateTimerId, elapseMs, UpdateTimerProc) && g_onUpdateTimerPending)
        g_onUpdateTimerPending();
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
    if (wasPending && g_onUpdateTimerEnded)
        g_onUpdateTimerEnded();
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
    if (!RequestLatestVersion(reply))
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
        OfferDownload(reply);
}
