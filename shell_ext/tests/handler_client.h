#pragma once
// One handler object, used as Explorer uses it: created through the class factory, given
// the selection, asked to run a command, released.
#include "shell_server.h"

#include <string>
#include <vector>

class HandlerClient {
public:
    HandlerClient() = default;
    HandlerClient(const HandlerClient&) = delete;
    HandlerClient& operator=(const HandlerClient&) = delete;

    // A new handler object (the earlier one, if any, is released first).
    HRESULT Create(const ShellServer& server);
    // Initialize with a data object that offers these paths as CF_HDROP.
    HRESULT Select(const std::vector<std::wstring>& paths);
    // InvokeCommand with the command offset as verb.
    HRESULT Invoke(UINT offset);
    // The final release of the object.
    void Release();

    IShellExtInit* Init() const { return m_init.Get(); }
    IContextMenu* Menu() const { return m_menu.Get(); }

private:
    ComPtr<IShellExtInit> m_init;
    ComPtr<IContextMenu> m_menu;
};
