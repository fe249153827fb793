#pragma once
// PlenzarMail.dll loaded from its test folder (the development engine beside it) as Outlook
// loads it, and the test-only Office type libraries beside it.
#include <windows.h>

#include <string>

#include "tests/support/com_server_library.h"

namespace mail_server {

using testsupport::GuidText;
using testsupport::KeyExists;
using testsupport::SubkeyCount;
using testsupport::ValueCount;

extern const CLSID kClsidConnect;
extern const GUID kLibId;
extern const IID kIidConnect;
extern const IID kIidRibbonCallback;
extern const GUID kLibIdOfficeAddInDesigner;  // holds _IDTExtensibility2, version 1.0
constexpr wchar_t kProgId[] = L"PlenzarMail.Connect";

class MailServer : public testsupport::ComServerLibrary {
public:
    MailServer() : ComServerLibrary(testsupport::BuildTreePath(L"mail_addin_server_test", L"PlenzarMail.dll")) {}

    // A new add-in object through the class factory, as Outlook creates it.
    HRESULT CreateAddin(REFIID iid, void** object) const { return CreateInstance(kClsidConnect, iid, object); }
};

// Registers the test-only Office type libraries (built beside the library) machine-wide,
// as an Office installation has them; S_OK when both are.
HRESULT RegisterOfficeTypeLibraries(const std::wstring& folder);

}  // namespace mail_server
