#include "common/text_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TextConversion, RoundTripsTextOutsideAscii)
{
    const char* utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x93\xB7";
    CUtf8ToWide wide(utf8);
    EXPECT_EQ(std::wstring(wide), L"Gr\u00FC\u00DFe \u20AC \U0001F4F7");
    CWideToUtf8 back(wide);
    EXPECT_STREQ(back, utf8);
}

TEST(TextConversion, EmptyAndNullTextGiveJustTheTerminator)
{
    CUtf8ToWide emptyWide("");
    ASSERT_NE(emptyWide.c_str(), nullptr);
    EXPECT_EQ(emptyWide.c_str()[0], L'\0');
    CWideToUtf8 emptyNarrow(L"", 0);
    ASSERT_NE(emptyNarrow.c_str(), nullptr);
    EXPECT_EQ(emptyNarrow.c_str()[0], '\0');
    EXPECT_STREQ(CWideToUtf8(nullptr).c_str(), "");
    EXPECT_EQ(std::wstring(CUtf8ToWide(nullptr, 5)), L"");
}

TEST(TextConversion, ExplicitLengthConvertsOnlyThatPrefix)
{
    EXPECT_STREQ(CWideToUtf8(L"abc\u00E9def", 4), "abc\xC3\xA9");
    EXPECT_EQ(std::wstring(CUtf8ToWide("abcdef", 3)), L"abc");
    // Neither reads past the length given: these buffers have no terminator.
    const wchar_t wide[3] = {L'x', L'y', L'z'};
    EXPECT_STREQ(CWideToUtf8(wide, 3), "xyz");
    const char narrow[2] = {'p', 'q'};
    EXPECT_EQ(std::wstring(CUtf8ToWide(narrow, 2)), L"pq");
}

TEST(TextConversion, InvalidInputBecomesReplacementCharacters)
{
    // A lone continuation byte and a truncated sequence.
    const std::wstring fromBadUtf8 = CUtf8ToWide("a\x80" "b\xE2\x82").c_str();
    EXPECT_EQ(fromBadUtf8.front(), L'a');
    EXPECT_NE(fromBadUtf8.find(L'\uFFFD'), std::wstring::npos);
    EXPECT_NE(fromBadUtf8.find(L'b'), std::wstring::npos);

    // An unpaired high and an unpaired low surrogate.
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0xDC00, 0};
    EXPECT_STREQ(CWideToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST(FileExtension, FromTheLastDotWithCaseKept)
{
    EXPECT_EQ(GetFileExtension(L"Photo.JPG"), L".JPG");
    EXPECT_EQ(GetFileExtension(L"archive.tar.gz"), L".gz");
    EXPECT_EQ(GetFileExtension(L"C:\\pics\\holiday.png"), L".png");
}

TEST(FileExtension, EmptyWithoutDotOrWithOnlyALeadingDot)
{
    EXPECT_EQ(GetFileExtension(L"README"), L"");
    EXPECT_EQ(GetFileExtension(L".profile"), L"");
    EXPECT_EQ(GetFileExtension(L""), L"");
    // A dot in a folder name counts when the file name has none.
    EXPECT_EQ(GetFileExtension(L"C:\\my.pics\\scan"), L".pics\\scan");
}

}  // namespace
