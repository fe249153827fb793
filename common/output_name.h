#pragma once
// Output names of a conversion: the first free "name (n).ext" beside the source (or in
// another folder). Buffer sizes in UTF-16 units, terminator included.
#include <cstddef>

constexpr size_t kDriveChars = 3;
constexpr size_t kDirectoryChars = 256;
constexpr size_t kBaseNameChars = 256;
constexpr size_t kExtensionChars = 256;
constexpr size_t kOutputPathChars = 260;

struct SplitPath {
    wchar_t drive[kDriveChars] = {};
    wchar_t directory[kDirectoryChars] = {};
    wchar_t baseName[kBaseNameChars] = {};
    wchar_t extension[kExtensionChars] = {};  // with its leading dot
};

// Splits path; false when a part does not fit its buffer.
bool SplitFilePath(const wchar_t* path, SplitPath& parts);

// Writes into output the first name "base.ext", "base (1).ext", "base (2).ext", ... in the
// parts' folder whose base is not yet taken under any extension: the engine may write its
// output with another extension than the source's, so "base (1).png" makes number 1 taken
// for a ".jpg" too (as does "base (1)" itself, or "base (1).tar.gz"). One listing of the
// folder decides. False when the chosen name does not fit its buffer, none up to number
// 10000 is free, or the folder cannot be listed.
bool FindFreeOutputPath(const SplitPath& parts, wchar_t (&output)[kOutputPathChars]);
