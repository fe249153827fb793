#include "handler_client.h"

#include "drop_data_object.h"

HRESULT HandlerClient::Create(const ShellServer& server)
{
    Release();
    HRESULT hr = server.CreateHandler(m_init.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = m_init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(m_menu.ReleaseAndGetAddressOf()));
    return hr;
}

HRESULT HandlerClient::Select(const std::vector<std::wstring>& paths)
{
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = CreateDropDataObject(paths);
    return m_init->Initialize(nullptr, data.Get(), nullptr);
}

HRESULT HandlerClient::Invoke(UINT offset)
{
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(offset);
    return m_menu->InvokeCommand(&info);
}

void HandlerClient::Release()
{
    m_menu.Reset();
    m_init.Reset();
}
