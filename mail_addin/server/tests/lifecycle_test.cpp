// Outlook's start, run and stop with the add-in: what start-up builds by the settings (the
// update timer, the statistics store), the library held while a timer of its own is
// pending, the shutdown teardowns, the sinks after Quit and after the user turns the add-in
// off, reconnection, and Outlook failing under OnConnection; what start-up deletes of the
// work folder.
#include <gtest/gtest.h>

#include <wrl/client.h>

#include "addin_fixture.h"
#include "mail_addin/tests/support/temp_folder_scope.h"
#include "tests/engine/test_engine.h"

namespace mail_server {
namespace {

using outlook_double::Failure;
namespace dispid = outlook_double::dispid;

class LifecycleTest : public AddinTest {
protected:
    // Settings that start neither a request nor a prompt: today's update check counts as done.
    void StoreStartSettings(DWORD checkForUpdate, DWORD productImprovement)
    {
        StoreSetting(L"checkForUpdate", checkForUpdate);
        StoreSetting(L"productImprovement", productImprovement);
        StoreSetting(L"checkForUpdateLastDate", TodaysDayOfMonth());
    }
    // Outlook's shutdown as far as the add-in itself goes, and the release of the object.
    void StopAddin()
    {
        EXPECT_EQ(S_OK, host.BeginShutdown());
        host.FireQuit();
        EXPECT_EQ(S_OK, host.Disconnect());
        host.ReleaseAddin();
    }
};

TEST_F(LifecycleTest, WithBothSettingsOffStartUpBuildsNoStoreAndNoTimer)
{
    StoreStartSettings(0, 0);
    WriteStatisticsDataFile();
    StartAddin();
    ASSERT_TRUE(DeleteFileW(StatisticsDataPath().c_str()));
    StoreSetting(L"productImprovement", 1);  // a store, had there been one, would now save
    StopAddin();
    EXPECT_FALSE(FileExists(StatisticsDataPath())) << "no store existed to save";
    EXPECT_EQ(S_OK, server.CanUnloadNow()) << "no timer holds the library";
}

TEST_F(LifecycleTest, TheStoreHoldsTheLibraryUntilOnBeginShutdownSavesAndDestroysIt)
{
    StoreStartSettings(0, 1);
    WriteStatisticsDataFile();
    StartAddin();
    WriteStatisticsDataFile(6);  // a save rewrites it whole
    host.ReleaseAddin();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "the store's timer is pending";

    ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, server.Path()));
    EXPECT_EQ(S_OK, host.BeginShutdown());
    EXPECT_EQ(StatisticsDataFileSize(), 72) << "the store saved the file";
    EXPECT_EQ(S_OK, host.BeginShutdown()) << "a second teardown finds no store";
    host.FireQuit();
    host.ReleaseAddin();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

TEST_F(LifecycleTest, AStoreThatExistsAtStartupCompleteIsKept)
{
    StoreStartSettings(0, 1);
    WriteStatisticsDataFile();
    StartAddin();
    EXPECT_EQ(S_OK, host.StartupComplete());
    WriteStatisticsDataFile(6);  // a save rewrites it whole
    StopAddin();
    EXPECT_EQ(StatisticsDataFileSize(), 72) << "the first store saved the file";
    EXPECT_EQ(S_OK, server.CanUnloadNow()) << "no second store was left behind with its timer";
}

TEST_F(LifecycleTest, TheUpdateTimerHoldsTheLibraryUntilItHasFired)
{
    StoreStartSettings(1, 0);
    StartAddin();
    StopAddin();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "the update timer is pending";

    // The check finds today's check done and, with checking now off, arms nothing more.
    StoreSetting(L"checkForUpdate", 0);
    EXPECT_TRUE(PumpMessagesUntil([&] { return server.CanUnloadNow() == S_OK; }, 10000));
}

TEST_F(LifecycleTest, TheUserTurningItOffOrQuitDisconnectsEverySinkAndReconnectingKeepsOneApplicationSink)
{
    StoreStartSettings(0, 0);
    StartAddin();
    EXPECT_EQ(1u, outlook.App().SinkCount());
    EXPECT_EQ(S_OK, host.Disconnect());
    EXPECT_EQ(1u, outlook.App().SinkCount()) << "OnDisconnection leaves the sink connected";
    EXPECT_EQ(S_OK, host.Connect());
    EXPECT_EQ(1u, outlook.App().SinkCount());
    outlook_double::ComPtr<outlook_double::MailItem> mail = outlook.ComposeNewMail();
    EXPECT_EQ(S_OK, host.Disconnect(ext_dm_UserClosed));
    EXPECT_EQ(0u, outlook.App().SinkCount() + mail->SinkCount());
    EXPECT_EQ(S_OK, host.Connect(ext_cm_AfterStartup));
    EXPECT_EQ(1u, outlook.App().SinkCount());

    mail = outlook.ComposeNewMail();
    EXPECT_EQ(1u, mail->SinkCount());
    StopAddin();
    EXPECT_EQ(0u, mail->SinkCount());
    EXPECT_EQ(1, host.RibbonUiOf(outlook_double::kComposeRibbonId)->References()) << "the add-in's copy is gone";
}

TEST_F(LifecycleTest, TurningItOffReleasesWhatQuitReleasesAndTurningItOnBuildsItAgain)
{
    StoreStartSettings(0, 1);
    WriteStatisticsDataFile();
    StartAddin();
    WriteStatisticsDataFile(6);  // a save rewrites it whole
    auto ribbonReferences = [&] {
        return host.RibbonUiOf(outlook_double::kComposeRibbonId)->References() +
               host.RibbonUiOf(outlook_double::kExplorerRibbonId)->References();
    };
    const LONG referencesBefore = ribbonReferences();

    EXPECT_EQ(S_OK, host.Disconnect(ext_dm_UserClosed));
    EXPECT_EQ(StatisticsDataFileSize(), 72) << "the store saved as at OnBeginShutdown";
    EXPECT_EQ(referencesBefore - 1, ribbonReferences()) << "the add-in's shared copy is released";

    EXPECT_EQ(S_OK, host.Connect(ext_cm_AfterStartup));  // the new store loads what was saved
    WriteStatisticsDataFile(6);
    host.ReleaseAddin();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "the store was built again";
    ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, server.Path()));
    EXPECT_EQ(S_OK, host.BeginShutdown());
    EXPECT_EQ(StatisticsDataFileSize(), 72);
    host.FireQuit();
    host.ReleaseAddin();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

// A file written with the content "x", last written days ago.
void WriteFileWrittenDaysAgo(const std::wstring& path, int days)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path.c_str();
    DWORD written = 0;
    WriteFile(file, "x", 1, &written, nullptr);
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= static_cast<ULONGLONG>(days) * 24 * 60 * 60 * 10000000;
    const FILETIME lastWrite = {time.LowPart, time.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &lastWrite));
    CloseHandle(file);
}

// What mails that were never sent left a month ago goes when Outlook's start is done; what a
// draft of this month still uses, the log and anything that is not the add-in's stay.
TEST_F(LifecycleTest, StartupDeletesWorkFilesLastWrittenMoreThanThirtyDaysAgo)
{
    StoreStartSettings(0, 0);
    test_engine::ScopedTempFolder temp;
    const std::wstring work = temp.MakeSubFolder(L"PlenzarMail") + L"\\";
    temp.MakeSubFolder(L"PlenzarMail\\NotSmaller");
    temp.MakeSubFolder(L"PlenzarMail\\Fail");
    temp.MakeSubFolder(L"PlenzarMail\\dddddddddd");  // an output's own folder
    temp.MakeSubFolder(L"PlenzarMail\\Pictures");
    const std::vector<std::wstring> aged = {L"aaaaaaaaaa.jpg", L"NotSmaller\\2_aaaaaaaaaa.jpg",
                                            L"Fail\\-1_cccccccccc.png", L"dddddddddd\\photo.jpg"};
    const std::vector<std::wstring> kept = {L"bbbbbbbbbb.jpg", L"NotSmaller\\3_bbbbbbbbbb.jpg", L"Log.txt",
                                            L"Log.old.txt", L"Pictures\\old.jpg"};
    for (const std::wstring& name : aged) WriteFileWrittenDaysAgo(work + name, 31);
    for (const std::wstring& name : kept)
        WriteFileWrittenDaysAgo(work + name, name == L"bbbbbbbbbb.jpg" || name[0] == L'N' ? 29 : 90);
    CTempFolderScope tempScope(temp.Path() + L"\\");

    StartAddin();

    for (const std::wstring& name : aged) EXPECT_FALSE(FileExists(work + name)) << name.c_str();
    for (const std::wstring& name : kept) EXPECT_TRUE(FileExists(work + name)) << name.c_str();
    EXPECT_FALSE(FileExists(work + L"dddddddddd")) << "the emptied output folder went too";
    StopAddin();
}

TEST_F(LifecycleTest, OutlookFailingToGiveItsVersionDoesNotStopTheConnection)
{
    StoreStartSettings(0, 0);
    for (const Failure& failure : {Failure::OutlookException(L"Busy"), Failure::Hresult(E_ACCESSDENIED)}) {
        outlook.Fail(L"Application", dispid::Version, failure);
        ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, server.Path()));
        EXPECT_EQ(S_OK, host.Connect());
        EXPECT_EQ(1u, outlook.CallsTo(L"Application", dispid::Version).size());
        EXPECT_EQ(S_OK, host.StartupComplete());
        StopAddin();
        outlook.Host().ClearCalls();
    }
}

TEST_F(LifecycleTest, OutlookRefusingItsEventsDoesNotStopTheStartOrTheShutdown)
{
    StoreStartSettings(0, 1);
    outlook.App().RefuseConnections(E_OUTOFMEMORY);
    StartAddin();
    EXPECT_EQ(0u, outlook.App().SinkCount());
    outlook.App().RefuseConnections(S_OK);
    StopAddin();
    EXPECT_EQ(S_OK, server.CanUnloadNow()) << "the store went at OnBeginShutdown";
}

TEST_F(LifecycleTest, AConnectionWithoutApplicationIsRefusedAndKeepsNothing)
{
    ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, server.Path()));
    SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    EXPECT_EQ(E_POINTER, host.Extensibility()->OnConnection(nullptr, ext_cm_Startup, nullptr, &custom));
    SafeArrayDestroy(custom);
    EXPECT_TRUE(outlook.Calls().empty());
    host.ReleaseAddin();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

}  // namespace
}  // namespace mail_server
