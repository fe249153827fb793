#include "classlib/variant.h"

#include "classlib/exceptions.h"

CComVariant::CComVariant(const VARIANT& other)
{
    VariantInit(this);
    if (FAILED(VariantCopy(this, const_cast<VARIANT*>(static_cast<const VARIANT*>(&other))))) AfxThrowMemoryException();
}

CComVariant::CComVariant(CComVariant&& other) noexcept
{
    *static_cast<VARIANT*>(this) = other;
    VariantInit(&other);
}

CComVariant& CComVariant::operator=(const CComVariant& other)
{
    if (this != &other && FAILED(VariantCopy(this, const_cast<VARIANT*>(static_cast<const VARIANT*>(&other))))) AfxThrowMemoryException();
    return *this;
}

CComVariant& CComVariant::operator=(CComVariant&& other) noexcept
{
    if (this != &other) {
        VariantClear(this);
        *static_cast<VARIANT*>(this) = other;
        VariantInit(&other);
    }
    return *this;
}
