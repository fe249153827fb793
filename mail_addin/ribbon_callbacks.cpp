#include "mail_addin/ribbon_callbacks.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "classlib/dispatch_driver.h"
#include "classlib/module_state.h"
#include "classlib/win_app.h"
#include "common/settings.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/item_window.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline.h"
#include "mail_addin/preferences_dialog.h"
#include "mail_addin/resource.h"
#include "mail_addin/ribbon_control.h"
#include "mail_addin/ribbon_image.h"
#include "mail_addin/ribbon_xml.h"
#include "mail_addin/work_folder.h"

namespace {

constexpr wchar_t kExplorerRibbonId[] = L"Microsoft.Outlook.Explorer";
constexpr wchar_t kComposeRibbonId[] = L"Microsoft.Outlook.Mail.Compose";

constexpr wchar_t kPreferencesId[] = L"PlenzarMailPreferences";
constexpr wchar_t kToggleId[] = L"PlenzarMailToggle";

// The menu buttons with the profile each one picks.
struct MenuButton {
    const wchar_t* id;
    PlenzarProfile profile;
};
constexpr MenuButton kMenuButtons[] = {
    { L"PlenzarMailTiny", PROFILE_TINY }, { L"PlenzarMailSmall", PROFILE_SMALL },
    { L"PlenzarMailMedium", PROFILE_MEDIUM }, { L"PlenzarMailLarge", PROFILE_LARGE },
    { L"PlenzarMailFull", PROFILE_FULL },
};

// The whole BSTR, embedded NULs included, equals text.
bool BstrEquals(BSTR value, const wchar_t* text)
{
    const UINT length = ::SysStringLen(value);
    return length == std::wcslen(text) && std::wmemcmp(value ? value : L"", text, length) == 0;
}

// The profile change of both click callbacks: the control's tag names the new profile;
// without a tag (the toggle) it switches between none and the default profile.
void ChangeItemProfile(IDispatch* item, IDispatch* control, const CSettings& settings, IRibbonUI* ribbonUi)
{
    const std::wstring tag = GetRibbonControlTag(control);
    const PlenzarProfile current = GetItemProfile(item);
    PlenzarProfile next;
    if (tag.empty()) {
        next = current == PROFILE_NONE ? settings.mailDefaultPlenzarProfile : PROFILE_NONE;
        WriteLog("PlenzarToggleButton");
    } else {
        next = static_cast<PlenzarProfile>(std::wcstol(tag.c_str(), nullptr, 10));
    }
    if (next == current)
        return;
    WriteLog("PlenzarNewProfile %d", next);
    SetItemProfile(item, next);
    ProcessAllAttachments(item, PIPELINE_MODE_APPLY);
    if (ribbonUi)
        ribbonUi->Invalidate();
}

// Owned by the window the button is in, which stays disabled while the dialog is open, so
// the dialog cannot fall behind it. A click in another window brings the open one forward.
void ShowPreferences(IDispatch* control)
{
    if (const HWND open = CPreferencesDlg::OpenWindow()) {
        if (::IsIconic(open))
            ::ShowWindow(open, SW_RESTORE);
        ::SetForegroundWindow(open);
        return;
    }
    WriteLog("PlenzarMailPreferences");
    CWnd owner(GetControlOwnerWindow(control));
    CPreferencesDlg dialog(owner.m_hWnd ? &owner : nullptr);
    if (dialog.DoModal() != IDOK)
        return;
    const CSettings stored;  // what the dialog has just written
    WriteLog("PlenzarMailPreferences change(profile: %d, update: %d, improve: %d)",
             stored.mailDefaultPlenzarProfile, stored.checkForUpdate != 0 ? 1 : 0,
             stored.productImprovement != 0 ? 1 : 0);
}

UINT LabelStringId(PlenzarProfile profile)
{
    if (profile < PROFILE_NONE || profile > PROFILE_FULL)
        return IDS_LABEL_PLENZAR;
    return IDS_LABEL_NONE + static_cast<UINT>(profile - PROFILE_NONE);
}

// The image of a control for the item's profile; false when the control shows none.
bool ChooseItemImage(const std::wstring& id, PlenzarProfile profile, RibbonImage* image)
{
    if (id == kToggleId) {
        *image = profile == PROFILE_NONE ? RibbonImage::Off : RibbonImage::On;
        return true;
    }
    for (const MenuButton& button : kMenuButtons) {
        if (id == button.id && profile == button.profile) {
            *image = RibbonImage::On;
            return true;
        }
    }
    return false;
}

}  // namespace

HRESULT RibbonGetCustomUI(BSTR ribbonId, BSTR* ribbonXml)
{
    if (!ribbonXml)
        return E_POINTER;
    if (BstrEquals(ribbonId, kExplorerRibbonId))
        *ribbonXml = LoadXmlResource(IDR_RIBBON_EXPLORER);
    if (BstrEquals(ribbonId, kComposeRibbonId))
        *ribbonXml = LoadXmlResource(IDR_RIBBON_COMPOSE);
    return S_OK;
}

HRESULT RibbonOnLoad(IDispatch* ribbon, IRibbonUI** ribbonUiMember)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!ribbonUiMember)
        return E_POINTER;
    if (*ribbonUiMember) {
        (*ribbonUiMember)->Release();
        *ribbonUiMember = nullptr;
    }
    if (ribbon)
        ribbon->QueryInterface(IID_IRibbonUI, reinterpret_cast<void**>(ribbonUiMember));
    if (*ribbonUiMember != g_ribbonUi) {
        if (*ribbonUiMember)
            (*ribbonUiMember)->AddRef();
        IRibbonUI* previous = g_ribbonUi;
        g_ribbonUi = *ribbonUiMember;
        if (previous)
            previous->Release();
    }
    return S_OK;
}

HRESULT RibbonButtonClicked(IDispatch* application, IRibbonUI* ribbonUi, IDispatch* control)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        const std::wstring id = GetRibbonControlId(control);
        const CSettings settings;
        if (id == kPreferencesId) {
            ShowPreferences(control);
            return S_OK;
        }
        COleDispatchDriver item(GetControlWindowItem(application, control));
        if (!item.m_lpDispatch)
            return S_OK;
        // An item whose loading the add-in did not see gets its attachment events from now on.
        g_eventListeners.Attach(item.m_lpDispatch, IID_OutlookItemEvents);
        ChangeItemProfile(item.m_lpDispatch, control, settings, ribbonUi);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return S_OK;
}

HRESULT RibbonToggleButtonClicked(IDispatch* application, IRibbonUI* ribbonUi, IDispatch* control,
                                  VARIANT_BOOL*)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        const CSettings settings;
        if (GetRibbonControlId(control) != kToggleId)
            return S_OK;
        COleDispatchDriver item(GetControlWindowItem(application, control));
        if (item.m_lpDispatch)
            ChangeItemProfile(item.m_lpDispatch, control, settings, ribbonUi);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return S_OK;
}

HRESULT RibbonGetPressed(IDispatch* application, IDispatch* control, VARIANT_BOOL* pressed)
{
    if (!pressed)
        return E_POINTER;
    try {
        if (GetRibbonControlId(control) != kToggleId)
            return S_OK;
        COleDispatchDriver item(GetControlWindowItem(application, control));
        if (item.m_lpDispatch)
            *pressed = GetItemProfile(item.m_lpDispatch) != PROFILE_NONE ? VARIANT_TRUE : VARIANT_FALSE;
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return S_OK;
}

HRESULT RibbonGetLabel(IDispatch* application, IDispatch* control, BSTR* label)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!label)
        return E_POINTER;
    try {
        if (GetRibbonControlId(control) != kToggleId)
            return S_OK;
        PlenzarProfile profile = PROFILE_NONE;
        COleDispatchDriver item(GetControlWindowItem(application, control));
        if (item.m_lpDispatch)
            profile = GetItemProfile(item.m_lpDispatch);
        wchar_t text[64] = {};
        ::LoadStringW(AfxGetResourceHandle(), LabelStringId(profile), text, static_cast<int>(std::size(text)));
        *label = ::SysAllocString(text);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return S_OK;
}

HRESULT RibbonGetImage(IDispatch* application, IDispatch* control, IPictureDisp** image)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!control || !image)
        return E_POINTER;
    try {
        const std::wstring id = GetRibbonControlId(control);
        const int dpi = GetScreenDpi();
        RibbonImage chosen = RibbonImage::Preferences;
        if (id != kPreferencesId) {
            COleDispatchDriver item(GetControlWindowItem(application, control));
            if (!item.m_lpDispatch || !ChooseItemImage(id, GetItemProfile(item.m_lpDispatch), &chosen))
                return S_OK;
        }
        return CreatePictureFromPngResource(AfxGetResourceHandle(), RibbonImageResourceId(chosen, dpi), image);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return S_OK;
}
