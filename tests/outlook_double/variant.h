#pragma once
// An owning VARIANT for the double's arguments, results and stored values.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace outlook_double {

class Variant {
public:
    Variant() { VariantInit(&value_); }
    // Copies other; a by-reference variant is copied as the value it refers to.
    explicit Variant(const VARIANT& other);
    Variant(const Variant& other) : Variant(other.value_) {}
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { VariantClear(&value_); }

    static Variant Text(const std::wstring& text);
    static Variant Int(LONG value);   // VT_I4
    static Variant Bool(bool value);  // VT_BOOL
    static Variant Object(IDispatch* object);  // VT_DISPATCH, adds a reference (NULL allowed)

    VARTYPE Type() const { return V_VT(&value_); }
    bool IsEmpty() const { return Type() == VT_EMPTY; }
    const VARIANT& Get() const { return value_; }
    VARIANT* Receive();  // cleared, for an out parameter

    // Readable forms for tests and records: the text of a VT_BSTR (empty otherwise),
    // an integer coerced from any numeric type (0 when it cannot be).
    std::wstring AsText() const;
    LONG AsInt() const;
    IDispatch* AsObject() const;  // no reference added; NULL unless VT_DISPATCH

    // Moves the value into out (which must be uninitialised or cleared); leaves this empty.
    void MoveTo(VARIANT* out);

private:
    VARIANT value_;
};

std::wstring BstrToText(BSTR text);
// Frees the texts an Invoke left in exception.
void FreeExceptionTexts(EXCEPINFO* exception);

}  // namespace outlook_double
