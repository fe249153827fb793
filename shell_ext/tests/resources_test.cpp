// What the library file carries besides code: version, manifest, scripts, type library.
#include "shell_server.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Resources, VersionManifestScriptsAndTypeLibrary)
{
    ShellServer server;
    ASSERT_TRUE(server.Loaded());
    const std::wstring& path = server.Path();
    DWORD handle = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &handle));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    struct Translation { WORD language, codePage; }* translation = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    EXPECT_EQ(0x0409, translation->language);
    EXPECT_EQ(1200, translation->codePage);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text), &size));
    EXPECT_STREQ(L"2.1.0.2", text);
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductName", reinterpret_cast<void**>(&text), &size));
    EXPECT_STREQ(L"PlenzarFile", text);

    HMODULE module = GetModuleHandleW(path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24))) << "manifest 2";
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(101), L"REGISTRY"));
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(106), L"REGISTRY"));

    ITypeLib* lib = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(kLibIdShellExt, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    EXPECT_EQ(0u, attr->lcid);
    // Built for the module's own bitness (the tests also run a 64-bit build of the handler).
    EXPECT_EQ(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, attr->syskind);
    lib->ReleaseTLibAttr(attr);
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(kClsidShellExt, &coclass));
    TYPEATTR* typeAttr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&typeAttr));
    EXPECT_EQ(TKIND_COCLASS, typeAttr->typekind);
    EXPECT_TRUE(typeAttr->wTypeFlags & TYPEFLAG_FCANCREATE);
    coclass->ReleaseTypeAttr(typeAttr);
    coclass->Release();
    lib->Release();
}

}  // namespace
