#pragma once
// Loads PlenzarFileShell.dll from the test folder, as a host does, and reaches its exports.
#include <windows.h>
#include <wrl/client.h>
#include <shlobj.h>

#include <string>

#include "tests/support/com_server_library.h"

using Microsoft::WRL::ComPtr;

extern const CLSID kClsidShellExt;
extern const GUID kLibIdShellExt;
extern const IID kIidPlenzarFileShellExt;

class ShellServer : public testsupport::ComServerLibrary {
public:
    // Loads the library from that folder of the build tree.
    explicit ShellServer(const wchar_t* folderName = L"shell_ext_test")
        : ComServerLibrary(testsupport::BuildTreePath(folderName, L"PlenzarFileShell.dll")) {}

    // A new handler object through the class factory, queried for IShellExtInit.
    HRESULT CreateHandler(IShellExtInit** handler) const
    {
        return CreateInstance(kClsidShellExt, IID_IShellExtInit, reinterpret_cast<void**>(handler));
    }
};

// Registry helpers for checking what registration wrote.
using testsupport::DeleteKeyTree;
using testsupport::GuidText;
using testsupport::KeyExists;
using testsupport::ReadString;
using testsupport::SubkeyCount;
using testsupport::ValueCount;
