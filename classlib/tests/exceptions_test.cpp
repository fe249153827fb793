#include "classlib/exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Throw>
CExceptionPtr CatchFrom(Throw thrower)
{
    try {
        thrower();
    } catch (CException* e) {
        return CExceptionPtr(e);
    }
    return nullptr;
}

TEST(Exceptions, ThrownByPointerAndCaughtAsBaseWithTheirOwnData)
{
    auto ole = CatchFrom([] { AfxThrowOleException(E_INVALIDARG); });
    ASSERT_NE(ole, nullptr);
    auto* asOle = dynamic_cast<COleException*>(ole.get());
    ASSERT_NE(asOle, nullptr);
    EXPECT_EQ(asOle->m_sc, E_INVALIDARG);
    EXPECT_FALSE(ole->GetErrorMessage().empty());

    auto dispatch = CatchFrom([] { AfxThrowOleDispatchException(0, L"The operation failed."); });
    auto* asDispatch = dynamic_cast<COleDispatchException*>(dispatch.get());
    ASSERT_NE(asDispatch, nullptr);
    EXPECT_EQ(asDispatch->m_strDescription, L"The operation failed.");
    EXPECT_EQ(dispatch->GetErrorMessage(), L"The operation failed.");

    auto memory = CatchFrom([] { AfxThrowMemoryException(); });
    EXPECT_NE(dynamic_cast<CMemoryException*>(memory.get()), nullptr);
    EXPECT_EQ(memory->GetErrorMessage(), L"Out of memory.");
}

TEST(Exceptions, MessageIsCutToTheBufferAndNeverOverrunsIt)
{
    COleDispatchException e(L"0123456789", 0, 0);
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_TRUE(e.GetErrorMessage(buffer, 5));
    EXPECT_EQ(std::wstring(buffer), L"0123");
    EXPECT_EQ(buffer[5], L'#');

    wchar_t untouched = L'#';
    EXPECT_FALSE(e.GetErrorMessage(&untouched, 0));
    EXPECT_EQ(untouched, L'#');
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));
}

TEST(Exceptions, UnknownOleCodeStillHasAMessageAndEmptyDescriptionHasNone)
{
    COleException unknown(static_cast<SCODE>(0xA0BC1234));
    EXPECT_EQ(unknown.GetErrorMessage(), L"OLE error 0xA0BC1234.");

    COleDispatchException empty(nullptr, 0, 0);
    wchar_t buffer[4] = L"xyz";
    UINT help = 99;
    EXPECT_FALSE(empty.GetErrorMessage(buffer, 4, &help));
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(help, 0u);
}

}  // namespace
