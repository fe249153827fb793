#pragma once
// The settings key of the add-in's tests: emptied for each test and removed after it.
#include <windows.h>

#include <optional>

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
    // The value as stored, or nothing when it is missing.
    static std::optional<DWORD> GetDword(const wchar_t* name) {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value,
                         &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }
    static bool KeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};
