// fake_addin.dll: the fake add-in served through DllGetClassObject, as Outlook creates
// a COM add-in.
#include "tests/outlook_double/tests/fake_addin.h"

#include <unknwn.h>

namespace {

class FakeAddinFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        _IDTExtensibility2* addin = outlook_double::CreateFakeAddin();
        const HRESULT hr = addin->QueryInterface(riid, out);
        addin->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

FakeAddinFactory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != outlook_double::kFakeAddinClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return outlook_double::FakeAddinLiveObjects() == 0 ? S_OK : S_FALSE;
}
