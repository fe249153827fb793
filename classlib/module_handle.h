#pragma once
// The module that holds the calling code: the deliverable's own DLL or exe, never the
// process that hosts it.
#include <windows.h>

// Null only when the loader cannot say (it always can for code that is running).
HMODULE AtlModuleHandle();
