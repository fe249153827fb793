#include "tests/support/wininet_proxy.h"

#include <wininet.h>

#include <string>

namespace testsupport {

namespace {

const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

}  // namespace

ScopedWinInetProxy::ScopedWinInetProxy(unsigned short port)
{
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr) != ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    m_enable = SavedRegistryValue::Save(m_key, L"ProxyEnable");
    m_server = SavedRegistryValue::Save(m_key, L"ProxyServer");
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
    m_enable.Restore(m_key, L"ProxyEnable");
    m_server.Restore(m_key, L"ProxyServer");
    RegCloseKey(m_key);
    Notify();
}

void ScopedWinInetProxy::Notify()
{
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

}  // namespace testsupport
