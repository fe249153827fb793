#include "common/registry_key.h"

#include <cstring>

bool CRegistryKey::Open(HKEY root, LPCWSTR subKey, REGSAM access) noexcept
{
    Close();
    if (RegOpenKeyExW(root, subKey, 0, access, &m_key) != ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
    }
    return true;
}

bool CRegistryKey::Create(HKEY root, LPCWSTR subKey) noexcept
{
    Close();
    if (RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr)
        != ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
    }
    return true;
}

bool CRegistryKey::GetDword(LPCWSTR name, DWORD& value) const noexcept
{
    value = 0;
    if (!m_key)
        return false;
    // The buffer is exactly 4 bytes and zeroed: a shorter value leaves its high bytes
    // zero, a longer one fails with ERROR_MORE_DATA and is not read.
    BYTE buffer[sizeof(DWORD)] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(m_key, name, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    std::memcpy(&value, buffer, sizeof(value));
    return true;
}

bool CRegistryKey::SetDword(LPCWSTR name, DWORD value) noexcept
{
    if (!m_key)
        return false;
    if (RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value)) != ERROR_SUCCESS)
        return false;
    RegFlushKey(m_key);
    return true;
}

LONG CRegistryKey::Close() noexcept
{
    if (!m_key)
        return ERROR_INVALID_HANDLE; // what RegCloseKey answers for no key
    LONG status = RegCloseKey(m_key);
    m_key = nullptr;
    return status;
}
