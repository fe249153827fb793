#pragma once
// The application object: one global instance of a CWinApp subclass, whose
// InitInstance the program's entry point (wWinMain, in winapp.cpp) runs.
#include "classlib/msgmap.h"

class CWnd;

// CWinApp::m_dwRestartManagerSupportFlags
constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's own start-up. TRUE: go on into the message loop (Run); FALSE: end.
    // The base registers the program with the restart manager when asked to.
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
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

    DECLARE_MESSAGE_MAP()

protected:
};

CWinApp* AfxGetApp();
// The module whose resources (dialog templates, strings, icons) the program uses.
HINSTANCE AfxGetResourceHandle();

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
