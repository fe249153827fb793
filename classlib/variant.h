#pragma once
// A VARIANT that clears itself.
#include <windows.h>
#include <oleauto.h>

class CComVariant : public tagVARIANT {
public:
    CComVariant() { VariantInit(this); }
    CComVariant(const VARIANT& other);   // a copy; throws CMemoryException when it fails
    CComVariant(const CComVariant& other) : CComVariant(static_cast<const VARIANT&>(other)) {}
    CComVariant(CComVariant&& other) noexcept;
    ~CComVariant() { VariantClear(this); }
    CComVariant& operator=(const CComVariant& other);
    CComVariant& operator=(CComVariant&& other) noexcept;
    void Clear() { VariantClear(this); }
};
