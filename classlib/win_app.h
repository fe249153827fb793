#pragma once
// The application object of a library or program: one process-wide instance. In a DLL
// its InitInstance runs when the library is loaded and ExitInstance when it is unloaded;
// in a program the entry point (wWinMain, in win_app.cpp) runs InitInstance.
#include "classlib/msgmap.h"

#include <windows.h>

class CWnd;

// CWinApp::m_dwRestartManagerSupportFlags
constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start-up. In a program, TRUE goes on into the message loop (Run) and FALSE
    // ends it. The base registers the program with the restart manager when the flags
    // ask for it.
    virtual BOOL InitInstance();
    // The message loop; ends at once when there is no main window.
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Names the registry key for the application's profile data.
    void SetRegistryKey(LPCWSTR companyName);
    // The standard help command; there is no help file to open.
    void OnHelp() {}

    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;  // set by the program's entry point
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

    DECLARE_MESSAGE_MAP()
};

// The process's application object, or null.
CWinApp* AfxGetApp();
// The module whose resources (dialog templates, strings, icons) the caller uses: the one
// switched to by AFX_MANAGE_STATE, else the application's, else the module holding this code.
HINSTANCE AfxGetResourceHandle();

// Whether the class library itself keeps nothing alive that needs the DLL: this stand-in
// keeps no objects of its own, so it always agrees.
inline HRESULT AfxDllCanUnloadNow() { return S_OK; }

// Calls for a DLL's entry point: run the application object's InitInstance on process
// attach and ExitInstance on detach. False from the attach call fails the load.
BOOL AfxDllProcessAttach();
void AfxDllProcessDetach();

// The class library's shell helper; it holds the shell's allocator while it lives.
class CShellManager {
public:
    CShellManager();
    ~CShellManager();
    CShellManager(const CShellManager&) = delete;
    CShellManager& operator=(const CShellManager&) = delete;

private:
    struct IMalloc* m_pMalloc = nullptr;
};
