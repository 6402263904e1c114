// Shape primitives of software images: spans, filled boxes, pixels, lines and filled
// triangles in one colour, with the kernel picked once per call.
#include <algorithm>
#include <cstdlib>

#include "media/graphics/mem_img_draw.h"
#include "media/graphics/mem_img_pixel.h"

namespace ZaDod {
namespace softpix {
namespace {

template <class D>
constexpr SolidSpanFn kSolidRow[kOpCount] = {
    solidSpan<D, Op::Copy>,  solidSpan<D, Op::CopyAlpha>, solidSpan<D, Op::Blend>,
    solidSpan<D, Op::Add>,   solidSpan<D, Op::Sub>,       solidSpan<D, Op::Mul>,
    solidSpan<D, Op::InvDest>, solidSpan<D, Op::WhiteMul>, solidSpan<D, Op::Premul>,
};

constexpr const SolidSpanFn* kSolid[kDstKindCount] = {kSolidRow<Dst16>, kSolidRow<Dst16Alpha>, kSolidRow<Dst32>,
                                                       kSolidRow<Dst32Alpha>};

// One shape draw: the set-up, its colour and kernel, ready for spans.
struct ShapeDraw {
    DrawSetup setup;
    SolidColor color;
    SolidSpanFn fill = nullptr;

    explicit ShapeDraw(uint32_t c) {
        if (!SetupShapeDraw(&setup)) return;
        color = ShapeColor(setup, c);
        fill = PickSolidSpan(setup.dstKind, setup.op);
    }
    explicit operator bool() const { return fill != nullptr; }
    // [x1, x2) of row y, already inside the clip.
    void span(int y, int x1, int x2) const {
        fill(PixelAt(setup.target, x1, y, setup.dstBytes), x2 - x1, color);
    }
    void pixel(int x, int y) const { fill(PixelAt(setup.target, x, y, setup.dstBytes), 1, color); }
};

}  // namespace

SolidSpanFn PickSolidSpan(int dstKind, Op op) {
    if (dstKind < 0 || dstKind >= kDstKindCount || op == Op::None) return nullptr;
    return kSolid[dstKind][static_cast<int>(op)];
}

}  // namespace softpix

using namespace softpix;

void DrawSpanMemImg(int y, int x1, int x2, uint32_t color) {
    const ShapeDraw draw(color);
    if (!draw) return;
    const ImageRect& c = draw.setup.clip;
    if (y < c.top || y >= c.bottom) return;
    x1 = std::max(x1, c.left);
    x2 = std::min(x2, c.right);
    if (x1 < x2) draw.span(y, x1, x2);
}

void DrawFillBoxMemImg(const ImageRect* rect, uint32_t color) {
    if (rect == nullptr) return;
    const ShapeDraw draw(color);
    if (!draw) return;
    ImageRect box{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                  std::max(rect->left, rect->right), std::max(rect->top, rect->bottom)};
    ClipRect(&box, &draw.setup.clip);
    if (box.right <= box.left) return;
    for (int y = box.top; y < box.bottom; ++y) draw.span(y, box.left, box.right);
}

void DrawPixelMemImg(int x, int y, uint32_t color) {
    const ShapeDraw draw(color);
    if (!draw) return;
    const ImageRect& c = draw.setup.clip;
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) draw.pixel(x, y);
}

void DrawLineMemImg(int x1, int y1, int x2, int y2, uint32_t color) {
    if (x1 == x2 && y1 == y2) return;
    const ShapeDraw draw(color);
    if (!draw) return;
    const ImageRect& c = draw.setup.clip;
    // Walk along the major axis; the minor one steps when the error turns positive.
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major0 = xMajor ? x1 : y1, minor0 = xMajor ? y1 : x1;
    const int64_t length = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minorLength = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int minorStep = (xMajor ? dy : dx) > 0 ? 1 : -1;
    const int64_t majorLow = xMajor ? c.left : c.top, majorHigh = xMajor ? c.right : c.bottom;
    const int64_t minorLow = xMajor ? c.top : c.left, minorHigh = xMajor ? c.bottom : c.right;

    // Steps i in [first, last) whose major coordinate lies inside the clip.
    int64_t first, last;
    if (majorStep > 0) {
        first = majorLow - major0, last = majorHigh - major0;
    } else {
        first = major0 - majorHigh + 1, last = major0 - majorLow + 1;
    }
    first = std::max<int64_t>(first, 0);
    last = std::min(last, length);
    if (first >= last) return;

    // The walk's state at step `first`, in closed form: minor offset m = ceil((2 i dy - dx)
    // / (2 dx)), error e = 2 i dy - dx - 2 dx m (always in (-2 dx, 0]).
    const __int128 twoLength = __int128{2} * length;
    const __int128 num = __int128{2} * first * minorLength - length;
    const __int128 m = (num + twoLength - 1) / twoLength;
    int64_t error = static_cast<int64_t>(num - twoLength * m);
    int64_t minor = minor0 + minorStep * static_cast<int64_t>(m);
    int64_t major = major0 + majorStep * first;
    const int64_t twoMinor = 2 * minorLength;
    const int64_t twoMajor = 2 * length;
    for (int64_t i = first; i < last; ++i) {
        if (minor >= minorLow && minor < minorHigh) {
            if (xMajor)
                draw.pixel(static_cast<int>(major), static_cast<int>(minor));
            else
                draw.pixel(static_cast<int>(minor), static_cast<int>(major));
        } else if ((minorStep > 0 && minor >= minorHigh) || (minorStep < 0 && minor < minorLow)) {
            break;  // moving away from the clip for good
        }
        major += majorStep;
        error += twoMinor;
        if (error > 0) {
            minor += minorStep;
            error -= twoMajor;
        }
    }
}

void DrawTriangleMemImg(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color) {
    const ShapeDraw draw(color);
    if (!draw) return;
    const double v[6] = {double(x1), double(y1), double(x2), double(y2), double(x3), double(y3)};
    RasterTriangle(v, draw.setup.clip, [&](int y, int a, int b) { draw.span(y, a, b); });
}

}  // namespace ZaDod
