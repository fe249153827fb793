#include "common/text_conversion.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

CUtf8ToWide::CUtf8ToWide(const char* text, int length)
{
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(strlen(text));

    const int units = length > 0 ? MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0) : 0;
    m_text = static_cast<wchar_t*>(calloc(static_cast<size_t>(units) + 1, sizeof(wchar_t)));
    if (m_text && units > 0)
        MultiByteToWideChar(CP_UTF8, 0, text, length, m_text, units);
}

CUtf8ToWide::~CUtf8ToWide()
{
    free(m_text);
}

CWideToUtf8::CWideToUtf8(const wchar_t* text, int length)
{
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(wcslen(text));

    // Sized for exactly the units given, so a text without a terminator is never read
    // past its length.
    const int bytes =
        length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
    m_text = static_cast<char*>(calloc(static_cast<size_t>(bytes) + 1, 1));
    if (m_text && bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, m_text, bytes, nullptr, nullptr);
}

CWideToUtf8::~CWideToUtf8()
{
    free(m_text);
}

std::wstring GetFileExtension(const std::wstring& fileName)
{
    const size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0)
        return std::wstring();
    return fileName.substr(dot);
}
