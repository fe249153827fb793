#include "tests/outlook_double/application.h"

#include <utility>

#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {

Inspector::Inspector(std::shared_ptr<HostState> host, ComPtr<IDispatch> item)
    : DispatchObject(std::move(host), L"Inspector",
                     {{dispid::CurrentItem, L"CurrentItem", DISPATCH_PROPERTYGET, 0, 0}}),
      item_(std::move(item)) {}

void Inspector::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    result = Variant::Object(item_.Get());
}

Application::Application(std::shared_ptr<HostState> host)
    : EventSource(std::move(host), L"Application",
                  {{dispid::ActiveInspector, L"ActiveInspector", DISPATCH_METHOD, 0, 0},
                   {dispid::Version, L"Version", DISPATCH_PROPERTYGET, 0, 0}},
                  kApplicationEvents) {}

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
    if (id == dispid::ActiveInspector) {
        result = Variant::Object(activeInspector_.Get());
    } else {
        result = Variant::Text(version_);
    }
}

}  // namespace outlook_double
