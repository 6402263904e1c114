// Text metrics in the GDI conventions against FreeType's own tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "font_fixture.h"

#include FT_TRUETYPE_TABLES_H

namespace win = plat::win;
using namespace fontfix;

namespace {

TEST(FontMetrics, CellHeightsFollowTheWindowsAscentAndDescent)
{
    struct Face {
        std::u16string name;
        const char* file;
    };
    const Face faces[] = {{u"IPAGothic", kIpaGothic}, {u"DejaVu Sans Mono", kDejaVuMono}};
    for (const Face& f : faces) {
        for (int height : {12, 16, 24, 32}) {
            SCOPED_TRACE(std::to_string(height));
            FontDc dc(makeFont(height, f.name));
            ASSERT_EQ(fontFile(dc.font), f.file);
            win::TEXTMETRICW tm{};
            ASSERT_TRUE(win::GetTextMetricsW(dc.dc, &tm));
            const int ppem = cellPpem(f.file, height);
            RefFace ref(f.file, ppem);
            const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ref.face, FT_SFNT_HHEA));
            const double scale = double(ppem) / ref.face->units_per_EM;
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
            EXPECT_LE(std::abs(tm.tmHeight - height), 1);
            EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - ppem);
            EXPECT_EQ(tm.tmMaxCharWidth, std::lround(hhea->advance_Width_Max * scale));
            EXPECT_GE(tm.tmExternalLeading, 0);
            EXPECT_EQ(tm.tmWeight, 400);
            EXPECT_EQ(tm.tmItalic, 0);
            EXPECT_NE(tm.tmPitchAndFamily & win::TMPF_TRUETYPE, 0);
            // Metrics and glyphs come from one size: FreeType's advance of 'A' at that ppem.
            FT_Load_Char(ref.face, 'A', FT_LOAD_DEFAULT);
            EXPECT_EQ(outline(dc.dc, 'A', win::GGO_BITMAP).metrics.gmCellIncX, (ref.face->glyph->advance.x + 32) >> 6);
        }
    }
}

TEST(FontMetrics, NegativeHeightIsTheEmHeight)
{
    for (int height : {-12, -16, -24, -33}) {
        FontDc dc(makeFont(height, u"IPAGothic"));
        win::TEXTMETRICW tm{};
        ASSERT_TRUE(win::GetTextMetricsW(dc.dc, &tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -height);
        RefFace ref(kIpaGothic, -height);
        FT_Load_Char(ref.face, 0x6F22, FT_LOAD_DEFAULT);
        EXPECT_EQ(outline(dc.dc, 0x6F22, win::GGO_GRAY8_BITMAP).metrics.gmCellIncX,
                  (ref.face->glyph->advance.x + 32) >> 6);
    }
}

TEST(FontMetrics, MadeUpBoldAndItalic)
{
    // IPA Gothic has one weight and no slant: both are synthesised.
    for (int height : {12, 16, 32}) {
        FontDc regular(makeFont(height, u"ＭＳ ゴシック", 400, 128));
        FontDc bold(makeFont(height, u"ＭＳ ゴシック", 700, 128));
        FontDc italic(makeFont(height, u"ＭＳ ゴシック", 400, 128, true));
        for (unsigned code : {unsigned('A'), 0x3042u, 0x6F22u}) {
            const Glyph r = outline(regular.dc, code, win::GGO_BITMAP);
            const Glyph b = outline(bold.dc, code, win::GGO_BITMAP);
            const Glyph i = outline(italic.dc, code, win::GGO_BITMAP);
            EXPECT_EQ(b.metrics.gmCellIncX, r.metrics.gmCellIncX + 1);
            EXPECT_GE(b.metrics.gmBlackBoxX, r.metrics.gmBlackBoxX);
            EXPECT_EQ(i.metrics.gmCellIncX, r.metrics.gmCellIncX);
            EXPECT_NE(i.bits, r.bits);
        }
        win::TEXTMETRICW r{}, b{}, i{};
        ASSERT_TRUE(win::GetTextMetricsW(regular.dc, &r) && win::GetTextMetricsW(bold.dc, &b) &&
                    win::GetTextMetricsW(italic.dc, &i));
        EXPECT_EQ(b.tmWeight, 700);
        EXPECT_EQ(b.tmHeight, r.tmHeight);
        EXPECT_EQ(b.tmMaxCharWidth, r.tmMaxCharWidth + 1);
        EXPECT_EQ(i.tmItalic, 1);
    }
    // A face with a bold file of its own uses it, unchanged.
    FontDc mono(makeFont(16, u"DejaVu Sans Mono", 700));
    EXPECT_EQ(fontFile(mono.font), "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf");
}

TEST(FontMetrics, StrikeFaceUsesItsOwnMetrics)
{
    FontDc dc(makeFont(8, u"Halvorine Strike", 400, 0));
    win::TEXTMETRICW tm{};
    ASSERT_TRUE(win::GetTextMetricsW(dc.dc, &tm));
    EXPECT_EQ(tm.tmAscent, kStrikeAscent);
    EXPECT_EQ(tm.tmDescent, kStrikeDescent);
    EXPECT_EQ(tm.tmHeight, kStrikeAscent + kStrikeDescent);
    EXPECT_EQ(tm.tmPitchAndFamily & (win::TMPF_TRUETYPE | win::TMPF_VECTOR), 0);
}

}  // namespace
