// Circle and ellipse walks: the midpoint circle walk, and the ellipse walk with two
// decision values and a step quotient, each either emitting outline points or the
// spans of a filled shape. All arithmetic is 64-bit.
#include "media/graphics/shape_walks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace ZaDod {
namespace {

struct PointSink {
    const ImageRect& area;
    int64_t cx, cy;
    ShapePointFn fn;
    void* context;

    void point(int64_t x, int64_t y) const {
        if (x >= area.left && x < area.right && y >= area.top && y < area.bottom)
            fn(context, static_cast<int>(x), static_cast<int>(y));
    }
};

struct SpanSink {
    const ImageRect& area;
    int64_t cx, cy;
    ShapeSpanFn fn;
    void* context;

    void span(int64_t y, int64_t left, int64_t right) const {
        if (y < area.top || y >= area.bottom || right < area.left || left >= area.right) return;
        fn(context, static_cast<int>(y), static_cast<int>(std::max<int64_t>(left, area.left)),
           static_cast<int>(std::min<int64_t>(right, int64_t{area.right} - 1)));
    }
};

bool missesArea(const ImageRect& area, int64_t cx, int64_t cy, int64_t rx, int64_t ry) {
    return area.right <= area.left || area.bottom <= area.top || cx + rx < area.left || cx - rx >= area.right ||
           cy + ry < area.top || cy - ry >= area.bottom;
}

// The largest distance from row cy to a row of the area.
int64_t rowLimit(const ImageRect& area, int64_t cy) {
    return std::max<int64_t>(cy - area.top, int64_t{area.bottom} - 1 - cy);
}

// The midpoint circle walk's decision update.
struct CircleWalk {
    int64_t x, y, d;
    explicit CircleWalk(int64_t r) : x(0), y(r), d(3 - 2 * r) {}
    void step() {
        if (d >= 0) {
            --y;
            d -= 4 * y;
        }
        d += 4 * x + 6;
        ++x;
    }
};

// The ellipse walk from (rx, 0) towards (0, ry). The sink gets ends() for the first
// two points (cx -+ rx, cy), quad(x, y) for the four points (cx +- x, cy +- y), and
// last(x, y) for the closing points (cx + x, cy - y) and (cx - x, cy + y).
// Rows past yLimit from the centre are outside the area: y only grows, so the walk
// ends there.
template <class Sink>
void walkOval(int64_t rx, int64_t ry, int64_t yLimit, Sink& sink) {
    int64_t e = 3 - 2 * rx, f = 3 - 4 * rx, a = 0;
    int64_t x = rx, y = 0, s = 0;
    bool emit = false;
    sink.ends();
    if (rx < ry) {
        const int64_t k = ry * ry / rx;
        if (e < 0) {
            e += 6, f += 4, y = 1, emit = true;
        } else {
            a = rx;
            if (f < 0) {
                emit = true;
                if (rx >= k) x = rx - 1, a = rx - k;
                e += 6 - 4 * x, f += 6 - 4 * x, y = 1;
            } else {
                if (rx >= k) x = rx - 1, a = rx - k, emit = true;
                e -= 4 * x, f += 2 - 4 * x;
            }
        }
        while (x > 0 && y <= yLimit) {
            if (emit) sink.quad(x, y);
            emit = false;
            if (e >= 0) {
                a += rx;
                if (f >= 0) {
                    if (a < k) {
                        e -= 4 * x, f += 2 - 4 * x;
                        // Passes like this one draw nothing; a thin ellipse makes up to
                        // ry^2 / rx^2 of them in a row, so take them all at once.
                        const int64_t t = 4 * x;
                        const int64_t m = std::min({e >= 0 ? e / t + 1 : 0, f >= 0 ? f / (t - 2) + 1 : 0,
                                                    k - a - 1 >= 0 ? (k - a - 1) / rx : 0});
                        a += m * rx, e -= m * t, f += m * (2 - t);
                    } else {
                        a -= k, --x;
                        e -= 4 * x, f += 2 - 4 * x, emit = true;
                    }
                    continue;
                }
                emit = true;
                if (a >= k) a -= k, --x;
                ++y, s = y - x, f += 2;
            } else {
                ++y, s = y, emit = true;
            }
            e += 2 + 4 * s, f += 4 * s;
        }
    } else {
        const int64_t k = rx * rx / ry;
        if (e < 0) {
            a = ry;
            if (ry >= k) y = 1, a = ry - k, emit = true;
            e += 2 + 4 * y, f += 4 * y;
        } else {
            x = rx - 1, emit = true;
            if (f < 0) {
                a = ry;
                if (ry >= k) y = 1, a = ry - k;
                s = y - x;
                e += 2 + 4 * s, f += 2 + 4 * s;
            } else {
                e -= 4 * x, f += 2 - 4 * x;
            }
        }
        while (x > 0 && y <= yLimit) {
            if (emit) sink.quad(x, y);
            emit = false;
            if (e >= 0) {
                --x, emit = true;
                if (f >= 0) {
                    e -= 4 * x, f += 2 - 4 * x;
                    continue;
                }
                a += ry;
                if (a >= k) ++y, a -= k;
                s = y - x, f += 2;
            } else {
                a += ry;
                if (a >= k) {
                    ++y, a -= k, emit = true;
                } else {
                    // As above: the passes until y or x next moves draw nothing.
                    const int64_t step = 2 + 4 * y;
                    const int64_t after = e + step;  // e once this pass is done
                    const int64_t m = std::min(after < 0 ? (-after - 1) / step + 1 : 0,
                                               k - a - 1 >= 0 ? (k - a - 1) / ry : 0);
                    a += m * ry, e += m * step, f += m * 4 * y;
                }
                s = y;
            }
            e += 2 + 4 * s, f += 4 * s;
        }
    }
    sink.last(x, y);
}

struct OvalPoints {
    PointSink out;
    int64_t rx;
    void ends() const {
        out.point(out.cx - rx, out.cy);
        out.point(out.cx + rx, out.cy);
    }
    void quad(int64_t x, int64_t y) const {
        out.point(out.cx - x, out.cy - y);
        out.point(out.cx + x, out.cy - y);
        out.point(out.cx - x, out.cy + y);
        out.point(out.cx + x, out.cy + y);
    }
    void last(int64_t x, int64_t y) const {
        out.point(out.cx + x, out.cy - y);
        out.point(out.cx - x, out.cy + y);
    }
};

struct OvalSpans {
    SpanSink out;
    int64_t rx;
    void ends() const { out.span(out.cy, out.cx - rx, out.cx + rx); }
    void quad(int64_t x, int64_t y) const {
        out.span(out.cy - y, out.cx - x, out.cx + x);
        out.span(out.cy + y, out.cx - x, out.cx + x);
    }
    void last(int64_t x, int64_t y) const { quad(x, y); }
};

}  // namespace

void WalkCircleOutline(const ImageRect& area, int x, int y, int radius, ShapePointFn point, void* context) {
    if (radius < 0 || radius > kMaxWalkRadius || missesArea(area, x, y, radius, radius)) return;
    const PointSink out{area, x, y, point, context};
    const int64_t cx = x, cy = y, r = radius;
    out.point(cx - r, cy);
    out.point(cx + r, cy);
    out.point(cx, cy + r);
    out.point(cx, cy - r);
    CircleWalk w(r);
    w.step();
    while (w.x <= w.y) {
        out.point(cx + w.y, cy + w.x);
        out.point(cx + w.y, cy - w.x);
        out.point(cx - w.y, cy + w.x);
        out.point(cx - w.y, cy - w.x);
        out.point(cx + w.x, cy + w.y);
        out.point(cx + w.x, cy - w.y);
        out.point(cx - w.x, cy + w.y);
        out.point(cx - w.x, cy - w.y);
        w.step();
    }
}

void WalkCircleFill(const ImageRect& area, int x, int y, int radius, ShapeSpanFn span, void* context) {
    if (radius < 0 || radius > kMaxWalkRadius || missesArea(area, x, y, radius, radius)) return;
    const SpanSink out{area, x, y, span, context};
    const int64_t cx = x, cy = y;
    CircleWalk w(radius);
    while (w.x <= w.y) {
        out.span(cy + w.x, cx - w.y, cx + w.y);
        out.span(cy - w.x, cx - w.y, cx + w.y);
        if (w.d >= 0) {
            out.span(cy + w.y, cx - w.x, cx + w.x);
            out.span(cy - w.y, cx - w.x, cx + w.x);
        }
        w.step();
    }
}

void WalkOvalOutline(const ImageRect& area, int x, int y, int radiusX, int radiusY, ShapePointFn point,
                     void* context) {
    const int64_t rx = std::llabs(radiusX), ry = std::llabs(radiusY);
    if (rx == 0 || ry == 0 || rx > kMaxWalkRadius || ry > kMaxWalkRadius || missesArea(area, x, y, rx, ry)) return;
    OvalPoints sink{PointSink{area, x, y, point, context}, rx};
    walkOval(rx, ry, rowLimit(area, y), sink);
}

void WalkOvalFill(const ImageRect& area, int x, int y, int radiusX, int radiusY, ShapeSpanFn span, void* context) {
    const int64_t rx = std::llabs(radiusX), ry = std::llabs(radiusY);
    if (rx == 0 || ry == 0 || rx > kMaxWalkRadius || ry > kMaxWalkRadius || missesArea(area, x, y, rx, ry)) return;
    OvalSpans sink{SpanSink{area, x, y, span, context}, rx};
    walkOval(rx, ry, rowLimit(area, y), sink);
}

}  // namespace ZaDod
