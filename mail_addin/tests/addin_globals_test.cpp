// The add-in's process-wide objects: the engine object, Outlook's major version, and
// their release on Quit.
#include <gtest/gtest.h>

#include "common/usage_statistics.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/tests/support/mail_test_settings.h"
#include "tests/outlook_double/outlook_double.h"

using namespace outlook_double;

namespace {

class AddinGlobalsTest : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseGlobalObjects();
        g_outlookMajorVersion = 0;
    }
    int MajorVersionOf(const std::wstring& version) {
        g_outlookMajorVersion = -7;
        double_.App().SetVersion(version);
        EXPECT_TRUE(InitializeAddIn(double_.ApplicationDispatch()));
        return g_outlookMajorVersion;
    }
    OutlookDouble double_;
};

TEST_F(AddinGlobalsTest, MajorVersionIsTheNumberBeforeTheFirstDot)
{
    EXPECT_EQ(MajorVersionOf(L"16.0.0.4266"), 16);
    EXPECT_EQ(MajorVersionOf(L"14.0.7015.1000"), 14);
    EXPECT_EQ(MajorVersionOf(L" 15x.1"), 15);
    EXPECT_EQ(MajorVersionOf(L"15"), 0) << "a text without a dot is cut away whole";
    EXPECT_EQ(MajorVersionOf(L"abc"), 0);
    EXPECT_EQ(MajorVersionOf(L""), 0);
}

TEST_F(AddinGlobalsTest, ASecondConnectionKeepsTheEngineAndAFailedVersionReadRaisesNothing)
{
    ASSERT_TRUE(InitializeAddIn(double_.ApplicationDispatch()));
    CEngine* first = g_engine;
    ASSERT_NE(first, nullptr);
    g_outlookMajorVersion = 0;
    double_.Fail(L"Application", dispid::Version, Failure::OutlookException(L"busy"));
    EXPECT_TRUE(InitializeAddIn(double_.ApplicationDispatch()));
    EXPECT_EQ(g_engine, first);
    EXPECT_EQ(g_outlookMajorVersion, 0);
}

TEST_F(AddinGlobalsTest, QuitReleasesTheStoreAndTheEngineOnceAndASecondReleaseDoesNothing)
{
    CMailTestSettings settings;
    CMailTestSettings::SetDword(L"productImprovement", 0);  // no data file left behind
    InitializeAddIn(double_.ApplicationDispatch());
    new CUsageStatistics(L"PlenzarMailTest");
    ASSERT_NE(g_pUsageStatistics, nullptr);
    ReleaseGlobalObjects();
    EXPECT_EQ(g_pUsageStatistics, nullptr);
    EXPECT_EQ(g_engine, nullptr);
    ReleaseGlobalObjects();
    EXPECT_EQ(g_engine, nullptr);
}

TEST_F(AddinGlobalsTest, DisplayNameIsReadFromTheAttachmentAndFailuresPassOn)
{
    ComPtr<MailItem> item = double_.NewMailItem();
    ComPtr<Attachment> attachment = item->AttachmentList().AttachQuietly(L"Ferien 2015.jpg", {1});
    EXPECT_EQ(GetDispatchDisplayName(attachment->AsDispatch()), L"Ferien 2015.jpg");
    double_.Fail(attachment.Get(), dispid::DisplayName, Failure::OutlookException(L"moved"));
    EXPECT_THROW(GetDispatchDisplayName(attachment->AsDispatch()), COleDispatchException*);
}

}  // namespace
