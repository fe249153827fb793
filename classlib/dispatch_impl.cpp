#include "classlib/dispatch_impl.h"

CComTypeInfoHolder::~CComTypeInfoHolder()
{
    if (m_info) m_info->Release();
}

HRESULT CComTypeInfoHolder::GetTI(LCID locale, ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (!m_info) {
        ITypeLib* library = nullptr;
        HRESULT hr = LoadRegTypeLib(*m_libid, m_major, m_minor, locale, &library);
        if (FAILED(hr)) return hr;
        ITypeInfo* loaded = nullptr;
        hr = library->GetTypeInfoOfGuid(*m_iid, &loaded);
        library->Release();
        if (FAILED(hr)) return hr;
        // Another caller may have been first; keep one and drop the other.
        if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&m_info), loaded, nullptr))
            loaded->Release();
    }
    *info = m_info;
    (*info)->AddRef();
    return S_OK;
}

HRESULT CComTypeInfoHolder::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetTI(locale, info);
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(LPOLESTR* names, UINT count, LCID locale, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTI(locale, &info);
    if (FAILED(hr)) return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

HRESULT CComTypeInfoHolder::Invoke(IDispatch* object, DISPID member, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argError)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTI(locale, &info);
    if (FAILED(hr)) return hr;
    hr = info->Invoke(object, member, flags, params, result, excepInfo, argError);
    info->Release();
    return hr;
}
