// Shows the add-in's preferences dialog on its own, with the settings of the current user,
// so that scripts/screenshot.sh can picture it. OK stores what the dialog shows.
#include "classlib/win_app.h"
#include "mail_addin/preferences_dialog.h"

class CShowPreferencesApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CPreferencesDlg dialog;
        dialog.DoModal();
        return FALSE;  // nothing more to run
    }
};

CShowPreferencesApp theApp;
