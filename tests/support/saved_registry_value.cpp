#include "tests/support/saved_registry_value.h"

namespace testsupport {

SavedRegistryValue SavedRegistryValue::Save(HKEY key, const wchar_t* name)
{
    SavedRegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.resize(size);
    }
    return value;
}

void SavedRegistryValue::Restore(HKEY key, const wchar_t* name) const
{
    if (!present) {
        RegDeleteValueW(key, name);
        return;
    }
    RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

}  // namespace testsupport
