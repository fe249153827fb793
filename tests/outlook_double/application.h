#pragma once
// Outlook's Application with its application events, the Inspector (the window in which a
// mail is written) and the Explorer (the main window, where a reply may be written inline in
// the reading pane).
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "tests/outlook_double/connection_point.h"
#include "tests/outlook_double/mail_item.h"

namespace outlook_double {

// An Outlook window object: it answers IOleWindow with the window a test gives it, or with
// E_FAIL (windowless) while it has none.
class WindowObject : public DispatchObject<IDispatch>, public IOleWindow {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override { return DispatchObject::QueryInterface(riid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return DispatchObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DispatchObject::Release(); }
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    void SetWindow(HWND window) { window_ = window; }

protected:
    using DispatchObject::DispatchObject;
    void* FindInterface(REFIID riid) override;

private:
    HWND window_ = nullptr;
};

class Inspector : public WindowObject {
public:
    Inspector(std::shared_ptr<HostState> host, ComPtr<IDispatch> item);
    IDispatch* CurrentItem() const { return item_.Get(); }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    ComPtr<IDispatch> item_;
};

class Explorer : public WindowObject {
public:
    explicit Explorer(std::shared_ptr<HostState> host);
    // The reply written inline in the reading pane, or NULL (ActiveInlineResponse Nothing).
    void SetInlineResponse(ComPtr<IDispatch> item) { inlineResponse_ = std::move(item); }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    ComPtr<IDispatch> inlineResponse_;
};

class Application : public EventSource {
public:
    explicit Application(std::shared_ptr<HostState> host);

    const std::wstring& Version() const { return version_; }
    void SetVersion(const std::wstring& version) { version_ = version; }
    // The inspector that ActiveInspector answers; NULL answers Nothing.
    void SetActiveInspector(ComPtr<Inspector> inspector) { activeInspector_ = std::move(inspector); }
    ComPtr<Inspector> ActiveInspector() const { return activeInspector_; }
    // The main window, which ActiveExplorer answers.
    Explorer& MainExplorer() { return *explorer_.Get(); }

    // The application events. Each returns what the sinks answered.
    HRESULT FireItemLoad(IDispatch* item);
    // cancelledBefore: Cancel comes set, as when another add-in or Outlook's own check
    // stopped the send.
    HRESULT FireItemSend(IDispatch* item, bool* cancelled = nullptr, bool cancelledBefore = false);
    HRESULT FireQuit();
    // Any event with any arguments (call order), e.g. a wrong argument count.
    HRESULT FireEvent(DISPID id, const std::vector<VARIANT>& args) { return Fire(id, args); }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    std::wstring version_ = L"16.0.0.4266";
    ComPtr<Inspector> activeInspector_;
    ComPtr<Explorer> explorer_;
};

}  // namespace outlook_double
