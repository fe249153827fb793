#pragma once
// The object wrapper of a COM class: reference counting, the module lock per live object,
// FinalConstruct/FinalRelease hooks and creation for the class factory.
//
// A class T derives from CComObjectRootEx and its interfaces and provides
//   void* FindInterface(REFIID iid);   // its interface map: the pointer, or null
// and may hide FinalConstruct/FinalRelease. Objects are made only as CComObject<T>, or as
// CComAggObject<T> inside an outer object that aggregates them.
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

// The class inside an aggregate: its interfaces delegate IUnknown to the outer object.
template <class T>
class CComContainedObject final : public T {
public:
    explicit CComContainedObject(IUnknown* outer) : m_outer(outer) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override { return m_outer->QueryInterface(iid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_outer->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_outer->Release(); }

private:
    IUnknown* m_outer;  // not referenced: the outer object owns the aggregate
};

// An aggregated object: its own IUnknown (held by the outer object only) counts the
// references and finds the class's interfaces; everything else answers as the outer object.
template <class T>
class CComAggObject final : public IUnknown {
public:
    explicit CComAggObject(IUnknown* outer) : m_contained(outer) { _pAtlModule->Lock(); }
    ~CComAggObject()
    {
        m_contained.FinalRelease();
        _pAtlModule->Unlock();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *object = m_contained.FindInterface(iid);
        if (!*object) return E_NOINTERFACE;
        m_contained.AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG count = --m_refCount;
        if (count == 0) delete this;
        return count;
    }

    // The object map's aggregated creator: the inner IUnknown for the outer object.
    static HRESULT CreateInstance(IUnknown* outer, void** object)
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!outer) return E_INVALIDARG;
        auto* created = new (std::nothrow) CComAggObject<T>(outer);
        if (!created) return E_OUTOFMEMORY;
        const HRESULT hr = created->m_contained.FinalConstruct();
        if (FAILED(hr)) {
            delete created;
            return hr;
        }
        return created->QueryInterface(IID_IUnknown, object);
    }

private:
    ULONG m_refCount = 0;
    CComContainedObject<T> m_contained;
};
