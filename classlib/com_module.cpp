#include "classlib/com_module.h"

#include "classlib/class_factory.h"

#include <oleauto.h>

#include <new>
#include <string>

CAtlModule* _pAtlModule = nullptr;

namespace {

volatile LONG g_perUserRegistration = 0;

// Keeps the calling thread's locale and sets the system default while registration runs.
class SystemThreadLocale {
public:
    SystemThreadLocale() : m_saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemThreadLocale() { SetThreadLocale(m_saved); }
    SystemThreadLocale(const SystemThreadLocale&) = delete;
    SystemThreadLocale& operator=(const SystemThreadLocale&) = delete;

private:
    LCID m_saved;
};

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(AtlModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

class TypeLibPointer {
public:
    ~TypeLibPointer()
    {
        if (m_lib) m_lib->Release();
    }
    ITypeLib** Out() { return &m_lib; }
    ITypeLib* Get() const { return m_lib; }

private:
    ITypeLib* m_lib = nullptr;
};

template <class Function>
Function OleAutomationEntry(const char* name)
{
    HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    return oleaut ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(oleaut, name))) : nullptr;
}

}  // namespace

CAtlModule::CAtlModule() { _pAtlModule = this; }

CAtlModule::~CAtlModule()
{
    if (_pAtlModule == this) _pAtlModule = nullptr;
}

HRESULT CAtlModule::UpdateRegistryFromResource(UINT resourceId, BOOL doRegister)
{
    const std::wstring path = ModulePath();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    CRegistrar registrar;
    registrar.SetPerUser(AtlGetPerUserRegistration());
    std::wstring quoted;
    for (wchar_t ch : path) {
        quoted += ch;
        if (ch == L'\'') quoted += L'\'';
    }
    registrar.AddReplacement(L"MODULE", quoted);
    registrar.AddReplacement(L"MODULE_RAW", path);
    AddCommonRGSReplacements(registrar);
    return doRegister ? registrar.ResourceRegister(AtlModuleHandle(), resourceId)
                      : registrar.ResourceUnregister(AtlModuleHandle(), resourceId);
}

void AtlSetPerUserRegistration(bool perUser) { InterlockedExchange(&g_perUserRegistration, perUser ? 1 : 0); }

bool AtlGetPerUserRegistration() { return g_perUserRegistration != 0; }

CAtlDllModule::CAtlDllModule(ObjectMapEntry* entries, size_t entryCount, const GUID& libid, UINT moduleScriptId)
    : m_entries(entries), m_entryCount(entryCount), m_libid(libid), m_moduleScriptId(moduleScriptId)
{
    InitializeCriticalSection(&m_factoryLock);
}

CAtlDllModule::~CAtlDllModule()
{
    for (size_t i = 0; i < m_entryCount; ++i) {
        if (m_entries[i].cachedFactory) m_entries[i].cachedFactory->Release();
        m_entries[i].cachedFactory = nullptr;
    }
    DeleteCriticalSection(&m_factoryLock);
}

HRESULT CAtlDllModule::DllCanUnloadNow() { return GetLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT CAtlDllModule::DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    for (size_t i = 0; i < m_entryCount; ++i) {
        ObjectMapEntry& entry = m_entries[i];
        if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
        EnterCriticalSection(&m_factoryLock);
        if (!entry.cachedFactory) entry.cachedFactory = new (std::nothrow) CComClassFactoryCached(entry.createInstance, entry.createAggregated);
        IClassFactory* factory = entry.cachedFactory;
        LeaveCriticalSection(&m_factoryLock);
        return factory ? factory->QueryInterface(iid, object) : E_OUTOFMEMORY;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CAtlDllModule::DllRegisterServer(bool registerTypeLib)
{
    SystemThreadLocale locale;
    HRESULT hr = m_moduleScriptId ? UpdateRegistryFromResource(m_moduleScriptId, TRUE) : S_OK;
    for (size_t i = 0; SUCCEEDED(hr) && i < m_entryCount; ++i) hr = m_entries[i].updateRegistry(TRUE);
    if (SUCCEEDED(hr) && registerTypeLib) hr = RegisterTypeLibrary();
    return hr;
}

HRESULT CAtlDllModule::DllUnregisterServer(bool unregisterTypeLib)
{
    SystemThreadLocale locale;
    HRESULT hr = S_OK;
    for (size_t i = 0; SUCCEEDED(hr) && i < m_entryCount; ++i) hr = m_entries[i].updateRegistry(FALSE);
    if (SUCCEEDED(hr) && unregisterTypeLib) hr = UnregisterTypeLibrary();
    if (SUCCEEDED(hr) && m_moduleScriptId) hr = UpdateRegistryFromResource(m_moduleScriptId, FALSE);
    return hr;
}

HRESULT CAtlDllModule::DllInstall(BOOL install, LPCWSTR commandLine)
{
    // "user" with its terminator: a longer or shorter command line does not match.
    if (commandLine && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine, -1, L"user", -1) == CSTR_EQUAL)
        AtlSetPerUserRegistration(true);
    if (!install) return DllUnregisterServer();
    const HRESULT hr = DllRegisterServer();
    if (FAILED(hr)) DllUnregisterServer();
    return hr;
}

HRESULT CAtlDllModule::RegisterTypeLibrary()
{
    const std::wstring path = ModulePath();
    TypeLibPointer lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Out());
    if (FAILED(hr)) return hr;
    using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
    const auto forUser = AtlGetPerUserRegistration()
                             ? OleAutomationEntry<RegisterForUser>("RegisterTypeLibForUser") : nullptr;
    std::wstring fullPath = path;
    return forUser ? forUser(lib.Get(), fullPath.data(), nullptr) : RegisterTypeLib(lib.Get(), fullPath.data(), nullptr);
}

HRESULT CAtlDllModule::UnregisterTypeLibrary()
{
    const std::wstring path = ModulePath();
    TypeLibPointer lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Out());
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = lib.Get()->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    const TLIBATTR attr = *attributes;
    lib.Get()->ReleaseTLibAttr(attributes);
    using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    const auto forUser = AtlGetPerUserRegistration()
                             ? OleAutomationEntry<UnregisterForUser>("UnRegisterTypeLibForUser") : nullptr;
    return forUser ? forUser(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, attr.syskind)
                   : UnRegisterTypeLib(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, attr.syskind);
}
