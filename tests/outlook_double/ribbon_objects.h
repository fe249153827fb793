#pragma once
// What the Office ribbon hands an add-in: the control a callback is about, and the
// IRibbonUI of a loaded ribbon, which counts the add-in's invalidations.
#include <windows.h>

#include <string>
#include <vector>

#include "mail_addin/office/office_interfaces.h"
#include "tests/outlook_double/dispatch_object.h"

namespace outlook_double {

class RibbonControl : public DispatchObject<IRibbonControl> {
public:
    RibbonControl(std::shared_ptr<HostState> host, std::wstring id, std::wstring tag,
                  ComPtr<IDispatch> context);

    STDMETHODIMP get_Id(BSTR* id) override;
    STDMETHODIMP get_Context(IDispatch** context) override;
    STDMETHODIMP get_Tag(BSTR* tag) override;

    const std::wstring& Id() const { return id_; }
    const std::wstring& Tag() const { return tag_; }

protected:
    void* FindInterface(REFIID riid) override;
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    std::wstring id_;
    std::wstring tag_;
    ComPtr<IDispatch> context_;
};

class RibbonUi : public DispatchObject<IRibbonUI> {
public:
    RibbonUi(std::shared_ptr<HostState> host, std::wstring ribbonId);

    STDMETHODIMP Invalidate() override;
    STDMETHODIMP InvalidateControl(BSTR controlId) override;
    STDMETHODIMP InvalidateControlMso(BSTR controlId) override;
    STDMETHODIMP ActivateTab(BSTR controlId) override;
    STDMETHODIMP ActivateTabMso(BSTR controlId) override;
    STDMETHODIMP ActivateTabQ(BSTR controlId, BSTR ns) override;

    const std::wstring& RibbonId() const { return ribbonId_; }
    int InvalidateCount() const { return invalidateCount_; }
    const std::vector<std::wstring>& InvalidatedControls() const { return invalidatedControls_; }

protected:
    void* FindInterface(REFIID riid) override;
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    HRESULT CallWithText(DISPID id, BSTR text);

    std::wstring ribbonId_;
    int invalidateCount_ = 0;
    std::vector<std::wstring> invalidatedControls_;
};

}  // namespace outlook_double
