#pragma once
// Loads PlenzarFileShell.dll from the test folder, as a host does, and reaches its exports.
#include <windows.h>
#include <wrl/client.h>
#include <shlobj.h>

#include <string>

using Microsoft::WRL::ComPtr;

extern const CLSID kClsidShellExt;
extern const GUID kLibIdShellExt;
extern const IID kIidPlenzarFileShellExt;

class ShellServer {
public:
    // Loads the library from that folder of the build tree.
    explicit ShellServer(const wchar_t* folderName = L"shell_ext_test");
    ~ShellServer();
    ShellServer(const ShellServer&) = delete;
    ShellServer& operator=(const ShellServer&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    const std::wstring& Path() const { return m_path; }
    // The library's folder, where its engine lies.
    std::wstring Folder() const { return m_path.substr(0, m_path.find_last_of(L'\\')); }

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

// Registry helpers for checking what registration wrote.
bool KeyExists(HKEY root, const std::wstring& path);
// The string value (default value for an empty name); false when missing or not REG_SZ.
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& value);
DWORD SubkeyCount(HKEY root, const std::wstring& path);
DWORD ValueCount(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::wstring GuidText(REFGUID guid);
