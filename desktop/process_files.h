#pragma once
// The batch conversion: every named file the engine accepts goes through it into the
// first free name beside its source, or on the desktop.
#include <string>
#include <vector>

// A file that is refused, whose name does not fit, or that the engine fails on is
// passed over silently.
void ProcessFiles(std::vector<std::wstring>& files);
