#pragma once
// Exceptions in the class library's style: thrown by pointer, caught as CException*,
// and deleted by the catcher with Delete().
#include <windows.h>

#include <memory>
#include <string>

class CException {
public:
    virtual ~CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Copies the message into buffer (at most maxChars units, terminator included).
    // Returns FALSE, with an empty buffer, when there is no message.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;
    std::wstring GetErrorMessage() const { return MessageText(); }

    void Delete() { delete this; }

protected:
    CException() = default;
    virtual std::wstring MessageText() const = 0;
};

class CMemoryException : public CException {
protected:
    std::wstring MessageText() const override;
};

class COleException : public CException {
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    SCODE m_sc;

protected:
    std::wstring MessageText() const override;
};

class COleDispatchException : public CException {
public:
    COleDispatchException(LPCWSTR description, UINT helpId, WORD code);
    WORD m_wCode;
    SCODE m_scError = S_OK;
    DWORD m_dwHelpContext;
    std::wstring m_strDescription;
    std::wstring m_strSource;
    std::wstring m_strHelpFile;

protected:
    std::wstring MessageText() const override { return m_strDescription; }
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowOleDispatchException(WORD code, LPCWSTR description, UINT helpId = 0);

// Owns a caught exception so that it is deleted on every way out of the handler.
struct CExceptionDeleter {
    void operator()(CException* e) const { if (e) e->Delete(); }
};
using CExceptionPtr = std::unique_ptr<CException, CExceptionDeleter>;
