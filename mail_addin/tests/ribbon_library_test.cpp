// The ribbon through PlenzarMail.dll itself, loaded from its test folder, registered and
// created as Outlook does: the callbacks resolve through its type information and answer
// from the library's own resources, and its dialog shows the library's version.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail_addin/server/tests/mail_server.h"
#include "mail_addin/tests/support/ribbon_test_host.h"
#include "tests/support/dialog_driver.h"

namespace {

using namespace outlook_double;
using ::testing::IsEmpty;

class RibbonThroughTheLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.Loaded());
        ASSERT_EQ(mail_server::RegisterOfficeTypeLibraries(m_library.Folder()), S_OK);
        ASSERT_EQ(m_library.RegisterServer(), S_OK);
        ASSERT_EQ(m_host.CreateFromDll(mail_server::kProgId, m_library.Path()), S_OK);
        ASSERT_EQ(m_host.Start(), S_OK);
    }
    void TearDown() override
    {
        m_host.Shutdown();
        m_library.UnregisterServer();
    }

    CComApartment m_com;
    OutlookDouble m_outlook;
    addin_test::AddinTestEnvironment m_env{ m_outlook };
    mail_server::MailServer m_library;
    AddinHost m_host{ m_outlook };
};

TEST_F(RibbonThroughTheLibrary, CallbacksResolveAndAnswerFromTheLibrarysResources)
{
    EXPECT_THAT(m_host.UnresolvedCallbacks(), IsEmpty());
    ASSERT_NE(m_host.Ribbon(kExplorerRibbonId), nullptr);
    ASSERT_NE(m_host.Ribbon(kComposeRibbonId), nullptr);

    const auto item = m_outlook.NewMailItem();
    item->Properties().AddQuietly(L"PlenzarType", 20, Variant::Int(1));
    m_outlook.OpenInspector(item.Get());
    std::wstring label;
    bool pressed = false;
    Variant image;
    EXPECT_EQ(m_host.GetLabel(L"PlenzarMailToggle", &label), S_OK);
    EXPECT_EQ(m_host.GetPressed(L"PlenzarMailToggle", &pressed), S_OK);
    EXPECT_EQ(m_host.GetImage(L"PlenzarMailSmall", &image), S_OK);
    EXPECT_EQ(label, L"Small");
    EXPECT_TRUE(pressed);
    EXPECT_EQ(image.Type(), VT_DISPATCH);

    EXPECT_EQ(m_host.ClickToggle(L"PlenzarMailToggle", false), S_OK);
    EXPECT_EQ(item->Properties().Find(L"PlenzarType")->Value().AsInt(), -1);
    EXPECT_EQ(m_host.InvalidateCount(), 1);
    EXPECT_EQ(m_host.GetLabel(L"PlenzarMailToggle", &label), S_OK);
    EXPECT_EQ(label, L"None");
}

DWORD WINAPI ClickPreferences(void* host)
{
    CComApartment com;
    return static_cast<DWORD>(static_cast<AddinHost*>(host)->Click(L"PlenzarMailPreferences"));
}

TEST_F(RibbonThroughTheLibrary, PreferencesDialogShowsTheLibrarysVersion)
{
    const HANDLE thread = CreateThread(nullptr, 0, &ClickPreferences, &m_host, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const HWND dialog = testsupport::WaitForDialog(L"PlenzarMail Preferences", GetCurrentProcessId(), 10000, thread);
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
        EXPECT_EQ(testsupport::WindowText(GetDlgItem(dialog, 209)),
                  L"PlenzarMail (Beta) 2.1.0.2\rwww.plenzar.example");
        testsupport::ClickButton(dialog, IDCANCEL);
    }
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD result = E_FAIL;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    EXPECT_EQ(static_cast<HRESULT>(result), S_OK);
    EXPECT_EQ(m_env.LogLines(), std::vector<std::string>{ "PlenzarMailPreferences" });
}

}  // namespace
