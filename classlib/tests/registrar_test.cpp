// The registrar run on scripts against keys of this test process's own.
#include "classlib/registrar.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Unique(const wchar_t* prefix) { return prefix + std::to_wstring(GetCurrentProcessId()); }

bool Exists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring String(HKEY root, const std::wstring& path, const wchar_t* name)
{
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return L"<none>";
    return buffer;
}

class RegistrarTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, base.c_str());
    }
    // A script whose keys all live under base.
    std::wstring Script(const std::wstring& body) const
    {
        return L"HKCU\n{\n NoRemove Software\n {\n  " + leaf + L"\n  {\n" + body + L"\n  }\n }\n}\n";
    }

    const std::wstring leaf = Unique(L"PlenzarRegistrarTest");
    const std::wstring base = L"Software\\" + leaf;
    CRegistrar registrar;
};

TEST_F(RegistrarTest, WritesKeysAndValuesOfEveryKindWithReplacements)
{
    registrar.AddReplacement(L"MODULE", L"C:\\dir with blank\\x.dll");
    const std::wstring script = Script(
        L"'Key With Blank' = s 'it''s %MODULE%'\n"
        L"{\n val Number = d '0x2A'\n val Bytes = b '01FF'\n val Percent = s '100%%'\n}\n"
        L"{6F1C0D7E-0000-4000-8000-000000000001} = s 'Guid'\n");
    ASSERT_EQ(S_OK, registrar.StringRegister(script));

    const std::wstring key = base + L"\\Key With Blank";
    EXPECT_EQ(L"it's C:\\dir with blank\\x.dll", String(HKEY_CURRENT_USER, key, nullptr));
    EXPECT_EQ(L"100%", String(HKEY_CURRENT_USER, key, L"Percent"));
    DWORD number = 0, size = sizeof(number);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Number", RRF_RT_REG_DWORD, nullptr, &number, &size));
    EXPECT_EQ(42u, number);
    BYTE bytes[4] = {};
    size = sizeof(bytes);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Bytes", RRF_RT_REG_BINARY, nullptr, bytes, &size));
    EXPECT_EQ(2u, size);
    EXPECT_EQ(0xFF, bytes[1]);
    EXPECT_EQ(L"Guid", String(HKEY_CURRENT_USER, base + L"\\{6F1C0D7E-0000-4000-8000-000000000001}", nullptr));

    ASSERT_EQ(S_OK, registrar.StringUnregister(script));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base)) << "plain keys go once empty";
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software"));
}

TEST_F(RegistrarTest, RemovalRules)
{
    const std::wstring script = Script(
        L"NoRemove Kept { val Named = s 'v' }\n"
        L"ForceRemove Forced = s 'new'\n"
        L"Delete Doomed\n"
        L"Shared\n");
    HKEY key = nullptr;
    for (const wchar_t* path : {L"\\Forced\\Stale", L"\\Doomed\\Child", L"\\Shared\\Foreign"}) {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (base + path).c_str(), 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, &key, nullptr));
        RegCloseKey(key);
    }

    ASSERT_EQ(S_OK, registrar.StringRegister(script));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base + L"\\Forced\\Stale")) << "ForceRemove rewrites the key";
    EXPECT_EQ(L"new", String(HKEY_CURRENT_USER, base + L"\\Forced", nullptr));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base + L"\\Doomed")) << "Delete removes on registration";

    ASSERT_EQ(S_OK, registrar.StringUnregister(script));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, base + L"\\Kept"));
    EXPECT_EQ(L"<none>", String(HKEY_CURRENT_USER, base + L"\\Kept", L"Named")) << "its listed values go";
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base + L"\\Forced"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, base + L"\\Shared\\Foreign")) << "a key with others' subkeys stays";
}

TEST_F(RegistrarTest, PerUserModeMapsTheClassesRoot)
{
    const std::wstring name = Unique(L"PlenzarRegistrarTest.");
    const std::wstring script = L"HKCR\n{\n ForceRemove " + name + L" = s 'x'\n}\n";
    registrar.SetPerUser(true);
    ASSERT_EQ(S_OK, registrar.StringRegister(script));
    EXPECT_EQ(L"x", String(HKEY_CURRENT_USER, L"Software\\Classes\\" + name, nullptr));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + name));
    ASSERT_EQ(S_OK, registrar.StringUnregister(script));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\" + name));
}

TEST_F(RegistrarTest, BadScriptsWriteNothing)
{
    for (const std::wstring body : {L"A = s '%UNKNOWN%'", L"A = s 'unterminated", L"A = q 'type'", L"val = s 'x'",
                                    L"A { B", L"A = d 'twelve'"}) {
        EXPECT_EQ(DISP_E_EXCEPTION, registrar.StringRegister(Script(body))) << std::string(body.begin(), body.end());
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base));
    }
    EXPECT_EQ(DISP_E_EXCEPTION, registrar.StringRegister(L"HKXX\n{\n}\n"));
}

}  // namespace
