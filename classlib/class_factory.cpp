#include "classlib/class_factory.h"

#include "classlib/com_module.h"

STDMETHODIMP CComClassFactoryCached::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CComClassFactoryCached::AddRef()
{
    const LONG count = InterlockedIncrement(&m_refCount);
    if (count == 2) _pAtlModule->Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CComClassFactoryCached::Release()
{
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0)
        delete this;
    else if (count == 1)
        _pAtlModule->Unlock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP CComClassFactoryCached::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return m_aggregated && iid == IID_IUnknown ? m_aggregated(outer, object) : CLASS_E_NOAGGREGATION;
    return m_creator(iid, object);
}

STDMETHODIMP CComClassFactoryCached::LockServer(BOOL lock)
{
    if (lock)
        _pAtlModule->Lock();
    else
        _pAtlModule->Unlock();
    return S_OK;
}
