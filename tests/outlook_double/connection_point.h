#pragma once
// Outlook's event sources: a connection point for one event interface, and the base of
// the objects that offer one (the application and the mail item).
#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

#include "tests/outlook_double/dispatch_object.h"

namespace outlook_double {

class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, const IID& events);
    virtual ~ConnectionPoint() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // The sink must answer QueryInterface for the event interface id.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls Invoke(id, DISPATCH_METHOD) on each sink advised when the event starts and
    // still advised when its turn comes; args in call order, passed last first.
    // Returns S_OK, or the first failing HRESULT of a sink (the others still get it).
    HRESULT Fire(DISPID id, const std::vector<VARIANT>& args);
    size_t SinkCount() const { return sinks_.size(); }
    void DetachContainer() { container_ = nullptr; }

private:
    bool IsAdvised(DWORD cookie) const;

    LONG refs_ = 0;
    IConnectionPointContainer* container_;  // not owned: the container detaches us when it goes
    IID events_;
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
};

class EventSource : public DispatchObject<IDispatch>, public IConnectionPointContainer {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        return DispatchObject::QueryInterface(riid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DispatchObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DispatchObject::Release(); }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // The number of sinks advised now.
    size_t SinkCount() const { return events_->SinkCount(); }
    // FindConnectionPoint answers hr from now on (S_OK: serves again).
    void RefuseConnections(HRESULT hr) { refusal_ = hr; }

protected:
    EventSource(std::shared_ptr<HostState> host, std::wstring className,
                std::vector<Member> members, const IID& events);
    ~EventSource() override;
    void* FindInterface(REFIID riid) override;
    // Raises an event on the sinks and records it in the host's event list.
    HRESULT Fire(DISPID id, const std::vector<VARIANT>& args);

private:
    ComPtr<ConnectionPoint> events_;
    HRESULT refusal_ = S_OK;
};

// Event arguments as Outlook passes them: an object by value (no reference taken: the
// caller keeps it alive) and a Cancel flag by reference.
VARIANT ObjectArgument(IDispatch* object);
VARIANT CancelArgument(VARIANT_BOOL* cancel);

}  // namespace outlook_double
