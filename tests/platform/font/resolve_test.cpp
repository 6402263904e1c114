// Face resolution, the alias table, the missing state and the family list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "font_fixture.h"

namespace win = plat::win;
using namespace fontfix;

namespace {

TEST(FontResolve, NamesReachTheirInstalledFaces)
{
    struct Case {
        std::u16string face;
        int charSet;
        const char* file;
    };
    const Case cases[] = {
        {u"ＭＳ ゴシック", 128, kIpaGothic},  // the default face, full-width with a space
        {u"MSゴシック", 128, kIpaGothic},     // and half-width without
        {u"ＭＳ ゴシック", 1, kIpaGothic},
        {u"MSゴシック", 0, kIpaGothic},
        {u"ＭＳ 明朝", 128, kIpaGothic},
        {u"IPAゴシック", 1, kIpaGothic},  // a localised family name
        {u"Arial", 0, kDejaVuSans},
        {u"Times New Roman", 0, kDejaVuSerif},
        {u"Courier New", 0, kDejaVuMono},
        {u"DejaVu Sans Mono", 128, kDejaVuMono},  // an installed name wins over the charset
    };
    for (const Case& c : cases) {
        win::HFONT font = makeFont(16, c.face, 400, c.charSet);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(fontFile(font), c.file) << c.charSet;
        EXPECT_TRUE(win::DeleteObject(font));
    }
}

TEST(FontResolve, EveryRequestGetsAFace)
{
    // Unknown names, no name, null, over-long names and odd sizes all fall back.
    const std::u16string longName(80, u'x');
    const char16_t lone[] = {0xD800, u'a', 0};
    struct Case {
        const char16_t* face;
        int height, weight, charSet;
    };
    const Case cases[] = {
        {u"No Such Face", 16, 400, 128}, {u"No Such Face", 12, 700, 0}, {nullptr, 16, 400, 1},
        {u"", -20, 0, 1},                {longName.c_str(), 24, 400, 0}, {lone, 16, 400, 129},
        {u"Arial", 0, 400, 0},           {u"Arial", -100000, 400, 0},   {u"Arial", 2147483647, 1000, 0},
        {u"Arial", 1, 100, 0},           {u"Arial", -2147483647 - 1, 400, 0},
    };
    for (const Case& c : cases) {
        win::HFONT font = win::CreateFontW(c.height, 0, 0, 0, c.weight, 0, 0, 0, win::DWORD(c.charSet), 0, 0, 3, 1,
                                           c.face);
        ASSERT_NE(font, nullptr) << c.height;
        FontDc dc(font);
        win::TEXTMETRICW tm{};
        ASSERT_TRUE(win::GetTextMetricsW(dc.dc, &tm));
        EXPECT_GT(tm.tmHeight, 0);
    }
}

TEST(FontResolve, UnknownNameWithJapaneseCharsetCoversKana)
{
    FontDc dc(makeFont(16, u"Nowhere Gothic", 400, 128));
    const char16_t a[] = u"あ";
    const std::vector<win::WCHAR> glyphs = glyphIndices(dc.dc, a, 1);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_NE(glyphs[0], 0);
    win::TEXTMETRICW tm{};
    ASSERT_TRUE(win::GetTextMetricsW(dc.dc, &tm));
    EXPECT_EQ(tm.tmCharSet, 128);
}

TEST(FontResolve, EmptyConfigurationMakesNoFont)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so the configuration is read for the first time with no folders.
    EXPECT_EXIT(
        {
            ::setenv("FONTCONFIG_FILE", emptyConfigPath().c_str(), 1);
            const bool none = makeFont(16, u"ＭＳ ゴシック", 400, 128) == nullptr && makeFont(16, u"", 400, 1) == nullptr;
            std::exit(none ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct Listed {
    std::vector<std::u16string> names;
    std::vector<win::DWORD> types;
    int stopAfter = 0;
};

int collect(const win::LOGFONTW* font, const win::TEXTMETRICW*, win::DWORD type, win::LPARAM lParam)
{
    auto* listed = reinterpret_cast<Listed*>(lParam);
    listed->names.emplace_back(font->lfFaceName);
    listed->types.push_back(type);
    return listed->stopAfter && int(listed->names.size()) >= listed->stopAfter ? 0 : 7;
}

Listed enumerate(int charSet, const std::u16string& face, int stopAfter = 0, int* result = nullptr)
{
    win::LOGFONTW lf{};
    lf.lfCharSet = win::BYTE(charSet);
    for (size_t i = 0; i < face.size() && i < win::LF_FACESIZE; ++i) lf.lfFaceName[i] = face[i];
    Listed listed;
    listed.stopAfter = stopAfter;
    const int r = win::EnumFontFamiliesExW(win::GetDC(nullptr), &lf, collect, reinterpret_cast<win::LPARAM>(&listed), 0);
    if (result) *result = r;
    return listed;
}

bool has(const Listed& l, const std::u16string& name)
{
    return std::find(l.names.begin(), l.names.end(), name) != l.names.end();
}

TEST(FontEnumerate, ListsFamiliesAndAliasesOnce)
{
    int result = 0;
    const Listed ja = enumerate(128, u"", 0, &result);
    EXPECT_EQ(result, 7);
    EXPECT_TRUE(has(ja, u"IPAGothic"));
    EXPECT_TRUE(has(ja, u"IPAゴシック"));
    EXPECT_TRUE(has(ja, u"ＭＳ ゴシック"));
    EXPECT_TRUE(has(ja, u"MSゴシック"));
    EXPECT_FALSE(has(ja, u"DejaVu Sans"));  // no kana
    EXPECT_FALSE(has(ja, u"Arial"));        // its face has no kana either
    EXPECT_EQ(std::set<std::u16string>(ja.names.begin(), ja.names.end()).size(), ja.names.size());

    const Listed all = enumerate(1, u"");
    EXPECT_TRUE(has(all, u"DejaVu Sans") && has(all, u"Arial") && has(all, u"IPAGothic"));
    EXPECT_TRUE(has(all, u"Halvorine Strike"));
    for (size_t i = 0; i < all.names.size(); ++i)
        EXPECT_EQ(all.types[i], all.names[i] == u"Halvorine Strike" ? win::RASTER_FONTTYPE : win::TRUETYPE_FONTTYPE);
    EXPECT_EQ(std::set<std::u16string>(all.names.begin(), all.names.end()).size(), all.names.size());

    const Listed stopped = enumerate(1, u"", 2, &result);
    EXPECT_EQ(stopped.names.size(), 2u);
    EXPECT_EQ(result, 0);
}

TEST(FontEnumerate, FaceFilterKeepsOneFamily)
{
    const Listed ipa = enumerate(128, u"ipagothic");
    EXPECT_EQ(std::set<std::u16string>(ipa.names.begin(), ipa.names.end()),
              (std::set<std::u16string>{u"IPAGothic", u"IPAゴシック"}));
    const Listed alias = enumerate(128, u"ＭＳ ゴシック");
    EXPECT_EQ(alias.names, std::vector<std::u16string>{u"ＭＳ ゴシック"});
    EXPECT_TRUE(enumerate(128, u"Arial").names.empty());
    EXPECT_EQ(enumerate(0, u"Arial").names, std::vector<std::u16string>{u"Arial"});

    int result = 0;
    EXPECT_TRUE(enumerate(1, u"No Such Face", 0, &result).names.empty());
    EXPECT_EQ(result, 1);
    // A name that fills the whole field, with no terminator, is read as 31 characters.
    EXPECT_TRUE(enumerate(1, std::u16string(40, u'x')).names.empty());
    EXPECT_EQ(win::EnumFontFamiliesExW(nullptr, nullptr, collect, 0, 0), 0);
}

}  // namespace
