#pragma once
// PlenzarMail.dll loaded from its test folder (the development engine beside it) as a
// host loads it, its five exports, and the registry reads that registration tests need.
#include <windows.h>

#include <string>

#include "tests/outlook_double/outlook_double.h"

namespace mail_server {

extern const CLSID kClsidConnect;
extern const GUID kLibId;
extern const IID kIidConnect;
extern const IID kIidRibbonCallback;
extern const GUID kLibIdOfficeAddInDesigner;  // holds _IDTExtensibility2, version 1.0
constexpr wchar_t kProgId[] = L"PlenzarMail.Connect";

class MailServer {
public:
    MailServer();
    // Frees the library unless it says it is still in use, as COM does.
    ~MailServer();
    MailServer(const MailServer&) = delete;
    MailServer& operator=(const MailServer&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    const std::wstring& Path() const { return m_path; }
    std::wstring Folder() const { return m_path.substr(0, m_path.find_last_of(L'\\')); }

    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const { return m_getClassObject(clsid, iid, object); }
    HRESULT RegisterServer() const { return m_registerServer(); }
    HRESULT UnregisterServer() const { return m_unregisterServer(); }
    HRESULT Install(BOOL install, LPCWSTR commandLine) const { return m_install(install, commandLine); }

    // A new add-in object through the class factory, as Outlook creates it.
    HRESULT CreateAddin(REFIID iid, void** object) const;

private:
    std::wstring m_path;
    HMODULE m_module = nullptr;
    HRESULT(WINAPI* m_canUnloadNow)() = nullptr;
    HRESULT(WINAPI* m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* m_registerServer)() = nullptr;
    HRESULT(WINAPI* m_unregisterServer)() = nullptr;
    HRESULT(WINAPI* m_install)(BOOL, LPCWSTR) = nullptr;
};

// Registers the test-only Office type libraries (built beside the library) machine-wide,
// as an Office installation has them; S_OK when both are.
HRESULT RegisterOfficeTypeLibraries(const std::wstring& folder);

// Registry reads.
bool KeyExists(HKEY root, const std::wstring& path);
DWORD SubkeyCount(HKEY root, const std::wstring& path);
DWORD ValueCount(HKEY root, const std::wstring& path);
std::wstring GuidText(REFGUID guid);

}  // namespace mail_server
