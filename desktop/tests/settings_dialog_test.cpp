// The settings dialog as a real window: PlenzarFile.exe started without arguments.
#include "desktop/tests/program_run.h"
#include "tests/engine/test_engine.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_test_server.h"
#include "tests/support/program_folder.h"
#include "tests/support/url_recorder_scope.h"
#include "tests/support/wininet_proxy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::ElementsAre;

const wchar_t kCaption[] = L"PlenzarFile Settings";
constexpr int kProfileRadios[] = { 201, 202, 203, 204, 205 };
constexpr int kSameFolder = 1000;
constexpr int kDesktop = 1001;
constexpr int kCheckForUpdate = 206;
constexpr int kImprovement = 207;
constexpr int kVersionLabel = 209;

using testsupport::ClickButton;
using testsupport::CursorAfterSetCursor;
using testsupport::IsButtonChecked;

// The program copied with the development engine into a folder of its own.
class SettingsDialog : public ::testing::Test {
protected:
    SettingsDialog()
    {
        m_exe = m_folder.Path() + L"\\PlenzarFile.exe";
        CopyFileW(testsupport::BesideProgram(L"PlenzarFile.exe").c_str(), m_exe.c_str(), FALSE);
        test_engine::PlaceEngine(test_engine::Variant::Working, m_folder.Path());
    }

    // Starts the dialog (default settings shown), picks Tiny, the desktop and no update
    // check, presses `button` and returns the program's exit code.
    std::optional<DWORD> ChangeControlsAndPress(int button)
    {
        RunningProgram program(m_exe, {}, m_folder.Path());
        const HWND dialog = program.WaitForDialog(kCaption);
        if (!dialog)
            return std::nullopt;
        EXPECT_TRUE(IsButtonChecked(dialog, 203));  // the default profile, Medium
        ClickButton(dialog, 201);
        ClickButton(dialog, kDesktop);
        ClickButton(dialog, kCheckForUpdate);
        EXPECT_TRUE(IsButtonChecked(dialog, 201));
        EXPECT_FALSE(IsButtonChecked(dialog, 203));
        ClickButton(dialog, button);
        return program.WaitForExit();
    }

    test_engine::ScopedTempFolder m_folder;
    SettingsKeyScope m_settings;
    DataFileScope m_dataFile;
    std::wstring m_exe;
};

TEST_F(SettingsDialog, ShowsStoredSettingsAndOkStoresWhatTheControlsShow)
{
    m_settings.Set(L"appDefaultPlenzarProfile", -1);
    m_settings.Set(L"appOutputToDesktop", 2);
    m_settings.Set(L"checkForUpdate", 0);
    m_settings.Set(L"productImprovement", 1);
    RunningProgram program(m_exe, {}, m_folder.Path());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);

    for (int radio : kProfileRadios)
        EXPECT_FALSE(IsButtonChecked(dialog, radio)) << radio;
    EXPECT_TRUE(IsButtonChecked(dialog, kSameFolder));
    EXPECT_FALSE(IsButtonChecked(dialog, kDesktop));
    EXPECT_FALSE(IsButtonChecked(dialog, kCheckForUpdate));
    EXPECT_TRUE(IsButtonChecked(dialog, kImprovement));
    EXPECT_EQ(testsupport::WindowText(GetDlgItem(dialog, kVersionLabel)), L"PlenzarFile (Beta) 2.1.0.2\rwww.plenzar.example");

    ClickButton(dialog, IDOK);
    ASSERT_EQ(program.WaitForExit(), 0u);
    // No profile shown: OK stores Large; output choice 2 was shown as the source folder.
    EXPECT_EQ(m_settings.Get(L"appDefaultPlenzarProfile"), 3);
    EXPECT_EQ(m_settings.Get(L"appOutputToDesktop"), 0);
    EXPECT_EQ(m_settings.Get(L"checkForUpdate"), 0);
    EXPECT_EQ(m_settings.Get(L"productImprovement"), 1);
    const auto records = m_dataFile.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.count("profile_large"), 1u);
}

TEST_F(SettingsDialog, OkStoresChangedControlsAndCancelStoresNothing)
{
    {
        const auto exitCode = ChangeControlsAndPress(IDCANCEL);
        ASSERT_EQ(exitCode, 0u);
        EXPECT_FALSE(m_settings.Get(L"appDefaultPlenzarProfile").has_value());
        EXPECT_FALSE(m_settings.Get(L"checkForUpdate").has_value());
        EXPECT_FALSE(m_dataFile.Exists());
    }
    {
        const auto exitCode = ChangeControlsAndPress(IDOK);
        ASSERT_EQ(exitCode, 0u);
        EXPECT_EQ(m_settings.Get(L"appDefaultPlenzarProfile"), 0);
        EXPECT_EQ(m_settings.Get(L"appOutputToDesktop"), 1);
        EXPECT_EQ(m_settings.Get(L"checkForUpdate"), 0);
        EXPECT_EQ(m_settings.Get(L"productImprovement"), 1);
        const auto records = m_dataFile.Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records.at("profile_tiny").count, 1);
    }
}

TEST_F(SettingsDialog, LeavingTheImprovementProgramStoresZeroAndSavesNoStatistics)
{
    RunningProgram program(m_exe, {}, m_folder.Path());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, kImprovement);
    ClickButton(dialog, IDOK);
    ASSERT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(m_settings.Get(L"productImprovement"), 0);
    EXPECT_EQ(m_settings.Get(L"appDefaultPlenzarProfile"), 2);
    EXPECT_FALSE(m_dataFile.Exists());
}

TEST_F(SettingsDialog, VersionLabelShowsTheHandAndOpensTheHomePage)
{
    testsupport::ScopedUrlRecorder browser;
    ASSERT_TRUE(browser.Active());

    RunningProgram program(m_exe, {}, m_folder.Path());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);
    const HWND label = GetDlgItem(dialog, kVersionLabel);
    RECT labelRect;
    ASSERT_TRUE(GetWindowRect(label, &labelRect));
    RECT okRect;
    ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, IDOK), &okRect));

    LRESULT overLabelResult = 0;
    LRESULT elsewhereResult = 0;
    const HCURSOR overLabel = CursorAfterSetCursor(
        dialog, { (labelRect.left + labelRect.right) / 2, (labelRect.top + labelRect.bottom) / 2 }, &overLabelResult);
    const HCURSOR elsewhere = CursorAfterSetCursor(dialog, { okRect.left - 5, okRect.top - 5 }, &elsewhereResult);
    EXPECT_EQ(overLabelResult, TRUE);
    EXPECT_NE(overLabel, nullptr);
    EXPECT_NE(overLabel, elsewhere);

    // A click on the label, as the mouse gives it to the control.
    testsupport::ClickControl(label);
    ASSERT_TRUE(browser.WaitForUrls(1, 10000));
    EXPECT_THAT(browser.Urls(), ElementsAre(L"http://www.plenzar.example/"));
    EXPECT_TRUE(IsWindow(dialog));  // the dialog stays open

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// Left open, the dialog's modal loop runs the statistics scheduler (3 s) and the update
// check (5 s). The upload is still waiting for its reply when OK is pressed: the program
// waits for it, ends normally, and keeps both the record the upload failed to send and
// the profile counted after the upload began.
TEST_F(SettingsDialog, TimersRunInsideTheDialogAndAnUploadInProgressOutlivesNothing)
{
    std::string pending(72, '\0');
    pending.replace(0, 4, ".jpg");
    pending[64] = 1;  // count 1, value 0
    WriteFile(m_dataFile.Path(), pending);
    testsupport::HttpTestServer server;
    ASSERT_NE(server.port(), 0);
    testsupport::CannedReply slowFailingUpload;
    slowFailingUpload.status = 503;
    slowFailingUpload.delayMs = 5000;
    server.Queue(slowFailingUpload);
    testsupport::CannedReply olderVersion;
    olderVersion.body = "1.0.0.0";
    server.SetDefaultReply(olderVersion);
    testsupport::ScopedWinInetProxy proxy(server.port());

    RunningProgram program(m_exe, {}, m_folder.Path());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(server.WaitForRequests(2, 20000));
    ClickButton(dialog, IDOK);
    ASSERT_EQ(program.WaitForExit(), 0u);

    const auto requests = server.Requests();
    EXPECT_EQ(requests[0].target, "http://stats.plenzar.example:80/track/");
    EXPECT_NE(requests[0].body.find("\".jpg\""), std::string::npos) << requests[0].body;
    EXPECT_EQ(requests[1].target, "http://update.plenzar.example:80/latest/");
    const auto records = m_dataFile.Records();
    ASSERT_EQ(records.count(".jpg"), 1u) << "not lost to the process's end";
    EXPECT_EQ(records.at(".jpg").count, 1);
    ASSERT_EQ(records.count("profile_medium"), 1u);
    EXPECT_EQ(records.at("profile_medium").count, 1);
}

}  // namespace
