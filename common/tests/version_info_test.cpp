#include "common/version_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct LibraryDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter>;

Library LoadProbe(const wchar_t* name)
{
    Library library(LoadLibraryW(name));
    EXPECT_NE(library, nullptr) << "cannot load the test DLL";
    return library;
}

std::string VersionOfModule(HMODULE module)
{
    CFileVersionInfo info;
    info.CreateFromModule(module);
    return FormatProductVersion(info);
}

TEST(FileVersionInfo, ReadsTheProductVersionNotTheFileVersion)
{
    Library probe = LoadProbe(L"version_probe_1004.dll");
    CFileVersionInfo info;
    ASSERT_TRUE(info.CreateFromModule(probe.get()));
    EXPECT_EQ(info.FixedInfo().dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.FixedInfo().dwProductVersionLS, 0x00000004u);
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x00090008u);
    ASSERT_EQ(info.TranslationCount(), 1u);
    EXPECT_EQ(info.Translations()[0], MAKELONG(0x409, 1200));
    EXPECT_EQ(FormatProductVersion(info), "1.0.0.4");

    Library wide = LoadProbe(L"version_probe_1210300.dll");
    EXPECT_EQ(VersionOfModule(wide.get()), "1.2.10.300");
}

TEST(FileVersionInfo, ResourceWithoutTranslationTableCountsAsNoVersion)
{
    Library probe = LoadProbe(L"version_probe_no_translation.dll");
    CFileVersionInfo info;
    EXPECT_FALSE(info.CreateFromModule(probe.get()));
    EXPECT_FALSE(info.IsValid());
    EXPECT_EQ(info.FixedInfo().dwSignature, 0u);
    EXPECT_EQ(info.Translations(), nullptr);
    EXPECT_EQ(FormatProductVersion(info), "");
}

TEST(FileVersionInfo, ReuseStartsAfreshAndBadInputGivesNoVersion)
{
    Library probe = LoadProbe(L"version_probe_1004.dll");
    CFileVersionInfo info;
    ASSERT_TRUE(info.CreateFromModule(probe.get()));
    // A null path leaves the object as it was; a file without a resource resets it.
    EXPECT_FALSE(info.Create(nullptr));
    EXPECT_TRUE(info.IsValid());
    EXPECT_FALSE(info.Create(L"C:\\no such folder\\nothing.dll"));
    EXPECT_FALSE(info.IsValid());
    EXPECT_EQ(info.FixedInfo().dwProductVersionMS, 0u);
    EXPECT_FALSE(info.CreateFromModule(nullptr));
}

TEST(VersionStrings, ModuleVersionIsTheDllsOwnAndProcessVersionTheHosts)
{
    Library probe = LoadProbe(L"version_probe_1004.dll");
    using CopyVersion = int (*)(char*, int);
    auto copy = reinterpret_cast<CopyVersion>(
        reinterpret_cast<void*>(GetProcAddress(probe.get(), "CopyModuleVersion")));
    ASSERT_NE(copy, nullptr);
    char fromInside[32] = {};
    ASSERT_GT(copy(fromInside, sizeof(fromInside)), 0);
    EXPECT_STREQ(fromInside, "1.0.0.4");

    // This test program carries 3.4.5.6; it hosts the DLL and is its process.
    EXPECT_EQ(GetProcessVersionString(), "3.4.5.6");
    EXPECT_EQ(GetModuleVersionString(), "3.4.5.6");
}

}  // namespace
