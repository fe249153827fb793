#pragma once
// Conversions between UTF-8 (statistics, JSON, log lines, HTTP replies) and UTF-16
// (user-interface text, paths, registry names), and file-name extensions.
#include <string>

// Owns the UTF-16 form of UTF-8 text for its scope. The text is always NUL-terminated;
// c_str() is null only when the buffer could not be allocated. Invalid UTF-8 becomes
// replacement characters, as the platform's converter gives it.
class CUtf8ToWide {
public:
    // length in bytes; a negative length means up to the terminating NUL. Null text
    // converts as empty text.
    explicit CUtf8ToWide(const char* text, int length = -1);
    ~CUtf8ToWide();
    CUtf8ToWide(const CUtf8ToWide&) = delete;
    CUtf8ToWide& operator=(const CUtf8ToWide&) = delete;

    const wchar_t* c_str() const { return m_text; }
    operator const wchar_t*() const { return m_text; }

private:
    wchar_t* m_text = nullptr;
};

// Owns the UTF-8 form of UTF-16 text for its scope; the same rules as CUtf8ToWide.
// Unpaired surrogates become replacement characters.
class CWideToUtf8 {
public:
    // length in UTF-16 units; a negative length means up to the terminating NUL. Only
    // the units given are read.
    explicit CWideToUtf8(const wchar_t* text, int length = -1);
    ~CWideToUtf8();
    CWideToUtf8(const CWideToUtf8&) = delete;
    CWideToUtf8& operator=(const CWideToUtf8&) = delete;

    const char* c_str() const { return m_text; }
    operator const char*() const { return m_text; }

private:
    char* m_text = nullptr;
};

// The extension of a file name or path: from the last "." to the end, dot included;
// empty when there is no "." or the only one found is the first character.
std::wstring GetFileExtension(const std::wstring& fileName);
