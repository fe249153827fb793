#pragma once
// The settings key of the add-in's tests: emptied for each test and removed after it.
#include <windows.h>

#include "common/settings.h"

class CMailTestSettings {
public:
    CMailTestSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }
    ~CMailTestSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }
    CMailTestSettings(const CMailTestSettings&) = delete;
    CMailTestSettings& operator=(const CMailTestSettings&) = delete;

    static void SetDword(const wchar_t* name, DWORD value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value, sizeof value);
    }
    static void SetDefaultProfile(int profile) {
        SetDword(L"mailDefaultPlenzarProfile", static_cast<DWORD>(profile));
    }
};
