#pragma once
// An in-process COM server loaded from a folder of the build tree, as a host loads it, with
// its five exports; and the registry reads that its registration tests need.
#include <windows.h>

#include <string>

namespace testsupport {

// <build tree>\<folderName>\<fileName>, the build tree being the parent of the running
// test program's folder (bin).
std::wstring BuildTreePath(const wchar_t* folderName, const wchar_t* fileName);

class ComServerLibrary {
public:
    explicit ComServerLibrary(std::wstring path);
    // Frees the library unless it says it is still in use, as COM does.
    ~ComServerLibrary();
    ComServerLibrary(const ComServerLibrary&) = delete;
    ComServerLibrary& operator=(const ComServerLibrary&) = delete;

    // Loaded, with all five exports.
    bool Loaded() const { return m_module != nullptr; }
    const std::wstring& Path() const { return m_path; }
    // The library's folder, where its engine lies.
    std::wstring Folder() const { return m_path.substr(0, m_path.find_last_of(L'\\')); }

    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const { return m_getClassObject(clsid, iid, object); }
    HRESULT RegisterServer() const { return m_registerServer(); }
    HRESULT UnregisterServer() const { return m_unregisterServer(); }
    HRESULT Install(BOOL install, LPCWSTR commandLine) const { return m_install(install, commandLine); }
    // A new object of that class through its class factory, queried for iid.
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) const;

private:
    std::wstring m_path;
    HMODULE m_module = nullptr;
    HRESULT(WINAPI* m_canUnloadNow)() = nullptr;
    HRESULT(WINAPI* m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* m_registerServer)() = nullptr;
    HRESULT(WINAPI* m_unregisterServer)() = nullptr;
    HRESULT(WINAPI* m_install)(BOOL, LPCWSTR) = nullptr;
};

bool KeyExists(HKEY root, const std::wstring& path);
// The string value (default value for an empty name); false when missing or not REG_SZ.
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& value);
DWORD SubkeyCount(HKEY root, const std::wstring& path);
DWORD ValueCount(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::wstring GuidText(REFGUID guid);

}  // namespace testsupport
