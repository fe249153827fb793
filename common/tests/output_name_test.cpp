// Output names and source lengths of a conversion, shared by the desktop program and the
// shell extension: the numbering and the buffer limits.
#include "common/output_name.h"
#include "common/source_file.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The proposal for source, or "" when none fits.
std::wstring Proposal(const std::wstring& source)
{
    SplitPath parts;
    wchar_t output[kOutputPathChars];
    if (!SplitFilePath(source.c_str(), parts) || !FindFreeOutputPath(parts, output))
        return L"";
    return output;
}

TEST(OutputName, TheFirstFreeNumberBesideTheSourceSplitAtTheLastDotOfTheName)
{
    test_engine::ScopedTempFolder scratch;
    const std::wstring folder = scratch.Path() + L"\\";
    WriteBytes(folder + L"photo.jpg", "a");
    WriteBytes(folder + L"photo (1).jpg", "b");
    WriteBytes(folder + L"archive", "c");
    const std::wstring dotted = scratch.MakeSubFolder(L"my.folder") + L"\\a.b.PNG";
    WriteBytes(dotted, "d");

    EXPECT_EQ(Proposal(folder + L"photo.jpg"), folder + L"photo (2).jpg");
    EXPECT_EQ(Proposal(folder + L"archive"), folder + L"archive (1)");
    EXPECT_EQ(Proposal(dotted), folder + L"my.folder\\a.b (1).PNG");
    EXPECT_EQ(Proposal(folder + L"missing.jpg"), folder + L"missing.jpg") << "a free name is proposed as it is";
}

TEST(OutputName, NamesBeyondTheirBuffersAreRefusedRatherThanCut)
{
    test_engine::ScopedTempFolder scratch;
    const std::wstring folder = scratch.Path() + L"\\";

    // 259 units fit the output buffer, but the numbered name would not.
    const std::wstring longest = folder + std::wstring(259 - folder.size() - 4, L'n') + L".jpg";
    ASSERT_EQ(longest.size(), 259u);
    WriteBytes(longest, "taken");
    EXPECT_EQ(Proposal(longest), L"");
    DeleteFileW(longest.c_str());
    EXPECT_EQ(Proposal(longest), longest) << "free, it fits as it is";

    EXPECT_EQ(Proposal(L"C:\\" + std::wstring(256, L'f') + L"\\photo.jpg"), L"") << "folder part beyond 255";
    EXPECT_EQ(Proposal(L"C:\\" + std::wstring(256, L'n') + L".jpg"), L"") << "name part beyond 255";
}

TEST(SourceFile, LengthIsZeroWithoutAFileAndNeverWrapsBelowZero)
{
    test_engine::ScopedTempFolder scratch;
    const std::wstring folder = scratch.Path() + L"\\";
    WriteBytes(folder + L"photo.jpg", "12345");
    EXPECT_EQ(QueryFileLength(folder + L"photo.jpg"), 5);
    EXPECT_EQ(QueryFileLength(folder + L"missing.jpg"), 0);

    HANDLE file = CreateFileW((folder + L"huge.jpg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;  // 3 GiB, sparse
    const bool grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(grown);
    EXPECT_EQ(QueryFileLength(folder + L"huge.jpg"), INT32_MAX);
}

}  // namespace
