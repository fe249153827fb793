#pragma once
// The application object of a library or program: one process-wide instance whose
// InitInstance runs when the library is loaded and ExitInstance when it is unloaded.
#include <windows.h>

class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    LPCWSTR m_pszAppName;
};

// The process's application object, or null.
CWinApp* AfxGetApp();

// Whether the class library itself keeps nothing alive that needs the DLL: this stand-in
// keeps no objects of its own, so it always agrees.
inline HRESULT AfxDllCanUnloadNow() { return S_OK; }

// Calls for a DLL's entry point: run the application object's InitInstance on process
// attach and ExitInstance on detach. False from the attach call fails the load.
BOOL AfxDllProcessAttach();
void AfxDllProcessDetach();
