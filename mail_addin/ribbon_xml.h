#pragma once
// The ribbon definitions stored as "XML" resources of the add-in library.
#include <windows.h>

// The resource as text (its bytes read in the thread's ANSI code page) in a new BSTR for
// the caller; NULL when the library has no such resource or it cannot be read.
BSTR LoadXmlResource(UINT id);
