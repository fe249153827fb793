// InvokeCommand converts the kept files beside their sources, under free numbered names.
#include "drop_data_object.h"
#include "shell_ext/output_name.h"
#include "shell_server.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

class TempFolder {
public:
    TempFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"shell_ext_conversion";
        Remove();
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(); }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }
    void Touch(const std::wstring& name) const
    {
        const std::wstring path = *this / name;
        CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    bool Has(const std::wstring& name) const { return GetFileAttributesW((*this / name).c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Content(const std::wstring& name) const
    {
        HANDLE file = CreateFileW((*this / name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[64] = {};
        DWORD read = 0;
        ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
        CloseHandle(file);
        return buffer;
    }

private:
    void Remove() const
    {
        SHFILEOPSTRUCTW operation = {};
        std::wstring from = m_path + L'\0';
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }
    std::wstring m_path;
};

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server.Loaded());
        ASSERT_EQ(S_OK, server.CreateHandler(init.Out()));
        ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, menu.OutVoid()));
    }
    void TearDown() override
    {
        menu.Reset();
        init.Reset();
        CoUninitialize();
    }
    HRESULT Select(const std::vector<std::wstring>& names)
    {
        std::vector<std::wstring> paths;
        for (const auto& name : names) paths.push_back(folder / name);
        ComPtr<IDataObject> data;
        *data.Out() = CreateDropDataObject(paths);
        return init->Initialize(nullptr, data.Get(), nullptr);
    }
    HRESULT Invoke(UINT offset)
    {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(offset);
        return menu->InvokeCommand(&info);
    }

    TempFolder folder;
    ShellServer server;
    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
};

TEST_F(ConversionTest, AcceptedFilesGetTheNextFreeNumberInTheirOwnFolder)
{
    for (const wchar_t* name : {L"photo.jpg", L"photo (1).jpg", L"sub\\photo.jpg", L"a.b.PNG", L"notes.txt"})
        folder.Touch(name);
    ASSERT_EQ(S_OK, Select({L"photo.jpg", L"sub\\photo.jpg", L"a.b.PNG", L"notes.txt"}));

    ASSERT_EQ(S_OK, Invoke(2));
    EXPECT_EQ("profile 2", folder.Content(L"photo (2).jpg"));
    EXPECT_EQ("profile 2", folder.Content(L"sub\\photo (1).jpg"));
    EXPECT_EQ("profile 2", folder.Content(L"a.b (1).PNG"));
    EXPECT_FALSE(folder.Has(L"notes (1).txt")) << "a refused file is not converted";

    ASSERT_EQ(S_OK, Invoke(4));
    EXPECT_EQ("profile 4", folder.Content(L"photo (3).jpg"));
    EXPECT_EQ("profile 4", folder.Content(L"sub\\photo (2).jpg"));
}

TEST_F(ConversionTest, RefusedCommandsConvertNothing)
{
    folder.Touch(L"photo.jpg");
    ASSERT_EQ(S_OK, Select({L"photo.jpg"}));
    EXPECT_EQ(E_INVALIDARG, Invoke(5));
    EXPECT_FALSE(folder.Has(L"photo (1).jpg"));
}

TEST(OutputName, NumbersBesideTheSourceAndNeverOverrunsTheLimits)
{
    TempFolder folder;
    folder.Touch(L"archive");
    std::wstring proposal;
    ASSERT_TRUE(ProposeOutputPath(folder / L"archive", proposal));
    EXPECT_EQ(folder / L"archive (1)", proposal);
    ASSERT_TRUE(ProposeOutputPath(folder / L"missing.jpg", proposal));
    EXPECT_EQ(folder / L"missing.jpg", proposal) << "a free name is proposed as it is";

    // The numbered name would pass 259 units: the source is left alone.
    const std::wstring folderPath = folder / L"";
    const std::wstring longName = std::wstring(259 - folderPath.size() - 4, L'n') + L".jpg";
    folder.Touch(longName);
    ASSERT_TRUE(folder.Has(longName));
    EXPECT_FALSE(ProposeOutputPath(folder / longName, proposal));
    EXPECT_FALSE(ProposeOutputPath(L"C:\\" + std::wstring(256, L'n') + L".jpg", proposal));
}

}  // namespace
