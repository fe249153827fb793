#pragma once
// Late-bound calls into the double from its tests, the way the add-in makes them.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/outlook_double/variant.h"

namespace outlook_double {

struct CallOutcome {
    HRESULT hr = S_OK;
    Variant result;
    std::wstring description;  // EXCEPINFO's, for DISP_E_EXCEPTION
    HRESULT scode = S_OK;
    UINT argError = UINT_MAX;
};

// args in call order; a put passes its value as the one named DISPID_PROPERTYPUT argument.
inline CallOutcome Call(IDispatch* object, DISPID id, WORD kind, std::vector<Variant> args = {}) {
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->Get());
    DISPID put = DISPID_PROPERTYPUT;
    const bool isPut = kind == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), isPut ? &put : nullptr,
                      static_cast<UINT>(reversed.size()), isPut ? 1u : 0u};
    CallOutcome out;
    EXCEPINFO exception{};
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, out.result.Receive(),
                            &exception, &out.argError);
    out.description = BstrToText(exception.bstrDescription);
    out.scode = exception.scode;
    FreeExceptionTexts(&exception);
    return out;
}

}  // namespace outlook_double
