#pragma once
// The module object of an in-process COM server: its lock count, its object map and the
// exported entries' work (class objects, self-registration, DllInstall, unload test).
#include "classlib/module_handle.h"
#include "classlib/registrar.h"

#include <windows.h>

// One creatable class of the server.
struct ObjectMapEntry {
    const CLSID* clsid;
    HRESULT (*createInstance)(REFIID iid, void** object);  // a new object, queried for iid
    HRESULT (*updateRegistry)(BOOL doRegister);            // runs the class's script
    IClassFactory* cachedFactory;                          // made on the first request
    // An aggregated object inside outer, answering for IUnknown; null: not aggregatable.
    HRESULT (*createAggregated)(IUnknown* outer, void** object) = nullptr;
};

class CAtlModule {
public:
    CAtlModule();
    virtual ~CAtlModule();
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;

    virtual LONG Lock() { return InterlockedIncrement(&m_lockCount); }
    virtual LONG Unlock() { return InterlockedDecrement(&m_lockCount); }
    virtual LONG GetLockCount() { return m_lockCount; }
    // Replacements that every script of the module receives besides %MODULE%.
    virtual void AddCommonRGSReplacements(CRegistrar& registrar) {}

    // Runs a REGISTRY resource of this module with %MODULE% (and %MODULE_RAW%) set to the
    // module's full path, plus the common replacements.
    HRESULT UpdateRegistryFromResource(UINT resourceId, BOOL doRegister);

private:
    volatile LONG m_lockCount = 0;
};

// The process's module object (the last one constructed).
extern CAtlModule* _pAtlModule;

// Per-user registration: HKCR scripts and the type library go to the current user's classes.
void AtlSetPerUserRegistration(bool perUser);
bool AtlGetPerUserRegistration();

class CAtlDllModule : public CAtlModule {
public:
    // entries must live as long as the module; moduleScriptId 0 means no module script.
    CAtlDllModule(ObjectMapEntry* entries, size_t entryCount, const GUID& libid, UINT moduleScriptId);
    ~CAtlDllModule() override;

    HRESULT DllCanUnloadNow();  // S_OK when the lock count is 0
    HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
    HRESULT DllRegisterServer(bool registerTypeLib = true);
    HRESULT DllUnregisterServer(bool unregisterTypeLib = true);
    // A command line "user" (any case) switches on per-user registration for the process.
    HRESULT DllInstall(BOOL install, LPCWSTR commandLine);

    const GUID& LibId() const { return m_libid; }

private:
    HRESULT RegisterTypeLibrary();
    HRESULT UnregisterTypeLibrary();

    ObjectMapEntry* m_entries;
    size_t m_entryCount;
    GUID m_libid;
    UINT m_moduleScriptId;
    CRITICAL_SECTION m_factoryLock;
};
