#include "common/crypt_hash.h"

namespace {

DWORD ProviderTypeFor(ALG_ID algorithm)
{
    return (algorithm == CALG_MD5 || algorithm == CALG_SHA1) ? PROV_RSA_FULL : PROV_RSA_AES;
}

}  // namespace

CCryptHash::CCryptHash(ALG_ID algorithm)
{
    Acquire(algorithm);
}

CCryptHash::~CCryptHash()
{
    Release();
}

void CCryptHash::Release()
{
    if (m_hash) {
        CryptDestroyHash(m_hash);
        m_hash = 0;
    }
    if (m_provider) {
        CryptReleaseContext(m_provider, 0);
        m_provider = 0;
    }
}

bool CCryptHash::Acquire(ALG_ID algorithm)
{
    Release();
    const DWORD type = ProviderTypeFor(algorithm);
    HCRYPTPROV provider = 0;
    // A verify-only context needs no key container. Where it is refused, fall back on a
    // persistent container of our own, creating it the first time.
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, type, CRYPT_VERIFYCONTEXT)
        && !CryptAcquireContextW(&provider, kFallbackContainer, nullptr, type, CRYPT_NEWKEYSET)) {
        if (GetLastError() != static_cast<DWORD>(NTE_EXISTS)
            || !CryptAcquireContextW(&provider, kFallbackContainer, nullptr, type, 0))
            return false;
    }
    m_provider = provider;
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(m_provider, algorithm, 0, 0, &hash))
        return false;
    m_hash = hash;
    return true;
}

bool CCryptHash::HashData(const BYTE* data, DWORD length)
{
    return m_hash && CryptHashData(m_hash, data, length, 0);
}

int CCryptHash::GetHashValue(BYTE* buffer, DWORD size)
{
    if (!m_hash || !CryptGetHashParam(m_hash, HP_HASHVAL, buffer, &size, 0))
        return -1;
    return static_cast<int>(size);
}
