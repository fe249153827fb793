// The library's module, application object, object map and exported entries.
#include "shell_ext/dll_module.h"

#include "shell_ext/identifiers.h"
#include "shell_ext/resource.h"
#include "shell_ext/shell_ext.h"

namespace {

ObjectMapEntry g_objectMap[] = {
    {&CLSID_PlenzarFileShellExt, &CComObject<CPlenzarFileShellExt>::CreateInstance,
     &CPlenzarFileShellExt::UpdateRegistry, nullptr},
};

}  // namespace

CPlenzarFileDllModule::CPlenzarFileDllModule()
    : CAtlDllModule(g_objectMap, sizeof(g_objectMap) / sizeof(g_objectMap[0]), LIBID_PlenzarFileDllLib,
                    IDR_PLENZARFILEDLL)
{
}

void CPlenzarFileDllModule::AddCommonRGSReplacements(CRegistrar& registrar)
{
    registrar.AddReplacement(L"APPID", kPlenzarFileAppId);
}

CPlenzarFileDllModule g_module;
CPlenzarFileDllApp g_app;

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
    return AfxDllCanUnloadNow() == S_OK && g_module.DllCanUnloadNow() == S_OK ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    return g_module.DllGetClassObject(clsid, iid, object);
}

STDAPI DllRegisterServer() { return g_module.DllRegisterServer(); }

STDAPI DllUnregisterServer() { return g_module.DllUnregisterServer(); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) { return g_module.DllInstall(install, commandLine); }
