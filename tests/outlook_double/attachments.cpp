#include "tests/outlook_double/attachments.h"

#include <utility>

#include "tests/outlook_double/file_bytes.h"
#include "tests/outlook_double/mail_item.h"
#include "tests/outlook_double/outlook_dispids.h"

namespace outlook_double {
namespace {

const std::wstring kSchemaPrefix = L"http://schemas.microsoft.com/mapi/";
constexpr LONG kFormatRichText = 3;  // OlBodyFormat
constexpr LONG kByValue = 1;         // OlAttachmentType

void RequireSchemaName(const std::wstring& name) {
    if (name.size() <= kSchemaPrefix.size() ||
        CompareStringOrdinal(name.c_str(), static_cast<int>(kSchemaPrefix.size()),
                             kSchemaPrefix.c_str(), static_cast<int>(kSchemaPrefix.size()),
                             TRUE) != CSTR_EQUAL) {
        throw OutlookError{L"The property \"" + name + L"\" cannot be parsed or is invalid."};
    }
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

Attachment::Attachment(std::shared_ptr<HostState> host, MailItem* item, std::wstring displayName,
                       std::vector<BYTE> bytes)
    : DispatchObject(std::move(host), L"Attachment",
                     {{dispid::SaveAsFile, L"SaveAsFile", DISPATCH_METHOD, 1, 1},
                      {dispid::Delete, L"Delete", DISPATCH_METHOD, 0, 0},
                      {dispid::Parent, L"Parent", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::DisplayName, L"DisplayName", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::Size, L"Size", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::AttachmentType, L"Type", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::PropertyAccessor, L"PropertyAccessor", DISPATCH_PROPERTYGET, 0, 0}}),
      item_(item),
      displayName_(std::move(displayName)),
      bytes_(std::move(bytes)) {}

const Variant* Attachment::Property(const std::wstring& schemaName) const {
    const auto found = properties_.find(schemaName);
    return found == properties_.end() ? nullptr : &found->second;
}

void Attachment::SetProperty(const std::wstring& schemaName, const Variant& value) {
    properties_[schemaName] = value;
}

void Attachment::MarkAsBodyPicture(const std::wstring& contentId, bool hidden) {
    if (!contentId.empty()) SetProperty(kSchemaPrefix + L"proptag/0x3712001F", Variant::Text(contentId));
    SetProperty(kSchemaPrefix + L"proptag/0x7FFE000B", Variant::Bool(hidden));
}

void Attachment::Remove() {
    if (deleted_) throw OutlookError{L"The attachment has already been deleted."};
    deleted_ = true;
    if (!item_) return;
    ComPtr<Attachment> self(this);
    ComPtr<MailItem> item(item_);
    item->AttachmentList().Forget(this);
    item->FireAttachmentRemove(this);
}

void Attachment::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::SaveAsFile: {
        const std::wstring path = args.Text(0);
        if (!WriteFileBytes(path, bytes_)) {
            throw OutlookError{L"Cannot save the attachment. Cannot create file: " + path};
        }
        break;
    }
    case dispid::Delete:
        Remove();
        break;
    case dispid::Parent:
        if (!item_) throw OutlookError{L"The item has been moved or deleted."};
        result = Variant::Object(item_->AsDispatch());
        break;
    case dispid::DisplayName:
        result = Variant::Text(displayName_);
        break;
    case dispid::Size:
        result = Variant::Int(static_cast<LONG>(bytes_.size()));
        break;
    case dispid::AttachmentType:
        result = Variant::Int(type_);
        break;
    case dispid::PropertyAccessor: {
        auto accessor = Make<PropertyAccessor>(SharedHost(), ComPtr<Attachment>(this));
        result = Variant::Object(accessor.Get());
        break;
    }
    }
}

PropertyAccessor::PropertyAccessor(std::shared_ptr<HostState> host, ComPtr<Attachment> owner)
    : DispatchObject(std::move(host), L"PropertyAccessor",
                     {{dispid::GetProperty, L"GetProperty", DISPATCH_METHOD, 1, 1},
                      {dispid::SetProperty, L"SetProperty", DISPATCH_METHOD, 2, 2}}),
      owner_(std::move(owner)) {}

void PropertyAccessor::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    const std::wstring name = args.Text(0);
    RequireSchemaName(name);
    if (id == dispid::GetProperty) {
        const Variant* value = owner_->Property(name);
        if (!value) throw OutlookError{L"The property \"" + name + L"\" is unknown or cannot be found."};
        result = *value;
    } else {
        owner_->SetProperty(name, args.Value(1));
    }
}

Attachments::Attachments(std::shared_ptr<HostState> host, MailItem* item)
    : DispatchObject(std::move(host), L"Attachments",
                     {{dispid::Count, L"Count", DISPATCH_PROPERTYGET, 0, 0},
                      {dispid::AttachmentsItem, L"Item", DISPATCH_METHOD, 1, 1},
                      {dispid::AttachmentsAdd, L"Add", DISPATCH_METHOD, 1, 4}}),
      item_(item) {}

ComPtr<Attachment> Attachments::AttachQuietly(const std::wstring& displayName,
                                              std::vector<BYTE> bytes) {
    auto attachment = Make<Attachment>(SharedHost(), item_, displayName, std::move(bytes));
    items_.push_back(attachment);
    return attachment;
}

ComPtr<Attachment> Attachments::Add(const std::wstring& sourcePath, const std::wstring& displayName,
                                    LONG type) {
    if (!item_) throw OutlookError{L"The item has been moved or deleted."};
    std::vector<BYTE> bytes;
    if (!ReadFileBytes(sourcePath, &bytes)) {
        throw OutlookError{L"Cannot find this file. Verify the path and file name are correct: " +
                           sourcePath};
    }
    const bool namedByDisplayName = item_->BodyFormat() == kFormatRichText && type == kByValue &&
                                    !displayName.empty();
    auto attachment = Make<Attachment>(SharedHost(), item_,
                                       namedByDisplayName ? displayName : FileNamePart(sourcePath),
                                       std::move(bytes));
    attachment->SetType(type);
    ComPtr<Attachments> self(this);
    ComPtr<MailItem> item(item_);
    // The sinks see the attachment before it joins the collection; one that deletes it
    // meanwhile (the add-in replacing it) keeps it out.
    if (item->FireBeforeAttachmentAdd(attachment.Get())) {
        attachment->MarkDeleted();
        throw OutlookError{L"The attachment was not added: the operation was cancelled."};
    }
    if (!attachment->IsDeleted() && item_) items_.push_back(attachment);
    return attachment;
}

HRESULT Attachments::AddAsUser(const std::wstring& sourcePath, const std::wstring& displayName,
                               ComPtr<Attachment>* added) {
    try {
        auto attachment = Add(sourcePath, displayName);
        if (added) *added = attachment;
        return S_OK;
    } catch (const OutlookError&) {
        return DISP_E_EXCEPTION;
    }
}

void Attachments::Forget(Attachment* attachment) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->Get() == attachment) {
            ComPtr<Attachment> keep = *it;
            items_.erase(it);
            return;
        }
    }
}

void Attachments::DetachItem() {
    item_ = nullptr;
    for (auto& attachment : items_) attachment->DetachItem();
}

void Attachments::CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) {
    switch (id) {
    case dispid::Count:
        result = Variant::Int(static_cast<LONG>(items_.size()));
        break;
    case dispid::AttachmentsItem: {
        const LONG index = args.Int(0);
        if (index < 1 || static_cast<size_t>(index) > items_.size()) {
            throw OutlookError{L"Array index out of bounds.", DISP_E_BADINDEX};
        }
        result = Variant::Object(items_[index - 1].Get());
        break;
    }
    case dispid::AttachmentsAdd: {
        const std::wstring source = args.Text(0);
        const LONG type = args.Has(1) ? args.Int(1) : kByValue;
        if (args.Has(2)) args.Int(2);  // Position: where in the body; no bearing here
        const std::wstring name = args.Has(3) ? args.Text(3) : std::wstring();
        result = Variant::Object(Add(source, name, type).Get());
        break;
    }
    }
}

}  // namespace outlook_double
