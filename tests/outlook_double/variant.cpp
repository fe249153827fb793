#include "tests/outlook_double/variant.h"

#include <utility>

namespace outlook_double {

Variant::Variant(const VARIANT& other) {
    VariantInit(&value_);
    if (FAILED(VariantCopyInd(&value_, const_cast<VARIANT*>(&other)))) VariantInit(&value_);
}

Variant::Variant(Variant&& other) noexcept {
    value_ = other.value_;
    VariantInit(&other.value_);
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&value_);
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    return *this;
}

Variant Variant::Text(const std::wstring& text) {
    Variant v;
    V_VT(&v.value_) = VT_BSTR;
    V_BSTR(&v.value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

Variant Variant::Int(LONG value) {
    Variant v;
    V_VT(&v.value_) = VT_I4;
    V_I4(&v.value_) = value;
    return v;
}

Variant Variant::Bool(bool value) {
    Variant v;
    V_VT(&v.value_) = VT_BOOL;
    V_BOOL(&v.value_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::Object(IDispatch* object) {
    Variant v;
    V_VT(&v.value_) = VT_DISPATCH;
    V_DISPATCH(&v.value_) = object;
    if (object) object->AddRef();
    return v;
}

VARIANT* Variant::Receive() {
    VariantClear(&value_);
    return &value_;
}

std::wstring Variant::AsText() const {
    return Type() == VT_BSTR ? BstrToText(V_BSTR(&value_)) : std::wstring();
}

LONG Variant::AsInt() const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_I4))) return 0;
    return V_I4(&converted);
}

IDispatch* Variant::AsObject() const {
    return Type() == VT_DISPATCH ? V_DISPATCH(&value_) : nullptr;
}

void Variant::MoveTo(VARIANT* out) {
    *out = value_;
    VariantInit(&value_);
}

std::wstring BstrToText(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

}  // namespace outlook_double

namespace outlook_double {

void FreeExceptionTexts(EXCEPINFO* exception) {
    SysFreeString(exception->bstrSource);
    SysFreeString(exception->bstrDescription);
    SysFreeString(exception->bstrHelpFile);
    exception->bstrSource = exception->bstrDescription = exception->bstrHelpFile = nullptr;
}

}  // namespace outlook_double
