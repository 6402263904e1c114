// Tests of media/base/charcode_string: string functions by code page.
#include "media/base/charcode_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "media/base/charcode.h"
#include "media/base/format.h"

using namespace ZaDod;

TEST(StrToInt, FirstNumberWrapsIn32Bits)
{
    EXPECT_EQ(CharCode_StrToInt(932, "abc-12x"), -12);
    EXPECT_EQ(CharCode_StrToInt(932, "  42"), 42);
    EXPECT_EQ(CharCode_StrToInt(932, "-"), 0);
    EXPECT_EQ(CharCode_StrToInt(932, "a-b5"), 0);
    EXPECT_EQ(CharCode_StrToInt(932, "no digits"), 0);
    EXPECT_EQ(CharCode_StrToInt(932, "99999999999"), 1215752191);
    EXPECT_EQ(CharCode_StrToInt(932, nullptr), 0);
    EXPECT_EQ(CharCode_StrToInt(1200, u"\u3042 -7"), -7);
    EXPECT_EQ(CharCode_StrToInt(932, "\x82\x31" "5"), 5);  // the trail byte 0x31 is no digit
    const std::string run(5000, '9');
    std::uint32_t expected = 0;
    for (char c : run) expected = expected * 10 + (c - '0');
    EXPECT_EQ(CharCode_StrToInt(65001, run.c_str()), static_cast<int>(expected));
}

TEST(IntToStr, RadixAndExtremes)
{
    char out[40];
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, 255, out, 16)), "ff");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, -10, out, 10)), "-10");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, 0, out, 2)), "0");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, INT_MIN, out, 10)), "-2147483648");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, 35, out, 36)), "z");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, 12, out, 1)), "12");
    EXPECT_STREQ(static_cast<char*>(CharCode_IntToStr(932, 12, out, 37)), "12");
    char16_t wide[40];
    EXPECT_EQ(std::u16string(IntToStrW(-255, wide, 16)), u"-ff");
    unsigned char be[16];
    CharCode_IntToStr(32767, 7, be, 10);
    EXPECT_EQ(std::memcmp(be, "\0\0\0" "7\0\0\0\0", 8), 0);
}

TEST(StrCopy, BoundedCopies)
{
    char out[8];
    CharCode_StrCopyS(932, out, 4, "hello");
    EXPECT_STREQ(out, "hel");
    char16_t wide[4] = {u'x', u'x', u'x', u'x'};
    CharCode_StrCopyS(1200, wide, 4, u"hello");
    EXPECT_EQ(std::u16string(wide), u"h");
    std::memset(out, 'z', sizeof out);
    CharCode_StrNCopy(932, out, "ab", 5);
    EXPECT_EQ(std::memcmp(out, "ab\0\0\0zzz", 8), 0);
    CharCode_StrNCopy(932, out, "abcdef", 3);
    EXPECT_EQ(std::memcmp(out, "abc\0\0zzz", 8), 0);  // no terminator when the source is longer
    CharCode_StrNCopyS(932, out, 2, "abcdef", 5);
    EXPECT_EQ(std::memcmp(out, "abc", 3), 0);
    std::strcpy(out, "ab");
    CharCode_StrCatS(932, out, 5, "cdef");
    EXPECT_STREQ(out, "abcd");
    CharCode_StrCatS(932, out, 5, "x");
    EXPECT_STREQ(out, "abcd");
    char16_t sw[8];
    StrCopySW(sw, sizeof sw, u"wide text");
    EXPECT_EQ(std::u16string(sw), u"wide te");
}

TEST(StrCompare, UnitsAsUnsigned)
{
    EXPECT_EQ(CharCode_StrCmp(932, "abc", "abc"), 0);
    EXPECT_EQ(CharCode_StrCmp(932, "ab", "abc"), -1);
    EXPECT_EQ(CharCode_StrCmp(932, "\x82", "a"), 1);
    EXPECT_EQ(StrCmpW(u"b", u"a"), 1);
    const char32_t a[] = U"abcX", b[] = U"abcY";
    EXPECT_EQ(CharCode_StrNCmp(32766, a, b, 4), -1);
    EXPECT_EQ(CharCode_StrNCmp(32766, b, a, 4), 1);
    EXPECT_EQ(CharCode_StrNCmp(32766, a, b, 3), 0);
    EXPECT_EQ(CharCode_StrNCmp(32766, a, b, 0), 0);
    EXPECT_EQ(CharCode_StrCmpAscii(1200, u"key", "key"), 0);
    EXPECT_EQ(CharCode_StrCmp(4242, "a", "b"), 0);
    EXPECT_EQ(CharCode_StrLen(1200, u"abc"), 3);
    EXPECT_EQ(CharCode_StrLen(4242, "abc"), 0);
}

TEST(StrSearch, ByCharactersAndByUnits)
{
    const char16_t text[] = u"a\U0001F600b";
    EXPECT_EQ(CharCode_StrChr(1200, text, 0x1F600), text + 1);
    EXPECT_EQ(StrChrW(text, u'b'), text + 3);
    EXPECT_EQ(StrChrW(u"", u'a'), nullptr);
    const char* sjis = "\x82" "a" "a";  // a double-byte character with trail 'a', then 'a'
    EXPECT_EQ(CharCode_StrChr(932, sjis, 'a'), sjis + 2);
    const char16_t hello[] = u"hello";
    EXPECT_EQ(StrStrW(hello, u"ll"), hello + 2);
    EXPECT_EQ(StrStrW(hello, u""), hello);
    EXPECT_EQ(StrStrW(u"", u""), nullptr);
    EXPECT_EQ(StrStrW(hello, u"lo!"), nullptr);
}

TEST(StrUpr, OnlySingleLetters)
{
    char sjis[] = "ab\x82" "a" "c";
    CharCode_StrUpr(932, sjis);
    EXPECT_STREQ(sjis, "AB\x82" "a" "C");
    char utf8[] = "\xC3\xA9z";
    CharCode_StrUpr(65001, utf8);
    EXPECT_STREQ(utf8, "\xC3\xA9Z");
    char16_t wide[] = u"q\u00E9r";
    EXPECT_EQ(std::u16string(StrUprW(wide)), u"Q\u00E9R");
}

TEST(DefaultPages, WrappersUseThem)
{
    SetupDefaultCharCode();
    EXPECT_EQ(GetDefaultWideCodePage(), 1200);
    EXPECT_GE(GetDefaultCharSet(), 1);
    EXPECT_LE(GetDefaultCharSet(), 6);
    const int narrow = GetDefaultNarrowCodePage();
    SetDefaultNarrowCodePage(932);
    char out[16];
    SNPrintfA(out, sizeof out, "%s%d", "\x82\xA0", 7);
    EXPECT_STREQ(out, "\x82\xA0" "7");
    EXPECT_EQ(StrLenA("\x82\xA0"), 2);
    SetDefaultNarrowCodePage(65001);
    char16_t wide[16];
    SNPrintfW(wide, 16, u"%S", "\xE3\x81\x82");
    EXPECT_EQ(std::u16string(wide), u"\u3042");
    SetDefaultNarrowCodePage(narrow);
}
