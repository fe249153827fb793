#include "classlib/dispatch_driver.h"

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/variant.h"

namespace {

// Puts one argument taken from the list into arg, by its VTS_ type byte.
void TakeArgument(char type, va_list& list, VARIANT& arg)
{
    switch (static_cast<VARTYPE>(type)) {
    case VT_I4:
        arg.vt = VT_I4;
        arg.lVal = va_arg(list, long);
        return;
    case VT_INT:
        arg.vt = VT_INT;
        arg.intVal = va_arg(list, int);
        return;
    case VT_BSTR: {
        const wchar_t* text = va_arg(list, const wchar_t*);
        arg.bstrVal = SysAllocString(text ? text : L"");
        if (!arg.bstrVal) AfxThrowMemoryException();
        arg.vt = VT_BSTR;
        return;
    }
    case VT_DISPATCH:
        arg.vt = VT_DISPATCH;
        arg.pdispVal = va_arg(list, IDispatch*);
        if (arg.pdispVal) arg.pdispVal->AddRef();
        return;
    case VT_VARIANT: {
        const VARIANT* value = va_arg(list, const VARIANT*);
        if (!value) return;  // left VT_EMPTY
        const HRESULT hr = VariantCopy(&arg, const_cast<VARIANT*>(value));
        if (FAILED(hr)) AfxThrowOleException(hr);
        return;
    }
    default:
        AfxThrowOleException(E_INVALIDARG);
    }
}

[[noreturn]] void ThrowDispatchException(EXCEPINFO& info)
{
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    auto* e = new COleDispatchException(info.bstrDescription ? info.bstrDescription : L"",
                                        info.dwHelpContext, info.wCode);
    e->m_scError = info.scode ? info.scode : DISP_E_EXCEPTION;
    if (info.bstrSource) e->m_strSource = info.bstrSource;
    if (info.bstrHelpFile) e->m_strHelpFile = info.bstrHelpFile;
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw e;
}

// Hands the call's result to the caller in the type asked for.
void StoreResult(VARTYPE vtRet, CComVariant& result, void* pvRet)
{
    if (vtRet == VT_EMPTY || !pvRet) return;
    if (vtRet == VT_VARIANT) {
        auto* out = static_cast<VARIANT*>(pvRet);
        VariantClear(out);
        *out = result;          // the caller takes over what the result holds
        VariantInit(&result);
        return;
    }
    if (vtRet == VT_DISPATCH && (result.vt == VT_EMPTY || result.vt == VT_NULL)) {
        *static_cast<LPDISPATCH*>(pvRet) = nullptr;  // Nothing
        return;
    }
    if (result.vt != vtRet) {
        const HRESULT hr = VariantChangeType(&result, &result, 0, vtRet);
        if (FAILED(hr)) AfxThrowOleException(hr);
    }
    switch (vtRet) {
    case VT_I4: *static_cast<long*>(pvRet) = result.lVal; break;
    case VT_INT: *static_cast<int*>(pvRet) = result.intVal; break;
    case VT_BOOL: *static_cast<BOOL*>(pvRet) = result.boolVal != VARIANT_FALSE; break;
    case VT_BSTR:
        static_cast<std::wstring*>(pvRet)->assign(result.bstrVal ? result.bstrVal : L"",
                                                  SysStringLen(result.bstrVal));
        break;
    case VT_DISPATCH:
        *static_cast<LPDISPATCH*>(pvRet) = result.pdispVal;
        VariantInit(&result);  // the reference goes to the caller
        break;
    default: AfxThrowOleException(DISP_E_TYPEMISMATCH);
    }
}

}  // namespace

COleDispatchDriver::COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease)
    : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease)
{
}

void COleDispatchDriver::AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease)
{
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

LPDISPATCH COleDispatchDriver::DetachDispatch()
{
    LPDISPATCH dispatch = m_lpDispatch;
    m_lpDispatch = nullptr;
    return dispatch;
}

void COleDispatchDriver::ReleaseDispatch()
{
    if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

static void InvokeWithList(LPDISPATCH dispatch, DISPID dispid, WORD flags, VARTYPE vtRet,
                           void* pvRet, const char* paramInfo, va_list& list)
{
    if (!dispatch) AfxThrowOleException(E_POINTER);
    const size_t count = paramInfo ? std::strlen(paramInfo) : 0;
    // Arguments stand in reverse order: the first one given is the last entry.
    std::vector<CComVariant> args(count);
    for (size_t i = 0; i < count; ++i) TakeArgument(paramInfo[i], list, args[count - 1 - i]);

    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {};
    params.cArgs = static_cast<UINT>(count);
    params.rgvarg = count ? args.data() : nullptr;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &namedPut;
    }
    CComVariant result;
    EXCEPINFO info = {};
    UINT argError = 0;
    const HRESULT hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                        vtRet == VT_EMPTY ? nullptr : &result, &info, &argError);
    if (hr == DISP_E_EXCEPTION) ThrowDispatchException(info);
    if (FAILED(hr)) AfxThrowOleException(hr);
    StoreResult(vtRet, result, pvRet);
}

void COleDispatchDriver::InvokeHelper(DISPID dispid, WORD flags, VARTYPE vtRet, void* pvRet,
                                      const char* paramInfo, ...)
{
    va_list list;
    va_start(list, paramInfo);
    try {
        InvokeWithList(m_lpDispatch, dispid, flags, vtRet, pvRet, paramInfo, list);
    } catch (...) {
        va_end(list);
        throw;
    }
    va_end(list);
}

void COleDispatchDriver::GetProperty(DISPID dispid, VARTYPE vtProp, void* pvProp) const
{
    const_cast<COleDispatchDriver*>(this)->InvokeHelper(dispid, DISPATCH_PROPERTYGET, vtProp,
                                                        pvProp, VTS_NONE);
}

void COleDispatchDriver::SetProperty(DISPID dispid, VARTYPE vtProp, ...)
{
    const char paramInfo[2] = {static_cast<char>(vtProp), 0};
    va_list list;
    va_start(list, vtProp);
    try {
        InvokeWithList(m_lpDispatch, dispid, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, paramInfo,
                       list);
    } catch (...) {
        va_end(list);
        throw;
    }
    va_end(list);
}
