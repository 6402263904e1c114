// Fonts with a device (the recording back end): the texture page's size, the cells
// written into the cache image, and one texture transfer per batch of glyphs.
#include <algorithm>
#include <tuple>

#include "font_env.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"

using namespace ZaDod;
using fonttest::FontEnv;
namespace pw = plat::win;

namespace {

struct DeviceFont : FontEnv {
    void SetUp() override {
        FontEnv::SetUp();
        startDevice();
    }
};

int transfers() {
    int n = 0;
    for (const std::string& name : halvorine_test::backendCallNames())
        n += name.find("BltBmpOrBaseImageToGraph") != std::string::npos;
    return n;
}

struct Pixel {
    int r, g, b, a;
};

Pixel cachePixel(FontHandleRecord* font, int x, int y) {
    const BaseImage& image = font->cacheImage;
    const PixelFormatDesc& f = image.format;
    const uint8_t* row = static_cast<const uint8_t*>(image.pixels) + static_cast<size_t>(y) * image.pitch;
    const uint32_t v = f.bytesPerPixel == 4 ? reinterpret_cast<const uint32_t*>(row)[x]
                                            : reinterpret_cast<const uint16_t*>(row)[x];
    auto field = [&](uint32_t mask, int loc, int width) {
        return width == 0 ? 0 : static_cast<int>(((v & mask) >> loc) << (8 - width));
    };
    return {field(f.redMask, f.redLoc, f.redWidth), field(f.greenMask, f.greenLoc, f.greenWidth),
            field(f.blueMask, f.blueLoc, f.blueWidth), field(f.alphaMask, f.alphaLoc, f.alphaWidth)};
}

}  // namespace

TEST_F(DeviceFont, TexturePageSize) {
    struct Case {
        int cell;
        uint32_t type, edge, wanted;
        int width, height, slots, rows;
    } cases[] = {
        {32, 0, 0, 0, 1024, 512, 512, 16},
        {40, 2, 0, 0, 1024, 512, 300, 12},
        {32, 0, 0, 3, 64, 64, 4, 2},
        {28, 1, 2, 0, 1024, 512, 512, 16},  // 28 + 2 x 2 rounds to 32
        {8, 0, 0, 0, 512, 256, 2024, 32},  // the slot cap ends the growth
    };
    for (const Case& c : cases) {
        FontHandleRecord* font = fonttest::sizedCache(c.cell, c.type, c.edge, c.wanted);
        ASSERT_NE(font, nullptr);
        const int handle = font->header.Handle;
        EXPECT_EQ(font->useTexture, 1);
        EXPECT_EQ(font->textureWidth, c.width) << c.cell;
        EXPECT_EQ(font->textureHeight, c.height) << c.cell;
        EXPECT_EQ(static_cast<int>(font->slotCount), c.slots) << c.cell;
        EXPECT_EQ(static_cast<int>(font->rowsPerColumn), c.rows) << c.cell;
        EXPECT_EQ(font->cacheImage.width, (c.type & 1 ? 2 : 1) * c.width);
        EXPECT_NE(font->cacheGraph, -1);
        EXPECT_EQ(font->edgeGraph != -1, (c.type & 1) != 0);
        SubHandle(handle);
    }
}

TEST_F(DeviceFont, CellsAreWhiteWithCoverageAsAlpha) {
    for (uint32_t grey : {0u, 1u}) {
        const FontCreateParam param{{0, 0, 0, grey}};
        const int handle = CreateFontHandleW(&param, u"IPAGothic", 16, -1, 2, -1, -1, 0, -1, 0);
        FontHandleRecord* font = GetFontRecord(handle);
        ASSERT_NE(font, nullptr);
        ASSERT_EQ(font->textureBits, 32);
        const fontfix::Glyph g = fonttest::standInGlyph(font, u'あ', pw::GGO_GRAY8_BITMAP);
        FontGlyphSlot* slot = fonttest::cache(font, u'あ');
        ASSERT_NE(slot, nullptr);
        const int cell = font->cellWidth;
        const int x0 = static_cast<int>(slot->column) * cell + 1, y0 = static_cast<int>(slot->row) * cell + 1;
        const int w = static_cast<int>(g.metrics.gmBlackBoxX), h = static_cast<int>(g.metrics.gmBlackBoxY);
        for (int y = 0; y < cell - 1; ++y)
            for (int x = 0; x < cell - 1; ++x) {
                const int l = x < w && y < h ? g.bits[static_cast<size_t>(y) * fonttest::glyphPitch(g) + x] : 0;
                const int alpha = l == 0 ? 0 : l == 64 ? 255 : 4 * l - 1;
                const Pixel p = cachePixel(font, x0 + x, y0 + y);
                const int colour = grey ? alpha : 255;
                ASSERT_EQ(p.a, alpha) << x << "," << y;
                ASSERT_EQ(p.r, colour);
                ASSERT_EQ(p.g, colour);
                ASSERT_EQ(p.b, colour);
            }
        DeleteFontHandle(handle);
    }
}

TEST_F(DeviceFont, OneTransferPerBatch) {
    for (int edge : {1, 2}) {
        const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 0, -1, edge, 0, -1, 0);
        FontHandleRecord* font = GetFontRecord(handle);
        ASSERT_NE(font, nullptr);
        const int before = transfers();
        ASSERT_EQ(CacheStringGlyphs(font, u"abcabc", -1, nullptr, nullptr), 0);
        // Edged fonts copy the edge half with the same rectangle.
        EXPECT_EQ(transfers(), before + (edge > 1 ? 2 : 1));
        EXPECT_EQ(font->pending, 0);
        ASSERT_EQ(CacheStringGlyphs(font, u"cab", -1, nullptr, nullptr), 0);  // all hits
        EXPECT_EQ(transfers(), before + (edge > 1 ? 2 : 1));
        EXPECT_EQ(font->cursor, 3u);
        DeleteFontHandle(handle);
    }
}

TEST_F(DeviceFont, PendingRectangleIsTheUnionOfCells) {
    const int handle = AddHandle(HANDLETYPE_FONT, 0, -1);
    FontHandleRecord* font = GetFontRecord(handle);
    const int a[4] = {32, 0, 64, 32}, b[4] = {0, 64, 32, 96};
    UpdateFontCacheRect(font, a);
    UpdateFontCacheRect(font, b);
    EXPECT_EQ(font->pendingRect[0], 0);
    EXPECT_EQ(font->pendingRect[1], 0);
    EXPECT_EQ(font->pendingRect[2], 64);
    EXPECT_EQ(font->pendingRect[3], 96);
    SubHandle(handle);
}

TEST_F(DeviceFont, AFailedPageFallsBackToTheMemoryCache) {
    halvorine_test::setBackendResult("Graphics_D3D11_CreateGraphTexture", -1);
    for (int round = 0; round < 2; ++round) {
        const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 2, -1, -1, 0, -1, 0);
        FontHandleRecord* font = GetFontRecord(handle);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->useTexture, 0);
        EXPECT_NE(font->memCache, nullptr);
        EXPECT_EQ(font->cacheImage.pixels, nullptr);
        EXPECT_NE(fonttest::cache(font, u'あ'), nullptr);
        DeleteFontHandle(handle);
    }
    EXPECT_TRUE(halvorine_test::LogCapture::contains(u"テクスチャ文字キャッシュの作成に失敗しました"));
}

// A font made on first use makes its texture with the graph settings in force when it
// was made, as a font made at once did.
TEST_F(DeviceFont, FirstUseKeepsTheGraphSettingsOfTheMaking) {
    const GraphCreateSettings settings = GraphCreateSettingsData;
    auto texture = [](int handle) {
        FontHandleRecord* font = GetFontRecord(handle);
        int width = -1, height = -1, mips = -1;
        if (font != nullptr && font->useTexture) {
            GetGraphSize(font->cacheGraph, &width, &height);
            mips = static_cast<int>(GetGraphData(font->cacheGraph)->orig->mipCount);
        }
        return std::tuple{width, height, mips};
    };
    const int atOnce = CreateFontHandle("IPAGothic", 40, -1, 2, -1, -1, 0);
    const int later = CreateFontHandleOnFirstUse("IPAGothic", 40, -1, 2, -1, -1, 0);
    GraphCreateSettingsData.words.mipLevels = -1;  // a full chain
    const int afterChange = CreateFontHandle("IPAGothic", 40, -1, 2, -1, -1, 0);
    const auto first = texture(later);
    GraphCreateSettingsData = settings;
    EXPECT_NE(std::get<0>(first), -1);
    EXPECT_EQ(first, texture(atOnce));
    EXPECT_NE(texture(afterChange), texture(atOnce));  // a change the texture shows
    for (int h : {atOnce, later, afterChange}) DeleteFontHandle(h);
}
