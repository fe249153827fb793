// Late-bound calls as Outlook answers them: unknown members and kinds, argument
// coercion, injected failures and the record of every call.
#include <gtest/gtest.h>

#include "tests/outlook_double/outlook_double.h"
#include "tests/outlook_double/tests/dispatch_call.h"
#include "tests/outlook_double/tests/temp_file.h"

namespace outlook_double {
namespace {

const wchar_t kOrigSchema[] =
    L"http://schemas.microsoft.com/mapi/string/{00020386-0000-0000-C000-000000000046}/PlenzarOrig";

class DispatchTest : public ::testing::Test {
protected:
    OutlookDouble outlook_;
    ComPtr<MailItem> item_ = outlook_.NewMailItem();
    ComPtr<Attachment> attachment_ = item_->AttachmentList().AttachQuietly(L"a.jpg", {1, 2, 3});
};

TEST_F(DispatchTest, UnknownMemberOrKindAnswersMemberNotFound) {
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(item_.Get(), 0xF003, DISPATCH_METHOD).hr);
    // Count is a property: not a method, not writable.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(&item_->AttachmentList(), dispid::Count, DISPATCH_METHOD).hr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              Call(&item_->AttachmentList(), dispid::Count, DISPATCH_PROPERTYPUT, {Variant::Int(2)}).hr);
    EXPECT_EQ(S_OK, Call(&item_->AttachmentList(), dispid::Count,
                         DISPATCH_METHOD | DISPATCH_PROPERTYGET).hr);
}

TEST_F(DispatchTest, ArgumentsAreCoercedOrRefusedWithTheirPosition) {
    IDispatch* attachments = &item_->AttachmentList();
    EXPECT_EQ(attachment_.Get(), static_cast<Attachment*>(Call(attachments, dispid::AttachmentsItem,
                                       DISPATCH_METHOD, {Variant::Text(L"1")}).result.AsObject()));
    CallOutcome bad = Call(attachments, dispid::AttachmentsAdd, DISPATCH_METHOD,
                           {Variant::Text(L"C:\\x.jpg"), Variant::Text(L"by value")});
    EXPECT_EQ(DISP_E_TYPEMISMATCH, bad.hr);
    EXPECT_EQ(0u, bad.argError);  // rgvarg index of the second of two arguments
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(attachments, dispid::AttachmentsItem, DISPATCH_METHOD).hr);
    CallOutcome outOfRange = Call(attachments, dispid::AttachmentsItem, DISPATCH_METHOD, {Variant::Int(0)});
    EXPECT_EQ(DISP_E_EXCEPTION, outOfRange.hr);
    EXPECT_FALSE(outOfRange.description.empty());
}

TEST_F(DispatchTest, PutNeedsTheNamedPropertyPutArgument) {
    EXPECT_EQ(S_OK, Call(item_.Get(), dispid::Body, DISPATCH_PROPERTYPUT, {Variant::Text(L"hello")}).hr);
    EXPECT_EQ(L"hello", item_->Body());
    DISPPARAMS unnamed{nullptr, nullptr, 0, 0};
    Variant text = Variant::Text(L"x");
    VARIANT value = text.Get();
    unnamed.rgvarg = &value;
    unnamed.cArgs = 1;
    EXPECT_NE(S_OK, item_->Invoke(dispid::Body, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr,
                                  nullptr, nullptr));
    EXPECT_EQ(L"hello", item_->Body());
}

TEST_F(DispatchTest, UserPropertyValueTakesTheTypeOfTheProperty) {
    IDispatch* properties = &item_->Properties();
    CallOutcome added = Call(properties, dispid::ItemPropertiesAdd, DISPATCH_METHOD,
                             {Variant::Text(L"PlenzarType"), Variant::Int(20), Variant(), Variant()});
    ASSERT_EQ(S_OK, added.hr);
    VARIANT asInt;
    V_VT(&asInt) = VT_INT;
    V_INT(&asInt) = 3;
    ASSERT_EQ(S_OK, Call(added.result.AsObject(), dispid::Value, DISPATCH_PROPERTYPUT, {Variant(asInt)}).hr);
    CallOutcome read = Call(Call(properties, dispid::ItemPropertiesItem, DISPATCH_METHOD, {Variant::Int(0)})
                                .result.AsObject(),
                            dispid::Value, DISPATCH_PROPERTYGET);
    EXPECT_EQ(VT_I4, read.result.Type());
    EXPECT_EQ(3, read.result.AsInt());
}

TEST_F(DispatchTest, PropertyAccessorRaisesForAPropertyNeverSet) {
    ComPtr<IDispatch> accessor = Call(attachment_.Get(), dispid::PropertyAccessor, DISPATCH_PROPERTYGET)
                                     .result.AsObject();
    EXPECT_EQ(DISP_E_EXCEPTION,
              Call(accessor.Get(), dispid::GetProperty, DISPATCH_METHOD, {Variant::Text(kOrigSchema)}).hr);
    ASSERT_EQ(S_OK, Call(accessor.Get(), dispid::SetProperty, DISPATCH_METHOD,
                         {Variant::Text(kOrigSchema), Variant::Text(L"abcdefghij.jpg")}).hr);
    EXPECT_EQ(L"abcdefghij.jpg",
              Call(accessor.Get(), dispid::GetProperty, DISPATCH_METHOD, {Variant::Text(kOrigSchema)})
                  .result.AsText());
    EXPECT_EQ(L"abcdefghij.jpg", attachment_->Property(kOrigSchema)->AsText());
    EXPECT_EQ(DISP_E_EXCEPTION, Call(accessor.Get(), dispid::SetProperty, DISPATCH_METHOD,
                                     {Variant::Text(L"PlenzarOrig"), Variant::Text(L"x")}).hr);
}

TEST_F(DispatchTest, OneTimeOutlookExceptionCarriesItsDescriptionAndIsRecorded) {
    outlook_.Fail(attachment_.Get(), dispid::Size, Failure::OutlookException(L"The item is busy.", E_ABORT));

    CallOutcome failed = Call(attachment_.Get(), dispid::Size, DISPATCH_PROPERTYGET);
    CallOutcome next = Call(attachment_.Get(), dispid::Size, DISPATCH_PROPERTYGET);

    EXPECT_EQ(DISP_E_EXCEPTION, failed.hr);
    EXPECT_EQ(L"The item is busy.", failed.description);
    EXPECT_EQ(E_ABORT, failed.scode);
    EXPECT_EQ(VT_EMPTY, failed.result.Type());
    EXPECT_EQ(S_OK, next.hr);
    EXPECT_EQ(3, next.result.AsInt());
    auto calls = outlook_.CallsTo(L"Attachment", dispid::Size);
    ASSERT_EQ(2u, calls.size());
    EXPECT_TRUE(calls[0].IsOn(attachment_.Get()));
    EXPECT_EQ(DISP_E_EXCEPTION, calls[0].result);
    EXPECT_EQ(S_OK, calls[1].result);
}

TEST_F(DispatchTest, AlwaysFailureByClassHitsEveryObjectOfItUntilCleared) {
    auto other = item_->AttachmentList().AttachQuietly(L"b.jpg", {9});
    outlook_.Fail(L"Attachment", dispid::DisplayName, Failure::Hresult(E_ACCESSDENIED), FailWhen::Always);
    for (int round = 0; round < 2; ++round) {
        for (IDispatch* target : {attachment_->AsDispatch(), other->AsDispatch()}) {
            CallOutcome call = Call(target, dispid::DisplayName, DISPATCH_PROPERTYGET);
            EXPECT_EQ(E_ACCESSDENIED, call.hr);
            EXPECT_TRUE(call.description.empty());
        }
    }
    EXPECT_EQ(S_OK, Call(attachment_.Get(), dispid::Size, DISPATCH_PROPERTYGET).hr);
    outlook_.Host().ClearFailures();
    EXPECT_EQ(L"a.jpg", Call(attachment_.Get(), dispid::DisplayName, DISPATCH_PROPERTYGET).result.AsText());
}

TEST_F(DispatchTest, NothingFailureMakesAddReturnNoObjectAndAddNothing) {
    TempFile source(L"od_nothing.jpg", {1});
    outlook_.Fail(&item_->AttachmentList(), dispid::AttachmentsAdd, Failure::Nothing());
    CallOutcome added = Call(&item_->AttachmentList(), dispid::AttachmentsAdd, DISPATCH_METHOD,
                             {Variant::Text(source.Path()), Variant::Int(1), Variant::Int(1),
                              Variant::Text(L"n.jpg")});
    EXPECT_EQ(S_OK, added.hr);
    EXPECT_EQ(VT_DISPATCH, added.result.Type());
    EXPECT_EQ(nullptr, added.result.AsObject());
    EXPECT_EQ(1u, item_->AttachmentList().Count());
}

TEST_F(DispatchTest, RecordKeepsKindAndArgumentsInCallOrder) {
    TempFile source(L"od_record.jpg", {1, 2});
    Call(&item_->AttachmentList(), dispid::AttachmentsAdd, DISPATCH_METHOD,
         {Variant::Text(source.Path()), Variant::Int(1), Variant::Int(1), Variant::Text(L"r.jpg")});
    const CallRecord& add = outlook_.Calls().back();
    EXPECT_EQ(L"Attachments", add.className);
    EXPECT_EQ(static_cast<WORD>(DISPATCH_METHOD), add.kind);
    ASSERT_EQ(4u, add.arguments.size());
    EXPECT_EQ(source.Path(), add.arguments[0].AsText());
    EXPECT_EQ(L"r.jpg", add.arguments[3].AsText());
}

}  // namespace
}  // namespace outlook_double
