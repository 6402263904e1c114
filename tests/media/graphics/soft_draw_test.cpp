// Software drawing fallbacks: which pixels each shape lights, how often, and that no
// draw reaches past the draw area or the target.
#include "media/graphics/soft_draw.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/graphics/mem_img_draw.h"
#include "tests/media/graphics/soft_target.h"

using namespace ZaDod;
using softtest::rgb;
using softtest::Target;

namespace {

using SoftDraw = softtest::DrawStateFixture;
using Pixels = std::set<std::pair<int, int>>;

constexpr uint32_t kStep = 0xFF0A0A0Au;  // added once per hit under additive blending

Pixels lit(const Target& t) {
    Pixels p;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            if (t.at(x, y) != rgb(0, 0, 0)) p.insert({x, y});
    return p;
}

// Every lit pixel was hit exactly once (additive blending of kStep over black).
bool hitOnce(const Target& t) {
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            if (t.at(x, y) != rgb(0, 0, 0) && t.at(x, y) != kStep) return false;
    return true;
}

// The thin and filled ellipse walks of the hardware back ends, step by step, as a
// reference: points (outline) or the first span of each row (filled).
struct OvalReference {
    Pixels points;
    std::map<int, std::pair<int, int>> rows;
    int cx, cy;
    void point(int x, int y) {
        points.insert({x, y});
        rows.try_emplace(y, cx - std::abs(x - cx), cx + std::abs(x - cx));
    }
    void four(int x, int y) {
        point(cx + x, cy + y), point(cx - x, cy + y), point(cx + x, cy - y), point(cx - x, cy - y);
    }
    OvalReference(int cx_, int cy_, int rx, int ry) : cx(cx_), cy(cy_) {
        long e = 3 - 2 * rx, f = 3 - 4 * rx, a = 0, x = rx, y = 0, s = 0;
        bool emit = false;
        point(cx - rx, cy), point(cx + rx, cy);
        if (rx < ry) {
            const long k = long(ry) * ry / rx;
            if (e < 0) { e += 6; f += 4; y = 1; emit = true; }
            else {
                a = rx;
                if (f < 0) {
                    emit = true;
                    if (rx >= k) { x = rx - 1; a = rx - k; }
                    e += 6 - 4 * x; f += 6 - 4 * x; y = 1;
                }
                else { if (rx >= k) { x = rx - 1; a = rx - k; emit = true; } e -= 4 * x; f += 2 - 4 * x; }
            }
            while (x > 0) {
                if (emit) four(x, y);
                emit = false;
                if (e >= 0) {
                    a += rx;
                    if (f >= 0) {
                        if (a < k) { e -= 4 * x; f += 2 - 4 * x; continue; }
                        a -= k; x -= 1; e -= 4 * x; f += 2 - 4 * x; emit = true; continue;
                    }
                    emit = true;
                    if (a >= k) { a -= k; x -= 1; }
                    y += 1; s = y - x; f += 2;
                } else { y += 1; s = y; emit = true; }
                e += 2 + 4 * s; f += 4 * s;
            }
        } else {
            const long k = long(rx) * rx / ry;
            if (e < 0) { a = ry; if (ry >= k) { y = 1; a = ry - k; emit = true; } e += 2 + 4 * y; f += 4 * y; }
            else {
                x = rx - 1; emit = true;
                if (f < 0) { a = ry; if (ry >= k) { y = 1; a = ry - k; } s = y - x; e += 2 + 4 * s; f += 2 + 4 * s; }
                else { e -= 4 * x; f += 2 - 4 * x; }
            }
            while (x > 0) {
                if (emit) four(x, y);
                emit = false;
                if (e >= 0) {
                    x -= 1; emit = true;
                    if (f >= 0) { e -= 4 * x; f += 2 - 4 * x; continue; }
                    a += ry; if (a >= k) { y += 1; a -= k; }
                    s = y - x; f += 2;
                } else { a += ry; if (a >= k) { y += 1; a -= k; emit = true; } s = y; }
                e += 2 + 4 * s; f += 4 * s;
            }
        }
        point(cx + x, cy - y), point(cx - x, cy + y);
    }
    Pixels filled() const {
        Pixels p;
        for (auto& [row, span] : rows)
            for (int x = span.first; x <= span.second; ++x) p.insert({x, row});
        return p;
    }
};

}  // namespace

TEST_F(SoftDraw, ShapesLightTheirPixelsOnce) {
    struct Case {
        std::string name;
        std::function<void()> draw;
        int count;
        Pixels in, out;
    };
    const uint32_t c = kStep;
    const Case cases[] = {
        {"circle outline", [&] { SoftDrawCircle(20, 20, 4, c, 0); }, 24,
         {{19, 16}, {20, 16}, {21, 16}, {17, 17}, {18, 17}, {22, 17}, {23, 17}, {16, 20}, {24, 20}},
         {{20, 20}, {20, 15}}},
        {"filled circle", [&] { SoftDrawCircle(20, 20, 4, c, 1); }, 61, {{20, 20}, {16, 20}, {20, 24}}, {{16, 16}}},
        {"box outline", [&] { SoftDrawBoxOutline(10, 10, 14, 13, c); }, 10, {{10, 10}, {13, 10}, {10, 12}, {13, 12}},
         {{14, 10}, {10, 13}, {11, 11}}},
        {"reversed box outline", [&] { SoftDrawBoxOutline(14, 13, 10, 10, c); }, 10, {{10, 10}, {13, 12}}, {}},
        {"one-pixel box outline", [&] { SoftDrawBoxOutline(5, 5, 6, 6, c); }, 1, {{5, 5}}, {}},
        {"filled box", [&] { SoftDrawFilledBox(12, 9, 3, 4, c); }, 45, {{3, 4}, {11, 8}}, {{12, 8}, {3, 9}}},
        {"line", [&] { SoftDrawLine(0, 0, 4, 2, c); }, 4, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}, {{4, 2}}},
        {"steep line upwards", [&] { SoftDrawLine(5, 9, 6, 1, c); }, 8, {{5, 9}, {5, 5}, {6, 4}, {6, 2}},
         {{6, 1}, {6, 5}}},
        {"zero-length line", [&] { SoftDrawLine(7, 7, 7, 7, c); }, 0, {}, {{7, 7}}},
        {"triangle", [&] { SoftDrawTriangle(0, 0, 4, 0, 0, 4, c, 1); }, 6, {{0, 0}, {2, 0}, {0, 2}}, {{3, 0}, {1, 2}}},
        {"second triangle", [&] { SoftDrawTriangle(4, 0, 4, 4, 0, 4, c, 1); }, 10, {{3, 0}, {0, 3}}, {{4, 0}}},
        {"both triangles", [&] { SoftDrawTriangle(0, 0, 4, 0, 0, 4, c, 1); SoftDrawTriangle(4, 0, 4, 4, 0, 4, c, 1); },
         16, {{0, 0}, {3, 3}}, {{4, 4}}},
        {"triangle outline", [&] { SoftDrawTriangle(2, 2, 12, 2, 2, 12, c, 0); }, 30, {{2, 2}, {12, 2}, {2, 12}}, {}},
        {"quadrangle outline", [&] { SoftDrawQuadrangle(2, 2, 8, 2, 8, 8, 2, 8, c, 0); }, 24, {{2, 2}, {8, 8}}, {}},
        {"filled quadrangle", [&] { SoftDrawQuadrangle(2, 2, 8, 2, 8, 8, 2, 8, c, 1); }, 36, {{2, 2}, {7, 7}},
         {{8, 8}}},
        {"thick ring", [&] { SoftDrawThickCircle(20, 20, 5, c, 3); }, 0, {{14, 20}, {16, 20}, {18, 14}}, {{17, 20}}},
    };
    for (const Case& k : cases) {
        Target t(40, 40, kMemImgX8R8G8B8);
        t.fill(rgb(0, 0, 0));
        t.use();
        SetMemImgBlendMode(2, 255);
        k.draw();
        SCOPED_TRACE(k.name);
        if (k.count > 0 || k.name.find("zero") != std::string::npos) {
            EXPECT_EQ(t.count(rgb(0, 0, 0)), k.count);
        }
        for (auto p : k.in) EXPECT_EQ(t.at(p.first, p.second), kStep) << p.first << "," << p.second;
        for (auto p : k.out) EXPECT_EQ(t.at(p.first, p.second), rgb(0, 0, 0)) << p.first << "," << p.second;
        EXPECT_TRUE(hitOnce(t));
        EXPECT_TRUE(t.guardIntact());
    }
}

TEST_F(SoftDraw, ThickLineQuadrangleIsFilledToItsCorners) {
    // A thick diagonal line as the drawing front makes it: every pixel whose centre
    // lies inside the quadrangle is lit once, none outside.
    const int q[8] = {4, 10, 10, 4, 30, 24, 24, 30};
    Target t(40, 40, kMemImgX8R8G8B8);
    t.fill(rgb(0, 0, 0));
    t.use();
    SetMemImgBlendMode(2, 255);
    SoftDrawQuadrangle(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], kStep, 1);
    EXPECT_TRUE(hitOnce(t));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            bool inside = true, outside = false;
            for (int i = 0; i < 4; ++i) {
                const int j = (i + 1) % 4;
                const double cross =
                    (q[2 * j] - q[2 * i]) * (py - q[2 * i + 1]) - (q[2 * j + 1] - q[2 * i + 1]) * (px - q[2 * i]);
                inside = inside && cross > 0;
                outside = outside || cross < 0;
            }
            if (inside) {
                EXPECT_EQ(t.at(x, y), kStep) << x << "," << y;
            } else if (outside) {
                EXPECT_EQ(t.at(x, y), rgb(0, 0, 0)) << x << "," << y;
            }
        }
    // Pixels next to each corner.
    for (auto [x, y] : {std::pair{5, 10}, {10, 5}, {28, 24}, {24, 28}}) EXPECT_EQ(t.at(x, y), kStep) << x << "," << y;
}

TEST_F(SoftDraw, OvalsFollowTheBackEndWalk) {
    struct Case { int rx, ry; } cases[] = {{10, 4}, {3, 9}, {1, 1}, {7, 7}, {2, 15}, {1, 19}, {19, 1}, {2, 18}, {19, 2}};
    for (const Case& c : cases) {
        for (int fill : {0, 1}) {
            Target t(40, 40, kMemImgX8R8G8B8);
            t.fill(rgb(0, 0, 0));
            t.use();
            SetMemImgBlendMode(2, 255);
            EXPECT_EQ(SoftDrawOval(20, 19, c.rx, c.ry, kStep, fill), 0);
            const OvalReference ref(20, 19, c.rx, c.ry);
            Pixels expected;
            for (auto p : fill ? ref.filled() : ref.points)
                if (p.first >= 0 && p.first < 40 && p.second >= 0 && p.second < 40) expected.insert(p);
            EXPECT_EQ(lit(t), expected) << c.rx << "x" << c.ry << " fill " << fill;
            EXPECT_TRUE(hitOnce(t));
        }
    }
}

TEST_F(SoftDraw, RingsDrawTheirSpanRows) {
    // Ring rows: two spans where there is a hole, one above and below it.
    Target t(40, 40, kMemImgX8R8G8B8);
    t.fill(rgb(0, 0, 0));
    t.use();
    SetMemImgBlendMode(2, 255);
    EXPECT_EQ(SoftDrawThickCircle(20, 20, 5, kStep, 3), 0);
    EXPECT_TRUE(hitOnce(t));
    auto row = [&](int y) {
        std::string s;
        for (int x = 12; x < 29; ++x) s += t.at(x, y) == kStep ? '#' : '.';
        return s;
    };
    EXPECT_EQ(row(13), ".................");
    EXPECT_EQ(row(14), "......#####......");
    EXPECT_EQ(row(16), "....####.####....");
    EXPECT_EQ(row(20), "..###.......###..");
    EXPECT_EQ(row(25), ".....#######.....");
    // Thin and thick ovals stay inside their box.
    t.fill(rgb(0, 0, 0));
    EXPECT_EQ(SoftDrawThickOval(20, 20, 12, 5, kStep, 4), 0);
    EXPECT_TRUE(hitOnce(t));
    for (auto [x, y] : lit(t)) {
        EXPECT_LE(std::abs(x - 20), 14);
        EXPECT_LE(std::abs(y - 20), 7);
    }
    EXPECT_EQ(t.at(20, 20), rgb(0, 0, 0));
    EXPECT_EQ(t.at(33, 20), kStep);
}

TEST_F(SoftDraw, EverythingStaysInsideTheDrawArea) {
    const int big = 1 << 30;
    std::vector<uint32_t> argb(15 * 9);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = (i % 3 ? 0xFF000000u : 0x80000000u) | (0x10203u * i);
    softtest::Picture pic(15, 9, kMemImgX8R8G8B8, 1, argb);
    const double far[8] = {-3e6, -2e6, 4e6, -1e6, 5e6, 3e6, -1e6, 2e6};
    const std::function<void()> draws[] = {
        [&] { DrawMemImg(&pic.img, -7, 14, 1); },
        [&] { DrawMemImg(&pic.img, big, -big, 0); },
        [&] { DrawStretchMemImg(&pic.img, -big, -big, big, big, 1); },
        [&] { DrawStretchMemImg(&pic.img, INT_MAX, 3, INT_MIN, 30, 0); },
        [&] { DrawQuadMemImg(&pic.img, far, 1); },
        [&] { SoftDrawCircle(-big, big, 5, kStep, 0); },
        [&] { SoftDrawCircle(10, 10, big, kStep, 1); },
        [&] { SoftDrawCircle(10, 10, 50, kStep, 1); },
        [&] { SoftDrawCircle(10, 10, -3, kStep, 1); },
        [&] { SoftDrawCircle(10, 10, 12, kStep, 0); },
        [&] { SoftDrawOval(10, 10, 30, 2, kStep, 0); },
        [&] { SoftDrawOval(10, 10, -30, 20, kStep, 1); },
        [&] { SoftDrawOval(big, -big, big, big, kStep, 1); },
        [&] { SoftDrawThickCircle(10, 10, 20, kStep, 7); },
        [&] { SoftDrawThickCircle(big, big, big, kStep, big); },
        [&] { SoftDrawThickOval(10, 10, 20, 9, kStep, 5); },
        [&] { SoftDrawThickOval(-big, 10, big, 9, kStep, 5); },
        [&] { SoftDrawFilledBox(-big, -big, big, big, kStep); },
        [&] { SoftDrawFilledBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kStep); },
        [&] { SoftDrawBoxOutline(-big, -big, big, big, kStep); },
        [&] { SoftDrawBoxOutline(2, 2, 30, 30, kStep); },
        [&] { SoftDrawLine(-big, -big, big, big, kStep); },
        [&] { SoftDrawLine(INT_MIN, 5, INT_MAX, 6, kStep); },
        [&] { SoftDrawLine(big, -big, -big, big, kStep); },
        [&] { SoftDrawLine(0, 30, 30, 0, kStep); },
        [&] { SoftDrawTriangle(-big, -big, big, 0, 0, big, kStep, 1); },
        [&] { SoftDrawTriangle(INT_MIN, INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, kStep, 0); },
        [&] { SoftDrawQuadrangle(-big, -big, big, -big, big, big, -big, big, kStep, 1); },
    };
    const ImageRect areas[] = {{4, 6, 17, 15}, {0, 9, 20, 10}, {5, 5, 5, 20}, {-50, -50, 100, 100}, {8, 8, 3, 3}};
    for (int bits : {kMemImgR5G6B5, kMemImgX8R8G8B8}) {
        for (const ImageRect& area : areas) {
            int index = 0;
            for (const auto& draw : draws) {
                Target t(20, 20, bits);
                t.use(area);
                SetMemImgBlendMode(0, 0);
                draw();
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 20; ++x) {
                        const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
                        if (!inside) {
                            EXPECT_EQ(t.at(x, y), 0u) << "draw " << index << " at " << x << "," << y;
                        }
                    }
                EXPECT_TRUE(t.guardIntact()) << "draw " << index;
                ++index;
            }
        }
    }
}

TEST_F(SoftDraw, OneRowAreaWalksOneRow) {
    Target t(30, 30, kMemImgX8R8G8B8);
    t.fill(rgb(0, 0, 0));
    t.use(ImageRect{0, 12, 30, 13});
    SetMemImgBlendMode(2, 255);
    EXPECT_EQ(SoftDrawThickCircle(15, 15, 6, kStep, 2), 0);
    EXPECT_EQ(SoftDrawCircle(15, 15, 3, kStep, 1), 0);
    const Pixels p = lit(t);
    ASSERT_FALSE(p.empty());
    for (auto [x, y] : p) EXPECT_EQ(y, 12);
    // No target: nothing to do, and nothing fails.
    SetMemImgDrawTarget(nullptr);
    EXPECT_EQ(SoftDrawCircle(15, 15, 3, kStep, 1), 0);
    EXPECT_EQ(SoftDrawGraph(0, 0, 12345, 1), -1);
}
