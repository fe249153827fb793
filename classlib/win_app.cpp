#include "classlib/win_app.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

BOOL AfxDllProcessAttach() { return g_app ? g_app->InitInstance() : TRUE; }

void AfxDllProcessDetach()
{
    if (g_app) g_app->ExitInstance();
}
