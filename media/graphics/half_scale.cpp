// Mip halving: each output pixel averages a 2 x 2 block (2 x 1 or 1 x 2 on a side
// of length 1), channel by channel.
#include <cstring>
#include <cstddef>

#include "media/graphics/color_blit_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ZaDod {

namespace {

struct Geometry {
    const uint8_t* src;
    ptrdiff_t srcPitch;
    uint8_t* dst;
    ptrdiff_t dstPitch;
    int outW, outH;
    int stepX, stepY;  // 1 on a side of length 1, else 2
    int bpp;
};

// 32-bit layouts made of whole bytes: every byte is averaged on its own.
void halveBytes32(const Geometry& g, uint32_t fill) {
    for (int y = 0; y < g.outH; ++y) {
        const uint8_t* s0 = g.src + ptrdiff_t{y} * g.stepY * g.srcPitch;
        const uint8_t* s1 = s0 + (g.stepY - 1) * g.srcPitch;
        uint8_t* d = g.dst + ptrdiff_t{y} * g.dstPitch;
        int x = 0;
#if defined(__SSE2__)
        if (g.stepX == 2 && g.stepY == 2) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i fillv = _mm_set1_epi32(static_cast<int>(fill));
            for (; x + 2 <= g.outW; x += 2) {
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s0 + 8 * x));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s1 + 8 * x));
                const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
                const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
                const __m128i sumLo = _mm_add_epi16(lo, _mm_srli_si128(lo, 8));
                const __m128i sumHi = _mm_add_epi16(hi, _mm_srli_si128(hi, 8));
                const __m128i avg = _mm_srli_epi16(_mm_unpacklo_epi64(sumLo, sumHi), 2);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 4 * x),
                                 _mm_or_si128(_mm_packus_epi16(avg, zero), fillv));
            }
        }
#endif
        for (; x < g.outW; ++x) {
            const uint8_t* a = s0 + ptrdiff_t{x} * g.stepX * 4;
            const uint8_t* b = s1 + ptrdiff_t{x} * g.stepX * 4;
            const int dx = (g.stepX - 1) * 4;
            uint8_t out[4];
            for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>((a[k] + a[k + dx] + b[k] + b[k + dx]) >> 2);
            uint32_t v;
            std::memcpy(&v, out, 4);
            v |= fill;
            std::memcpy(d + 4 * x, &v, 4);
        }
    }
}

// A side of length 1 is folded onto itself, so every case sums four pixels and
// (a + b + a + b) >> 2 equals (a + b) >> 1. Sum is wide enough for four channels.
template <int Bpp, class Sum>
void halvePacked(const Geometry& g, const PixelFormatDesc& f) {
    const uint32_t masks[4] = {f.redMask >> f.redLoc, f.greenMask >> f.greenLoc, f.blueMask >> f.blueLoc,
                               f.alphaMask >> f.alphaLoc};
    const uint8_t locs[4] = {f.redLoc, f.greenLoc, f.blueLoc, f.alphaLoc};
    const uint32_t fill = blit::unusedFill(f);
    for (int y = 0; y < g.outH; ++y) {
        const uint8_t* s0 = g.src + ptrdiff_t{y} * g.stepY * g.srcPitch;
        const uint8_t* s1 = s0 + (g.stepY - 1) * g.srcPitch;
        uint8_t* d = g.dst + ptrdiff_t{y} * g.dstPitch;
        const ptrdiff_t dx = (g.stepX - 1) * Bpp;
        for (int x = 0; x < g.outW; ++x) {
            const ptrdiff_t o = ptrdiff_t{x} * g.stepX * Bpp;
            const uint32_t p0 = pixel::loadPacked(s0 + o, Bpp), p1 = pixel::loadPacked(s0 + o + dx, Bpp);
            const uint32_t p2 = pixel::loadPacked(s1 + o, Bpp), p3 = pixel::loadPacked(s1 + o + dx, Bpp);
            uint32_t v = fill;
            for (int k = 0; k < 4; ++k) {
                const Sum sum = Sum((p0 >> locs[k]) & masks[k]) + Sum((p1 >> locs[k]) & masks[k]) +
                                Sum((p2 >> locs[k]) & masks[k]) + Sum((p3 >> locs[k]) & masks[k]);
                v |= static_cast<uint32_t>(sum >> 2) << locs[k];
            }
            pixel::storePacked(d + x * Bpp, Bpp, v);
        }
    }
}

void halveChannels(const Geometry& g, const PixelFormatDesc& f, pixel::Kind kind) {
    const int size = f.channelBits / 8;
    for (int y = 0; y < g.outH; ++y) {
        const uint8_t* s0 = g.src + ptrdiff_t{y} * g.stepY * g.srcPitch;
        const uint8_t* s1 = s0 + (g.stepY - 1) * g.srcPitch;
        uint8_t* d = g.dst + ptrdiff_t{y} * g.dstPitch;
        for (int x = 0; x < g.outW; ++x) {
            const ptrdiff_t o0 = ptrdiff_t{x} * g.stepX * g.bpp, o1 = o0 + (g.stepX - 1) * g.bpp;
            const uint8_t* p[4] = {s0 + o0, s0 + o1, s1 + o0, s1 + o1};
            for (int c = 0; c < f.channelCount; ++c) {
                const int at = c * size;
                uint8_t* out = d + x * g.bpp + at;
                if (kind == pixel::Kind::Int8) {
                    *out = static_cast<uint8_t>((p[0][at] + p[1][at] + p[2][at] + p[3][at]) >> 2);
                } else if (kind == pixel::Kind::Int16) {
                    uint32_t sum = 0;
                    for (const uint8_t* q : p) sum += pixel::loadPacked(q + at, 2);
                    pixel::storePacked(out, 2, sum >> 2);
                } else if (kind == pixel::Kind::Half) {
                    float sum = 0.0f;
                    for (const uint8_t* q : p) sum += Float16ToFloat32(static_cast<uint16_t>(pixel::loadPacked(q + at, 2)));
                    pixel::storePacked(out, 2, Float32ToFloat16(sum * 0.25f));
                } else {
                    float sum = 0.0f;
                    for (const uint8_t* q : p) {
                        float v;
                        std::memcpy(&v, q + at, 4);
                        sum += v;
                    }
                    sum *= 0.25f;
                    std::memcpy(out, &sum, 4);
                }
            }
        }
    }
}

bool wholeBytes(const PixelFormatDesc& f) {
    const uint8_t widths[4] = {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth};
    const uint8_t locs[4] = {f.redLoc, f.greenLoc, f.blueLoc, f.alphaLoc};
    for (int k = 0; k < 4; ++k)
        if (widths[k] != 0 && (widths[k] != 8 || locs[k] % 8 != 0)) return false;
    return true;
}

}  // namespace

int GraphHalfScaleBlt(const PixelFormatDesc* format, void* destPixels, int destPitch, const void* srcPixels,
                      int srcPitch, int destX, int destY, int srcX, int srcY, int width, int height) {
    if (width < 1 || height < 1 || (width != 1 && width % 2 != 0) || (height != 1 && height % 2 != 0)) return -1;
    const PixelFormatDesc& f = *format;
    const pixel::Kind kind = pixel::kindOf(f);
    const int bpp = f.bytesPerPixel;
    const bool packed = kind == pixel::Kind::Packed && (bpp == 2 || bpp == 4);
    const bool channels = kind != pixel::Kind::None && kind != pixel::Kind::Packed;
    Geometry g{};
    g.bpp = bpp;
    g.srcPitch = srcPitch;
    g.dstPitch = destPitch;
    g.src = static_cast<const uint8_t*>(srcPixels) + ptrdiff_t{srcY} * srcPitch + ptrdiff_t{srcX} * bpp;
    g.dst = static_cast<uint8_t*>(destPixels) + ptrdiff_t{destY} * destPitch + ptrdiff_t{destX} * bpp;
    if (width == 1 && height == 1) {
        if (kind == pixel::Kind::None || bpp == 0) return -1;
        std::memmove(g.dst, g.src, static_cast<size_t>(bpp));
        return 0;
    }
    if (!packed && !channels) return -1;
    g.stepX = width == 1 ? 1 : 2;
    g.stepY = height == 1 ? 1 : 2;
    g.outW = width == 1 ? 1 : width / 2;
    g.outH = height == 1 ? 1 : height / 2;
    if (channels) {
        halveChannels(g, f, kind);
    } else if (bpp == 4 && wholeBytes(f)) {
        halveBytes32(g, blit::unusedFill(f));
    } else if (bpp == 2) {
        halvePacked<2, uint32_t>(g, f);
    } else {
        halvePacked<4, uint64_t>(g, f);
    }
    return 0;
}

}  // namespace ZaDod
