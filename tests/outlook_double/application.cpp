#include "tests/outlook_double/application.h"

#include <utility>

#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {

STDMETHODIMP WindowObject::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

void* WindowObject::FindInterface(REFIID riid) {
    if (riid == IID_IOleWindow) return static_cast<IOleWindow*>(this);
    return DispatchObject::FindInterface(riid);
}

Inspector::Inspector(std::shared_ptr<HostState> host, ComPtr<IDispatch> item)
    : WindowObject(std::move(host), L"Inspector",
                     {{dispid::Class, L"Class", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::CurrentItem, L"CurrentItem", DISPATCH_PROPERTYGET, 0, 0}}),
      item_(std::move(item)) {}

void Inspector::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    result = id == dispid::Class ? Variant::Int(object_class::Inspector) : Variant::Object(item_.Get());
}

Explorer::Explorer(std::shared_ptr<HostState> host)
    : WindowObject(std::move(host), L"Explorer",
                     {{dispid::Class, L"Class", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::ActiveInlineResponse, L"ActiveInlineResponse", DISPATCH_PROPERTYGET, 0, 0}}) {}

void Explorer::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    result = id == dispid::Class ? Variant::Int(object_class::Explorer) : Variant::Object(inlineResponse_.Get());
}

Application::Application(std::shared_ptr<HostState> host)
    : EventSource(host, L"Application",
                  {{dispid::Class, L"Class", DISPATCH_PROPERTYGET, 0, 0},
                   {dispid::ActiveExplorer, L"ActiveExplorer", DISPATCH_METHOD, 0, 0},
                   {dispid::ActiveInspector, L"ActiveInspector", DISPATCH_METHOD, 0, 0},
                   {dispid::Version, L"Version", DISPATCH_PROPERTYGET, 0, 0}},
                  kApplicationEvents),
      explorer_(Make<Explorer>(host)) {}

HRESULT Application::FireItemLoad(IDispatch* item) {
    return Fire(dispid::ItemLoad, {ObjectArgument(item)});
}

HRESULT Application::FireItemSend(IDispatch* item, bool* cancelled, bool cancelledBefore) {
    VARIANT_BOOL cancel = cancelledBefore ? VARIANT_TRUE : VARIANT_FALSE;
    const HRESULT hr = Fire(dispid::ItemSend, {ObjectArgument(item), CancelArgument(&cancel)});
    if (cancelled) *cancelled = cancel != VARIANT_FALSE;
    return hr;
}

HRESULT Application::FireQuit() { return Fire(dispid::Quit, {}); }

void Application::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::Class:
        result = Variant::Int(object_class::Application);
        break;
    case dispid::ActiveExplorer:
        result = Variant::Object(explorer_.Get());
        break;
    case dispid::ActiveInspector:
        result = Variant::Object(activeInspector_.Get());
        break;
    default:
        result = Variant::Text(version_);
    }
}

}  // namespace outlook_double
