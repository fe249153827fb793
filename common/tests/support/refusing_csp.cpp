// A cryptographic service provider for tests: it refuses verify-only contexts and hands every
// other request to Wine's RSA provider (the remaining entries are forwarded in the .def file).
// It records the flags and container of every context request, for the test to read back.
#include <windows.h>
#include <wincrypt.h>

#include <cstring>

namespace {

// The callback table that the CryptoAPI hands to a provider.
struct ProviderCallbacks {
    DWORD version;
    FARPROC verifyImage;
    FARPROC returnWindow;
    DWORD providerType;
    BYTE* contextInfo;
    DWORD contextInfoSize;
    LPSTR providerName;
};

using AcquireContextFunction = BOOL(WINAPI*)(HCRYPTPROV*, LPSTR, DWORD, ProviderCallbacks*);

constexpr int kMaxRecorded = 16;
constexpr int kContainerChars = 64;
int g_requestCount = 0;
DWORD g_requestFlags[kMaxRecorded];
char g_requestContainers[kMaxRecorded][kContainerChars];
ProviderCallbacks g_forwardedCallbacks;

void Record(LPCSTR container, DWORD flags)
{
    if (g_requestCount >= kMaxRecorded)
        return;
    g_requestFlags[g_requestCount] = flags;
    lstrcpynA(g_requestContainers[g_requestCount], container ? container : "", kContainerChars);
    ++g_requestCount;
}

}  // namespace

extern "C" BOOL WINAPI CPAcquireContext(HCRYPTPROV* provider, LPSTR container, DWORD flags,
                                        ProviderCallbacks* callbacks)
{
    Record(container, flags);
    if (flags & CRYPT_VERIFYCONTEXT) {
        SetLastError(static_cast<DWORD>(NTE_BAD_FLAGS));
        return FALSE;
    }
    HMODULE rsa = LoadLibraryW(L"rsaenh.dll");
    auto acquire = rsa ? reinterpret_cast<AcquireContextFunction>(
                             reinterpret_cast<void*>(GetProcAddress(rsa, "CPAcquireContext")))
                       : nullptr;
    if (!acquire) {
        SetLastError(static_cast<DWORD>(NTE_PROVIDER_DLL_FAIL));
        return FALSE;
    }
    // The RSA provider chooses its behaviour by provider name; present ourselves as one it knows.
    g_forwardedCallbacks = *callbacks;
    g_forwardedCallbacks.providerName = const_cast<LPSTR>(MS_ENHANCED_PROV_A);
    return acquire(provider, container, flags, &g_forwardedCallbacks);
}

// Test side: how many context requests came, and the flags and container of one of them.
extern "C" int WINAPI RecordedRequestCount()
{
    return g_requestCount;
}

extern "C" BOOL WINAPI RecordedRequest(int index, DWORD* flags, char* container, int containerChars)
{
    if (index < 0 || index >= g_requestCount || containerChars <= 0)
        return FALSE;
    *flags = g_requestFlags[index];
    lstrcpynA(container, g_requestContainers[index], containerChars);
    return TRUE;
}

extern "C" void WINAPI ClearRecordedRequests()
{
    g_requestCount = 0;
}
