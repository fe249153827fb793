#include "mail_addin/pipeline_names.h"

#include <cwchar>
#include <cwctype>

#include "classlib/exceptions.h"
#include "common/text_conversion.h"
#include "mail_addin/outlook_access.h"

std::wstring OutputNameBelowOutlook16(const std::wstring& displayName)
{
    const size_t lastDot = displayName.rfind(L'.');
    if (lastDot == std::wstring::npos)
        AfxThrowOleException(E_INVALIDARG);
    std::wstring name = displayName;
    for (size_t i = 0; i < lastDot; ++i) {
        if (name[i] == L'.')
            name[i] = L'_';
    }
    return name;
}

namespace {

// CON, PRN, AUX, NUL, COM1..COM9 and LPT1..LPT9 name devices, with any extension.
bool IsReservedDeviceName(const std::wstring& base)
{
    std::wstring upper = base;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
           upper[3] >= L'1' && upper[3] <= L'9';
}

}  // namespace

std::wstring AttachmentFileName(const std::wstring& displayName)
{
    std::wstring name = displayName;
    for (wchar_t& c : name) {
        if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c))
            c = L'_';
    }
    const size_t end = name.find_last_not_of(L". ");
    name.erase(end == std::wstring::npos ? 0 : end + 1);
    if (name.empty() || IsReservedDeviceName(name.substr(0, name.find(L'.'))))
        name.insert(0, L"_");
    return name;
}

bool ProposeOutputPath(const std::wstring& folder, const std::wstring& displayName,
                       int outlookMajorVersion, wchar_t* buffer, size_t capacity,
                       std::wstring* replacementName)
{
    std::wstring path = folder;
    if (outlookMajorVersion >= OUTLOOK_VERSION_OUTPUT_IN_OWN_FOLDER) {
        *replacementName = AttachmentFileName(displayName);
        path += *replacementName;
    } else {
        *replacementName = OutputNameBelowOutlook16(displayName);
        path += *replacementName;
    }
    if (capacity == 0)
        return false;
    buffer[0] = L'\0';
    if (path.size() >= capacity)
        return false;
    wmemcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

std::wstring DiagnosticCopyName(PlenzarProfile profile, const std::wstring& keptName)
{
    return std::to_wstring(profile) + L"_" + keptName;
}

bool IsKeptFirstVersionName(const std::wstring& name)
{
    if (!StartsWithRandomName(name))
        return false;
    const std::wstring extension = name.substr(RANDOM_NAME_LENGTH);
    return extension.empty() ||
           (extension[0] == L'.' && extension.find_first_of(L".\\/:", 1) == std::wstring::npos);
}

std::wstring WithExtension(const std::wstring& name, const std::wstring& extension)
{
    const size_t dot = name.rfind(L'.');
    return (dot == std::wstring::npos ? name : name.substr(0, dot)) + extension;
}
