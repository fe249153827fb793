// Item and attachment access against the Outlook double: the item profile, the kept-version
// property, the footer, random names, failures and the references the add-in gives back.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "common/vendor_urls.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/tests/support/mail_test_settings.h"
#include "tests/outlook_double/outlook_double.h"

using namespace outlook_double;

namespace {

class OutlookAccessTest : public ::testing::Test {
protected:
    IDispatch* Item() { return item_->AsDispatch(); }
    ItemProperties& Properties() { return item_->Properties(); }
    void AddProperty(const std::wstring& name, LONG type, LONG value) {
        Properties().AddQuietly(name, type, Variant::Int(value));
    }
    std::vector<std::wstring> ItemPropertyCalls() {
        std::vector<std::wstring> calls;
        for (const CallRecord& call : double_.Calls())
            if (call.className == L"ItemProperty" || call.className == L"ItemProperties")
                calls.push_back(call.className + L"." + std::to_wstring(call.dispid));
        return calls;
    }

    CMailTestSettings settings_;
    OutlookDouble double_;
    ComPtr<MailItem> item_ = double_.NewMailItem();
};

TEST_F(OutlookAccessTest, ItemProfileFallsBackToTheClampedDefault)
{
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_MEDIUM);
    CMailTestSettings::SetDefaultProfile(9);
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_FULL) << "a stored default is clamped too";
    CMailTestSettings::SetDefaultProfile(1);
    AddProperty(L"PlenzarType", 3 /* olNumber */, 4);
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_SMALL) << "another type reads as missing";
    AddProperty(L"plenzartype", 20, 4);
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_SMALL) << "names are compared case-sensitively";
}

TEST_F(OutlookAccessTest, ItemProfileIsClampedAndTheLastOfTwoSameNamedPropertiesDecides)
{
    for (const auto& [stored, expected] : std::vector<std::pair<LONG, int>>{
             {7, PROFILE_FULL}, {-5, PROFILE_NONE}, {-1, PROFILE_NONE}, {0, PROFILE_TINY}}) {
        OutlookDouble outlook;
        ComPtr<MailItem> item = outlook.NewMailItem();
        item->Properties().AddQuietly(L"PlenzarType", 20, Variant::Int(stored));
        EXPECT_EQ(GetItemProfile(item->AsDispatch()), expected) << stored;
    }
    AddProperty(L"PlenzarType", 20, 0);
    AddProperty(L"PlenzarType", 20, 3);
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_LARGE);
    SetItemProfile(Item(), 1);
    EXPECT_EQ(Properties().At(0)->Value().AsInt(), 0);
    EXPECT_EQ(Properties().At(1)->Value().AsInt(), 1);
}

TEST_F(OutlookAccessTest, SetItemProfileAddsTheIntegerPropertyOrPutsTheExistingOnesValue)
{
    SetItemProfile(Item(), 7);  // not clamped when stored
    ASSERT_EQ(Properties().Count(), 1u);
    EXPECT_EQ(Properties().At(0)->Name(), L"PlenzarType");
    EXPECT_EQ(Properties().At(0)->Type(), 20);
    EXPECT_EQ(Properties().At(0)->Value().AsInt(), 7);

    // The second change and every later one, switching off included, store their value:
    // Count, Item(0), Name, then the Value put, and no member ItemProperty does not have.
    for (int profile : {-1, 3}) {
        double_.Host().ClearCalls();
        SetItemProfile(Item(), profile);
        EXPECT_EQ(Properties().Count(), 1u);
        EXPECT_EQ(Properties().At(0)->Value().AsInt(), profile);
        const std::vector<std::wstring> calls = ItemPropertyCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), L"ItemProperty.0");
        for (const CallRecord& call : double_.Calls())
            EXPECT_EQ(call.result, S_OK) << call.className << " " << call.dispid;
    }
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_LARGE);
}

TEST_F(OutlookAccessTest, FooterStandsAloneOnAnEmptyBodyAndAfterABlankLineOtherwise)
{
    const std::wstring footer =
        std::wstring(L"Attachments optimized with PlenzarMail. ") + kVendorWebSiteHost;
    EXPECT_TRUE(AppendOptimizedFooter(Item()));
    EXPECT_EQ(item_->Body(), footer);
    item_->SetBody(L"Hello\r\nBye");
    AppendOptimizedFooter(Item());
    EXPECT_EQ(item_->Body(), L"Hello\r\nBye\r\n\r\n" + footer);
}

TEST_F(OutlookAccessTest, KeptVersionPropertyReadsAsTextAndEmptyWhenMissingOrFailing)
{
    ComPtr<Attachment> attachment = item_->AttachmentList().AttachQuietly(L"a.jpg", {1, 2, 3});
    IDispatch* dispatch = attachment->AsDispatch();
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"");
    attachment->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(L"abcdefghij.jpg"));
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"abcdefghij.jpg");
    attachment->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Int(5));
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"");
    attachment->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(L"x.jpg"));
    double_.Fail(L"Attachment", dispid::PropertyAccessor, Failure::OutlookException(L"gone"));
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"");
    double_.Fail(L"PropertyAccessor", dispid::GetProperty, Failure::Hresult(E_OUTOFMEMORY));
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"");
    EXPECT_EQ(GetAttachmentStringProperty(dispatch, PLENZAR_ORIG_SCHEMA_NAME), L"x.jpg");
}

// Each wrapper that may raise raises Outlook's description, or the HRESULT; the profile
// read never raises and answers none.
TEST_F(OutlookAccessTest, OutlookFailuresRaiseTheRightExceptionExceptWhereTheyMustNot)
{
    ComPtr<Attachment> attachment = item_->AttachmentList().AttachQuietly(L"a.jpg", {1});
    AddProperty(L"PlenzarType", 20, 2);
    struct Case {
        const wchar_t* className;
        DISPID dispid;
        std::function<void()> call;
    };
    const std::vector<Case> cases = {
        {L"Attachment", dispid::SaveAsFile, [&] { SaveAttachmentAsFile(attachment->AsDispatch(), L"C:\\x"); }},
        {L"Attachment", dispid::PropertyAccessor, [&] { COleDispatchDriver(GetPropertyAccessor(attachment->AsDispatch())); }},
        {L"MailItem", dispid::Body, [&] { GetItemBody(Item()); }},
        {L"MailItem", dispid::Body, [&] { AppendOptimizedFooter(Item()); }},
        {L"Application", dispid::Version, [&] { GetApplicationVersion(double_.ApplicationDispatch()); }},
        {L"MailItem", dispid::ItemProperties, [&] { GetItemPropertyValue(Item(), L"PlenzarType", 20); }},
        {L"ItemProperties", dispid::ItemPropertiesItem, [&] { GetItemPropertyValue(Item(), L"PlenzarType", 20); }},
        {L"ItemProperty", dispid::Name, [&] { SetItemProfile(Item(), 1); }},
        {L"ItemProperty", dispid::Value, [&] { SetItemProfile(Item(), 1); }},
    };
    for (const Case& c : cases) {
        double_.Fail(c.className, c.dispid, Failure::OutlookException(L"Outlook says no"));
        try {
            c.call();
            ADD_FAILURE() << "no exception from " << c.dispid;
        } catch (COleDispatchException* e) {
            EXPECT_EQ(e->m_strDescription, L"Outlook says no");
            e->Delete();
        }
        double_.Fail(c.className, c.dispid, Failure::Hresult(RPC_E_DISCONNECTED));
        try {
            c.call();
            ADD_FAILURE() << "no exception from " << c.dispid;
        } catch (COleException* e) {
            EXPECT_EQ(e->m_sc, RPC_E_DISCONNECTED);
            e->Delete();
        }
    }
    double_.Fail(L"ItemProperty", dispid::Type, Failure::OutlookException(L"busy"));
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_NONE);
    EXPECT_EQ(GetItemProfile(Item()), PROFILE_MEDIUM) << "no failed write stored anything";
}

TEST_F(OutlookAccessTest, EveryObjectTheAccessObtainsIsGivenBack)
{
    ComPtr<Attachment> attachment = item_->AttachmentList().AttachQuietly(L"a.jpg", {1});
    attachment->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(L"k.jpg"));
    AddProperty(L"Other", 1, 0);
    SetItemProfile(Item(), 2);
    const LONG itemRefs = item_->References();
    const LONG attachmentRefs = attachment->References();
    const LONG propertyRefs = Properties().At(1)->References();
    const LONG propertiesRefs = item_->Properties().References();
    for (int i = 0; i < 3; ++i) {
        GetItemProfile(Item());
        SetItemProfile(Item(), i);
        GetAttachmentStringProperty(attachment->AsDispatch(), PLENZAR_ORIG_SCHEMA_NAME);
        AppendOptimizedFooter(Item());
    }
    EXPECT_EQ(item_->References(), itemRefs);
    EXPECT_EQ(attachment->References(), attachmentRefs);
    EXPECT_EQ(Properties().At(1)->References(), propertyRefs);
    EXPECT_EQ(item_->Properties().References(), propertiesRefs);
}

int g_generated;
int NextGenerated() { return g_generated++; }

TEST(RandomNameTest, EveryDrawOfTheGeneratorGivesACharacterOfTheAlphabet)
{
    const std::wstring alphabet = L"abcdefghijkmnopqrstuvxyzABCDEFGHIJKLMNOPQRSTUCXYZ0123456789";
    std::set<wchar_t> seen;
    for (g_generated = 0; g_generated <= 32767;) {
        const std::wstring name = MakeRandomName(&NextGenerated);
        ASSERT_EQ(name.size(), 10u);
        for (wchar_t c : name) {
            ASSERT_NE(alphabet.find(c), std::wstring::npos) << int(c);
            seen.insert(c);
        }
    }
    EXPECT_EQ(seen.size(), 58u) << "every distinct character of the alphabet is reachable";
    EXPECT_EQ(MakeRandomName([] { return 0; }), L"aaaaaaaaaa");
    EXPECT_EQ(MakeRandomName([] { return 32767; }), L"9999999999");
    // "C" stands at 26 and 45: 45/59 of the range lands on the second one.
    EXPECT_EQ(MakeRandomName([] { return 45 * 32767 / 59 + 1; })[0], L'C');
}

}  // namespace
