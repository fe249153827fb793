// Self-registration through DllRegisterServer/DllUnregisterServer and DllInstall: the
// class script's keys, Outlook's Addins key, the type library, the caller's locale.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "mail_server.h"
#include "tests/outlook_double/addin_host.h"

namespace mail_server {
namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClassKey = L"CLSID\\" + GuidText(kClsidConnect);
const std::wstring kTypeLibKey = L"TypeLib\\" + GuidText(kLibId);
const std::wstring kAddinsKey = L"Software\\Microsoft\\Office\\Outlook\\Addins";
const std::wstring kAddinKey = kAddinsKey + L"\\PlenzarMail.Connect";
constexpr LCID kCallerLocale = 0x0407;

std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name = nullptr)
{
    std::wstring text;
    return testsupport::ReadString(root, path, name, text) ? text : L"<missing>";
}

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
            for (const std::wstring& key : {kClassKey, kTypeLibKey, std::wstring(kProgId),
                                            std::wstring(kProgId) + L".1"})
                RegDeleteTreeW(root, (kClasses + key).c_str());
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kAddinKey.c_str());
    }

    // Every key and value of the class script under root\base, and nothing else.
    void ExpectClassKeys(HKEY root, const std::wstring& base) const
    {
        const std::wstring versioned = base + L"PlenzarMail.Connect.1";
        EXPECT_EQ(L"Connect Class", Text(root, versioned));
        EXPECT_EQ(GuidText(kClsidConnect), Text(root, versioned + L"\\CLSID"));
        EXPECT_EQ(1u, SubkeyCount(root, versioned));

        const std::wstring independent = base + L"PlenzarMail.Connect";
        EXPECT_EQ(L"Connect Class", Text(root, independent));
        EXPECT_EQ(L"PlenzarMail.Connect.1", Text(root, independent + L"\\CurVer"));
        EXPECT_EQ(1u, SubkeyCount(root, independent));

        const std::wstring key = base + kClassKey;
        EXPECT_EQ(L"Connect Class", Text(root, key));
        EXPECT_EQ(1u, ValueCount(root, key));
        EXPECT_EQ(6u, SubkeyCount(root, key));
        EXPECT_EQ(L"PlenzarMail.Connect.1", Text(root, key + L"\\ProgID"));
        EXPECT_EQ(L"PlenzarMail.Connect", Text(root, key + L"\\VersionIndependentProgID"));
        EXPECT_TRUE(KeyExists(root, key + L"\\Programmable"));
        EXPECT_EQ(0u, ValueCount(root, key + L"\\Programmable"));
        EXPECT_EQ(0, _wcsicmp(server.Path().c_str(), Text(root, key + L"\\InprocServer32").c_str()));
        EXPECT_EQ(L"Apartment", Text(root, key + L"\\InprocServer32", L"ThreadingModel"));
        EXPECT_EQ(2u, ValueCount(root, key + L"\\InprocServer32"));
        EXPECT_EQ(GuidText(kLibId), Text(root, key + L"\\TypeLib"));
        EXPECT_EQ(L"1.0", Text(root, key + L"\\Version"));
    }

    // Outlook's key for the add-in: exactly its three values.
    static void ExpectAddinKey()
    {
        outlook_double::AddinKey key;
        ASSERT_EQ(S_OK, outlook_double::ReadAddinKey(kProgId, &key));
        EXPECT_EQ(L"PlenzarMail Addin", key.description);
        EXPECT_EQ(L"PlenzarMail Addin", key.friendlyName);
        EXPECT_EQ(3u, key.loadBehavior);
        EXPECT_EQ(3u, ValueCount(HKEY_CURRENT_USER, kAddinKey));
        EXPECT_EQ(0u, SubkeyCount(HKEY_CURRENT_USER, kAddinKey));
    }

    // The keys that unregistration must leave in place.
    static void ExpectKeptKeys()
    {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinsKey));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    }

    MailServer server;
};

TEST_F(RegistrationTest, RegisterWritesTheClassScriptTheAddinKeyAndTheTypeLibraryUnderTheCallersLocale)
{
    ASSERT_EQ(S_OK, server.RegisterServer());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    ExpectClassKeys(HKEY_CLASSES_ROOT, L"");
    ExpectAddinKey();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kClassKey));

    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadRegTypeLib(kLibId, 1, 0, 0, &library));
    BSTR help = nullptr;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, nullptr, &help, nullptr, nullptr));
    EXPECT_STREQ(L"PlenzarMail Addin 1.0 Type Library", help);
    SysFreeString(help);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(kClsidConnect, &info));
    info->Release();
    EXPECT_EQ(TYPE_E_ELEMENTNOTFOUND, library->GetTypeInfoOfGuid(kIidConnect, &info))
        << "the primary interface is not in the type library";
    library->Release();

    ASSERT_EQ(S_OK, server.UnregisterServer());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    for (const std::wstring& key : {kClassKey, kTypeLibKey, std::wstring(kProgId), std::wstring(kProgId) + L".1"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key.c_str();
    ExpectKeptKeys();
}

TEST_F(RegistrationTest, InstallForUserWritesClassesUnderTheUserAndTheAddinKeyAndUninstallRemovesThem)
{
    ASSERT_EQ(S_OK, server.Install(TRUE, L"USER"));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    ExpectClassKeys(HKEY_CURRENT_USER, kClasses);
    ExpectAddinKey();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + kProgId));
    // Wine's per-user type library registration writes machine-wide; either place counts.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kClasses + kTypeLibKey) ||
                KeyExists(HKEY_LOCAL_MACHINE, kClasses + kTypeLibKey));

    ASSERT_EQ(S_OK, server.Install(FALSE, L"user"));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kTypeLibKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + kTypeLibKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinsKey));
}

TEST_F(RegistrationTest, OnlyTheWholeWordUserInAnyCaseSwitchesToPerUser)
{
    for (const wchar_t* commandLine : {L"user ", L"users", L"use", L"", static_cast<const wchar_t*>(nullptr)}) {
        ASSERT_EQ(S_OK, server.Install(TRUE, commandLine));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + kClassKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kClassKey));
        ExpectAddinKey();
        ASSERT_EQ(S_OK, server.Install(FALSE, commandLine));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + kClassKey));
        ExpectKeptKeys();
    }
}

// A volatile CLSID key under the user's classes refuses the class key (a volatile key
// takes no lasting subkeys), so the class script fails half-way.
TEST_F(RegistrationTest, AFailedInstallRemovesWhatItWroteReturnsTheFailureAndRestoresTheLocale)
{
    const std::wstring clsidKey = kClasses + L"CLSID";
    if (SubkeyCount(HKEY_CURRENT_USER, clsidKey) > 0 || ValueCount(HKEY_CURRENT_USER, clsidKey) > 0)
        GTEST_SKIP() << "the prefix already has per-user classes";
    RegDeleteTreeW(HKEY_CURRENT_USER, clsidKey.c_str());
    HKEY volatileKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, clsidKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_WRITE, nullptr, &volatileKey, nullptr));
    RegCloseKey(volatileKey);

    const HRESULT hr = server.Install(TRUE, L"user");
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    RegDeleteTreeW(HKEY_CURRENT_USER, clsidKey.c_str());
}

}  // namespace
}  // namespace mail_server
