#pragma once
// A minimal COM add-in for the host driver's tests: it implements _IDTExtensibility2,
// IRibbonExtensibility and ribbon callbacks by name, and logs what its host does to it.
// Built into the test suite and into fake_addin.dll.
#include <windows.h>

#include "mail_addin/office/office_interfaces.h"

namespace outlook_double {

// {6F1D7A52-3C8B-4E0A-9B61-2D4F8E7C5A13}
constexpr CLSID kFakeAddinClsid = {0x6F1D7A52, 0x3C8B, 0x4E0A,
                                   {0x9B, 0x61, 0x2D, 0x4F, 0x8E, 0x7C, 0x5A, 0x13}};

// A new add-in object with one reference. With a broken ribbon, its compose ribbon
// names a callback that it does not have.
_IDTExtensibility2* CreateFakeAddin(bool brokenRibbon = false);
// The log of this module's fake add-ins: entries joined by "|".
extern "C" const wchar_t* FakeAddinLogText();
extern "C" LONG FakeAddinLiveObjects();

}  // namespace outlook_double
