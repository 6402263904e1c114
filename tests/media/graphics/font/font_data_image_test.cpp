// Fonts from "FNTF" data images built by the test with the pack tools: 1-, 4- and
// 8-bit glyphs, packed and plain, a code above 0xFFFF, missing characters, images
// refused for every count and offset pushed past their end, the image copied into an
// asynchronous job, and the built-in fallback under an empty font configuration.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "font_env.h"
#include "media/file/async_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "tests/media/system/media_library_fixture.h"
#include "tools/pack/font_image.h"

using namespace ZaDod;
using fonttest::FontEnv;
namespace pk = halvorine::pack;

namespace {

constexpr uint32_t kLarge = 0x1F600;

// A 6 x 8 glyph whose pixel (x, y) carries level(x, y) on the depth's scale (0 = none).
pk::FontImageGlyph glyph(uint32_t code, int kind, bool pack, int (*level)(int, int)) {
    pk::FontImageGlyph g;
    g.code = code;
    g.drawX = 1;
    g.drawY = 2;
    g.advance = 7;
    g.width = 6;
    g.height = 8;
    g.pitch = kind == 0 ? 1 : kind == 1 ? 3 : 6;
    g.bits.assign(g.pitch * 8, 0);
    g.pack = pack;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x) {
            const int v = level(x, y);
            uint8_t* row = &g.bits[y * g.pitch];
            if (kind == 0 && v) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (kind == 1) row[x / 2] |= static_cast<uint8_t>(v << ((x & 1) ? 0 : 4));
            if (kind == 2) row[x] = static_cast<uint8_t>(v);
        }
    return g;
}

int full(int kind) { return kind == 0 ? 1 : kind == 1 ? 15 : 255; }

std::vector<uint8_t> image(int kind) {
    pk::FontImageSpec spec;
    spec.name = u"Test Image";
    spec.kind = static_cast<uint32_t>(kind);
    spec.cellWidth = 8;
    spec.cellHeight = 12;
    static int k;
    k = kind;
    auto frame = [](int x, int y) { return (x == 0 || y == 0 || x == 5 || y == 7) ? full(k) : 0; };
    auto bar = [](int x, int) { return x == 2 ? full(k) : 0; };
    spec.glyphs.push_back(glyph(u'A', kind, false, frame));
    spec.glyphs.push_back(glyph(u'B', kind, true, bar));
    spec.glyphs.push_back(glyph(kLarge, kind, true, frame));
    return pk::writeFontImage(spec);
}

int liveFonts() {
    const HandleTypeManager& m = HandleManageArray[HANDLETYPE_FONT];
    int n = 0;
    for (int i = 0; i < m.MaxNum; ++i) n += m.Handle[i] != nullptr;
    return n;
}

struct ImageFont : FontEnv {
    void SetUp() override {
        FontEnv::SetUp();
        GraphicsSys.colorBits = 32;
        startSoftware();
        const ImageRect all{0, 0, GraphicsSys.mainScreen.width, GraphicsSys.mainScreen.height};
        FillMemImg(&GraphicsSys.mainScreen, &all, 0);
    }
};

uint32_t rgbAt(int x, int y) {
    const MEMIMG& s = GraphicsSys.mainScreen;
    return reinterpret_cast<const uint32_t*>(s.pixels + static_cast<size_t>(y) * s.base->pitch)[x] & 0xFFFFFF;
}

}  // namespace

TEST_F(ImageFont, EveryDepthDrawsItsGlyphs) {
    for (int kind = 0; kind < 3; ++kind) {
        const std::vector<uint8_t> bytes = image(kind);
        const int handle = CreateDefaultFontHandle(nullptr, bytes.data(), bytes.size(), 0, 0);
        ASSERT_NE(handle, -1) << kind;
        FontHandleRecord* font = GetFontRecord(handle);
        EXPECT_EQ(font->fontType, kind == 0 ? 0u : kind == 1 ? 18u : 34u);
        EXPECT_EQ(std::u16string(font->name), u"Test Image");
        const char16_t text[] = {u'A', u'B', 0xD83D, 0xDE00, 0};
        EXPECT_EQ(GetDrawStringWidthToHandleW(text, -1, handle), 21);
        const int y0 = 40 * kind;
        ASSERT_EQ(DrawStringToHandleW(0, y0, text, 0xFFFFFF, handle, 0, 0), 0);
        int wrong = 0;
        for (int y = y0; y < y0 + 14; ++y)
            for (int x = 0; x < 24; ++x) {
                const int pen = x / 7 * 7, gx = x - pen - 1, gy = y - y0 - 2;
                const bool inBox = gx >= 0 && gx < 6 && gy >= 0 && gy < 8;
                const bool frame = inBox && (gx == 0 || gy == 0 || gx == 5 || gy == 7);
                const bool want = pen == 7 ? inBox && gx == 2 : pen < 21 && frame;
                wrong += rgbAt(x, y) != (want ? 0xFFFFFFu : 0u);
            }
        EXPECT_EQ(wrong, 0) << kind;
        // A missing character takes no slot and draws nothing.
        const uint32_t cursor = font->cursor;
        EXPECT_EQ(GetDrawStringWidthToHandleW(u"ZZ", -1, handle), 0);
        EXPECT_EQ(font->cursor, cursor);
        DeleteFontHandle(handle);
    }
}

// An edged image font widens and heightens by the whole edge, also past 64 pixels, and
// the edge ring reaches exactly that far from the body.
TEST_F(ImageFont, EdgesOfEverySizeSurroundTheBody) {
    const std::vector<uint8_t> bytes = image(2);
    for (int edge : {1, 3, 70}) {
        const int handle = CreateDefaultFontHandle(nullptr, bytes.data(), bytes.size(), edge, 0);
        ASSERT_NE(handle, -1) << edge;
        FontHandleRecord* font = GetFontRecord(handle);
        EXPECT_EQ(static_cast<int>(font->edgeSize), edge);
        EXPECT_EQ(GetDrawStringWidthToHandleW(u"A", -1, handle), 7 + 2 * edge) << edge;
        const MEMIMG& s = GraphicsSys.mainScreen;
        const ImageRect all{0, 0, s.width, s.height};
        FillMemImg(&GraphicsSys.mainScreen, &all, 0);
        ASSERT_EQ(DrawStringToHandleW(0, 0, u"A", 0xFFFFFF, handle, 0xFF0000, 0), 0);
        // The body's top-left texel sits at (edge + 1, edge + 2); the edge reaches `edge` pixels left of it.
        EXPECT_EQ(rgbAt(edge + 1, edge + 2), 0xFFFFFFu) << edge;
        // (Grey-level glyphs stamp the edge at level 15 of 16.)
        EXPECT_EQ(rgbAt(1, edge + 2), 0xF00000u) << edge;
        EXPECT_EQ(rgbAt(0, edge + 2), 0u) << edge;
        DeleteFontHandle(handle);
    }
}

TEST_F(ImageFont, HalfLevelsBlend) {
    for (int kind = 1; kind < 3; ++kind) {
        pk::FontImageSpec spec;
        spec.kind = static_cast<uint32_t>(kind);
        static int k;
        k = kind;
        spec.glyphs.push_back(glyph(u'H', kind, kind == 2, [](int x, int) { return x < 3 ? full(k) : full(k) / 2; }));
        const std::vector<uint8_t> bytes = pk::writeFontImage(spec);
        const int handle = CreateDefaultFontHandle(nullptr, bytes.data(), bytes.size(), 0, 0);
        ASSERT_NE(handle, -1);
        const int y = 100 * kind;
        ASSERT_EQ(DrawStringToHandleW(100, y, u"H", 0xFFFFFF, handle, 0, 0), 0);
        EXPECT_EQ(rgbAt(101, y + 2), 0xFFFFFFu);
        // Half levels: 4-bit 7 is level 8 (alpha 16 x 7); 8-bit 127 is level 16 x 127 / 255 = 7 (alpha 16 x 6).
        const uint32_t half = kind == 1 ? 112 : 96;
        EXPECT_EQ(rgbAt(105, y + 2), half << 16 | half << 8 | half) << kind;
        EXPECT_EQ(rgbAt(107, y + 2), 0u);
        DeleteFontHandle(handle);
    }
}

TEST_F(ImageFont, InconsistentImagesAreRefusedWithoutAHandle) {
    const std::vector<uint8_t> good = image(0);
    const int before = liveFonts();
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    std::vector<std::vector<uint8_t>> bad;
    auto edited = [&](auto edit) {
        std::vector<uint8_t> b = good;
        edit(b);
        bad.push_back(b);
    };
    edited([](auto& b) { b[0] = 'X'; });
    edited([&](auto& b) { put32(b, 8, static_cast<uint32_t>(b.size() + 1)); });  // glyph data past the end
    edited([&](auto& b) { put32(b, 12, 0xFFFFFFF0u); });                           // unpack size
    edited([&](auto& b) { put32(b, 16, 0x7FFFFFFFu); });                           // glyph count
    edited([&](auto& b) { put32(b, 16, 40); });                                     // more entries than the header
    edited([&](auto& b) { put32(b, 20, 4); });                                      // more large codes than glyphs
    edited([&](auto& b) { put32(b, 20, 0); });                                      // fewer than the entries hold
    edited([](auto& b) { b.resize(30); });                                          // header cut
    edited([](auto& b) { b.resize(b.size() - 20); });                               // glyph data cut
    // Glyph entries: offset and pitch, rewritten in the packed header.
    for (int field : {16, 20}) {
        pk::FontImageSpec spec;
        spec.glyphs.push_back(glyph(u'A', 0, false, [](int, int) { return 1; }));
        spec.glyphs.back().pitch = field == 20 ? 0 : 1;
        if (field == 16) spec.glyphs.push_back(glyph(u'B', 0, false, [](int, int) { return 1; }));
        std::vector<uint8_t> b = pk::writeFontImage(spec);
        if (field == 16) b.resize(b.size() - 4);  // the second glyph's rows run past the end
        bad.push_back(b);
    }
    for (size_t i = 0; i < bad.size(); ++i) {
        EXPECT_EQ(CreateDefaultFontHandle(nullptr, bad[i].data(), bad[i].size(), 0, 0), -1) << i;
        EXPECT_EQ(liveFonts(), before) << i;
    }
    EXPECT_EQ(CreateDefaultFontHandle(nullptr, nullptr, 100, 0, 0), -1);
    const int handle = CreateDefaultFontHandle(nullptr, good.data(), good.size(), 0, 0);
    EXPECT_NE(handle, -1);
}

namespace {
using ImageModule = halvorine_test::LibraryTest;
}  // namespace

TEST_F(ImageModule, AsyncJobsKeepTheirOwnCopy) {
    ChangeWindowMode(1);
    ASSERT_EQ(InitializeLibrary(), 0);
    SetUseASyncLoadFlag(1);
    std::vector<int> handles;
    for (int round = 0; round < 8; ++round) {
        std::vector<uint8_t> bytes = image(round % 3);
        const int h = CreateDefaultFontHandle(nullptr, bytes.data(), bytes.size(), round % 2, 1);
        ASSERT_NE(h, -1);
        // The caller's image is gone before the job may run.
        std::memset(bytes.data(), 0xEE, bytes.size());
        bytes.clear();
        bytes.shrink_to_fit();
        handles.push_back(h);
    }
    SetUseASyncLoadFlag(0);
    for (int round = 0; round < 2; ++round) {
        for (int h : handles) {
            ASSERT_EQ(CheckFontHandleValid(h), 1);
            EXPECT_EQ(GetDrawStringWidthToHandleW(u"AB", -1, h),
                      14 + 4 * static_cast<int>(GetFontRecord(h)->edgeSize));
        }
        // Data-image fonts survive a device restore under their own numbers.
        ASSERT_EQ(RefreshAllFontHandles(), 0);
    }
}

namespace {

// The child of the fallback test: 0 when every check held.
int fallbackChild() {
    ::setenv("FONTCONFIG_FILE", fontfix::emptyConfigPath().c_str(), 1);
    ::setenv("HALVORINE_HEADLESS", "1", 1);
    int fails = 0;
    auto check = [&](bool ok) { fails += !ok; };
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    check(InitializeLibrary() == 0);
    const ImageRect all{0, 0, 640, 480};
    FillMemImg(&GraphicsSys.mainScreen, &all, 0);
    const uint32_t red = PackScreenColor(255, 0, 0);
    check(DrawString(10, 10, "Az~", red) == 0);
    check(GetDefaultFontHandle() != -1);
    FontHandleRecord* font = GetFontRecord(GetDefaultFontHandle());
    check(font != nullptr && font->dataImage == 1 && font->charImageCount == 128);
    // Each code measures 8.
    for (int c = 1; c < 128; ++c) {
        const char16_t text[2] = {static_cast<char16_t>(c), 0};
        check(GetDrawStringWidthToHandleW(text, -1, -2) == (c == 10 ? 0 : 8));
    }
    // The sheet's ink shows in the text colour, magenta nowhere, and each
    // character stays in its own 8-pixel column.
    int ink[3] = {0, 0, 0}, other = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = reinterpret_cast<const uint32_t*>(GraphicsSys.mainScreen.pixels +
                                                                 y * GraphicsSys.mainScreen.base->pitch)[x] &
                               0xFFFFFF;
            if (p == 0) continue;
            if (p == 0xFF0000 && x >= 10 && x < 34 && y >= 10 && y < 26)
                ++ink[(x - 10) / 8];
            else
                ++other;
        }
    check(ink[0] > 4 && ink[1] > 4 && ink[2] > 2 && other == 0);
    int graphs = 0;
    for (int c = 0; c < 128; ++c) graphs += GetGraphData(font->charImages[c].graph) != nullptr;
    check(graphs == 128);
    // A device restore makes it again from its image, pictures and all.
    const int handle = GetDefaultFontHandle();
    check(RefreshAllFontHandles() == 0);
    check(GetDefaultFontHandle() == handle);
    font = GetFontRecord(handle);
    check(font != nullptr && font->dataImage == 1 && font->charImageCount == 128);
    check(GetDrawStringWidthToHandleW(u"Az~", -1, -2) == 24);
    const int first = font->charImages[0].graph, last = font->charImages[127].graph;
    TerminateFontManage();
    check(GetGraphData(first) == nullptr && GetGraphData(last) == nullptr);
    TerminateLibrary();
    return fails == 0 ? 0 : 1;
}

}  // namespace

TEST(FallbackFont, TakesOverWithoutAnyFace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process reads the empty configuration first.
    EXPECT_EXIT(std::exit(fallbackChild()), ::testing::ExitedWithCode(0), "");
}
