#pragma once
// The one configuration record, shared by every deliverable through one registry key
// of the current user. Build a fresh record where it is needed (the constructor loads
// the stored values over the defaults), change fields, and save only what you name.
#include "common/plenzar_profile.h"

#include <cstdint>

// Mask bits of CSettings::Save; they may be combined.
enum : std::uint32_t {
    SETTING_MAIL_DEFAULT_PROFILE = 0x01,
    SETTING_CHECK_FOR_UPDATE = 0x02,
    SETTING_PRODUCT_IMPROVEMENT = 0x04,
    SETTING_CHECK_FOR_UPDATE_LAST_DATE = 0x08,
    SETTING_PRODUCT_IMPROVEMENT_SEND_DATA = 0x10,
    SETTING_MAIL_PLENZAR_ON_ADD = 0x20,
    SETTING_APP_DEFAULT_PROFILE = 0x40,
    SETTING_APP_OUTPUT_TO_DESKTOP = 0x80,
    SETTING_ALL = 0xFF,
};

// HKEY_CURRENT_USER\<this>
constexpr wchar_t kSettingsKeyPath[] = L"Software\\PlenzarFile\\Settings";

class CSettings {
public:
    // Defaults, then whatever is stored.
    CSettings() noexcept;

    // Reads the stored values over the fields; a missing key or value (or one longer
    // than 4 bytes) leaves its field as it was. Never creates the key.
    void Load() noexcept;
    // Writes the fields whose mask bits are set (bits above 0x80 are ignored), each
    // flushed at once; creates the key when it is missing. Reports nothing.
    void Save(std::uint32_t mask) noexcept;

    PlenzarProfile mailDefaultPlenzarProfile = PROFILE_MEDIUM;
    std::int32_t checkForUpdate = 1;
    std::int32_t productImprovement = 1;
    std::int32_t checkForUpdateLastDate = 0;     // day of the month of the last update check
    std::int32_t productImprovementSendData = 0; // day of the year of the last upload
    std::int32_t mailPlenzarOnAdd = 0;
    PlenzarProfile appDefaultPlenzarProfile = PROFILE_MEDIUM;
    std::int32_t appOutputToDesktop = 0;
};
