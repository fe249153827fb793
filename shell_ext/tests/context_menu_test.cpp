// The handler as Explorer calls it: Initialize with the selection, QueryContextMenu into
// a real menu, GetCommandString while the menu shows, InvokeCommand's refusals.
#include "drop_data_object.h"
#include "shell_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ContextMenuTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_EQ(S_OK, server.CreateHandler(init.ReleaseAndGetAddressOf()));
        ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf())));
    }
    void TearDown() override
    {
        menu.Reset();
        init.Reset();
        ShellTest::TearDown();
    }

    HRESULT InitializeWith(const std::vector<std::wstring>& paths, bool offerDrop = true)
    {
        ComPtr<IDataObject> data;
        *data.ReleaseAndGetAddressOf() = CreateDropDataObject(paths, offerDrop);
        return init->Initialize(nullptr, data.Get(), nullptr);
    }

    static std::wstring ItemText(HMENU menu, UINT position)
    {
        wchar_t text[128] = {};
        GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
        return text;
    }

    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
};

TEST_F(ContextMenuTest, InitializeAcceptsASelectionWithAFileTheEngineTakes)
{
    EXPECT_EQ(S_OK, InitializeWith({L"C:\\p\\notes.txt", L"C:\\p\\photo.JPG"}));
    EXPECT_EQ(S_OK, InitializeWith({L"C:\\p\\photo.png"}));
    std::vector<std::wstring> asked;
    for (const auto& call : test_engine::ReadCalls(server.Folder())) asked.push_back(call.entry + L" " + call.path);
    EXPECT_EQ((std::vector<std::wstring>{L"IsSupported C:\\p\\notes.txt", L"IsSupported C:\\p\\photo.JPG",
                                         L"IsSupported C:\\p\\photo.png"}),
              asked) << "the engine judges every selected path, once, by its full path";
}

TEST_F(ContextMenuTest, InitializeRefusesSelectionsWithoutAcceptedFile)
{
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, InitializeWith({L"C:\\p\\photo.jpg"}, false)) << "no drop list";
    EXPECT_EQ(E_INVALIDARG, InitializeWith({})) << "empty drop list";
    EXPECT_EQ(E_INVALIDARG, InitializeWith({L"C:\\p\\notes.txt", L"C:\\p\\archive"}));
}

TEST_F(ContextMenuTest, OverlongPathIsSkippedRatherThanCutToAnotherName)
{
    // Cut to 259 units, this path would end in ".jpg" and name a different file.
    const std::wstring head = L"C:\\" + std::wstring(252, L'a') + L".jpg";
    ASSERT_EQ(259u, head.size());
    const std::wstring overlong = head + L"-original.txt";
    EXPECT_EQ(E_INVALIDARG, InitializeWith({overlong}));
    EXPECT_EQ(E_INVALIDARG, InitializeWith({head + L"g"})) << "260 units, one too many";
    EXPECT_EQ(S_OK, InitializeWith({head})) << "259 units still fit";
}

TEST_F(ContextMenuTest, InitializeWithTheShellsOwnDataObject)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"shell_ext_selection";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::vector<std::wstring> names = {L"photo.jpg", L"notes.txt"};
    for (const auto& name : names) {
        HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }

    ComPtr<IShellFolder> desktop, shellFolder;
    ASSERT_EQ(S_OK, SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()));
    PIDLIST_ABSOLUTE folderId = nullptr;
    ASSERT_EQ(S_OK, SHParseDisplayName(folder.c_str(), nullptr, &folderId, 0, nullptr));
    ASSERT_EQ(S_OK, desktop->BindToObject(folderId, nullptr, IID_IShellFolder, reinterpret_cast<void**>(shellFolder.ReleaseAndGetAddressOf())));
    std::vector<PITEMID_CHILD> items;
    for (const auto& name : names) {
        PIDLIST_RELATIVE item = nullptr;
        ASSERT_EQ(S_OK, shellFolder->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(name.c_str()), nullptr,
                                                      &item, nullptr));
        items.push_back(reinterpret_cast<PITEMID_CHILD>(item));
    }
    ComPtr<IDataObject> data;
    ASSERT_EQ(S_OK, shellFolder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()),
                                               const_cast<PCUITEMID_CHILD_ARRAY>(items.data()), IID_IDataObject,
                                               nullptr, reinterpret_cast<void**>(data.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_OK, init->Initialize(folderId, data.Get(), nullptr));

    data.Reset();
    for (auto item : items) CoTaskMemFree(item);
    CoTaskMemFree(folderId);
    for (const auto& name : names) DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(ContextMenuTest, QueryContextMenuAddsTheSubmenuWithFiveProfiles)
{
    HMENU host = CreatePopupMenu();
    AppendMenuW(host, MF_STRING, 1, L"Open");
    AppendMenuW(host, MF_STRING, 2, L"Properties");

    const HRESULT hr = menu->QueryContextMenu(host, 1, 100, 200, CMF_NORMAL);
    EXPECT_EQ(SEVERITY_SUCCESS, HRESULT_SEVERITY(hr));
    EXPECT_EQ(5, HRESULT_CODE(hr));

    ASSERT_EQ(3, GetMenuItemCount(host)) << "exactly one item added";
    EXPECT_EQ(L"Optimize file with PlenzarFile", ItemText(host, 1));
    EXPECT_EQ(L"Properties", ItemText(host, 2));
    HMENU submenu = GetSubMenu(host, 1);
    ASSERT_NE(nullptr, submenu);
    const wchar_t* expected[] = {L"Tiny", L"Small", L"Medium", L"Large", L"Full"};
    ASSERT_EQ(5, GetMenuItemCount(submenu));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i], ItemText(submenu, i));
        EXPECT_EQ(static_cast<UINT>(100 + i), GetMenuItemID(submenu, i));
    }
    DestroyMenu(host);
}

TEST_F(ContextMenuTest, HostGrantingFewerThanFiveIdsGetsNothing)
{
    HMENU host = CreatePopupMenu();
    AppendMenuW(host, MF_STRING, 1, L"Open");
    EXPECT_EQ(S_OK, menu->QueryContextMenu(host, 0, 100, 103, CMF_NORMAL)) << "four ids";
    EXPECT_EQ(S_OK, menu->QueryContextMenu(host, 0, 100, 99, CMF_NORMAL)) << "none";
    EXPECT_EQ(1, GetMenuItemCount(host));

    EXPECT_EQ(5, HRESULT_CODE(menu->QueryContextMenu(host, 0, 100, 104, CMF_NORMAL))) << "exactly five";
    EXPECT_EQ(104u, GetMenuItemID(GetSubMenu(host, 0), 4));
    DestroyMenu(host);
}

TEST_F(ContextMenuTest, InitializeReadsAnAnsiSelectionAndRefusesAnUnterminatedOne)
{
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = CreateRawDropDataObject(MakeAnsiDropBlock({"C:\\p\\notes.txt", "C:\\p\\photo.jpg"}));
    EXPECT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    std::vector<BYTE> unterminated = MakeDropBlock({L"C:\\p\\photo.jpg"});
    unterminated.resize(unterminated.size() - 4);
    *data.ReleaseAndGetAddressOf() = CreateRawDropDataObject(unterminated);
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, data.Get(), nullptr));

    std::vector<std::wstring> asked;
    for (const auto& call : test_engine::ReadCalls(server.Folder())) asked.push_back(call.path);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\p\\notes.txt", L"C:\\p\\photo.jpg"}), asked)
        << "nothing of a refused list goes to the engine";
}

TEST_F(ContextMenuTest, DefaultOnlyMenuGetsNothing)
{
    HMENU host = CreatePopupMenu();
    AppendMenuW(host, MF_STRING, 1, L"Open");
    const HRESULT hr = menu->QueryContextMenu(host, 0, 100, 200, CMF_DEFAULTONLY);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(1, GetMenuItemCount(host));
    DestroyMenu(host);
}

TEST_F(ContextMenuTest, HelpTextOnlyForTheFirstCommandAndCutToTheBuffer)
{
    const std::wstring help = L"This is the simple shell extension's help";
    wchar_t wide[64] = {};
    ASSERT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
    EXPECT_EQ(help, wide);

    wchar_t shortWide[16];
    std::fill(std::begin(shortWide), std::end(shortWide), L'#');
    ASSERT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(shortWide), 10));
    EXPECT_EQ(help.substr(0, 9), shortWide);
    EXPECT_EQ(L'#', shortWide[10]) << "nothing written beyond the given size";

    char ansi[64] = {};
    ASSERT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, ansi, 64));
    EXPECT_STREQ("This is the simple shell extension's help", ansi);
    char shortAnsi[16] = {};
    ASSERT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, shortAnsi, 10));
    EXPECT_STREQ("This is t", shortAnsi);

    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(0, GCS_VALIDATEW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
}

}  // namespace
