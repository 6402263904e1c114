// Internal to the software renderer: the pixel layouts that drawing reads and writes,
// the per-channel rules of the blend modes, the span kernels built from them, and the
// per-call draw set-up that picks layout, rule and colour tables before any pixel loop.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "media/graphics/mem_img.h"
#include "media/graphics/pixel_widen.h"

namespace ZaDod::softpix {

// x * y / 255 truncated, for x and y in 0..255: the product table's value without the
// 256 KB table (checked against it entry by entry in the tests).
inline int mul255(int x, int y) {
    const int t = x * y;
    return (t + 1 + (t >> 8)) >> 8;
}

// mul255 of two 8-bit channels at once, held in bits 0..7 and 16..23 of v.
inline uint32_t mul255Pair(uint32_t v, uint32_t a) {
    uint32_t t = v * a;
    t += ((t >> 8) & 0x00FF00FFu) + 0x00010001u;
    return (t >> 8) & 0x00FF00FFu;
}

// Mode 1 on X8R8G8B8 pixels, two channels per multiply; the same values as channel().
inline uint32_t blendPixel32(uint32_t s, uint32_t d, uint32_t a) {
    const uint32_t ia = 255 - a;
    const uint32_t rb = mul255Pair(s & 0x00FF00FFu, a) + mul255Pair(d & 0x00FF00FFu, ia);
    const uint32_t g = mul255Pair((s >> 8) & 0xFFu, a) + mul255Pair((d >> 8) & 0xFFu, ia);
    return 0xFF000000u | rb | g << 8;
}

inline int widen5(int v) { return static_cast<int>(pixel::widen5(static_cast<uint32_t>(v))); }
inline int widen6(int v) { return static_cast<int>(pixel::widen6(static_cast<uint32_t>(v))); }

// How a blend mode combines one channel; the pixel kind of the mode (inverted, times
// four) is folded into the colour tables instead.
enum class Op : uint8_t { Copy, CopyAlpha, Blend, Add, Sub, Mul, InvDest, WhiteMul, Premul, None };
constexpr int kOpCount = 9;  // None draws nothing and has no kernel

template <Op op>
inline int channel(int s, int d, int a) {
    if constexpr (op == Op::Copy || op == Op::CopyAlpha) {
        return s;
    } else if constexpr (op == Op::Blend) {
        return mul255(s, a) + mul255(d, 255 - a);
    } else if constexpr (op == Op::Add) {
        const int v = d + mul255(s, a);
        return v > 255 ? 255 : v;
    } else if constexpr (op == Op::Sub) {
        const int v = d - mul255(s, a);
        return v < 0 ? 0 : v;
    } else if constexpr (op == Op::Mul) {
        return mul255(d, s);
    } else if constexpr (op == Op::InvDest) {
        return mul255(s, 255 - d);
    } else if constexpr (op == Op::WhiteMul) {
        return mul255(d, mul255(s, a) + 255 - a);
    } else {  // Premul
        const int v = s + mul255(d, 255 - a);
        return v > 255 ? 255 : v;
    }
}

// ---- Pixel layouts: R5G6B5 or X8R8G8B8 colour in 2 or 4 bytes, alpha (if any) in
// bits 16..23 (16-bit colour) or 24..31. load widens to 8-bit channels, store narrows by
// keeping the top bits.

inline uint32_t loadPixel(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, static_cast<size_t>(bytes));
    return v;
}

inline void split565(uint32_t v, int& r, int& g, int& b) {
    r = widen5(static_cast<int>((v >> 11) & 31));
    g = widen6(static_cast<int>((v >> 5) & 63));
    b = widen5(static_cast<int>(v & 31));
}

inline void split888(uint32_t v, int& r, int& g, int& b) {
    r = static_cast<int>((v >> 16) & 0xFF);
    g = static_cast<int>((v >> 8) & 0xFF);
    b = static_cast<int>(v & 0xFF);
}

template <int Bytes, bool Wide, int AlphaShift>
struct PixelLayout {
    static constexpr int bytes = Bytes;
    static void split(uint32_t v, int& r, int& g, int& b) {
        if constexpr (Wide)
            split888(v, r, g, b);
        else
            split565(v, r, g, b);
    }
    static int alpha(uint32_t v) { return AlphaShift < 0 ? 255 : static_cast<int>((v >> (AlphaShift & 31)) & 0xFF); }
};

enum DstKind : int { kDst16, kDst16Alpha, kDst32, kDst32Alpha, kDstKindCount };

// A target layout. A 32-bit target without alpha gets 0xFF in its unused byte, as
// screen colours carry it.
template <int Bytes, bool Wide, int AlphaShift>
struct Dst : PixelLayout<Bytes, Wide, AlphaShift> {
    static void load(const uint8_t* p, int& r, int& g, int& b, int& a) {
        const uint32_t v = loadPixel(p, Bytes);
        Dst::split(v, r, g, b);
        a = Dst::alpha(v);
    }
    static void store(uint8_t* p, int r, int g, int b, int a) {
        uint32_t v = Wide ? static_cast<uint32_t>(r << 16 | g << 8 | b)
                          : static_cast<uint32_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
        if constexpr (AlphaShift >= 0)
            v |= static_cast<uint32_t>(a) << AlphaShift;
        else if constexpr (Wide)
            v |= 0xFF000000u;
        std::memcpy(p, &v, Bytes);
    }
};
using Dst16 = Dst<2, false, -1>;
using Dst16Alpha = Dst<4, false, 16>;
using Dst32 = Dst<4, true, -1>;
using Dst32Alpha = Dst<4, true, 24>;

// One pixel of colour (r, g, b) with raw alpha sa and effective alpha a onto d.
template <class D, Op op>
inline void put(uint8_t* d, int r, int g, int b, int sa, int a) {
    if constexpr (op == Op::Copy) {
        D::store(d, r, g, b, sa);
    } else if constexpr (op == Op::CopyAlpha) {
        D::store(d, r, g, b, a);
    } else {
        int dr, dg, db, da;
        D::load(d, dr, dg, db, da);
        D::store(d, channel<op>(r, dr, a), channel<op>(g, dg, a), channel<op>(b, db, a), da);
    }
}

// ---- Sources of graph draws. fetch returns false for a pixel that a transparent draw
// skips (alpha 0, or the colour key).

enum SrcKind : int { kSrc16, kSrc16Key, kSrc16Opaque, kSrc16Alpha, kSrc32, kSrc32Key, kSrc32Alpha, kSrcKindCount };

template <int Bytes, bool Wide, int AlphaShift, bool Keyed>
struct Src : PixelLayout<Bytes, Wide, AlphaShift> {
    static bool fetch(const uint8_t* p, uint32_t key, int& r, int& g, int& b, int& a) {
        const uint32_t v = loadPixel(p, Bytes);
        if (Keyed && v == key) return false;
        a = Src::alpha(v);
        if (AlphaShift >= 0 && a == 0) return false;
        Src::split(v, r, g, b);
        return true;
    }
};
using Src16 = Src<2, false, -1, false>;
using Src16Key = Src<2, false, -1, true>;
using Src16Opaque = Src<4, false, -1, false>;  // 16-bit colour with alpha, drawn without transparency
using Src16Alpha = Src<4, false, 16, false>;
using Src32 = Src<4, true, -1, false>;
using Src32Key = Src<4, true, -1, true>;
using Src32Alpha = Src<4, true, 24, false>;

// What every kernel of one draw reads: colour tables (bright colour and pixel kind
// folded in), the product row of the blend parameter, and the colour key.
struct SpanContext {
    const uint8_t* lutR;
    const uint8_t* lutG;
    const uint8_t* lutB;
    const int32_t* alphaRow;
    uint32_t key;
};

using GraphSpanFn = void (*)(uint8_t* dest, const uint8_t* src, int count, const SpanContext& c);
// A shape span: every pixel gets the same colour (already through the tables).
struct SolidColor {
    int r, g, b, sa, a;
};
using SolidSpanFn = void (*)(uint8_t* dest, int count, const SolidColor& c);

template <class S, class D, Op op>
void graphSpan(uint8_t* dest, const uint8_t* src, int count, const SpanContext& c) {
    const uint8_t* lr = c.lutR;
    const uint8_t* lg = c.lutG;
    const uint8_t* lb = c.lutB;
    const int32_t* ar = c.alphaRow;
    const uint32_t key = c.key;
    for (int i = 0; i < count; ++i, dest += D::bytes, src += S::bytes) {
        int r, g, b, sa;
        if (!S::fetch(src, key, r, g, b, sa)) continue;
        put<D, op>(dest, lr[r], lg[g], lb[b], sa, ar[sa]);
    }
}

template <class D, Op op>
void solidSpan(uint8_t* dest, int count, const SolidColor& c) {
    const int r = c.r, g = c.g, b = c.b, sa = c.sa, a = c.a;
    if constexpr (op == Op::Copy || op == Op::CopyAlpha) {
        uint8_t pixel[4];
        D::store(pixel, r, g, b, op == Op::Copy ? sa : a);
        if constexpr (D::bytes == 2) {
            uint16_t v;
            std::memcpy(&v, pixel, 2);
            auto* p = reinterpret_cast<uint16_t*>(dest);
            for (int i = 0; i < count; ++i) p[i] = v;
        } else {
            uint32_t v;
            std::memcpy(&v, pixel, 4);
            auto* p = reinterpret_cast<uint32_t*>(dest);
            for (int i = 0; i < count; ++i) p[i] = v;
        }
    } else if constexpr (op == Op::Blend && std::is_same_v<D, Dst32>) {
        const uint32_t src = 0xFF000000u | static_cast<uint32_t>(r << 16 | g << 8 | b);
        auto* p = reinterpret_cast<uint32_t*>(dest);
        for (int i = 0; i < count; ++i) p[i] = blendPixel32(src, p[i], static_cast<uint32_t>(a));
    } else {
        for (int i = 0; i < count; ++i, dest += D::bytes) put<D, op>(dest, r, g, b, sa, a);
    }
}

// Mode 1 from A8R8G8B8 or X8R8G8B8 onto X8R8G8B8 without colour tables (white bright,
// plain pixel kind); source pixels of alpha 0 are skipped. The same pixels as graphSpan.
template <bool SourceAlpha>
void blendSpan32(uint8_t* dest, const uint8_t* src, int count, const SpanContext& c) {
    const int32_t* ar = c.alphaRow;
    auto* d = reinterpret_cast<uint32_t*>(dest);
    int i = 0;
#ifdef __SSE2__
    // Four pixels at a time in 16-bit lanes; mul255 fits them (at most 65,280).
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i param = _mm_set1_epi32(ar[255]);  // P(255, p) is p
    const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    auto mul = [&](__m128i x, __m128i y) {
        const __m128i t = _mm_mullo_epi16(x, y);
        return _mm_srli_epi16(_mm_add_epi16(t, _mm_add_epi16(one, _mm_srli_epi16(t, 8))), 8);
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i alpha = SourceAlpha ? _mm_srli_epi32(s, 24) : _mm_set1_epi32(255);
        const __m128i a32 = mul(alpha, param);  // one alpha in the low half of each pixel
        const __m128i a16 = _mm_or_si128(a32, _mm_slli_epi32(a32, 16));
        const __m128i aLo = _mm_unpacklo_epi32(a16, a16), aHi = _mm_unpackhi_epi32(a16, a16);
        const __m128i lo = _mm_add_epi16(mul(_mm_unpacklo_epi8(s, zero), aLo),
                                         mul(_mm_unpacklo_epi8(dv, zero), _mm_sub_epi16(full, aLo)));
        const __m128i hi = _mm_add_epi16(mul(_mm_unpackhi_epi8(s, zero), aHi),
                                         mul(_mm_unpackhi_epi8(dv, zero), _mm_sub_epi16(full, aHi)));
        const __m128i out = _mm_or_si128(_mm_packus_epi16(lo, hi), top);
        // Pixels of alpha 0 are skipped, as the other kernels skip them.
        const __m128i keep = _mm_cmpeq_epi32(alpha, zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out)));
    }
#endif
    for (; i < count; ++i) {
        uint32_t s;
        std::memcpy(&s, src + 4 * i, 4);
        if (SourceAlpha && (s >> 24) == 0) continue;
        d[i] = blendPixel32(s, d[i], static_cast<uint32_t>(ar[SourceAlpha ? s >> 24 : 255]));
    }
}

// Kernel tables, one entry per layout and rule (null for Op::None).
GraphSpanFn PickGraphSpan(int srcKind, int dstKind, Op op);
SolidSpanFn PickSolidSpan(int dstKind, Op op);

// ---- Per-call set-up.

struct DrawSetup {
    MEMIMG* target;
    ImageRect clip;  // draw area cut to the target; never empty once set up
    int dstKind;
    int dstBytes;
    Op op;
    int param;         // blend parameter 0..255 (255 where the mode ignores it)
    bool plainColor;   // white bright and plain pixel kind: the colour tables are identities
    uint8_t kind;      // pixel kind of the mode: 0 plain, 1 inverted, 2 times four
    const uint8_t (*lut)[256];  // graph draws only: three tables of 256
};

// Target, clip and rule of a shape draw; false when nothing can be drawn.
bool SetupShapeDraw(DrawSetup* setup);
// Same for a graph draw of src. graphAlpha: the source has an alpha channel and the
// draw is transparent; blendGraph: a blend graph takes part.
bool SetupGraphDraw(DrawSetup* setup, const MEMIMG* src, int transFlag, bool blendGraph);
// The screen-format colour of a shape as the target's 8-bit channels through the tables.
SolidColor ShapeColor(const DrawSetup& setup, uint32_t color);
// The source layout of src for a draw with transFlag; -1 when it is not drawable directly
// (palette and channel images take the staged path).
int SourceKind(const MEMIMG* src, int transFlag);
uint32_t SourceKey(const MEMIMG* src);
SpanContext MakeSpanContext(const DrawSetup& setup, uint32_t key);

inline uint8_t* PixelAt(const MEMIMG* img, int x, int y, int bytes) {
    return img->pixels + static_cast<std::ptrdiff_t>(y) * img->base->pitch + static_cast<std::ptrdiff_t>(x) * bytes;
}

// A whole number held in a double, cut to [low, high] (finite values only).
inline int ClampToInt(double v, int low, int high) {
    return v <= low ? low : v >= high ? high : static_cast<int>(v);
}

// ---- Triangle coverage: pixel centres at (x + 0.5, y + 0.5), the top-left rule (left
// and top edges in, right and bottom edges out), so triangles sharing an edge cover
// each pixel of it once. span(y, x1, x2) receives [x1, x2) of row y, cut to clip.
// v holds x, y pairs.
template <class SpanFn>
void RasterTriangle(const double v[6], const ImageRect& clip, SpanFn&& span) {
    double ymin = v[1], ymax = v[1];
    for (int i = 1; i < 3; ++i) {
        ymin = v[2 * i + 1] < ymin ? v[2 * i + 1] : ymin;
        ymax = v[2 * i + 1] > ymax ? v[2 * i + 1] : ymax;
    }
    const double top = std::ceil(ymin - 0.5), bottom = std::ceil(ymax - 0.5);
    const int y0 = ClampToInt(top, clip.top, clip.bottom);
    const int y1 = ClampToInt(bottom, clip.top, clip.bottom);
    // Each edge from its upper to its lower end, so that both triangles of a shared
    // edge compute the same crossing.
    struct Edge {
        double xa, ya, xb, yb;
    } edges[3];
    int edgeCount = 0;
    for (int i = 0; i < 3; ++i) {
        const double* a = v + 2 * i;
        const double* b = v + 2 * ((i + 1) % 3);
        if (a[1] == b[1]) continue;
        edges[edgeCount++] = a[1] < b[1] ? Edge{a[0], a[1], b[0], b[1]} : Edge{b[0], b[1], a[0], a[1]};
    }
    for (int y = y0; y < y1; ++y) {
        const double yc = y + 0.5;
        double xs[3];
        int n = 0;
        for (int i = 0; i < edgeCount; ++i) {
            const Edge& e = edges[i];
            if (yc < e.ya || yc >= e.yb) continue;
            xs[n++] = e.xa + (yc - e.ya) * (e.xb - e.xa) / (e.yb - e.ya);
        }
        if (n < 2) continue;
        double xl = xs[0] < xs[1] ? xs[0] : xs[1];
        double xr = xs[0] < xs[1] ? xs[1] : xs[0];
        const double left = std::ceil(xl - 0.5), right = std::ceil(xr - 0.5);
        const int x0 = ClampToInt(left, clip.left, clip.right);
        const int x1 = ClampToInt(right, clip.left, clip.right);
        if (x0 < x1) span(y, x0, x1);
    }
}

// ---- Staged path: texels gathered by coordinates into A8R8G8B8 (alpha 0 where a
// transparent draw skips), the blend graph applied, then drawn by the Src32Alpha kernel.

constexpr int kStageChunk = 256;

struct StageSource {
    const MEMIMG* src;
    int transFlag;
    const MEMIMG* blendGraph;  // null for none
    int blendType, blendRatio;
};

// Gathers count texels at (tx[i], ty[i]) (inside src) into out.
void StageTexels(const StageSource& s, const int32_t* tx, const int32_t* ty, int count, uint32_t* out);
// The source of a graph draw with the draw state's blend graph.
StageSource MakeStageSource(const MEMIMG* src, int transFlag);
// Draws the texels at (tx[i], ty[i]) onto count pixels from dest.
void DrawStaged(const DrawSetup& setup, const StageSource& source, const int32_t* tx, const int32_t* ty, int count,
                uint8_t* dest);

}  // namespace ZaDod::softpix
