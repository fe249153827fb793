#pragma once
// The base of every object of the double: IDispatch::Invoke served from a table of
// members by DISPID and invoke kind, with typed argument coercion, the call record and
// the injected failures. Members raise OutlookError or ArgumentError; Invoke turns them
// into the HRESULT and EXCEPINFO that Outlook answers with, so nothing crosses COM.
#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/outlook_double/host_state.h"
#include "tests/outlook_double/variant.h"

namespace outlook_double {

using Microsoft::WRL::ComPtr;

struct Member {
    DISPID id;
    const wchar_t* name;
    WORD kinds;      // DISPATCH_METHOD, DISPATCH_PROPERTYGET and/or DISPATCH_PROPERTYPUT
    UINT minArgs;    // positional arguments of a method or get; a put takes its value
    UINT maxArgs;    //   as one more (the named DISPID_PROPERTYPUT argument)
};

// An exception reported by Outlook (DISP_E_EXCEPTION with this description).
struct OutlookError {
    std::wstring description;
    HRESULT scode = E_FAIL;
};

// A failing HRESULT with no description; for arguments, position is in call order.
struct CallError {
    HRESULT hr;
    UINT position = 0;
};

// The positional arguments of one call, first argument first, by value.
class Arguments {
public:
    explicit Arguments(const DISPPARAMS& params);
    size_t Count() const { return values_.size(); }
    // Present, and not an optional argument left out (VT_ERROR DISP_E_PARAMNOTFOUND).
    bool Has(size_t i) const;
    std::wstring Text(size_t i) const;  // coerced to text, or DISP_E_TYPEMISMATCH
    LONG Int(size_t i) const;           // coerced to a 32-bit integer, or DISP_E_TYPEMISMATCH
    const Variant& Value(size_t i) const { return values_.at(i); }
    const std::vector<Variant>& All() const { return values_; }

private:
    std::vector<Variant> values_;
};

class DoubleObject {
public:
    DoubleObject(const DoubleObject&) = delete;
    DoubleObject& operator=(const DoubleObject&) = delete;
    virtual ~DoubleObject() = default;

    const std::wstring& ClassName() const { return className_; }
    HostState& Host() { return *host_; }
    const std::shared_ptr<HostState>& SharedHost() const { return host_; }

protected:
    DoubleObject(std::shared_ptr<HostState> host, std::wstring className,
                 std::vector<Member> members);

    // Serves one call of a member of the table as the one kind taken from the flags
    // (DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYGET or DISPATCH_METHOD). The argument
    // count has been checked against the table.
    virtual void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) = 0;
    virtual IUnknown* Identity() = 0;

    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argError);
    HRESULT IdsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;
    // A vtable entry served as the same late-bound call (recorded, failures apply).
    HRESULT CallAsInvoke(DISPID id, WORD kind, std::vector<Variant> args, VARIANT* result);

private:
    const Member* Find(DISPID id) const;

    std::shared_ptr<HostState> host_;
    std::wstring className_;
    std::vector<Member> members_;
};

template <class Interface>
class DispatchObject : public Interface, public DoubleObject {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = FindInterface(riid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return IdsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        return InvokeMember(id, flags, params, result, exception, argError);
    }

    IDispatch* AsDispatch() { return static_cast<Interface*>(this); }
    // The references held on the object, for tests that check the add-in gives its own back.
    LONG References() const { return refs_; }

protected:
    using DoubleObject::DoubleObject;
    IUnknown* Identity() override { return static_cast<Interface*>(this); }

    virtual void* FindInterface(REFIID riid) {
        if (riid == IID_IUnknown || riid == IID_IDispatch) return static_cast<Interface*>(this);
        return nullptr;
    }

private:
    LONG refs_ = 0;
};

// Creates an object of the double; the returned pointer holds the first reference.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace outlook_double
