#pragma once
// The class factory that a module keeps cached in its object map. Its reference kept by
// the map does not lock the module; while anybody else holds it, it holds one module lock.
#include <windows.h>

class CComClassFactoryCached final : public IClassFactory {
public:
    using Creator = HRESULT (*)(REFIID iid, void** object);
    // Starts with the one reference of the object map.
    explicit CComClassFactoryCached(Creator creator) : m_creator(creator) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~CComClassFactoryCached() = default;
    Creator m_creator;
    volatile LONG m_refCount = 1;
};
