#pragma once
// The class factory that a module keeps cached in its object map. Its reference kept by
// the map does not lock the module; while anybody else holds it, it holds one module lock.
// With an aggregated creator, an outer object may aggregate the class by asking for
// IUnknown; any other request with an outer object answers CLASS_E_NOAGGREGATION.
#include <windows.h>

class CComClassFactoryCached final : public IClassFactory {
public:
    using Creator = HRESULT (*)(REFIID iid, void** object);
    using AggregatedCreator = HRESULT (*)(IUnknown* outer, void** object);
    // Starts with the one reference of the object map.
    explicit CComClassFactoryCached(Creator creator, AggregatedCreator aggregated = nullptr)
        : m_creator(creator), m_aggregated(aggregated) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~CComClassFactoryCached() = default;
    Creator m_creator;
    AggregatedCreator m_aggregated;
    volatile LONG m_refCount = 1;
};
