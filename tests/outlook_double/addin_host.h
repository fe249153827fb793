#pragma once
// Plays Outlook's part with a COM add-in: finds it under
// HKCU\Software\Microsoft\Office\Outlook\Addins, creates it, connects it to the double's
// Application, builds its ribbons (GetCustomUI, callbacks resolved by name through
// IDispatch and called through Invoke with an IRibbonControl of the double, onLoad with
// an IRibbonUI that counts invalidations), and shuts it down as Outlook does.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "mail_addin/office/office_interfaces.h"
#include "tests/outlook_double/outlook_double.h"
#include "tests/outlook_double/ribbon_objects.h"
#include "tests/outlook_double/ribbon_xml.h"

namespace outlook_double {

extern const wchar_t kExplorerRibbonId[];  // "Microsoft.Outlook.Explorer"
extern const wchar_t kComposeRibbonId[];   // "Microsoft.Outlook.Mail.Compose"

struct AddinKey {
    std::wstring description;
    std::wstring friendlyName;
    DWORD loadBehavior = 0;
};

// The add-in's key under HKCU\Software\Microsoft\Office\Outlook\Addins\<progId>;
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when there is none.
HRESULT ReadAddinKey(const std::wstring& progId, AddinKey* key);

class AddinHost {
public:
    explicit AddinHost(OutlookDouble& outlook);
    ~AddinHost();
    AddinHost(const AddinHost&) = delete;
    AddinHost& operator=(const AddinHost&) = delete;

    // Creation. Both read the add-in's key first and create nothing unless its
    // LoadBehavior asks for loading at start-up (3): S_FALSE then.
    // Through COM: CLSIDFromProgID and CoCreateInstance (needs machine-wide registration
    // under Wine).
    HRESULT CreateByProgId(const std::wstring& progId);
    // Through the library itself: the ProgID's CLSID is read from the registry (HKCR, or
    // HKCU\Software\Classes, following CurVer) unless clsid is given; then LoadLibrary and
    // DllGetClassObject. The library stays loaded (see UnloadLibrary).
    HRESULT CreateFromDll(const std::wstring& progId, const std::wstring& dllPath,
                          const CLSID* clsid = nullptr);
    // A test's own add-in object.
    HRESULT Attach(IUnknown* addin);

    // Outlook's steps, in the order Start and Shutdown run them.
    HRESULT Connect(ext_ConnectMode mode = ext_cm_Startup);
    // GetCustomUI for the explorer and the compose ribbon, every callback name resolved
    // through GetIDsOfNames, then each ribbon's onLoad with its own IRibbonUI. Returns the
    // first failure: no definition for a ribbon is none; a malformed definition
    // (E_FAIL, see LoadError) or a name that does not resolve (DISP_E_UNKNOWNNAME) is.
    HRESULT LoadRibbons();
    HRESULT StartupComplete();
    HRESULT BeginShutdown();
    HRESULT FireQuit() { return outlook_.App().FireQuit(); }
    HRESULT Disconnect(ext_DisconnectMode mode = ext_dm_HostShutdown);
    void ReleaseAddin();

    HRESULT Start();     // Connect, LoadRibbons, StartupComplete: the first failure
    HRESULT Shutdown();  // BeginShutdown, FireQuit, Disconnect, ReleaseAddin: the first failure

    // DllCanUnloadNow of a library loaded by CreateFromDll, and FreeLibrary when it
    // answers S_OK. Returns its answer (S_FALSE keeps it loaded).
    HRESULT UnloadLibrary();

    // The ribbon.
    HRESULT GetCustomUI(const std::wstring& ribbonId, std::wstring* xml, bool* gotDefinition);
    const RibbonDefinition* Ribbon(const std::wstring& ribbonId) const;
    RibbonUi* RibbonUiOf(const std::wstring& ribbonId) const;
    int InvalidateCount() const;  // over every loaded ribbon
    const std::vector<std::wstring>& UnresolvedCallbacks() const { return unresolved_; }
    const std::wstring& LoadError() const { return loadError_; }

    // Calls the callback that control's attribute names ("onAction", "getLabel", ...) as
    // the ribbon does: Invoke(DISPATCH_METHOD) with an IRibbonControl carrying the
    // control's id and tag, then extra arguments; the control is looked up in the compose
    // ribbon, then the explorer ribbon. E_INVALIDARG when there is no such callback.
    HRESULT InvokeCallback(const std::wstring& controlId, const std::wstring& attribute,
                           const std::vector<Variant>& extra, Variant* result = nullptr);
    HRESULT Click(const std::wstring& controlId) { return InvokeCallback(controlId, L"onAction", {}); }
    // A toggle's onAction: the new pressed state as a VARIANT_BOOL by reference, as the
    // documented callback signature (VARIANT_BOOL*) takes it.
    HRESULT ClickToggle(const std::wstring& controlId, bool pressed);
    HRESULT GetLabel(const std::wstring& controlId, std::wstring* label);
    HRESULT GetPressed(const std::wstring& controlId, bool* pressed);
    HRESULT GetImage(const std::wstring& controlId, Variant* picture);
    // The compose window whose ribbon calls from now on: its controls carry it as their
    // Context. NULL (the start): the active inspector's ribbon calls.
    void CallFromWindow(ComPtr<IDispatch> window) { callingWindow_ = std::move(window); }
    // The description of the exception of the last callback that answered DISP_E_EXCEPTION.
    const std::wstring& LastCallbackException() const { return lastException_; }

    _IDTExtensibility2* Extensibility() const { return extensibility_.Get(); }
    IDispatch* CallbackDispatch() const { return callbacks_.Get(); }

private:
    struct LoadedRibbon {
        RibbonDefinition definition;
        ComPtr<RibbonUi> ui;
    };

    HRESULT ReadyToLoad(const std::wstring& progId);
    HRESULT ResolveCallback(const std::wstring& name, DISPID* id);
    // args in call order; the caller keeps what they refer to alive.
    HRESULT InvokeByName(const std::wstring& name, const std::vector<VARIANT>& args, Variant* result);
    HRESULT InvokeControlCallback(const std::wstring& controlId, const std::wstring& attribute,
                                  const std::vector<VARIANT>& extra, Variant* result);
    const RibbonElement* FindControl(const std::wstring& controlId, std::wstring* ribbonId) const;

    OutlookDouble& outlook_;
    HMODULE library_ = nullptr;
    ComPtr<_IDTExtensibility2> extensibility_;
    ComPtr<IDispatch> callbacks_;
    std::map<std::wstring, LoadedRibbon> ribbons_;
    std::map<std::wstring, DISPID> callbackIds_;
    std::vector<std::wstring> unresolved_;
    std::wstring lastException_;
    std::wstring loadError_;
    ComPtr<IDispatch> callingWindow_;
};

}  // namespace outlook_double
