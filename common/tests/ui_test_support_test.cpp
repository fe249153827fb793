// The test support that plays the user: it must tell the boxes and pages apart that the
// product's tests check.
#include "tests/support/message_box_answerer.h"
#include "tests/support/url_recorder_scope.h"

#include <gtest/gtest.h>

#include <shellapi.h>

namespace {

TEST(MessageBoxAnswerer, ReadsTextButtonsAndIconAndClicksTheChosenButton)
{
    testsupport::MessageBoxAnswerer answerer(L"Answerer check", IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, L"first\nsecond", L"Answerer check", MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
    const auto boxes = answerer.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Answerer check");
    EXPECT_EQ(boxes[0].text, L"first\nsecond");
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_TRUE(boxes[0].hasIcon);
}

TEST(ScopedUrlRecorder, RecordsEachOpenedAddressAndPutsTheAssociationBack)
{
    auto command = [] {
        wchar_t text[1024] = {};
        DWORD size = sizeof(text);
        RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\http\\shell\\open\\command", nullptr,
                     RRF_RT_REG_SZ, nullptr, text, &size);
        return std::wstring(text);
    };
    const std::wstring before = command();
    {
        testsupport::ScopedUrlRecorder browser;
        ASSERT_TRUE(browser.Active());
        ShellExecuteW(nullptr, L"open", L"http://one.example/a b?x=1", nullptr, nullptr, SW_SHOWNORMAL);
        ASSERT_TRUE(browser.WaitForUrls(1, 10000));
        ShellExecuteW(nullptr, L"open", L"http://two.example/\u00FC", nullptr, nullptr, SW_SHOWNORMAL);
        ASSERT_TRUE(browser.WaitForUrls(2, 10000));
        EXPECT_EQ(browser.Urls(),
                  (std::vector<std::wstring>{L"http://one.example/a b?x=1", L"http://two.example/\u00FC"}));
    }
    EXPECT_EQ(command(), before);
}

} // namespace
