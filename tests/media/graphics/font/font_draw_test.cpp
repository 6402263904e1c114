// String drawing and measuring in software mode: the pen and size rules, the memory
// path's pixels against the test's own layout of the stand-in's glyph bitmaps on 32-bit
// and 16-bit screens, edges, levels, the work image, vertical text, the mask and
// character pictures.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "font_env.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/mask.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/render_settings.h"

using namespace ZaDod;
using fonttest::FontEnv;
namespace pw = plat::win;

namespace {

struct SoftText : FontEnv, ::testing::WithParamInterface<int> {
    void SetUp() override {
        FontEnv::SetUp();
        GraphicsSys.colorBits = GetParam();
        startSoftware();
        ASSERT_EQ(GraphicsSys.colorBits, GetParam());
        clear(0, 0, 0);
    }
    int make(int size, int type, int edge = -1) {
        const int handle = CreateFontHandleW(nullptr, u"IPAGothic", size, -1, type, -1, edge, 0, -1, 0);
        EXPECT_NE(handle, -1);
        return handle;
    }
    static void clear(int r, int g, int b) {
        const ImageRect all{0, 0, GraphicsSys.mainScreen.width, GraphicsSys.mainScreen.height};
        FillMemImg(&GraphicsSys.mainScreen, &all, PackScreenColor(r, g, b));
    }
};

uint32_t pixel(int x, int y) {
    const MEMIMG& s = GraphicsSys.mainScreen;
    const uint8_t* row = s.pixels + static_cast<size_t>(y) * s.base->pitch;
    return MemImgPixelBytes(s.base) == 4 ? reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF
                                          : reinterpret_cast<const uint16_t*>(row)[x];
}

uint32_t rgb(uint32_t screenColor) {
    int r, g, b;
    UnpackScreenColor(screenColor, &r, &g, &b);
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Depths, SoftText, ::testing::Values(32, 16));

TEST_P(SoftText, MeasuringFollowsThePen) {
    const int handle = make(16, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    const int a = GetDrawStringWidthToHandleW(u"A", -1, handle), b = GetDrawStringWidthToHandleW(u"B", -1, handle),
              c = GetDrawStringWidthToHandleW(u"C", -1, handle);
    ASSERT_GT(a, 0);
    StringSize size{};
    // Two lines: the pen after "C", the widest line by line height + cell height.
    EXPECT_EQ(DrawStringBase(0, 0, 0, 0, 0, 1, u"AB\nC", 0, nullptr, nullptr, 0, font, 0, -1, 0, &size), c);
    EXPECT_EQ(size.width, a + b);
    EXPECT_EQ(size.height, font->cellHeight * 2);
    // Spacing adds to every advance; a fixed line spacing replaces the cell height.
    SetFontSpaceToHandle(3, handle);
    SetFontLineSpaceToHandle(20, handle);
    EXPECT_EQ(GetDrawStringWidthToHandleW(u"AB", -1, handle), a + b + 6);
    EXPECT_EQ(DrawStringBase(0, 0, 0, 0, 0, 1, u"AB\nC", 0, nullptr, nullptr, 0, font, 0, -1, 1, &size), c + 3);
    EXPECT_EQ(size.width, 20 + font->cellHeight);  // vertical text swaps the size
    EXPECT_EQ(size.height, a + b + 6);
    SetFontSpaceToHandle(0, handle);
    // A surrogate pair is one character; a length cuts the text.
    const int one = GetDrawStringWidthToHandleW(u"\U00020B9F", -1, handle);
    EXPECT_EQ(GetDrawStringWidthToHandleW(u"\U00020B9FA", -1, handle), one + a);
    EXPECT_EQ(GetDrawStringWidthToHandleW(u"ABC", 1, handle), a);
    EXPECT_EQ(GetDrawStringWidthToHandle("AB", -1, handle), a + b);
    // Every ASCII character measures its own advance through the 8-bit entry.
    for (char ch = 33; ch < 127; ++ch) {
        const char text[2] = {ch, 0};
        const char16_t wide[2] = {static_cast<char16_t>(ch), 0};
        EXPECT_EQ(GetDrawStringWidthToHandle(text, -1, handle), GetDrawStringWidthToHandleW(wide, -1, handle));
    }
}

TEST_P(SoftText, BadHandlesAndEmptyText) {
    EXPECT_EQ(DrawStringToHandleW(0, 0, u"A", 0, 12345, 0, 0), -1);
    EXPECT_TRUE(halvorine_test::LogCapture::contains(u"フォントハンドル値が異常です"));
    EXPECT_EQ(GetDrawStringWidthToHandleW(u"A", -1, 12345), -1);
    EXPECT_EQ(DrawStringToHandleW(0, 0, u"", 0, 12345, 0, 0), 0);
    EXPECT_EQ(DrawString(0, 0, "", 0), 0);
    // Handle -2 makes the default font first.
    EXPECT_GT(GetDrawStringWidthToHandleW(u"A", -1, -2), 0);
    EXPECT_NE(GetDefaultFontHandle(), -1);
}

TEST_P(SoftText, PlainTextEqualsTheGlyphLayout) {
    const int handle = make(16, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    const std::u16string text = u"Halvorine 123";
    const uint32_t white = PackScreenColor(255, 255, 255);
    ASSERT_EQ(DrawStringToHandleW(10, 10, text.c_str(), white, handle, 0, 0), 0);
    const auto ink = fonttest::layoutInk(font, text, 10, 10);
    ASSERT_GT(ink.size(), 50u);
    StringSize size{};
    DrawStringBase(0, 0, 0, 0, 0, 1, text.c_str(), 0, nullptr, nullptr, 0, font, 0, -1, 0, &size);
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool want = ink.count({x, y}) != 0;
            const uint32_t got = pixel(x, y);
            if (got != (want ? (white & (GetParam() == 32 ? 0xFFFFFF : 0xFFFF)) : 0u)) ++wrong;
            if (got != 0) {
                EXPECT_GE(x, 10);
                EXPECT_LT(x, 10 + size.width);
                EXPECT_GE(y, 10 - font->leading / 2);
                EXPECT_LT(y, 10 + size.height);
            }
        }
    EXPECT_EQ(wrong, 0);
}

TEST_P(SoftText, EdgeSitsOnThePlusStampAroundTheBody) {
    const int handle = make(16, 1, 1);
    FontHandleRecord* font = GetFontRecord(handle);
    const uint32_t red = PackScreenColor(255, 0, 0), blue = PackScreenColor(0, 0, 255);
    ASSERT_EQ(DrawStringToHandleW(20, 20, u"O", red, handle, blue, 0), 0);
    // The body is the plain layout moved by the edge; the edge is its plus stamp.
    const auto body0 = fonttest::layoutInk(font, u"O", 20, 20);
    std::set<std::pair<int, int>> body, edge;
    for (auto [x, y] : body0) body.insert({x + 1, y + 1});
    for (auto [x, y] : body)
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            if (!body.count({x + dx, y + dy})) edge.insert({x + dx, y + dy});
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t want = body.count({x, y}) ? rgb(red) : edge.count({x, y}) ? rgb(blue) : 0;
            wrong += rgb(pixel(x, y)) != want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_P(SoftText, LevelsBlendWithTheBackground) {
    const int handle = make(20, 2);
    FontHandleRecord* font = GetFontRecord(handle);
    clear(40, 80, 120);
    const uint32_t text = PackScreenColor(250, 200, 10);
    int tr, tg, tb, br, bg, bb;
    UnpackScreenColor(text, &tr, &tg, &tb);
    UnpackScreenColor(PackScreenColor(40, 80, 120), &br, &bg, &bb);
    ASSERT_EQ(DrawStringToHandleW(0, 0, u"W", text, handle, 0, 0), 0);
    const FontGlyphSlot* slot = FindCachedGlyph(font, u'W');
    ASSERT_NE(slot, nullptr);
    auto P = [](int x, int y) { return x * y / 255; };
    std::map<int, int> seen;
    int wrong = 0;
    const int top = -font->leading / 2 + slot->drawY;
    for (int y = 0; y < slot->height; ++y)
        for (int x = 0; x < slot->width; ++x) {
            const int b = fonttest::memCell(font, slot, x, y) & 15;
            if (b == 0) continue;
            ++seen[b];
            const int A = b == 15 ? 255 : 16 * b;
            int r = P(tr, A) + P(br, 255 - A), g = P(tg, A) + P(bg, 255 - A), bl = P(tb, A) + P(bb, 255 - A);
            const int px = slot->drawX + x, py = top + y;
            if (px < 0 || py < 0) continue;
            int gr, gg, gb;
            UnpackScreenColor(pixel(px, py), &gr, &gg, &gb);
            // A 16-bit screen keeps 5:6:5 of the software renderer's blend: one step of slack.
            const int slack = GetParam() == 16 ? 8 : 0;
            if (std::abs(gr - r) > slack || std::abs(gg - g) > slack || std::abs(gb - bl) > slack) {
                ++wrong;
                ADD_FAILURE() << "level " << b << " at " << px << "," << py << ": " << gr << " " << gg << " " << gb
                              << " want " << r << " " << g << " " << bl;
            }
        }
    EXPECT_GE(seen.size(), 3u);  // several levels were checked
    EXPECT_EQ(wrong, 0);
}

TEST(FontLevelRule, EdgedLevelsInTheAlphaWorkImage) {
    // Body level 7 under edge level 15, white text, black edge: colour 122, alpha 232.
    MEMIMG work{};
    ASSERT_EQ(CreateMemImg(&work, 4, 4, -1, 0, kMemImgX8R8G8B8, 0, 1, 0, nullptr), 0);
    FontHandleRecord font{};
    font.fontType = 3;
    font.memBits = 8;
    MemGlyphWriter writer;
    InitMemImgBlendTables();
    ASSERT_TRUE(PrepareMemGlyphWriter(&writer, &font, &work, ImageRect{0, 0, 4, 4}, 0xFFFFFF, 0));
    const uint8_t cell[1] = {0xF7};
    writer.blit(writer, cell, 1, 1, 1, 2, 1, 0);
    const uint32_t got = reinterpret_cast<const uint32_t*>(work.pixels + work.base->pitch)[2];
    EXPECT_EQ(got, 232u << 24 | 122u << 16 | 122u << 8 | 122u);
    TerminateMemImg(&work);
}

TEST_P(SoftText, HalfBlendGoesThroughTheWorkImageOnce) {
    const int handle = make(16, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    clear(0, 0, 200);
    SetDrawBlendMode(1, 128);
    const uint32_t white = PackScreenColor(255, 255, 255);
    ASSERT_EQ(DrawStringToHandleW(10, 10, u"Wi", white, handle, 0, 0), 0);
    SetDrawBlendMode(0, 255);
    const auto ink = fonttest::layoutInk(font, u"Wi", 10, 10);
    const uint32_t back = rgb(PackScreenColor(0, 0, 200));
    std::set<uint32_t> inkColours;
    int wrong = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t got = rgb(pixel(x, y));
            if (ink.count({x, y}))
                inkColours.insert(got);
            else
                wrong += got != back;
        }
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(inkColours.size(), 1u);  // every ink pixel blended exactly once
    EXPECT_NE(*inkColours.begin(), back);
    EXPECT_NE(*inkColours.begin(), rgb(white));
}

TEST_P(SoftText, VerticalTextRunsDownAndLinesMoveLeft) {
    const int handle = make(16, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    const uint32_t white = PackScreenColor(255, 255, 255);
    ASSERT_EQ(DrawStringToHandleW(200, 10, u"III\nI", white, handle, 0, 1), 0);
    // Ink spans rows far below one cell, and two column bands sit a line apart.
    int minX = 1 << 30, maxX = -1, maxY = -1;
    for (int y = 0; y < 120; ++y)
        for (int x = 100; x < 260; ++x)
            if (pixel(x, y)) minX = std::min(minX, x), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    const int advance = GetDrawStringWidthToHandleW(u"I", -1, handle);
    EXPECT_GE(maxY, 10 + 2 * advance);
    EXPECT_LT(minX, 200);  // the second line's column lies left of x
    EXPECT_LT(maxX, 200 + font->cellHeight);
}

TEST_P(SoftText, MaskLetsTextThroughOnlyWhereItAllows) {
    const int handle = make(16, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    int pitch, width, height;
    uint8_t* mask = GetMaskBufferForTest(&pitch, &width, &height);
    for (int y = 0; y < height; ++y) std::memset(mask + y * pitch + 30, 1, width - 30);
    SetUseMaskScreenFlag(1);
    const uint32_t white = PackScreenColor(255, 255, 255);
    ASSERT_EQ(DrawStringToHandleW(10, 10, u"MMMM", white, handle, 0, 0), 0);
    SetUseMaskScreenFlag(0);
    DeleteMaskScreen();
    const auto ink = fonttest::layoutInk(font, u"MMMM", 10, 10);
    int wrong = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) wrong += (pixel(x, y) != 0) != (x < 30 && ink.count({x, y}));
    EXPECT_EQ(wrong, 0);
}

TEST_P(SoftText, PicturesDrawTintedAndAdvanceByTheirOwn) {
    const int handle = make(16, 0);
    const int graph = MakeGraph(5, 7);
    ASSERT_NE(graph, -1);
    MEMIMG* image = GetGraphSoftImage(GetGraphData(graph));
    const ImageRect all{0, 0, 5, 7};
    FillMemImg(image, &all, PackScreenColor(255, 255, 255));
    ASSERT_EQ(RegisterCharImageToHandleW(handle, u"#", graph, 2, 3, 11), 0);
    const int plainA = GetDrawStringWidthToHandleW(u"A", -1, handle);
    EXPECT_EQ(GetDrawStringWidthToHandleW(u"#A", -1, handle), 11 + plainA);
    const uint32_t green = PackScreenColor(0, 255, 0);
    const int top = 50 - GetFontRecord(handle)->leading / 2;
    ASSERT_EQ(DrawStringToHandleW(50, 50, u"#", green, handle, 0, 0), 0);
    int wrong = 0;
    for (int y = 40; y < 70; ++y)
        for (int x = 40; x < 70; ++x) {
            const bool in = x >= 52 && x < 57 && y >= top + 3 && y < top + 10;
            wrong += rgb(pixel(x, y)) != (in ? rgb(green) : 0u);
        }
    EXPECT_EQ(wrong, 0);
}
