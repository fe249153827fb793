#include "mail_addin/tests/support/ribbon_test_addin.h"

#include "mail_addin/addin_globals.h"
#include "mail_addin/ribbon_callbacks.h"

namespace {

struct CallbackName {
    const wchar_t* name;
    DISPID id;
};
constexpr CallbackName kCallbacks[] = {
    { L"ButtonClicked", 1 }, { L"GetPressed", 2 }, { L"GetImage", 3 },
    { L"ToggleButtonClicked", 4 }, { L"OnLoadRibbon", 5 }, { L"GetLabel", 6 },
};

// Not a VARIANT_BOOL that a callback writes.
constexpr VARIANT_BOOL kUnwritten = 0x5A5A;

class CRibbonTestAddin final : public _IDTExtensibility2, public IRibbonExtensibility {
public:
    virtual ~CRibbonTestAddin()
    {
        if (m_ribbonUi)
            m_ribbonUi->Release();
        if (m_application)
            m_application->Release();
        if (g_ribbonUi) {
            g_ribbonUi->Release();
            g_ribbonUi = nullptr;
        }
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__IDTExtensibility2) {
            *object = static_cast<_IDTExtensibility2*>(this);
        } else if (iid == IID_IRibbonExtensibility) {
            *object = static_cast<IRibbonExtensibility*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --m_references;
        if (!left)
            delete this;
        return left;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        for (const CallbackName& callback : kCallbacks) {
            if (count == 1 && lstrcmpW(names[0], callback.name) == 0) {
                ids[0] = callback.id;
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override
    {
        // Arguments stand last first: the control (or the ribbon) is the last entry.
        if (!params || params->cArgs == 0)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT& first = params->rgvarg[params->cArgs - 1];
        IDispatch* object = first.vt == VT_DISPATCH ? first.pdispVal : nullptr;
        switch (id) {
        case 1:
            return RibbonButtonClicked(m_application, m_ribbonUi, object);
        case 2: {
            VARIANT_BOOL pressed = kUnwritten;
            const HRESULT hr = RibbonGetPressed(m_application, object, &pressed);
            if (pressed != kUnwritten && result) {
                result->vt = VT_BOOL;
                result->boolVal = pressed;
            }
            return hr;
        }
        case 3: {
            IPictureDisp* picture = nullptr;
            const HRESULT hr = RibbonGetImage(m_application, object, &picture);
            if (picture && result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = picture;
            } else if (picture) {
                picture->Release();
            }
            return hr;
        }
        case 4: {
            VARIANT_BOOL* pressed = nullptr;
            if (params->cArgs > 1 && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL))
                pressed = params->rgvarg[0].pboolVal;
            return RibbonToggleButtonClicked(m_application, m_ribbonUi, object, pressed);
        }
        case 5:
            return RibbonOnLoad(object, &m_ribbonUi);
        case 6: {
            BSTR label = nullptr;
            const HRESULT hr = RibbonGetLabel(m_application, object, &label);
            if (label && result) {
                result->vt = VT_BSTR;
                result->bstrVal = label;
            } else {
                SysFreeString(label);
            }
            return hr;
        }
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // _IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**) override
    {
        if (application)
            application->AddRef();
        if (m_application)
            m_application->Release();
        m_application = application;
        return S_OK;
    }
    STDMETHODIMP OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

    // IRibbonExtensibility (its IDispatch face is never asked for)
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override
    {
        return RibbonGetCustomUI(ribbonId, ribbonXml);
    }

private:
    ULONG m_references = 1;
    IDispatch* m_application = nullptr;
    IRibbonUI* m_ribbonUi = nullptr;
};

}  // namespace

IUnknown* CreateRibbonTestAddin()
{
    return static_cast<_IDTExtensibility2*>(new CRibbonTestAddin);
}
