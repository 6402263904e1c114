// Span builders of thick outlines and the shared circle and ellipse walks.
#include "media/graphics/spans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "media/graphics/graphics_state.h"
#include "media/graphics/shape_walks.h"

using namespace ZaDod;

namespace {

constexpr int kRows = 64;

struct Table {
    std::vector<int16_t> v = std::vector<int16_t>(kRows * kSpanRowValues, 0);
    const int16_t* row(int y) const { return v.data() + y * kSpanRowValues; }
    std::vector<int16_t> rowValues(int y) const { return {row(y), row(y) + kSpanRowValues}; }
};

const ImageRect kWide{0, 0, 64, kRows};

void keepFirst(void* context, int y, int left, int right) {
    static_cast<std::map<int, std::pair<int, int>>*>(context)->try_emplace(y, left, right);
}

void collectPoint(void* context, int x, int y) { static_cast<std::set<std::pair<int, int>>*>(context)->insert({x, y}); }

}  // namespace

TEST(Spans, ThickCircleRows) {
    Table t;
    EXPECT_EQ(BuildThickCircleSpansIn(kWide, 20, 20, 5, 3, t.v.data()), 0);
    EXPECT_EQ(t.rowValues(14), (std::vector<int16_t>{18, 22, 0, 0, 3}));
    EXPECT_EQ(t.rowValues(16), (std::vector<int16_t>{16, 24, 19, 21, 15}));
    EXPECT_EQ(t.rowValues(20), (std::vector<int16_t>{14, 26, 16, 24, 15}));
    EXPECT_EQ(t.rowValues(25), (std::vector<int16_t>{17, 23, 0, 0, 3}));
    for (int y = 0; y < kRows; ++y) EXPECT_EQ(t.row(y)[4] != 0, y >= 14 && y <= 26) << y;

    // A draw area starting at row 17 leaves the rows above it alone and the rest as before.
    Table clipped;
    BuildThickCircleSpansIn(ImageRect{0, 17, 64, kRows}, 20, 20, 5, 3, clipped.v.data());
    for (int y = 0; y < kRows; ++y)
        EXPECT_EQ(clipped.rowValues(y), y < 17 ? std::vector<int16_t>(5, 0) : t.rowValues(y)) << y;

    // The named builder reads the draw area of the draw settings.
    const ImageRect kept = GraphicsDrawSettings.drawArea;
    GraphicsDrawSettings.drawArea = ImageRect{0, 17, 64, kRows};
    Table named;
    BuildThickCircleSpans(20, 20, 5, 3, named.v.data());
    GraphicsDrawSettings.drawArea = kept;
    EXPECT_EQ(named.v, clipped.v);
}

TEST(Spans, ThicknessExtremes) {
    // Thickness 1: the inner trace is the outer one.
    Table one;
    BuildThickCircleSpansIn(kWide, 30, 30, 9, 1, one.v.data());
    int rows = 0;
    for (int y = 0; y < kRows; ++y) {
        const int16_t* r = one.row(y);
        if (r[4] == 0) continue;
        ++rows;
        EXPECT_EQ(r[4], 15) << y;
        EXPECT_EQ(r[0], r[2]) << y;
        EXPECT_EQ(r[1], r[3]) << y;
    }
    EXPECT_EQ(rows, 19);

    // Above twice the radius: no hole, a filled disc of radius + thickness / 2.
    for (int thickness : {11, 12, 30}) {
        Table disc;
        BuildThickCircleSpansIn(kWide, 30, 30, 5, thickness, disc.v.data());
        Table filled;
        BuildThickCircleSpansIn(kWide, 30, 30, 5 + thickness / 2, 1, filled.v.data());
        for (int y = 0; y < kRows; ++y) {
            const int16_t* r = disc.row(y);
            EXPECT_TRUE(r[4] == 0 || r[4] == 3) << thickness << " row " << y;
            EXPECT_EQ(r[0], filled.row(y)[0]);
            EXPECT_EQ(r[1], filled.row(y)[1]);
        }
    }
    // Thickness 0 and negative radii build nothing.
    Table none;
    BuildThickCircleSpansIn(kWide, 30, 30, 5, 0, none.v.data());
    BuildThickCircleSpansIn(kWide, 30, 30, -5, 3, none.v.data());
    BuildThickOvalSpansIn(kWide, 30, 30, -5, 4, 3, none.v.data());
    EXPECT_EQ(none.v, std::vector<int16_t>(none.v.size(), 0));
}

TEST(Spans, FarCentresAreCutToTheArea) {
    // Centres and radii past the 16-bit range: every value stays inside [left - 1, right].
    const ImageRect area{5, 3, 40, 50};
    struct Case { int x, y, radius; } cases[] = {
        {1 << 30, 20, (1 << 20) - 2}, {-(1 << 30), 20, 5}, {20, 20, 70000}, {100000, 25, 99990}, {20, -70000, 70020}};
    for (const Case& c : cases) {
        for (bool oval : {false, true}) {
            Table t;
            if (oval) {
                BuildThickOvalSpansIn(area, c.x, c.y, c.radius, c.radius / 2 + 1, 5, t.v.data());
            } else {
                BuildThickCircleSpansIn(area, c.x, c.y, c.radius, 5, t.v.data());
            }
            for (int y = 0; y < kRows; ++y) {
                const int16_t* r = t.row(y);
                if (y < area.top || y >= area.bottom) {
                    EXPECT_EQ(r[4], 0) << y;
                }
                for (int i = 0; i < 4; ++i) {
                    if (!(r[4] & (1 << i))) continue;
                    EXPECT_GE(r[i], area.left - 1) << c.x << " row " << y;
                    EXPECT_LE(r[i], area.right) << c.x << " row " << y;
                }
            }
        }
    }
}

TEST(Spans, OvalEdgesFollowTheEllipse) {
    struct Case { int rx, ry, thickness; } cases[] = {{10, 4, 1}, {3, 9, 2}, {25, 17, 5}, {1, 1, 1}, {30, 2, 3}};
    for (const Case& c : cases) {
        Table t;
        const int cx = 32, cy = 32;
        BuildThickOvalSpansIn(kWide, cx, cy, c.rx, c.ry, c.thickness, t.v.data());
        const int h = c.thickness / 2, in = h - (c.thickness % 2 == 0 ? 1 : 0);
        for (int dy = 0; cy + dy < kRows; ++dy) {
            const int16_t* lower = t.row(cy + dy);
            const int16_t* upper = t.row(cy - dy);
            EXPECT_EQ(lower[4], upper[4]) << c.rx << "x" << c.ry << " dy " << dy;
            for (int i = 0; i < 4; ++i) EXPECT_EQ(lower[i], upper[i]);
            if (lower[4] != 0) {
                EXPECT_EQ(lower[0] + lower[1], 2 * cx);
            }
            // An edge point lies within one pixel of its ellipse: the point and its eight
            // neighbours lie on both sides.
            auto near = [&](int x, int y, double a, double b) {
                bool in = false, out = false;
                for (int sx : {-1, 0, 1})
                    for (int sy : {-1, 0, 1}) {
                        const double u = (x + sx - cx) / a, v = (y + sy - cy) / b;
                        (u * u + v * v <= 1.0 ? in : out) = true;
                    }
                return in && out;
            };
            if (lower[4] & kSpanOuterRight) {
                EXPECT_TRUE(near(lower[1], cy + dy, c.rx + h, c.ry + h)) << c.rx << "x" << c.ry << " dy " << dy;
            }
            if (lower[4] & kSpanInnerRight) {
                EXPECT_TRUE(near(lower[3], cy + dy, c.rx - in, c.ry - in)) << c.rx << "x" << c.ry << " dy " << dy;
            }
        }
    }
}

TEST(ShapeWalks, FilledCircleRowsEqualTheBuilder) {
    // The filled walk's first span of a row is the outline builder's outer edge pair.
    for (int radius = 0; radius <= 40; ++radius) {
        Table t;
        BuildThickCircleSpansIn(ImageRect{0, 0, 128, kRows}, 50, 31, radius > 31 ? 31 : radius, 1, t.v.data());
        std::map<int, std::pair<int, int>> rows;
        WalkCircleFill(ImageRect{0, 0, 128, kRows}, 50, 31, radius > 31 ? 31 : radius, keepFirst, &rows);
        for (int y = 0; y < kRows; ++y) {
            const auto it = rows.find(y);
            ASSERT_EQ(it != rows.end(), t.row(y)[4] != 0) << radius << " row " << y;
            if (it == rows.end()) continue;
            EXPECT_EQ(it->second.first, t.row(y)[0]) << radius << " row " << y;
            EXPECT_EQ(it->second.second, t.row(y)[1]) << radius << " row " << y;
        }
    }
}

TEST(ShapeWalks, CircleOutlinePoints) {
    std::set<std::pair<int, int>> points;
    WalkCircleOutline(kWide, 20, 20, 4, collectPoint, &points);
    EXPECT_EQ(points.size(), 24u);
    for (auto p : {std::pair{19, 16}, {20, 16}, {21, 16}, {17, 17}, {18, 17}, {22, 17}, {23, 17}, {16, 20}, {24, 20}})
        EXPECT_EQ(points.count(p), 1u) << p.first << "," << p.second;
    // Every point lies within half a pixel of the circle.
    for (auto [x, y] : points) EXPECT_NEAR(std::hypot(x - 20, y - 20), 4.0, 0.6) << x << "," << y;
    // Radius 0 is the centre; outside the area nothing comes.
    points.clear();
    WalkCircleOutline(kWide, 3, 3, 0, collectPoint, &points);
    EXPECT_EQ(points, (std::set<std::pair<int, int>>{{3, 3}}));
    points.clear();
    WalkCircleOutline(ImageRect{0, 0, 64, 0}, 3, 3, 2, collectPoint, &points);
    WalkCircleOutline(kWide, -100, 3, 20, collectPoint, &points);
    WalkCircleOutline(kWide, 3, 3, -1, collectPoint, &points);
    EXPECT_TRUE(points.empty());
}
