#pragma once
// Runs registration scripts in the class library's registrar syntax:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {guid} = s 'Name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Keys may carry NoRemove (kept on unregistration), ForceRemove (deleted with its subkeys
// before it is written, and on unregistration) or Delete (deleted on registration, ignored
// on unregistration). Values are s (string), d (DWORD) or b (hex bytes); names and values
// with blanks are quoted with ', a quote inside doubled (''). %NAME% is replaced by the
// replacement NAME, %% gives %. Other keys are removed on unregistration once they have no
// subkeys left.
#include <windows.h>

#include <map>
#include <string>

class CRegistrar {
public:
    void AddReplacement(const std::wstring& name, const std::wstring& value);
    // Per-user mode writes the HKCR root under HKCU\Software\Classes instead.
    void SetPerUser(bool perUser) { m_perUser = perUser; }

    HRESULT StringRegister(const std::wstring& script) { return Run(script, true); }
    HRESULT StringUnregister(const std::wstring& script) { return Run(script, false); }
    // Scripts stored as resources of a module (type "REGISTRY", ANSI/UTF-8 or UTF-16 text).
    HRESULT ResourceRegister(HMODULE module, UINT id, LPCWSTR type = L"REGISTRY");
    HRESULT ResourceUnregister(HMODULE module, UINT id, LPCWSTR type = L"REGISTRY");

private:
    HRESULT Run(const std::wstring& script, bool doRegister);
    HRESULT RunResource(HMODULE module, UINT id, LPCWSTR type, bool doRegister);

    std::map<std::wstring, std::wstring> m_replacements;
    bool m_perUser = false;
};

// Reads a script resource as text; empty on failure.
std::wstring LoadScriptResource(HMODULE module, UINT id, LPCWSTR type);
