#pragma once
// What the handler asks of a selected file on disk.
#include <cstdint>
#include <string>

// True when anything (file or folder) exists at path, whether or not it can be read: a
// locked or denied file is still taken.
bool FileExists(const std::wstring& path);

// The file's length in bytes; 0 when it can't be opened for reading. A file beyond
// 2 GiB counts as INT32_MAX rather than wrapping to a negative length.
std::int32_t QueryFileLength(const std::wstring& path);
