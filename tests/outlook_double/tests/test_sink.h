#pragma once
// An event sink for the double's tests: records each event with its arguments as they
// stood in DISPPARAMS (last argument first) and runs an optional reaction.
#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <vector>

#include "tests/outlook_double/dispatch_object.h"

namespace outlook_double {

struct ReceivedEvent {
    DISPID dispid;
    std::vector<VARTYPE> types;        // rgvarg order
    std::vector<IDispatch*> objects;   // rgvarg order, NULL where not VT_DISPATCH
};

class TestSink : public IDispatch {
public:
    using Reaction = std::function<HRESULT(DISPID, DISPPARAMS*)>;

    explicit TestSink(const IID& events) : events_(events) {}
    virtual ~TestSink() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        ReceivedEvent event{id, {}, {}};
        for (UINT i = 0; i < params->cArgs; ++i) {
            event.types.push_back(V_VT(&params->rgvarg[i]));
            event.objects.push_back(V_VT(&params->rgvarg[i]) == VT_DISPATCH ? V_DISPATCH(&params->rgvarg[i])
                                                                           : nullptr);
        }
        received.push_back(event);
        return reaction ? reaction(id, params) : S_OK;
    }

    // Connects to source's connection point for the sink's event interface.
    HRESULT Advise(IUnknown* source) {
        ComPtr<IConnectionPointContainer> container;
        HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer,
                                            reinterpret_cast<void**>(container.GetAddressOf()));
        if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(events_, point_.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = point_->Advise(this, &cookie_);
        return hr;
    }
    HRESULT Unadvise() {
        if (!point_) return S_FALSE;
        const HRESULT hr = point_->Unadvise(cookie_);
        point_.Reset();
        return hr;
    }

    std::vector<ReceivedEvent> received;
    Reaction reaction;

private:
    IID events_;
    ULONG refs_ = 0;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace outlook_double
