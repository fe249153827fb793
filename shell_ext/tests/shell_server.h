#pragma once
// Loads PlenzarFileShell.dll from the test folder, as a host does, and reaches its exports.
#include <windows.h>
#include <shlobj.h>

#include <string>

extern const CLSID kClsidShellExt;
extern const GUID kLibIdShellExt;
extern const IID kIidPlenzarFileShellExt;

class ShellServer {
public:
    ShellServer();
    ~ShellServer();
    ShellServer(const ShellServer&) = delete;
    ShellServer& operator=(const ShellServer&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    const std::wstring& Path() const { return m_path; }

    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const { return m_getClassObject(clsid, iid, object); }
    HRESULT RegisterServer() const { return m_registerServer(); }
    HRESULT UnregisterServer() const { return m_unregisterServer(); }
    HRESULT Install(BOOL install, LPCWSTR commandLine) const { return m_install(install, commandLine); }

    // A new handler object through the class factory, queried for IShellExtInit.
    HRESULT CreateHandler(IShellExtInit** handler) const;

private:
    std::wstring m_path;
    HMODULE m_module = nullptr;
    HRESULT(WINAPI* m_canUnloadNow)() = nullptr;
    HRESULT(WINAPI* m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* m_registerServer)() = nullptr;
    HRESULT(WINAPI* m_unregisterServer)() = nullptr;
    HRESULT(WINAPI* m_install)(BOOL, LPCWSTR) = nullptr;
};

// A COM interface pointer released at scope end.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { Reset(); return &m_ptr; }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    void Reset()
    {
        if (m_ptr) m_ptr->Release();
        m_ptr = nullptr;
    }

private:
    T* m_ptr = nullptr;
};

// Registry helpers for checking what registration wrote.
bool KeyExists(HKEY root, const std::wstring& path);
// The string value (default value for an empty name); false when missing or not REG_SZ.
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& value);
DWORD SubkeyCount(HKEY root, const std::wstring& path);
DWORD ValueCount(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::wstring GuidText(REFGUID guid);
