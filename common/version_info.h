#pragma once
// Reading a file's version resource, and the product versions of this module and of
// the process that hosts it as "major.minor.build.revision".
#include <windows.h>

#include <string>

class CFileVersionInfo {
public:
    CFileVersionInfo();
    virtual ~CFileVersionInfo();
    CFileVersionInfo(const CFileVersionInfo&) = delete;
    CFileVersionInfo& operator=(const CFileVersionInfo&) = delete;

    // Reads the version resource of the file at path. Returns non-zero when it holds a
    // fixed information block and a translation table; otherwise the object is reset.
    // A null path returns 0 and leaves the object as it was.
    BOOL Create(LPCWSTR path);
    // The same for the file of a loaded module; a null module returns 0.
    BOOL CreateFromModule(HMODULE module);
    void Reset();

    BOOL IsValid() const { return m_valid; }
    const VS_FIXEDFILEINFO& FixedInfo() const { return m_fixedInfo; }
    // The language and code-page pairs (language in the low word), or null.
    const DWORD* Translations() const { return m_translations; }
    DWORD TranslationCount() const { return m_translationCount; }

private:
    VS_FIXEDFILEINFO m_fixedInfo;
    void* m_versionBlock;
    DWORD* m_translations;
    DWORD m_translationCount;
    BOOL m_valid;
};

// "%d.%d.%d.%d" of the product version in info, or empty text when it is not valid.
std::string FormatProductVersion(const CFileVersionInfo& info);
// The product version of the module (exe or DLL) that holds this code, or empty text.
std::string GetModuleVersionString();
// The product version of the current process's executable, or empty text.
std::string GetProcessVersionString();
// A dialog's version label: the string-table format formatStringId of the resource module
// (AfxGetResourceHandle) with this module's product version in its one %s; empty text when
// the format cannot be loaded.
std::wstring FormatVersionLabel(UINT formatStringId);
