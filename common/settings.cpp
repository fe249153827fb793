#include "common/settings.h"

#include "common/registry_key.h"

#include <iterator>

namespace {

struct StoredField {
    std::uint32_t mask;
    const wchar_t* valueName;
    std::int32_t CSettings::*field;
};

// Load and save handle the values in this order.
const StoredField kStoredFields[] = {
    {SETTING_MAIL_DEFAULT_PROFILE, L"mailDefaultPlenzarProfile", &CSettings::mailDefaultPlenzarProfile},
    {SETTING_PRODUCT_IMPROVEMENT, L"productImprovement", &CSettings::productImprovement},
    {SETTING_CHECK_FOR_UPDATE, L"checkForUpdate", &CSettings::checkForUpdate},
    {SETTING_CHECK_FOR_UPDATE_LAST_DATE, L"checkForUpdateLastDate", &CSettings::checkForUpdateLastDate},
    {SETTING_PRODUCT_IMPROVEMENT_SEND_DATA, L"productImprovementSendData", &CSettings::productImprovementSendData},
    {SETTING_MAIL_PLENZAR_ON_ADD, L"mailPlenzarOnAdd", &CSettings::mailPlenzarOnAdd},
    {SETTING_APP_DEFAULT_PROFILE, L"appDefaultPlenzarProfile", &CSettings::appDefaultPlenzarProfile},
    {SETTING_APP_OUTPUT_TO_DESKTOP, L"appOutputToDesktop", &CSettings::appOutputToDesktop},
};
static_assert(std::size(kStoredFields) == 8);

} // namespace

CSettings::CSettings() noexcept
{
    Load();
}

void CSettings::Load() noexcept
{
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_READ))
        return;
    for (const StoredField& stored : kStoredFields) {
        DWORD value = 0;
        if (key.GetDword(stored.valueName, value))
            this->*stored.field = static_cast<std::int32_t>(value);
    }
}

void CSettings::Save(std::uint32_t mask) noexcept
{
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_ALL_ACCESS)
        && !key.Create(HKEY_CURRENT_USER, kSettingsKeyPath))
        return;
    for (const StoredField& stored : kStoredFields) {
        if (mask & stored.mask)
            key.SetDword(stored.valueName, static_cast<DWORD>(this->*stored.field));
    }
}
