#pragma once
// The output path proposed for a converted file: beside its source, under the first name
// of the form "name (n).ext" that no file has yet.
#include "common/output_name.h"

#include <string>

// False when a part of the source, the numbered name or the joined path would not fit its
// buffer; such a source is not converted. An existing file (not merely a readable one) is
// never proposed, so the source itself never is.
bool ProposeOutputPath(const std::wstring& source, wchar_t (&proposal)[kOutputPathChars]);

// The extension of the source's file name, with its dot, as the output keeps it: split at
// the last dot of the name, never at a dot of a folder. Empty when the name has none.
std::wstring SourceExtension(const std::wstring& source);
