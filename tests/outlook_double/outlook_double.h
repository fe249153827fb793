#pragma once
// The Outlook test double: one Application with its objects, the record of the calls
// made into them, and the failures a test injects. Tests build mail items and inspectors
// here, hand Application() to the add-in (usually through AddinHost) and raise events.
#include <memory>

#include "tests/outlook_double/application.h"
#include "tests/outlook_double/attachments.h"
#include "tests/outlook_double/host_state.h"
#include "tests/outlook_double/mail_item.h"
#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {

class OutlookDouble {
public:
    OutlookDouble();

    Application& App() { return *application_.Get(); }
    IDispatch* ApplicationDispatch() { return application_->AsDispatch(); }
    HostState& Host() { return *host_; }

    ComPtr<MailItem> NewMailItem();
    // Opens an inspector on the item and makes it the active one.
    ComPtr<Inspector> OpenInspector(MailItem* item);
    void CloseInspector() { application_->SetActiveInspector(nullptr); }
    // What Outlook does when the user starts a new mail: a new item, ItemLoad for it on the
    // application's sinks, then its inspector opened and made the active one.
    ComPtr<MailItem> ComposeNewMail();
    // What Outlook does when the user replies in the reading pane: a new item, ItemLoad for
    // it, then the main window's ActiveInlineResponse; no inspector opens.
    ComPtr<MailItem> ReplyInline();

    // Makes a member fail (see Failure). object NULL: every object of that class.
    void Fail(DoubleObject* object, DISPID dispid, const Failure& failure,
              FailWhen when = FailWhen::Once, WORD kinds = 0);
    void Fail(const std::wstring& className, DISPID dispid, const Failure& failure,
              FailWhen when = FailWhen::Once, WORD kinds = 0);

    const std::vector<CallRecord>& Calls() const { return host_->Calls(); }
    std::vector<CallRecord> CallsTo(const std::wstring& className, DISPID dispid) const {
        return host_->CallsTo(className, dispid);
    }
    const std::vector<EventRecord>& Events() const { return host_->Events(); }

private:
    std::shared_ptr<HostState> host_;
    ComPtr<Application> application_;
};

}  // namespace outlook_double
