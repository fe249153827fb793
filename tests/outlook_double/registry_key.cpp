#include "tests/outlook_double/registry_key.h"

#include <vector>

namespace outlook_double {

RegistryKey::RegistryKey(HKEY root, const std::wstring& path)
    : openResult_(RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key_)) {
    if (openResult_ != ERROR_SUCCESS) key_ = nullptr;
}

RegistryKey::~RegistryKey() {
    if (key_) RegCloseKey(key_);
}

bool RegistryKey::ReadText(const wchar_t* name, std::wstring* text) const {
    DWORD type = 0;
    DWORD size = 0;
    if (!key_ || RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    text->assign(buffer.data());
    return true;
}

bool RegistryKey::ReadDword(const wchar_t* name, DWORD* value) const {
    DWORD type = 0;
    DWORD size = sizeof(*value);
    return key_ &&
           RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

}  // namespace outlook_double
