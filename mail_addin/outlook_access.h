#pragma once
// Late-bound access to Outlook's object model: the DISPID of every member the add-in
// calls, and the item and attachment operations built on them. Objects are passed in
// borrowed; an object returned carries a reference for the caller. Every Outlook call
// may throw COleDispatchException or COleException unless its operation says otherwise.
#include <windows.h>

#include <string>

#include "classlib/dispatch_driver.h"
#include "classlib/variant.h"
#include "common/plenzar_profile.h"

namespace outlook {
// Every Outlook object
constexpr DISPID kItemApplication = 0xF000;    // get, object: the Application
constexpr DISPID kClass = 0xF00A;              // get, 32-bit integer (OlObjectClass)
// Application
constexpr DISPID kActiveExplorer = 0x111;      // method, object or Nothing
constexpr DISPID kActiveInspector = 0x112;     // method, object or Nothing
constexpr DISPID kVersion = 0x116;             // get, text
// Inspector
constexpr DISPID kCurrentItem = 0x2102;        // get, object
// Explorer
constexpr DISPID kActiveInlineResponse = 0xFC93;  // get, object or Nothing
// MailItem
constexpr DISPID kAttachments = 0xF815;        // get, object
constexpr DISPID kBody = 0x9100;               // get and put, text
constexpr DISPID kBodyFormat = 0xFA49;         // get, 32-bit integer (OlBodyFormat)
constexpr DISPID kHtmlBody = 0xF404;           // get and put, text
constexpr DISPID kItemProperties = 0xFA09;     // get, object
// Attachments and ItemProperties
constexpr DISPID kCount = 0x50;                // get, 32-bit integer
constexpr DISPID kAttachmentsItem = 0x51;      // method (VT_INT index 1..Count), object
constexpr DISPID kAttachmentsAdd = 0x65;       // method (Source, Type, Position, DisplayName)
constexpr DISPID kItemPropertiesItem = 0;      // method (VT_I4 index Count-1..0), object
constexpr DISPID kItemPropertiesAdd = 0x66;    // method (name, type, empty, empty), object
// Attachment
constexpr DISPID kSaveAsFile = 0x68;           // method (path)
constexpr DISPID kDelete = 0x69;               // method
constexpr DISPID kParent = 0x71;               // get, object
constexpr DISPID kDisplayName = 0x3001;        // get, text
constexpr DISPID kSize = 0xFBE9;               // get, 32-bit integer
constexpr DISPID kAttachmentType = 0x3705;     // get, 32-bit integer (OlAttachmentType)
constexpr DISPID kPropertyAccessor = 0xFAFD;   // get, object
// PropertyAccessor
constexpr DISPID kGetProperty = 0xFAFB;        // method (schema name), variant
constexpr DISPID kSetProperty = 0xFAFC;        // method (schema name, variant)
// ItemProperty
constexpr DISPID kPropertyName = 0x70;         // get, text
constexpr DISPID kPropertyType = 0x6D;         // get, 32-bit integer
constexpr DISPID kPropertyValue = 0;           // get and put, variant
// IRibbonControl
constexpr DISPID kRibbonControlId = 1;         // get, text
constexpr DISPID kRibbonControlContext = 2;    // get, object: the window (Inspector, Explorer)
constexpr DISPID kRibbonControlTag = 3;        // get, text
}  // namespace outlook

// The item profile lives in the user property "PlenzarType" of type olInteger.
constexpr wchar_t PLENZAR_TYPE_PROPERTY_NAME[] = L"PlenzarType";
constexpr int PLENZAR_TYPE_PROPERTY_TYPE = 20;
// The attachment's kept first version: a string-named MAPI property in PS_PUBLIC_STRINGS.
extern const wchar_t PLENZAR_ORIG_SCHEMA_NAME[];
// What Outlook puts on a picture that is part of the body (pasted into the text, or held
// by a signature): PR_ATTACH_CONTENT_ID, the id the HTML refers to, and PR_ATTACHMENT_HIDDEN.
extern const wchar_t ATTACH_CONTENT_ID_SCHEMA_NAME[];
extern const wchar_t ATTACHMENT_HIDDEN_SCHEMA_NAME[];
// PR_ATTACH_METHOD: how the attachment holds its content; only ATTACH_BY_VALUE is a file's
// bytes. A new attachment reads NO_ATTACHMENT until its method is set.
extern const wchar_t ATTACH_METHOD_SCHEMA_NAME[];
constexpr long ATTACH_METHOD_NONE_YET = 0;     // NO_ATTACHMENT
constexpr long ATTACH_METHOD_BY_VALUE = 1;     // ATTACH_BY_VALUE
// OlAttachmentType values that hold no file of their own.
constexpr long OL_BY_REFERENCE = 4;
constexpr long OL_EMBEDDED_ITEM = 5;
constexpr long OL_OLE = 6;
// OlBodyFormat: only an HTML mail takes its footer through HTMLBody.
constexpr long OL_FORMAT_HTML = 2;
constexpr int RANDOM_NAME_LENGTH = 10;

void SaveAttachmentAsFile(IDispatch* attachment, const std::wstring& path);
LPDISPATCH GetPropertyAccessor(IDispatch* attachment);
std::wstring GetItemBody(IDispatch* item);
std::wstring GetPropertyName(IDispatch* itemProperty);
std::wstring GetApplicationVersion(IDispatch* application);
// VT_EMPTY when the item has no property of that name, or the last one of that name is
// of another type.
CComVariant GetItemPropertyValue(IDispatch* item, const wchar_t* name, int type);
void SetItemPropertyValue(IDispatch* item, const wchar_t* name, int type, const VARIANT& value);
// -1..4; the settings' default when the item has none; -1 when Outlook fails. Never throws.
PlenzarProfile GetItemProfile(IDispatch* item) noexcept;
void SetItemProfile(IDispatch* item, int profile);
// Empty when the attachment has no such property or Outlook fails; throws only for
// out-of-memory.
std::wstring GetAttachmentStringProperty(IDispatch* attachment, const wchar_t* schemaName);
// True when the attachment carries a content id or is hidden: a picture of the body, which
// a replacement would turn into an ordinary attachment. A property that cannot be read
// does not count. Throws only for out-of-memory.
bool IsPartOfBody(IDispatch* attachment);
// True when the attachment holds a file's bytes: PR_ATTACH_METHOD is ATTACH_BY_VALUE, or,
// where it gives no method yet, its Type is none of olByReference, olEmbeddeditem and olOLE
// (a forwarded mail, a link or an OLE object, whatever its name looks like). Throws when
// Type cannot be read.
bool IsFileAttachedByValue(IDispatch* attachment);
// Ten characters from the add-in's alphabet, drawn with generator (0..32767).
std::wstring MakeRandomName(int (*generator)() = nullptr);
// True when name begins with RANDOM_NAME_LENGTH characters of MakeRandomName's alphabet.
bool StartsWithRandomName(const std::wstring& name);
// Appends the footer line: to the plain-text body, or as a paragraph of its own at the end
// of an HTML mail's HTMLBody. A body that ends with it already is left as it is. Always true.
bool AppendOptimizedFooter(IDispatch* item);

// Set by the pipeline while its own Attachments.Add / Delete run, so that the events
// those raise are not taken for the user's.
extern bool g_addingAttachment;
extern bool g_replacingAttachment;
void ClearAddingAttachmentFlag();
void ClearReplacingAttachmentFlag();
