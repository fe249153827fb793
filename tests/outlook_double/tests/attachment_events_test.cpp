// The events that Attachments.Add and Attachment.Delete raise: their order, their
// argument order, Cancel, and what the collection holds while handlers re-enter it.
#include <gtest/gtest.h>

#include "tests/outlook_double/outlook_double.h"
#include "tests/outlook_double/tests/dispatch_call.h"
#include "tests/outlook_double/tests/temp_file.h"
#include "tests/outlook_double/tests/test_sink.h"

namespace outlook_double {
namespace {

const std::vector<BYTE> kPicture = {0x89, 'P', 'N', 'G', 0x00, 0x01, 0x02, 0xFF, 0x10};
const std::vector<BYTE> kSmaller = {0x89, 'P', 'N', 'G'};

class AttachmentEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        item_ = outlook_.NewMailItem();
        sink_ = new TestSink(kItemEvents);
        sink_->AddRef();
        ASSERT_EQ(S_OK, sink_->Advise(item_->AsDispatch()));
    }
    void TearDown() override {
        sink_->Unadvise();
        sink_->Release();
    }

    LONG Count() { return Call(attachments(), dispid::Count, DISPATCH_PROPERTYGET).result.AsInt(); }
    IDispatch* attachments() { return &item_->AttachmentList(); }
    CallOutcome Add(const std::wstring& path, const std::wstring& name) {
        return Call(attachments(), dispid::AttachmentsAdd, DISPATCH_METHOD,
                    {Variant::Text(path), Variant::Int(1), Variant::Int(1), Variant::Text(name)});
    }

    OutlookDouble outlook_;
    ComPtr<MailItem> item_;
    TestSink* sink_ = nullptr;
};

TEST_F(AttachmentEventsTest, AddRaisesBeforeAttachmentAddWithAttachmentThenCancelLastFirst) {
    TempFile source(L"od_photo.jpg", kPicture);
    IDispatch* seen = nullptr;
    LONG countDuringEvent = -1;
    std::wstring nameDuringEvent;
    sink_->reaction = [&](DISPID, DISPPARAMS* params) {
        seen = V_DISPATCH(&params->rgvarg[1]);
        countDuringEvent = Count();
        nameDuringEvent = Call(seen, dispid::DisplayName, DISPATCH_PROPERTYGET).result.AsText();
        return S_OK;
    };

    CallOutcome added = Add(source.Path(), L"holiday.jpg");

    ASSERT_EQ(S_OK, added.hr);
    ASSERT_EQ(1u, sink_->received.size());
    const ReceivedEvent& event = sink_->received[0];
    EXPECT_EQ(dispid::BeforeAttachmentAdd, event.dispid);
    EXPECT_EQ((std::vector<VARTYPE>{VT_BYREF | VT_BOOL, VT_DISPATCH}), event.types);
    EXPECT_EQ(added.result.AsObject(), seen);
    EXPECT_EQ(0, countDuringEvent);  // not in the collection before the sinks agree
    EXPECT_EQ(L"od_photo.jpg", nameDuringEvent);  // a plain-text mail shows the file's name
    EXPECT_EQ(1, Count());
    EXPECT_EQ(static_cast<LONG>(kPicture.size()),
              Call(seen, dispid::Size, DISPATCH_PROPERTYGET).result.AsInt());
}

TEST_F(AttachmentEventsTest, SaveAsFileWritesTheAttachedBytes) {
    TempFile source(L"od_source.jpg", kPicture);
    CallOutcome added = Add(source.Path(), L"a.jpg");
    TempFile saved(L"od_saved.jpg", {});
    ASSERT_EQ(S_OK, Call(added.result.AsObject(), dispid::SaveAsFile, DISPATCH_METHOD,
                         {Variant::Text(saved.Path())}).hr);
    std::vector<BYTE> bytes;
    ASSERT_TRUE(ReadFileBytes(saved.Path(), &bytes));
    EXPECT_EQ(kPicture, bytes);
}

TEST_F(AttachmentEventsTest, CancelKeepsTheAttachmentOutAndRaisesAnOutlookException) {
    TempFile source(L"od_cancel.jpg", kPicture);
    sink_->reaction = [](DISPID, DISPPARAMS* params) {
        *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
        return S_OK;
    };
    CallOutcome added = Add(source.Path(), L"x.jpg");
    EXPECT_EQ(DISP_E_EXCEPTION, added.hr);
    EXPECT_FALSE(added.description.empty());
    EXPECT_EQ(0, Count());
}

TEST_F(AttachmentEventsTest, ReplacingTheNewAttachmentInsideItsOwnEventLeavesOnlyTheReplacement) {
    // What the add-in does: inside BeforeAttachmentAdd it adds a smaller copy (raising a
    // nested BeforeAttachmentAdd) and deletes the attachment being added.
    TempFile original(L"od_big.jpg", kPicture);
    TempFile smaller(L"od_small.jpg", kSmaller);
    bool replacing = false;
    std::vector<std::pair<DISPID, LONG>> countsSeen;
    sink_->reaction = [&](DISPID id, DISPPARAMS* params) {
        countsSeen.emplace_back(id, Count());
        if (id != dispid::BeforeAttachmentAdd || replacing) return S_OK;
        replacing = true;
        IDispatch* incoming = V_DISPATCH(&params->rgvarg[1]);
        EXPECT_EQ(S_OK, Add(smaller.Path(), L"big.jpg").hr);
        EXPECT_EQ(S_OK, Call(incoming, dispid::Delete, DISPATCH_METHOD).hr);
        replacing = false;
        return S_OK;
    };

    CallOutcome added = Add(original.Path(), L"big.jpg");

    ASSERT_EQ(S_OK, added.hr);
    ASSERT_EQ(3u, sink_->received.size());
    EXPECT_EQ(dispid::BeforeAttachmentAdd, sink_->received[0].dispid);
    EXPECT_EQ(dispid::BeforeAttachmentAdd, sink_->received[1].dispid);
    EXPECT_EQ(dispid::AttachmentRemove, sink_->received[2].dispid);
    EXPECT_EQ(added.result.AsObject(), sink_->received[2].objects[0]);
    EXPECT_EQ((std::vector<std::pair<DISPID, LONG>>{{dispid::BeforeAttachmentAdd, 0},
                                                    {dispid::BeforeAttachmentAdd, 0},
                                                    {dispid::AttachmentRemove, 1}}),
              countsSeen);
    ASSERT_EQ(1, Count());
    EXPECT_EQ(kSmaller, item_->AttachmentList().At(0)->Bytes());
}

TEST_F(AttachmentEventsTest, DeleteRaisesAttachmentRemoveOnceWithTheAttachmentStillReadable) {
    auto first = item_->AttachmentList().AttachQuietly(L"one.jpg", kPicture);
    auto second = item_->AttachmentList().AttachQuietly(L"two.jpg", kSmaller);
    std::wstring nameInEvent;
    sink_->reaction = [&](DISPID, DISPPARAMS* params) {
        nameInEvent = Call(V_DISPATCH(&params->rgvarg[0]), dispid::DisplayName, DISPATCH_PROPERTYGET)
                          .result.AsText();
        return S_OK;
    };

    ASSERT_EQ(S_OK, Call(first.Get(), dispid::Delete, DISPATCH_METHOD).hr);
    EXPECT_EQ(DISP_E_EXCEPTION, Call(first.Get(), dispid::Delete, DISPATCH_METHOD).hr);

    ASSERT_EQ(1u, sink_->received.size());
    EXPECT_EQ(dispid::AttachmentRemove, sink_->received[0].dispid);
    EXPECT_EQ((std::vector<VARTYPE>{VT_DISPATCH}), sink_->received[0].types);
    EXPECT_EQ(L"one.jpg", nameInEvent);
    ASSERT_EQ(1, Count());
    EXPECT_EQ(second.Get(), item_->AttachmentList().At(0).Get());
}

TEST_F(AttachmentEventsTest, ASinkThatUnadvisesInCloseStopsGettingEventsAndOthersStillGetClose) {
    TestSink* other = new TestSink(kItemEvents);
    other->AddRef();
    ASSERT_EQ(S_OK, other->Advise(item_->AsDispatch()));
    sink_->reaction = [&](DISPID, DISPPARAMS*) { return sink_->Unadvise(); };

    bool cancelled = true;
    EXPECT_EQ(S_OK, item_->FireClose(&cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(1u, item_->SinkCount());
    EXPECT_EQ(1u, other->received.size());
    EXPECT_EQ((std::vector<VARTYPE>{VT_BYREF | VT_BOOL}), other->received[0].types);

    auto attachment = item_->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    attachment->DeleteAsUser();
    EXPECT_EQ(1u, sink_->received.size());
    EXPECT_EQ(2u, other->received.size());
    other->Unadvise();
    other->Release();
}

TEST(ApplicationEventsTest, ItemSendPassesItemThenCancelAndQuitNoArgument) {
    OutlookDouble outlook;
    auto item = outlook.NewMailItem();
    TestSink* sink = new TestSink(kApplicationEvents);
    sink->AddRef();
    ASSERT_EQ(S_OK, sink->Advise(outlook.ApplicationDispatch()));
    sink->reaction = [](DISPID id, DISPPARAMS* params) {
        if (id == dispid::ItemSend) *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
        return id == dispid::Quit ? E_INVALIDARG : S_OK;
    };

    bool cancelled = false;
    EXPECT_EQ(S_OK, outlook.App().FireItemSend(item->AsDispatch(), &cancelled));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(S_OK, outlook.App().FireItemLoad(item->AsDispatch()));
    EXPECT_EQ(E_INVALIDARG, outlook.App().FireQuit());

    ASSERT_EQ(3u, sink->received.size());
    EXPECT_EQ((std::vector<VARTYPE>{VT_BYREF | VT_BOOL, VT_DISPATCH}), sink->received[0].types);
    EXPECT_EQ(item->AsDispatch(), sink->received[0].objects[1]);
    EXPECT_EQ((std::vector<VARTYPE>{VT_DISPATCH}), sink->received[1].types);
    EXPECT_TRUE(sink->received[2].types.empty());
    ASSERT_EQ(3u, outlook.Events().size());
    EXPECT_EQ(E_INVALIDARG, outlook.Events()[2].result);
    sink->Unadvise();
    sink->Release();
}

}  // namespace
}  // namespace outlook_double
