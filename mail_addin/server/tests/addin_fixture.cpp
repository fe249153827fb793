#include "addin_fixture.h"

#include <cstdio>
#include <ctime>

#include "common/settings.h"
#include "tests/engine/test_engine.h"

namespace mail_server {

std::wstring StatisticsDataPath()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"PlenzarMail_data.dat";
}

void WriteStatisticsDataFile(size_t trailingBytes)
{
    unsigned char record[72 * 2] = {'s', 'e', 'e', 'n'};
    record[64] = 1;  // count
    record[68] = 7;  // value
    FILE* file = _wfopen(StatisticsDataPath().c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(record, 72 + (trailingBytes < 72 ? trailingBytes : 71), 1, file);
    fclose(file);
}

long long StatisticsDataFileSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(StatisticsDataPath().c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void StoreSetting(const wchar_t* name, DWORD value)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value, sizeof(value)));
}

int TodaysDayOfMonth()
{
    const time_t now = time(nullptr);
    return localtime(&now)->tm_mday;
}

void AddinTest::SetUp()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(server.Loaded()) << "cannot load the library";
    ASSERT_EQ(S_OK, RegisterOfficeTypeLibraries(server.Folder()));
    ASSERT_EQ(S_OK, server.RegisterServer());
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    DeleteFileW(StatisticsDataPath().c_str());
    test_engine::Reset(server.Folder());
}

void AddinTest::TearDown()
{
    host.ReleaseAddin();
    server.UnregisterServer();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    DeleteFileW(StatisticsDataPath().c_str());
    test_engine::Reset(server.Folder());
    CoUninitialize();
}

void AddinTest::StartAddin()
{
    ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, server.Path()));
    ASSERT_EQ(S_OK, host.Connect());
    host.LoadRibbons();  // the ribbon's own tests judge its outcome
    ASSERT_EQ(S_OK, host.StartupComplete());
}

}  // namespace mail_server
