#include "mail_addin/outlook_access.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "common/settings.h"
#include "common/vendor_urls.h"

const wchar_t PLENZAR_ORIG_SCHEMA_NAME[] =
    L"http://schemas.microsoft.com/mapi/string/{00020386-0000-0000-C000-000000000046}/PlenzarOrig";

const wchar_t ATTACH_CONTENT_ID_SCHEMA_NAME[] = L"http://schemas.microsoft.com/mapi/proptag/0x3712001F";
const wchar_t ATTACHMENT_HIDDEN_SCHEMA_NAME[] = L"http://schemas.microsoft.com/mapi/proptag/0x7FFE000B";
const wchar_t ATTACH_METHOD_SCHEMA_NAME[] = L"http://schemas.microsoft.com/mapi/proptag/0x37050003";

bool g_addingAttachment = false;
bool g_replacingAttachment = false;

namespace {

// "l", "w", "V" and "W" are left out; "C" stands twice.
constexpr char kRandomNameAlphabet[] = "abcdefghijkmnopqrstuvxyzABCDEFGHIJKLMNOPQRSTUCXYZ0123456789";
constexpr int kRandomNameAlphabetLength = sizeof(kRandomNameAlphabet) - 1;
static_assert(kRandomNameAlphabetLength == 59);

constexpr wchar_t kFooterText[] = L"Attachments optimized with PlenzarMail. ";

std::wstring FooterLine()
{
    return std::wstring(kFooterText) + kVendorWebSiteHost;
}

// Outlook may end the text with line breaks or non-breaking spaces of its own.
bool EndsWithFooter(const std::wstring& body)
{
    size_t end = body.size();
    while (end > 0 && (std::iswspace(body[end - 1]) || body[end - 1] == L'\u00A0'))
        --end;
    const std::wstring footer = FooterLine();
    return end >= footer.size() && body.compare(end - footer.size(), footer.size(), footer) == 0;
}

// Where a paragraph goes at the end of an HTML body: before its closing body tag, or at the
// very end without one.
size_t HtmlBodyEnd(const std::wstring& html)
{
    std::wstring lower = html;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return c < 0x80 ? static_cast<wchar_t>(std::towlower(c)) : c; });
    const size_t closing = lower.rfind(L"</body");
    return closing == std::wstring::npos ? html.size() : closing;
}

// The caller's object, borrowed: the driver does not release it.
class CBorrowedDispatch : public COleDispatchDriver {
public:
    explicit CBorrowedDispatch(IDispatch* dispatch) : COleDispatchDriver(dispatch, FALSE) {}
};

LPDISPATCH GetObjectProperty(IDispatch* object, DISPID dispid)
{
    LPDISPATCH result = nullptr;
    CBorrowedDispatch(object).GetProperty(dispid, VT_DISPATCH, &result);
    return result;
}

std::wstring GetTextProperty(IDispatch* object, DISPID dispid)
{
    std::wstring text;
    CBorrowedDispatch(object).GetProperty(dispid, VT_BSTR, &text);
    return text;
}

// Walks ItemProperties from the last index down and calls onMatch with the first one
// named exactly `name`. Returns false when none bears the name. Every property object is
// released when its step is done.
template <class OnMatch>
bool FindLastItemProperty(COleDispatchDriver& properties, const wchar_t* name, OnMatch onMatch)
{
    long count = 0;
    properties.GetProperty(outlook::kCount, VT_I4, &count);
    for (long n = count - 1; n >= 0; --n) {
        CComVariant index;
        index.vt = VT_I4;
        index.lVal = n;
        LPDISPATCH found = nullptr;
        properties.InvokeHelper(outlook::kItemPropertiesItem, DISPATCH_METHOD, VT_DISPATCH, &found,
                                VTS_VARIANT, &index);
        COleDispatchDriver property(found);
        if (!found || GetPropertyName(found) != name) continue;
        onMatch(property);
        return true;
    }
    return false;
}

}  // namespace

void SaveAttachmentAsFile(IDispatch* attachment, const std::wstring& path)
{
    CBorrowedDispatch(attachment).InvokeHelper(outlook::kSaveAsFile, DISPATCH_METHOD, VT_EMPTY,
                                               nullptr, VTS_BSTR, path.c_str());
}

LPDISPATCH GetPropertyAccessor(IDispatch* attachment)
{
    return GetObjectProperty(attachment, outlook::kPropertyAccessor);
}

std::wstring GetItemBody(IDispatch* item)
{
    return GetTextProperty(item, outlook::kBody);
}

std::wstring GetPropertyName(IDispatch* itemProperty)
{
    return GetTextProperty(itemProperty, outlook::kPropertyName);
}

std::wstring GetApplicationVersion(IDispatch* application)
{
    return GetTextProperty(application, outlook::kVersion);
}

CComVariant GetItemPropertyValue(IDispatch* item, const wchar_t* name, int type)
{
    CComVariant result;
    COleDispatchDriver properties(GetObjectProperty(item, outlook::kItemProperties));
    if (!properties.m_lpDispatch) return result;
    FindLastItemProperty(properties, name, [&](COleDispatchDriver& property) {
        long propertyType = 0;
        property.GetProperty(outlook::kPropertyType, VT_I4, &propertyType);
        if (propertyType == type) property.GetProperty(outlook::kPropertyValue, VT_VARIANT, &result);
    });
    return result;
}

void SetItemPropertyValue(IDispatch* item, const wchar_t* name, int type, const VARIANT& value)
{
    COleDispatchDriver properties(GetObjectProperty(item, outlook::kItemProperties));
    if (!properties.m_lpDispatch) AfxThrowOleException(E_POINTER);
    // Value is the member that stores; an empty value leaves the property as it is.
    const bool found = FindLastItemProperty(properties, name, [&](COleDispatchDriver& property) {
        if (value.vt != VT_EMPTY) property.SetProperty(outlook::kPropertyValue, VT_VARIANT, &value);
    });
    if (found) return;

    CComVariant unused;
    LPDISPATCH added = nullptr;
    properties.InvokeHelper(outlook::kItemPropertiesAdd, DISPATCH_METHOD, VT_DISPATCH, &added,
                            VTS_BSTR VTS_I4 VTS_VARIANT VTS_VARIANT, name, static_cast<long>(type),
                            &unused, &unused);
    COleDispatchDriver property(added);
    if (!added) AfxThrowOleException(E_POINTER);
    property.SetProperty(outlook::kPropertyValue, VT_VARIANT, &value);
}

PlenzarProfile GetItemProfile(IDispatch* item) noexcept
{
    try {
        const CSettings settings;
        CComVariant value = GetItemPropertyValue(item, PLENZAR_TYPE_PROPERTY_NAME,
                                                 PLENZAR_TYPE_PROPERTY_TYPE);
        long profile = settings.mailDefaultPlenzarProfile;
        // An olInteger property answers VT_I4; another type is read as Outlook would
        // coerce it, and one that cannot be is taken as no value.
        if (value.vt != VT_EMPTY &&
            (value.vt == VT_I4 || SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4))))
            profile = value.lVal;
        if (profile > PROFILE_FULL) return PROFILE_FULL;
        if (profile < PROFILE_NONE) return PROFILE_NONE;
        return static_cast<PlenzarProfile>(profile);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return PROFILE_NONE;
}

void SetItemProfile(IDispatch* item, int profile)
{
    CComVariant value;
    value.vt = VT_INT;
    value.intVal = profile;
    SetItemPropertyValue(item, PLENZAR_TYPE_PROPERTY_NAME, PLENZAR_TYPE_PROPERTY_TYPE, value);
}

namespace {

// The attachment's property through its PropertyAccessor; empty when it has none or
// Outlook fails.
CComVariant GetAttachmentPropertyValue(IDispatch* attachment, const wchar_t* schemaName)
{
    CComVariant value;
    try {
        COleDispatchDriver accessor(GetPropertyAccessor(attachment));
        if (accessor.m_lpDispatch)
            accessor.InvokeHelper(outlook::kGetProperty, DISPATCH_METHOD, VT_VARIANT, &value, VTS_BSTR,
                                  schemaName);
    } catch (CMemoryException*) {
        throw;
    } catch (CException* e) {
        e->Delete();
        value.Clear();
    }
    return value;
}

}  // namespace

std::wstring GetAttachmentStringProperty(IDispatch* attachment, const wchar_t* schemaName)
{
    const CComVariant value = GetAttachmentPropertyValue(attachment, schemaName);
    if (value.vt != VT_BSTR || !value.bstrVal) return {};
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

bool IsPartOfBody(IDispatch* attachment)
{
    if (!GetAttachmentStringProperty(attachment, ATTACH_CONTENT_ID_SCHEMA_NAME).empty()) return true;
    CComVariant hidden = GetAttachmentPropertyValue(attachment, ATTACHMENT_HIDDEN_SCHEMA_NAME);
    return hidden.vt != VT_EMPTY && SUCCEEDED(VariantChangeType(&hidden, &hidden, 0, VT_BOOL)) &&
           hidden.boolVal != VARIANT_FALSE;
}

bool IsFileAttachedByValue(IDispatch* attachment)
{
    CComVariant method = GetAttachmentPropertyValue(attachment, ATTACH_METHOD_SCHEMA_NAME);
    if (method.vt != VT_EMPTY && SUCCEEDED(VariantChangeType(&method, &method, 0, VT_I4)) &&
        method.lVal != ATTACH_METHOD_NONE_YET)
        return method.lVal == ATTACH_METHOD_BY_VALUE;
    long type = 0;
    CBorrowedDispatch(attachment).GetProperty(outlook::kAttachmentType, VT_I4, &type);
    return type != OL_BY_REFERENCE && type != OL_EMBEDDED_ITEM && type != OL_OLE;
}

std::wstring MakeRandomName(int (*generator)())
{
    std::wstring name;
    for (int i = 0; i < RANDOM_NAME_LENGTH; ++i) {
        const int r = generator ? generator() : std::rand();
        int index = r <= 0 ? 0 : static_cast<int>(r * double(kRandomNameAlphabetLength) / 32767.0);
        if (index > kRandomNameAlphabetLength - 1) index = kRandomNameAlphabetLength - 1;
        name += static_cast<wchar_t>(kRandomNameAlphabet[index]);
    }
    return name;
}

bool StartsWithRandomName(const std::wstring& name)
{
    if (name.size() < RANDOM_NAME_LENGTH) return false;
    for (int i = 0; i < RANDOM_NAME_LENGTH; ++i) {
        const wchar_t c = name[i];
        if (c >= 0x80 || !std::char_traits<char>::find(kRandomNameAlphabet, kRandomNameAlphabetLength,
                                                       static_cast<char>(c)))
            return false;
    }
    return true;
}

bool AppendOptimizedFooter(IDispatch* item)
{
    // Outlook keeps Body as the plain text of an HTML body too.
    std::wstring body = GetItemBody(item);
    if (EndsWithFooter(body)) return true;
    long format = 0;
    CBorrowedDispatch(item).GetProperty(outlook::kBodyFormat, VT_I4, &format);
    if (format == OL_FORMAT_HTML) {
        // A Body put would make Outlook rebuild the HTML from plain text.
        std::wstring html = GetTextProperty(item, outlook::kHtmlBody);
        html.insert(HtmlBodyEnd(html), L"<p>" + FooterLine() + L"</p>");
        CBorrowedDispatch(item).SetProperty(outlook::kHtmlBody, VT_BSTR, html.c_str());
        return true;
    }
    if (!body.empty()) body += L"\r\n\r\n";
    body += FooterLine();
    CBorrowedDispatch(item).SetProperty(outlook::kBody, VT_BSTR, body.c_str());
    return true;
}

void ClearAddingAttachmentFlag()
{
    g_addingAttachment = false;
}

void ClearReplacingAttachmentFlag()
{
    g_replacingAttachment = false;
}
