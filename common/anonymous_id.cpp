#include "common/anonymous_id.h"

#include "common/crypt_hash.h"

#include <cpuid.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

namespace {

constexpr DWORD kMd5Size = 16;
constexpr DWORD kUserNameUnits = 256;
constexpr DWORD kInitialSidBytes = 32;
constexpr DWORD kInitialDomainUnits = 32;
// A well-behaved lookup needs two calls (one to learn the sizes); the cap keeps a lookup that
// keeps asking for more from looping on.
constexpr int kMaxLookupCalls = 8;

void SwapFirstByteWithFirstDifferent(BYTE* bytes, DWORD length)
{
    for (DWORD i = 1; i < length; ++i) {
        if (bytes[i] != bytes[0]) {
            std::swap(bytes[0], bytes[i]);
            return;
        }
    }
}

}  // namespace

std::wstring HashToHexString(BYTE* bytes, DWORD length)
{
    if (!bytes)
        length = 0;
    SwapFirstByteWithFirstDifferent(bytes, length);

    CCryptHash hash(CALG_MD5);
    hash.HashData(bytes, length);
    BYTE digest[kMd5Size] = {};
    const int obtained = hash.GetHashValue(digest, sizeof digest);
    const DWORD count = obtained < 0 ? 0 : std::min<DWORD>(static_cast<DWORD>(obtained), kMd5Size);

    std::wstring text;
    for (DWORD i = 0; i < count; ++i) {
        wchar_t entry[3];
        swprintf(entry, 3, L"%X", static_cast<unsigned>(digest[i]));
        text += entry;
    }
    return text;
}

std::wstring GetProcessorHash()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid_count(1, 0, eax, ebx, ecx, edx);
    // EAX in the low half, EDX in the high half of a little-endian 64-bit value.
    const uint32_t halves[2] = {eax, edx};
    BYTE bytes[sizeof halves];
    std::memcpy(bytes, halves, sizeof bytes);
    return HashToHexString(bytes, sizeof bytes);
}

std::vector<BYTE> LookupAccountSidBytes(const wchar_t* accountName, LookupAccountNameFunction lookup)
{
    std::vector<BYTE> sid(kInitialSidBytes, 0);
    std::vector<wchar_t> domain(kInitialDomainUnits, 0);
    for (int call = 0; call < kMaxLookupCalls; ++call) {
        DWORD sidSize = static_cast<DWORD>(sid.size());
        DWORD domainSize = static_cast<DWORD>(domain.size());
        SID_NAME_USE use;
        if (lookup(nullptr, accountName, sid.data(), &sidSize, domain.data(), &domainSize, &use)) {
            if (!IsValidSid(sid.data()))
                return {};
            // The size the lookup reports, never more than the buffer holds.
            sid.resize(std::min<size_t>(sidSize, sid.size()));
            return sid;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        bool grown = false;
        if (sidSize > sid.size()) {
            sid.assign(sidSize, 0);
            grown = true;
        }
        if (domainSize > domain.size()) {
            domain.assign(domainSize, 0);
            grown = true;
        }
        if (!grown)
            return {};
    }
    return {};
}

std::wstring GetUserSidHash()
{
    try {
        std::vector<wchar_t> userName(kUserNameUnits, 0);
        DWORD units = kUserNameUnits;
        if (!GetUserNameW(userName.data(), &units))
            return {};
        userName.back() = L'\0';
        std::vector<BYTE> sid = LookupAccountSidBytes(userName.data());
        if (sid.empty())
            return {};
        return HashToHexString(sid.data(), static_cast<DWORD>(sid.size()));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::wstring GetAnonymousId()
{
    std::wstring id;
    try {
        id = GetUserSidHash();
        id += GetProcessorHash();
    } catch (...) {
        id.clear();
    }
    return id;
}
