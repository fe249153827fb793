#include "common/crypt_hash.h"
#include "common/anonymous_id.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kProviderName[] = L"Plenzar Refusing Test Provider";
constexpr wchar_t kUserDefaultKey[] = L"Software\\Microsoft\\Cryptography\\Provider Type 001";
constexpr wchar_t kProviderKey[] =
    L"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\Plenzar Refusing Test Provider";

struct Request {
    DWORD flags;
    std::string container;
    bool operator==(const Request& other) const
    {
        return flags == other.flags && container == other.container;
    }
};

// Makes the refusing test provider the user's default for PROV_RSA_FULL while a test runs, so
// that a verify-only context is refused through the real CryptoAPI, and restores the prefix after.
class RefusingProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryW(testsupport::BesideProgram(L"refusing_csp.dll").c_str());
        ASSERT_NE(m_module, nullptr);
        m_count = reinterpret_cast<CountFunction>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "RecordedRequestCount")));
        m_request = reinterpret_cast<RequestFunction>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "RecordedRequest")));
        m_clear = reinterpret_cast<ClearFunction>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "ClearRecordedRequests")));
        ASSERT_TRUE(m_count && m_request && m_clear);

        const std::wstring image = testsupport::BesideProgram(L"refusing_csp.dll");
        const DWORD type = PROV_RSA_FULL, sigInFile = 0;
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProviderKey, L"Image Path", REG_SZ, image.c_str(),
                                  static_cast<DWORD>((image.size() + 1) * sizeof(wchar_t))), ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProviderKey, L"Type", REG_DWORD, &type, sizeof type),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProviderKey, L"SigInFile", REG_DWORD, &sigInFile,
                                  sizeof sigInFile), ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserDefaultKey, L"Name", REG_SZ, kProviderName,
                                  sizeof kProviderName), ERROR_SUCCESS);
        DeleteHashContainer();
    }

    void TearDown() override
    {
        DeleteHashContainer();
        RegDeleteTreeW(HKEY_CURRENT_USER, kUserDefaultKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProviderKey);
        if (m_module)
            FreeLibrary(m_module);
    }

    void CreateHashContainer()
    {
        HCRYPTPROV provider = 0;
        ASSERT_TRUE(CryptAcquireContextW(&provider, CCryptHash::kFallbackContainer, kProviderName,
                                         PROV_RSA_FULL, CRYPT_NEWKEYSET));
        CryptReleaseContext(provider, 0);
        m_clear();
    }

    void DeleteHashContainer()
    {
        HCRYPTPROV unused = 0;
        CryptAcquireContextW(&unused, CCryptHash::kFallbackContainer, kProviderName, PROV_RSA_FULL,
                             CRYPT_DELETEKEYSET);
        m_clear();
    }

    std::vector<Request> Requests()
    {
        std::vector<Request> requests;
        for (int i = 0; i < m_count(); ++i) {
            DWORD flags = 0;
            char container[64] = {};
            m_request(i, &flags, container, sizeof container);
            requests.push_back({flags, container});
        }
        return requests;
    }

    using CountFunction = int(WINAPI*)();
    using RequestFunction = BOOL(WINAPI*)(int, DWORD*, char*, int);
    using ClearFunction = void(WINAPI*)();
    HMODULE m_module = nullptr;
    CountFunction m_count = nullptr;
    RequestFunction m_request = nullptr;
    ClearFunction m_clear = nullptr;
};

TEST_F(RefusingProviderTest, AnExistingHashContainerIsOpenedOnTheThirdTry)
{
    CreateHashContainer();
    BYTE abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(HashToHexString(abc, 3), L"79EC16DF80B57696A03BB36441061F3");
    const std::vector<Request> expected = {
        {CRYPT_VERIFYCONTEXT, ""}, {CRYPT_NEWKEYSET, "HashContainer"}, {0, "HashContainer"}};
    EXPECT_EQ(Requests(), expected);
}

TEST_F(RefusingProviderTest, AMissingHashContainerIsCreatedOnTheSecondTry)
{
    CCryptHash hash(CALG_MD5);
    const BYTE bac[] = {'b', 'a', 'c'};
    EXPECT_TRUE(hash.HashData(bac, 3));
    BYTE digest[16] = {};
    EXPECT_EQ(hash.GetHashValue(digest, sizeof digest), 16);
    const std::vector<Request> expected = {{CRYPT_VERIFYCONTEXT, ""}, {CRYPT_NEWKEYSET, "HashContainer"}};
    EXPECT_EQ(Requests(), expected);
}

TEST(CryptHash, WithoutAHashObjectNothingHashesAndNoDigestIsRead)
{
    // An algorithm id that no provider knows: the context is had but no hash object.
    CCryptHash hash(0);
    const BYTE data[] = {1, 2, 3};
    EXPECT_FALSE(hash.HashData(data, 3));
    BYTE digest[16] = {};
    EXPECT_EQ(hash.GetHashValue(digest, sizeof digest), -1);
}

TEST(CryptHash, WithNoProviderAtAllTheHashesAndTheIdAreEmpty)
{
    // The user's default provider names one that is not installed: every try fails.
    constexpr wchar_t kMissing[] = L"Plenzar Missing Provider";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserDefaultKey, L"Name", REG_SZ, kMissing, sizeof kMissing),
              ERROR_SUCCESS);
    BYTE abc[] = {'a', 'b', 'c'};
    const std::wstring hex = HashToHexString(abc, 3);
    const std::wstring id = GetAnonymousId();
    RegDeleteTreeW(HKEY_CURRENT_USER, kUserDefaultKey);
    EXPECT_EQ(hex, L"");
    EXPECT_EQ(id, L"");
}

}  // namespace
