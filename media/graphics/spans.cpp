// Span builders of thick circle and ellipse outlines: the circle by the midpoint walk,
// the ellipse row by row, both in 64-bit arithmetic and written only for the rows of
// the draw area, with every value cut to the area's columns.
#include "media/graphics/spans.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/graphics/graphics_state.h"

namespace ZaDod {
namespace {

class SpanWriter {
public:
    SpanWriter(const ImageRect& area, int16_t* table)
        : table_(table),
          top_(area.top),
          bottom_(area.bottom),
          low_(std::max<int64_t>(int64_t{area.left} - 1, INT16_MIN)),
          high_(std::min<int64_t>(area.right, INT16_MAX)) {
        if (high_ < low_) high_ = low_;
    }

    bool rowsMiss(int64_t first, int64_t last) const { return last < top_ || first >= bottom_; }

    // The edges xl and xr of row y: outer edges keep the outermost values, and so do
    // inner edges, which narrows the ring.
    void outer(int64_t y, int64_t xl, int64_t xr) { write(y, xl, xr, 0, kSpanOuterLeft, kSpanOuterRight); }
    void inner(int64_t y, int64_t xl, int64_t xr) { write(y, xl, xr, 2, kSpanInnerLeft, kSpanInnerRight); }

private:
    void write(int64_t y, int64_t xl, int64_t xr, int slot, int16_t leftFlag, int16_t rightFlag) {
        if (y < top_ || y >= bottom_) return;
        int16_t* row = table_ + y * kSpanRowValues;
        const auto left = static_cast<int16_t>(std::clamp(xl, low_, high_));
        const auto right = static_cast<int16_t>(std::clamp(xr, low_, high_));
        int16_t& flags = row[4];
        if (!(flags & leftFlag) || left < row[slot]) row[slot] = left;
        if (!(flags & rightFlag) || right > row[slot + 1]) row[slot + 1] = right;
        flags = static_cast<int16_t>(flags | leftFlag | rightFlag);
    }

    int16_t* table_;
    int64_t top_, bottom_, low_, high_;
};

// Midpoint walk of a circle; edge(row, left, right) for every traced point, mirrored
// into all eight octants.
template <class Edge>
void traceCircle(int64_t cx, int64_t cy, int64_t r, Edge&& edge) {
    edge(cy, cx - r, cx + r);
    edge(cy - r, cx, cx);
    edge(cy + r, cx, cx);
    int64_t x = 0, y = r, d = 3 - 2 * r;
    auto step = [&] {
        if (d >= 0) {
            --y;
            d -= 4 * y;
        }
        d += 4 * x + 6;
        ++x;
    };
    step();
    while (x <= y) {
        edge(cy - y, cx - x, cx + x);
        edge(cy + y, cx - x, cx + x);
        edge(cy - x, cx - y, cx + y);
        edge(cy + x, cx - y, cx + y);
        step();
    }
}

// floor(sqrt(v)) of a non-negative 128-bit value.
int64_t isqrt(__int128 v) {
    auto s = static_cast<int64_t>(std::sqrt(static_cast<long double>(v)));
    while (s > 0 && __int128{s} * s > v) --s;
    while (__int128{s + 1} * (s + 1) <= v) ++s;
    return s;
}

// Half width of an ellipse of radii a, b on the row dy from its centre: the width
// where the row's inner side (|dy| - 1/2) meets the ellipse, rounded to nearest.
int64_t ovalHalfWidth(int64_t a, int64_t b, int64_t dy) {
    if (dy == 0) return a;
    const int64_t t = 2 * dy - 1;
    const __int128 inside = __int128{4} * b * b - __int128{t} * t;
    const int64_t s = isqrt(__int128{a} * a * inside);  // a * sqrt(4b^2 - t^2)
    return (s + b) / (2 * b);
}

template <class Edge>
void traceOval(const ImageRect& area, int64_t cx, int64_t cy, int64_t a, int64_t b, Edge&& edge) {
    const int64_t first = std::max<int64_t>(cy - b, area.top);
    const int64_t last = std::min<int64_t>(cy + b, int64_t{area.bottom} - 1);
    for (int64_t row = first; row <= last; ++row) {
        const int64_t w = ovalHalfWidth(a, b, row > cy ? row - cy : cy - row);
        edge(row, cx - w, cx + w);
    }
}

}  // namespace

int BuildThickCircleSpansIn(const ImageRect& area, int x, int y, int radius, int thickness, int16_t* table) {
    if (table == nullptr || radius < 0 || radius > kMaxSpanRadius || thickness < 1) return 0;
    SpanWriter writer(area, table);
    const int64_t h = thickness / 2;
    const int64_t outerRadius = radius + h;
    const int64_t innerRadius = radius - h + (thickness % 2 == 0 ? 1 : 0);
    if (outerRadius > kMaxSpanRadius || writer.rowsMiss(int64_t{y} - outerRadius, int64_t{y} + outerRadius))
        return 0;
    traceCircle(x, y, outerRadius, [&](int64_t row, int64_t l, int64_t r) { writer.outer(row, l, r); });
    // A ring at least twice as thick as its radius has no hole.
    if (innerRadius > 0)
        traceCircle(x, y, innerRadius, [&](int64_t row, int64_t l, int64_t r) { writer.inner(row, l, r); });
    return 0;
}

int BuildThickOvalSpansIn(const ImageRect& area, int x, int y, int radiusX, int radiusY, int thickness,
                          int16_t* table) {
    if (table == nullptr || radiusX < 0 || radiusY < 0 || radiusX > kMaxSpanRadius || radiusY > kMaxSpanRadius ||
        thickness < 1)
        return 0;
    SpanWriter writer(area, table);
    const int64_t h = thickness / 2;
    const int64_t shrink = h - (thickness % 2 == 0 ? 1 : 0);
    if (radiusX + h > kMaxSpanRadius || radiusY + h > kMaxSpanRadius) return 0;
    traceOval(area, x, y, radiusX + h, radiusY + h,
              [&](int64_t row, int64_t l, int64_t r) { writer.outer(row, l, r); });
    if (radiusX - shrink > 0 && radiusY - shrink > 0)
        traceOval(area, x, y, radiusX - shrink, radiusY - shrink,
                  [&](int64_t row, int64_t l, int64_t r) { writer.inner(row, l, r); });
    return 0;
}

int BuildThickCircleSpans(int x, int y, int radius, int thickness, int16_t* table) {
    return BuildThickCircleSpansIn(GraphicsDrawSettings.drawArea, x, y, radius, thickness, table);
}

int BuildThickOvalSpans(int x, int y, int radiusX, int radiusY, int thickness, int16_t* table) {
    return BuildThickOvalSpansIn(GraphicsDrawSettings.drawArea, x, y, radiusX, radiusY, thickness, table);
}

}  // namespace ZaDod
