#pragma once
// What the context-menu handler needs of the engine library. The shared library's engine
// binding replaces engine_link.cpp once it exists; callers stay as they are.
#include <windows.h>

namespace shell_engine {

// Loads the engine beside this library once per process; true when it can be called.
bool Load();
// True when the engine takes the file (its IsSupported answers exactly 1).
bool Accepts(LPCWSTR path);

}  // namespace shell_engine
