// Benchmark (run by scripts/benchmark.sh, not by ctest): the add-in's start as Outlook times
// it, OnConnection plus OnStartupComplete, with the development engine beside the library
// and the settings at their defaults (update check and statistics on). Each figure is
// printed beside the same calls made to an add-in that does nothing.
#include <windows.h>

#include <cstdio>

#include "mail_addin/office/office_interfaces.h"
#include "mail_server.h"
#include "tests/outlook_double/outlook_double.h"

namespace {

using outlook_double::ComPtr;

constexpr int kStarts = 1000;

// The bare loop's add-in: every call returns at once.
class EmptyAddin final : public _IDTExtensibility2 {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override
    {
        *object = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override { return S_OK; }
};

double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// One start of addin as Outlook makes it; the ticks of OnConnection and OnStartupComplete.
LONGLONG TimedStart(_IDTExtensibility2* addin, IDispatch* application)
{
    SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    addin->OnConnection(application, ext_cm_Startup, nullptr, &custom);
    addin->OnStartupComplete(&custom);
    QueryPerformanceCounter(&after);
    addin->OnBeginShutdown(&custom);
    addin->OnDisconnection(ext_dm_HostShutdown, &custom);
    SafeArrayDestroy(custom);
    return after.QuadPart - before.QuadPart;
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    mail_server::MailServer server;
    if (!server.Loaded()) {
        std::printf("cannot load %ls\n", server.Path().c_str());
        return 1;
    }
    outlook_double::OutlookDouble outlook;
    EmptyAddin empty;

    auto startOnce = [&]() -> LONGLONG {
        ComPtr<_IDTExtensibility2> addin;
        if (FAILED(server.CreateAddin(IID__IDTExtensibility2, reinterpret_cast<void**>(addin.GetAddressOf()))))
            return -1;
        return TimedStart(addin.Get(), outlook.ApplicationDispatch());
    };

    const LONGLONG first = startOnce();
    const LONGLONG bareFirst = TimedStart(&empty, outlook.ApplicationDispatch());
    if (first < 0) {
        std::printf("cannot create the add-in\n");
        return 1;
    }
    LONGLONG total = 0, bareTotal = 0;
    for (int i = 0; i < kStarts; ++i) {
        total += startOnce();
        bareTotal += TimedStart(&empty, outlook.ApplicationDispatch());
    }
    std::printf("first start (engine loaded):  %8.3f ms   bare: %8.4f ms\n", Milliseconds(first),
                Milliseconds(bareFirst));
    std::printf("mean of %d further starts:  %8.3f ms   bare: %8.4f ms\n", kStarts,
                Milliseconds(total) / kStarts, Milliseconds(bareTotal) / kStarts);
    return 0;
}
