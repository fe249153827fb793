#include "desktop/app.h"

#include "desktop/process_files.h"
#include "desktop/resource.h"
#include "desktop/settings_dialog.h"
#include "desktop/shared.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct LocalFreeDeleter {
    void operator()(LPWSTR* arguments) const { ::LocalFree(arguments); }
};
using ArgumentVector = std::unique_ptr<LPWSTR[], LocalFreeDeleter>;

}  // namespace

CPlenzarFileApp theApp;

BEGIN_MESSAGE_MAP(CPlenzarFileApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CPlenzarFileApp::CPlenzarFileApp()
{
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

BOOL CPlenzarFileApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_WIN95_CLASSES };
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    auto shellManager = std::make_unique<CShellManager>();
    SetRegistryKey(L"PlenzarFile");

    // An empty command line, or one that cannot be split, ends the run before the
    // engine is loaded.
    const LPCWSTR commandLine = ::GetCommandLineW();
    int argumentCount = 0;
    ArgumentVector arguments;
    if (commandLine && *commandLine)
        arguments.reset(::CommandLineToArgvW(commandLine, &argumentCount));
    if (!arguments) {
        UnloadEngine();
        return FALSE;
    }

    if (!LoadEngine())
        return TRUE;

    StartUpdateTimer();
    {
        // The process ends after the teardown: it waits for an upload under way.
        CUsageStatistics statistics(L"PlenzarFile", StatisticsTeardown::WaitForUpload);
        if (argumentCount == 1) {
            CPlenzarFileDlg dialog;
            m_pMainWnd = &dialog;
            dialog.DoModal();
        } else if (argumentCount >= 2) {
            std::vector<std::wstring> files(arguments.get() + 1, arguments.get() + argumentCount);
            ProcessFiles(files);
        }
        arguments.reset();
    }
    UnloadEngine();
    return FALSE;
}
