#include "common/source_file.h"

#include <cstdio>
#include <limits>

std::int32_t QueryFileLength(const std::wstring& path)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return 0;
    long long length = 0;
    if (_fseeki64(file, 0, SEEK_END) == 0) length = _ftelli64(file);
    std::fclose(file);
    if (length < 0) return 0;
    constexpr long long kLargest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(length > kLargest ? kLargest : length);
}
