#include "classlib/win_app.h"

#include "classlib/module_state.h"

#include "classlib/wnd.h"

#include <shlobj.h>

namespace {
CWinApp* g_application = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_application;
}

HINSTANCE AfxGetResourceHandle()
{
    if (const AFX_MODULE_STATE* state = AfxGetCurrentModuleState())
        return state->m_hCurrentResourceHandle;
    if (g_application && g_application->m_hInstance) return g_application->m_hInstance;
    // Each module links its own copy of this library: its resources are its own.
    return AfxGetStaticModuleState()->m_hCurrentResourceHandle;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    g_application = this;
}

CWinApp::~CWinApp()
{
    if (g_application == this)
        g_application = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

BOOL CWinApp::InitInstance()
{
    // Restart only: no recovery callback is registered. A restarted program starts
    // without arguments.
    if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART)
        ::RegisterApplicationRestart(nullptr, 0);
    return TRUE;
}

int CWinApp::Run()
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return ExitInstance();
}

BOOL AfxDllProcessAttach()
{
    return g_application ? g_application->InitInstance() : TRUE;
}

void AfxDllProcessDetach()
{
    if (g_application)
        g_application->ExitInstance();
}

void CWinApp::SetRegistryKey(LPCWSTR companyName)
{
    m_pszRegistryKey = companyName;
}

CShellManager::CShellManager()
{
    if (FAILED(::SHGetMalloc(&m_pMalloc)))
        m_pMalloc = nullptr;
}

CShellManager::~CShellManager()
{
    if (m_pMalloc)
        m_pMalloc->Release();
}

// The program's entry point, in the same object as CWinApp so that linking the
// application object brings it in.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) {
        return app->ExitInstance();
    }
    return app->Run();
}
