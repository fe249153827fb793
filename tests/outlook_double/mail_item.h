#pragma once
// The mail item being written: its body, its attachments, its item properties (where the
// user properties live) and its connection point for the item events.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/outlook_double/attachments.h"
#include "tests/outlook_double/connection_point.h"

namespace outlook_double {

class ItemProperty : public DispatchObject<IDispatch> {
public:
    ItemProperty(std::shared_ptr<HostState> host, std::wstring name, LONG type, Variant value);

    const std::wstring& Name() const { return name_; }
    LONG Type() const { return type_; }
    const Variant& Value() const { return value_; }
    // Stores a value the way a Value put does: coerced to the property's type
    // (olText 1, olNumber 3, olDateTime 5, olYesNo 6, olInteger 20); raises CallError.
    void SetValue(const Variant& value);

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    std::wstring name_;
    LONG type_;
    Variant value_;
};

class ItemProperties : public DispatchObject<IDispatch> {
public:
    explicit ItemProperties(std::shared_ptr<HostState> host);

    size_t Count() const { return items_.size(); }
    ComPtr<ItemProperty> At(size_t index) const { return items_.at(index); }  // from 0
    // The property of that name with the highest index, or NULL.
    ComPtr<ItemProperty> Find(const std::wstring& name) const;
    // Appends a property as if the item had it already: not recorded.
    ComPtr<ItemProperty> AddQuietly(const std::wstring& name, LONG type, const Variant& value);

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    std::vector<ComPtr<ItemProperty>> items_;
};

class MailItem : public EventSource {
public:
    explicit MailItem(std::shared_ptr<HostState> host);
    ~MailItem() override;

    const std::wstring& Body() const { return body_; }
    void SetBody(const std::wstring& body) { body_ = body; }
    // OlBodyFormat (read-only to the add-in): 1 plain text, 2 HTML, 3 rich text. As in Outlook,
    // a Body put on an HTML mail rebuilds the HTML from plain text; an HTMLBody put sets Body too.
    void SetHtmlMail(const std::wstring& html);
    void SetBodyFormat(LONG format) { bodyFormat_ = format; }
    LONG BodyFormat() const { return bodyFormat_; }
    // OlObjectClass: 43 (olMail) unless a test makes it an appointment (26), a post (45)...
    void SetClass(LONG outlookClass) { class_ = outlookClass; }
    // What the Application property answers; not owned, the double's Application outlives it.
    void SetApplication(IDispatch* application) { application_ = application; }
    const std::wstring& HtmlBody() const { return htmlBody_; }
    Attachments& AttachmentList() { return *attachments_.Get(); }
    ItemProperties& Properties() { return *properties_.Get(); }

    // The item events. Each returns what the sinks answered; Cancel flags start false.
    HRESULT FireClose(bool* cancelled = nullptr);
    // Returns true when a sink set Cancel.
    bool FireBeforeAttachmentAdd(Attachment* attachment);
    HRESULT FireAttachmentRemove(Attachment* attachment);
    // Outlook lets the item go: after a Close that closed it, or one only shown or read.
    HRESULT FireUnload();
    // Any event with any arguments (call order), e.g. a wrong argument count.
    HRESULT FireEvent(DISPID id, const std::vector<VARIANT>& args) { return Fire(id, args); }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    IDispatch* application_ = nullptr;
    LONG class_ = 43;  // olMail
    std::wstring body_;
    LONG bodyFormat_ = 1;
    std::wstring htmlBody_;
    ComPtr<Attachments> attachments_;
    ComPtr<ItemProperties> properties_;
};

}  // namespace outlook_double
