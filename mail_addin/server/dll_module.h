#pragma once
// The module and application objects of PlenzarMail.dll.
#include "classlib/com_module.h"
#include "classlib/win_app.h"

class CPlenzarMail_nativeModule : public CAtlDllModule {
public:
    CPlenzarMail_nativeModule();
    // Every registration script receives "APPID", the add-in's AppID.
    void AddCommonRGSReplacements(CRegistrar& registrar) override;
};

class CPlenzarMail_nativeApp : public CWinApp {
public:
    CPlenzarMail_nativeApp() : CWinApp(nullptr) {}
};
