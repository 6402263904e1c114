// Software filter workers: monotone, Gaussian blur, down-scaling, brightness clip,
// invert, two-colour threshold, alpha premultiplication and its inverse, Y/UV to RGB,
// and the two scalers that only a shader back end runs.
#include <cmath>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_filter_loops.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

using filterloop::clampByte;
using filterloop::floatPixel;
using filterloop::luminance;
using filterloop::mapPixels;
using filterloop::mapRows;
using filterloop::rowOf;

GraphFilterGaussWeightsData GraphFilterGaussWeights = {{}, -10000000.0f, 0};

int GraphFilterGaussKernelWidth(int pixelWidth) { return pixelWidth <= 8 ? 8 : pixelWidth <= 16 ? 16 : 32; }

const float* GetGraphFilterGaussWeights(int kernelWidth, float strength) {
    GraphFilterGaussWeightsData& g = GraphFilterGaussWeights;
    if (std::fabs(g.strength - strength) > 0.0002f || g.width != kernelWidth) {
        const int half = kernelWidth / 2;
        const float s = strength < 1e-10f ? 1e-10f : strength;
        float w[16] = {};
        for (int i = 0; i < half; ++i) w[i] = std::exp(-0.5f * static_cast<float>(i * i) / s);
        float side = 0.0f;
        for (int i = 1; i < half; ++i) side += w[i];
        const float sum = w[0] + 2.0f * side;
        for (int i = 0; i < 16; ++i) g.weights[i] = i < half ? w[i] / sum : 0.0f;
        g.strength = strength;
        g.width = kernelWidth;
    }
    return g.weights;
}

namespace {

// One pixel of Mono: the luminance plus a per-channel offset, all in 12-bit fixed point.
inline uint32_t monoPixel(uint32_t p, int kb, int kg, int kr) {
    const int y = 466 * static_cast<int>(p & 0xFF) + 2404 * static_cast<int>((p >> 8) & 0xFF) +
                  1224 * static_cast<int>((p >> 16) & 0xFF);
    return static_cast<uint32_t>(clampByte((y + kb) >> 12)) | static_cast<uint32_t>(clampByte((y + kg) >> 12)) << 8 |
           static_cast<uint32_t>(clampByte((y + kr) >> 12)) << 16 | (p & 0xFF000000u);
}

// One row of Mono; src may be dst (each block is read before it is written). Four pixels
// at a time: the luminance by pairwise 16-bit multiply-adds, and the clamp to a byte by
// saturating packs, which give exactly what clampByte gives.
void monoRow(const uint8_t* src, uint8_t* dst, int width, int kb, int kg, int kr) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i weights = _mm_setr_epi16(466, 2404, 1224, 0, 466, 2404, 1224, 0);
    const __m128i offB = _mm_set1_epi32(kb), offG = _mm_set1_epi32(kg), offR = _mm_set1_epi32(kr);
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        const __m128 low = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(p, zero), weights));
        const __m128 high = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(p, zero), weights));
        // Lanes hold B and G products, then the R product, of each pixel: add the pairs.
        const __m128i y = _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0))),
                                        _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1))));
        const __m128i b = _mm_srai_epi32(_mm_add_epi32(y, offB), 12);
        const __m128i g = _mm_srai_epi32(_mm_add_epi32(y, offG), 12);
        const __m128i r = _mm_srai_epi32(_mm_add_epi32(y, offR), 12);
        const __m128i a = _mm_srli_epi32(p, 24);
        // Bytes B0..B3 R0..R3 G0..G3 A0..A3, then interleaved into B, G, R, A per pixel.
        const __m128i planes = _mm_packus_epi16(_mm_packs_epi32(b, r), _mm_packs_epi32(g, a));
        const __m128i pairs = _mm_unpacklo_epi8(planes, _mm_srli_si128(planes, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x),
                         _mm_unpacklo_epi16(pairs, _mm_srli_si128(pairs, 8)));
    }
#endif
    for (; x < width; ++x) {
        uint32_t p;
        std::memcpy(&p, src + 4 * x, 4);
        const uint32_t out = monoPixel(p, kb, kg, kr);
        std::memcpy(dst + 4 * x, &out, 4);
    }
}

}  // namespace

int GraphFilter_Mono(GraphFilterInfo* info, float cbIn, float crIn) {
    const float cb = std::clamp(cbIn / 200.0f, -0.5f, 0.5f);
    const float cr = std::clamp(crIn / 200.0f, -0.5f, 0.5f);
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_Mono(info, cb, cr);
        return 0;
    }
    const int kb = static_cast<int>(cb * 1.772f * 255.0f * 4096.0f);
    const int kg = static_cast<int>((-cb * 0.34414f - cr * 0.71414f) * 255.0f * 4096.0f);
    const int kr = static_cast<int>(cr * 1.402f * 255.0f * 4096.0f);
    return mapRows(info, [kb, kg, kr](const uint8_t* s, uint8_t* d, int width) { monoRow(s, d, width, kb, kg, kr); });
}

namespace {

// One separable Gaussian pass direction. Tap k weighs the pixel pairs at distances
// 2k-1 and 2k on both sides; reads past either end repeat the end pixel.
struct GaussTaps {
    uint32_t w[16];
    int half;
};

// A weighted sum in 16-bit fixed point to the nearest byte. The weights, each cut to
// 1/65536, fall short of 1 by a few parts in 65536; cut again the sum would darken a flat
// area by a level each way, rounded it keeps its colour.
inline uint8_t gaussRound(uint32_t sum) { return static_cast<uint8_t>((sum + 0x8000u) >> 16); }

// Horizontal pass over whole rows; the row is widened at both ends so the tap loop
// reads without bounds checks, and every tap runs over all bytes of the row at once.
void gaussRows(const BaseImage& in, const BaseImage& out, int width, int height, const GaussTaps& t) {
    const int reach = 2 * (t.half - 1);
    const int span = (width + 2 * reach) * 4;
    std::vector<uint16_t> padded(span);
    std::vector<uint32_t> acc(width * 4);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rowOf(in, y);
        for (int i = 0; i < width + 2 * reach; ++i) {
            const int x = std::clamp(i - reach, 0, width - 1);
            for (int c = 0; c < 4; ++c) padded[i * 4 + c] = src[x * 4 + c];
        }
        const uint16_t* centre = padded.data() + reach * 4;
        std::fill(acc.begin(), acc.end(), 0u);
        for (int k = 1; k < t.half; ++k) {
            const uint32_t wk = t.w[k];
            const uint16_t* a = centre - (2 * k - 1) * 4;
            const uint16_t* b = centre - 2 * k * 4;
            const uint16_t* c = centre + (2 * k - 1) * 4;
            const uint16_t* e = centre + 2 * k * 4;
            for (int i = 0; i < width * 4; ++i) acc[i] += wk * static_cast<uint32_t>(a[i] + b[i] + c[i] + e[i]);
        }
        uint8_t* dst = rowOf(out, y);
        const uint32_t w0 = t.w[0];
        for (int i = 0; i < width * 4; ++i) dst[i] = gaussRound((acc[i] >> 1) + w0 * centre[i]);
    }
}

// Vertical pass: each output row sums whole input rows, the row index clamped at the edges.
void gaussColumns(const BaseImage& in, const BaseImage& out, int width, int height, const GaussTaps& t) {
    std::vector<uint32_t> acc(width * 4);
    const int n = width * 4;
    auto rowAt = [&](int y) { return rowOf(in, std::clamp(y, 0, height - 1)); };
    for (int y = 0; y < height; ++y) {
        std::fill(acc.begin(), acc.end(), 0u);
        for (int k = 1; k < t.half; ++k) {
            const uint32_t wk = t.w[k];
            const uint8_t* a = rowAt(y - 2 * k + 1);
            const uint8_t* b = rowAt(y - 2 * k);
            const uint8_t* c = rowAt(y + 2 * k - 1);
            const uint8_t* e = rowAt(y + 2 * k);
            for (int i = 0; i < n; ++i) acc[i] += wk * static_cast<uint32_t>(a[i] + b[i] + c[i] + e[i]);
        }
        const uint8_t* centre = rowOf(in, y);
        uint8_t* dst = rowOf(out, y);
        const uint32_t w0 = t.w[0];
        for (int i = 0; i < n; ++i) dst[i] = gaussRound((acc[i] >> 1) + w0 * centre[i]);
    }
}

}  // namespace

int GraphFilter_Gauss(GraphFilterInfo* info, int pixelWidth, float strength) {
    const int n = GraphFilterGaussKernelWidth(pixelWidth);
    const float* weights = GetGraphFilterGaussWeights(n, strength);
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_Gauss(info, n, strength, weights);
        return 0;
    }
    if (GraphFilter_PrepareSourceImage(info, 1, -1, -1, nullptr) != 0) return -1;
    const BaseImage& s = info->sourceImage;
    const BaseImage& d = info->destImage;
    const int width = info->workWidth, height = info->workHeight;
    if (strength < 1e-7f) {
        for (int y = 0; y < height; ++y) std::memcpy(rowOf(d, y), rowOf(s, y), static_cast<size_t>(width) * 4);
        return GraphFilter_WriteResultImage(info);
    }
    BaseImage middle{};
    if (CreateARGB8ColorBaseImage(width, height, &middle) != 0) {
        // Without room for the middle image the destination keeps what it holds.
        GraphFilter_ReleaseWorkImages(info);
        return 0;
    }
    GaussTaps taps{};
    taps.half = n / 2;
    for (int i = 0; i < taps.half; ++i) taps.w[i] = static_cast<uint32_t>(weights[i] * 65536.0f);
    gaussRows(s, middle, width, height, taps);
    gaussColumns(middle, d, width, height, taps);
    ReleaseBaseImage(&middle);
    return GraphFilter_WriteResultImage(info);
}

namespace {
template <int D, int Shift>
void downScaleLoop(const BaseImage& s, const BaseImage& d, int width, int height) {
    for (int y = 0; y < height; ++y) {
        uint8_t* dp = rowOf(d, y);
        for (int x = 0; x < width; ++x, dp += 4) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < D; ++j) {
                const uint8_t* sp = rowOf(s, y * D + j) + x * D * 4;
                for (int i = 0; i < D * 4; i += 4)
                    for (int c = 0; c < 4; ++c) sum[c] += sp[i + c];
            }
            for (int c = 0; c < 4; ++c) dp[c] = static_cast<uint8_t>(sum[c] >> Shift);
        }
    }
}
}  // namespace

int GraphFilter_DownScale(GraphFilterInfo* info, int divisor) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_DownScale(info, divisor);
        return 0;
    }
    const int outW = (info->x2 - info->x1) / divisor, outH = (info->y2 - info->y1) / divisor;
    // A rectangle smaller than one block has nothing to show.
    if (outW < 1 || outH < 1) return 0;
    if (GraphFilter_PrepareSourceImage(info, 1, outW, outH, nullptr) != 0) return -1;
    if (info->passIndex == 0 && info->source == info->destination)
        GraphFilter_ClearRect(info->destination, info->x1, info->y1, info->x2 - info->x1, info->y2 - info->y1);
    const BaseImage& s = info->sourceImage;
    const BaseImage& d = info->destImage;
    switch (divisor) {
        case 2: downScaleLoop<2, 2>(s, d, outW, outH); break;
        case 4: downScaleLoop<4, 4>(s, d, outW, outH); break;
        default: downScaleLoop<8, 6>(s, d, outW, outH); break;
    }
    return GraphFilter_WriteResultImage(info);
}

int GraphFilter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                           const float* fillColor) {
    if (compare != 2 && compare != 5) return -1;
    if (fillFlag == 1 && fillColor == nullptr) return -1;
    const float t = std::clamp(threshold / 255.0f, 0.0f, 1.0f);
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_BrightClip(info, compare, t, fillFlag, fillColor);
        return 0;
    }
    const int limit = static_cast<int>(t * 255.0f * 4096.0f);
    const uint32_t fill = fillFlag ? floatPixel(fillColor) : 0;
    if (GraphFilter_PrepareSourceImage(info, 0, -1, -1, nullptr) != 0) return -1;
    const BaseImage& s = info->sourceImage;
    const BaseImage& d = info->destImage;
    const int width = info->workWidth, height = info->workHeight;
    // Each of the four forms gets its own loop.
    auto run = [&](auto keepSource, auto filled) {
        for (int y = 0; y < height; ++y) {
            const uint32_t* sp = reinterpret_cast<const uint32_t*>(rowOf(s, y));
            uint32_t* dp = reinterpret_cast<uint32_t*>(rowOf(d, y));
            for (int x = 0; x < width; ++x) {
                const bool keep = keepSource(luminance(reinterpret_cast<const uint8_t*>(sp + x)));
                if (keep) dp[x] = sp[x];
                else if (filled) dp[x] = fill;
            }
        }
    };
    if (compare == 2) {
        auto keep = [limit](int y) { return y >= limit; };
        fillFlag ? run(keep, std::true_type{}) : run(keep, std::false_type{});
    } else {
        auto keep = [limit](int y) { return y <= limit; };
        fillFlag ? run(keep, std::true_type{}) : run(keep, std::false_type{});
    }
    return GraphFilter_WriteResultImage(info);
}

int GraphFilter_Invert(GraphFilterInfo* info) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_Invert(info);
        return 0;
    }
    return mapPixels(info, [](const uint8_t* s, uint8_t* d) {
        uint32_t p;
        std::memcpy(&p, s, 4);
        p ^= 0x00FFFFFFu;
        std::memcpy(d, &p, 4);
    });
}

int GraphFilter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_TwoColor(info, threshold, below, above);
        return 0;
    }
    const uint32_t low = floatPixel(below), high = floatPixel(above);
    // Luminance runs 0..255·4096: a threshold outside that range is all-above or all-below.
    const int limit = static_cast<int>(std::clamp(threshold, -1.0f, 256.0f) * 4096.0f);
    return mapPixels(info, [=](const uint8_t* s, uint8_t* d) {
        const uint32_t p = luminance(s) < limit ? low : high;
        std::memcpy(d, &p, 4);
    });
}

int GraphFilter_PremultipliedAlpha(GraphFilterInfo* info) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_PremultipliedAlpha(info);
        return 0;
    }
    return mapPixels(info, [](const uint8_t* s, uint8_t* d) {
        const unsigned a = s[3];
        d[0] = static_cast<uint8_t>((s[0] * a) >> 8);
        d[1] = static_cast<uint8_t>((s[1] * a) >> 8);
        d[2] = static_cast<uint8_t>((s[2] * a) >> 8);
        d[3] = s[3];
    });
}

int GraphFilter_InterpolatedAlpha(GraphFilterInfo* info) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_InterpolatedAlpha(info);
        return 0;
    }
    return mapPixels(info, [](const uint8_t* s, uint8_t* d) {
        const unsigned a = s[3];
        for (int c = 0; c < 3; ++c) d[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(s[c] * 255u / a, 255u));
        d[3] = s[3];
    });
}

namespace {
// The movie-frame conversion of one Y, U, V sample (U, V centred on 0): B, G, R bytes
// in 15-bit fixed point, clamped.
inline uint8_t yuvChannel(int v) { return v < 0 ? 0 : v > 8355840 ? 255 : static_cast<uint8_t>(v >> 15); }

template <int SX, int SY, bool RRA>
void yuvLoop(const BaseImage& ys, const BaseImage& uv, const BaseImage& d, int x0, int y0, int width, int height) {
    const int yHalf = ys.width / 2, uvHalf = uv.width / 2;
    // Odd Y sizes leave the last row or column one UV sample short: it repeats the last.
    const int uvLastX = (RRA ? uvHalf : uv.width) - 1, uvLastY = uv.height - 1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* yp = rowOf(ys, y);
        const uint8_t* up = rowOf(uv, std::min((y0 + y) / SY, uvLastY));
        uint8_t* dp = rowOf(d, y);
        for (int x = 0; x < width; ++x, dp += 4) {
            const int ux = std::min((x0 + x) / SX, uvLastX);
            const int y15 = yp[x * 4] << 15;
            const int u = up[ux * 4] - 128, v = up[ux * 4 + 1] - 128;
            dp[0] = yuvChannel(y15 + 58064 * u);
            dp[1] = yuvChannel(y15 - 11272 * u - 23396 * v);
            dp[2] = yuvChannel(y15 + 45940 * v);
            if constexpr (RRA) {
                const int ya = yp[(x + yHalf) * 4] << 15;
                const int va = up[(ux + uvHalf) * 4 + 1] - 128;
                dp[3] = yuvChannel(ya + 45940 * va);
            } else {
                dp[3] = 255;
            }
        }
    }
}

template <bool RRA>
bool yuvDispatch(const BaseImage& ys, const BaseImage& uv, const BaseImage& d, int yWidth, int yHeight, int x0,
                 int y0, int width, int height) {
    const bool fullW = uv.width == yWidth, halfW = uv.width == yWidth / 2, quarterW = uv.width == yWidth / 4;
    const bool fullH = uv.height == yHeight, halfH = uv.height == yHeight / 2;
    if (RRA && uv.width < 2) return false;  // no alpha half
    if (fullW && fullH) yuvLoop<1, 1, RRA>(ys, uv, d, x0, y0, width, height);
    else if (halfW && halfH) yuvLoop<2, 2, RRA>(ys, uv, d, x0, y0, width, height);
    else if (halfW && fullH) yuvLoop<2, 1, RRA>(ys, uv, d, x0, y0, width, height);
    else if (fullW && halfH) yuvLoop<1, 2, RRA>(ys, uv, d, x0, y0, width, height);
    else if (quarterW && fullH) yuvLoop<4, 1, RRA>(ys, uv, d, x0, y0, width, height);
    else return false;
    return true;
}
}  // namespace

int GraphFilter_YuvToRgb(GraphFilterInfo* info, int uvGraph) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_Y2UVToRGB(info, uvGraph);
        return 0;
    }
    const bool rra = info->kind == kGraphFilterYuvToRgbRRA || info->kind == kGraphFilterYuvToRgbUVRRA;
    BaseImage whole{};
    if (GraphFilter_GetGraphImage(info->source, &whole, nullptr) != 0) return -1;
    const int yWidth = whole.width, yHeight = whole.height;
    ReleaseBaseImage(&whole);
    const int width = info->x2 - info->x1, height = info->y2 - info->y1;
    ImageRect rect{info->x1, info->y1, info->x2, info->y2};
    if (rra) {
        // The colour picture is the left half, its alpha picture the right half.
        if (info->x1 != 0 || info->y1 != 0 || width != yWidth / 2 || height != yHeight) return -1;
        rect = ImageRect{0, 0, yWidth, yHeight};
    }
    BaseImage uv{};
    if (GraphFilter_GetGraphImage(uvGraph, &uv, nullptr) != 0) return -1;
    if (GraphFilter_PrepareSourceImage(info, 1, width, height, &rect) != 0) {
        ReleaseBaseImage(&uv);
        return -1;
    }
    const bool done = rra ? yuvDispatch<true>(info->sourceImage, uv, info->destImage, yWidth, yHeight, 0, 0,
                                              width, height)
                          : yuvDispatch<false>(info->sourceImage, uv, info->destImage, yWidth, yHeight, info->x1,
                                               info->y1, width, height);
    ReleaseBaseImage(&uv);
    if (!done) {
        // No conversion is defined for this pairing: nothing is written.
        GraphFilter_ReleaseWorkImages(info);
        return -1;
    }
    return GraphFilter_WriteResultImage(info);
}

int GraphFilter_Bicubic(GraphFilterInfo* info, int width, int height) {
    if (ProgrammableShaderFlag == 1) Graphics_Hardware_Filter_Bicubic(info, width, height);
    return 0;
}

int GraphFilter_Lanczos3(GraphFilterInfo* info, int width, int height) {
    if (ProgrammableShaderFlag == 1) Graphics_Hardware_Filter_Lanczos3(info, width, height);
    return 0;
}

}  // namespace ZaDod
