#include "tests/outlook_double/mail_item.h"

#include <utility>

#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {
namespace {

constexpr LONG kFormatHtml = 2;

// The text of an HTML body as Outlook gives it in Body: the tags left out.
std::wstring TextOfHtml(const std::wstring& html) {
    std::wstring text;
    bool inTag = false;
    for (wchar_t c : html) {
        if (c == L'<') inTag = true;
        else if (c == L'>') inTag = false;
        else if (!inTag) text += c;
    }
    return text;
}

VARTYPE StorageType(LONG outlookType) {
    switch (outlookType) {
    case 1: return VT_BSTR;   // olText
    case 3: return VT_R8;     // olNumber
    case 5: return VT_DATE;   // olDateTime
    case 6: return VT_BOOL;   // olYesNo
    case 20: return VT_I4;    // olInteger
    default: return VT_EMPTY;  // kept as given
    }
}

}  // namespace

ItemProperty::ItemProperty(std::shared_ptr<HostState> host, std::wstring name, LONG type,
                           Variant value)
    : DispatchObject(std::move(host), L"ItemProperty",
                     {{dispid::Class, L"Class", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::Name, L"Name", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::Type, L"Type", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::Value, L"Value", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0, 0},
                      {dispid::IsUserProperty, L"IsUserProperty", DISPATCH_PROPERTYGET, 0, 0}}),
      name_(std::move(name)),
      type_(type) {
    SetValue(value);
}

void ItemProperty::SetValue(const Variant& value) {
    const VARTYPE storage = StorageType(type_);
    if (storage == VT_EMPTY || value.IsEmpty()) {
        value_ = value;
        return;
    }
    Variant converted;
    if (FAILED(VariantChangeType(converted.Receive(), const_cast<VARIANT*>(&value.Get()), 0, storage))) {
        throw CallError{DISP_E_TYPEMISMATCH, 0};
    }
    value_ = std::move(converted);
}

void ItemProperty::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::Class:
        result = Variant::Int(object_class::ItemProperty);
        break;
    case dispid::Name:
        result = Variant::Text(name_);
        break;
    case dispid::Type:
        result = Variant::Int(type_);
        break;
    case dispid::Value:
        if (kind == DISPATCH_PROPERTYPUT) {
            SetValue(args.Value(0));
        } else {
            result = value_;
        }
        break;
    case dispid::IsUserProperty:
        result = Variant::Bool(true);  // every property of the double is a user property
        break;
    }
}

ItemProperties::ItemProperties(std::shared_ptr<HostState> host)
    : DispatchObject(std::move(host), L"ItemProperties",
                     {{dispid::Count, L"Count", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::ItemPropertiesItem, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, 1, 1},
                      {dispid::ItemPropertiesAdd, L"Add", DISPATCH_METHOD, 2, 4}}) {}

ComPtr<ItemProperty> ItemProperties::Find(const std::wstring& name) const {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if ((*it)->Name() == name) return *it;
    }
    return nullptr;
}

ComPtr<ItemProperty> ItemProperties::AddQuietly(const std::wstring& name, LONG type,
                                                const Variant& value) {
    auto property = Make<ItemProperty>(SharedHost(), name, type, value);
    items_.push_back(property);
    return property;
}

void ItemProperties::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::Count:
        result = Variant::Int(static_cast<LONG>(items_.size()));
        break;
    case dispid::ItemPropertiesItem: {
        if (args.Value(0).Type() == VT_BSTR) {
            const std::wstring name = args.Text(0);
            for (const auto& property : items_) {
                if (lstrcmpiW(property->Name().c_str(), name.c_str()) == 0) {
                    result = Variant::Object(property.Get());
                    return;
                }
            }
            throw OutlookError{L"The property \"" + name + L"\" cannot be found."};
        }
        const LONG index = args.Int(0);
        if (index < 0 || static_cast<size_t>(index) >= items_.size()) {
            throw OutlookError{L"Array index out of bounds.", DISP_E_BADINDEX};
        }
        result = Variant::Object(items_[index].Get());
        break;
    }
    case dispid::ItemPropertiesAdd: {
        const std::wstring name = args.Text(0);
        const LONG type = args.Int(1);
        result = Variant::Object(AddQuietly(name, type, Variant()).Get());
        break;
    }
    }
}

MailItem::MailItem(std::shared_ptr<HostState> host)
    : EventSource(host, L"MailItem",
                  {{dispid::Application, L"Application", DISPATCH_PROPERTYGET, 0, 0},
                   {dispid::Class, L"Class", DISPATCH_PROPERTYGET, 0, 0},
                   {dispid::Attachments, L"Attachments", DISPATCH_PROPERTYGET, 0, 0},
                   {dispid::Body, L"Body", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0, 0},
                   {dispid::BodyFormat, L"BodyFormat", DISPATCH_PROPERTYGET, 0, 0},
                   {dispid::HtmlBody, L"HTMLBody", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0, 0},
                   {dispid::ItemProperties, L"ItemProperties", DISPATCH_PROPERTYGET, 0, 0}},
                  kItemEvents),
      attachments_(Make<Attachments>(host, this)),
      properties_(Make<ItemProperties>(host)) {}

MailItem::~MailItem() { attachments_->DetachItem(); }

void MailItem::SetHtmlMail(const std::wstring& html) {
    bodyFormat_ = kFormatHtml;
    htmlBody_ = html;
    body_ = TextOfHtml(html);
}

HRESULT MailItem::FireClose(bool* cancelled) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    const HRESULT hr = Fire(dispid::Close, {CancelArgument(&cancel)});
    if (cancelled) *cancelled = cancel != VARIANT_FALSE;
    return hr;
}

bool MailItem::FireBeforeAttachmentAdd(Attachment* attachment) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(dispid::BeforeAttachmentAdd, {ObjectArgument(attachment->AsDispatch()), CancelArgument(&cancel)});
    return cancel != VARIANT_FALSE;
}

HRESULT MailItem::FireAttachmentRemove(Attachment* attachment) {
    return Fire(dispid::AttachmentRemove, {ObjectArgument(attachment->AsDispatch())});
}

HRESULT MailItem::FireUnload() { return Fire(dispid::Unload, {}); }

void MailItem::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::Application:
        result = Variant::Object(application_);
        break;
    case dispid::Class:
        result = Variant::Int(class_);
        break;
    case dispid::Attachments:
        result = Variant::Object(attachments_.Get());
        break;
    case dispid::Body:
        if (kind == DISPATCH_PROPERTYPUT) {
            body_ = args.Text(0);
            // The formatting and the pictures of the HTML are lost.
            if (bodyFormat_ == kFormatHtml) htmlBody_ = L"<html><body>" + body_ + L"</body></html>";
        } else {
            result = Variant::Text(body_);
        }
        break;
    case dispid::BodyFormat:
        result = Variant::Int(bodyFormat_);
        break;
    case dispid::HtmlBody:
        if (kind == DISPATCH_PROPERTYPUT) {
            SetHtmlMail(args.Text(0));
        } else {
            result = Variant::Text(htmlBody_);
        }
        break;
    case dispid::ItemProperties:
        result = Variant::Object(properties_.Get());
        break;
    }
}

}  // namespace outlook_double
