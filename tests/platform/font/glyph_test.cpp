// Glyph bitmaps, glyph indices and text painting against FreeType's own renders.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "font_fixture.h"

namespace win = plat::win;
using namespace fontfix;

namespace {

// FreeType's render of the same glyph, repacked the GDI way.
std::vector<uint8_t> reference(FT_Face face, unsigned code, bool byIndex, unsigned format, FT_GlyphSlot* slotOut)
{
    const FT_UInt index = byIndex ? code : FT_Get_Char_Index(face, code);
    EXPECT_EQ(FT_Load_Glyph(face, index, FT_LOAD_DEFAULT), 0);
    const bool mono = format == win::GGO_BITMAP;
    EXPECT_EQ(FT_Render_Glyph(face->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL), 0);
    const FT_Bitmap& bm = face->glyph->bitmap;
    *slotOut = face->glyph;
    const size_t pitch = mono ? (bm.width + 31) / 32 * 4 : (bm.width + 3) / 4 * 4;
    const int levels = format == win::GGO_GRAY4_BITMAP ? 16 : 64;
    std::vector<uint8_t> out(pitch * bm.rows, 0);
    for (unsigned y = 0; y < bm.rows; ++y) {
        const uint8_t* src = bm.buffer + y * bm.pitch;
        if (mono)
            std::memcpy(&out[y * pitch], src, (bm.width + 7) / 8);
        else
            for (unsigned x = 0; x < bm.width; ++x) out[y * pitch + x] = uint8_t((src[x] * levels + 127) / 255);
    }
    return out;
}

TEST(FontGlyph, BitmapsEqualFreeTypesRender)
{
    struct Case {
        std::u16string face;
        const char* file;
        std::vector<unsigned> codes;
    };
    const Case cases[] = {
        {u"ＭＳ ゴシック", kIpaGothic, {'A', 'g', 0x3042, 0x6F22, '@'}},
        {u"Courier New", kDejaVuMono, {'A', 'g', '@', 0x00E9}},
    };
    for (const Case& c : cases) {
        for (int height : {12, 16, 24, 32}) {
            FontDc dc(makeFont(height, c.face, 400, 1));
            const int ppem = cellPpem(c.file, height);
            RefFace ref(c.file, ppem);
            for (unsigned format : {win::GGO_BITMAP, win::GGO_GRAY4_BITMAP, win::GGO_GRAY8_BITMAP}) {
                for (unsigned code : c.codes) {
                    SCOPED_TRACE(testing::Message() << height << " format " << format << " code " << code);
                    FT_GlyphSlot slot = nullptr;
                    const std::vector<uint8_t> want = reference(ref.face, code, false, format, &slot);
                    const Glyph got = outline(dc.dc, code, format);
                    ASSERT_NE(got.result, win::GDI_ERROR);
                    EXPECT_EQ(got.result, want.size());
                    EXPECT_EQ(got.bits, want);
                    EXPECT_EQ(got.metrics.gmBlackBoxX, slot->bitmap.width);
                    EXPECT_EQ(got.metrics.gmBlackBoxY, slot->bitmap.rows);
                    EXPECT_EQ(got.result % got.metrics.gmBlackBoxY, 0u);
                    EXPECT_EQ(got.result / got.metrics.gmBlackBoxY % 4, 0u);
                    EXPECT_EQ(got.metrics.gmptGlyphOrigin.x, slot->bitmap_left);
                    EXPECT_EQ(got.metrics.gmptGlyphOrigin.y, slot->bitmap_top);
                    EXPECT_EQ(got.metrics.gmCellIncX, (slot->advance.x + 32) >> 6);
                    EXPECT_EQ(got.metrics.gmCellIncY, 0);
                }
            }
        }
    }
}

TEST(FontGlyph, SpaceAndBadRequests)
{
    FontDc dc(makeFont(16, u"ＭＳ ゴシック", 400, 128));
    RefFace ref(kIpaGothic, cellPpem(kIpaGothic, 16));
    FT_Load_Char(ref.face, ' ', FT_LOAD_DEFAULT);
    for (unsigned format : {win::GGO_BITMAP, win::GGO_GRAY4_BITMAP, win::GGO_GRAY8_BITMAP}) {
        const Glyph space = outline(dc.dc, ' ', format);
        EXPECT_EQ(space.result, 0u);
        EXPECT_EQ(space.metrics.gmBlackBoxX, 1u);
        EXPECT_EQ(space.metrics.gmBlackBoxY, 1u);
        EXPECT_EQ(space.metrics.gmCellIncX, (ref.face->glyph->advance.x + 32) >> 6);
    }

    win::GLYPHMETRICS gm{};
    const win::DWORD need = win::GetGlyphOutlineW(dc.dc, 0x6F22, win::GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity);
    ASSERT_NE(need, win::GDI_ERROR);
    std::vector<uint8_t> small(need, 0xAB);
    EXPECT_EQ(win::GetGlyphOutlineW(dc.dc, 0x6F22, win::GGO_GRAY8_BITMAP, &gm, need - 1, small.data(), &kIdentity),
              win::GDI_ERROR);
    EXPECT_EQ(small, std::vector<uint8_t>(need, 0xAB));  // nothing written

    const win::MAT2 doubled{{0, 2}, {0, 0}, {0, 0}, {0, 2}};
    const win::HDC noFont = win::CreateCompatibleDC(nullptr);
    struct Bad {
        win::HDC dc;
        unsigned code, format;
        const win::MAT2* matrix;
    };
    const Bad bad[] = {
        {dc.dc, 0x110000, win::GGO_BITMAP, &kIdentity},
        {dc.dc, 0xFFFFFFFF, win::GGO_GRAY8_BITMAP, &kIdentity},
        {dc.dc, 0x7FFFFFF, win::GGO_BITMAP | win::GGO_GLYPH_INDEX, &kIdentity},
        {dc.dc, 'A', 2, &kIdentity},
        {dc.dc, 'A', win::GGO_BITMAP, &doubled},
        {dc.dc, 'A', win::GGO_BITMAP, nullptr},
        {noFont, 'A', win::GGO_BITMAP, &kIdentity},
        {nullptr, 'A', win::GGO_BITMAP, &kIdentity},
    };
    for (const Bad& b : bad)
        EXPECT_EQ(win::GetGlyphOutlineW(b.dc, b.code, b.format, &gm, 0, nullptr, b.matrix), win::GDI_ERROR);
    win::TEXTMETRICW tm{};
    win::SIZE size{};
    EXPECT_FALSE(win::GetTextMetricsW(noFont, &tm));
    EXPECT_FALSE(win::GetTextExtentPoint32W(noFont, u"A", 1, &size));
    EXPECT_FALSE(win::TextOutW(noFont, 0, 0, u"A", 1));
    EXPECT_FALSE(win::TextOutW(dc.dc, 0, 0, u"A", 1));  // no section selected
    EXPECT_EQ(win::GetCharacterPlacementW(noFont, u"A", 1, 0, nullptr, win::GCP_GLYPHSHAPE), 0u);
    EXPECT_EQ(win::SetTextColor(nullptr, 0), win::CLR_INVALID);
    EXPECT_EQ(win::SetBkMode(noFont, 5), 0);
    win::DeleteDC(noFont);
}

// The first code above the basic plane that a face maps, found with FreeType.
unsigned firstAstralCode(FT_Face face)
{
    FT_UInt index = 0;
    for (FT_ULong c = FT_Get_First_Char(face, &index); index != 0; c = FT_Get_Next_Char(face, c, &index))
        if (c >= 0x10000 && c <= 0x10FFFF) return unsigned(c);
    return 0;
}

TEST(FontGlyph, SurrogatePairsBecomeOneGlyphIndex)
{
    const struct {
        std::u16string face;
        const char* file;
    } faces[] = {{u"IPAGothic", kIpaGothic}, {u"DejaVu Sans", kDejaVuSans}};
    int tried = 0;
    for (const auto& f : faces) {
        const int ppem = cellPpem(f.file, 24);
        RefFace ref(f.file, ppem);
        const unsigned code = firstAstralCode(ref.face);
        if (!code) continue;
        ++tried;
        const FT_UInt want = FT_Get_Char_Index(ref.face, code);
        const char16_t text[] = {char16_t(0xD800 + ((code - 0x10000) >> 10)), char16_t(0xDC00 + (code & 0x3FF)), u'A',
                                 0xFFFF, 0};
        FontDc dc(makeFont(24, f.face));
        const std::vector<win::WCHAR> glyphs = glyphIndices(dc.dc, text, 4);
        ASSERT_EQ(glyphs.size(), 3u);
        EXPECT_EQ(glyphs[0], want);
        EXPECT_EQ(glyphs[1], FT_Get_Char_Index(ref.face, 'A'));
        EXPECT_EQ(glyphs[2], 0);  // not covered

        FT_GlyphSlot slot = nullptr;
        const Glyph byIndex = outline(dc.dc, want, win::GGO_GRAY8_BITMAP | win::GGO_GLYPH_INDEX);
        EXPECT_EQ(byIndex.bits, reference(ref.face, want, true, win::GGO_GRAY8_BITMAP, &slot));
        EXPECT_EQ(byIndex.bits, outline(dc.dc, code, win::GGO_GRAY8_BITMAP).bits);
    }
    EXPECT_GT(tried, 0);
}

struct Section {
    win::HDC dc;
    win::HBITMAP bitmap;
    uint8_t* bits = nullptr;
    win::HGDIOBJ oldBitmap;
    static constexpr int kWidth = 24, kHeight = 8;

    Section()
    {
        std::vector<uint8_t> info(sizeof(win::BITMAPINFOHEADER) + 256 * 4);
        auto* h = reinterpret_cast<win::BITMAPINFOHEADER*>(info.data());
        *h = {40, kWidth, -kHeight, 1, 8, win::BI_RGB, 0, 0, 0, 256, 0};
        for (int i = 0; i < 256; ++i) std::memset(&info[40 + i * 4], i, 3);  // a grey ramp
        dc = win::CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = win::CreateDIBSection(dc, reinterpret_cast<win::BITMAPINFO*>(info.data()), win::DIB_RGB_COLORS, &p,
                                       nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        oldBitmap = win::SelectObject(dc, bitmap);
    }
    ~Section()
    {
        win::SelectObject(dc, oldBitmap);
        win::DeleteObject(bitmap);
        win::DeleteDC(dc);
    }
};

TEST(FontStrike, NoOutlinesButTextPaintsTheStrikeBits)
{
    win::HFONT font = makeFont(8, u"Halvorine Strike", 400, 0);
    ASSERT_NE(font, nullptr);
    ASSERT_NE(fontFile(font).find("strike.bdf"), std::string::npos);
    Section s;
    win::HGDIOBJ oldFont = win::SelectObject(s.dc, font);
    EXPECT_EQ(outline(s.dc, ' ', win::GGO_BITMAP).result, win::GDI_ERROR);
    EXPECT_EQ(outline(s.dc, 'A', win::GGO_GRAY4_BITMAP).result, win::GDI_ERROR);

    win::SIZE size{};
    ASSERT_TRUE(win::GetTextExtentPoint32W(s.dc, u"AB", 2, &size));
    EXPECT_EQ(size.cx, 2 * kStrikeAdvance);
    EXPECT_EQ(size.cy, kStrikeAscent + kStrikeDescent);

    EXPECT_EQ(win::SetTextColor(s.dc, 0xFFFFFF), 0u);
    EXPECT_EQ(win::SetBkColor(s.dc, 0x000000), 0xFFFFFFu);
    EXPECT_EQ(win::SetBkMode(s.dc, win::OPAQUE), win::OPAQUE);
    for (int mode : {win::OPAQUE, win::TRANSPARENT}) {
        std::memset(s.bits, 7, Section::kWidth * Section::kHeight);
        win::SetBkMode(s.dc, mode);
        ASSERT_TRUE(win::TextOutW(s.dc, 0, 0, u"A", 1));
        for (int y = 0; y < Section::kHeight; ++y)
            for (int x = 0; x < Section::kWidth; ++x) {
                const bool ink = x < 8 && (kStrikeA[y] & (0x80 >> x));
                const uint8_t blank = mode == win::OPAQUE && x < kStrikeAdvance ? 0 : 7;
                EXPECT_EQ(s.bits[y * Section::kWidth + x], ink ? 255 : blank) << x << "," << y;
            }
    }
    // Clipped at every edge without writing outside the section.
    EXPECT_TRUE(win::TextOutW(s.dc, -5, -3, u"ABAB", 4));
    EXPECT_TRUE(win::TextOutW(s.dc, 20, 6, u"AB", 2));
    EXPECT_TRUE(win::TextOutW(s.dc, 1000, -1000, u"A", 1));
    EXPECT_TRUE(win::TextOutW(s.dc, 0, 0, u"", 0));
    EXPECT_FALSE(win::TextOutW(s.dc, 0, 0, nullptr, 3));
    EXPECT_EQ(win::SelectObject(s.dc, oldFont), font);
    EXPECT_TRUE(win::DeleteObject(font));
}

TEST(FontObjects, SelectAndDeleteInterleaved)
{
    for (int round = 0; round < 100; ++round) {
        win::HFONT a = makeFont(12 + round % 5, u"ＭＳ ゴシック", 400, 128);
        win::HFONT b = makeFont(-16, u"Arial", round % 2 ? 700 : 400, 0);
        win::HDC one = win::CreateCompatibleDC(nullptr), two = win::CreateCompatibleDC(nullptr);
        const win::HGDIOBJ stock = win::SelectObject(one, a);
        ASSERT_NE(stock, nullptr);
        EXPECT_EQ(win::SelectObject(two, a), stock);  // a font may sit in two contexts
        EXPECT_FALSE(win::DeleteObject(a));
        EXPECT_EQ(win::SelectObject(one, b), a);
        EXPECT_FALSE(win::DeleteObject(a));  // still in two
        if (round % 3 == 0) {
            EXPECT_TRUE(win::DeleteDC(two));  // releases a
        } else {
            EXPECT_EQ(win::SelectObject(two, stock), a);
            EXPECT_TRUE(win::DeleteDC(two));
        }
        EXPECT_TRUE(win::DeleteObject(a));
        EXPECT_EQ(win::SelectObject(one, a), nullptr);  // gone
        win::TEXTMETRICW tm{};
        EXPECT_TRUE(win::GetTextMetricsW(one, &tm));
        if (round % 2) {
            EXPECT_TRUE(win::DeleteObject(one));  // a context deleted as an object
        } else {
            EXPECT_EQ(win::SelectObject(one, stock), b);
            EXPECT_TRUE(win::DeleteDC(one));
        }
        EXPECT_TRUE(win::DeleteObject(stock));  // the stock font ignores deletion
        EXPECT_TRUE(win::DeleteObject(b));
    }
}

// Every glyph of a set of codes at two sizes, in both bitmap forms, as one byte run.
std::vector<uint8_t> renderSet()
{
    std::vector<uint8_t> all;
    for (int height : {16, 32}) {
        FontDc dc(makeFont(height, u"MSゴシック", 400, 128));
        for (unsigned code = 0x21; code < 0x7F; code += 3)
            for (unsigned format : {win::GGO_BITMAP, win::GGO_GRAY8_BITMAP}) {
                const Glyph g = outline(dc.dc, code, format);
                all.insert(all.end(), g.bits.begin(), g.bits.end());
                all.push_back(uint8_t(g.metrics.gmCellIncX));
            }
        for (unsigned code : {0x3042u, 0x30A2u, 0x6F22u, 0x5B57u, 0x4E00u, 0x9F8Du}) {
            const Glyph g = outline(dc.dc, code, win::GGO_GRAY4_BITMAP);
            all.insert(all.end(), g.bits.begin(), g.bits.end());
        }
    }
    return all;
}

TEST(FontThreads, FourThreadsRenderWhatOneDoes)
{
    const std::vector<uint8_t> want = renderSet();
    ASSERT_GT(want.size(), 1000u);
    std::vector<std::vector<uint8_t>> got(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) got[t] = renderSet();
        });
    for (auto& t : threads) t.join();
    for (const auto& g : got) EXPECT_EQ(g, want);
}

}  // namespace
