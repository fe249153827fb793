// The selection as the handler reads it from a data object's CF_HDROP block: wide and ANSI
// lists, blocks that lie about their list, and selections far larger than a screenful.
#include "drop_data_object.h"
#include "shell_ext/drop_selection.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HRESULT Read(std::vector<BYTE> block, CSelectedPaths& paths)
{
    IDataObject* data = CreateRawDropDataObject(std::move(block));
    const HRESULT hr = ReadDropSelection(data, paths);
    data->Release();
    return hr;
}

std::vector<std::wstring> Listed(const CSelectedPaths& paths)
{
    std::vector<std::wstring> listed;
    for (size_t index = 0; index < paths.Count(); ++index) listed.push_back(paths[index]);
    return listed;
}

void SetListOffset(std::vector<BYTE>& block, DWORD offset)
{
    std::memcpy(block.data() + offsetof(DROPFILES, pFiles), &offset, sizeof(offset));
}

TEST(DropSelectionTest, ReadsWideAndAnsiListsInOrder)
{
    const std::vector<std::wstring> wide = {L"C:\\p\\b.jpg", L"C:\\p\\a.jpg", L"D:\\\u00e9t\u00e9.png"};
    CSelectedPaths paths;
    ASSERT_EQ(S_OK, Read(MakeDropBlock(wide), paths));
    EXPECT_EQ(wide, Listed(paths));

    ASSERT_EQ(S_OK, Read(MakeAnsiDropBlock({"C:\\p\\z.jpg", "C:\\p\\notes.txt"}), paths));
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\p\\z.jpg", L"C:\\p\\notes.txt"}), Listed(paths));
}

TEST(DropSelectionTest, ListAtAnOddOffsetIsReadWhole)
{
    // A producer may leave a gap after the header; the wide list then lies unaligned.
    const std::vector<BYTE> wellFormed = MakeDropBlock({L"C:\\p\\photo.jpg", L"C:\\q.png"});
    std::vector<BYTE> block(wellFormed.begin(), wellFormed.begin() + sizeof(DROPFILES));
    block.push_back(0xCC);
    block.insert(block.end(), wellFormed.begin() + sizeof(DROPFILES), wellFormed.end());
    SetListOffset(block, sizeof(DROPFILES) + 1);
    CSelectedPaths paths;
    ASSERT_EQ(S_OK, Read(block, paths));
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\p\\photo.jpg", L"C:\\q.png"}), Listed(paths));
}

TEST(DropSelectionTest, OverlongAnsiNameIsSkippedNotCut)
{
    const std::string fits = "C:\\" + std::string(252, 'a') + ".jpg";
    ASSERT_EQ(259u, fits.size());
    CSelectedPaths paths;
    ASSERT_EQ(S_OK, Read(MakeAnsiDropBlock({fits + "-original.txt", fits, "C:\\b.jpg"}), paths));
    EXPECT_EQ((std::vector<std::wstring>{std::wstring(fits.begin(), fits.end()), L"C:\\b.jpg"}), Listed(paths));
}

TEST(DropSelectionTest, BlocksThatDoNotHoldTheirListAreRefusedAndNothingIsTaken)
{
    const std::vector<BYTE> wellFormed = MakeDropBlock({L"C:\\p\\a.jpg", L"C:\\p\\b.jpg"});
    const std::vector<BYTE> ansi = MakeAnsiDropBlock({"C:\\p\\a.jpg"});
    auto withOffset = [&](DWORD offset) {
        std::vector<BYTE> block = wellFormed;
        SetListOffset(block, offset);
        return block;
    };
    auto cut = [](const std::vector<BYTE>& block, size_t bytes) {
        return std::vector<BYTE>(block.begin(), block.end() - bytes);
    };
    const struct {
        const char* what;
        std::vector<BYTE> block;
    } cases[] = {
        {"zero-length block", {}},
        {"block shorter than its header", cut(wellFormed, wellFormed.size() - 8)},
        {"header only", cut(wellFormed, wellFormed.size() - sizeof(DROPFILES))},
        {"offset at the end", withOffset(static_cast<DWORD>(wellFormed.size()))},
        {"offset past the end", withOffset(0x7FFFFFF0)},
        {"offset inside the header", withOffset(4)},
        {"last name without the list's terminator", cut(wellFormed, 2)},
        {"last name without its own terminator", cut(wellFormed, 4)},
        {"half a terminator", cut(wellFormed, 1)},
        {"ANSI list without the list's terminator", cut(ansi, 1)},
        {"empty list", MakeDropBlock({})},
    };
    for (const auto& refused : cases) {
        CSelectedPaths paths;
        paths.Append(L"earlier", 7);
        EXPECT_EQ(E_INVALIDARG, Read(refused.block, paths)) << refused.what;
        EXPECT_EQ(std::vector<std::wstring>{L"earlier"}, Listed(paths)) << refused.what;
    }
}

TEST(DropSelectionTest, HundredThousandFilesAreReadWholeAndInOrder)
{
    std::vector<std::wstring> selection;
    for (int i = 0; i < 100000; ++i)
        selection.push_back(L"C:\\pictures\\" + std::to_wstring((i * 7919) % 100000) + L".jpg");
    CSelectedPaths paths;
    ASSERT_EQ(S_OK, Read(MakeDropBlock(selection), paths));
    EXPECT_TRUE(selection == Listed(paths));
}

}  // namespace
