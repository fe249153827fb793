#include "tests/outlook_double/dispatch_object.h"

#include <new>
#include <utility>

namespace outlook_double {
namespace {

void FillException(EXCEPINFO* exception, const std::wstring& description, HRESULT scode) {
    if (!exception) return;
    ZeroMemory(exception, sizeof(*exception));
    exception->bstrSource = SysAllocString(L"Outlook");
    exception->bstrDescription =
        SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    exception->scode = scode;
}

// The one kind a call is served as: a put when asked for, else a get, else a method.
WORD ResolveKind(WORD flags, WORD allowed) {
    const WORD puts = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    if (flags & puts) return (allowed & DISPATCH_PROPERTYPUT) ? DISPATCH_PROPERTYPUT : 0;
    if ((flags & DISPATCH_PROPERTYGET) && (allowed & DISPATCH_PROPERTYGET)) return DISPATCH_PROPERTYGET;
    if ((flags & DISPATCH_METHOD) && (allowed & DISPATCH_METHOD)) return DISPATCH_METHOD;
    return 0;
}

}  // namespace

Arguments::Arguments(const DISPPARAMS& params) {
    // rgvarg holds the arguments last first.
    for (UINT i = params.cArgs; i > 0; --i) values_.emplace_back(params.rgvarg[i - 1]);
}

bool Arguments::Has(size_t i) const {
    if (i >= values_.size()) return false;
    const VARIANT& v = values_[i].Get();
    return !(V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

std::wstring Arguments::Text(size_t i) const {
    VARIANT converted;
    VariantInit(&converted);
    if (!Has(i) ||
        FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&values_[i].Get()), 0, VT_BSTR))) {
        throw CallError{DISP_E_TYPEMISMATCH, static_cast<UINT>(i)};
    }
    std::wstring text = BstrToText(V_BSTR(&converted));
    VariantClear(&converted);
    return text;
}

LONG Arguments::Int(size_t i) const {
    VARIANT converted;
    VariantInit(&converted);
    if (!Has(i) ||
        FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&values_[i].Get()), 0, VT_I4))) {
        throw CallError{DISP_E_TYPEMISMATCH, static_cast<UINT>(i)};
    }
    return V_I4(&converted);
}

DoubleObject::DoubleObject(std::shared_ptr<HostState> host, std::wstring className,
                           std::vector<Member> members)
    : host_(std::move(host)), className_(std::move(className)), members_(std::move(members)) {}

const Member* DoubleObject::Find(DISPID id) const {
    for (const Member& m : members_) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

HRESULT DoubleObject::IdsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {  // named arguments are not served
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        for (const Member& m : members_) {
            if (names[i] && lstrcmpiW(m.name, names[i]) == 0) ids[i] = m.id;
        }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DoubleObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) {
    if (!params) return E_INVALIDARG;
    const Member* member = Find(id);
    const WORD kind = member ? ResolveKind(flags, member->kinds) : 0;
    if (!kind) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);

    // Keep ourselves alive: a member may raise an event whose sink drops the last reference.
    ComPtr<IUnknown> self(Identity());
    HRESULT hr = S_OK;
    size_t record = SIZE_MAX;
    try {
        Arguments args(*params);
        CallRecord call;
        call.object = this;
        call.className = className_;
        call.dispid = id;
        call.kind = kind;
        call.arguments = args.All();
        record = host_->BeginCall(std::move(call));

        const UINT named = params->cNamedArgs;
        const bool namedPut = named == 1 && params->rgdispidNamedArgs &&
                              params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        const UINT positional = kind == DISPATCH_PROPERTYPUT ? params->cArgs - 1 : params->cArgs;
        if (auto failure = host_->TakeFailure(this, className_, id, kind)) {
            hr = failure->hr;
            if (hr == DISP_E_EXCEPTION) FillException(exception, failure->description, failure->scode);
            if (hr == S_OK && result) {
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = nullptr;
            }
        } else if (kind == DISPATCH_PROPERTYPUT ? (!namedPut || params->cArgs < 1) : named != 0) {
            hr = kind == DISPATCH_PROPERTYPUT ? DISP_E_PARAMNOTOPTIONAL : DISP_E_NONAMEDARGS;
        } else if (positional < member->minArgs || positional > member->maxArgs) {
            hr = DISP_E_BADPARAMCOUNT;
        } else {
            Variant value;
            CallMember(id, kind, args, value);
            if (result) value.MoveTo(result);
        }
    } catch (const OutlookError& e) {
        hr = DISP_E_EXCEPTION;
        FillException(exception, e.description, e.scode);
    } catch (const CallError& e) {
        hr = e.hr;
        if (argError) *argError = params->cArgs - 1 - e.position;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (FAILED(hr) && result) VariantClear(result);
    if (record != SIZE_MAX) host_->EndCall(record, hr);
    return hr;
}

HRESULT DoubleObject::CallAsInvoke(DISPID id, WORD kind, std::vector<Variant> args,
                                   VARIANT* result) {
    std::vector<VARIANT> reversed(args.size());
    for (size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i].Get();
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), kind == DISPATCH_PROPERTYPUT ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), kind == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT hr = InvokeMember(id, kind, &params, result, &exception, nullptr);
    FreeExceptionTexts(&exception);
    return hr;
}

}  // namespace outlook_double
