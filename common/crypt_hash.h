#pragma once

#include <windows.h>
#include <wincrypt.h>

// One CryptoAPI hash object with the provider context it lives in, for one hashing on the
// stack. A failed acquisition leaves it empty: HashData then fails and GetHashValue gives -1.
class CCryptHash {
public:
    explicit CCryptHash(ALG_ID algorithm);
    ~CCryptHash();
    CCryptHash(const CCryptHash&) = delete;
    CCryptHash& operator=(const CCryptHash&) = delete;

    // Opens a provider suited to the algorithm and creates a hash object of it; true when the
    // hash object exists. Anything held before is released first.
    bool Acquire(ALG_ID algorithm);
    bool HashData(const BYTE* data, DWORD length);
    // Writes the digest into the buffer; the number of bytes written, or -1 on failure.
    int GetHashValue(BYTE* buffer, DWORD size);

    // The key container opened when a verify-only context cannot be had.
    static constexpr const wchar_t* kFallbackContainer = L"HashContainer";

private:
    void Release();

    HCRYPTPROV m_provider = 0;
    HCRYPTHASH m_hash = 0;
};
