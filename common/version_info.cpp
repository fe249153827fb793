#include "common/version_info.h"

#include "classlib/module_handle.h"
#include "classlib/win_app.h"
#include "common/text_conversion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

// Module file name into a zeroed buffer of `units` units; one unit is kept back so the
// text stays terminated even where the platform would truncate without a NUL.
template <size_t units>
bool ModuleFileName(HMODULE module, wchar_t (&buffer)[units])
{
    const DWORD length = GetModuleFileNameW(module, buffer, units - 1);
    return length != 0 && length < units - 1;
}

}  // namespace

CFileVersionInfo::CFileVersionInfo()
    : m_fixedInfo(), m_versionBlock(nullptr), m_translations(nullptr), m_translationCount(0),
      m_valid(FALSE)
{
}

CFileVersionInfo::~CFileVersionInfo()
{
    Reset();
}

void CFileVersionInfo::Reset()
{
    memset(&m_fixedInfo, 0, sizeof(m_fixedInfo));
    m_translations = nullptr;
    m_translationCount = 0;
    m_valid = FALSE;
    free(m_versionBlock);
    m_versionBlock = nullptr;
}

BOOL CFileVersionInfo::Create(LPCWSTR path)
{
    if (!path)
        return FALSE;
    Reset();

    bool complete = false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size != 0)
        m_versionBlock = malloc(size);
    if (m_versionBlock && GetFileVersionInfoW(path, 0, size, m_versionBlock)) {
        void* fixed = nullptr;
        UINT fixedLength = 0;
        if (VerQueryValueW(m_versionBlock, L"\\", &fixed, &fixedLength) && fixed &&
            fixedLength >= sizeof(VS_FIXEDFILEINFO)) {
            memcpy(&m_fixedInfo, fixed, sizeof(m_fixedInfo));
            m_valid = m_fixedInfo.dwSignature == kFixedInfoSignature;
        }
        void* table = nullptr;
        UINT tableLength = 0;
        if (m_valid && VerQueryValueW(m_versionBlock, L"\\VarFileInfo\\Translation", &table,
                                      &tableLength) &&
            table) {
            m_translations = static_cast<DWORD*>(table);
            m_translationCount = tableLength / sizeof(DWORD);
            complete = true;
        }
    }
    if (!complete)
        Reset();
    return m_valid;
}

BOOL CFileVersionInfo::CreateFromModule(HMODULE module)
{
    if (!module)
        return FALSE;
    wchar_t path[MAX_PATH] = {};
    if (!ModuleFileName(module, path))
        return FALSE;
    return Create(path);
}

std::string FormatProductVersion(const CFileVersionInfo& info)
{
    if (!info.IsValid())
        return std::string();
    const VS_FIXEDFILEINFO& fixed = info.FixedInfo();
    char text[48];
    snprintf(text, sizeof(text), "%u.%u.%u.%u", HIWORD(fixed.dwProductVersionMS),
             LOWORD(fixed.dwProductVersionMS), HIWORD(fixed.dwProductVersionLS),
             LOWORD(fixed.dwProductVersionLS));
    return text;
}

std::string GetModuleVersionString()
{
    CFileVersionInfo info;
    info.CreateFromModule(AtlModuleHandle());
    return FormatProductVersion(info);
}

std::string GetProcessVersionString()
{
    wchar_t path[1024] = {};
    if (!ModuleFileName(nullptr, path))
        return std::string();
    CFileVersionInfo info;
    info.Create(path);
    return FormatProductVersion(info);
}

std::wstring FormatVersionLabel(UINT formatStringId)
{
    wchar_t format[256] = {};
    if (!::LoadStringW(AfxGetResourceHandle(), formatStringId, format, static_cast<int>(std::size(format))))
        return {};
    const std::string version = GetModuleVersionString();
    const CUtf8ToWide wideVersion(version.c_str(), static_cast<int>(version.size()));
    wchar_t label[512] = {};
    _snwprintf_s(label, std::size(label), _TRUNCATE, format, wideVersion.c_str() ? wideVersion.c_str() : L"");
    return label;
}
