// Tests of media/base/charcode: code pages and conversion.
#include "media/base/charcode.h"
#include "media/base/charcode_string.h"
#include "media/base/format.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace ZaDod;

namespace {

// A heap copy whose last bytes are its terminator, so that AddressSanitizer sees
// any read past it.
template <class T>
std::unique_ptr<T[]> exact(std::initializer_list<T> units)
{
    auto copy = std::make_unique<T[]>(units.size());
    std::copy(units.begin(), units.end(), copy.get());
    return copy;
}

std::vector<unsigned char> bytes(const void* p, int n)
{
    auto* b = static_cast<const unsigned char*>(p);
    return {b, b + n};
}

}  // namespace

TEST(ConvertString, SizesAndTerminators)
{
    char16_t out[8];
    EXPECT_EQ(ConvertString("abc", 932, out, 8, 1200), 8);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(ConvertString("abc", 932, out, 6, 1200), 6);
    EXPECT_EQ(std::u16string(out), u"ab");
    EXPECT_EQ(ConvertString("abc", 932, out, 1, 1200), 0);
    EXPECT_EQ(ConvertString(u"abc", 1200, out, 2, 1200), 2);
    EXPECT_EQ(out[0], 0);
    auto odd = std::make_unique<char[]>(5);  // two units and a stray byte
    EXPECT_EQ(ConvertString(u"abc", 1200, odd.get(), 5, 1200), 4);
    EXPECT_EQ(ConvertString(u"abc", 1200, odd.get(), 5, 32766), 4);
    EXPECT_EQ(ConvertString("abc", 932, nullptr, 100, 1200), 8);
    EXPECT_EQ(ConvertString("abc", 12345, out, 8, 12345), -1);
    EXPECT_EQ(ConvertString("abc", 932, out, 8, 12345), 0);
}

TEST(ConvertString, DirectRouteSkipsWhatDoesNotFitGeneralPathStops)
{
    char out[8];
    EXPECT_EQ(ConvertString(u"\u3042A", 1200, out, 3, 65001), 2);
    EXPECT_STREQ(out, "A");
    EXPECT_EQ(ConvertString(u"\u3042A", 1200, out, 4, 65001), 4);
    EXPECT_EQ(std::string(out), "\xE3\x81\x82");
    const char gbk[] = "\xD6\xD0" "a";  // 中a
    EXPECT_EQ(ConvertString(gbk, 936, out, 3, 65001), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ConvertString(gbk, 936, out, 4, 65001), 4);
    EXPECT_EQ(std::string(out), "\xE4\xB8\xAD");
}

TEST(ConvertString, SurrogatesAndWideCodes)
{
    char16_t out[4];
    EXPECT_EQ(ConvertString("\xF0\x9F\x98\x80", 65001, out, sizeof out, 1200), 6);
    EXPECT_EQ(out[0], 0xD83D);
    EXPECT_EQ(out[1], 0xDE00);
    unsigned char be[8];
    EXPECT_EQ(ConvertString(u"\U0001F600", 1200, be, sizeof be, 32767), 8);
    EXPECT_EQ(bytes(be, 8), (std::vector<unsigned char>{0, 1, 0xF6, 0, 0, 0, 0, 0}));
    unsigned char big16[6];
    EXPECT_EQ(ConvertString(be, 32767, big16, sizeof big16, 1201), 6);
    EXPECT_EQ(bytes(big16, 6), (std::vector<unsigned char>{0xD8, 0x3D, 0xDE, 0x00, 0, 0}));
}

TEST(ConvertString, UnmappableCharactersAreLeftOut)
{
    char out[16];
    // U+00E9 has no Shift-JIS code (direct route) nor a GBK-free... it does in GBK,
    // so the general path is tested with U+0E01 (Thai), which GBK lacks.
    EXPECT_EQ(ConvertString(u"a\u00E9b", 1200, out, sizeof out, 932), 3);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(ConvertString("a\xE0\xB8\x81" "b", 65001, out, sizeof out, 936), 3);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(ConvertString("a\xE0\xB8\x81" "b", 65001, out, sizeof out, 949), 3);
    EXPECT_STREQ(out, "ab");
    // Table to table: あ keeps its meaning, the half-width katakana has no GBK code.
    EXPECT_EQ(ConvertString("\x82\xA0\xB1" "c", 932, out, sizeof out, 936), 4);
    EXPECT_STREQ(out, "\xA4\xA2" "c");
}

TEST(ConvertString, RawBytePage)
{
    EXPECT_EQ(ConvertCharCodeBase(0xB1, 932, 32765), 0xB1u);
    EXPECT_EQ(ConvertCharCodeBase(0x20AC, 1200, 32765), 0u);
    char out[8];
    EXPECT_EQ(ConvertString("a\xB1" "b", 932, out, sizeof out, 32765), 3);
    EXPECT_STREQ(out, "ab");  // the katakana's code point lies above 0xFF
}

TEST(CharCode, CutSequencesEndTheString)
{
    auto utf8 = exact<unsigned char>({'a', 0xE3, 0x81, 0});
    auto sjis = exact<unsigned char>({'a', 0x82, 0});
    auto utf16 = exact<char16_t>({u'a', 0xD83D, 0});
    struct Case {
        const void* text;
        int page;
    } cases[] = {{utf8.get(), 65001}, {sjis.get(), 932}, {utf16.get(), 1200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(CharCode_GetCharCount(c.text, c.page), 1);
        EXPECT_EQ(CharCode_GetCharPointer(c.text, c.page, 2), nullptr);
        char out[16];
        for (int to : {65001, 1200, 932, 936, 32766, 32765}) EXPECT_GT(ConvertString(c.text, c.page, out, sizeof out, to), 0);
        int bytes = 0;
        const void* second = CharCode_GetCharPointer(c.text, c.page, 1);
        EXPECT_EQ(GetCharCodeBase(second, c.page, &bytes), 0u);
        EXPECT_EQ(CharCode_StrChr(c.page, c.text, 0x3042), nullptr);
        EXPECT_EQ(CharCode_StrToInt(c.page, c.text), 0);
        char16_t formatted[16];
        CharCode_SNPrintf(c.page, 0, c.page, 1200, out, 8, c.text);
        CharCode_SNPrintf(1200, 1, c.page, 1200, formatted, 16, u"%S|", c.text);
        EXPECT_EQ(std::u16string(formatted), u"a|");
        CharCode_StrUpr(c.page, const_cast<void*>(c.text));  // the buffers are the test's own
        EXPECT_EQ(GetCharCodeBase(c.text, c.page, &bytes), static_cast<std::uint32_t>('A'));
    }
}

TEST(CharCode, PutCharCodeLimits)
{
    unsigned char out[8] = {};
    EXPECT_EQ(PutCharCodeBase(0x7FFFFFFF, 65001, out, 8), 6);
    EXPECT_EQ(bytes(out, 6), (std::vector<unsigned char>{0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}));
    EXPECT_EQ(PutCharCodeBase(0x80000000u, 65001, out, 8), 0);
    EXPECT_EQ(PutCharCodeBase(0x110000, 1200, out, 8), 0);
    EXPECT_EQ(PutCharCodeBase(0x10000, 1200, nullptr, 3), 0);
    EXPECT_EQ(PutCharCodeBase(0x10000, 1200, nullptr, 4), 4);
    EXPECT_EQ(PutCharCodeBase(0x82A0, 932, out, 2), 2);
    EXPECT_EQ(bytes(out, 2), (std::vector<unsigned char>{0x82, 0xA0}));
    EXPECT_EQ(PutCharCodeBase('a', 1, out, 8), 0);
}

TEST(CharCode, ReadingByPage)
{
    int n = 0;
    EXPECT_EQ(GetCharCodeBase("\x82\xA0", 932, &n), 0x82A0u);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(GetCharCodeBase("\xFD\xBF\xBF\xBF\xBF\xBF", 65001, &n), 0x7FFFFFFFu);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(GetCharCodeBase("\xFF", 65001, &n), 0u);
    n = 99;
    EXPECT_EQ(GetCharCodeBase("a", 4242, &n), 0u);
    EXPECT_EQ(n, 99);
    EXPECT_EQ(CharCode_GetCharBytes("\x80", 65001), -1);
    EXPECT_EQ(CharCode_GetCharBytes("\xA0", 932), 1);
    const char* s = "a\x82\xA0" "b";
    EXPECT_EQ(CharCode_GetCharPointer(s, 932, 0), s);
    EXPECT_EQ(CharCode_GetCharPointer(s, 932, 2), s + 3);
    EXPECT_EQ(CharCode_GetCharCount(s, 932), 3);
    std::uint32_t codes[4];
    EXPECT_EQ(CharCode_StrToCodeArray(s, 932, codes), 16);
    EXPECT_EQ(codes[1], 0x82A0u);
    EXPECT_EQ(codes[3], 0u);
}

TEST(CharCodeTables, SpotValues)
{
    EXPECT_EQ(ConvertCharCode(0x82A0, 932, 1200), 0x3042u);
    EXPECT_EQ(ConvertCharCode(0xA1, 932, 1200), 0xFF61u);
    EXPECT_EQ(ConvertCharCode(0xB0A1, 949, 1200), 0xAC00u);
    EXPECT_EQ(ConvertCharCode(0x80, 1252, 1200), 0x20ACu);
    EXPECT_EQ(ConvertCharCode(0x81, 1252, 1200), 0u);
    EXPECT_EQ(ConvertCharCode(0xE9, 32764, 1200), 0xE9u);
    EXPECT_EQ(ConvertCharCode(0x3042, 1200, 932), 0x82A0u);
    EXPECT_EQ(ConvertCharCode(0x82A0, 932, 936), 0xA4A2u);
}

// Every code of the table-driven pages converts as the C library converts it.
TEST(CharCodeTables, MatchIconv)
{
    struct Page {
        int page;
        const char* name;
    } pages[] = {{932, "CP932"}, {936, "CP936"}, {949, "CP949"}, {950, "CP950"}, {1252, "CP1252"}};
    for (const Page& p : pages) {
        SCOPED_TRACE(p.name);
        iconv_t cd = iconv_open("UTF-16LE", p.name);
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
        int mismatches = 0, mapped = 0;
        const unsigned last = p.page == 1252 ? 0xFF : 0xFFFF;
        for (unsigned code = 1; code <= last; ++code) {
            unsigned char in[2];
            std::size_t inLength;
            if (code < 0x100) {
                in[0] = static_cast<unsigned char>(code);
                inLength = 1;
                if (CharCode_GetCharBytes(in, p.page) != 1) continue;
            } else {
                in[0] = static_cast<unsigned char>(code >> 8);
                in[1] = static_cast<unsigned char>(code);
                inLength = 2;
                if (CharCode_GetCharBytes(in, p.page) != 2 || in[1] == 0) continue;
            }
            char16_t unit[4] = {};
            char* inp = reinterpret_cast<char*>(in);
            char* outp = reinterpret_cast<char*>(unit);
            std::size_t inLeft = inLength, outLeft = sizeof unit;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) && !inLeft &&
                            sizeof unit - outLeft == 2 && (unit[0] < 0xD800 || unit[0] > 0xDFFF);
            const std::uint32_t expected = ok ? unit[0] : 0;
            mapped += ok;
            if (ConvertCharCode(code, p.page, 1200) != expected && ++mismatches < 5)
                ADD_FAILURE() << std::hex << code << " gives " << ConvertCharCode(code, p.page, 1200) << " not " << expected;
        }
        iconv_close(cd);
        EXPECT_GT(mapped, p.page == 1252 ? 200 : 7000);
    }
}

TEST(CurrentDirectory, WholePathsOnly)
{
    char16_t saved[4096];
    ASSERT_EQ(GetCurrentDirectoryCharCode(saved, sizeof saved), saved);
    ASSERT_NE(saved[0], 0);
    EXPECT_EQ(SetCurrentDirectoryCharCode(u"C:\\tmp"), 0);
    char16_t buffer[16];
    EXPECT_EQ(std::u16string(static_cast<char16_t*>(GetCurrentDirectoryCharCode(buffer, sizeof buffer))), u"C:\\tmp");
    char16_t tight[6] = {u'x'};
    EXPECT_EQ(std::u16string(static_cast<char16_t*>(GetCurrentDirectoryCharCode(tight, sizeof tight))), u"");
    // A path longer than any fixed buffer is neither cut on the way in nor out.
    char pattern[] = "/tmp/halvorine-cwd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string deep = pattern;
    for (int i = 0; i < 12; ++i) deep += "/" + std::string(250, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    std::u16string longPath = u"C:";
    for (char c : deep) longPath += c == '/' ? u'\\' : static_cast<char16_t>(c);
    EXPECT_EQ(SetCurrentDirectoryCharCode(longPath.c_str()), 0);
    std::vector<char16_t> whole(longPath.size() + 1);
    EXPECT_EQ(std::u16string(static_cast<char16_t*>(GetCurrentDirectoryCharCode(whole.data(), whole.size() * 2))), longPath);
    EXPECT_EQ(std::u16string(static_cast<char16_t*>(GetCurrentDirectoryCharCode(whole.data(), whole.size() * 2 - 2))), u"");
    EXPECT_EQ(SetCurrentDirectoryCharCode((longPath + u"\\missing").c_str()), -1);
    EXPECT_EQ(SetCurrentDirectoryCharCode(nullptr), -1);
    EXPECT_EQ(SetCurrentDirectoryCharCode(saved), 0);
    std::filesystem::remove_all(pattern);
}
