// The preferences dialog as a real window: run modally on a thread of its own, as on
// Outlook's user-interface thread, while the test plays the user.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "mail_addin/preferences_dialog.h"
#include "mail_addin/tests/support/ribbon_test_host.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/url_recorder_scope.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;

const wchar_t kCaption[] = L"PlenzarMail Preferences";
constexpr int kProfileRadios[] = { 201, 202, 203, 204, 205 };
constexpr int kCheckForUpdate = 206;
constexpr int kImprovement = 207;
constexpr int kOptimizeOnAdd = 208;
constexpr int kVersionLabel = 209;

// Runs `show` (which opens the dialog modally) on a thread with COM, as Outlook's
// user-interface thread has, and hands back what it returned.
class CModalThread {
public:
    explicit CModalThread(std::function<INT_PTR()> show)
        : m_show(std::move(show)), m_thread(CreateThread(nullptr, 0, &CModalThread::Run, this, 0, &m_threadId))
    {
    }
    ~CModalThread()
    {
        if (HWND dialog = FindDialog(0))
            PostMessageW(dialog, WM_CLOSE, 0, 0);  // a failed test leaves no dialog behind
        Join();
        CloseHandle(m_thread);
    }
    CModalThread(const CModalThread&) = delete;
    CModalThread& operator=(const CModalThread&) = delete;

    HWND FindDialog(DWORD milliseconds = 10000) const
    {
        return WaitForDialog(kCaption, GetCurrentProcessId(), milliseconds, m_thread);
    }
    std::optional<INT_PTR> Join()
    {
        if (WaitForSingleObject(m_thread, 10000) != WAIT_OBJECT_0)
            return std::nullopt;
        return m_result;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* thread = static_cast<CModalThread*>(self);
        CComApartment com;
        thread->m_result = thread->m_show();
        return 0;
    }

    std::function<INT_PTR()> m_show;
    INT_PTR m_result = -1;
    DWORD m_threadId = 0;
    HANDLE m_thread;
};

INT_PTR ShowDialog()
{
    CPreferencesDlg dialog;
    return dialog.DoModal();
}

// Outlook's main window on the thread that runs the add-in: work sent to it runs there,
// inside the dialog's loop, as a click in a second Outlook window does.
LRESULT CALLBACK RunSentWork(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP)
        return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 0;
}

int OpenDialogs()
{
    int count = 0;
    for (HWND found = nullptr; (found = FindWindowExW(nullptr, found, L"#32770", kCaption)) != nullptr;)
        count += IsWindowVisible(found) ? 1 : 0;
    return count;
}

class PreferencesDialog : public RibbonTest {
protected:
    static std::optional<DWORD> Stored(const wchar_t* name) { return CMailTestSettings::GetDword(name); }
};

TEST_F(PreferencesDialog, ControlsStandInTheirTabOrderWithTheirStyles)
{
    struct Expected {
        int id;
        DWORD type;     // the BS_/SS_ type in the low bits
        DWORD flags;    // WS_TABSTOP and WS_GROUP as they must be
    };
    const DWORD none = 0;
    const Expected controls[] = {
        { IDOK, BS_DEFPUSHBUTTON, WS_TABSTOP }, { IDCANCEL, BS_PUSHBUTTON, WS_TABSTOP },
        { 0xFFFF, BS_GROUPBOX, none },
        { 201, BS_AUTORADIOBUTTON, none }, { 202, BS_AUTORADIOBUTTON, none }, { 203, BS_AUTORADIOBUTTON, none },
        { 204, BS_AUTORADIOBUTTON, none }, { 205, BS_AUTORADIOBUTTON, none },
        { 0xFFFF, BS_GROUPBOX, none },
        { kCheckForUpdate, BS_AUTOCHECKBOX, WS_TABSTOP }, { kImprovement, BS_AUTOCHECKBOX, WS_TABSTOP },
        { kOptimizeOnAdd, BS_AUTOCHECKBOX, WS_TABSTOP }, { kVersionLabel, SS_LEFT, WS_GROUP },
    };
    CModalThread run(&ShowDialog);
    const HWND dialog = run.FindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const Expected& expected : controls) {
        ASSERT_NE(control, nullptr);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(GetDlgCtrlID(control) & 0xFFFF, expected.id);
        EXPECT_EQ(style & 0x0F, expected.type) << expected.id;
        // The checked radio takes a tab stop at run time: radios are checked for groups only.
        const DWORD checked = expected.type == BS_AUTORADIOBUTTON ? WS_GROUP : WS_TABSTOP | WS_GROUP;
        EXPECT_EQ(style & checked, expected.flags) << expected.id;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr);
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, kImprovement), GWL_STYLE) & BS_MULTILINE);
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, kVersionLabel), GWL_STYLE) & SS_NOTIFY);
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(run.Join(), IDCANCEL);
}

TEST_F(PreferencesDialog, ShowsTheStoredProfile)
{
    for (int profile = -1; profile <= 5; ++profile) {
        CMailTestSettings::SetDefaultProfile(profile);
        CModalThread run(&ShowDialog);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        for (int radio = 0; radio < 5; ++radio)
            EXPECT_EQ(IsButtonChecked(dialog, kProfileRadios[radio]), radio == profile) << profile;
        ClickButton(dialog, IDCANCEL);
        EXPECT_EQ(run.Join(), IDCANCEL);
    }
}

TEST_F(PreferencesDialog, OkStoresTheControlsAndEveryOtherValueOfTheRecord)
{
    CMailTestSettings::SetDefaultProfile(-1);
    CMailTestSettings::SetDword(L"checkForUpdate", 0);
    CMailTestSettings::SetDword(L"productImprovement", 7);
    CMailTestSettings::SetDword(L"mailPlenzarOnAdd", 1);
    CMailTestSettings::SetDword(L"appDefaultPlenzarProfile", 4);
    CModalThread run(&ShowDialog);
    const HWND dialog = run.FindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsButtonChecked(dialog, kCheckForUpdate));
    EXPECT_TRUE(IsButtonChecked(dialog, kImprovement));
    EXPECT_TRUE(IsButtonChecked(dialog, kOptimizeOnAdd));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kVersionLabel)), L"PlenzarMail (Beta) 1.0.0.4\rwww.plenzar.example");

    // Changed elsewhere while the dialog is open: OK keeps it.
    CMailTestSettings::SetDword(L"checkForUpdateLastDate", 9);
    ClickButton(dialog, IDOK);
    EXPECT_EQ(run.Join(), IDOK);
    EXPECT_EQ(Stored(L"mailDefaultPlenzarProfile"), 3u);  // no radio checked: Large
    EXPECT_EQ(Stored(L"checkForUpdate"), 0u);
    EXPECT_EQ(Stored(L"productImprovement"), 1u);
    EXPECT_EQ(Stored(L"mailPlenzarOnAdd"), 1u);
    EXPECT_EQ(Stored(L"checkForUpdateLastDate"), 9u);
    EXPECT_EQ(Stored(L"productImprovementSendData"), 0u);  // missing before: the default
    EXPECT_EQ(Stored(L"appDefaultPlenzarProfile"), 4u);
    EXPECT_EQ(Stored(L"appOutputToDesktop"), 0u);
}

TEST_F(PreferencesDialog, ClickedControlsAreStoredAndTheLowestCheckedRadioWins)
{
    {
        CModalThread run(&ShowDialog);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(IsButtonChecked(dialog, 203));  // the default, Medium
        ClickButton(dialog, 201);
        EXPECT_FALSE(IsButtonChecked(dialog, 203));  // the radios form one group
        ClickButton(dialog, kCheckForUpdate);
        ClickButton(dialog, kOptimizeOnAdd);
        ClickButton(dialog, IDOK);
        EXPECT_EQ(run.Join(), IDOK);
        EXPECT_EQ(Stored(L"mailDefaultPlenzarProfile"), 0u);
        EXPECT_EQ(Stored(L"checkForUpdate"), 0u);
        EXPECT_EQ(Stored(L"productImprovement"), 1u);
        EXPECT_EQ(Stored(L"mailPlenzarOnAdd"), 1u);
    }
    {
        CModalThread run(&ShowDialog);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        SendMessageW(GetDlgItem(dialog, 201), BM_SETCHECK, BST_UNCHECKED, 0);  // stored just now
        SendMessageW(GetDlgItem(dialog, 202), BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(GetDlgItem(dialog, 204), BM_SETCHECK, BST_CHECKED, 0);
        ClickButton(dialog, IDOK);
        EXPECT_EQ(run.Join(), IDOK);
        EXPECT_EQ(Stored(L"mailDefaultPlenzarProfile"), 1u);
    }
}

TEST_F(PreferencesDialog, CancelAndCloseStoreNothing)
{
    for (bool close : { false, true }) {
        CModalThread run(&ShowDialog);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        ClickButton(dialog, 205);
        ClickButton(dialog, kImprovement);
        if (close)
            SendMessageW(dialog, WM_CLOSE, 0, 0);
        else
            ClickButton(dialog, IDCANCEL);
        EXPECT_EQ(run.Join(), IDCANCEL);
        EXPECT_FALSE(CMailTestSettings::KeyExists());
    }
}

TEST_F(PreferencesDialog, VersionLabelShowsTheHandAndOpensTheHomePage)
{
    ScopedUrlRecorder browser;
    ASSERT_TRUE(browser.Active());
    CModalThread run(&ShowDialog);
    const HWND dialog = run.FindDialog();
    ASSERT_NE(dialog, nullptr);
    const HWND label = GetDlgItem(dialog, kVersionLabel);
    const CursorsShown cursors = CursorsOverAndBeside(dialog, kVersionLabel, IDOK);
    EXPECT_EQ(cursors.overAnswer, TRUE);
    EXPECT_EQ(cursors.over, LoadCursorW(nullptr, IDC_HAND));
    EXPECT_NE(cursors.beside, cursors.over);

    ClickControl(label);
    ASSERT_TRUE(browser.WaitForUrls(1, 10000));
    EXPECT_THAT(browser.Urls(), ElementsAre(L"http://www.plenzar.example/"));
    EXPECT_TRUE(IsWindowVisible(dialog));  // still open
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(run.Join(), IDCANCEL);
}

TEST_F(PreferencesDialog, PreferencesButtonOpensItAndLogsWhatOkStored)
{
    auto clickPreferences = [this] { return static_cast<INT_PTR>(m_host.Click(L"PlenzarMailPreferences")); };
    {
        CModalThread run(clickPreferences);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);  // Outlook's window has none, none is active
        ClickButton(dialog, IDCANCEL);
        EXPECT_EQ(run.Join(), S_OK);
        EXPECT_THAT(LogLines(), ElementsAre("PlenzarMailPreferences"));
    }
    {
        CModalThread run(clickPreferences);
        const HWND dialog = run.FindDialog();
        ASSERT_NE(dialog, nullptr);
        ClickButton(dialog, 205);
        ClickButton(dialog, kCheckForUpdate);
        ClickButton(dialog, IDOK);
        EXPECT_EQ(run.Join(), S_OK);
        EXPECT_THAT(LogLines(), ElementsAre("PlenzarMailPreferences", "PlenzarMailPreferences",
                                            "PlenzarMailPreferences change(profile: 4, update: 0, improve: 1)"));
    }
    EXPECT_EQ(m_host.InvalidateCount(), 0);
}

// The window the button is in owns the dialog and stays disabled while it is open; a click
// while it is open opens no second one.
TEST_F(PreferencesDialog, TheButtonsWindowOwnsItAndASecondClickOpensNoSecond)
{
    HWND outlookWindow = nullptr;
    BOOL enabledAfter = FALSE;
    CModalThread run([&] {
        outlookWindow = CreateWindowExW(0, L"STATIC", L"Outlook", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                        nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(outlookWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RunSentWork));
        m_outlook.App().MainExplorer().SetWindow(outlookWindow);
        const INT_PTR result = m_host.Click(L"PlenzarMailPreferences");
        enabledAfter = IsWindowEnabled(outlookWindow);
        DestroyWindow(outlookWindow);
        return result;
    });
    const HWND dialog = run.FindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), outlookWindow);
    EXPECT_FALSE(IsWindowEnabled(outlookWindow));

    HRESULT second = E_FAIL;
    std::function<void()> clickAgain = [&] { second = m_host.Click(L"PlenzarMailPreferences"); };
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(outlookWindow, WM_APP, 0, reinterpret_cast<LPARAM>(&clickAgain), SMTO_NORMAL,
                                    5000, &answer))
        << "the second click returns at once";
    EXPECT_EQ(second, S_OK);
    EXPECT_EQ(OpenDialogs(), 1);

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(run.Join(), S_OK);
    EXPECT_TRUE(enabledAfter);
    EXPECT_THAT(LogLines(), ElementsAre("PlenzarMailPreferences"));
}

}  // namespace
