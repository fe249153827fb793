#include "tests/outlook_double/ribbon_objects.h"

#include <utility>

#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {
namespace {

// Hands a text result of CallAsInvoke to a vtable caller.
HRESULT TextOut(HRESULT hr, VARIANT& result, BSTR* out) {
    *out = nullptr;
    if (SUCCEEDED(hr) && V_VT(&result) == VT_BSTR) {
        *out = V_BSTR(&result);
        V_VT(&result) = VT_EMPTY;
    }
    VariantClear(&result);
    return hr;
}

}  // namespace

RibbonControl::RibbonControl(std::shared_ptr<HostState> host, std::wstring id, std::wstring tag,
                             ComPtr<IDispatch> context)
    : DispatchObject(std::move(host), L"IRibbonControl",
                     {{dispid::ControlId, L"Id", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::ControlContext, L"Context", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::ControlTag, L"Tag", DISPATCH_PROPERTYGET, 0, 0}}),
      id_(std::move(id)),
      tag_(std::move(tag)),
      context_(std::move(context)) {}

void* RibbonControl::FindInterface(REFIID riid) {
    if (riid == IID_IRibbonControl) return static_cast<IRibbonControl*>(this);
    return DispatchObject::FindInterface(riid);
}

STDMETHODIMP RibbonControl::get_Id(BSTR* id) {
    if (!id) return E_POINTER;
    VARIANT result;
    VariantInit(&result);
    return TextOut(CallAsInvoke(dispid::ControlId, DISPATCH_PROPERTYGET, {}, &result), result, id);
}

STDMETHODIMP RibbonControl::get_Tag(BSTR* tag) {
    if (!tag) return E_POINTER;
    VARIANT result;
    VariantInit(&result);
    return TextOut(CallAsInvoke(dispid::ControlTag, DISPATCH_PROPERTYGET, {}, &result), result, tag);
}

STDMETHODIMP RibbonControl::get_Context(IDispatch** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    Variant result;
    const HRESULT hr = CallAsInvoke(dispid::ControlContext, DISPATCH_PROPERTYGET, {}, result.Receive());
    if (SUCCEEDED(hr) && result.AsObject()) {
        *context = result.AsObject();
        (*context)->AddRef();
    }
    return hr;
}

void RibbonControl::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::ControlId:
        result = Variant::Text(id_);
        break;
    case dispid::ControlTag:
        result = Variant::Text(tag_);
        break;
    case dispid::ControlContext:
        result = Variant::Object(context_.Get());
        break;
    }
}

RibbonUi::RibbonUi(std::shared_ptr<HostState> host, std::wstring ribbonId)
    : DispatchObject(std::move(host), L"IRibbonUI",
                     {{1, L"Invalidate", DISPATCH_METHOD, 0, 0},
                      {2, L"InvalidateControl", DISPATCH_METHOD, 1, 1},
                      {3, L"InvalidateControlMso", DISPATCH_METHOD, 1, 1},
                      {4, L"ActivateTab", DISPATCH_METHOD, 1, 1},
                      {5, L"ActivateTabMso", DISPATCH_METHOD, 1, 1},
                      {6, L"ActivateTabQ", DISPATCH_METHOD, 2, 2}}),
      ribbonId_(std::move(ribbonId)) {}

void* RibbonUi::FindInterface(REFIID riid) {
    if (riid == IID_IRibbonUI) return static_cast<IRibbonUI*>(this);
    return DispatchObject::FindInterface(riid);
}

HRESULT RibbonUi::CallWithText(DISPID id, BSTR text) {
    return CallAsInvoke(id, DISPATCH_METHOD, {Variant::Text(BstrToText(text))}, nullptr);
}

STDMETHODIMP RibbonUi::Invalidate() { return CallAsInvoke(dispid::Invalidate, DISPATCH_METHOD, {}, nullptr); }
STDMETHODIMP RibbonUi::InvalidateControl(BSTR controlId) { return CallWithText(2, controlId); }
STDMETHODIMP RibbonUi::InvalidateControlMso(BSTR controlId) { return CallWithText(3, controlId); }
STDMETHODIMP RibbonUi::ActivateTab(BSTR controlId) { return CallWithText(4, controlId); }
STDMETHODIMP RibbonUi::ActivateTabMso(BSTR controlId) { return CallWithText(5, controlId); }

STDMETHODIMP RibbonUi::ActivateTabQ(BSTR controlId, BSTR ns) {
    return CallAsInvoke(6, DISPATCH_METHOD,
                        {Variant::Text(BstrToText(controlId)), Variant::Text(BstrToText(ns))}, nullptr);
}

void RibbonUi::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    if (id == dispid::Invalidate) {
        ++invalidateCount_;
    } else if (id == dispid::InvalidateControl) {
        invalidatedControls_.push_back(args.Text(0));
    }
}

}  // namespace outlook_double
