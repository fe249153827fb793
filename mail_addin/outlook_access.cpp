#include "mail_addin/outlook_access.h"

#include <cstdlib>

#include "common/settings.h"
#include "common/vendor_urls.h"

const wchar_t PLENZAR_ORIG_SCHEMA_NAME[] =
    L"http://schemas.microsoft.com/mapi/string/{00020386-0000-0000-C000-000000000046}/PlenzarOrig";

bool g_addingAttachment = false;
bool g_replacingAttachment = false;

namespace {

// "l", "w", "V" and "W" are left out; "C" stands twice.
constexpr char kRandomNameAlphabet[] = "abcdefghijkmnopqrstuvxyzABCDEFGHIJKLMNOPQRSTUCXYZ0123456789";
constexpr int kRandomNameAlphabetLength = sizeof(kRandomNameAlphabet) - 1;
static_assert(kRandomNameAlphabetLength == 59);

constexpr wchar_t kFooterText[] = L"Attachments optimized with PlenzarMail. ";

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
    const bool found = FindLastItemProperty(properties, name, [&](COleDispatchDriver& property) {
        property.InvokeHelper(outlook::kPropertyPrepare, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
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

std::wstring GetAttachmentStringProperty(IDispatch* attachment, const wchar_t* schemaName)
{
    try {
        COleDispatchDriver accessor(GetPropertyAccessor(attachment));
        if (!accessor.m_lpDispatch) return {};
        CComVariant value;
        accessor.InvokeHelper(outlook::kGetProperty, DISPATCH_METHOD, VT_VARIANT, &value, VTS_BSTR,
                              schemaName);
        if (value.vt != VT_BSTR || !value.bstrVal) return {};
        return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
    } catch (CMemoryException*) {
        throw;
    } catch (CException* e) {
        e->Delete();
        return {};
    }
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

bool AppendOptimizedFooter(IDispatch* item)
{
    std::wstring body = GetItemBody(item);
    if (!body.empty()) body += L"\r\n\r\n";
    body += kFooterText;
    body += kVendorWebSiteHost;
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
