#pragma once
// The COM identifiers of PlenzarFileShell.dll (the type library says the same).
#include <windows.h>

extern const CLSID CLSID_PlenzarFileShellExt;   // coclass PlenzarFileShellExt
extern const GUID LIBID_PlenzarFileDllLib;      // type library, version 1.0
extern const IID IID_IPlenzarFileShellExt;      // listed in the type library only
extern const wchar_t kPlenzarFileAppId[];       // registrar replacement "APPID"
