#include "mail_addin/ribbon_xml.h"

#include "classlib/module_state.h"

BSTR LoadXmlResource(UINT id)
{
    // The add-in's own resources, whichever module state the caller runs in.
    const HMODULE module = AfxGetStaticModuleState()->m_hCurrentResourceHandle;
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"XML");
    if (!resource)
        return nullptr;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    if (!bytes || size > INT_MAX)
        return nullptr;
    const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    BSTR text = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (text && length)
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), text, length);
    return text;
}
