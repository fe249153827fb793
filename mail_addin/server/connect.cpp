#include "mail_addin/server/connect.h"

#include <cstdlib>
#include <ctime>
#include <memory>

#include "classlib/exceptions.h"
#include "common/settings.h"
#include "common/update_check.h"
#include "common/usage_statistics.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/item_window.h"
#include "mail_addin/ribbon_callbacks.h"
#include "mail_addin/work_folder_cleanup.h"
#include "resource.h"

// {AC0714F2-3D04-11D1-AE7D-00A0C90F26F4}
const GUID LIBID_OfficeAddInDesigner = {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};
// {2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}
const GUID LIBID_OfficeCore = {0x2DF8D04C, 0x5BFA, 0x101B, {0xBD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0xDE, 0x52}};

namespace {

constexpr wchar_t kStatisticsStoreName[] = L"PlenzarMail";
constexpr DISPID kFirstCallbackDispid = 1;
constexpr DISPID kLastCallbackDispid = 6;

// Runs one entry's work so that nothing thrown reaches Outlook.
template <typename Work>
void WithoutExceptions(Work work) noexcept
{
    try {
        work();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
}

// The statistics store, when the user has joined; a store that the process has already is
// kept. The store publishes itself in g_pUsageStatistics, which owns it from here.
void CreateStatisticsStore(const CSettings& settings)
{
    if (settings.productImprovement != 0)
        CUsageStatistics::CreateIfNone(kStatisticsStoreName).release();
}

}  // namespace

CConnect::~CConnect()
{
    if (m_ribbonUi) m_ribbonUi->Release();
    if (m_application) m_application->Release();
}

HRESULT CConnect::UpdateRegistry(BOOL doRegister)
{
    return _pAtlModule->UpdateRegistryFromResource(IDR_CONNECT, doRegister);
}

void* CConnect::FindInterface(REFIID iid)
{
    if (iid == IID_IDispatch || iid == IID_IUnknown) return static_cast<IRibbonCallback*>(this);
    if (iid == IID_IConnect) return static_cast<IConnect*>(this);
    if (iid == IID__IDTExtensibility2) return static_cast<_IDTExtensibility2*>(this);
    if (iid == IID_IRibbonExtensibility) return static_cast<IRibbonExtensibility*>(this);
    if (iid == IID_IRibbonCallback) return static_cast<IRibbonCallback*>(this);
    return nullptr;
}

STDMETHODIMP CConnect::Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* excepInfo, UINT* argError)
{
    if (member >= kFirstCallbackDispid && member <= kLastCallbackDispid) {
        const HRESULT hr = CallbackDispatch::TypeInfoHolder().Invoke(static_cast<IRibbonCallback*>(this), member,
                                                                     locale, flags, params, result, excepInfo,
                                                                     argError);
        if (hr != DISP_E_MEMBERNOTFOUND) return hr;
    }
    return ExtensibilityDispatch::TypeInfoHolder().Invoke(static_cast<_IDTExtensibility2*>(this), member, locale,
                                                          flags, params, result, excepInfo, argError);
}

void CConnect::KeepApplication(IDispatch* application)
{
    if (application == m_application) return;
    if (m_application) m_application->Release();
    m_application = application;
    if (m_application) m_application->AddRef();
}

STDMETHODIMP CConnect::OnConnection(IDispatch* application, ext_ConnectMode connectMode, IDispatch*, SAFEARRAY**)
{
    if (!application) return E_POINTER;
    WithoutExceptions([&] {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        KeepApplication(application);
        InitializeAddIn(application);
        g_eventListeners.Attach(application, IID_OutlookApplicationEvents);
        // Turned on again while Outlook runs: no OnStartupComplete follows, so the store that
        // turning it off released is built here. The update timer was never stopped.
        if (connectMode == ext_cm_AfterStartup) CreateStatisticsStore(CSettings());
    });
    return S_OK;
}

STDMETHODIMP CConnect::OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY**)
{
    // The user turned the add-in off: no event may reach it until it is connected again, and
    // what Quit would release goes now (the store saving its data), not under the loader lock
    // when the library unloads. On Outlook's own shutdown Quit has done all this already.
    if (removeMode == ext_dm_UserClosed) WithoutExceptions([] {
        g_eventListeners.DisconnectAll();
        ReleaseGlobalObjects();
    });
    return S_OK;
}

STDMETHODIMP CConnect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

STDMETHODIMP CConnect::OnStartupComplete(SAFEARRAY**)
{
    WithoutExceptions([] {
        const CSettings settings;
        if (settings.checkForUpdate != 0) {
            SetUpdatePromptOwner(&GetOutlookActiveWindow);  // the prompt stands before Outlook
            StartUpdateTimer();
        }
        CreateStatisticsStore(settings);
    });
    // Outlook's start is done and no user waits on this: what mails that were never sent
    // left in the work folder a month ago goes.
    WithoutExceptions([] { DeleteAgedWorkFiles(); });
    return S_OK;
}

STDMETHODIMP CConnect::OnBeginShutdown(SAFEARRAY**)
{
    WithoutExceptions([] {
        delete g_pUsageStatistics;
        g_pUsageStatistics = nullptr;
    });
    return S_OK;
}

STDMETHODIMP CConnect::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) { return RibbonGetCustomUI(ribbonId, ribbonXml); }

STDMETHODIMP CConnect::ButtonClicked(IDispatch* control)
{
    return RibbonButtonClicked(m_application, m_ribbonUi, control);
}

STDMETHODIMP CConnect::GetPressed(IDispatch* control, VARIANT_BOOL* pressed)
{
    return RibbonGetPressed(m_application, control, pressed);
}

STDMETHODIMP CConnect::GetImage(IDispatch* control, IPictureDisp** image)
{
    return RibbonGetImage(m_application, control, image);
}

STDMETHODIMP CConnect::ToggleButtonClicked(IDispatch* control, VARIANT_BOOL* pressed)
{
    return RibbonToggleButtonClicked(m_application, m_ribbonUi, control, pressed);
}

STDMETHODIMP CConnect::OnLoadRibbon(IDispatch* ribbon) { return RibbonOnLoad(ribbon, &m_ribbonUi); }

STDMETHODIMP CConnect::GetLabel(IDispatch* control, BSTR* label)
{
    return RibbonGetLabel(m_application, control, label);
}
