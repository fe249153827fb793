#include "tests/outlook_double/tests/fake_addin.h"


#include <cwchar>
#include <string>

#include "tests/outlook_double/outlook_dispids.h"
#include "tests/outlook_double/tests/dispatch_call.h"
#include "tests/outlook_double/tests/test_sink.h"

namespace outlook_double {
namespace {

std::wstring g_log;
LONG g_live = 0;

void Log(const std::wstring& entry) {
    if (!g_log.empty()) g_log += L"|";
    g_log += entry;
}

const wchar_t kExplorerXml[] =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" onLoad=\"OnLoadRibbon\">"
    L"<ribbon><tabs><tab idMso=\"TabMail\"><group id=\"G\" label=\"A &amp; B\">"
    L"<button id=\"Prefs\" onAction=\"ButtonClicked\"/>"
    L"</group></tab></tabs></ribbon></customUI>";
const wchar_t kComposeXml[] =
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" onLoad=\"OnLoadRibbon\">"
    L"<ribbon><tabs><tab idMso=\"TabNewMailMessage\"><group id=\"G\"><splitButton id=\"S\">"
    L"<toggleButton id=\"Toggle\" getLabel=\"GetLabel\" getPressed=\"GetPressed\" "
    L"onAction=\"ToggleButtonClicked\"/>"
    L"<menu id=\"M\"><button id=\"Small\" tag=\"1\" onAction=\"ButtonClicked\"/>%ls</menu>"
    L"</splitButton></group></tab></tabs></ribbon></customUI>";

struct Callback {
    const wchar_t* name;
    DISPID id;
};
const Callback kCallbacks[] = {{L"ButtonClicked", 1}, {L"GetPressed", 2}, {L"ToggleButtonClicked", 4},
                               {L"OnLoadRibbon", 5},  {L"GetLabel", 6}};

class FakeAddin : public _IDTExtensibility2, public IRibbonExtensibility {
public:
    explicit FakeAddin(bool brokenRibbon) : brokenRibbon_(brokenRibbon) { ++g_live; }
    virtual ~FakeAddin() {
        Log(L"Released");
        --g_live;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__IDTExtensibility2) {
            *out = static_cast<_IDTExtensibility2*>(this);
        } else if (riid == IID_IRibbonExtensibility) {
            *out = static_cast<IRibbonExtensibility*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (const Callback& callback : kCallbacks) {
            if (count == 1 && lstrcmpW(names[0], callback.name) == 0) {
                ids[0] = callback.id;
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (params->cArgs < 1 || V_VT(&params->rgvarg[params->cArgs - 1]) != VT_DISPATCH) {
            return DISP_E_TYPEMISMATCH;
        }
        IDispatch* first = V_DISPATCH(&params->rgvarg[params->cArgs - 1]);
        if (id == 5) {
            ribbon_.Reset();
            first->QueryInterface(IID_IRibbonUI, reinterpret_cast<void**>(ribbon_.GetAddressOf()));
            Log(std::wstring(L"OnLoadRibbon:") + (ribbon_ ? L"IRibbonUI" : L"none"));
            return S_OK;
        }
        const std::wstring control = Call(first, dispid::ControlId, DISPATCH_PROPERTYGET).result.AsText() +
                                     L"/" + Call(first, dispid::ControlTag, DISPATCH_PROPERTYGET).result.AsText();
        switch (id) {
        case 1:
            Log(L"ButtonClicked:" + control);
            if (ribbon_) ribbon_->Invalidate();
            return S_OK;
        case 4:
            Log(L"ToggleButtonClicked:" + control + L":" +
                (params->cArgs == 2 && V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_BOOL) &&
                         *V_BOOLREF(&params->rgvarg[0])
                     ? L"pressed" : L"not pressed"));
            return S_OK;
        case 2:
            Log(L"GetPressed:" + control);
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_TRUE;
            return S_OK;
        case 6:
            Log(L"GetLabel:" + control);
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"Medium");
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addIn,
                              SAFEARRAY**) override {
        application_ = application;
        const std::wstring version =
            Call(application, dispid::Version, DISPATCH_PROPERTYGET).result.AsText();
        Log(L"OnConnection:" + version + (addIn ? L":addin" : L":none"));
        // Listens for Quit, when it disconnects itself; the connection keeps it alive till then.
        auto* sink = new TestSink(kApplicationEvents);
        sink->AddRef();
        sink->reaction = [sink](DISPID id, DISPPARAMS*) {
            if (id == dispid::Quit) {
                Log(L"Quit");
                sink->Unadvise();
            }
            return S_OK;
        };
        sink->Advise(application);
        sink->Release();
        return S_OK;
    }
    STDMETHODIMP OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override {
        Log(L"OnDisconnection");
        return S_OK;
    }
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override {
        Log(L"OnStartupComplete");
        return S_OK;
    }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override {
        Log(L"OnBeginShutdown");
        return S_OK;
    }
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* xml) override {
        const std::wstring id = BstrToText(ribbonId);
        Log(L"GetCustomUI:" + id);
        if (id == L"Microsoft.Outlook.Explorer") *xml = SysAllocString(kExplorerXml);
        if (id == L"Microsoft.Outlook.Mail.Compose") {
            wchar_t compose[1024];
            swprintf(compose, 1024, kComposeXml,
                     brokenRibbon_ ? L"<button id=\"Broken\" onAction=\"NoSuchCallback\"/>" : L"");
            *xml = SysAllocString(compose);
        }
        return S_OK;
    }

private:
    ULONG refs_ = 0;
    bool brokenRibbon_;
    ComPtr<IDispatch> application_;
    ComPtr<IRibbonUI> ribbon_;
};

}  // namespace

_IDTExtensibility2* CreateFakeAddin(bool brokenRibbon) {
    _IDTExtensibility2* addin = new FakeAddin(brokenRibbon);
    addin->AddRef();
    return addin;
}

extern "C" const wchar_t* FakeAddinLogText() { return g_log.c_str(); }
extern "C" LONG FakeAddinLiveObjects() { return g_live; }

}  // namespace outlook_double
