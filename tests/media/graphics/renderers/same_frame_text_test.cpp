// Text at the screen's edges drawn through the software renderer, Direct3D 9 and
// Direct3D 11: labels of every font type left of the screen, past its right edge and
// filling its width, with and without an opacity, the built-in fallback font, and
// glyphs as tall as their cache cell. Every pixel agrees within 2 per channel, or within
// the anti-aliasing allowance docs/drawing.md gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/render_settings.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

namespace sameframetext {

using namespace ZaDod;
using namespace renderertest;

constexpr unsigned kBack = 0x1E3C5A;  // (30, 60, 90)
constexpr int kTextR = 250, kTextG = 230, kTextB = 60;

// Every font type: plain, edged, anti-aliased, anti-aliased edged, and the 4x and 8x
// oversampled anti-aliased ones with and without edge.
constexpr int kTypes[] = {0, 1, 2, 3, 18, 19, 34, 35};
constexpr int kTypeCount = 8;
constexpr int kRowPitch = 20;
// Three rows a type: left of the screen, past the right edge, filling the width.
constexpr int kPlaces = 3;

bool antiAliased(int type) { return (type & int(kFontTypeAntialiased)) != 0; }
int typeOfRow(int y) { return std::min(y / (kRowPitch * kPlaces), kTypeCount - 1); }

// A text of `wanted` pixels or just under in the font.
std::string textOfWidth(int handle, int wanted) {
    std::string text;
    static const char kWords[] = "Quick brown foxes jump over lazy dogs; ";
    for (size_t i = 0;; ++i) {
        const std::string longer = text + kWords[i % (sizeof kWords - 1)];
        if (GetDrawStringWidthToHandle(longer.c_str(), -1, handle) > wanted) return text;
        text = longer;
    }
}

void labelRows(bool opacity) {
    SetDrawBlendMode(0, 255);
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
    const unsigned text = colour(kTextR, kTextG, kTextB), edge = colour(200, 20, 40);
    for (int t = 0; t < kTypeCount; ++t) {
        const int font = CreateFontHandle(nullptr, 12, -1, kTypes[t], -1, -1, 0);
        ASSERT_GE(font, 0) << kTypes[t];
        const std::string line = textOfWidth(font, 570), full = textOfWidth(font, kW);
        const int fullWidth = GetDrawStringWidthToHandle(full.c_str(), -1, font);
        ASSERT_GT(fullWidth, kW - 12) << kTypes[t];
        if (opacity) SetDrawBlendMode(1, 128);
        const int y = t * kRowPitch * kPlaces + 3;
        DrawStringToHandle(-200, y, line.c_str(), text, font, edge);
        DrawStringToHandle(400, y + kRowPitch, line.c_str(), text, font, edge);
        // Its last pixel column is the screen's last.
        DrawStringToHandle(kW - fullWidth, y + 2 * kRowPitch, full.c_str(), text, font, edge);
        SetDrawBlendMode(0, 255);
    }
}

// The fallback font, and full blocks of DejaVu Sans Mono at 24 pixels, whose bitmaps
// reach the last row of their cache cell, plain and anti-aliased.
void fallbackAndBlocks() {
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
    ASSERT_EQ(SetupFallbackFont(), 0);
    ASSERT_EQ(DrawString(10, 10, "H Az~", colour(255, 255, 255)), 0);
    const int plain = CreateFontHandle("DejaVu Sans Mono", 24, -1, 0, -1, -1, 0);
    const int aa = CreateFontHandle("DejaVu Sans Mono", 24, -1, int(kFontTypeAntialiased), -1, -1, 0);
    ASSERT_GE(plain, 0);
    ASSERT_GE(aa, 0);
    const char* blocks = "\xE2\x96\x88\xE2\x96\x88";
    DrawStringToHandle(100, 100, blocks, colour(255, 255, 255), plain);
    DrawStringToHandle(200, 100, blocks, colour(255, 255, 255), aa);
}

class SameFrameText : public RendererTest {};

// Anti-aliased glyphs: about two of software's 16 levels; edged ones three eighths of
// the colour step (docs/drawing.md), the step being the text's channel furthest from
// the background.
int labelAllowance(int y) {
    const int type = kTypes[typeOfRow(y)];
    if (!antiAliased(type)) return 2;
    const int step = kTextR - 30;
    return (type & int(kFontTypeEdge)) ? step * 3 / 8 : step / 8;
}

TEST_F(SameFrameText, LabelsOfEveryTypeAtTheScreensEdges) {
    for (bool opacity : {false, true}) {
        SCOPED_TRACE(opacity ? "under opacity 128" : "opaque");
        const std::vector<Frame> frames = drawEverywhere([opacity] { labelRows(opacity); });
        expectWithin("labels at the edges", frames, [](int, int y) { return labelAllowance(y); });
        ASSERT_EQ(frames.size(), size_t(kRenderers));
        // Each row's ink reaches the screen's first column (the line left of the screen)
        // and its last (the other two) on every renderer.
        for (int r = 0; r < kRenderers; ++r)
            for (int t = 0; t < kTypeCount; ++t)
                for (int place = 0; place < kPlaces; ++place) {
                    const int top = t * kRowPitch * kPlaces + place * kRowPitch, x = place == 0 ? 0 : kW - 1;
                    int ink = 0;
                    for (int y = top; y < top + kRowPitch; ++y)
                        for (int dx = 0; dx < 24; ++dx) ink += frames[r].at(place == 0 ? x + dx : x - dx, y) != kBack;
                    EXPECT_GT(ink, 0) << kNames[r] << " type " << kTypes[t] << " place " << place;
                }
    }
}

// Rows of ink in a column.
int inkRows(const Frame& f, int x, int y0, int y1) {
    int rows = 0;
    for (int y = y0; y < y1; ++y) rows += f.at(x, y) == rgb(255, 255, 255);
    return rows;
}

TEST_F(SameFrameText, FallbackFontAndFullBlocksLandAlike) {
    const std::vector<Frame> frames = drawEverywhere(fallbackAndBlocks);
    expectWithin("fallback font and full blocks", frames, [](int x, int y) {
        // The anti-aliased blocks' outer columns and rows are partly covered.
        return x >= 190 && y >= 90 ? (255 - 30) / 8 : 2;
    });
    ASSERT_EQ(frames.size(), size_t(kRenderers));
    for (int r = 0; r < kRenderers; ++r) {
        SCOPED_TRACE(kNames[r]);
        // The fallback "H" sits in its 8 x 16 cell at the pen, its top left ink at
        // (11, 13) on every renderer, and nothing is drawn above or left of the pen.
        EXPECT_EQ(frames[r].at(11, 13), rgb(255, 255, 255));
        EXPECT_EQ(frames[r].at(10, 12), kBack);
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 40; ++y) ASSERT_EQ(frames[r].at(x, y), kBack) << x << ", " << y;
        for (int x = 0; x < 60; ++x)
            for (int y = 0; y < 10; ++y) ASSERT_EQ(frames[r].at(x, y), kBack) << x << ", " << y;
        // Every row of the full block is drawn: as many as software draws for the plain
        // font, the same count for the anti-aliased one.
        EXPECT_EQ(inkRows(frames[r], 110, 90, 150), inkRows(frames[kSoftware], 110, 90, 150));
        EXPECT_EQ(inkRows(frames[r], 210, 90, 150), inkRows(frames[kSoftware], 210, 90, 150));
    }
    EXPECT_GE(inkRows(frames[kSoftware], 110, 90, 150), 28);
}

}  // namespace sameframetext
