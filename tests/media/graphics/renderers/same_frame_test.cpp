// The same scenes drawn through the software renderer, Direct3D 9 and Direct3D 11, each
// started headless at 640 x 480 in 32 bits; every pixel of the three frames is compared
// and must agree within 2 per channel, outside the few places where the renderers are
// meant to differ, which are checked for what each one gives instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "media/base/handle.h"
#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

using namespace ZaDod;

namespace {

using namespace renderertest;

// Stripes behind a scene, so that every blend has two different targets to act on.
void backdrop(int y1, int y2) {
    for (int x = 0; x < kW; x += 8)
        DrawBox(x, y1, x + 8, y2, (x / 8) % 2 ? colour(230, 40, 90) : colour(100, 150, 200), 1);
}

constexpr int kRowHeight = 20;
constexpr int kBrightR = 128, kBrightG = 200, kBrightB = 64;

// Every blend mode over the same backdrop: a box, a circle, a picture with graded alpha
// (first column fully transparent, last opaque), a picture with colour-keyed texels, an
// opaque picture under a bright colour, and a label.
void blendRows() {
    SetTransColor(255, 0, 255);
    const int graded = makePicture(32, 16, true, [](int x, int y) {
        const int a = x == 0 ? 0 : x == 31 ? 255 : x * 8;
        return unsigned(a) << 24 | rgb(x * 8, 255 - y * 16, 90);
    });
    const int keyed = makePicture(32, 16, false, [](int x, int y) {
        return (x + y) % 3 == 0 ? rgb(255, 0, 255) : rgb(x * 8, y * 16, 200);
    });
    const int plain = makePicture(32, 16, false, [](int x, int y) {
        return x < 8 ? rgb(200, 148, 100) : rgb(x * 8, 255 - y * 12, (x * y) & 255);
    });
    ASSERT_GE(graded, 0);
    ASSERT_GE(keyed, 0);
    ASSERT_GE(plain, 0);
    for (int mode = 0; mode <= 22; ++mode) {
        const int y = 4 + mode * kRowHeight;
        SetDrawBlendMode(0, 255);
        backdrop(y - 2, y + 18);
        SetDrawBlendMode(mode, 128);
        DrawBox(10, y, 60, y + 16, colour(200, 100, 50), 1);
        DrawCircle(130, y + 8, 7, colour(0, 200, 90), 1);
        DrawGraph(210, y, graded, 1);
        DrawGraph(310, y, keyed, 1);
        SetDrawBright(kBrightR, kBrightG, kBrightB);
        DrawGraph(410, y, plain, 1);
        SetDrawBright(255, 255, 255);
        DrawString(510, y, "Hi", colour(250, 220, 40));
    }
    SetDrawBlendMode(0, 255);
}

// The column of each blend row where the picture with graded alpha lies.
constexpr int kGradedX = 210;

// Quarter and half turns at scale 1 of pictures of odd, even and mixed sides, every texel
// distinct and none black: one row per size, one 20-pixel cell per draw. Columns 0-3 turn
// by 0 to 3 quarters about the picture's middle at a whole position; 4-7 the same turns
// mirrored; 8-11 turn about the integer centre (w / 2, h / 2) as scripts draw, which puts
// the middle at a fractional position.
struct TurnSize {
    int w, h;
};
constexpr TurnSize kTurnSizes[] = {{1, 2}, {2, 1}, {2, 3}, {3, 4}, {4, 3}, {5, 6},
                                   {6, 5}, {7, 5}, {5, 9}, {4, 2}, {1, 1}};
constexpr int kTurnCell = 20, kTurnColumns = 12;
constexpr int turnX(int column) { return 30 + column * kTurnCell; }
constexpr int turnY(int size) { return 30 + size * kTurnCell; }
unsigned turnTexel(int size, int x, int y) { return rgb(40 + x * 24, 40 + y * 20, 50 + size * 22); }

void turns() {
    const double quarter = 1.5707963267948966;
    for (int s = 0; s < int(std::size(kTurnSizes)); ++s) {
        const auto [w, h] = kTurnSizes[s];
        const int g = makePicture(w, h, false, [s](int x, int y) { return turnTexel(s, x, y); });
        ASSERT_GE(g, 0);
        for (int turn = 0; turn < 4; ++turn) {
            DrawRotatedGraphCore(float(turnX(turn)), float(turnY(s)), 1.0, quarter * turn, g, 0, 0);
            DrawRotatedGraphCore(float(turnX(4 + turn)), float(turnY(s)), 1.0, quarter * turn, g, 0, 1);
            DrawRotatedGraph(turnX(8 + turn), turnY(s), w / 2, h / 2, 1.0, 1.0, quarter * turn, g, 0, 0);
        }
    }
}

// Labels: plain, anti-aliased with accents, edged at 1, 3 and 70, and under an opacity.
void labels() {
    SetDrawBlendMode(0, 255);
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
    const int aa = CreateFontHandle(nullptr, 18, -1, int(kFontTypeAntialiased), -1, -1, 0);
    const int edge1 = CreateFontHandle(nullptr, 16, -1, int(kFontTypeEdge), -1, 1, 0);
    const int edge3 = CreateFontHandle(nullptr, 16, -1, int(kFontTypeEdge | kFontTypeAntialiased), -1, 3, 0);
    const int edge70 = CreateFontHandle(nullptr, 12, -1, int(kFontTypeEdge), -1, 70, 0);
    ASSERT_GE(aa, 0);
    ASSERT_GE(edge1, 0);
    ASSERT_GE(edge3, 0);
    ASSERT_GE(edge70, 0);
    const unsigned text = colour(250, 230, 60), edge = colour(200, 20, 40);
    DrawString(10, 10, "Plain label", text);
    DrawStringToHandle(10, 40, "\xC3\x80\xC3\x89 g\xC3\xA9", text, aa);
    DrawStringToHandle(10, 80, "Edge one", text, edge1, edge);
    DrawStringToHandle(10, 110, "Edge three", text, edge3, edge);
    DrawStringToHandle(300, 150, "W", text, edge70, edge);
    SetDrawBlendMode(1, 128);
    DrawString(10, 150, "Half seen", text);
    DrawStringToHandle(10, 180, "\xC3\x80\xC3\x89 g\xC3\xA9", text, aa);
    DrawStringToHandle(10, 220, "Edge three", text, edge3, edge);
    SetDrawBlendMode(0, 255);
    // A label and a box at the same place cover the same pixels.
    DrawBox(10, 260, 200, 280, colour(0, 0, 0), 1);
    DrawString(10, 262, "Same place", text);
}

// Pictures that were never drawn into are transparent black, even where deleted
// pictures left their pixels; a duplicate holds only what was copied into it.
void freshPictures() {
    DrawBox(0, 0, kW, kH, colour(90, 120, 150), 1);
    for (int i = 0; i < 4; ++i) {
        const int old = makePicture(40, 30, true, [](int x, int y) { return 0xFF000000u | rgb(255, 200 - y, x * 6); });
        SubHandle(old);
    }
    const int blank = MakeGraph(40, 30);
    // Drawable graphs have alpha only on the hardware paths, as canvases do.
    const int alpha = GraphicsSys.hardware ? 1 : 0;
    const int canvas = MakeDrawableGraph(40, 30, alpha);
    ASSERT_GE(blank, 0);
    ASSERT_GE(canvas, 0);
    DrawGraph(10, 10, blank, 0);
    DrawGraph(60, 10, blank, 1);
    DrawGraph(110, 10, canvas, 0);
    DrawGraph(160, 10, canvas, 1);
    // A duplicate: a new drawable graph with the picture drawn into it.
    const int source = makePicture(20, 10, true, [](int x, int y) { return (x < 10 ? 0xFF000000u : 0u) | rgb(x * 12, y * 20, 77); });
    const int copy = MakeDrawableGraph(40, 30, alpha);
    ASSERT_GE(copy, 0);
    SetDrawTarget(copy);
    DrawPartGraph(0, 0, 0, 0, 20, 10, source, 1, 0);
    SetDrawTarget(-2);
    DrawGraph(210, 10, copy, 0);
    DrawGraph(260, 10, copy, 1);
}

// Shapes the back ends used to draw differently.
void shapes() {
    DrawBox(0, 0, kW, kH, colour(20, 20, 20), 1);
    // Box outlines with one or both corner pairs reversed.
    DrawBox(60, 10, 10, 50, colour(255, 255, 0), 0);
    DrawBox(70, 50, 120, 10, colour(0, 255, 255), 0);
    DrawBox(180, 50, 130, 10, colour(255, 0, 255), 0);
    // Thin rings: the front draws them as outlines; the back ends' thick rings refuse them.
    DrawCircle(260, 40, 20, colour(255, 128, 0), 0, 1);
    EXPECT_EQ(DrawCircle(320, 40, 20, colour(255, 128, 0), 0, 0), -1);
    if (GraphicsSys.hardware) {
        EXPECT_EQ(Graphics_Hardware_DrawThickCircle(320, 40, 20, colour(255, 128, 0), 1), -1);
        EXPECT_EQ(Graphics_Hardware_DrawThickOval(320, 40, 20, 10, colour(255, 128, 0), 1), -1);
        EXPECT_EQ(Graphics_Hardware_DrawThickOval(320, 40, 20, 10, colour(255, 128, 0), 0), -1);
    }
}

// A dark red screen under a mask screen of 8 x 8 cells, `set` in every other cell.
void checkerMask(uint8_t set) {
    DrawBox(0, 0, kW, kH, colour(90, 20, 20), 1);
    ASSERT_EQ(CreateMaskScreen(1, kW, kH), 0);
    int pitch = 0, width = 0, height = 0;
    uint8_t* mask = GetMaskBuffer(&pitch, &width, &height);
    ASSERT_NE(mask, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) mask[size_t(y) * pitch + x] = ((x / 8 + y / 8) & 1) ? set : 0;
}

// A clear is not masked; the box drawn after it is, by a checkerboard of 8 x 8 cells.
// The target is also read while the mask is still on, into `readWhileMasked`.
std::vector<Frame> readWhileMasked;
void maskedClear() {
    ASSERT_NO_FATAL_FAILURE(checkerMask(255));
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    SetBackgroundColor(20, 200, 40);
    ClearDrawTarget(nullptr);
    DrawBox(100, 100, 300, 250, colour(200, 50, 30), 1);
    readWhileMasked.push_back(capture());
    ASSERT_EQ(SetUseMaskScreenFlag(0), 0);
}

class SameFrame : public RendererTest {
  protected:
    // Every pixel of the hardware frames within 2 per channel of the software frame.
    static void expectSame(const char* scene, const std::vector<Frame>& frames,
                           const std::function<bool(int, int)>& excluded = nullptr) {
        ASSERT_EQ(frames.size(), size_t(kRenderers));
        for (int r = kD3D9; r < kRenderers; ++r) {
            int above = 0, shown = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    if (excluded && excluded(x, y)) continue;
                    const unsigned s = frames[kSoftware].at(x, y), h = frames[r].at(x, y);
                    if (distance(s, h) <= 2) continue;
                    ++above;
                    if (shown++ < 8)
                        ADD_FAILURE() << scene << ": at " << x << ", " << y << " software " << hex(s) << ", "
                                      << kNames[r] << " " << hex(h);
                }
            EXPECT_EQ(above, 0) << scene << ": pixels of " << kNames[r] << " further than 2 from software";
        }
    }
};

// Modes 6 and 7 draw texels with blending and the alpha test off on every renderer. Modes
// 9, 14 and 15 take a picture's texels as the hardware blend table gives them, without
// the alpha test, so texels of alpha 0 (the graded picture's first column, the keyed
// picture's key colour) are drawn there; the software renderer still weights each texel
// by its alpha and leaves keyed texels out. A label's glyph cells are drawn whole on the
// hardware paths in all five modes, empty texels too.
bool alphaTexelsByTable(int mode) { return mode == 9 || mode == 14 || mode == 15; }
bool glyphCellsByTable(int mode) { return mode == 6 || mode == 7 || alphaTexelsByTable(mode); }
constexpr int kKeyedX = 310, kLabelX = 510;
// Modes 10 and 20 invert the texel before the draw colour modulates it; a label's glyph
// texels are white on the hardware paths, so its ink turns black there, while the
// software renderer inverts the text colour.
bool invertsTexels(int mode) { return mode == 10 || mode == 20; }
bool gradedInTableRows(int x, int y) {
    if (y < 4 || (y - 4) % kRowHeight >= 16) return false;
    const int mode = (y - 4) / kRowHeight;
    const bool label = x >= kLabelX && x < kLabelX + 40;
    const bool picture = (x >= kGradedX && x < kGradedX + 32) || (x >= kKeyedX && x < kKeyedX + 32) || label;
    return (picture && alphaTexelsByTable(mode)) || (label && (glyphCellsByTable(mode) || invertsTexels(mode)));
}

TEST_F(SameFrame, EveryBlendModeOnShapesPicturesAndLabels) {
    const std::vector<Frame> frames = drawEverywhere(blendRows);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    expectSame("blend rows", frames, gradedInTableRows);
    // Where they differ from software, the two hardware paths agree with each other.
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (gradedInTableRows(x, y))
                ASSERT_LE(distance(frames[kD3D9].at(x, y), frames[kD3D11].at(x, y)), 2) << x << ", " << y;
    // In modes 6 and 7 texels of alpha 0, 128 and 255 and keyed texels show their own colour.
    for (int mode : {6, 7})
        for (int r = 0; r < kRenderers; ++r)
            for (int ty = 0; ty < 16; ++ty) {
                SCOPED_TRACE(testing::Message() << kNames[r] << ", mode " << mode << ", row " << ty);
                const int y = 4 + mode * kRowHeight + ty;
                for (int tx : {0, 16, 31})
                    EXPECT_EQ(frames[r].at(kGradedX + tx, y), rgb(tx * 8, 255 - ty * 16, 90)) << tx;
                EXPECT_EQ(frames[r].at(kKeyedX + (3 - ty % 3) % 3, y), rgb(255, 0, 255));
            }

    // Row 11 blends a box toward white by its alpha, then multiplies the target.
    const int y11 = 4 + 11 * kRowHeight + 8;
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        // Over the (100, 150, 200) stripe.
        EXPECT_LE(distance(frames[r].at(18, y11), rgb(89, 104, 119)), 1) << hex(frames[r].at(18, y11));
    }
    // Rows 10 and 20 invert the texel first, then take the bright colour: (200, 148, 100)
    // under (128, 200, 64) is (28, 84, 39) before the target blend. Row 10 at 128 is a
    // half mix with the target.
    const int y10 = 4 + 10 * kRowHeight + 8;
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        const unsigned got = frames[r].at(412, y10);
        const unsigned under = (412 / 8) % 2 ? rgb(230, 40, 90) : rgb(100, 150, 200);
        const unsigned want = rgb((28 * 128 + channel(under, 16) * 127) / 255, (84 * 128 + channel(under, 8) * 127) / 255,
                                  (39 * 128 + channel(under, 0) * 127) / 255);
        EXPECT_LE(distance(got, want), 2) << hex(got) << " wanted " << hex(want);
    }
}

// Each turn shows every texel once on every renderer, at the same pixels on Direct3D 11 and
// in software. At a whole position Direct3D 9, whose pixel centres sit on whole
// coordinates, lands the middle texel ((w - 1) / 2, (h - 1) / 2) of a picture with an odd
// side on the pixel at the position: up to one pixel right and down of the others.
TEST_F(SameFrame, QuarterAndHalfTurnsPlaceEveryTexelOnce) {
    const std::vector<Frame> frames = drawEverywhere(turns);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    std::vector<Frame> moved = frames;
    for (int s = 0; s < int(std::size(kTurnSizes)); ++s) {
        const auto [w, h] = kTurnSizes[s];
        const unsigned middle = turnTexel(s, (w - 1) / 2, (h - 1) / 2);
        for (int column = 0; column < kTurnColumns; ++column) {
            const int x0 = turnX(column) - kTurnCell / 2, y0 = turnY(s) - kTurnCell / 2;
            int at[kRenderers][2] = {};
            for (int r = 0; r < kRenderers; ++r) {
                SCOPED_TRACE(testing::Message() << kNames[r] << ", " << w << " x " << h << ", column " << column);
                std::vector<unsigned> seen;
                for (int y = y0; y < y0 + kTurnCell; ++y)
                    for (int x = x0; x < x0 + kTurnCell; ++x) {
                        const unsigned c = frames[r].at(x, y);
                        if (c == 0) continue;
                        seen.push_back(c);
                        if (c == middle) at[r][0] = x, at[r][1] = y;
                    }
                std::vector<unsigned> texels;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) texels.push_back(turnTexel(s, x, y));
                std::sort(seen.begin(), seen.end());
                std::sort(texels.begin(), texels.end());
                EXPECT_EQ(seen, texels);
            }
            if (column >= 8) continue;
            const bool evenSides = w % 2 == 0 && h % 2 == 0;
            SCOPED_TRACE(testing::Message() << w << " x " << h << ", column " << column);
            EXPECT_EQ(at[kD3D9][0], evenSides ? at[kD3D11][0] : turnX(column));
            EXPECT_EQ(at[kD3D9][1], evenSides ? at[kD3D11][1] : turnY(s));
            const int dx = at[kD3D9][0] - at[kD3D11][0], dy = at[kD3D9][1] - at[kD3D11][1];
            for (int y = y0; y < y0 + kTurnCell; ++y)
                for (int x = x0; x < x0 + kTurnCell; ++x)
                    moved[kD3D9].pixels[size_t(y) * kW + size_t(x)] = frames[kD3D9].at(x + dx, y + dy);
        }
    }
    expectSame("turns", moved);
}

// Anti-aliased glyphs have 16 coverage levels in the software renderer's memory cache
// and 64 in the hardware paths' texture cache: their edge pixels may differ by a level.
bool antiAliasedLabels(int x, int y) {
    return x < 290 && ((y >= 36 && y < 80) || (y >= 106 && y < 145) || (y >= 176 && y < 255));
}

TEST_F(SameFrame, LabelsPlainAntiAliasedEdgedAndUnderOpacity) {
    const std::vector<Frame> frames = drawEverywhere(labels);
    expectSame("labels", frames, antiAliasedLabels);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    // Plain anti-aliased text stays within about two levels of the software ramp
    // ((text - background) / 16 each; the hardware's 64 levels round apart). Edged text
    // mixes body and edge levels by a formula in software and by two blended passes on the
    // hardware paths, which may part by three eighths of the colour step; its ink covers the
    // same pixels all the same.
    const int level = 220 / 8, mixed = 220 * 3 / 8;
    for (int r = kD3D9; r < kRenderers; ++r) {
        int inked = 0, apart = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (!antiAliasedLabels(x, y)) continue;
                const unsigned s = frames[kSoftware].at(x, y), h = frames[r].at(x, y);
                const bool edged = (y >= 106 && y < 145) || y >= 216;
                ASSERT_LE(distance(h, s), edged ? mixed : level) << kNames[r] << " at " << x << ", " << y;
                const bool inkS = s != rgb(30, 60, 90), inkH = h != rgb(30, 60, 90);
                inked += inkS;
                apart += inkS != inkH;
            }
        // The accents above the capitals are drawn on every path.
        EXPECT_GT(inked, 400);
        EXPECT_LE(apart * 20, inked) << kNames[r];  // the faintest levels round to nothing in 16
    }
    // The edge of 70 reaches 70 pixels beyond the glyph's body on both sides.
    for (int r = 0; r < kRenderers; ++r) {
        int widest = 0;
        for (int y = 150; y < kH; ++y) {
            int left = -1, right = -1;
            for (int x = 290; x < kW; ++x)
                if (frames[r].at(x, y) == rgb(200, 20, 40)) {
                    if (left < 0) left = x;
                    right = x;
                }
            if (left >= 0) widest = std::max(widest, right - left + 1);
        }
        EXPECT_GT(widest, 2 * 70) << kNames[r];
    }
}

// Drawn without transparency, a blank picture shows what it holds: transparent black
// texels (black) on the hardware paths, its transparent colour in software, whose
// pictures without alpha are keyed.
bool opaqueBlankDraws(int x, int y) { return y >= 10 && y < 40 && (x < 50 || (x >= 110 && x < 150) || (x >= 210 && x < 250)); }

TEST_F(SameFrame, FreshAndDuplicatedPicturesStartTransparent) {
    const std::vector<Frame> frames = drawEverywhere(freshPictures);
    expectSame("fresh pictures", frames, opaqueBlankDraws);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        const unsigned blank = r == kSoftware ? rgb(255, 0, 255) : rgb(0, 0, 0);
        for (int x = 10; x < 50; ++x)
            for (int y = 10; y < 40; ++y) {
                ASSERT_EQ(frames[r].at(x, y), blank) << x << ", " << y;        // blank, drawn opaque
                ASSERT_EQ(frames[r].at(x + 50, y), rgb(90, 120, 150));         // blank, drawn with trans
                ASSERT_EQ(frames[r].at(x + 100, y), blank);                    // canvas, opaque
                ASSERT_EQ(frames[r].at(x + 150, y), rgb(90, 120, 150));        // canvas, with trans
            }
        EXPECT_EQ(frames[r].at(245, 15), blank);                 // duplicate outside the copy
        EXPECT_EQ(frames[r].at(275, 15), rgb(90, 120, 150));    // copied transparent texels
        EXPECT_EQ(frames[r].at(262, 12), rgb(24, 40, 77));      // a copied opaque texel
    }
}

TEST_F(SameFrame, ReversedBoxOutlinesAndThinRings) {
    const std::vector<Frame> frames = drawEverywhere(shapes);
    expectSame("shapes", frames);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        EXPECT_EQ(frames[r].at(30, 10), rgb(255, 255, 0));
        EXPECT_EQ(frames[r].at(90, 10), rgb(0, 255, 255));
        EXPECT_EQ(frames[r].at(150, 49), rgb(255, 0, 255));
        EXPECT_EQ(frames[r].at(240, 40), rgb(255, 128, 0));
    }
}

// Pictures scaled about a centre, so that their edges fall between pixels, and scaled and
// turned at once: each pixel takes the texel under its centre on all three renderers. The
// scales (1.6, 0.8, 2) never put a pixel centre exactly on a texel edge, where each
// renderer's own rounding would decide.
unsigned scaledTexel(int x, int y) { return rgb(40 + x * 30, 40 + y * 40, 160); }

void scaledPictures() {
    const int g = makePicture(7, 5, false, scaledTexel);
    ASSERT_GE(g, 0);
    struct Scaled {
        double ex, ey, angle;
        int mirror;
    };
    const Scaled draws[] = {{1.6, 0.8, 0.0, 0}, {0.8, 1.6, 0.0, 1}, {1.6, 1.6, 1.5707963267948966, 0},
                            {2.0, 2.0, 0.1, 0}, {1.6, 0.8, 0.3, 1},  {0.8, 0.8, 3.141592653589793, 0}};
    for (int i = 0; i < int(std::size(draws)); ++i) {
        const Scaled& d = draws[i];
        // Inside the screen, then half off its left and top edges.
        DrawRotatedGraph(100 + 40 * i, 100, 3, 2, d.ex, d.ey, d.angle, g, 0, d.mirror);
        DrawRotatedGraph(0, 200 + 40 * i, 3, 2, d.ex, d.ey, d.angle, g, 0, d.mirror);
        DrawRotatedGraph(300 + 40 * i, 0, 3, 2, d.ex, d.ey, d.angle, g, 0, d.mirror);
    }
}

TEST_F(SameFrame, ScaledAndTurnedPicturesTakeTheTexelUnderEachPixelCentre) {
    const std::vector<Frame> frames = drawEverywhere(scaledPictures);
    expectSame("scaled pictures", frames);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        // 1.6 x 0.8 about (3, 2) at (100, 100): the picture spans (95.2, 98.4) to (106.4, 102.4).
        EXPECT_EQ(frames[r].at(95, 98), scaledTexel(0, 0));
        EXPECT_EQ(frames[r].at(95, 99), scaledTexel(0, 1));
        EXPECT_EQ(frames[r].at(105, 101), scaledTexel(6, 3));
        EXPECT_EQ(frames[r].at(106, 100), 0u);
        EXPECT_EQ(frames[r].at(100, 102), 0u);
        EXPECT_EQ(frames[r].at(94, 100), 0u);
        EXPECT_EQ(frames[r].at(100, 97), 0u);
        // Half off the left edge: x from -4.8, so pixel 0 takes column (0.5 + 4.8) / 1.6.
        EXPECT_EQ(frames[r].at(0, 200), scaledTexel(3, 2));
    }
}

TEST_F(SameFrame, ClearingThroughTheMaskClearsTheWholeTarget) {
    readWhileMasked.clear();
    const std::vector<Frame> frames = drawEverywhere(maskedClear);
    expectSame("masked clear", frames);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    // Read while draws still go through the mask, the target shows what was drawn, not
    // the mask's own screen.
    ASSERT_EQ(readWhileMasked.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) EXPECT_TRUE(readWhileMasked[r].pixels == frames[r].pixels) << kNames[r];
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        EXPECT_EQ(frames[r].at(12, 4), rgb(20, 200, 40));    // a blocking cell, cleared all the same
        EXPECT_EQ(frames[r].at(4, 4), rgb(20, 200, 40));
        EXPECT_EQ(frames[r].at(100, 100), rgb(200, 50, 30));
        EXPECT_EQ(frames[r].at(108, 100), rgb(20, 200, 40));
    }
}

// A blur of 8 pixels at strength 1 over a flat picture and over a step across its middle.
constexpr unsigned kFlat = 0x1428C8, kStepLeft = 0xF05A0A, kStepRight = 0x1478E6;
void gaussPictures() {
    const int flat = makePicture(40, 20, false, [](int, int) { return kFlat; });
    const int step = makePicture(40, 20, false, [](int x, int) { return x < 20 ? kStepLeft : kStepRight; });
    ASSERT_GE(flat, 0);
    ASSERT_GE(step, 0);
    ASSERT_EQ(GraphFilter(flat, kGraphFilterGauss, 8, 100), 0);
    ASSERT_EQ(GraphFilter(step, kGraphFilterGauss, 8, 100), 0);
    DrawGraph(10, 10, flat, 0);
    DrawGraph(60, 10, step, 0);
}

// A blur keeps a flat picture's colour and blurs a step once each way on every renderer.
TEST_F(SameFrame, GaussKeepsFlatColoursAndBlursAStepOnce) {
    const std::vector<Frame> frames = drawEverywhere(gaussPictures);
    expectSame("Gauss", frames);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 50; ++x) ASSERT_EQ(frames[r].at(x, y), kFlat) << x << ", " << y;
        // Far from the step both sides keep their colours; at it one horizontal blur mixes
        // them: the last pixel before it keeps the centre weight and the taps of its own
        // side, 0.399 + 0.242 + 0.054 + 0.004, of its colour.
        EXPECT_EQ(frames[r].at(62, 20), kStepLeft);
        EXPECT_EQ(frames[r].at(97, 20), kStepRight);
        const double own = 0.399 + 0.242 + 0.054 + 0.004;
        const unsigned want = rgb(int(0xF0 * own + 0x14 * (1 - own) + 0.5), int(0x5A * own + 0x78 * (1 - own) + 0.5),
                                  int(0x0A * own + 0xE6 * (1 - own) + 0.5));
        EXPECT_LE(distance(frames[r].at(79, 20), want), 2) << hex(frames[r].at(79, 20)) << " wanted " << hex(want);
    }
}

// With the reverse flag a masked draw lands where the mask byte is set, on every renderer;
// the flag off again, where it is 0.
void reversedMask() {
    ASSERT_NO_FATAL_FAILURE(checkerMask(200));
    ASSERT_EQ(SetMaskReverseFlag(1), 0);
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    DrawBox(100, 100, 300, 250, colour(200, 50, 30), 1);
    DrawCircle(400, 300, 60, colour(30, 220, 90), 1);
    ASSERT_EQ(SetMaskReverseFlag(0), 0);
    DrawBox(100, 300, 200, 400, colour(20, 60, 230), 1);
    ASSERT_EQ(SetUseMaskScreenFlag(0), 0);
}

TEST_F(SameFrame, ReversedMasksLetDrawsThroughWhereTheMaskIsSet) {
    const std::vector<Frame> frames = drawEverywhere(reversedMask);
    expectSame("reversed mask", frames);
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        EXPECT_EQ(frames[r].at(108, 100), rgb(200, 50, 30));  // mask set
        EXPECT_EQ(frames[r].at(100, 100), rgb(90, 20, 20));   // mask 0
        EXPECT_EQ(frames[r].at(108, 300), rgb(20, 60, 230));  // mask 0, not reversed
        EXPECT_EQ(frames[r].at(100, 300), rgb(90, 20, 20));
    }
}

// User vertices need a device. With and without a picture, their colours tint it the
// same on Direct3D 11 and on Direct3D 9's fixed stages (a device without shaders).
void userVertices() {
    DrawBox(0, 0, kW, kH, colour(40, 40, 40), 1);
    const int g = makePicture(16, 16, false, [](int x, int y) { return rgb(255 - x * 8, 128 + y * 8, 200); });
    ASSERT_GE(g, 0);
    auto quad = [](float x, float y, uint8_t r, uint8_t gr, uint8_t b) {
        std::vector<Vertex2D> v;
        const float px[6] = {0, 64, 0, 64, 64, 0}, py[6] = {0, 0, 64, 0, 64, 64};
        for (int i = 0; i < 6; ++i) v.push_back(Vertex2D{x + px[i], y + py[i], 0, 1, b, gr, r, 255, px[i] / 64, py[i] / 64});
        return v;
    };
    const std::vector<Vertex2D> tinted = quad(10, 10, 255, 128, 64), plain = quad(100, 10, 90, 200, 30);
    EXPECT_EQ(DrawPrimitive2D(tinted.data(), 6, 4, g, 0), 0);
    EXPECT_EQ(DrawPrimitive2D(plain.data(), 6, 4, -1, 0), 0);
}

TEST_F(SameFrame, UserVerticesKeepTheirColoursOnTheFixedStages) {
    ASSERT_TRUE(start(kD3D11));
    userVertices();
    const Frame shaded = capture();
    TerminateLibrary();
    plat::gpu::D3DCAPS9 caps = plat::gpu::DefaultD3D9Caps();
    caps.VertexShaderVersion = plat::gpu::shaderVersion(false, 1, 1);
    caps.PixelShaderVersion = plat::gpu::shaderVersion(true, 1, 4);
    plat::gpu::SetD3D9CapsForTest(&caps);
    const bool started = start(kD3D9);
    plat::gpu::SetD3D9CapsForTest(nullptr);
    ASSERT_TRUE(started);
    userVertices();
    const Frame fixed = capture();
    TerminateLibrary();
    // Texel (255, 128, 200) under the vertex colour (255, 128, 64).
    EXPECT_LE(distance(fixed.at(12, 12), rgb(255, 64, 50)), 2) << hex(fixed.at(12, 12));
    int above = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 170; ++x) above += distance(shaded.at(x, y), fixed.at(x, y)) > 2;
    EXPECT_EQ(above, 0);
    EXPECT_EQ(shaded.at(130, 40), rgb(90, 200, 30));
}

// Pictures far too large for memory are refused at once on every renderer, the same way,
// and drawing goes on.
TEST_F(SameFrame, AbsurdPictureSizesAreRefusedEverywhere) {
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(Renderer(r)));
        forgetLog();
        EXPECT_EQ(MakeGraph(100000, 100000), -1);
        EXPECT_EQ(MakeDrawableGraph(100000, 100000, GraphicsSys.hardware ? 1 : 0), -1);
        EXPECT_EQ(MakeGraph(3, 1000000000), -1);
        EXPECT_EQ(halvorine_test::logCount(u"メモリイメージの作成に失敗しました\n"), 3);
        const int g = MakeGraph(64, 64);
        EXPECT_GE(g, 0);
        EXPECT_EQ(DrawGraph(0, 0, g, 0), 0);
        TerminateLibrary();
    }
}

}  // namespace
