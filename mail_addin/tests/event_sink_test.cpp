// The event sinks as Outlook calls them: connected through the double's connection
// points, events raised synchronously with their arguments last first.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/usage_statistics.h"
#include "common/vendor_urls.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/tests/support/pipeline_fixture.h"
#include "tests/outlook_double/ribbon_objects.h"

namespace addin_test {
namespace {

using outlook_double::RibbonUi;

const std::wstring kFooterStart = L"Attachments optimized with PlenzarMail. ";

VARIANT IntArgument(LONG value)
{
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = value;
    return arg;
}

// Collects what OutputDebugString writes while it lives: the text travels in the debug-print
// exception, which a vectored handler sees before the system's own handling.
class DebuggerOutput {
public:
    DebuggerOutput() : m_handler(AddVectoredExceptionHandler(1, &Handle)) { s_lines.clear(); }
    ~DebuggerOutput() { RemoveVectoredExceptionHandler(m_handler); }
    // Where the wide text is passed on in its narrow form too, each line comes once.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines = s_lines;
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        return lines;
    }

private:
    static LONG CALLBACK Handle(EXCEPTION_POINTERS* pointers) {
        const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
        if (record->NumberParameters >= 2) {
            const size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
            if (record->ExceptionCode == 0x4001000A) {  // the wide form
                const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
                s_lines.push_back(std::string(text, text + (length ? length - 1 : 0)));
            } else if (record->ExceptionCode == DBG_PRINTEXCEPTION_C) {
                const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
                s_lines.push_back(std::string(text, length ? length - 1 : 0));
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    PVOID m_handler;
    static std::vector<std::string> s_lines;
};
std::vector<std::string> DebuggerOutput::s_lines;

class EventSinkTest : public PipelineFixture {
protected:
    void SetUp() override {
        PipelineFixture::SetUp();
        g_eventListeners.Attach(outlook_.ApplicationDispatch(), IID_OutlookApplicationEvents);
        ASSERT_EQ(1u, outlook_.App().SinkCount());
    }

    // The store that the statistics counts go to, as OnStartupComplete makes it.
    // Published in g_pUsageStatistics; Quit or the environment's teardown destroys it.
    static void StartStatistics() {
        if (!g_pUsageStatistics)
            new CUsageStatistics(L"PlenzarMailTest");
    }
    static UsageRecord Counted(const std::string& name) {
        const auto records = g_pUsageStatistics->CopyRecords();
        const auto found = records.find(name);
        return found == records.end() ? UsageRecord{} : found->second;
    }
};

TEST_F(EventSinkTest, ItemLoadConnectsOneListenerPerItemUntilUnloadThenItIsTakenAgain) {
    const size_t before = g_eventListeners.Count();
    ComPtr<MailItem> first = outlook_.ComposeNewMail();
    outlook_.App().FireItemLoad(first->AsDispatch());
    EXPECT_EQ(1u, first->SinkCount());
    const size_t listeners = g_eventListeners.Count();
    EXPECT_LE(listeners, before + 1);

    EXPECT_EQ(S_OK, first->FireClose());
    EXPECT_EQ(1u, first->SinkCount()) << "the window may stay open: only Unload disconnects";
    EXPECT_EQ(S_OK, first->FireUnload());
    EXPECT_EQ(0u, first->SinkCount());
    ComPtr<MailItem> second = outlook_.ComposeNewMail();
    EXPECT_EQ(1u, second->SinkCount());
    EXPECT_EQ(listeners, g_eventListeners.Count());

    // A source with no connection points: the listener stays in the list, disconnected,
    // and is the one taken next.
    ComPtr<Attachment> attachment = second->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    CAppEventListener* failed = g_eventListeners.Attach(attachment->AsDispatch(), IID_OutlookItemEvents);
    ASSERT_NE(nullptr, failed);
    EXPECT_FALSE(failed->IsConnected());
    const size_t withFailed = g_eventListeners.Count();
    ComPtr<MailItem> third = outlook_.ComposeNewMail();
    EXPECT_EQ(1u, third->SinkCount());
    EXPECT_EQ(withFailed, g_eventListeners.Count());
}

TEST_F(EventSinkTest, ItemLoadInvalidatesTheRibbon) {
    ComPtr<RibbonUi> ribbon = outlook_double::Make<RibbonUi>(outlook_.App().SharedHost(), L"Microsoft.Outlook.Mail.Compose");
    ribbon->AddRef();
    g_ribbonUi = ribbon.Get();
    outlook_.ComposeNewMail();
    g_ribbonUi = nullptr;
    ribbon->Release();
    EXPECT_EQ(1, ribbon->InvalidateCount());
}

// Outlook loads every kind of item. Only a mail in a compose window of its own is changed,
// where the ribbon shows what was done and undoes it: an appointment is not listened to (nor
// changed when it is), and a reply written inline keeps its attachments and gets no footer.
TEST_F(EventSinkTest, OnlyMailsInAComposeWindowOfTheirOwnAreChanged) {
    ComPtr<MailItem> appointment = outlook_.NewMailItem();
    appointment->SetClass(26);  // olAppointment
    EXPECT_EQ(S_OK, outlook_.App().FireItemLoad(appointment->AsDispatch()));
    EXPECT_EQ(0u, appointment->SinkCount());
    g_eventListeners.Attach(appointment->AsDispatch(), IID_OutlookItemEvents);
    ComPtr<Attachment> appointmentPicture = AttachAsUser(appointment.Get(), L"holiday.jpg", kPicture);

    ComPtr<MailItem> reply = outlook_.ReplyInline();
    EXPECT_EQ(1u, reply->SinkCount());
    ComPtr<Attachment> replyPicture = AttachAsUser(reply.Get(), L"garden.jpg", kPicture);
    EXPECT_EQ(S_OK, outlook_.App().FireItemSend(reply->AsDispatch()));

    EXPECT_EQ(appointmentPicture.Get(), Only(appointment.Get()).Get());
    EXPECT_EQ(replyPicture.Get(), Only(reply.Get()).Get());
    EXPECT_EQ(nullptr, appointmentPicture->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_EQ(nullptr, replyPicture->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_EQ(L"", reply->Body());
    EXPECT_TRUE(env_->OptimizeCalls().empty());
}

TEST_F(EventSinkTest, EveryEventWritesItsDebuggerLineFirst) {
    std::vector<std::string> lines;
    HRESULT refused = S_OK, ignored = E_FAIL;
    {
        DebuggerOutput output;  // test failures write there too: nothing is checked inside
        refused = outlook_.App().FireEvent(dispid::ItemSend, {});
        ignored = outlook_.App().FireEvent(0xF003, {});
        lines = output.Lines();
    }
    EXPECT_EQ(E_INVALIDARG, refused);
    EXPECT_EQ(S_OK, ignored);
    EXPECT_EQ((std::vector<std::string>{"DISP_ID: f002\n", "DISP_ID: f003\n"}), lines);
}

TEST_F(EventSinkTest, WrongArgumentCountsAndOtherEventsDoNothing) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    EXPECT_EQ(E_INVALIDARG, outlook_.App().FireEvent(dispid::Quit, {IntArgument(1)}));
    EXPECT_EQ(1u, outlook_.App().SinkCount());
    EXPECT_NE(nullptr, g_engine);
    EXPECT_EQ(E_INVALIDARG, item->FireEvent(dispid::BeforeAttachmentAdd, {IntArgument(1)}));
    EXPECT_EQ(E_INVALIDARG, item->FireEvent(dispid::Close, {}));
    EXPECT_EQ(E_INVALIDARG, item->FireEvent(dispid::Unload, {IntArgument(0)}));
    EXPECT_EQ(1u, item->SinkCount());

    EXPECT_EQ(S_OK, outlook_.App().FireEvent(0xF003, {IntArgument(1)}));
    EXPECT_EQ(S_OK, outlook_.App().FireEvent(dispid::Close, {IntArgument(0)}));  // an item event
    EXPECT_EQ(1u, outlook_.App().SinkCount());
    // An argument of the wrong type is not taken for an object.
    EXPECT_EQ(S_OK, outlook_.App().FireEvent(dispid::ItemLoad, {IntArgument(5)}));
    EXPECT_TRUE(env_->LogLines().empty());
}

TEST_F(EventSinkTest, ItemSendReleasesTheKeptVersionsAddsTheFooterAndCountsTheProfile) {
    StartStatistics();
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    item->SetBody(L"Hello");
    AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    const std::wstring kept = KeptNameOf(Only(item.Get()).Get());
    ASSERT_TRUE(InWorkFolder(kept));

    bool cancelled = true;
    EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch(), &cancelled));

    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(InWorkFolder(kept));
    EXPECT_EQ(0u, item->Body().find(L"Hello\r\n\r\n" + kFooterStart));
    EXPECT_EQ(1, Counted("profile_medium").count);
    EXPECT_EQ("MI_UAs attachments [count:1]", env_->LogLines().back());
}

TEST_F(EventSinkTest, ItemSendUnderNoneCountsNoneWithoutFooter) {
    StartStatistics();
    ComPtr<MailItem> item = NewMail(PROFILE_NONE);
    item->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    ComPtr<MailItem> bare = NewMail(PROFILE_MEDIUM);

    EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch()));
    EXPECT_EQ(S_OK, outlook_.App().FireItemSend(bare->AsDispatch()));

    EXPECT_TRUE(item->Body().empty());
    EXPECT_TRUE(bare->Body().empty());
    EXPECT_EQ(1, Counted("profile_none").count);
    EXPECT_EQ(0, Counted("profile_medium").count);
}

// A send cancelled before it reached the add-in leaves a draft that can still be restored;
// a send that comes again adds no second footer.
TEST_F(EventSinkTest, SendCancelledBeforeItChangesNothingAndNoFooterComesTwice) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    item->SetBody(L"Hello");
    AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    const std::wstring kept = KeptNameOf(Only(item.Get()).Get());

    EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch(), nullptr, true));
    EXPECT_TRUE(InWorkFolder(kept));
    EXPECT_EQ(L"Hello", item->Body());
    for (int send = 0; send < 2; ++send)
        EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch()));
    EXPECT_EQ(L"Hello\r\n\r\n" + kFooterStart + kVendorWebSiteHost, item->Body());
}

// An HTML mail keeps its formatting and pictures: the footer is a paragraph of its HTML.
TEST_F(EventSinkTest, HtmlMailTakesTheFooterAsAParagraphOfItsHtml) {
    const std::wstring paragraph = L"<p>" + kFooterStart + kVendorWebSiteHost + L"</p>";
    ComPtr<MailItem> html = NewMail(PROFILE_MEDIUM), fragment = NewMail(PROFILE_MEDIUM), rich = NewMail(PROFILE_MEDIUM);
    html->SetHtmlMail(L"<html><body><img src=\"cid:image001.png\"></BODY>\r\n</html>");
    fragment->SetHtmlMail(L"<p>Hi</p>");
    rich->SetBodyFormat(3);
    for (MailItem* item : {html.Get(), html.Get(), fragment.Get(), rich.Get()}) {
        item->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
        EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch()));
    }
    EXPECT_EQ(L"<html><body><img src=\"cid:image001.png\">" + paragraph + L"</BODY>\r\n</html>", html->HtmlBody());
    EXPECT_EQ(L"<p>Hi</p>" + paragraph, fragment->HtmlBody());
    EXPECT_EQ(kFooterStart + kVendorWebSiteHost, rich->Body());
}

TEST_F(EventSinkTest, BeforeAttachmentAddCountsEveryAdditionIncludingThePipelinesOwn) {
    StartStatistics();
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"Photo.JPG", kPicture);

    // The user's attachment and its replacement.
    EXPECT_EQ(2, Counted(".jpg").count);
    EXPECT_EQ(1800, Counted(".jpg").value);
    EXPECT_EQ(1u, env_->OptimizeCalls().size());

    delete g_pUsageStatistics;  // not joined: no store
    AttachAsUser(item.Get(), L"plan.png", kPicture);
    EXPECT_EQ(2u, env_->OptimizeCalls().size());
}

TEST_F(EventSinkTest, OutlookErrorInAHandlerStaysInside) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    outlook_.Fail(L"Attachment", dispid::DisplayName, Failure::OutlookException(L"Busy."), FailWhen::Always);
    ComPtr<Attachment> added = AttachAsUser(item.Get(), L"holiday.jpg", kPicture);

    EXPECT_EQ(added.Get(), Only(item.Get()).Get());
    EXPECT_TRUE(KeptNameOf(added.Get()).empty());
    ASSERT_FALSE(outlook_.Events().empty());
    EXPECT_EQ(S_OK, outlook_.Events().back().result);
}

TEST_F(EventSinkTest, QuitDisconnectsAndReleasesTheGlobalsThenNothingIsProcessed) {
    StartStatistics();
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);

    EXPECT_EQ(S_OK, outlook_.App().FireQuit());

    EXPECT_EQ(0u, outlook_.App().SinkCount());
    EXPECT_EQ(0u, item->SinkCount());
    EXPECT_EQ(nullptr, g_engine);
    EXPECT_EQ(nullptr, g_pUsageStatistics);
    ComPtr<Attachment> added = AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    EXPECT_EQ(added.Get(), Only(item.Get()).Get());
    EXPECT_TRUE(KeptNameOf(added.Get()).empty());
    EXPECT_TRUE(env_->OptimizeCalls().empty());
}

TEST_F(EventSinkTest, DestroyedListDisconnectsItsListeners) {
    ComPtr<MailItem> item = outlook_.NewMailItem();
    {
        CEventListenerList list;
        list.Attach(item->AsDispatch(), IID_OutlookItemEvents);
        list.Attach(item->AsDispatch(), IID_OutlookItemEvents);
        EXPECT_EQ(1u, list.Count());
        EXPECT_EQ(1u, item->SinkCount());
    }
    EXPECT_EQ(0u, item->SinkCount());
}

}  // namespace
}  // namespace addin_test
