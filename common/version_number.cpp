#include "common/version_number.h"

#include <climits>

namespace {

bool IsScannerSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One "%d" at position; advances position past it only when a number in range was read.
bool ReadNumber(const char*& position, int& number)
{
    const char* p = position;
    while (IsScannerSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!IsDigit(*p))
        return false;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit)
            return false;
    }
    number = static_cast<int>(negative ? -magnitude : magnitude);
    position = p;
    return true;
}

} // namespace

int ReadVersionNumber(const char* text, VersionNumber& version)
{
    if (!text)
        return 0;
    const char* position = text;
    int count = 0;
    while (count < 4) {
        if (count > 0) {
            if (*position != '.')
                break;
            ++position;
        }
        if (!ReadNumber(position, version.parts[count]))
            break;
        ++count;
    }
    return count;
}

bool IsNewerVersion(const VersionNumber& candidate, const VersionNumber& current)
{
    for (int i = 0; i < 4; ++i) {
        if (candidate.parts[i] != current.parts[i])
            return candidate.parts[i] > current.parts[i];
    }
    return false;
}
