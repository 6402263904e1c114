// Fonts through their life and at the edges of their ranges, on the software renderer,
// Direct3D 9 and Direct3D 11: a glyph cache too small for the text, a handle made anew
// in the place of a deleted one, the smallest and largest sizes, fonts without a texture
// cache, thin to thick edges, strings at and across the screen's edges and a draw area's,
// measures against the drawn ink, text into a canvas of several textures, through a mask,
// and character pictures. Every scene is compared between the renderers pixel by pixel,
// and against itself where the same text must come out the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

namespace fontlife {

using namespace ZaDod;
using namespace renderertest;

constexpr unsigned kBack = 0x1E3C5A;  // (30, 60, 90)

void background() {
    SetDrawBlendMode(0, 255);
    SetDrawAreaFull();
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
}
unsigned white() { return colour(255, 255, 255); }
unsigned red() { return colour(220, 30, 40); }

struct Box {
    int x, y, w, h;
};

// Pixels of box a that differ from the same pixels of box b (moved by b - a).
int differing(const Frame& f, Box a, int bx, int by) {
    int n = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) n += f.at(a.x + x, a.y + y) != f.at(bx + x, by + y);
    return n;
}

// Pixels of a box that are not the background.
int ink(const Frame& f, Box b) {
    int n = 0;
    for (int y = std::max(b.y, 0); y < std::min(b.y + b.h, kH); ++y)
        for (int x = std::max(b.x, 0); x < std::min(b.x + b.w, kW); ++x) n += f.at(x, y) != kBack;
    return n;
}

// Plain glyphs agree within 2; anti-aliased ones within two of software's 16 levels,
// edged ones within half the colour step (docs/drawing.md).
int allowance(int type) {
    if (!(type & int(kFontTypeAntialiased))) return 2;
    return (type & int(kFontTypeEdge)) ? (255 - 30) / 2 : (255 - 30) / 8;
}

class FontLife : public RendererTest {};

// ---- A cache smaller than the text ----

// Fonts of 1 and 8 cached glyphs draw a row, a row of other glyphs that takes every slot, and
// the first row again; then one string of more distinct glyphs than the cache holds, the
// same string in a font of the same face with a roomy cache, and the first font again;
// then a string of more than 1,024 characters (past the layout's own buffers) ending on
// the screen, in the small cache and the roomy one.
constexpr const char* kFirst = "ABCDEFGH";
constexpr const char* kOthers = "IJKLMNOPQRSTUVWXYZ";
constexpr const char* kLong = "abcdefghijklmnopqrstuvwxyz0123";
constexpr int kEvictTypes[] = {0, 3};
constexpr int kEvictPitch = 25, kEvictBand = 8 * kEvictPitch + 10;

void evictionRows() {
    background();
    std::string longest;
    while (longest.size() < 1030) longest += kLong;
    for (int t = 0; t < 2; ++t) {
        const FontCreateParam small{{0, 0, t == 0 ? 1u : 8u, 0}};
        const int tiny = CreateFontHandleW(&small, nullptr, 13, -1, kEvictTypes[t], -1, 1, 0, -1, 0);
        const int roomy = CreateFontHandle(nullptr, 13, -1, kEvictTypes[t], -1, 1, 0);
        ASSERT_GE(tiny, 0);
        ASSERT_GE(roomy, 0);
        ASSERT_LE(GetFontRecord(tiny)->slotCount, 10u);
        const int longestX = 600 - GetDrawStringWidthToHandle(longest.c_str(), -1, roomy);
        const std::pair<const char*, int> rows[] = {{kFirst, tiny}, {kOthers, tiny}, {kFirst, tiny},
                                                    {kLong, tiny},  {kLong, roomy},  {kLong, tiny},
                                                    {longest.c_str(), tiny}, {longest.c_str(), roomy}};
        for (int row = 0; row < 8; ++row)
            ASSERT_EQ(DrawStringToHandle(row >= 6 ? longestX : 10, t * kEvictBand + 10 + row * kEvictPitch,
                                         rows[row].first, white(), rows[row].second, red()),
                      0);
        DeleteFontHandle(tiny);
        DeleteFontHandle(roomy);
    }
}

TEST_F(FontLife, EvictedGlyphsComeBackAsTheyWere) {
    const std::vector<Frame> frames = drawEverywhere(evictionRows);
    expectWithin("evicted glyphs", frames,
                 [](int, int y) { return allowance(kEvictTypes[std::min(y / kEvictBand, 1)]); });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    auto row = [](int t, int r) { return Box{0, t * kEvictBand + 10 + r * kEvictPitch - 4, kW, kEvictPitch}; };
    for (int r = 0; r < kRenderers; ++r)
        for (int t = 0; t < 2; ++t) {
            SCOPED_TRACE(std::string(kNames[r]) + " type " + std::to_string(kEvictTypes[t]));
            for (int k : {0, 3, 6}) EXPECT_GT(ink(frames[r], row(t, k)), 100) << "row " << k;
            EXPECT_EQ(differing(frames[r], row(t, 0), 0, row(t, 2).y), 0) << "the first row drawn after eviction";
            EXPECT_EQ(differing(frames[r], row(t, 3), 0, row(t, 4).y), 0) << "more glyphs than slots in one string";
            EXPECT_EQ(differing(frames[r], row(t, 3), 0, row(t, 5).y), 0) << "the long string once more";
            EXPECT_EQ(differing(frames[r], row(t, 6), 0, row(t, 7).y), 0) << "more than 1,024 characters";
        }
}

// ---- A handle made anew ----

// Each pair: a large font caches glyphs and is deleted; a small one takes the same handle
// value (row 1) and a fresh handle of the same small font draws the same text (row 2).
// Then the small font is deleted and a third takes its place under a new check number:
// the old value is refused and draws nothing (row 3).
struct Remake {
    int oldType, oldSize, oldEdge, newType, newEdge;
};
constexpr Remake kRemakes[] = {{2, 30, 1, 0, 1}, {3, 28, 3, 1, 1}, {1, 24, 4, 3, 2}};
constexpr const char* kRemakeText = "Wg@#Mj";
constexpr int kRemakeBand = 150;

void remakeRows() {
    background();
    for (int i = 0; i < 3; ++i) {
        const Remake& m = kRemakes[i];
        const int y = i * kRemakeBand;
        const int old = CreateFontHandle(nullptr, m.oldSize, -1, m.oldType, -1, m.oldEdge, 0);
        ASSERT_GE(old, 0);
        ASSERT_EQ(DrawStringToHandle(300, y + 5, kRemakeText, white(), old, red()), 0);
        ASSERT_EQ(DeleteFontHandle(old), 0);
        const int again = CreateFontHandle(nullptr, 14, -1, m.newType, -1, m.newEdge, 0, old);
        ASSERT_EQ(again, old);
        const int fresh = CreateFontHandle(nullptr, 14, -1, m.newType, -1, m.newEdge, 0);
        ASSERT_GE(fresh, 0);
        ASSERT_EQ(DrawStringToHandle(10, y + 10, kRemakeText, white(), again, red()), 0);
        ASSERT_EQ(DrawStringToHandle(10, y + 50, kRemakeText, white(), fresh, red()), 0);
        ASSERT_EQ(DeleteFontHandle(again), 0);
        const int third = CreateFontHandle(nullptr, 14, -1, m.newType, -1, m.newEdge, 0);
        ASSERT_GE(third, 0);
        EXPECT_EQ(DrawStringToHandle(10, y + 90, kRemakeText, white(), again, red()), -1);
        EXPECT_EQ(GetDrawStringWidthToHandle(kRemakeText, -1, again), -1);
        DeleteFontHandle(third);
        DeleteFontHandle(fresh);
    }
}

TEST_F(FontLife, AHandleMadeAnewShowsOnlyItsOwnGlyphs) {
    const std::vector<Frame> frames = drawEverywhere(remakeRows);
    expectWithin("handles made anew", frames, [](int x, int y) {
        const Remake& m = kRemakes[std::min(y / kRemakeBand, 2)];
        return allowance(x >= 290 ? m.oldType : m.newType);
    });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r)
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(kNames[r]) + " pair " + std::to_string(i));
            const int y = i * kRemakeBand;
            // The old font's text, drawn just before it went, is on the screen.
            EXPECT_GT(ink(frames[r], Box{290, y, kW - 290, 40}), 100);
            const Box again{0, y, 290, 40};
            EXPECT_GT(ink(frames[r], again), 50);
            EXPECT_EQ(differing(frames[r], again, 0, y + 40), 0);
            EXPECT_EQ(ink(frames[r], Box{0, y + 80, 290, 40}), 0);
        }
}

// ---- Sizes at the cache's limits ----

// One label of a table-driven scene: a font, where it draws and the box its ink stays in.
// `texture` is what the hardware paths must hold the font in (1 texture page, 0 memory
// cache, -1 either).
struct Label {
    int x, y, size, type, edge, noTexture, opacity, texture;
    const char* text;
    Box box;
};

// The hardware paths' largest texture is 128 here: a plain font of size 116 has a cell of
// 128, the largest a page holds (one slot); 120 is one past it. An edged font's page is
// twice as wide, so its cell may be 64 at most: edge 3 at size 52, and 54 one past.
constexpr int kSmallDevice = 128;
const std::vector<Label> kLimits = {
    {10, 5, 1, 0, -1, 0, 255, 1, "Hi!", {0, 0, 40, 20}},
    {50, 5, 2, 0, -1, 0, 255, 1, "Hi!", {40, 0, 40, 20}},
    {90, 5, 3, 2, -1, 0, 255, 1, "Hi!", {80, 0, 40, 20}},
    {130, 5, 4, 3, 1, 0, 255, 1, "Hi!", {120, 0, 40, 20}},
    {10, 30, 116, 0, -1, 0, 255, 1, "Ag", {0, 25, 250, 145}},
    {260, 30, 120, 0, -1, 0, 255, 0, "Ag", {250, 25, 250, 145}},
    {10, 175, 116, 2, -1, 0, 255, 1, "gA", {0, 170, 250, 145}},
    {260, 175, 120, 2, -1, 0, 255, 0, "gA", {250, 170, 250, 145}},
    {5, 320, 52, 1, 3, 0, 255, 1, "Ag", {0, 315, 160, 85}},
    {165, 320, 54, 1, 3, 0, 255, 0, "Ag", {160, 315, 160, 85}},
    {325, 320, 52, 3, 3, 0, 255, 1, "Ag", {320, 315, 160, 85}},
    {485, 320, 54, 3, 3, 0, 255, 0, "Ag", {480, 315, 160, 85}},
    // Fonts made without a texture cache, opaque and at half opacity.
    {5, 405, 14, 0, -1, 1, 255, 0, "Memory Wg", {0, 400, 160, 30}},
    {165, 405, 14, 1, 2, 1, 255, 0, "Memory Wg", {160, 400, 160, 30}},
    {325, 405, 14, 2, -1, 1, 255, 0, "Memory Wg", {320, 400, 160, 30}},
    {485, 405, 14, 3, 1, 1, 255, 0, "Memory Wg", {480, 400, 160, 30}},
    {5, 440, 14, 0, -1, 1, 128, 0, "Memory Wg", {0, 435, 160, 40}},
    {165, 440, 14, 1, 2, 1, 128, 0, "Memory Wg", {160, 435, 160, 40}},
    {325, 440, 14, 2, -1, 1, 128, 0, "Memory Wg", {320, 435, 160, 40}},
    {485, 440, 14, 3, 1, 1, 128, 0, "Memory Wg", {480, 435, 160, 40}},
};

void drawLabels(const std::vector<Label>& labels) {
    for (size_t i = 0; i < labels.size(); ++i) {
        const Label& l = labels[i];
        const FontCreateParam param{{uint32_t(l.noTexture), 0, 0, 0}};
        const int font = CreateFontHandleW(&param, nullptr, l.size, -1, l.type, -1, l.edge, 0, -1, 0);
        ASSERT_GE(font, 0) << i;
        if (GraphicsSys.hardware && l.texture >= 0) {
            EXPECT_EQ(GetFontRecord(font)->useTexture, l.texture) << i;
        }
        SetDrawBlendMode(l.opacity == 255 ? 0 : 1, l.opacity);
        EXPECT_EQ(DrawStringToHandle(l.x, l.y, l.text, white(), font, red()), 0) << i;
        SetDrawBlendMode(0, 255);
        DeleteFontHandle(font);
    }
}

// The allowance of the label whose box holds a pixel.
int labelAllowance(const std::vector<Label>& labels, int x, int y) {
    for (size_t i = 0; i < labels.size(); ++i) {
        const Box& b = labels[i].box;
        if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return allowance(labels[i].type);
    }
    return 2;
}

// Each label's ink on each renderer, inside its box and nowhere else.
void expectInkInBoxes(const std::vector<Frame>& frames, const std::vector<Label>& labels) {
    for (int r = 0; r < int(frames.size()); ++r) {
        int total = 0;
        for (size_t i = 0; i < labels.size(); ++i) {
            const int n = ink(frames[r], labels[i].box);
            EXPECT_GT(n, 0) << kNames[r] << " label " << i;
            total += n;
        }
        EXPECT_EQ(ink(frames[r], Box{0, 0, kW, kH}), total) << kNames[r] << ": ink outside the labels' boxes";
    }
}

TEST_F(FontLife, SizesAtTheCachesLimits) {
    const std::vector<Frame> frames = drawEverywhere([] {
        background();
        const int largest = GraphicsDeviceCapsData.maxTextureSize;
        if (GraphicsSys.hardware) GraphicsDeviceCapsData.maxTextureSize = kSmallDevice;
        drawLabels(kLimits);
        GraphicsDeviceCapsData.maxTextureSize = largest;
    });
    expectWithin("sizes at the limits", frames, [](int x, int y) { return labelAllowance(kLimits, x, y); });
    expectInkInBoxes(frames, kLimits);
}

// ---- At and across the screen's edges and a draw area's ----

constexpr int kEdgeTypes[] = {0, 1, 2, 3};
constexpr const char* kEdgeText = "Edge|Wgj";
const ImageRect kArea{200, 150, 441, 331};  // odd right and bottom

// Strings half across each screen edge at odd and even positions, at the edges exactly,
// in the corners, vertical strings across the left and bottom edges, and strings across
// each edge of a draw area and inside it.
void edgeRows(int type, int italic) {
    background();
    const int font = CreateFontHandle(nullptr, 15, -1, type, -1, type & 1 ? 2 : 1, italic);
    ASSERT_GE(font, 0);
    const int w = GetDrawStringWidthToHandle(kEdgeText, -1, font), h = GetFontRecord(font)->cellHeight;
    ASSERT_GT(w, 40);
    auto draw = [&](int x, int y, int vertical = 0) {
        EXPECT_EQ(DrawStringToHandle(x, y, kEdgeText, white(), font, red(), vertical), 0) << x << ", " << y;
    };
    for (int odd : {0, 1}) {
        draw(120 + 100 * odd, -h / 2 - odd);
        draw(120 + 100 * odd, kH - h / 2 + odd);
        draw(-w / 2 - odd, 100 + 30 * odd);
        draw(kW - w / 2 + odd, 100 + 30 * odd);
    }
    draw(0, 180);
    draw(kW - w, 180);
    draw(-5, -5);
    draw(kW - w + 5, kH - 10);
    draw(-8, 220, 1);
    draw(400, kH - 30, 1);
    SetDrawArea(kArea.left, kArea.top, kArea.right, kArea.bottom);
    draw(kArea.left - 3, 160);
    draw(kArea.right - w / 2 + 1, 200);
    draw(250, kArea.top - h / 2);
    draw(251, kArea.bottom - h / 2 - 1);
    draw(kArea.left + 40, kArea.top - 20, 1);
    draw(251, 251);
    SetDrawAreaFull();
    DeleteFontHandle(font);
}

TEST_F(FontLife, StringsAtAndAcrossTheEdges) {
    for (int run = 0; run < 8; ++run) {
        const int type = kEdgeTypes[run / 2], italic = run % 2;
        SCOPED_TRACE("type " + std::to_string(type) + (italic ? " italic" : ""));
        const std::vector<Frame> frames = drawEverywhere([type, italic] { edgeRows(type, italic); });
        expectWithin("strings across the edges", frames, [type](int, int) { return allowance(type); });
        ASSERT_EQ(frames.size(), size_t(kRenderers));
        for (int r = 0; r < kRenderers; ++r) {
            SCOPED_TRACE(kNames[r]);
            // Ink on every screen edge, and none around the draw area outside it.
            EXPECT_GT(ink(frames[r], Box{0, 0, kW, 1}), 0);
            EXPECT_GT(ink(frames[r], Box{0, kH - 1, kW, 1}), 0);
            EXPECT_GT(ink(frames[r], Box{0, 0, 1, kH}), 0);
            EXPECT_GT(ink(frames[r], Box{kW - 1, 0, 1, kH}), 0);
            const Box ring{kArea.left - 20, kArea.top - 20, kArea.right - kArea.left + 40,
                           kArea.bottom - kArea.top + 40};
            const Box inside{kArea.left, kArea.top, kArea.right - kArea.left, kArea.bottom - kArea.top};
            EXPECT_EQ(ink(frames[r], ring), ink(frames[r], inside)) << "ink outside the draw area";
            const Box areaEdges[] = {{kArea.left, kArea.top, 3, inside.h}, {kArea.right - 3, kArea.top, 3, inside.h},
                                     {kArea.left, kArea.top, inside.w, 1}, {kArea.left, kArea.bottom - 1, inside.w, 1}};
            for (const Box& edge : areaEdges)
                EXPECT_GT(ink(frames[r], edge), 0) << "the draw area's edge at " << edge.x << ", " << edge.y;
        }
    }
}

// ---- Edge thickness ----

// Edged labels from the thinnest edge to thick ones (the stamp is a full square above
// 4), plain and anti-aliased, and the plain and anti-aliased fonts without edge. "Ag" at
// size 12; an edge of e moves the body e right and down and adds 2e to each advance.
std::vector<Label> edgeLabels() {
    std::vector<Label> labels;
    auto add = [&](int x, int y, int type, int edge, Box box) {
        labels.push_back({x, y, 12, type, edge, 0, 255, -1, "Ag", box});
    };
    for (int e = 1; e <= 5; ++e) {
        add(70 * e - 60, 10, 1, e, {70 * e - 70, 0, 70, 40});
        add(56 * e + 304, 10, 3, e, {56 * e + 294, 0, 56, 40});
    }
    add(10, 60, 1, 9, {0, 50, 70, 80});
    add(80, 60, 1, 24, {70, 50, 250, 80});
    add(330, 60, 3, 9, {320, 50, 70, 80});
    add(400, 60, 3, 24, {390, 50, 250, 80});
    add(10, 150, 1, 60, {0, 140, 320, 160});
    add(330, 150, 3, 60, {320, 140, 320, 160});
    // The same text without edge, plain and anti-aliased, last.
    add(10, 420, 0, 1, {0, 410, 90, 40});
    add(100, 420, 2, 1, {90, 410, 90, 40});
    return labels;
}
const std::vector<Label> kEdges = edgeLabels();
const size_t kPlainRef = kEdges.size() - 2, kLevelRef = kEdges.size() - 1;

// The ink's bounds in a box, relative to (x, y): left, top, right, bottom (exclusive).
struct Bounds {
    int left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20);
};
Bounds inkBounds(const Frame& f, Box b, int x, int y) {
    Bounds r;
    for (int py = b.y; py < b.y + b.h; ++py)
        for (int px = b.x; px < b.x + b.w; ++px)
            if (f.at(px, py) != kBack) {
                r.left = std::min(r.left, px - x);
                r.top = std::min(r.top, py - y);
                r.right = std::max(r.right, px - x + 1);
                r.bottom = std::max(r.bottom, py - y + 1);
            }
    return r;
}

TEST_F(FontLife, EdgesFromThinToThick) {
    const std::vector<Frame> frames = drawEverywhere([] {
        background();
        drawLabels(kEdges);
        // One past the thickest: a font whose cell side would pass 65,535 is refused.
        EXPECT_EQ(CreateFontHandle(nullptr, 12, -1, 1, -1, 32764, 0), -1);
    });
    expectWithin("edge thickness", frames, [](int x, int y) { return labelAllowance(kEdges, x, y); });
    expectInkInBoxes(frames, kEdges);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r)
        for (size_t i = 0; i < kPlainRef; ++i) {
            // The body's bounds grown by the edge on every side, the second glyph moved
            // by the first one's extra advance: nothing of a thick edge is cut.
            const Label& l = kEdges[i];
            const Label& ref = kEdges[l.type & int(kFontTypeAntialiased) ? kLevelRef : kPlainRef];
            const Bounds body = inkBounds(frames[r], ref.box, ref.x, ref.y);
            const Bounds edged = inkBounds(frames[r], l.box, l.x, l.y);
            const int e = l.edge, slack = l.type == 3 ? 1 : 0;
            SCOPED_TRACE(std::string(kNames[r]) + " type " + std::to_string(l.type) + " edge " + std::to_string(e));
            EXPECT_NEAR(edged.left, body.left, slack);
            EXPECT_NEAR(edged.top, body.top, slack);
            EXPECT_NEAR(edged.right, body.right + 4 * e, slack);
            EXPECT_NEAR(edged.bottom, body.bottom + 2 * e, slack);
        }
}

// ---- Measures against the drawn ink ----

constexpr int kCellLine = 1000;    // no fixed line spacing: lines are a cell height apart
constexpr int kBackwards = -1000;  // spacing of minus twice the advance: the text runs backwards
struct Measure {
    int type, size, edge, space, lineSpace, vertical, opacity;
};
// Spacing and line spacing from negative (the pen moves back, the lines up, or right for
// vertical text) to wide; opaque and at half opacity (where software draws through its
// work image, whose box must hold every line).
constexpr Measure kMeasures[] = {
    {0, 16, 1, 0, kCellLine, 0, 255},    {0, 13, 1, 3, 21, 0, 255},  {1, 15, 2, -2, kCellLine, 0, 255},
    {2, 14, 1, 2, 30, 0, 255},           {2, 14, 1, kBackwards, -25, 0, 255},
    {0, 15, 1, 0, -24, 0, 128},          {0, 16, 1, 1, kCellLine, 1, 255},
    {1, 12, 1, 2, 25, 1, 255},           {3, 13, 1, 0, kCellLine, 1, 255},
    {0, 16, 1, 2, 24, 1, 128},           {2, 15, 1, kBackwards, -22, 1, 255},
};
constexpr const char* kMeasureText = "Mj1|g Wq";
constexpr int kSplit = 3;  // "Mj1" and "|g Wq"

// Left half: the text whole, and three lines in one call. Right half: the text in two
// calls, the second at the first part's measured width (by the length argument), and
// the three lines in three calls a line height apart.
struct Measured {
    int width, cellHeight, leading;
};
void measureScene(const Measure& m, Measured* measured) {
    background();
    const int font = CreateFontHandle(nullptr, m.size, -1, m.type, -1, m.edge, 0);
    ASSERT_GE(font, 0);
    SetFontSpaceToHandle(m.space == kBackwards ? -2 * GetDrawStringWidthToHandle("M", -1, font) : m.space, font);
    if (m.lineSpace != kCellLine) SetFontLineSpaceToHandle(m.lineSpace, font);
    const int line = m.lineSpace != kCellLine ? m.lineSpace : GetFontRecord(font)->cellHeight;
    *measured = {GetDrawStringWidthToHandle(kMeasureText, -1, font, m.vertical), GetFontRecord(font)->cellHeight,
                 GetFontRecord(font)->leading};
    const int part = GetDrawStringWidthToHandle(kMeasureText, kSplit, font, m.vertical);
    ASSERT_EQ(part, GetDrawStringWidthToHandle(std::string(kMeasureText, kSplit).c_str(), -1, font, m.vertical));
    auto draw = [&](int x, int y, const char* text) {
        SetDrawBlendMode(m.opacity == 255 ? 0 : 1, m.opacity);
        EXPECT_EQ(DrawStringToHandle(x, y, text, white(), font, red(), m.vertical), 0);
        SetDrawBlendMode(0, 255);
    };
    draw(100, 40, kMeasureText);
    draw(100 + kW / 2, 40, std::string(kMeasureText, kSplit).c_str());
    draw(100 + kW / 2 + (m.vertical ? 0 : part), 40 + (m.vertical ? part : 0), kMeasureText + kSplit);
    draw(150, 300, "AB\nCDE\nF");
    const char* const lines[] = {"AB", "CDE", "F"};
    for (int i = 0; i < 3; ++i)
        draw(150 + kW / 2 - (m.vertical ? i * line : 0), 300 + (m.vertical ? 0 : i * line), lines[i]);
    DeleteFontHandle(font);
}

// Spacing and line spacing at the int range's ends: the pen passes the range, the first
// glyph of each line (or the first line) stays where it is drawn, and the width is held
// to the range. Columns: spacing +1.5e9, -1.5e9 (vertical), line spacing +1.5e9,
// -1.5e9 (vertical); rows: plain and anti-aliased, opaque and at half opacity.
constexpr int kFar = 1500000000;
int farRowType(int y) { return y < 240 ? 0 : 2; }

void farScene() {
    background();
    for (int row = 0; row < 4; ++row) {
        const int font = CreateFontHandle(nullptr, 16, -1, farRowType(row * 120), -1, 1, 0);
        ASSERT_GE(font, 0);
        for (int c = 0; c < 4; ++c) {
            if (c < 2) {
                SetFontSpaceToHandle(c == 0 ? kFar : -kFar, font);
                EXPECT_EQ(GetDrawStringWidthToHandle("AB", -1, font), c == 0 ? INT_MAX : INT_MIN);
            } else {
                SetFontSpaceToHandle(0, font);
                SetFontLineSpaceToHandle(c == 2 ? kFar : -kFar, font);
            }
            SetDrawBlendMode(row % 2 ? 1 : 0, row % 2 ? 128 : 255);
            EXPECT_EQ(DrawStringToHandle(60 + 150 * c, 40 + 120 * row, "AB\nCD\nEF", white(), font, red(), c % 2), 0);
            SetDrawBlendMode(0, 255);
        }
        DeleteFontHandle(font);
    }
}

TEST_F(FontLife, SpacingAtTheIntRange) {
    const std::vector<Frame> frames = drawEverywhere(farScene);
    expectWithin("spacing at the int range", frames, [](int, int y) { return allowance(farRowType(y)); });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r)
        for (int row = 0; row < 4; ++row)
            for (int c = 0; c < 4; ++c)
                EXPECT_GT(ink(frames[r], Box{150 * c, 120 * row, 150, 120}), 40) << kNames[r] << " " << row << ", " << c;
}

TEST_F(FontLife, MeasuresAreTheDrawnAdvance) {
    for (const Measure& m : kMeasures) {
        SCOPED_TRACE("type " + std::to_string(m.type) + " size " + std::to_string(m.size) + " space " +
                     std::to_string(m.space) + " line " + std::to_string(m.lineSpace) +
                     (m.vertical ? " vertical" : "") + " opacity " + std::to_string(m.opacity));
        Measured measured[kRenderers]{};
        int run = 0;
        const std::vector<Frame> frames = drawEverywhere([&] { measureScene(m, &measured[run++]); });
        expectWithin("measured and drawn", frames, [&m](int, int) { return allowance(m.type); });
        ASSERT_EQ(frames.size(), size_t(kRenderers));
        for (int r = 0; r < kRenderers; ++r) {
            SCOPED_TRACE(kNames[r]);
            const Frame& f = frames[r];
            const Box left{0, 0, kW / 2, kH};
            EXPECT_GT(ink(f, left), 100);
            int apart = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW / 2; ++x) apart += distance(f.at(x, y), f.at(x + kW / 2, y)) > allowance(m.type);
            EXPECT_EQ(apart, 0) << "pixels where the text drawn in parts differs from the whole";
            // The whole text's ink lies in its measured box: the width along the line and
            // the cell height across it, moved up (left) by half the leading; its last
            // glyph ends within one cell of the measured end.
            const Measured& d = measured[r];
            if (m.space < 0) continue;  // the pen moves back: the width is where it ends
            const Bounds b = inkBounds(f, Box{0, 0, kW / 2, 200}, 100, 40);
            const int along0 = m.vertical ? b.top : b.left, along1 = m.vertical ? b.bottom : b.right;
            const int across0 = m.vertical ? b.left : b.top, across1 = m.vertical ? b.right : b.bottom;
            EXPECT_GE(along0, 0);
            EXPECT_LE(along1, d.width);
            EXPECT_GT(along1, d.width - d.cellHeight);
            EXPECT_GE(across0, -d.leading / 2);
            EXPECT_LE(across1, d.cellHeight - d.leading / 2);
        }
    }
}

// ---- A canvas of several textures ----

constexpr int kCanvasW = 256, kCanvasH = 160;
constexpr int kCanvasRows[] = {10, 55, 90, 121};
constexpr const char* kCanvasText = "Tiles|Wgj across";

// Rows of every type drawn into a canvas cut into 64-pixel textures (the hardware paths'
// largest texture is 64 while it is made): rows 2 and 4 lie across the cuts at 64 and
// 128 down, every row across those at 64 and 128 along. The canvas is shown at (20, 20),
// the same rows are drawn straight onto the screen at (340, 20).
int canvasTiles = 0;
void canvasScene() {
    background();
    const int largest = GraphicsDeviceCapsData.maxTextureSize;
    if (GraphicsSys.hardware) GraphicsDeviceCapsData.maxTextureSize = 64;
    const int canvas = MakeDrawableGraph(kCanvasW, kCanvasH, 0);
    GraphicsDeviceCapsData.maxTextureSize = largest;
    ASSERT_GE(canvas, 0);
    const GraphData* graph = GetGraphData(canvas);
    canvasTiles = graph && graph->orig ? graph->orig->tileCount : 0;
    int fonts[4];
    for (int t = 0; t < 4; ++t) ASSERT_GE(fonts[t] = CreateFontHandle(nullptr, 15, -1, kEdgeTypes[t], -1, 1, 0), 0);
    auto rows = [&](int left, int top) {
        DrawBox(left, top, left + kCanvasW, top + kCanvasH, colour(30, 60, 90), 1);
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(DrawStringToHandle(left + 5 + 3 * t, top + kCanvasRows[t], kCanvasText, white(), fonts[t], red()),
                      0);
    };
    const int screen = GetDrawTarget();
    ASSERT_EQ(SetDrawTarget(canvas), 0);
    rows(0, 0);
    ASSERT_EQ(SetDrawTarget(screen), 0);
    EXPECT_EQ(DrawGraph(20, 20, canvas, 0), 0);
    rows(340, 20);
    for (int font : fonts) DeleteFontHandle(font);
    SubHandle(canvas);
}

TEST_F(FontLife, TextInACanvasOfSeveralTextures) {
    const std::vector<Frame> frames = drawEverywhere(canvasScene);
    auto rowAllowance = [](int, int y) {
        int t = 0;
        while (t < 3 && y - 20 >= kCanvasRows[t + 1] - 4) ++t;
        return allowance(kEdgeTypes[t]);
    };
    expectWithin("text in a canvas", frames, rowAllowance);
    EXPECT_GT(canvasTiles, 1);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        EXPECT_GT(ink(frames[r], Box{20, 20, kCanvasW, kCanvasH}), 400);
        int apart = 0;
        for (int y = 20; y < 20 + kCanvasH; ++y)
            for (int x = 20; x < 20 + kCanvasW; ++x)
                apart += distance(frames[r].at(x, y), frames[r].at(x + 320, y)) > rowAllowance(x, y);
        EXPECT_EQ(apart, 0) << "pixels where the canvas differs from the screen";
    }
}

// ---- Through a mask ----

// Three lines of text, horizontal and vertical, in a plain, an anti-aliased and a
// memory-cache font, drawn through a mask of 4-pixel squares over the left half; the
// same text unmasked on the right half.
constexpr const char* kMaskText = "Lines\nof text\nmasked";
constexpr int kMaskFonts[][2] = {{0, 0}, {2, 0}, {3, 1}};  // type, no texture cache
bool maskHides(int x, int y) { return x < kW / 2 && ((x / 4 + y / 4) & 1); }
int maskFontAt(int x) { return std::clamp((x % (kW / 2) - 30) / 100, 0, 2); }

void maskScene() {
    background();
    ASSERT_EQ(CreateMaskScreen(1, kW, kH), 0);
    int pitch = 0, width = 0, height = 0;
    uint8_t* mask = GetMaskBuffer(&pitch, &width, &height);
    ASSERT_NE(mask, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) mask[size_t(y) * pitch + x] = maskHides(x, y) ? 255 : 0;
    for (int i = 0; i < 3; ++i) {
        const FontCreateParam param{{uint32_t(kMaskFonts[i][1]), 0, 0, 0}};
        const int font = CreateFontHandleW(&param, nullptr, 15, -1, kMaskFonts[i][0], -1, 1, 0, -1, 0);
        ASSERT_GE(font, 0);
        for (int masked : {1, 0}) {
            ASSERT_EQ(SetUseMaskScreenFlag(masked), 0);
            const int x = 40 + 100 * i + (masked ? 0 : kW / 2);
            EXPECT_EQ(DrawStringToHandle(x, 30, kMaskText, white(), font, red()), 0);
            EXPECT_EQ(DrawStringToHandle(x + 60, 200, kMaskText, white(), font, red(), 1), 0);
        }
        DeleteFontHandle(font);
    }
    SetUseMaskScreenFlag(0);
    DeleteMaskScreen();
}

TEST_F(FontLife, EveryLineThroughAMask) {
    const std::vector<Frame> frames = drawEverywhere(maskScene);
    expectWithin("text through a mask", frames, [](int x, int) { return allowance(kMaskFonts[maskFontAt(x)][0]); });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        // Where the mask lets drawing through, the masked text is the unmasked text.
        int apart = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW / 2; ++x)
                apart += frames[r].at(x, y) != (maskHides(x, y) ? kBack : frames[r].at(x + kW / 2, y));
        EXPECT_EQ(apart, 0) << kNames[r];
        EXPECT_GT(ink(frames[r], Box{kW / 2, 0, kW / 2, kH}), 1000) << kNames[r];
    }
}

// ---- Character pictures ----

// The built-in font draws its characters as pictures: horizontal and vertical, across
// the screen's edges, at odd positions and through a draw area.
void pictureScene() {
    background();
    ASSERT_EQ(SetupFallbackFont(), 0);
    const char* text = "Pic|ture\nWg 1";
    for (int vertical : {0, 1}) {
        auto draw = [&](int x, int y) {
            EXPECT_EQ(DrawStringToHandle(x, y, text, white(), kDefaultFontHandle, red(), vertical), 0);
        };
        const int v = vertical * 300;
        draw(-13 + v / 3, 41 + v);
        draw(kW - 37, 101 + v / 2);
        draw(201 + v / 2, -7);
        draw(301 + v / 3, kH - 21);
        SetDrawArea(401, 151 + v / 3, 493, 219 + v / 3);
        draw(397, 147 + v / 3);
        SetDrawAreaFull();
    }
}

TEST_F(FontLife, PicturesAcrossTheEdges) {
    const std::vector<Frame> frames = drawEverywhere(pictureScene);
    expectWithin("character pictures", frames, [](int, int) { return 2; });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) EXPECT_GT(ink(frames[r], Box{0, 0, kW, kH}), 500) << kNames[r];
}

}  // namespace fontlife
