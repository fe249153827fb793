#include "common/anonymous_id.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>
#include <cpuid.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const char* text)
{
    return std::vector<BYTE>(text, text + std::strlen(text));
}

// MD5 through the other crypto API of the platform, written one "%X" entry per byte: an
// oracle independent of the code under test.
std::wstring ReferenceHex(const std::vector<BYTE>& data)
{
    BYTE digest[16] = {};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    EXPECT_EQ(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0), 0);
    BCRYPT_HASH_HANDLE hash = nullptr;
    EXPECT_EQ(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(BCryptHashData(hash, const_cast<BYTE*>(data.data()), static_cast<ULONG>(data.size()), 0), 0);
    EXPECT_EQ(BCryptFinishHash(hash, digest, sizeof digest, 0), 0);
    BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    std::wstring text;
    for (BYTE b : digest) {
        wchar_t entry[3];
        swprintf(entry, 3, L"%X", static_cast<unsigned>(b));
        text += entry;
    }
    return text;
}

// The id's rule before hashing, applied to a copy: the first byte trades places with the
// first later byte that differs from it.
std::wstring ReferenceIdHex(std::vector<BYTE> data)
{
    for (size_t i = 1; i < data.size(); ++i) {
        if (data[i] != data[0]) {
            std::swap(data[0], data[i]);
            break;
        }
    }
    return ReferenceHex(data);
}

TEST(HashToHexString, SwapsTheCallersBufferBeforeHashingAndWritesSmallBytesAsOneDigit)
{
    std::vector<BYTE> buffer = Bytes("abc");
    EXPECT_EQ(HashToHexString(buffer.data(), 3), L"79EC16DF80B57696A03BB36441061F3");
    EXPECT_EQ(buffer, Bytes("bac"));
}

TEST(HashToHexString, SwapsWithTheFirstDifferingByteAndHashesTheSwappedBuffer)
{
    std::vector<BYTE> buffer = {7, 7, 7, 9, 9, 1};
    EXPECT_EQ(HashToHexString(buffer.data(), static_cast<DWORD>(buffer.size())),
              ReferenceHex({9, 7, 7, 7, 9, 1}));
    EXPECT_EQ(buffer, (std::vector<BYTE>{9, 7, 7, 7, 9, 1}));
}

TEST(HashToHexString, BuffersOfEqualBytesOrOneByteAreHashedUnchanged)
{
    for (const std::vector<BYTE>& original :
         {std::vector<BYTE>(16, 0), std::vector<BYTE>(5, 0xAB), std::vector<BYTE>{0x42}}) {
        std::vector<BYTE> buffer = original;
        EXPECT_EQ(HashToHexString(buffer.data(), static_cast<DWORD>(buffer.size())),
                  ReferenceHex(original));
        EXPECT_EQ(buffer, original);
    }
    EXPECT_EQ(HashToHexString(nullptr, 0), ReferenceHex({}));
}

TEST(HashToHexString, DigestBytesBelowSixteenGiveOneDigitSoLengthsDiffer)
{
    // Over many inputs, the texts match the oracle and their lengths vary with the digests.
    bool sawShort = false, sawFull = false;
    for (unsigned seed = 0; seed < 64; ++seed) {
        std::vector<BYTE> input = {static_cast<BYTE>(seed), static_cast<BYTE>(seed * 7 + 1), 3};
        std::vector<BYTE> buffer = input;
        std::wstring text = HashToHexString(buffer.data(), static_cast<DWORD>(buffer.size()));
        EXPECT_EQ(text, ReferenceIdHex(input));
        EXPECT_GE(text.size(), 16u);
        EXPECT_LE(text.size(), 32u);
        EXPECT_EQ(text.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
        (text.size() < 32 ? sawShort : sawFull) = true;
    }
    EXPECT_TRUE(sawShort);
    EXPECT_TRUE(sawFull);
}

// CPUID leaf 1 as the test reads it itself: EAX, then EDX, each little-endian.
std::vector<BYTE> ProcessorBytes()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    EXPECT_TRUE(__get_cpuid(1, &eax, &ebx, &ecx, &edx));
    std::vector<BYTE> bytes(8);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<BYTE>(eax >> (8 * i));
        bytes[4 + i] = static_cast<BYTE>(edx >> (8 * i));
    }
    return bytes;
}

TEST(ProcessorHash, HashesCpuidLeafOneEaxThenEdxLittleEndian)
{
    EXPECT_EQ(GetProcessorHash(), ReferenceIdHex(ProcessorBytes()));
}

std::vector<BYTE> CurrentUserSid()
{
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    EXPECT_TRUE(GetTokenInformation(token, TokenUser, info.data(), size, &size));
    CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

TEST(UserSidHash, IsTheHashOfTheProcessUsersSid)
{
    const std::vector<BYTE> sid = CurrentUserSid();
    ASSERT_FALSE(sid.empty());
    EXPECT_EQ(GetUserSidHash(), ReferenceIdHex(sid));
}

TEST(AnonymousId, IsTheSidHashFollowedByTheProcessorHash)
{
    const std::vector<BYTE> sid = CurrentUserSid();
    ASSERT_FALSE(sid.empty());
    EXPECT_EQ(GetAnonymousId(), ReferenceIdHex(sid) + ReferenceIdHex(ProcessorBytes()));
}

// A scripted account lookup: each call is answered by the next step of the script.
struct LookupStep {
    BOOL result;
    DWORD error;
    DWORD reportedSidSize;
    DWORD reportedDomainUnits;
    std::vector<BYTE> sidWritten;  // written when it fits the buffer given
};

std::vector<LookupStep> g_script;
std::vector<std::pair<DWORD, DWORD>> g_buffersSeen;  // SID bytes, domain units per call

BOOL WINAPI ScriptedLookup(LPCWSTR system, LPCWSTR account, PSID sid, LPDWORD sidSize,
                           LPWSTR domain, LPDWORD domainUnits, PSID_NAME_USE use)
{
    EXPECT_EQ(system, nullptr);
    EXPECT_STREQ(account, L"someone");
    g_buffersSeen.emplace_back(*sidSize, *domainUnits);
    const LookupStep& step = g_script[std::min(g_buffersSeen.size(), g_script.size()) - 1];
    if (!step.sidWritten.empty() && step.sidWritten.size() <= *sidSize)
        std::memcpy(sid, step.sidWritten.data(), step.sidWritten.size());
    if (*domainUnits > 0)
        domain[0] = L'\0';
    *use = SidTypeUser;
    *sidSize = step.reportedSidSize;
    *domainUnits = step.reportedDomainUnits;
    SetLastError(step.error);
    return step.result;
}

std::vector<BYTE> SidWithSubAuthorities(BYTE count)
{
    std::vector<BYTE> sid(8 + 4 * count, 0);
    sid[0] = 1;                // revision
    sid[1] = count;            // sub-authority count
    sid[7] = 5;                // NT authority
    for (size_t i = 8; i < sid.size(); ++i)
        sid[i] = static_cast<BYTE>(i);
    return sid;
}

class AccountLookup : public ::testing::Test {
protected:
    std::vector<BYTE> Run(std::vector<LookupStep> script)
    {
        g_script = std::move(script);
        g_buffersSeen.clear();
        return LookupAccountSidBytes(L"someone", ScriptedLookup);
    }
};

TEST_F(AccountLookup, GrowsBothBuffersToTheAskedSizesAndRetries)
{
    const std::vector<BYTE> longSid = SidWithSubAuthorities(9);  // 44 bytes
    const std::vector<BYTE> result = Run({
        {FALSE, ERROR_INSUFFICIENT_BUFFER, 44, 40, {}},
        {TRUE, 0, 44, 39, longSid},
    });
    EXPECT_EQ(result, longSid);
    ASSERT_EQ(g_buffersSeen.size(), 2u);
    EXPECT_EQ(g_buffersSeen[0], std::make_pair(DWORD{32}, DWORD{32}));
    EXPECT_EQ(g_buffersSeen[1], std::make_pair(DWORD{44}, DWORD{40}));
}

TEST_F(AccountLookup, AnInsufficientBufferWithoutALargerSizeEndsAtOnce)
{
    EXPECT_TRUE(Run({{FALSE, ERROR_INSUFFICIENT_BUFFER, 32, 32, {}}}).empty());
    EXPECT_EQ(g_buffersSeen.size(), 1u);
    EXPECT_TRUE(Run({{FALSE, ERROR_INSUFFICIENT_BUFFER, 8, 0, {}}}).empty());
    EXPECT_EQ(g_buffersSeen.size(), 1u);
}

TEST_F(AccountLookup, ALookupThatAlwaysAsksForMoreIsCutOff)
{
    std::vector<LookupStep> script;
    for (DWORD i = 1; i <= 100; ++i)
        script.push_back({FALSE, ERROR_INSUFFICIENT_BUFFER, 32 + i, 32 + i, {}});
    EXPECT_TRUE(Run(script).empty());
    EXPECT_LE(g_buffersSeen.size(), 8u);
}

TEST_F(AccountLookup, OtherFailuresGiveNoSidRatherThanAZeroFilledOne)
{
    EXPECT_TRUE(Run({{FALSE, ERROR_NONE_MAPPED, 32, 32, {}}}).empty());
    // Success with a SID that is not valid is no SID either.
    EXPECT_TRUE(Run({{TRUE, 0, 32, 32, {}}}).empty());
}

TEST_F(AccountLookup, ASuccessReportingMoreThanTheBufferIsClampedToTheBuffer)
{
    const std::vector<BYTE> sid = SidWithSubAuthorities(2);  // 16 bytes
    const std::vector<BYTE> result = Run({{TRUE, 0, 1000, 8, sid}});
    ASSERT_EQ(result.size(), 32u);
    EXPECT_TRUE(std::equal(sid.begin(), sid.end(), result.begin()));
}

}  // namespace
