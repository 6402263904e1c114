// Filters and blends that run on a software graph's own pixels: they give the pixels the
// work images give (or the formula), in place, into another graph and into rectangles
// of the same picture, for odd sizes with random alpha; and drawing the result gives the
// frame a freshly loaded copy of the same pixels gives, however often it is filtered.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "media/base/handle.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "media/graphics/soft_draw.h"
#include "tests/media/graphics/filter_testing.h"

using namespace ZaDod;
using namespace filtertest;

namespace {

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{1, 1}, {7, 3}, {33, 17}, {70, 5}};

// Runs of transparent, solid and half-covered pixels, so the run table has all kinds.
Pixels runPixels(int count, unsigned seed) {
    std::mt19937 rng(seed);
    Pixels out(count);
    uint32_t alpha = 0;
    for (uint32_t& p : out) {
        if (rng() % 5 == 0) alpha = std::array<uint32_t, 3>{0, 255, static_cast<uint32_t>(1 + rng() % 254)}[rng() % 3];
        p = alpha << 24 | (rng() & 0xFFFFFF);
    }
    return out;
}

int luma(uint32_t p) { return 466 * chB(p) + 2404 * chG(p) + 1224 * chR(p); }

// Mono of the arguments (100, -60) as written out.
uint32_t monoRef(uint32_t p) {
    const float cb = std::clamp(100 * 100.0f / 255.0f / 200.0f, -0.5f, 0.5f);
    const float cr = std::clamp(-60 * 100.0f / 255.0f / 200.0f, -0.5f, 0.5f);
    const int kb = static_cast<int>(cb * 1.772f * 255.0f * 4096.0f);
    const int kg = static_cast<int>((-cb * 0.34414f - cr * 0.71414f) * 255.0f * 4096.0f);
    const int kr = static_cast<int>(cr * 1.402f * 255.0f * 4096.0f);
    auto c = [](int v) { return std::clamp(v >> 12, 0, 255); };
    return argb(chA(p), c(luma(p) + kr), c(luma(p) + kg), c(luma(p) + kb));
}

int blendAll(int src, int bl, int dst, int kind) {
    int w = 0, h = 0;
    GetGraphSize(src, &w, &h);
    return GraphFilterBlendWithArgs(1, src, bl, dst, 200, kind, 0, 0, w, h, 0, 0, 0, 0, 0, nullptr, 0);
}

// The pixels of the screen's top left corner.
Pixels screenCorner(int w, int h) {
    const MEMIMG& screen = GraphicsSys.mainScreen;
    Pixels out(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(out.data() + y * w, screen.pixels + y * screen.base->pitch, w * 4u);
    return out;
}

// The bytes of a run table in use: up to the end of its last row.
size_t runTableLength(const MemImgBase* base) {
    size_t n = 0;
    for (int rows = 0; rows < base->height; ++n)
        if (base->runTable[n] == kRunRowEnd) ++rows;
    return n;
}

using OwnPixels = SoftFilter;

}  // namespace

// Each per-channel kind three ways: into a fresh graph and in place (both on the graphs'
// own pixels) and with the blend graph as the destination, which overlaps and so goes
// through work images.
TEST_F(OwnPixels, BlendsGiveTheWorkImagePixels) {
    const int kinds[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    unsigned seed = 1;
    for (const Size s : kSizes) {
        const Pixels a = runPixels(s.w * s.h, seed++), b = runPixels(s.w * s.h, seed++);
        for (int kind : kinds) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " kind " << kind);
            const int src = makeGraphWith(s.w, s.h, a), bl = makeGraphWith(s.w, s.h, b);
            const int fresh = makeGraphWith(s.w, s.h, Pixels(a.size(), 0));
            const int inPlace = makeGraphWith(s.w, s.h, a), blendIsDest = makeGraphWith(s.w, s.h, b);
            ASSERT_EQ(blendAll(src, bl, fresh, kind), 0);
            ASSERT_EQ(blendAll(inPlace, bl, inPlace, kind), 0);
            ASSERT_EQ(blendAll(src, blendIsDest, blendIsDest, kind), 0);
            const Pixels want = readGraph(blendIsDest);
            EXPECT_EQ(readGraph(fresh), want);
            EXPECT_EQ(readGraph(inPlace), want);
            EXPECT_EQ(readGraph(src), a);
            EXPECT_EQ(readGraph(bl), b);
            for (int g : {src, bl, fresh, inPlace, blendIsDest}) SubHandle(g);
        }
    }
}

// Mono from a rectangle to a point: whole in place, into the same picture apart from
// the source, overlapping it (work images), into another graph and clipped at its edge.
TEST_F(OwnPixels, MonoRectanglesMatchTheFormula) {
    struct Case {
        int x1, y1, x2, y2, dx, dy;
        bool sameGraph;
    };
    unsigned seed = 50;
    for (const Size s : kSizes) {
        const int hw = std::max(1, s.w / 2), hh = std::max(1, s.h / 2);
        const Case cases[] = {
            {0, 0, s.w, s.h, 0, 0, true},          {0, 0, hw, hh, s.w - hw, s.h - hh, true},
            {0, 0, s.w, s.h, s.w > 1 ? 1 : 0, 0, true}, {0, 0, s.w, s.h, 0, 0, false},
            {s.w - hw, 0, s.w, s.h, hw, hh, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " rect " << c.x1 << "," << c.y1 << " to "
                                            << c.dx << "," << c.dy << (c.sameGraph ? " same" : " other"));
            const Pixels in = runPixels(s.w * s.h, seed++), other = runPixels(s.w * s.h, seed++);
            const int src = makeGraphWith(s.w, s.h, in);
            const int dst = c.sameGraph ? src : makeGraphWith(s.w, s.h, other);
            ASSERT_EQ(GraphFilterRectBlt(src, dst, c.x1, c.y1, c.x2, c.y2, c.dx, c.dy, kGraphFilterMono, 100, -60), 0);
            // Every source pixel is read before any destination pixel is written.
            Pixels want = c.sameGraph ? in : other;
            for (int y = c.y1; y < c.y2; ++y)
                for (int x = c.x1; x < c.x2; ++x) {
                    const int tx = c.dx + x - c.x1, ty = c.dy + y - c.y1;
                    if (tx < s.w && ty < s.h) want[ty * s.w + tx] = monoRef(in[y * s.w + x]);
                }
            EXPECT_EQ(readGraph(dst), want);
            if (!c.sameGraph) {
                EXPECT_EQ(readGraph(src), in);
                SubHandle(dst);
            }
            SubHandle(src);
        }
    }
}

// A graph filtered in place several times, drawn between some of the rounds and loaded
// over in part in another, draws as a graph loaded fresh with the same pixels: the same
// frame, the same run table and the same premultiplied copy.
TEST_F(OwnPixels, DrawingAFilteredGraphGivesTheLoadedFrame) {
    unsigned seed = 90;
    for (const Size s : kSizes) {
        const Pixels first = runPixels(s.w * s.h, seed++), blendWith = runPixels(s.w * s.h, seed++);
        const int g = makeGraphWith(s.w, s.h, first), bl = makeGraphWith(s.w, s.h, blendWith);
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " round " << round);
            if (round % 2 == 0) ASSERT_EQ(GraphFilter(g, kGraphFilterMono, 100, -60), 0);
            else ASSERT_EQ(blendAll(g, bl, g, round == 1 ? kGraphBlendNormal : kGraphBlendMultiple), 0);
            MemImgBase* base = GetGraphSoftImage(GetGraphData(g))->base;
            EXPECT_EQ(base->runTableValid, kMemImgTablesPending);
            if (round == 2) {
                // A part load after the filter: the tables stay stale and draws read pixels
                // (a load of the whole picture makes them at once).
                const Pixels corner = runPixels(1, seed++);
                BaseImage image{};
                CreateARGB8ColorBaseImage(1, 1, &image);
                std::memcpy(image.pixels, corner.data(), 4);
                const ImageRect rect{0, 0, 1, 1};
                ASSERT_EQ(BltBaseImageToGraph(&rect, 0, 0, g, &image, nullptr, 0, 0), 0);
                ReleaseBaseImage(&image);
                EXPECT_EQ(base->runTableValid, s.w * s.h == 1 ? 1 : 0);
            }
            const Pixels now = readGraph(g);
            const int loaded = makeGraphWith(s.w, s.h, now);
            const MemImgBase* fresh = GetGraphSoftImage(GetGraphData(loaded))->base;
            for (int trans : {1, 0}) {
                FillMemImg(&GraphicsSys.mainScreen, nullptr, 0xFF204060u);
                ASSERT_EQ(SoftDrawGraph(3, 2, g, trans), 0);
                const Pixels filteredFrame = screenCorner(s.w + 6, s.h + 4);
                FillMemImg(&GraphicsSys.mainScreen, nullptr, 0xFF204060u);
                ASSERT_EQ(SoftDrawGraph(3, 2, loaded, trans), 0);
                EXPECT_EQ(filteredFrame, screenCorner(s.w + 6, s.h + 4)) << "trans " << trans;
            }
            if (round != 2) {
                ASSERT_EQ(base->runTableValid, 1);
                ASSERT_EQ(runTableLength(base), runTableLength(fresh));
                EXPECT_EQ(std::memcmp(base->runTable, fresh->runTable, runTableLength(fresh)), 0);
                ASSERT_EQ(base->premultipliedValid, 1);
                for (int y = 0; y < s.h; ++y)
                    EXPECT_EQ(std::memcmp(base->alphaPixels + y * base->pitch, fresh->alphaPixels + y * fresh->pitch,
                                          static_cast<size_t>(s.w) * 4),
                              0);
            }
            SubHandle(loaded);
        }
        SubHandle(g);
        SubHandle(bl);
    }
}
