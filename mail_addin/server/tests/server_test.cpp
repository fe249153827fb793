// The add-in object through its class factory and its interfaces: identities,
// aggregation, the unload test, the type information of each view and the routing of
// late-bound calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <vector>

#include "addin_fixture.h"
#include "PlenzarMail.h"
#include "mail_addin/office/office_interfaces.h"
#include "tests/outlook_double/ribbon_objects.h"

namespace mail_server {
namespace {

using Microsoft::WRL::ComPtr;

const IID* const kViews[] = {&kIidConnect, &IID__IDTExtensibility2, &IID_IRibbonExtensibility, &kIidRibbonCallback};

class ServerTest : public AddinTest {
protected:
    ComPtr<IUnknown> CreateAddin()
    {
        ComPtr<IUnknown> addin;
        EXPECT_EQ(S_OK, server.CreateAddin(IID_IUnknown, reinterpret_cast<void**>(addin.GetAddressOf())));
        return addin;
    }
    static ComPtr<IDispatch> View(IUnknown* addin, REFIID iid)
    {
        ComPtr<IDispatch> view;
        EXPECT_EQ(S_OK, addin->QueryInterface(iid, reinterpret_cast<void**>(view.GetAddressOf())));
        return view;
    }
};

// Invoke on a view with one control argument, the ribbon's way.
HRESULT InvokeWithControl(IDispatch* view, DISPID id, IDispatch* control, VARIANT* result, EXCEPINFO* exception)
{
    VARIANT argument;
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = control;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    UINT argError = 0;
    return view->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, exception, &argError);
}

TEST_F(ServerTest, OnlyTheConnectClassIsServedAndOnlyIUnknownMayAggregateIt)
{
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, server.GetClassObject(kLibId, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidConnect, IID_IClassFactory,
                                          reinterpret_cast<void**>(factory.GetAddressOf())));
    // Outlook's Application object stands in for an outer object that aggregates the add-in.
    IDispatch* outer = outlook.ApplicationDispatch();
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IDispatch, &none));
    ComPtr<IUnknown> inner;
    ASSERT_EQ(S_OK, factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(inner.GetAddressOf())));
    ComPtr<_IDTExtensibility2> extensibility;
    ASSERT_EQ(S_OK, inner.As(&extensibility));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, extensibility.As(&identity));
    ComPtr<IUnknown> outerIdentity;
    ASSERT_EQ(S_OK, outer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(outerIdentity.GetAddressOf())));
    EXPECT_EQ(outerIdentity.Get(), identity.Get()) << "an aggregated view answers as the outer object";
    identity.Reset();
    extensibility.Reset();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow());
    inner.Reset();
    factory.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

TEST_F(ServerTest, IUnknownAndIDispatchAreTheCallbackViewAndEveryViewHasThatIdentity)
{
    ComPtr<IUnknown> addin = CreateAddin();
    ASSERT_TRUE(addin);
    ComPtr<IDispatch> dispatch = View(addin.Get(), IID_IDispatch);
    ComPtr<IDispatch> callbacks = View(addin.Get(), kIidRibbonCallback);
    EXPECT_EQ(static_cast<void*>(addin.Get()), static_cast<void*>(callbacks.Get()));
    EXPECT_EQ(dispatch.Get(), callbacks.Get());

    std::vector<void*> seen;
    for (const IID* iid : kViews) {
        ComPtr<IDispatch> view = View(addin.Get(), *iid);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(S_OK, view.As(&identity));
        EXPECT_EQ(addin.Get(), identity.Get());
        seen.push_back(view.Get());
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    EXPECT_NE(seen[2], seen[3]);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, addin->QueryInterface(IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
}

TEST_F(ServerTest, TheLibraryStaysWhileAnObjectLivesOrTheFactoryIsLockedOrHeld)
{
    EXPECT_EQ(S_OK, server.CanUnloadNow());
    ComPtr<IUnknown> first = CreateAddin();
    ComPtr<IUnknown> second = CreateAddin();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow());
    first.Reset();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow());
    second.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidConnect, IID_IClassFactory,
                                          reinterpret_cast<void**>(factory.GetAddressOf())));
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "a factory held outside the module";
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "a locked server";
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidConnect, IID_IClassFactory,
                                          reinterpret_cast<void**>(factory.GetAddressOf())));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

TEST_F(ServerTest, EachViewDescribesItselfWithItsOwnTypeInformation)
{
    ComPtr<IUnknown> addin = CreateAddin();
    ASSERT_TRUE(addin);
    for (const IID* iid : kViews) {
        ComPtr<IDispatch> view = View(addin.Get(), *iid);
        UINT count = 0;
        EXPECT_EQ(S_OK, view->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        EXPECT_EQ(E_POINTER, view->GetTypeInfoCount(nullptr));
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(DISP_E_BADINDEX, view->GetTypeInfo(1, 0, &info));
        EXPECT_EQ(nullptr, info);

        const HRESULT hr = view->GetTypeInfo(0, 0, &info);
        if (*iid == kIidConnect) {
            EXPECT_EQ(TYPE_E_ELEMENTNOTFOUND, hr) << "the primary interface is not in the type library";
            continue;
        }
        ASSERT_EQ(S_OK, hr);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
        EXPECT_EQ(*iid, attributes->guid);
        info->ReleaseTypeAttr(attributes);
        info->Release();
    }
}

TEST_F(ServerTest, NamesResolveThroughEachViewsOwnTypeInformation)
{
    ComPtr<IUnknown> addin = CreateAddin();
    ASSERT_TRUE(addin);
    auto idOf = [](IDispatch* view, const wchar_t* name, DISPID* id) {
        std::wstring copy = name;
        LPOLESTR names[] = {&copy[0]};
        return view->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    };
    ComPtr<IDispatch> dispatch = View(addin.Get(), IID_IDispatch);
    const wchar_t* callbacks[] = {L"ButtonClicked", L"GetPressed", L"GetImage", L"ToggleButtonClicked",
                                  L"OnLoadRibbon", L"GetLabel"};
    for (DISPID expected = 1; expected <= 6; ++expected) {
        DISPID id = 0;
        EXPECT_EQ(S_OK, idOf(dispatch.Get(), callbacks[expected - 1], &id));
        EXPECT_EQ(expected, id);
    }
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, idOf(dispatch.Get(), L"OnConnection", &id));

    ComPtr<IDispatch> extensibility = View(addin.Get(), IID__IDTExtensibility2);
    EXPECT_EQ(S_OK, idOf(extensibility.Get(), L"OnStartupComplete", &id));
    EXPECT_EQ(4, id);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, idOf(extensibility.Get(), L"GetLabel", &id));
    ComPtr<IDispatch> ribbon = View(addin.Get(), IID_IRibbonExtensibility);
    EXPECT_EQ(S_OK, idOf(ribbon.Get(), L"GetCustomUI", &id));
    EXPECT_EQ(1, id);
}

// Invoke(id) on view with a control, the ribbon's way, gives what direct() gives through the
// vtable: its result, or its failure as an exception with that code.
template <typename Direct>
void ExpectInvokeReaches(IDispatch* view, DISPID id, IDispatch* control, Direct direct)
{
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    const HRESULT invoked = InvokeWithControl(view, id, control, &result, &exception);
    const HRESULT expected = direct(result);
    if (SUCCEEDED(expected)) {
        EXPECT_EQ(S_OK, invoked) << id;
    } else {
        EXPECT_EQ(DISP_E_EXCEPTION, invoked) << id;
        EXPECT_EQ(expected, exception.scode) << id;
    }
    VariantClear(&result);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
}

TEST_F(ServerTest, DispidsOneToSixReachTheCallbacksOnEveryViewAndOthersGoToTheExtensibilityTypeInformation)
{
    ComPtr<IUnknown> addin = CreateAddin();
    ASSERT_TRUE(addin);
    ComPtr<IRibbonCallback> callbacks;
    ASSERT_EQ(S_OK, addin->QueryInterface(kIidRibbonCallback, reinterpret_cast<void**>(callbacks.GetAddressOf())));
    auto control = outlook_double::Make<outlook_double::RibbonControl>(outlook.App().SharedHost(),
                                                                       L"PlenzarMailToggle", L"", nullptr);
    for (const IID* iid : kViews) {
        ComPtr<IDispatch> view = View(addin.Get(), *iid);
        ExpectInvokeReaches(view.Get(), 6, control.Get(), [&](const VARIANT& invoked) {
            BSTR label = nullptr;
            const HRESULT hr = callbacks->GetLabel(control.Get(), &label);
            if (SUCCEEDED(hr)) {
                EXPECT_EQ(VT_BSTR, V_VT(&invoked));
                const BSTR text = V_VT(&invoked) == VT_BSTR ? V_BSTR(&invoked) : nullptr;
                EXPECT_EQ(std::wstring(label ? label : L""), std::wstring(text ? text : L""));
            }
            SysFreeString(label);
            return hr;
        });
        ExpectInvokeReaches(view.Get(), 2, control.Get(), [&](const VARIANT& invoked) {
            VARIANT_BOOL pressed = VARIANT_FALSE;
            const HRESULT hr = callbacks->GetPressed(control.Get(), &pressed);
            if (SUCCEEDED(hr)) {
                EXPECT_EQ(VT_BOOL, V_VT(&invoked));
                EXPECT_EQ(pressed, V_BOOL(&invoked));
            }
            return hr;
        });
        ExpectInvokeReaches(view.Get(), 3, control.Get(), [&](const VARIANT&) {
            IPictureDisp* picture = nullptr;
            const HRESULT hr = callbacks->GetImage(control.Get(), &picture);
            if (picture) picture->Release();
            return hr;
        });
        for (DISPID other : {0, 7, -1}) {
            VARIANT result;
            VariantInit(&result);
            EXCEPINFO exception{};
            EXPECT_EQ(DISP_E_MEMBERNOTFOUND, InvokeWithControl(view.Get(), other, control.Get(), &result, &exception))
                << other;
        }
    }
}

TEST_F(ServerTest, ADispidOutsideTheCallbacksGivesTheExtensibilityTypeInformationsAnswerUnchanged)
{
    // Without the Office designer library the _IDTExtensibility2 type information cannot
    // be loaded: its failure is what the caller gets.
    ASSERT_EQ(S_OK, UnRegisterTypeLib(kLibIdOfficeAddInDesigner, 1, 0, 0, SYS_WIN64));
    ComPtr<IUnknown> addin = CreateAddin();
    ComPtr<IDispatch> dispatch = View(addin.Get(), IID_IDispatch);
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, InvokeWithControl(dispatch.Get(), 7, nullptr, &result, &exception));
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count)) << "the callback view itself still answers";
}

}  // namespace
}  // namespace mail_server
