// The settings dialog as a real window: PlenzarFile.exe started without arguments.
#include "desktop/tests/program_run.h"
#include "tests/engine/test_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kCaption[] = L"PlenzarFile Settings";
constexpr int kProfileRadios[] = { 201, 202, 203, 204, 205 };
constexpr int kSameFolder = 1000;
constexpr int kDesktop = 1001;
constexpr int kCheckForUpdate = 206;
constexpr int kImprovement = 207;
constexpr int kVersionLabel = 209;

const wchar_t kHttpCommandKey[] = L"Software\\Classes\\http\\shell\\open\\command";

bool Checked(HWND dialog, int id)
{
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::wstring Text(HWND control)
{
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// The program copied with the development engine into a folder of its own.
class SettingsDialog : public ::testing::Test {
protected:
    SettingsDialog()
    {
        m_exe = m_folder.Path() + L"\\PlenzarFile.exe";
        CopyFileW((BinFolder() + L"PlenzarFile.exe").c_str(), m_exe.c_str(), FALSE);
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
        EXPECT_TRUE(Checked(dialog, 203));  // the default profile, Medium
        Click(dialog, 201);
        Click(dialog, kDesktop);
        Click(dialog, kCheckForUpdate);
        EXPECT_TRUE(Checked(dialog, 201));
        EXPECT_FALSE(Checked(dialog, 203));
        Click(dialog, button);
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
        EXPECT_FALSE(Checked(dialog, radio)) << radio;
    EXPECT_TRUE(Checked(dialog, kSameFolder));
    EXPECT_FALSE(Checked(dialog, kDesktop));
    EXPECT_FALSE(Checked(dialog, kCheckForUpdate));
    EXPECT_TRUE(Checked(dialog, kImprovement));
    EXPECT_EQ(Text(GetDlgItem(dialog, kVersionLabel)), L"PlenzarFile (Beta) 2.1.0.2\rwww.plenzar.example");

    Click(dialog, IDOK);
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
    Click(dialog, kImprovement);
    Click(dialog, IDOK);
    ASSERT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(m_settings.Get(L"productImprovement"), 0);
    EXPECT_EQ(m_settings.Get(L"appDefaultPlenzarProfile"), 2);
    EXPECT_FALSE(m_dataFile.Exists());
}

// Points the shell's "http" handler at the recorder for the test's duration.
class HttpHandlerScope {
public:
    explicit HttpHandlerScope(const std::wstring& recorder)
    {
        wchar_t saved[1024] = {};
        DWORD size = sizeof(saved);
        m_hadValue = RegGetValueW(HKEY_LOCAL_MACHINE, kHttpCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, saved,
                                  &size) == ERROR_SUCCESS;
        m_saved = saved;
        const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kHttpCommandKey, nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ~HttpHandlerScope()
    {
        if (m_hadValue)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kHttpCommandKey, nullptr, REG_SZ, m_saved.c_str(),
                            static_cast<DWORD>((m_saved.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kHttpCommandKey, nullptr);
    }

private:
    bool m_hadValue;
    std::wstring m_saved;
};

HCURSOR CursorAfterSetCursor(HWND dialog, POINT point, LRESULT* result)
{
    SetCursorPos(point.x, point.y);
    *result = SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    CURSORINFO info = { sizeof(info) };
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST_F(SettingsDialog, VersionLabelShowsTheHandAndOpensTheHomePage)
{
    const std::wstring recorder = m_folder.Path() + L"\\open_recorder.exe";
    ASSERT_TRUE(CopyFileW((BinFolder() + L"open_recorder.exe").c_str(), recorder.c_str(), FALSE));
    HttpHandlerScope handler(recorder);

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
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    const std::wstring opened = m_folder.Path() + L"\\opened.txt";
    for (int i = 0; i < 200 && !FileExists(opened); ++i)
        Sleep(50);
    Sleep(100);
    EXPECT_EQ(ReadFile(opened), "http://www.plenzar.example/\n");
    EXPECT_TRUE(IsWindow(dialog));  // the dialog stays open

    Click(dialog, IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

}  // namespace
