#include "classlib/exceptions.h"

#include <cstdio>
#include <cwchar>

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxChars == 0)
        return FALSE;
    const std::wstring text = MessageText();
    const size_t count = text.size() < maxChars - 1 ? text.size() : maxChars - 1;
    wmemcpy(buffer, text.data(), count);
    buffer[count] = L'\0';
    return text.empty() ? FALSE : TRUE;
}

std::wstring CMemoryException::MessageText() const
{
    return L"Out of memory.";
}

std::wstring COleException::MessageText() const
{
    wchar_t* system = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(m_sc), 0, reinterpret_cast<LPWSTR>(&system), 0, nullptr);
    std::wstring text;
    if (length && system) {
        text.assign(system, length);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.pop_back();
    }
    LocalFree(system);
    if (text.empty()) {
        wchar_t fallback[40];
        swprintf(fallback, 40, L"OLE error 0x%08lX.", static_cast<unsigned long>(m_sc));
        text = fallback;
    }
    return text;
}

COleDispatchException::COleDispatchException(LPCWSTR description, UINT helpId, WORD code)
    : m_wCode(code), m_dwHelpContext(helpId), m_strDescription(description ? description : L"")
{
}

void AfxThrowMemoryException()
{
    throw new CMemoryException();
}

void AfxThrowOleException(SCODE sc)
{
    throw new COleException(sc);
}

void AfxThrowOleDispatchException(WORD code, LPCWSTR description, UINT helpId)
{
    throw new COleDispatchException(description, helpId, code);
}
