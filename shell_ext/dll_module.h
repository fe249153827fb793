#pragma once
// The module and application objects of PlenzarFileShell.dll.
#include "classlib/com_module.h"
#include "classlib/win_app.h"

class CPlenzarFileDllModule : public CAtlDllModule {
public:
    CPlenzarFileDllModule();
    // Every script of the module receives "APPID"; none uses it.
    void AddCommonRGSReplacements(CRegistrar& registrar) override;
};

class CPlenzarFileDllApp : public CWinApp {
public:
    CPlenzarFileDllApp() : CWinApp(nullptr) {}
};
