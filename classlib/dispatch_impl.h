#pragma once
// IDispatch of a dual interface, answered from the interface's type information in a
// registered type library. The type information is loaded on first use and kept for the
// process (released when the module holding this code is unloaded).
#include <windows.h>
#include <oleauto.h>

class CComTypeInfoHolder {
public:
    constexpr CComTypeInfoHolder(const GUID* libid, const IID* iid, WORD major, WORD minor)
        : m_libid(libid), m_iid(iid), m_major(major), m_minor(minor) {}
    ~CComTypeInfoHolder();
    CComTypeInfoHolder(const CComTypeInfoHolder&) = delete;
    CComTypeInfoHolder& operator=(const CComTypeInfoHolder&) = delete;

    // The interface's type information, with a reference for the caller; the failure of
    // LoadRegTypeLib or GetTypeInfoOfGuid when it cannot be found.
    HRESULT GetTI(LCID locale, ITypeInfo** info);

    // The IDispatch operations over it. Invoke calls object, which must be the interface
    // that the type information describes.
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info);
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, LCID locale, DISPID* ids);
    HRESULT Invoke(IDispatch* object, DISPID member, LCID locale, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argError);

private:
    const GUID* m_libid;
    const IID* m_iid;
    WORD m_major;
    WORD m_minor;
    ITypeInfo* volatile m_info = nullptr;
};

// Base of a class that implements the dual interface T described in the type library
// plibid (version major.minor) under piid.
template <class T, const IID* piid, const GUID* plibid, WORD major = 1, WORD minor = 0>
class IDispatchImpl : public T {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return s_typeInfo.GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return s_typeInfo.GetIDsOfNames(names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argError) override
    {
        return s_typeInfo.Invoke(this, member, locale, flags, params, result, excepInfo, argError);
    }

    static CComTypeInfoHolder& TypeInfoHolder() { return s_typeInfo; }

private:
    static inline CComTypeInfoHolder s_typeInfo{plibid, piid, major, minor};
};
