#pragma once
// A mail item's attachments: the collection, each attachment with its real bytes and its
// named MAPI properties, and the property accessor that reads and writes those.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/outlook_double/dispatch_object.h"

namespace outlook_double {

class MailItem;

class Attachment : public DispatchObject<IDispatch> {
public:
    Attachment(std::shared_ptr<HostState> host, MailItem* item, std::wstring displayName,
               std::vector<BYTE> bytes);

    const std::wstring& DisplayName() const { return displayName_; }
    const std::vector<BYTE>& Bytes() const { return bytes_; }
    MailItem* Item() const { return item_; }
    // OlAttachmentType: 1 olByValue (a file) unless a test makes it 4 olByReference (a link),
    // 5 olEmbeddeditem (an Outlook item) or 6 olOLE. PR_ATTACH_METHOD (proptag 0x37050003) is
    // a property like any other: unset unless a test sets it.
    LONG Type() const { return type_; }
    void SetType(LONG type) { type_ = type; }
    // Deleted, or its addition was cancelled.
    bool IsDeleted() const { return deleted_; }

    // Named MAPI properties by schema name, compared exactly; NULL when not set.
    const Variant* Property(const std::wstring& schemaName) const;
    void SetProperty(const std::wstring& schemaName, const Variant& value);
    // Marks it as Outlook marks a picture of the body (pasted, or a signature's):
    // PR_ATTACH_CONTENT_ID holds contentId (unset when empty), PR_ATTACHMENT_HIDDEN is hidden.
    void MarkAsBodyPicture(const std::wstring& contentId, bool hidden = true);

    // Removes the attachment as the user does: raises AttachmentRemove; not recorded.
    void DeleteAsUser() { Remove(); }

    void Remove();            // Delete: raises OutlookError when already deleted
    void MarkDeleted() { deleted_ = true; }
    void DetachItem() { item_ = nullptr; }

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    MailItem* item_;  // not owned: the item detaches its attachments when it goes
    std::wstring displayName_;
    std::vector<BYTE> bytes_;
    LONG type_ = 1;
    std::map<std::wstring, Variant> properties_;
    bool deleted_ = false;
};

// Reads and writes an attachment's properties by schema name
// ("http://schemas.microsoft.com/mapi/..."). Reading one that was never set raises.
class PropertyAccessor : public DispatchObject<IDispatch> {
public:
    PropertyAccessor(std::shared_ptr<HostState> host, ComPtr<Attachment> owner);

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    ComPtr<Attachment> owner_;
};

class Attachments : public DispatchObject<IDispatch> {
public:
    Attachments(std::shared_ptr<HostState> host, MailItem* item);

    size_t Count() const { return items_.size(); }
    ComPtr<Attachment> At(size_t index) const { return items_.at(index); }  // from 0
    // An attachment that was there before anyone looked: no event, not recorded.
    ComPtr<Attachment> AttachQuietly(const std::wstring& displayName, std::vector<BYTE> bytes);
    // Adds a file as the user does: raises BeforeAttachmentAdd like the Add member; not
    // recorded. Returns the HRESULT the Add member would; *added gets the attachment.
    HRESULT AddAsUser(const std::wstring& sourcePath, const std::wstring& displayName,
                      ComPtr<Attachment>* added = nullptr);

    // As Outlook documents Add: DisplayName names the attachment only in a rich-text mail
    // (BodyFormat 3) with Type olByValue; a plain-text or HTML mail shows it under the file
    // name of Source.
    ComPtr<Attachment> Add(const std::wstring& sourcePath, const std::wstring& displayName, LONG type = 1);
    void Forget(Attachment* attachment);  // takes a deleted attachment out of the list
    void DetachItem();

protected:
    void CallMember(DISPID id, WORD kind, const Arguments& args, Variant& result) override;

private:
    MailItem* item_;  // not owned
    std::vector<ComPtr<Attachment>> items_;
};

}  // namespace outlook_double
