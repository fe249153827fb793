#pragma once
// Outlook's Application with its application events, the Inspector (the window in which a
// mail is written) and the Explorer (the main window, where a reply may be written inline in
// the reading pane).
#include <windows.h>

#include <string>
#include <vector>

#include "tests/outlook_double/connection_point.h"
#include "tests/outlook_double/mail_item.h"

namespace outlook_double {

class Inspector : public DispatchObject<IDispatch> {
public:
    Inspector(std::shared_ptr<HostState> host, ComPtr<IDispatch> item);
    IDispatch* CurrentItem() const { return item_.Get(); }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    ComPtr<IDispatch> item_;
};

class Explorer : public DispatchObject<IDispatch> {
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
