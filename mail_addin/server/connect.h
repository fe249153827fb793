#pragma once
// The add-in object that Outlook creates: Outlook's add-in events (_IDTExtensibility2),
// the ribbon definitions (IRibbonExtensibility) and the ribbon's callbacks
// (IRibbonCallback), each view with IDispatch over its own type information.
#include <windows.h>

#include "PlenzarMail.h"
#include "classlib/com_object.h"
#include "classlib/dispatch_impl.h"
#include "mail_addin/office/office_interfaces.h"

// The Office type libraries that describe the two host interfaces.
extern const GUID LIBID_OfficeAddInDesigner;  // _IDTExtensibility2, version 1.0
extern const GUID LIBID_OfficeCore;           // IRibbonExtensibility, version 2.5

class CConnect : public CComObjectRootEx,
                 public IDispatchImpl<IConnect, &IID_IConnect, &LIBID_PlenzarMail_nativeLib, 1, 0>,
                 public IDispatchImpl<_IDTExtensibility2, &IID__IDTExtensibility2, &LIBID_OfficeAddInDesigner, 1, 0>,
                 public IDispatchImpl<IRibbonExtensibility, &IID_IRibbonExtensibility, &LIBID_OfficeCore, 2, 5>,
                 public IDispatchImpl<IRibbonCallback, &IID_IRibbonCallback, &LIBID_PlenzarMail_nativeLib, 1, 0> {
public:
    using ExtensibilityDispatch =
        IDispatchImpl<_IDTExtensibility2, &IID__IDTExtensibility2, &LIBID_OfficeAddInDesigner, 1, 0>;
    using CallbackDispatch = IDispatchImpl<IRibbonCallback, &IID_IRibbonCallback, &LIBID_PlenzarMail_nativeLib, 1, 0>;

    CConnect() = default;
    // Releases the ribbon's IRibbonUI, then Outlook's Application.
    ~CConnect();
    CConnect(const CConnect&) = delete;
    CConnect& operator=(const CConnect&) = delete;

    // The object map's registry update: the class script.
    static HRESULT UpdateRegistry(BOOL doRegister);
    // The interface map: plain IDispatch and IUnknown are the IRibbonCallback view.
    void* FindInterface(REFIID iid);

    // The same routing on every view: DISPIDs 1 to 6 are the ribbon callbacks, anything
    // else (or a callback DISPID that the callbacks do not answer) goes to _IDTExtensibility2.
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argError) override;

    // _IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode connectMode, IDispatch* addInInst,
                              SAFEARRAY** custom) override;
    STDMETHODIMP OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY** custom) override;
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY** custom) override;
    STDMETHODIMP OnStartupComplete(SAFEARRAY** custom) override;
    STDMETHODIMP OnBeginShutdown(SAFEARRAY** custom) override;

    // IRibbonExtensibility
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

    // IRibbonCallback
    STDMETHODIMP ButtonClicked(IDispatch* control) override;
    STDMETHODIMP GetPressed(IDispatch* control, VARIANT_BOOL* pressed) override;
    STDMETHODIMP GetImage(IDispatch* control, IPictureDisp** image) override;
    STDMETHODIMP ToggleButtonClicked(IDispatch* control, VARIANT_BOOL* pressed) override;
    STDMETHODIMP OnLoadRibbon(IDispatch* ribbon) override;
    STDMETHODIMP GetLabel(IDispatch* control, BSTR* label) override;

private:
    void KeepApplication(IDispatch* application);

    IDispatch* m_application = nullptr;  // Outlook's Application, from OnConnection
    IRibbonUI* m_ribbonUi = nullptr;     // from the ribbon's onLoad
};
