#pragma once
// The object wrapper of a COM class: reference counting, the module lock per live object,
// FinalConstruct/FinalRelease hooks and creation for the class factory.
//
// A class T derives from CComObjectRootEx and its interfaces and provides
//   void* FindInterface(REFIID iid);   // its interface map: the pointer, or null
// and may hide FinalConstruct/FinalRelease. Objects are made only as CComObject<T>.
#include "classlib/com_module.h"

#include <windows.h>

#include <new>

// Apartment-model reference count: a plain counter.
class CComObjectRootEx {
public:
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}

protected:
    ULONG InternalAddRef() { return ++m_refCount; }
    ULONG InternalRelease() { return --m_refCount; }

private:
    ULONG m_refCount = 0;
};

template <class T>
class CComObject final : public T {
public:
    CComObject() { _pAtlModule->Lock(); }
    ~CComObject()
    {
        T::FinalRelease();
        _pAtlModule->Unlock();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = T::FindInterface(iid);
        if (!*object) return E_NOINTERFACE;
        T::InternalAddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return T::InternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG count = T::InternalRelease();
        if (count == 0) delete this;
        return count;
    }

    // The object map's creator: a new object queried for iid; the caller holds the only
    // reference. A failed FinalConstruct or query destroys the object again.
    static HRESULT CreateInstance(REFIID iid, void** object)
    {
        auto* created = new (std::nothrow) CComObject<T>();
        if (!created) return E_OUTOFMEMORY;
        created->InternalAddRef();
        HRESULT hr = created->FinalConstruct();
        created->InternalRelease();
        if (SUCCEEDED(hr)) hr = created->QueryInterface(iid, object);
        if (FAILED(hr)) delete created;
        return hr;
    }
};
