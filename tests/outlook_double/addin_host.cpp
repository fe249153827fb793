#include "tests/outlook_double/addin_host.h"

#include <utility>

#include "tests/outlook_double/connection_point.h"
#include "tests/outlook_double/registry_key.h"

namespace outlook_double {

const wchar_t kExplorerRibbonId[] = L"Microsoft.Outlook.Explorer";
const wchar_t kComposeRibbonId[] = L"Microsoft.Outlook.Mail.Compose";

namespace {

const wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\";
constexpr DWORD kLoadAtStartup = 3;

// The COMAddIn object that Outlook hands OnConnection; nothing of it is served.
class ComAddIn : public DispatchObject<IDispatch> {
public:
    explicit ComAddIn(std::shared_ptr<HostState> host)
        : DispatchObject(std::move(host), L"COMAddIn", {}) {}

protected:
    void CallMember(DISPID, WORD, const Arguments&, Variant&) override {}
};

// The empty custom array of the _IDTExtensibility2 calls.
class EmptyCustomArray {
public:
    EmptyCustomArray() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
    ~EmptyCustomArray() {
        if (array_) SafeArrayDestroy(array_);
    }
    EmptyCustomArray(const EmptyCustomArray&) = delete;
    EmptyCustomArray& operator=(const EmptyCustomArray&) = delete;
    SAFEARRAY** Get() { return &array_; }

private:
    SAFEARRAY* array_;
};

bool ClsidOfProgId(HKEY root, const std::wstring& classes, const std::wstring& progId, CLSID* clsid,
                   int depth = 0) {
    std::wstring text;
    if (RegistryKey(root, classes + progId + L"\\CLSID").ReadText(nullptr, &text)) {
        return SUCCEEDED(CLSIDFromString(text.c_str(), clsid));
    }
    if (depth == 0 && RegistryKey(root, classes + progId + L"\\CurVer").ReadText(nullptr, &text)) {
        return ClsidOfProgId(root, classes, text, clsid, depth + 1);
    }
    return false;
}

}  // namespace

HRESULT ReadAddinKey(const std::wstring& progId, AddinKey* key) {
    RegistryKey addin(HKEY_CURRENT_USER, kAddinsKey + progId);
    if (!addin.IsOpen()) return HRESULT_FROM_WIN32(addin.OpenResult());
    addin.ReadText(L"Description", &key->description);
    addin.ReadText(L"FriendlyName", &key->friendlyName);
    addin.ReadDword(L"LoadBehavior", &key->loadBehavior);
    return S_OK;
}

AddinHost::AddinHost(OutlookDouble& outlook) : outlook_(outlook) {}

AddinHost::~AddinHost() { ReleaseAddin(); }

HRESULT AddinHost::ReadyToLoad(const std::wstring& progId) {
    AddinKey key;
    const HRESULT hr = ReadAddinKey(progId, &key);
    if (FAILED(hr)) return hr;
    return key.loadBehavior == kLoadAtStartup ? S_OK : S_FALSE;
}

HRESULT AddinHost::CreateByProgId(const std::wstring& progId) {
    HRESULT hr = ReadyToLoad(progId);
    if (hr != S_OK) return hr;
    CLSID clsid;
    hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> addin;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(addin.GetAddressOf()));
    return FAILED(hr) ? hr : Attach(addin.Get());
}

HRESULT AddinHost::CreateFromDll(const std::wstring& progId, const std::wstring& dllPath,
                                 const CLSID* clsid) {
    HRESULT hr = ReadyToLoad(progId);
    if (hr != S_OK) return hr;
    CLSID found{};
    if (clsid) {
        found = *clsid;
    } else if (!ClsidOfProgId(HKEY_CLASSES_ROOT, L"", progId, &found) &&
               !ClsidOfProgId(HKEY_CURRENT_USER, L"Software\\Classes\\", progId, &found)) {
        return REGDB_E_CLASSNOTREG;
    }
    if (!library_) library_ = LoadLibraryW(dllPath.c_str());
    if (!library_) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
    if (!getClassObject) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<IClassFactory> factory;
    hr = getClassObject(found, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> addin;
    hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(addin.GetAddressOf()));
    return FAILED(hr) ? hr : Attach(addin.Get());
}

HRESULT AddinHost::Attach(IUnknown* addin) {
    if (!addin) return E_POINTER;
    ReleaseAddin();
    HRESULT hr = addin->QueryInterface(IID__IDTExtensibility2,
                                       reinterpret_cast<void**>(extensibility_.GetAddressOf()));
    if (FAILED(hr)) return hr;
    addin->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(callbacks_.GetAddressOf()));
    return S_OK;
}

HRESULT AddinHost::Connect(ext_ConnectMode mode) {
    if (!extensibility_) return E_UNEXPECTED;
    auto addInInst = Make<ComAddIn>(outlook_.App().SharedHost());
    EmptyCustomArray custom;
    return extensibility_->OnConnection(outlook_.ApplicationDispatch(), mode, addInInst.Get(),
                                        custom.Get());
}

HRESULT AddinHost::StartupComplete() {
    if (!extensibility_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    return extensibility_->OnStartupComplete(custom.Get());
}

HRESULT AddinHost::BeginShutdown() {
    if (!extensibility_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    return extensibility_->OnBeginShutdown(custom.Get());
}

HRESULT AddinHost::Disconnect(ext_DisconnectMode mode) {
    if (!extensibility_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    return extensibility_->OnDisconnection(mode, custom.Get());
}

void AddinHost::ReleaseAddin() {
    callbacks_.Reset();
    extensibility_.Reset();
}

HRESULT AddinHost::Start() {
    HRESULT first = Connect();
    const HRESULT ribbons = LoadRibbons();
    if (SUCCEEDED(first)) first = ribbons;
    const HRESULT startup = StartupComplete();
    return SUCCEEDED(first) ? startup : first;
}

HRESULT AddinHost::Shutdown() {
    HRESULT first = S_OK;
    for (HRESULT hr : {BeginShutdown(), FireQuit(), Disconnect()}) {
        if (SUCCEEDED(first) && FAILED(hr)) first = hr;
    }
    ReleaseAddin();
    return first;
}

HRESULT AddinHost::UnloadLibrary() {
    if (!library_) return S_OK;
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
    const HRESULT hr = canUnload ? canUnload() : S_FALSE;
    if (hr == S_OK) {
        FreeLibrary(library_);
        library_ = nullptr;
    }
    return hr;
}

HRESULT AddinHost::GetCustomUI(const std::wstring& ribbonId, std::wstring* xml, bool* gotDefinition) {
    *gotDefinition = false;
    xml->clear();
    ComPtr<IRibbonExtensibility> ribbon;
    if (!extensibility_ ||
        FAILED(extensibility_.As(&ribbon))) {
        return E_NOINTERFACE;
    }
    BSTR id = SysAllocStringLen(ribbonId.data(), static_cast<UINT>(ribbonId.size()));
    BSTR definition = nullptr;
    const HRESULT hr = ribbon->GetCustomUI(id, &definition);
    SysFreeString(id);
    if (definition) {
        *gotDefinition = true;
        *xml = BstrToText(definition);
        SysFreeString(definition);
    }
    return hr;
}

HRESULT AddinHost::LoadRibbons() {
    ribbons_.clear();
    callbackIds_.clear();
    unresolved_.clear();
    loadError_.clear();
    ComPtr<IRibbonExtensibility> ribbon;
    if (!extensibility_ || FAILED(extensibility_.As(&ribbon))) return S_OK;  // no ribbon of its own

    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
        if (SUCCEEDED(first) && FAILED(hr)) first = hr;
    };
    const std::wstring ids[] = {kExplorerRibbonId, kComposeRibbonId};
    for (const std::wstring& ribbonId : ids) {
        LoadedRibbon loaded;
        bool got = false;
        const HRESULT hr = GetCustomUI(ribbonId, &loaded.definition.xml, &got);
        note(hr);
        if (FAILED(hr) || !got || loaded.definition.xml.empty()) continue;
        std::wstring error;
        if (!ParseRibbonXml(loaded.definition.xml, &loaded.definition.elements, &error)) {
            loadError_ = ribbonId + L": " + error;
            note(E_FAIL);
            continue;
        }
        loaded.definition.ribbonId = ribbonId;
        for (const std::wstring& name : loaded.definition.CallbackNames()) {
            DISPID id;
            if (FAILED(ResolveCallback(name, &id))) {
                unresolved_.push_back(name);
                note(DISP_E_UNKNOWNNAME);
            }
        }
        loaded.ui = Make<RibbonUi>(outlook_.App().SharedHost(), ribbonId);
        ribbons_[ribbonId] = std::move(loaded);
    }
    for (const std::wstring& ribbonId : ids) {
        const auto found = ribbons_.find(ribbonId);
        if (found == ribbons_.end()) continue;
        const std::wstring onLoad = found->second.definition.Root()->Attribute(L"onLoad");
        if (!onLoad.empty()) note(InvokeByName(onLoad, {ObjectArgument(found->second.ui.Get())}, nullptr));
    }
    return first;
}

const RibbonDefinition* AddinHost::Ribbon(const std::wstring& ribbonId) const {
    const auto found = ribbons_.find(ribbonId);
    return found == ribbons_.end() ? nullptr : &found->second.definition;
}

RibbonUi* AddinHost::RibbonUiOf(const std::wstring& ribbonId) const {
    const auto found = ribbons_.find(ribbonId);
    return found == ribbons_.end() ? nullptr : found->second.ui.Get();
}

int AddinHost::InvalidateCount() const {
    int count = 0;
    for (const auto& ribbon : ribbons_) count += ribbon.second.ui->InvalidateCount();
    return count;
}

HRESULT AddinHost::ResolveCallback(const std::wstring& name, DISPID* id) {
    const auto cached = callbackIds_.find(name);
    if (cached != callbackIds_.end()) {
        *id = cached->second;
        return S_OK;
    }
    if (!callbacks_) return E_NOINTERFACE;
    std::wstring copy = name;
    LPOLESTR names[] = {&copy[0]};
    const HRESULT hr = callbacks_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    if (SUCCEEDED(hr)) callbackIds_[name] = *id;
    return hr;
}

HRESULT AddinHost::InvokeByName(const std::wstring& name, const std::vector<VARIANT>& args,
                                Variant* result) {
    DISPID id;
    HRESULT hr = ResolveCallback(name, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    Variant ignored;
    EXCEPINFO exception{};
    UINT argError = 0;
    hr = callbacks_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                            (result ? result : &ignored)->Receive(), &exception, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        lastException_ = BstrToText(exception.bstrDescription);
    }
    FreeExceptionTexts(&exception);
    return hr;
}

const RibbonElement* AddinHost::FindControl(const std::wstring& controlId,
                                            std::wstring* ribbonId) const {
    for (const wchar_t* id : {kComposeRibbonId, kExplorerRibbonId}) {
        const RibbonDefinition* ribbon = Ribbon(id);
        const RibbonElement* control = ribbon ? ribbon->FindControl(controlId) : nullptr;
        if (control) {
            *ribbonId = id;
            return control;
        }
    }
    return nullptr;
}

HRESULT AddinHost::InvokeCallback(const std::wstring& controlId, const std::wstring& attribute,
                                  const std::vector<Variant>& extra, Variant* result) {
    std::vector<VARIANT> args;
    for (const Variant& arg : extra) args.push_back(arg.Get());
    return InvokeControlCallback(controlId, attribute, args, result);
}

HRESULT AddinHost::ClickToggle(const std::wstring& controlId, bool pressed) {
    VARIANT_BOOL state = pressed ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT byReference;
    V_VT(&byReference) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&byReference) = &state;
    return InvokeControlCallback(controlId, L"onAction", {byReference}, nullptr);
}

HRESULT AddinHost::InvokeControlCallback(const std::wstring& controlId, const std::wstring& attribute,
                                         const std::vector<VARIANT>& extra, Variant* result) {
    std::wstring ribbonId;
    const RibbonElement* control = FindControl(controlId, &ribbonId);
    const std::wstring name = control ? control->Attribute(attribute) : std::wstring();
    if (name.empty()) return E_INVALIDARG;
    // A control carries the window its ribbon is in as its Context: a compose window's
    // control its Inspector, a main-window control the Explorer.
    ComPtr<IDispatch> context = callingWindow_;
    if (ribbonId != kComposeRibbonId) {
        context = outlook_.App().MainExplorer().AsDispatch();
    } else if (!context && outlook_.App().ActiveInspector()) {
        context = outlook_.App().ActiveInspector()->AsDispatch();
    }
    auto ribbonControl = Make<RibbonControl>(outlook_.App().SharedHost(), controlId,
                                             control->Attribute(L"tag"), context);
    std::vector<VARIANT> args{ObjectArgument(ribbonControl.Get())};
    args.insert(args.end(), extra.begin(), extra.end());
    return InvokeByName(name, args, result);
}

HRESULT AddinHost::GetLabel(const std::wstring& controlId, std::wstring* label) {
    Variant result;
    const HRESULT hr = InvokeCallback(controlId, L"getLabel", {}, &result);
    *label = result.AsText();
    return hr;
}

HRESULT AddinHost::GetPressed(const std::wstring& controlId, bool* pressed) {
    Variant result;
    const HRESULT hr = InvokeCallback(controlId, L"getPressed", {}, &result);
    *pressed = result.Type() == VT_BOOL && V_BOOL(&result.Get()) != VARIANT_FALSE;
    return hr;
}

HRESULT AddinHost::GetImage(const std::wstring& controlId, Variant* picture) {
    return InvokeCallback(controlId, L"getImage", {}, picture);
}

}  // namespace outlook_double
