#pragma once
// The batch conversion: every named file the engine accepts goes through it into the
// first free name beside its source, or on the desktop.
#include <string>
#include <vector>

// Always returns true; a file that is refused, whose name does not fit, or that the
// engine fails on is passed over silently.
bool ProcessFiles(std::vector<std::wstring>& files);
