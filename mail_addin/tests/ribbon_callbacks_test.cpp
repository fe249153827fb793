// The ribbon as Outlook drives it: definitions, labels, pressed states and images of the
// active inspector's item, and the clicks that change its profile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "mail_addin/addin_globals.h"
#include "mail_addin/ribbon_callbacks.h"
#include "mail_addin/tests/support/ribbon_test_host.h"

namespace {

using namespace outlook_double;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::_;

// The pipeline's line for a mail without attachments, and with one.
const char kPipelineLine[] = "MI_UAs attachments [count:0]";
const char kPipelineLine1[] = "MI_UAs attachments [count:1]";

const wchar_t kToggle[] = L"PlenzarMailToggle";
const wchar_t* const kMenuButtons[] = { L"PlenzarMailTiny", L"PlenzarMailSmall", L"PlenzarMailMedium",
                                        L"PlenzarMailLarge", L"PlenzarMailFull" };

// What the compose ribbon shows for the active item.
struct ComposeState {
    Variant label;
    Variant pressed;
    bool toggleImage;
    std::vector<int> menuImages;  // profiles of the menu buttons that have an image
};

class RibbonCallbacks : public RibbonTest {
protected:
    ComposeState Read()
    {
        ComposeState state{};
        EXPECT_EQ(m_host.InvokeCallback(kToggle, L"getLabel", {}, &state.label), S_OK);
        EXPECT_EQ(m_host.InvokeCallback(kToggle, L"getPressed", {}, &state.pressed), S_OK);
        Variant image;
        EXPECT_EQ(m_host.GetImage(kToggle, &image), S_OK);
        state.toggleImage = image.Type() == VT_DISPATCH && image.AsObject();
        for (int profile = 0; profile < 5; ++profile) {
            Variant menuImage;
            EXPECT_EQ(m_host.GetImage(kMenuButtons[profile], &menuImage), S_OK);
            if (!menuImage.IsEmpty())
                state.menuImages.push_back(profile);
        }
        return state;
    }

    // Values put into item properties since the calls were last cleared.
    int ProfilePuts() const
    {
        int puts = 0;
        for (const CallRecord& call : m_outlook.CallsTo(L"ItemProperty", dispid::Value))
            puts += call.kind == DISPATCH_PROPERTYPUT;
        return puts;
    }
};

TEST_F(RibbonCallbacks, DefinitionsLoadWithEveryCallbackResolved)
{
    EXPECT_THAT(m_host.UnresolvedCallbacks(), IsEmpty());
    EXPECT_EQ(m_host.LoadError(), L"");
    for (const wchar_t* ribbonId : { kExplorerRibbonId, kComposeRibbonId }) {
        const RibbonDefinition* ribbon = m_host.Ribbon(ribbonId);
        ASSERT_NE(ribbon, nullptr) << ribbonId;
        EXPECT_EQ(ribbon->xml.rfind(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n", 0), 0u);
        for (size_t at = ribbon->xml.find(L'\n'); at != std::wstring::npos; at = ribbon->xml.find(L'\n', at + 1))
            ASSERT_EQ(ribbon->xml[at - 1], L'\r') << "a line without CR at " << at;
        EXPECT_EQ(ribbon->Root()->Attribute(L"xmlns"), L"http://schemas.microsoft.com/office/2009/07/customui");
        EXPECT_EQ(ribbon->Root()->Attribute(L"onLoad"), L"OnLoadRibbon");
    }
    const RibbonDefinition& explorer = *m_host.Ribbon(kExplorerRibbonId);
    ASSERT_NE(explorer.FindControl(L"PlenzarMailPreferences"), nullptr);
    EXPECT_EQ(explorer.FindControl(L"PlenzarMailPreferences")->Attribute(L"onAction"), L"ButtonClicked");

    const RibbonDefinition& compose = *m_host.Ribbon(kComposeRibbonId);
    const RibbonElement* toggle = compose.FindControl(kToggle);
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->Has(L"tag"));
    EXPECT_EQ(toggle->Attribute(L"onAction"), L"ToggleButtonClicked");
    const wchar_t* const labels[] = { L"Tiny Size (320px)", L"Small Size (640px)", L"Medium Size (1024px)",
                                      L"Large Size (1600px)", L"Full Size" };
    for (int profile = 0; profile < 5; ++profile) {
        const RibbonElement* button = compose.FindControl(kMenuButtons[profile]);
        ASSERT_NE(button, nullptr) << profile;
        EXPECT_EQ(button->Attribute(L"tag"), std::to_wstring(profile));
        EXPECT_EQ(button->Attribute(L"label"), labels[profile]);
        EXPECT_EQ(button->Attribute(L"getImage"), L"GetImage");
    }
}

TEST_F(RibbonCallbacks, OtherRibbonIdsGetNoDefinition)
{
    for (const wchar_t* ribbonId : { L"Microsoft.Outlook.Mail.Read", L"microsoft.outlook.explorer",
                                     L"Microsoft.Outlook.Explorer ", L"" }) {
        std::wstring xml;
        bool got = true;
        EXPECT_EQ(m_host.GetCustomUI(ribbonId, &xml, &got), S_OK) << ribbonId;
        EXPECT_FALSE(got) << ribbonId;
    }
    // A BSTR that holds the id followed by more text after a NUL is another id.
    BSTR padded = SysAllocStringLen(L"Microsoft.Outlook.Explorer\0x", 28);
    BSTR xml = nullptr;
    EXPECT_EQ(RibbonGetCustomUI(padded, &xml), S_OK);
    EXPECT_EQ(xml, nullptr);
    EXPECT_EQ(RibbonGetCustomUI(padded, nullptr), E_POINTER);
    SysFreeString(padded);
}

TEST_F(RibbonCallbacks, ToggleAndMenuShowTheItemsProfile)
{
    // A new mail without "PlenzarType" has the default profile, Medium.
    OpenMail();
    ComposeState state = Read();
    EXPECT_EQ(state.label.AsText(), L"Medium");
    EXPECT_EQ(state.pressed.Type(), VT_BOOL);
    EXPECT_TRUE(state.pressed.AsInt());
    EXPECT_TRUE(state.toggleImage);
    EXPECT_THAT(state.menuImages, ElementsAre(2));

    const wchar_t* const labels[] = { L"None", L"Tiny", L"Small", L"Medium", L"Large", L"Full" };
    for (int profile = -1; profile <= 4; ++profile) {
        OpenMail(profile);
        state = Read();
        EXPECT_EQ(state.label.AsText(), labels[profile + 1]) << profile;
        EXPECT_EQ(state.pressed.AsInt() != 0, profile != -1) << profile;
        EXPECT_TRUE(state.toggleImage) << profile;
        if (profile == -1)
            EXPECT_THAT(state.menuImages, IsEmpty());
        else
            EXPECT_THAT(state.menuImages, ElementsAre(profile));
    }
}

TEST_F(RibbonCallbacks, WithoutAnItemOnlyTheLabelAnswers)
{
    // No inspector, then an inspector that shows no item.
    for (bool inspector : { false, true }) {
        if (inspector)
            m_outlook.OpenInspector(nullptr);
        const ComposeState state = Read();
        EXPECT_EQ(state.label.AsText(), L"None");
        EXPECT_TRUE(state.pressed.IsEmpty());
        EXPECT_FALSE(state.toggleImage);
        EXPECT_THAT(state.menuImages, IsEmpty());
    }
    // The Preferences image needs no item.
    Variant image;
    EXPECT_EQ(m_host.GetImage(L"PlenzarMailPreferences", &image), S_OK);
    EXPECT_EQ(image.Type(), VT_DISPATCH);
}

TEST_F(RibbonCallbacks, StateCallbacksAnswerNothingForOtherControls)
{
    OpenMail(2);
    for (const wchar_t* id : { L"PlenzarMailMedium", L"PlenzarMailPreferences", L"plenzarmailtoggle" }) {
        const auto control = Control(id);
        VARIANT_BOOL pressed = 7;
        BSTR label = nullptr;
        EXPECT_EQ(RibbonGetPressed(m_outlook.ApplicationDispatch(), control->AsDispatch(), &pressed), S_OK);
        EXPECT_EQ(RibbonGetLabel(m_outlook.ApplicationDispatch(), control->AsDispatch(), &label), S_OK);
        EXPECT_EQ(pressed, 7) << id;
        EXPECT_EQ(label, nullptr) << id;
    }
    IPictureDisp* picture = nullptr;
    EXPECT_EQ(RibbonGetImage(m_outlook.ApplicationDispatch(), nullptr, &picture), E_POINTER);
    EXPECT_EQ(picture, nullptr);
}

TEST_F(RibbonCallbacks, ToggleSwitchesBetweenNoneAndTheDefaultProfile)
{
    const auto item = OpenMail();
    ASSERT_EQ(m_host.ClickToggle(kToggle, false), S_OK);
    EXPECT_THAT(LogLines(), ElementsAre("PlenzarToggleButton", "PlenzarNewProfile -1", kPipelineLine));
    EXPECT_EQ(StoredProfile(item.Get()), -1);
    EXPECT_EQ(m_host.InvalidateCount(), 1);
    const ComposeState state = Read();
    EXPECT_EQ(state.label.AsText(), L"None");
    EXPECT_FALSE(state.pressed.AsInt());
    EXPECT_THAT(state.menuImages, IsEmpty());

    // Back on: the default profile as the registry holds it at the click.
    CMailTestSettings::SetDefaultProfile(3);
    ASSERT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
    EXPECT_EQ(StoredProfile(item.Get()), 3);
    EXPECT_EQ(m_host.InvalidateCount(), 2);
    EXPECT_THAT(LogLines(), ElementsAre(_, _, _, "PlenzarToggleButton", "PlenzarNewProfile 3", kPipelineLine));
}

TEST_F(RibbonCallbacks, ToggleOnNoneWithDefaultNoneChangesNothing)
{
    CMailTestSettings::SetDefaultProfile(-1);
    const auto item = OpenMail(-1);
    ASSERT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
    EXPECT_THAT(LogLines(), ElementsAre("PlenzarToggleButton"));
    EXPECT_EQ(StoredProfile(item.Get()), -1);
    EXPECT_EQ(m_host.InvalidateCount(), 0);
}

TEST_F(RibbonCallbacks, MenuButtonsRemakeTheAttachmentsAndTheToggleRestoresThem)
{
    const auto item = OpenMail(2);
    const std::vector<BYTE> picture = addin_test::PictureBytes(900);
    item->AttachmentList().AttachQuietly(L"holiday.jpg", picture);

    ASSERT_EQ(m_host.Click(L"PlenzarMailSmall"), S_OK);
    EXPECT_EQ(StoredProfile(item.Get()), 1);
    EXPECT_EQ(m_host.InvalidateCount(), 1);
    EXPECT_THAT(Read().menuImages, ElementsAre(1));
    const auto calls = m_env.OptimizeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].profile, 1);
    ASSERT_EQ(item->AttachmentList().Count(), 1u);
    const std::wstring kept = addin_test::KeptNameOf(item->AttachmentList().At(0).Get());
    EXPECT_FALSE(kept.empty());

    ASSERT_EQ(m_host.ClickToggle(kToggle, false), S_OK);
    EXPECT_EQ(StoredProfile(item.Get()), -1);
    EXPECT_EQ(m_host.InvalidateCount(), 2);
    EXPECT_EQ(m_env.OptimizeCalls().size(), 1u);  // the first version comes back as it was
    ASSERT_EQ(item->AttachmentList().Count(), 1u);
    EXPECT_EQ(item->AttachmentList().At(0)->Bytes(), picture);
    EXPECT_EQ(addin_test::KeptNameOf(item->AttachmentList().At(0).Get()), kept);

    // Each change is logged before the pipeline's lines of its run.
    const std::vector<std::string> lines = LogLines();
    const auto toggle = std::find(lines.begin(), lines.end(), "PlenzarToggleButton");
    ASSERT_GE(lines.end() - toggle, 3);
    EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 2),
                ElementsAre("PlenzarNewProfile 1", kPipelineLine1));
    EXPECT_THAT(std::vector<std::string>(toggle + 1, toggle + 3), ElementsAre("PlenzarNewProfile -1", kPipelineLine1));
}

TEST_F(RibbonCallbacks, TheItemsOwnProfileClickedOnlyConnectsItsEvents)
{
    const auto item = OpenMail(3);
    ASSERT_EQ(m_host.Click(L"PlenzarMailLarge"), S_OK);
    EXPECT_EQ(item->SinkCount(), 1u);
    ASSERT_EQ(m_host.Click(L"PlenzarMailLarge"), S_OK);
    EXPECT_EQ(item->SinkCount(), 1u);  // connected once
    EXPECT_THAT(LogLines(), IsEmpty());
    EXPECT_EQ(ProfilePuts(), 0);
    EXPECT_EQ(m_host.InvalidateCount(), 0);

    // The toggle connects nothing.
    const auto other = OpenMail(2);
    ASSERT_EQ(m_host.ClickToggle(kToggle, false), S_OK);
    EXPECT_EQ(other->SinkCount(), 0u);
}

// With two mails open, an invalidation makes every window ask: each answers for the mail it
// shows, and a click changes that mail. A control outside a compose window (its Context the
// main window's Explorer) answers for the active inspector's mail.
TEST_F(RibbonCallbacks, EachComposeWindowAnswersForItsOwnMail)
{
    const auto first = OpenMail(2);
    const ComPtr<Inspector> firstWindow = m_outlook.App().ActiveInspector();
    const auto second = OpenMail(3);
    m_host.CallFromWindow(firstWindow->AsDispatch());
    EXPECT_EQ(Read().label.AsText(), L"Medium");
    ASSERT_EQ(m_host.ClickToggle(kToggle, false), S_OK);
    EXPECT_EQ(StoredProfile(first.Get()), -1);
    EXPECT_EQ(StoredProfile(second.Get()), 3);
    EXPECT_EQ(Read().label.AsText(), L"None");

    const auto control = Make<RibbonControl>(m_outlook.App().SharedHost(), kToggle, L"",
                                             m_outlook.App().MainExplorer().AsDispatch());
    BSTR label = nullptr;
    EXPECT_EQ(RibbonGetLabel(m_outlook.ApplicationDispatch(), control->AsDispatch(), &label), S_OK);
    EXPECT_EQ(BstrToText(label), L"Large");
    SysFreeString(label);
}

TEST_F(RibbonCallbacks, TagsReadAsTheirLeadingNumber)
{
    struct Case {
        const wchar_t* tag;
        int profile;
    };
    for (const Case& c : { Case{ L" 3", 3 }, Case{ L"2a", 2 }, Case{ L"ab", 0 }, Case{ L"+4", 4 }, Case{ L"-1", -1 } }) {
        const auto item = OpenMail(1);
        const auto control = Control(L"PlenzarMailSomething", c.tag);
        EXPECT_EQ(RibbonButtonClicked(m_outlook.ApplicationDispatch(), nullptr, control->AsDispatch()), S_OK);
        EXPECT_EQ(StoredProfile(item.Get()), c.profile) << c.tag;
    }
    // A toggle with a tag is read by its tag; the toggle callback answers only the toggle.
    const auto item = OpenMail(1);
    EXPECT_EQ(RibbonToggleButtonClicked(m_outlook.ApplicationDispatch(), nullptr,
                                        Control(kToggle, L"4")->AsDispatch(), nullptr), S_OK);
    EXPECT_EQ(StoredProfile(item.Get()), 4);
    EXPECT_EQ(RibbonToggleButtonClicked(m_outlook.ApplicationDispatch(), nullptr,
                                        Control(L"PlenzarMailTiny", L"0")->AsDispatch(), nullptr), S_OK);
    EXPECT_EQ(StoredProfile(item.Get()), 4);
}

TEST_F(RibbonCallbacks, ClicksWithoutAnItemDoNothing)
{
    ASSERT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
    ASSERT_EQ(m_host.Click(L"PlenzarMailLarge"), S_OK);
    m_outlook.OpenInspector(nullptr);
    ASSERT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
    ASSERT_EQ(m_host.Click(L"PlenzarMailLarge"), S_OK);
    EXPECT_THAT(LogLines(), IsEmpty());
    EXPECT_EQ(m_host.InvalidateCount(), 0);
}

TEST_F(RibbonCallbacks, FailingOutlookCallsStopTheCallbackQuietly)
{
    const auto item = OpenMail(2);
    // Every callback, with the window's CurrentItem raising an Outlook error, then failing plainly.
    for (const Failure& failure : { Failure::OutlookException(L"Busy"), Failure::Hresult(E_ACCESSDENIED) }) {
        m_outlook.Fail(L"Inspector", dispid::CurrentItem, failure, FailWhen::Always);
        const ComposeState state = Read();
        EXPECT_EQ(state.label.AsText(), L"");
        EXPECT_TRUE(state.pressed.IsEmpty());
        EXPECT_FALSE(state.toggleImage);
        EXPECT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
        EXPECT_EQ(m_host.Click(L"PlenzarMailTiny"), S_OK);
        m_outlook.Host().ClearFailures();
    }
    EXPECT_EQ(StoredProfile(item.Get()), 2);

    // The control's id cannot be read.
    m_outlook.Fail(L"IRibbonControl", dispid::ControlId, Failure::Hresult(E_FAIL), FailWhen::Always);
    EXPECT_EQ(m_host.Click(L"PlenzarMailTiny"), S_OK);
    EXPECT_EQ(m_host.ClickToggle(kToggle, true), S_OK);
    Variant image;
    EXPECT_EQ(m_host.GetImage(L"PlenzarMailPreferences", &image), S_OK);
    EXPECT_TRUE(image.IsEmpty());
    m_outlook.Host().ClearFailures();

    // Storing the profile fails after its log line: the line stays, nothing is invalidated.
    m_outlook.Fail(L"ItemProperty", dispid::Value, Failure::OutlookException(L"Read-only"),
                   FailWhen::Always, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(m_host.Click(L"PlenzarMailTiny"), S_OK);
    EXPECT_THAT(LogLines(), ElementsAre("PlenzarNewProfile 0"));  // the pipeline did not run
    EXPECT_EQ(m_host.InvalidateCount(), 0);
    EXPECT_EQ(StoredProfile(item.Get()), 2);
}

TEST_F(RibbonCallbacks, OnLoadKeepsTheLastRibbonInBothPlaces)
{
    // Start loaded the explorer ribbon, then the compose ribbon: the compose one is kept.
    RibbonUi* compose = m_host.RibbonUiOf(kComposeRibbonId);
    ASSERT_NE(compose, nullptr);
    EXPECT_EQ(g_ribbonUi, static_cast<IRibbonUI*>(compose));
    const LONG before = compose->References();

    IRibbonUI* member = nullptr;
    RibbonUi* explorer = m_host.RibbonUiOf(kExplorerRibbonId);
    EXPECT_EQ(RibbonOnLoad(explorer->AsDispatch(), &member), S_OK);
    EXPECT_EQ(member, static_cast<IRibbonUI*>(explorer));
    EXPECT_EQ(g_ribbonUi, member);
    EXPECT_EQ(compose->References(), before - 1);  // the global's reference went back

    // An object that is no ribbon leaves both empty.
    const auto item = m_outlook.NewMailItem();
    EXPECT_EQ(RibbonOnLoad(item->AsDispatch(), &member), S_OK);
    EXPECT_EQ(member, nullptr);
    EXPECT_EQ(g_ribbonUi, nullptr);
    EXPECT_EQ(RibbonOnLoad(nullptr, nullptr), E_POINTER);
}

}  // namespace
