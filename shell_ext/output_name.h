#pragma once
// The output path proposed for a converted file: beside its source, under the first name
// of the form "name (n).ext" that no file has yet.
#include <string>

// Longest part of a split path (folder, name, extension, numbered name) and longest output
// path, in UTF-16 units without the terminator.
constexpr size_t kMaxPathPartLength = 255;
constexpr size_t kMaxOutputPathLength = 259;

// False when a part of the source, the numbered name or the joined path would not fit its
// limit; such a source is not converted. An existing file (not merely a readable one) is
// never proposed, so the source itself never is.
bool ProposeOutputPath(const std::wstring& source, std::wstring& proposal);
