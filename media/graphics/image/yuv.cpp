// Full-range BT.601 in 15-bit fixed point: Y is used as it stands (no offset of
// 16), the chroma terms are computed once per chroma sample.
#include "media/graphics/image/yuv.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/graphics/base_image.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ZaDod {

namespace {

struct Chroma {
    int32_t b, g, r;
};

inline Chroma chroma(uint32_t U, uint32_t V) {
    const int32_t u = static_cast<int32_t>(U) - 128, v = static_cast<int32_t>(V) - 128;
    return {58064 * u, -11272 * u - 23396 * v, 45940 * v};
}

// Negative gives 0; above 255 x 32768 gives 255 (every value up to 2^23 - 1 shifts to 255).
inline uint32_t channel(int32_t x) { return static_cast<uint32_t>(std::clamp(x, 0, 8388607)) >> 15; }

inline uint32_t pixelOf(uint32_t Y, const Chroma& c) {
    const int32_t y = static_cast<int32_t>(Y) << 15;
    return 0xFF000000u | channel(y + c.r) << 16 | channel(y + c.g) << 8 | channel(y + c.b);
}

inline void put(uint8_t* row, int x, uint32_t v) { std::memcpy(row + 4 * x, &v, 4); }

struct Target {
    uint8_t* pixels;
    ptrdiff_t pitch;
    int w, h;  // area to convert: the frame cut to the image
};

bool target(const BaseImage* image, int w, int h, Target* t) {
    if (image == nullptr || image->pixels == nullptr || image->format.bytesPerPixel != 4 ||
        image->format.formatCode != kPixelPlain || image->format.channelCount != 0)
        return false;
    t->pixels = static_cast<uint8_t*>(image->pixels);
    t->pitch = image->pitch;
    t->w = std::max(0, std::min(w, image->width));
    t->h = std::max(0, std::min(h, image->height));
    return true;
}

#if defined(__SSE2__)
// Eight pixels at a time with the same integer arithmetic: the products come from
// pairwise multiply-adds of (u, v) against halved or plain coefficients, and the
// clamping from two saturating packs after the shift (negative -> 0, above 255 -> 255).
struct Simd {
    // c: four (u - 128, v - 128) pairs as 16-bit lanes. Out: the three terms per sample.
    static void terms(__m128i c, __m128i* b, __m128i* g, __m128i* r) {
        *b = _mm_slli_epi32(_mm_madd_epi16(c, _mm_set1_epi32(29032)), 1);  // 58064 / 2 on u
        *g = _mm_madd_epi16(c, _mm_set1_epi32(static_cast<int>(0xA49CD3F8u)));  // -11272 u - 23396 v
        *r = _mm_slli_epi32(_mm_madd_epi16(c, _mm_set1_epi32(22970 << 16)), 1);  // 45940 / 2 on v
    }

    // Bytes u0 v0 u1 v1 ... (low 8 bytes) to centred 16-bit pairs.
    static __m128i centre(__m128i uv8) {
        return _mm_sub_epi16(_mm_unpacklo_epi8(uv8, _mm_setzero_si128()), _mm_set1_epi16(128));
    }

    // y16: eight 16-bit lumas; lo/hi: the terms of pixels 0-3 and 4-7.
    static void emit(__m128i y16, const __m128i lo[3], const __m128i hi[3], uint8_t* out) {
        const __m128i z = _mm_setzero_si128();
        const __m128i yLo = _mm_slli_epi32(_mm_unpacklo_epi16(y16, z), 15);
        const __m128i yHi = _mm_slli_epi32(_mm_unpackhi_epi16(y16, z), 15);
        __m128i ch[3];
        for (int k = 0; k < 3; ++k) {
            const __m128i a = _mm_srai_epi32(_mm_add_epi32(yLo, lo[k]), 15);
            const __m128i b = _mm_srai_epi32(_mm_add_epi32(yHi, hi[k]), 15);
            ch[k] = _mm_packus_epi16(_mm_packs_epi32(a, b), z);
        }
        const __m128i bg = _mm_unpacklo_epi8(ch[0], ch[1]);
        const __m128i ra = _mm_unpacklo_epi8(ch[2], _mm_set1_epi8(-1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bg, ra));
    }

    // Terms of four samples spread over eight pixels, two pixels a sample.
    static void spread2(__m128i c, __m128i lo[3], __m128i hi[3]) {
        __m128i t[3];
        terms(c, &t[0], &t[1], &t[2]);
        for (int k = 0; k < 3; ++k) {
            lo[k] = _mm_unpacklo_epi32(t[k], t[k]);
            hi[k] = _mm_unpackhi_epi32(t[k], t[k]);
        }
    }

    static __m128i load8(const uint8_t* p) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    }
};
#endif

#if defined(__x86_64__)
// Sixteen pixels at a time where the processor has 256-bit integer vectors, with the
// arithmetic of the eight-pixel loop. The unpacks and packs work within 128-bit halves,
// so the pixels come out as 0-3 and 8-11, 4-7 and 12-15, and the stores put them back
// in order.
__attribute__((target("avx2"))) void emitAvx2(__m256i y16, const __m256i lo[3], const __m256i hi[3], uint8_t* out) {
    const __m256i z = _mm256_setzero_si256();
    const __m256i yLo = _mm256_slli_epi32(_mm256_unpacklo_epi16(y16, z), 15);
    const __m256i yHi = _mm256_slli_epi32(_mm256_unpackhi_epi16(y16, z), 15);
    __m256i ch[3];
    for (int k = 0; k < 3; ++k) {
        const __m256i a = _mm256_srai_epi32(_mm256_add_epi32(yLo, lo[k]), 15);
        const __m256i b = _mm256_srai_epi32(_mm256_add_epi32(yHi, hi[k]), 15);
        ch[k] = _mm256_packus_epi16(_mm256_packs_epi32(a, b), z);
    }
    const __m256i bg = _mm256_unpacklo_epi8(ch[0], ch[1]);
    const __m256i ra = _mm256_unpacklo_epi8(ch[2], _mm256_set1_epi8(-1));
    const __m256i first = _mm256_unpacklo_epi16(bg, ra), second = _mm256_unpackhi_epi16(bg, ra);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(first, second, 0x31));
}

// Converts whole groups of eight 2 x 2 blocks of one block row: the blocks done.
template <int Step>
__attribute__((target("avx2"))) int blocks420Avx2(const uint8_t* y0, const uint8_t* y1, const uint8_t* u,
                                                  const uint8_t* v, uint8_t* d0, uint8_t* d1, int blocks) {
    const __m256i bias = _mm256_set1_epi16(128);
    int bx = 0;
    for (; bx + 8 <= blocks; bx += 8) {
        __m128i uv8;
        if constexpr (Step == 2) {
            uv8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + 2 * bx));
        } else {
            uv8 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + bx)),
                                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + bx)));
        }
        const __m256i c = _mm256_sub_epi16(_mm256_cvtepu8_epi16(uv8), bias);
        const __m256i t[3] = {
            _mm256_slli_epi32(_mm256_madd_epi16(c, _mm256_set1_epi32(29032)), 1),
            _mm256_madd_epi16(c, _mm256_set1_epi32(static_cast<int>(0xA49CD3F8u))),
            _mm256_slli_epi32(_mm256_madd_epi16(c, _mm256_set1_epi32(22970 << 16)), 1),
        };
        __m256i lo[3], hi[3];
        for (int k = 0; k < 3; ++k) {
            lo[k] = _mm256_unpacklo_epi32(t[k], t[k]);
            hi[k] = _mm256_unpackhi_epi32(t[k], t[k]);
        }
        emitAvx2(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y0 + 2 * bx))), lo, hi,
                 d0 + 8 * bx);
        emitAvx2(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y1 + 2 * bx))), lo, hi,
                 d1 + 8 * bx);
    }
    return bx;
}

bool haveAvx2() {
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}
#endif

// 4:2:0: one chroma sample for each 2 x 2 block. Chroma of block column i is at
// u[i * Step] and v[i * Step] of the block row's chroma rows.
template <int Step>
int convert420(const uint8_t* src, int w, const Target& t, const uint8_t* uPlane, const uint8_t* vPlane,
               ptrdiff_t chromaPitch) {
    for (int by = 0; by < t.h / 2; ++by) {
        const uint8_t* y0 = src + ptrdiff_t{2 * by} * w;
        const uint8_t* y1 = y0 + w;
        const uint8_t* u = uPlane + by * chromaPitch;
        const uint8_t* v = vPlane + by * chromaPitch;
        uint8_t* d0 = t.pixels + 2 * by * t.pitch;
        uint8_t* d1 = d0 + t.pitch;
        int bx = 0;
#if defined(__x86_64__)
        if (haveAvx2()) bx = blocks420Avx2<Step>(y0, y1, u, v, d0, d1, t.w / 2);
#endif
#if defined(__SSE2__)
        for (; bx + 4 <= t.w / 2; bx += 4) {
            __m128i uv8;
            if constexpr (Step == 2) {
                uv8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + 2 * bx));
            } else {
                int32_t uu, vv;
                std::memcpy(&uu, u + bx, 4);
                std::memcpy(&vv, v + bx, 4);
                uv8 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(uu), _mm_cvtsi32_si128(vv));
            }
            __m128i lo[3], hi[3];
            Simd::spread2(Simd::centre(uv8), lo, hi);
            Simd::emit(Simd::load8(y0 + 2 * bx), lo, hi, d0 + 8 * bx);
            Simd::emit(Simd::load8(y1 + 2 * bx), lo, hi, d1 + 8 * bx);
        }
#endif
        for (; bx < t.w / 2; ++bx) {
            const Chroma c = chroma(u[bx * Step], v[bx * Step]);
            put(d0, 2 * bx, pixelOf(y0[2 * bx], c));
            put(d0, 2 * bx + 1, pixelOf(y0[2 * bx + 1], c));
            put(d1, 2 * bx, pixelOf(y1[2 * bx], c));
            put(d1, 2 * bx + 1, pixelOf(y1[2 * bx + 1], c));
        }
    }
    return 0;
}

// Packed 4:2:2: every 4 bytes give two pixels; Y0, Y1, U, V at these offsets.
template <int Y0, int Y1, int U, int V>
int convert422(const uint8_t* src, int w, const Target& t) {
    for (int y = 0; y < t.h; ++y) {
        const uint8_t* s = src + ptrdiff_t{y} * 2 * w;
        uint8_t* d = t.pixels + y * t.pitch;
        int i = 0;
#if defined(__SSE2__)
        const __m128i low = _mm_set1_epi16(0x00FF);
        for (; i + 4 <= t.w / 2; i += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
            const __m128i even = _mm_and_si128(v, low), odd = _mm_srli_epi16(v, 8);
            const __m128i y16 = Y0 == 0 ? even : odd;
            __m128i c = Y0 == 0 ? odd : even;
            if constexpr (U > V) c = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xB1), 0xB1);  // v, u -> u, v
            __m128i lo[3], hi[3];
            Simd::spread2(_mm_sub_epi16(c, _mm_set1_epi16(128)), lo, hi);
            Simd::emit(y16, lo, hi, d + 8 * i);
        }
#endif
        for (; i < t.w / 2; ++i) {
            const uint8_t* g = s + 4 * i;
            const Chroma c = chroma(g[U], g[V]);
            put(d, 2 * i, pixelOf(g[Y0], c));
            put(d, 2 * i + 1, pixelOf(g[Y1], c));
        }
    }
    return 0;
}

template <int Y0, int Y1, int U, int V>
int buffers422(const uint8_t* src, int w, int h, uint8_t* yBuf, uint8_t* uvBuf) {
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = src + ptrdiff_t{y} * 2 * w;
        uint8_t* yr = yBuf + ptrdiff_t{y} * w;
        uint8_t* uv = uvBuf + ptrdiff_t{y} * w;
        for (int i = 0; i < w / 2; ++i, s += 4) {
            yr[2 * i] = s[Y0];
            yr[2 * i + 1] = s[Y1];
            uv[2 * i] = s[U];
            uv[2 * i + 1] = s[V];
        }
    }
    return 0;
}

const uint8_t* bytes(const void* p) { return static_cast<const uint8_t*>(p); }
uint8_t* bytes(void* p) { return static_cast<uint8_t*>(p); }

}  // namespace

int ConvertYV12ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* vPlane = s + ptrdiff_t{w} * h;
    const uint8_t* uPlane = vPlane + ptrdiff_t{w} * h / 4;
    return convert420<1>(s, w, t, uPlane, vPlane, w / 2);
}

int ConvertNV12ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* uv = s + ptrdiff_t{w} * h;
    return convert420<2>(s, w, t, uv, uv + 1, w);
}

int ConvertYUY2ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<0, 2, 1, 3>(bytes(source), w, t) : -1;
}

int ConvertUYVYToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<1, 3, 0, 2>(bytes(source), w, t) : -1;
}

int ConvertYVYUToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<0, 2, 3, 1>(bytes(source), w, t) : -1;
}

// 4:1:1: one U, V pair for each group of four pixels of a row.
int ConvertNV11ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* uvPlane = s + ptrdiff_t{w} * h;
    const int uvPitch = w / 2;
    for (int y = 0; y < t.h; ++y) {
        const uint8_t* yr = s + ptrdiff_t{y} * w;
        const uint8_t* uv = uvPlane + ptrdiff_t{y} * uvPitch;
        uint8_t* d = t.pixels + y * t.pitch;
        int g = 0;
#if defined(__SSE2__)
        for (; g + 2 <= t.w / 4; g += 2) {
            int32_t pair;
            std::memcpy(&pair, uv + 2 * g, 4);
            __m128i tm[3], lo[3], hi[3];
            Simd::terms(Simd::centre(_mm_cvtsi32_si128(pair)), &tm[0], &tm[1], &tm[2]);
            for (int k = 0; k < 3; ++k) {
                lo[k] = _mm_shuffle_epi32(tm[k], 0x00);
                hi[k] = _mm_shuffle_epi32(tm[k], 0x55);
            }
            Simd::emit(Simd::load8(yr + 4 * g), lo, hi, d + 16 * g);
        }
#endif
        for (; g < t.w / 4; ++g) {
            const Chroma c = chroma(uv[2 * g], uv[2 * g + 1]);
            for (int k = 0; k < 4; ++k) put(d, 4 * g + k, pixelOf(yr[4 * g + k], c));
        }
    }
    return 0;
}

int ConvertYV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    const uint8_t* vPlane = s + ptrdiff_t{w} * h;
    const uint8_t* uPlane = vPlane + ptrdiff_t{w} * h / 4;
    const int chromaPitch = w / 2;
    for (int y = 0; y < h / 2; ++y) {
        uint8_t* uv = bytes(uvBuffer) + ptrdiff_t{y} * w;
        for (int i = 0; i < chromaPitch; ++i) {
            uv[2 * i] = uPlane[y * chromaPitch + i];
            uv[2 * i + 1] = vPlane[y * chromaPitch + i];
        }
    }
    return 0;
}

int ConvertNV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    std::memcpy(uvBuffer, s + ptrdiff_t{w} * h, size_t(w) * size_t(h / 2));
    return 0;
}

int ConvertYUY2ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<0, 2, 1, 3>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertUYVYToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<1, 3, 0, 2>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertYVYUToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<0, 2, 3, 1>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertNV11ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    std::memcpy(uvBuffer, s + ptrdiff_t{w} * h, size_t(w / 2) * size_t(h));
    return 0;
}

}  // namespace ZaDod
