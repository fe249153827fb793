#pragma once
// The desktop program's application object: its start-up does the whole run.
#include "classlib/win_app.h"

class CPlenzarFileApp : public CWinApp {
public:
    CPlenzarFileApp();

    // Loads the engine, then shows the settings dialog (no argument) or converts every
    // file named on the command line, and ends. TRUE only when the engine is missing.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CPlenzarFileApp theApp;
