// Self-registration through DllRegisterServer/DllUnregisterServer and DllInstall.
#include "shell_server.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kClassKey = L"CLSID\\" + GuidText(kClsidShellExt);
const std::wstring kMachineClasses = L"Software\\Classes\\";
const std::wstring kUserClasses = L"Software\\Classes\\";
const std::wstring kTypeLibKey = L"TypeLib\\" + GuidText(kLibIdShellExt);
constexpr LCID kCallerLocale = 0x0407;

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Loaded());
        CleanUp();
        ASSERT_TRUE(SetThreadLocale(kCallerLocale));
    }
    void TearDown() override { CleanUp(); }

    static void CleanUp()
    {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            DeleteKeyTree(root, kMachineClasses + kClassKey);
            DeleteKeyTree(root, kMachineClasses + kTypeLibKey);
        }
    }

    // Exactly the keys and values of the class script, under root\base.
    void ExpectClassKeys(HKEY root, const std::wstring& base) const
    {
        const std::wstring key = base + kClassKey;
        std::wstring value;
        ASSERT_TRUE(ReadString(root, key, nullptr, value)) << "no class key";
        EXPECT_EQ(L"PlenzarFileShellExt Class", value);
        EXPECT_EQ(1u, ValueCount(root, key));
        EXPECT_EQ(3u, SubkeyCount(root, key));

        ASSERT_TRUE(ReadString(root, key + L"\\InprocServer32", nullptr, value));
        EXPECT_EQ(0, _wcsicmp(server.Path().c_str(), value.c_str())) << value;
        ASSERT_TRUE(ReadString(root, key + L"\\InprocServer32", L"ThreadingModel", value));
        EXPECT_EQ(L"Apartment", value);
        EXPECT_EQ(2u, ValueCount(root, key + L"\\InprocServer32"));
        ASSERT_TRUE(ReadString(root, key + L"\\TypeLib", nullptr, value));
        EXPECT_EQ(L"{8AD3DFFA-3D92-4D92-A683-9D959BAB3C22}", value);
        ASSERT_TRUE(ReadString(root, key + L"\\Version", nullptr, value));
        EXPECT_EQ(L"1.0", value);
        for (const wchar_t* leaf : {L"\\InprocServer32", L"\\TypeLib", L"\\Version"})
            EXPECT_EQ(0u, SubkeyCount(root, key + leaf)) << leaf;
    }

    ShellServer server;
};

TEST_F(RegistrationTest, RegisterWritesClassKeyAndTypeLibraryAndUnregisterRemovesThem)
{
    ASSERT_EQ(S_OK, server.RegisterServer());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    ExpectClassKeys(HKEY_CLASSES_ROOT, L"");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kClassKey));

    ITypeLib* lib = nullptr;
    ASSERT_EQ(S_OK, LoadRegTypeLib(kLibIdShellExt, 1, 0, 0, &lib));
    ITypeInfo* info = nullptr;
    EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(kClsidShellExt, &info));
    if (info) info->Release();
    lib->Release();

    ASSERT_EQ(S_OK, server.UnregisterServer());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID")) << "CLSID itself is never removed";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
}

TEST_F(RegistrationTest, RegisteringAgainReplacesWhatAnOlderVersionLeft)
{
    ASSERT_EQ(S_OK, server.RegisterServer());
    HKEY stale = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, (kClassKey + L"\\ProgID").c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &stale, nullptr));
    RegCloseKey(stale);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CLASSES_ROOT, kClassKey.c_str(), L"Old", REG_SZ, L"x", 4));

    ASSERT_EQ(S_OK, server.RegisterServer());
    ExpectClassKeys(HKEY_CLASSES_ROOT, L"");
    ASSERT_EQ(S_OK, server.UnregisterServer());
}

TEST_F(RegistrationTest, InstallForUserWritesUnderTheUsersClassesAndUninstallRemovesIt)
{
    ASSERT_EQ(S_OK, server.Install(TRUE, L"USER"));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    ExpectClassKeys(HKEY_CURRENT_USER, kUserClasses);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kClassKey));
    // Wine's per-user type library registration writes machine-wide; either place counts.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kTypeLibKey) ||
                KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kTypeLibKey));

    ASSERT_EQ(S_OK, server.Install(FALSE, L"user"));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kTypeLibKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kTypeLibKey));
}

TEST_F(RegistrationTest, OnlyTheExactWordUserSwitchesToPerUser)
{
    for (const wchar_t* commandLine : {L"user ", L"users", L"use", L"", static_cast<const wchar_t*>(nullptr)}) {
        ASSERT_EQ(S_OK, server.Install(TRUE, commandLine));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kClassKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kClassKey));
        ASSERT_EQ(S_OK, server.Install(FALSE, commandLine));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kClassKey));
    }
}

// A volatile CLSID key under the user's classes refuses the class key (a volatile key
// takes no lasting subkeys), so the class script fails half-way.
TEST_F(RegistrationTest, FailedInstallRemovesWhatItWroteAndRestoresTheLocale)
{
    const std::wstring clsidKey = kUserClasses + L"CLSID";
    if (SubkeyCount(HKEY_CURRENT_USER, clsidKey) > 0 || ValueCount(HKEY_CURRENT_USER, clsidKey) > 0)
        GTEST_SKIP() << "the prefix already has per-user classes";
    DeleteKeyTree(HKEY_CURRENT_USER, clsidKey);
    HKEY volatileKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, clsidKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_WRITE, nullptr, &volatileKey, nullptr));
    RegCloseKey(volatileKey);

    const HRESULT hr = server.Install(TRUE, L"user");
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + kClassKey));
    DeleteKeyTree(HKEY_CURRENT_USER, clsidKey);
}

}  // namespace
