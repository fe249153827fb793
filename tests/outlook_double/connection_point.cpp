#include "tests/outlook_double/connection_point.h"

#include <olectl.h>

namespace outlook_double {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, const IID& events)
    : container_(container), events_(events) {}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = container_;
    if (!container_) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(events.GetAddressOf())))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, events);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            ComPtr<IDispatch> keep = it->second;  // released after the list is consistent
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

bool ConnectionPoint::IsAdvised(DWORD cookie) const {
    for (const auto& sink : sinks_) {
        if (sink.first == cookie) return true;
    }
    return false;
}

HRESULT ConnectionPoint::Fire(DISPID id, const std::vector<VARIANT>& args) {
    ComPtr<ConnectionPoint> keepAlive(this);
    const auto snapshot = sinks_;  // sinks may advise and unadvise while the event runs
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    HRESULT first = S_OK;
    for (const auto& sink : snapshot) {
        if (!IsAdvised(sink.first)) continue;
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO exception{};
        UINT argError = 0;
        const HRESULT hr = sink.second->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                               &params, &result, &exception, &argError);
        VariantClear(&result);
        FreeExceptionTexts(&exception);
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

EventSource::EventSource(std::shared_ptr<HostState> host, std::wstring className,
                         std::vector<Member> members, const IID& events)
    : DispatchObject(std::move(host), std::move(className), std::move(members)),
      events_(new ConnectionPoint(this, events)) {}

EventSource::~EventSource() { events_->DetachContainer(); }

void* EventSource::FindInterface(REFIID riid) {
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return DispatchObject::FindInterface(riid);
}

HRESULT EventSource::Fire(DISPID id, const std::vector<VARIANT>& args) {
    ComPtr<IUnknown> keepAlive(Identity());
    const size_t sinks = events_->SinkCount();
    const HRESULT hr = events_->Fire(id, args);
    Host().RecordEvent({ClassName(), id, sinks, hr});
    return hr;
}

STDMETHODIMP EventSource::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP EventSource::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (FAILED(refusal_)) return refusal_;
    IID events{};
    events_->GetConnectionInterface(&events);
    if (riid != events) return CONNECT_E_NOCONNECTION;
    *point = events_.Get();
    (*point)->AddRef();
    return S_OK;
}

VARIANT ObjectArgument(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

VARIANT CancelArgument(VARIANT_BOOL* cancel) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&v) = cancel;
    return v;
}

}  // namespace outlook_double
