#include "tests/support/wininet_proxy.h"

#include <wininet.h>

#include <string>

namespace testsupport {

namespace {

const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

}  // namespace

ScopedWinInetProxy::SavedValue ScopedWinInetProxy::Save(HKEY key, const wchar_t* name)
{
    SavedValue value;
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

void ScopedWinInetProxy::Restore(HKEY key, const wchar_t* name, const SavedValue& value)
{
    if (!value.present) {
        RegDeleteValueW(key, name);
        return;
    }
    RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

ScopedWinInetProxy::ScopedWinInetProxy(unsigned short port)
{
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr) != ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    m_enable = Save(m_key, L"ProxyEnable");
    m_server = Save(m_key, L"ProxyServer");
    const DWORD enable = 1;
    const std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
    RegSetValueExW(m_key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable),
                   sizeof(enable));
    RegSetValueExW(m_key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    Notify();
}

ScopedWinInetProxy::~ScopedWinInetProxy()
{
    if (!m_key)
        return;
    Restore(m_key, L"ProxyEnable", m_enable);
    Restore(m_key, L"ProxyServer", m_server);
    RegCloseKey(m_key);
    Notify();
}

void ScopedWinInetProxy::Notify()
{
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

}  // namespace testsupport
