#pragma once
// The size of a file to be converted, as the usage statistics count it.
#include <cstdint>
#include <string>

// The file's length in bytes; 0 when it can't be opened for reading. A file beyond
// 2 GiB counts as INT32_MAX rather than wrapping to a negative length.
std::int32_t QueryFileLength(const std::wstring& path);
