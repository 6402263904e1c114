// Software image drawing: every blend mode's arithmetic, the bright colour, 16-bit
// targets, graph draws with transparency, stretching, rotation, the blend graph, and
// the run-table path against the plain one.
#include "media/graphics/mem_img_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "media/graphics/mem_img_pixel.h"
#include "tests/media/graphics/soft_target.h"

using namespace ZaDod;
using softtest::Picture;
using softtest::rgb;
using softtest::Target;

namespace {

using MemImgDraw = softtest::DrawStateFixture;

struct Rgb {
    int r, g, b;
};
uint32_t pack(Rgb c) { return rgb(c.r, c.g, c.b); }

}  // namespace

TEST(MemImgPixel, ProductMatchesTheTable) {
    InitMemImgBlendTables();
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) ASSERT_EQ(softpix::mul255(a, b), MemImgProductTable[a][b]) << a << "*" << b;
}

TEST(MemImgPixel, PackedBlendMatchesTheChannelRule) {
    std::mt19937 rng(3);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t s = rng(), d = rng(), a = rng() % 256;
        const uint32_t out = softpix::blendPixel32(s, d, a);
        for (int shift = 0; shift < 24; shift += 8) {
            const int expected = softpix::channel<softpix::Op::Blend>((s >> shift) & 0xFF, (d >> shift) & 0xFF, int(a));
            ASSERT_EQ(int((out >> shift) & 0xFF), expected) << std::hex << s << " " << d << " " << a;
        }
    }
}

TEST(MemImgPixel, FastBlendSpansMatchTheGenericKernel) {
    InitMemImgBlendTables();
    uint8_t identity[256];
    for (int i = 0; i < 256; ++i) identity[i] = static_cast<uint8_t>(i);
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        const int count = static_cast<int>(rng() % 19), param = static_cast<int>(rng() % 256);
        const softpix::SpanContext ctx{identity, identity, identity, MemImgProductTable[param], 0};
        std::vector<uint32_t> src(static_cast<size_t>(count)), fast(src.size()), generic(src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            const uint32_t alpha[] = {0, 255, static_cast<uint32_t>(rng() % 256)};
            src[i] = alpha[rng() % 3] << 24 | (rng() & 0xFFFFFF);
            fast[i] = generic[i] = rng();
        }
        auto bytes = [](std::vector<uint32_t>& v) { return reinterpret_cast<uint8_t*>(v.data()); };
        softpix::blendSpan32<true>(bytes(fast), bytes(src), count, ctx);
        softpix::graphSpan<softpix::Src32Alpha, softpix::Dst32, softpix::Op::Blend>(bytes(generic), bytes(src), count,
                                                                                      ctx);
        ASSERT_EQ(fast, generic) << "round " << round;
        std::vector<uint32_t> opaque = generic, reference = generic;
        softpix::blendSpan32<false>(bytes(opaque), bytes(src), count, ctx);
        softpix::graphSpan<softpix::Src32, softpix::Dst32, softpix::Op::Blend>(bytes(reference), bytes(src), count, ctx);
        ASSERT_EQ(opaque, reference) << "round " << round;
    }
}

TEST_F(MemImgDraw, EveryBlendModeOnThirtyTwoBits) {
    struct Case {
        int mode, param;
        Rgb src, dst, expected;
    } cases[] = {
        {0, 128, {200, 100, 50}, {0, 0, 255}, {200, 100, 50}},
        {1, 128, {200, 100, 50}, {0, 0, 255}, {100, 50, 152}},
        {2, 200, {100, 200, 30}, {100, 100, 250}, {178, 255, 255}},
        {3, 255, {50, 60, 70}, {40, 200, 70}, {0, 140, 0}},
        {4, 0, {128, 255, 0}, {200, 200, 200}, {100, 200, 0}},
        {5, 100, {100, 50, 255}, {10, 250, 0}, {49, 255, 100}},
        {6, 7, {1, 2, 3}, {90, 90, 90}, {1, 2, 3}},
        {7, 7, {1, 2, 3}, {90, 90, 90}, {1, 2, 3}},
        {8, 255, {1, 2, 3}, {9, 8, 7}, {9, 8, 7}},
        {9, 0, {200, 100, 255}, {55, 255, 0}, {156, 0, 255}},
        {10, 128, {200, 100, 50}, {0, 0, 0}, {27, 77, 102}},
        {11, 128, {200, 100, 0}, {100, 200, 255}, {89, 138, 127}},
        {12, 128, {20, 100, 0}, {0, 0, 200}, {40, 128, 99}},
        {13, 255, {10, 60, 70}, {100, 100, 100}, {140, 255, 255}},
        {14, 77, {1, 2, 3}, {90, 90, 90}, {1, 2, 3}},
        {15, 128, {100, 200, 10}, {100, 200, 255}, {149, 255, 137}},
        {16, 128, {100, 200, 255}, {100, 100, 100}, {50, 0, 0}},
        {17, 128, {200, 100, 50}, {0, 0, 255}, {100, 50, 152}},
        {18, 255, {50, 200, 0}, {100, 100, 100}, {150, 255, 100}},
        {19, 255, {50, 200, 0}, {100, 100, 100}, {50, 0, 100}},
        {20, 255, {200, 100, 50}, {1, 1, 1}, {55, 155, 205}},
        {21, 255, {20, 100, 0}, {1, 1, 1}, {80, 255, 0}},
        {22, 128, {10, 60, 70}, {100, 100, 100}, {120, 220, 228}},
    };
    for (const Case& c : cases) {
        Target t(3, 3, kMemImgX8R8G8B8);
        t.fill(pack(c.dst));
        t.use();
        SetMemImgBlendMode(c.mode, c.param);
        const ImageRect box{1, 1, 2, 2};
        DrawFillBoxMemImg(&box, pack(c.src));
        EXPECT_EQ(t.at(1, 1), pack(c.expected)) << "mode " << c.mode;
        EXPECT_EQ(t.at(0, 0), pack(c.dst)) << "mode " << c.mode;
        // A graph pixel without alpha blends the same way.
        Picture pic(1, 1, kMemImgX8R8G8B8, 0, {pack(c.src)});
        t.fill(pack(c.dst));
        DrawMemImg(&pic.img, 1, 1, 0);
        EXPECT_EQ(t.at(1, 1), pack(c.expected)) << "graph, mode " << c.mode;
        EXPECT_TRUE(t.guardIntact());
    }
}

TEST_F(MemImgDraw, BrightSixteenBitsAndAlphaTargets) {
    Target t(2, 2, kMemImgX8R8G8B8);
    t.use();
    SetMemImgDrawBright(0x008040FF);
    DrawPixelMemImg(0, 0, rgb(255, 255, 255));
    EXPECT_EQ(t.at(0, 0), rgb(128, 64, 255));

    Target s(2, 2, kMemImgR5G6B5);
    s.use();
    SetMemImgDrawBright(0x00FFFFFF);
    SetMemImgBlendMode(1, 128);
    DrawPixelMemImg(1, 1, 0xFFFF);
    EXPECT_EQ(s.at(1, 1), 0x8410u);
    EXPECT_EQ(s.at(0, 0), 0u);
    EXPECT_TRUE(s.guardIntact());

    // Only copies write the alpha byte of a target that has one.
    struct Case { int colorType, mode, param; uint32_t before, color, after; } cases[] = {
        {kMemImgX8R8G8B8, 14, 77, 0x20000000u, rgb(1, 2, 3), 0x4D010203u},
        {kMemImgX8R8G8B8, 0, 77, 0x20000000u, rgb(1, 2, 3), 0xFF010203u},
        {kMemImgX8R8G8B8, 2, 255, 0x20000000u, rgb(1, 2, 3), 0x20010203u},
        {kMemImgR5G6B5, 14, 128, 0x00110000u, 0xFFFF, 0x0080FFFFu},
        {kMemImgR5G6B5, 1, 255, 0x00110000u, 0xF800, 0x0011F800u},
    };
    for (const Case& c : cases) {
        Target a(1, 1, c.colorType, 1);
        a.at(0, 0) = c.before;
        a.use();
        SetMemImgBlendMode(c.mode, c.param);
        DrawPixelMemImg(0, 0, c.color);
        EXPECT_EQ(a.at(0, 0), c.after) << "mode " << c.mode;
        EXPECT_TRUE(a.guardIntact());
    }
}

TEST_F(MemImgDraw, TransparencyOfGraphs) {
    const uint32_t bg = rgb(100, 100, 100);
    const std::vector<uint32_t> pixels = {0x00FF0000u, 0x8000FF00u, 0xFF0000FFu};
    for (int colorType : {kMemImgX8R8G8B8, kMemImgR5G6B5}) {
        for (bool runTable : {true, false}) {
            Picture pic(3, 1, colorType, 1, pixels, 0, runTable);
            Target t(5, 3, kMemImgX8R8G8B8);
            t.fill(bg);
            t.use();
            DrawMemImg(&pic.img, 1, 1, 1);
            EXPECT_EQ(t.at(1, 1), bg);
            EXPECT_EQ(t.at(2, 1), rgb(49, 177, 49));
            EXPECT_EQ(t.at(3, 1), rgb(0, 0, 255));
            t.fill(bg);
            DrawMemImg(&pic.img, 1, 1, 0);
            EXPECT_EQ(t.at(1, 1), rgb(255, 0, 0));
            EXPECT_EQ(t.at(2, 1), rgb(0, 255, 0));
            EXPECT_EQ(t.at(3, 1), rgb(0, 0, 255));
            EXPECT_EQ(t.count(bg), 3);
            EXPECT_TRUE(t.guardIntact());
        }
    }
    // Drawing into a graph makes its run table stale: the next draw of it reads pixels.
    Picture canvas(3, 1, kMemImgX8R8G8B8, 1, pixels, 0, true);
    SetMemImgDrawTarget(&canvas.img);
    const ImageRect all{0, 0, 3, 1};
    SetMemImgDrawArea(&all);
    DrawPixelMemImg(0, 0, rgb(7, 8, 9));
    EXPECT_EQ(canvas.img.base->runTableValid, 0);
    Target t(3, 1, kMemImgX8R8G8B8);
    t.use();
    DrawMemImg(&canvas.img, 0, 0, 1);
    EXPECT_EQ(t.at(0, 0), rgb(7, 8, 9));

    // A colour-keyed graph without alpha skips its key colour only when transparent.
    for (int colorType : {kMemImgX8R8G8B8, kMemImgR5G6B5}) {
        for (bool runTable : {true, false}) {
            const uint32_t key = colorType == kMemImgR5G6B5 ? 0xF81Fu : 0xFFFF00FFu;
            Picture keyed(2, 1, colorType, 0, {0xFFFF00FFu, 0xFF102042u}, key, runTable);
            Target k(2, 1, kMemImgX8R8G8B8);
            k.fill(bg);
            k.use();
            DrawMemImg(&keyed.img, 0, 0, 1);
            EXPECT_EQ(k.at(0, 0), bg);
            EXPECT_EQ(k.at(1, 0), rgb(0x10, 0x20, 0x42));
            DrawMemImg(&keyed.img, 0, 0, 0);
            EXPECT_EQ(k.at(0, 0), rgb(255, 0, 255));
        }
    }
}

TEST_F(MemImgDraw, RunTableAndViewsDrawLikeThePlainPath) {
    // Random pictures with long runs, drawn whole and as views, clipped and in
    // several modes: the run-table path gives the plain path's pixels.
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const int w = 1 + static_cast<int>(rng() % 150), h = 1 + static_cast<int>(rng() % 6);
        std::vector<uint32_t> argb(static_cast<size_t>(w * h));
        uint32_t current = 0;
        for (uint32_t& p : argb) {
            if (rng() % 9 == 0) {
                const uint32_t alpha[] = {0, 255, static_cast<uint32_t>(1 + rng() % 254)};
                current = alpha[rng() % 3] << 24 | (rng() & 0xFFFFFF);
            }
            p = current;
        }
        const int colorType = round % 2 ? kMemImgR5G6B5 : kMemImgX8R8G8B8;
        Picture withRuns(w, h, colorType, 1, argb, 0, true);
        Picture plain(w, h, colorType, 1, argb, 0, false);
        ASSERT_EQ(withRuns.img.base->runTableValid, 1);
        const int vx = static_cast<int>(rng() % w), vy = static_cast<int>(rng() % h);
        MEMIMG viewRuns{}, viewPlain{};
        DeriveMemImg(&viewRuns, &withRuns.img, vx, vy, w - vx, h - vy);
        DeriveMemImg(&viewPlain, &plain.img, vx, vy, w - vx, h - vy);
        const int mode = round % 4 == 3 ? 2 : round % 4;
        const int param = static_cast<int>(rng() % 256);
        const int x = static_cast<int>(rng() % 40) - 20, y = static_cast<int>(rng() % 6) - 3;
        const int targetType = round % 4 < 2 ? kMemImgX8R8G8B8 : kMemImgR5G6B5;
        Target a(100, 8, targetType), b(100, 8, targetType);
        a.fill(0x12345678u);
        b.fill(0x12345678u);
        SetMemImgBlendMode(mode, param);
        SetMemImgDrawBright(round % 3 ? 0x00FFFFFF : 0x00C08040);
        a.use(ImageRect{2, 1, 97, 7});
        DrawMemImg(&withRuns.img, x, y, 1);
        DrawMemImg(&viewRuns, x + 5, y + 1, 1);
        b.use(ImageRect{2, 1, 97, 7});
        DrawMemImg(&plain.img, x, y, 1);
        DrawMemImg(&viewPlain, x + 5, y + 1, 1);
        for (int yy = 0; yy < 8; ++yy)
            for (int xx = 0; xx < 100; ++xx)
                ASSERT_EQ(a.at(xx, yy), b.at(xx, yy)) << "round " << round << " at " << xx << "," << yy;
        EXPECT_TRUE(a.guardIntact());
        TerminateMemImg(&viewRuns);
        TerminateMemImg(&viewPlain);
    }
}

TEST_F(MemImgDraw, StretchAndMirror) {
    const uint32_t p[4] = {rgb(1, 0, 0), rgb(2, 0, 0), rgb(3, 0, 0), rgb(4, 0, 0)};
    Picture pic(2, 2, kMemImgX8R8G8B8, 0, {p[0], p[1], p[2], p[3]});
    Target t(6, 6, kMemImgX8R8G8B8);
    t.use();
    DrawStretchMemImg(&pic.img, 1, 1, 5, 5, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(t.at(1 + x, 1 + y), p[(y / 2) * 2 + x / 2]) << x << "," << y;
    EXPECT_EQ(t.count(0), 16);
    t.fill(0);
    DrawStretchMemImg(&pic.img, 5, 1, 1, 5, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(t.at(1 + x, 1 + y), p[(y / 2) * 2 + 1 - x / 2]) << x << "," << y;
    t.fill(0);
    DrawStretchMemImg(&pic.img, 1, 5, 5, 1, 0);
    EXPECT_EQ(t.at(1, 1), p[2]);
    EXPECT_EQ(t.at(4, 4), p[1]);
    EXPECT_TRUE(t.guardIntact());
}

TEST_F(MemImgDraw, QuadsRotateAndMatchThePlainDraw) {
    std::vector<uint32_t> argb(8);
    for (int i = 0; i < 8; ++i) argb[i] = rgb(10 * (i + 1), 0, 0);
    Picture pic(4, 2, kMemImgX8R8G8B8, 0, argb);
    // Turned by a quarter about its centre (2, 1) placed at (10, 10).
    const double a = M_PI / 2, c = std::cos(a), s = std::sin(a);
    const double dx[4] = {-2, 2, 2, -2}, dy[4] = {-1, -1, 1, 1};
    double corners[8];
    for (int i = 0; i < 4; ++i) {
        corners[2 * i] = 10 + c * dx[i] - s * dy[i];
        corners[2 * i + 1] = 10 + c * dy[i] + s * dx[i];
    }
    Target t(20, 20, kMemImgX8R8G8B8);
    t.use();
    DrawQuadMemImg(&pic.img, corners, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(t.at(10, 8 + i), argb[i]) << i;
        EXPECT_EQ(t.at(9, 8 + i), argb[4 + i]) << i;
    }
    EXPECT_EQ(t.count(0), 8);

    // Axis-aligned corners, whole or half-way: the plain draw's pixels at the position
    // rounded half down.
    for (double offset : {0.0, 0.5, 0.25, 0.75}) {
        Target q(20, 20, kMemImgX8R8G8B8), plain(20, 20, kMemImgX8R8G8B8);
        const double x = 3 + offset, y = 5 + offset;
        const double box[8] = {x, y, x + 4, y, x + 4, y + 2, x, y + 2};
        q.use();
        DrawQuadMemImg(&pic.img, box, 0);
        plain.use();
        DrawMemImg(&pic.img, static_cast<int>(std::ceil(x - 0.5)), static_cast<int>(std::ceil(y - 0.5)), 0);
        for (int yy = 0; yy < 20; ++yy)
            for (int xx = 0; xx < 20; ++xx)
                ASSERT_EQ(q.at(xx, yy), plain.at(xx, yy)) << offset << " " << xx << "," << yy;
    }
    // Corners that are not finite or too far away draw nothing.
    Target n(8, 8, kMemImgX8R8G8B8);
    n.use();
    const double bad[3][8] = {{NAN, 0, 4, 0, 4, 4, 0, 4}, {0, 0, INFINITY, 0, 4, 4, 0, 4}, {0, 0, 4, 0, 4, 4, -3e7, 4}};
    for (const auto& corner : bad) DrawQuadMemImg(&pic.img, corner, 0);
    EXPECT_EQ(n.count(0), 0);
    EXPECT_TRUE(n.guardIntact());
}

TEST_F(MemImgDraw, BlendGraphChangesAlphaOrColour) {
    // Graph: two opaque pixels, blue and green; blend graph values 64 and 200.
    Picture pic(2, 1, kMemImgX8R8G8B8, 1, {0xFF0000FFu, 0xFF00FF00u});
    MEMIMG values{};
    CreateMemImg(&values, 2, 1, -1, 0, kMemImgChannel8, 0, 0, 0, nullptr);
    values.pixels[0] = 64;
    values.pixels[1] = 200;
    CreateMemImgBlendGraphTable(128, 64);
    struct Case { int type, ratio; uint32_t first, second; } cases[] = {
        // Type 2: alpha times value / 255 over black.
        {2, 0, rgb(0, 0, 64), rgb(0, 200, 0)},
        // Type 1: alpha times the table's entry.
        {1, 0, rgb(0, 0, MemImgBlendGraphTable[64]), rgb(0, MemImgBlendGraphTable[200], 0)},
        // Type 0: colour mixed toward the grey value by the ratio.
        {0, 128, rgb(32, 32, 64 * 128 / 255 + 127 * 255 / 255), rgb(100, 100 + 127, 100)},
    };
    for (const Case& c : cases) {
        Target t(2, 1, kMemImgX8R8G8B8);
        t.fill(rgb(0, 0, 0));
        t.use();
        SetMemImgBlendGraph(&values, c.type, c.ratio);
        DrawMemImg(&pic.img, 0, 0, 1);
        EXPECT_EQ(t.at(0, 0), c.first) << "type " << c.type;
        EXPECT_EQ(t.at(1, 0), c.second) << "type " << c.type;
    }
    TerminateMemImg(&values);
}
