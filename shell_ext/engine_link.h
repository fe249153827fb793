#pragma once
// What the context-menu handler needs of the engine library. The shared library's engine
// binding replaces engine_link.cpp once it exists; callers stay as they are.
#include <windows.h>

namespace shell_engine {

// Loads the engine beside this library once per process; true when it can be called.
bool Load();
// True when the engine takes the file (its IsSupported answers exactly 1).
bool Accepts(LPCWSTR path);
// Converts source with profile (0..4) into the path proposed in destination (capacity units,
// terminator included; the engine may change it). 0 when the output was written.
int Optimize(LPCWSTR source, LPWSTR destination, int capacity, int profile);

}  // namespace shell_engine
