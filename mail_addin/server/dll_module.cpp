// The library's module, application object, object map and exported entries.
#include "mail_addin/server/dll_module.h"

#include "classlib/com_object.h"
#include "classlib/module_state.h"
#include "common/statistics_upload.h"
#include "common/update_check.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/server/connect.h"
#include "resource.h"

namespace {

constexpr wchar_t kAppId[] = L"{3265642B-A1C5-4E5E-9A94-8031B333ACC2}";

ObjectMapEntry g_objectMap[] = {
    {&CLSID_Connect, &CComObject<CConnect>::CreateInstance, &CConnect::UpdateRegistry, nullptr,
     &CComAggObject<CConnect>::CreateInstance},
};

// Releases the ribbon's IRibbonUI that the add-in shares in g_ribbonUi when the library
// is unloaded without a Quit before (which releases it). Built after the application
// object, so it goes before it.
struct CRibbonUiRelease {
    CRibbonUiRelease() = default;
    ~CRibbonUiRelease()
    {
        if (g_ribbonUi) g_ribbonUi->Release();
        g_ribbonUi = nullptr;
    }
    CRibbonUiRelease(const CRibbonUiRelease&) = delete;
    CRibbonUiRelease& operator=(const CRibbonUiRelease&) = delete;
};

void LockModule() { _pAtlModule->Lock(); }
void UnlockModule() { _pAtlModule->Unlock(); }

}  // namespace

CPlenzarMail_nativeModule::CPlenzarMail_nativeModule()
    : CAtlDllModule(g_objectMap, sizeof(g_objectMap) / sizeof(g_objectMap[0]), LIBID_PlenzarMail_nativeLib,
                    IDR_PLENZARMAIL_NATIVE)
{
    // The statistics store's timers and upload worker and the update timer run code of
    // this library: each pending one holds a module lock, so Outlook cannot unload the
    // library under them (DllCanUnloadNow answers S_FALSE meanwhile).
    SetStatisticsPendingHooks(&LockModule, &UnlockModule);
    SetUpdateTimerPendingHooks(&LockModule, &UnlockModule);
}

void CPlenzarMail_nativeModule::AddCommonRGSReplacements(CRegistrar& registrar)
{
    registrar.AddReplacement(L"APPID", kAppId);
}

// The library's globals are built in this order after those of mail_addin_core (the listener
// list g_eventListeners first), whose initialisers the linker places after this file's and
// which run last to first; they are destroyed in the reverse order, the listener list last.
CPlenzarMail_nativeModule g_module;
CPlenzarMail_nativeApp g_app;
CRibbonUiRelease g_ribbonUiRelease;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return AfxDllProcessAttach();
    }
    if (reason == DLL_PROCESS_DETACH) AfxDllProcessDetach();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxDllCanUnloadNow() == S_OK && g_module.DllCanUnloadNow() == S_OK ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    return g_module.DllGetClassObject(clsid, iid, object);
}

STDAPI DllRegisterServer() { return g_module.DllRegisterServer(); }

STDAPI DllUnregisterServer() { return g_module.DllUnregisterServer(); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) { return g_module.DllInstall(install, commandLine); }
