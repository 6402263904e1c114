// Fonts in software mode: argument normalisation, the face's measurements, the memory
// cache's slots and the pixels written into its cells, checked against the stand-in's
// own glyph bitmaps.
#include <algorithm>
#include <cstring>
#include <string>

#include "font_env.h"
#include "media/base/memory.h"

using namespace ZaDod;
using fonttest::FontEnv;
namespace pw = plat::win;

namespace {

struct SoftFont : FontEnv {
    void SetUp() override {
        FontEnv::SetUp();
        startSoftware();
    }
    FontHandleRecord* make(const char16_t* name, int size, int type, int edge = -1, int italic = 0,
                           uint32_t slots = 0) {
        FontCreateParam param{{0, 0, slots, 0}};
        const int handle = CreateFontHandleW(&param, name, size, -1, type, -1, edge, italic, -1, 0);
        EXPECT_NE(handle, -1);
        return GetFontRecord(handle);
    }
};

int roundUp(int v, int step) { return (v + step - 1) / step * step; }

pw::TEXTMETRICW metricsOf(FontHandleRecord* font) {
    pw::HDC dc = pw::CreateCompatibleDC(nullptr);
    pw::HGDIOBJ old = pw::SelectObject(dc, font->gdi->font);
    pw::TEXTMETRICW tm{};
    pw::GetTextMetricsW(dc, &tm);
    pw::SelectObject(dc, old);
    pw::DeleteDC(dc);
    return tm;
}

// The edge stamps, written out again here.
bool stamp(int e, int dx, int dy) {
    static const char* const s1[] = {"010", "111", "010"};
    static const char* const s3[] = {"0001000", "0111110", "0111110", "1111111", "0111110", "0111110", "0001000"};
    if (e == 1) return s1[dy + 1][dx + 1] == '1';
    if (e == 3) return s3[dy + 3][dx + 3] == '1';
    return true;  // above 4: the square
}

}  // namespace

TEST_F(SoftFont, Normalisation) {
    struct Case {
        int type, edge, charSet, size, thickness;
        uint32_t wantType;
        int wantEdge, wantSize, wantThickness;
        bool defaultedSet;
    } cases[] = {
        {0, 2, 1, 12, 4, 1, 2, 12, 4, false},
        {-3, 1, 1, 12, 4, 0, 1, 12, 4, false},
        {2, -1, 7, -1, -1, 2, 1, 16, 6, true},
        {0, 1, -1, 12, 4, 0, 1, 12, 4, true},
        // Unlisted types become listed ones: every type has a cache format.
        {6, 1, 1, 12, 4, 2, 1, 12, 4, false},
        {16, 1, 1, 12, 4, 18, 1, 12, 4, false},
        {0x35, 1, 1, 12, 4, 35, 1, 12, 4, false},
        {4, 1, 1, 12, 4, 0, 1, 12, 4, false},
    };
    for (const Case& c : cases) {
        const int handle = CreateFontHandleW(nullptr, u"IPAGothic", c.size, c.thickness, c.type, c.charSet, c.edge, 0,
                                             -1, 0);
        ASSERT_NE(handle, -1);
        int size, thickness, type, set, edge, italic;
        ASSERT_EQ(GetFontParamToHandle(nullptr, &size, &thickness, handle, &type, &set, &edge, &italic), 0);
        EXPECT_EQ(static_cast<uint32_t>(type), c.wantType);
        EXPECT_EQ(edge, c.wantEdge);
        EXPECT_EQ(size, c.wantSize);
        EXPECT_EQ(thickness, c.wantThickness);
        FontHandleRecord* font = GetFontRecord(handle);
        if (c.defaultedSet) {
            EXPECT_EQ(font->codePage, 65535);
            EXPECT_EQ(GetFontCharCodeFormat(handle), GetDefaultNarrowCodePage());
        } else {
            EXPECT_EQ(font->codePage, 932);
            EXPECT_EQ(GetFontCharCodeFormat(handle), 932);
        }
        EXPECT_NE(CacheOneChar(font, u'k', nullptr), nullptr);
        SetFontCharCodeFormatToHandle(1252, handle);
        EXPECT_EQ(GetFontCharCodeFormat(handle), 1252);
        DeleteFontHandle(handle);
    }
}

TEST_F(SoftFont, Measurements) {
    for (int italic : {0, 1}) {
        FontHandleRecord* font = make(u"IPAGothic", 20, 0, -1, italic);
        ASSERT_NE(font, nullptr);
        const pw::TEXTMETRICW tm = metricsOf(font);
        const int width = italic ? (tm.tmMaxCharWidth * 135 + 540) / 100 : tm.tmMaxCharWidth + 4;
        EXPECT_EQ(font->cellHeight, tm.tmHeight + 1);
        EXPECT_EQ(font->baseLine, tm.tmAscent);
        EXPECT_EQ(font->cellWidth, std::max(roundUp(width, 8), roundUp(tm.tmHeight + 1, 2)));
    }
    // DejaVu reports internal leading at a cell height of 16: the face is made taller.
    FontHandleRecord* font = make(u"DejaVu Sans", 16, 0);
    ASSERT_NE(font, nullptr);
    const pw::HFONT first = fontfix::makeFont(16, u"DejaVu Sans", 600);
    fontfix::FontDc dc(first);
    pw::TEXTMETRICW tm1{};
    pw::GetTextMetricsW(dc.dc, &tm1);
    ASSERT_GT(tm1.tmInternalLeading + tm1.tmExternalLeading, 0);
    const int height = static_cast<int>(16.0f / (1.0f - static_cast<float>(tm1.tmInternalLeading + tm1.tmExternalLeading) /
                                                         static_cast<float>(tm1.tmHeight)));
    const pw::TEXTMETRICW tm2 = metricsOf(font);
    EXPECT_GT(tm2.tmHeight, tm1.tmHeight);
    EXPECT_EQ(font->leading, tm2.tmHeight - tm1.tmHeight);
    fontfix::FontDc dc2(fontfix::makeFont(height, u"DejaVu Sans", 600));
    pw::TEXTMETRICW expected{};
    pw::GetTextMetricsW(dc2.dc, &expected);
    EXPECT_EQ(tm2.tmHeight, expected.tmHeight);
}

TEST_F(SoftFont, MemoryCacheSizing) {
    struct Case {
        int cell;
        uint32_t type, edge, wanted;
        int slots, side;
    } cases[] = {{24, 0, 0, 0, 568, 24}, {200, 2, 0, 0, 20, 200}, {28, 1, 2, 0, 320, 32}, {16, 0, 0, 5, 5, 16}};
    for (const Case& c : cases) {
        FontHandleRecord* font = fonttest::sizedCache(c.cell, c.type, c.edge, c.wanted);
        ASSERT_NE(font, nullptr);
        const int handle = font->header.Handle;
        EXPECT_EQ(font->useTexture, 0);
        EXPECT_EQ(static_cast<int>(font->slotCount), c.slots) << c.cell;
        EXPECT_EQ(font->cellWidth, c.side);
        EXPECT_EQ(font->memBits, c.type == 0 ? 1 : 8);
        EXPECT_EQ(font->slots[c.slots].index, -1);
        SubHandle(handle);
    }
}

TEST_F(SoftFont, SlotsAreReusedFirstInFirstOut) {
    FontHandleRecord* font = make(u"IPAGothic", 16, 0, -1, 0, 5);
    for (char16_t c = u'A'; c <= u'F'; ++c) fonttest::cache(font, c);
    EXPECT_EQ(FindCachedGlyph(font, u'A'), nullptr);
    ASSERT_NE(FindCachedGlyph(font, u'F'), nullptr);
    EXPECT_EQ(FindCachedGlyph(font, u'F')->index, 0);
    EXPECT_EQ(FindCachedGlyph(font, u'B')->index, 1);

    // A string caches each character once and never more than there are slots.
    uint32_t codes[16];
    int count = 0;
    ASSERT_EQ(CacheStringGlyphs(font, u"GHGHG", -1, codes, &count), 0);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(font->cursor, 3u);
    ASSERT_EQ(CacheStringGlyphs(font, u"abcdefgh", -1, codes, &count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_NE(FindCachedGlyph(font, u'a'), nullptr);
    EXPECT_NE(FindCachedGlyph(font, u'e'), nullptr);
    EXPECT_EQ(FindCachedGlyph(font, u'f'), nullptr);
    EXPECT_EQ(font->cursor, 3u);

    // A surrogate pair is one character.
    ASSERT_EQ(CacheStringGlyphs(font, u"x\U00020B9Fy", -1, codes, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(codes[1], 0x20B9Fu);
    EXPECT_NE(FindCachedGlyph(font, 0x20B9F), nullptr);
    const char16_t cut[3] = {u'z', 0xD842, 0xDF9F};  // the pair is cut by the length
    ASSERT_EQ(CacheStringGlyphs(font, cut, 2, codes, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(codes[1], 0xD842u);
}

TEST_F(SoftFont, LargeCodesKeepTheNewest1024) {
    FontHandleRecord* font = make(u"IPAGothic", 4, 0, -1, 0, 2024);
    ASSERT_EQ(font->slotCount, 2024u);
    for (uint32_t code = 0x20000; code <= 0x20000 + 1024; ++code) fonttest::cache(font, code);
    EXPECT_EQ(font->largeCount, 1024u);
    EXPECT_EQ(FindCachedGlyph(font, 0x20000), nullptr);
    EXPECT_NE(FindCachedGlyph(font, 0x20001), nullptr);
    EXPECT_NE(FindCachedGlyph(font, 0x20400), nullptr);
    EXPECT_EQ(font->slots[0].inUse, 0);
}

TEST_F(SoftFont, CellContents) {
    struct Case {
        uint32_t type;
        int edge;
        unsigned format;  // the stand-in's glyph the cell is computed from
        int scale;
    } cases[] = {
        {0, -1, pw::GGO_BITMAP, 1},      {2, -1, pw::GGO_GRAY4_BITMAP, 1}, {18, -1, pw::GGO_BITMAP, 4},
        {34, -1, pw::GGO_BITMAP, 8},     {1, 1, pw::GGO_BITMAP, 1},        {1, 3, pw::GGO_BITMAP, 1},
        {1, 5, pw::GGO_BITMAP, 1},
    };
    for (const Case& c : cases) {
        FontHandleRecord* font = make(u"IPAGothic", 16, static_cast<int>(c.type), c.edge);
        ASSERT_NE(font, nullptr);
        for (char16_t code : {u'g', u'あ', u'W'}) {
            const fontfix::Glyph g = fonttest::standInGlyph(font, code, c.format);
            ASSERT_NE(g.result, pw::GDI_ERROR);
            FontGlyphSlot* slot = fonttest::cache(font, code);
            ASSERT_NE(slot, nullptr);
            const pw::TEXTMETRICW tm = metricsOf(font);
            const int s = c.scale;
            const int originY = tm.tmAscent - g.metrics.gmptGlyphOrigin.y;
            const int rem = originY % s;
            const int w = (static_cast<int>(g.metrics.gmBlackBoxX) - 1 + s) / s;
            const int h = (static_cast<int>(g.metrics.gmBlackBoxY) + rem - 1 + s) / s;
            const int e = (c.type & 1) ? c.edge : 0;
            EXPECT_EQ(slot->drawX, (g.metrics.gmptGlyphOrigin.x + s / 4) / s);
            EXPECT_EQ(slot->drawY, originY / s);
            EXPECT_EQ(slot->width, w + 2 * e);
            EXPECT_EQ(slot->advance, (g.metrics.gmCellIncX + s / 4) / s + 2 * e);
            // The body level of each cell pixel, on 0-16 for the grey kinds.
            auto level = [&](int x, int y) -> int {
                if (x < 0 || y < 0 || x >= w || y >= h) return 0;
                if (c.format == pw::GGO_GRAY4_BITMAP)
                    return g.bits[static_cast<size_t>(y) * fonttest::glyphPitch(g) + x];
                if (s == 1) return fonttest::monoBit(g, x, y);
                int n = 0;
                for (int sy = 0; sy < static_cast<int>(g.metrics.gmBlackBoxY); ++sy)
                    if ((sy + rem) / s == y)
                        for (int sx = x * s; sx < (x + 1) * s && sx < static_cast<int>(g.metrics.gmBlackBoxX); ++sx)
                            n += fonttest::monoBit(g, sx, sy);
                return s == 8 ? n / 4 : n;
            };
            for (int y = 0; y < font->cellWidth; ++y)
                for (int x = 0; x < font->cellWidth; ++x) {
                    int want;
                    if (c.type == 0) {
                        want = level(x, y);
                    } else if (c.type & 1) {
                        want = level(x - e, y - e) ? 1 : 0;
                        for (int dy = -e; dy <= e && !want; ++dy)
                            for (int dx = -e; dx <= e && !want; ++dx)
                                if (stamp(e, dx, dy) && level(x - e - dx, y - e - dy)) want = 2;
                    } else {
                        const int l = level(x, y);
                        want = l ? l - 1 : 0;
                    }
                    ASSERT_EQ(fonttest::memCell(font, slot, x, y), want)
                        << "type " << c.type << " edge " << c.edge << " code " << int(code) << " at " << x << "," << y;
                }
        }
    }
}

TEST_F(SoftFont, GlyphsStayInTheirCells) {
    FontHandleRecord* font = make(u"IPAGothic", 16, 0, -1, 0, 5);
    const int cell = font->cellWidth;
    // A source larger than the cell, all ink, into the first and the last slot.
    std::vector<uint8_t> ink(static_cast<size_t>(cell + 12) * 8 * (cell + 12), 0xFF);
    for (int slotIndex : {0, 4}) {
        FontGlyphSlot* slot = &font->slots[slotIndex];
        ASSERT_EQ(WriteGlyphToFontCache(font, slot, 'M', 0, 0, ink.data(), cell + 12, cell + 12, (cell + 12 + 31) / 32 * 4,
                                        -3, 0, cell, 0),
                  0);
        EXPECT_LE(slot->width, cell);
        EXPECT_LE(slot->height, cell);
    }
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) ASSERT_EQ(fonttest::memCell(font, &font->slots[1], x, y), 0);

    // Italic overhangs stay in their cell too.
    FontHandleRecord* italic = make(u"DejaVu Sans", 28, 0, -1, 1, 5);
    fonttest::cache(italic, u'W');
    for (int y = 0; y < italic->cellWidth; ++y)
        for (int x = 0; x < italic->cellWidth; ++x) ASSERT_EQ(fonttest::memCell(italic, &italic->slots[1], x, y), 0);
}

TEST_F(SoftFont, InklessGlyphsKeepTheirAdvance) {
    FontHandleRecord* font = make(u"DejaVu Sans", 16, 2);
    for (char16_t code : {u'\u00A0', u'\u2002', u' '}) {
        const fontfix::Glyph g = fonttest::standInGlyph(font, code, pw::GGO_GRAY4_BITMAP);
        FontGlyphSlot* slot = fonttest::cache(font, code);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->width, 0);
        EXPECT_GT(slot->advance, 0);
        EXPECT_EQ(slot->advance, g.metrics.gmCellIncX);
    }
}

TEST_F(SoftFont, CountingFacesStoresNothing) {
    const size_t before = MemGetTotalAllocSize();
    const int count = EnumFontNameEx(nullptr, 0, nullptr, 1);
    EXPECT_EQ(MemGetTotalAllocSize(), before);
    ASSERT_GT(count, 0);
    std::vector<char16_t> names(static_cast<size_t>(count) * 64 + 64);
    EXPECT_EQ(EnumFontNameEx(names.data(), 0, nullptr, 1), count);
    // The family under each of its names.
    const int named = EnumFontNameEx(names.data(), 0, u"IPAGothic", 1);
    ASSERT_GE(named, 1);
    bool found = false;
    for (int i = 0; i < named; ++i) found = found || std::u16string(names.data() + i * 64) == u"IPAGothic";
    EXPECT_TRUE(found);
    EXPECT_EQ(EnumFontNameEx(names.data(), 2, nullptr, 1), std::min(2, count));
}
