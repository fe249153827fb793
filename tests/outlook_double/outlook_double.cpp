#include "tests/outlook_double/outlook_double.h"

namespace outlook_double {

OutlookDouble::OutlookDouble()
    : host_(std::make_shared<HostState>()), application_(Make<Application>(host_)) {}

ComPtr<MailItem> OutlookDouble::NewMailItem() {
    auto item = Make<MailItem>(host_);
    item->SetApplication(application_->AsDispatch());
    return item;
}

ComPtr<Inspector> OutlookDouble::OpenInspector(MailItem* item) {
    auto inspector = Make<Inspector>(host_, ComPtr<IDispatch>(item ? item->AsDispatch() : nullptr));
    application_->SetActiveInspector(inspector);
    return inspector;
}

ComPtr<MailItem> OutlookDouble::ComposeNewMail() {
    auto item = NewMailItem();
    application_->FireItemLoad(item->AsDispatch());
    OpenInspector(item.Get());
    return item;
}

ComPtr<MailItem> OutlookDouble::ReplyInline() {
    auto item = NewMailItem();
    application_->FireItemLoad(item->AsDispatch());
    application_->MainExplorer().SetInlineResponse(ComPtr<IDispatch>(item->AsDispatch()));
    return item;
}

void OutlookDouble::Fail(DoubleObject* object, DISPID dispid, const Failure& failure,
                         FailWhen when, WORD kinds) {
    MemberSelector member;
    member.object = object;
    member.className = object ? object->ClassName() : std::wstring();
    member.dispid = dispid;
    member.kinds = kinds;
    host_->InjectFailure(member, failure, when);
}

void OutlookDouble::Fail(const std::wstring& className, DISPID dispid, const Failure& failure,
                         FailWhen when, WORD kinds) {
    MemberSelector member;
    member.className = className;
    member.dispid = dispid;
    member.kinds = kinds;
    host_->InjectFailure(member, failure, when);
}

}  // namespace outlook_double
