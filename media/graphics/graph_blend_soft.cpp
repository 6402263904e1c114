// Software graph blends: the per-channel kinds, the kinds with their own alpha
// handling and the channel mix. Each kind is its own instantiated loop.
#include <cmath>
#include <cstring>

#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_filter_loops.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

using filterloop::rowOf;

namespace {

// f(s, b) of the kinds that blend each colour channel towards a target value.
template <int Kind>
inline int target(int s, int b) {
    if constexpr (Kind == kGraphBlendNormal) return b;
    else if constexpr (Kind == kGraphBlendMultiple) return (s * b) >> 8;
    else if constexpr (Kind == kGraphBlendDifference) return s - b < 0 ? 0 : s - b;
    else if constexpr (Kind == kGraphBlendAdd) return std::min(s + b, 255);
    else if constexpr (Kind == kGraphBlendScreen) return 255 - (((255 - s) * (255 - b)) >> 8);
    else if constexpr (Kind == kGraphBlendOverlay)
        return s < 128 ? (b * s) >> 7 : std::min(((((256 - s) * b + (s << 8)) * 2) >> 8) - 255, 255);
    else if constexpr (Kind == kGraphBlendDodge) return b == 255 ? 255 : std::min(s * 256 / (255 - b), 255);
    else if constexpr (Kind == kGraphBlendBurn) return std::max(255 + (s - 255) * 256 / (b + 1), 0);
    else if constexpr (Kind == kGraphBlendDarken) return std::min(s, b);
    else if constexpr (Kind == kGraphBlendLighten) return std::max(s, b);
    else if constexpr (Kind == kGraphBlendSoftLight) {
        const float bf = static_cast<float>(b) / 255.0f;
        const float power = b < 128 ? (1.0f - bf) * 2.0f : 0.5f / bf;
        const float v = 255.0f * std::pow(static_cast<float>(s) / 255.0f, power);
        return v >= 255.0f ? 255 : v <= 0.0f ? 0 : static_cast<int>(v);
    } else if constexpr (Kind == kGraphBlendHardLight)
        return b < 128 ? (s * b) >> 7 : std::min((((256 - s) * b + (s << 8)) >> 7) - 255, 255);
    else return std::min(((s << 7) + (128 - s) * b) >> 7, 255);  // Exclusion
}

// One pixel of a per-channel kind, a whole 32-bit pixel at a time (lanes of one width
// vectorise where byte stores do not).
template <int Kind>
inline uint32_t channelBlendPixel(uint32_t sv, uint32_t bv, int k) {
    const int a = static_cast<int>(bv >> 24) * k;
    uint32_t out = sv & 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
        const int s = static_cast<int>((sv >> (8 * c)) & 0xFF), b = static_cast<int>((bv >> (8 * c)) & 0xFF);
        out |= static_cast<uint32_t>(static_cast<uint8_t>(((target<Kind>(s, b) - s) * a + (s << 16)) >> 16))
               << (8 * c);
    }
    return out;
}

inline uint32_t wholePixel(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// A row whose destination overlaps neither source nor blend row.
template <int Kind>
void channelBlendRow(const uint8_t* __restrict sp, const uint8_t* __restrict bp, uint8_t* __restrict dp, int width,
                     int k) {
    for (int x = 0; x < width; ++x) {
        const uint32_t out = channelBlendPixel<Kind>(wholePixel(sp + 4 * x), wholePixel(bp + 4 * x), k);
        std::memcpy(dp + 4 * x, &out, 4);
    }
}

// A row blended where it lies: the destination is the source.
template <int Kind>
void channelBlendRowInPlace(uint8_t* __restrict dp, const uint8_t* __restrict bp, int width, int k) {
    for (int x = 0; x < width; ++x) {
        const uint32_t out = channelBlendPixel<Kind>(wholePixel(dp + 4 * x), wholePixel(bp + 4 * x), k);
        std::memcpy(dp + 4 * x, &out, 4);
    }
}

template <int Kind>
void channelBlendLoop(const BaseImage& src, const BaseImage& bl, const BaseImage& dst, int width, int height, int k) {
    if (src.pixels == dst.pixels)
        for (int y = 0; y < height; ++y) channelBlendRowInPlace<Kind>(rowOf(dst, y), rowOf(bl, y), width, k);
    else
        for (int y = 0; y < height; ++y) channelBlendRow<Kind>(rowOf(src, y), rowOf(bl, y), rowOf(dst, y), width, k);
}

template <int Kind>
void alphaBlendLoop(const BaseImage& src, const BaseImage& bl, const BaseImage& dst, int width, int height, int k) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* sp = rowOf(src, y);
        const uint8_t* bp = rowOf(bl, y);
        uint8_t* dp = rowOf(dst, y);
        for (int x = 0; x < width; ++x, sp += 4, bp += 4, dp += 4) {
            const unsigned sA = sp[3];
            if constexpr (Kind == kGraphBlendNormalAlphaCh || Kind == kGraphBlendAddAlphaCh) {
                const unsigned a = (static_cast<unsigned>(bp[3]) * k) >> 8;
                if constexpr (Kind == kGraphBlendNormalAlphaCh) {
                    const unsigned w = sA * (256 - a) + (a << 8);
                    // A pixel nothing covers stays transparent black (the image is fresh).
                    if (w == 0) continue;
                    for (int c = 0; c < 3; ++c)
                        dp[c] = static_cast<uint8_t>((sp[c] * sA * (256 - a) + ((bp[c] * a) << 8)) / w);
                    dp[3] = static_cast<uint8_t>(w >> 8);
                } else {
                    const unsigned alpha = ((256 - a) * sA + (a << 8)) >> 8;
                    if (alpha == 0) continue;
                    for (int c = 0; c < 3; ++c)
                        dp[c] = static_cast<uint8_t>(std::min((bp[c] * a + sp[c] * sA) / alpha, 255u));
                    dp[3] = static_cast<uint8_t>(std::min(alpha, 255u));
                }
            } else {
                const int alpha = (((static_cast<int>((bp[3] * sA) >> 8) - static_cast<int>(sA)) * (k * 255)) +
                                   static_cast<int>(sA << 16)) >> 16;
                if constexpr (Kind == kGraphBlendMultipleAOnly) {
                    dp[0] = sp[0], dp[1] = sp[1], dp[2] = sp[2];
                } else {
                    for (int c = 0; c < 3; ++c)
                        dp[c] = sA == 0 ? 0
                                        : static_cast<uint8_t>((std::min(sp[c] * 256u / sA, 255u) * alpha) >> 8);
                }
                dp[3] = static_cast<uint8_t>(alpha);
            }
        }
    }
}

using BlendLoop = void (*)(const BaseImage&, const BaseImage&, const BaseImage&, int, int, int);

constexpr BlendLoop kBlendLoops[kGraphBlendKindCount] = {
    channelBlendLoop<kGraphBlendNormal>,        nullptr,
    channelBlendLoop<kGraphBlendMultiple>,      channelBlendLoop<kGraphBlendDifference>,
    channelBlendLoop<kGraphBlendAdd>,           channelBlendLoop<kGraphBlendScreen>,
    channelBlendLoop<kGraphBlendOverlay>,       channelBlendLoop<kGraphBlendDodge>,
    channelBlendLoop<kGraphBlendBurn>,          channelBlendLoop<kGraphBlendDarken>,
    channelBlendLoop<kGraphBlendLighten>,       channelBlendLoop<kGraphBlendSoftLight>,
    channelBlendLoop<kGraphBlendHardLight>,     channelBlendLoop<kGraphBlendExclusion>,
    alphaBlendLoop<kGraphBlendNormalAlphaCh>,   alphaBlendLoop<kGraphBlendAddAlphaCh>,
    alphaBlendLoop<kGraphBlendMultipleAOnly>,   alphaBlendLoop<kGraphBlendPMAMultipleAOnly>,
};

}  // namespace

int GraphBlend_Basic(GraphFilterInfo* info) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_BasicBlend(info);
        return 0;
    }
    if (info->kind < 0 || info->kind >= kGraphBlendKindCount || kBlendLoops[info->kind] == nullptr) return -1;
    const BlendLoop loop = kBlendLoops[info->kind];
    const int k = static_cast<int>(info->blendRatio * 256.0f);
    // The per-channel kinds write every pixel from the pixels at the same place, so they
    // can run on the graphs' own pixels; the alpha kinds leave uncovered pixels as a
    // fresh destination has them.
    const bool perChannel = info->kind < kGraphBlendNormalAlphaCh;
    if ((!perChannel || GraphFilter_UseOwnPixels(info) == 0) &&
        GraphFilter_PrepareSourceImage(info, 1, -1, -1, nullptr) != 0)
        return -1;
    loop(info->sourceImage, info->blendImage, info->destImage, info->workWidth, info->workHeight, k);
    return GraphFilter_WriteResultImage(info);
}

int GraphBlend_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_RGBAMix(info, red, green, blue, alpha);
        return 0;
    }
    if (GraphFilter_PrepareSourceImage(info, 1, -1, -1, nullptr) != 0) return -1;
    // Selector → (image, byte): 0..3 source R, G, B, A; 4..7 blend R, G, B, A. Byte
    // order in memory is B, G, R, A. An unknown selector gives 0.
    const int byteOf[4] = {2, 1, 0, 3};
    int from[4], at[4];
    const int selectors[4] = {blue, green, red, alpha};  // destination bytes B, G, R, A
    for (int c = 0; c < 4; ++c) {
        const int sel = selectors[c];
        from[c] = sel >= 0 && sel <= 7 ? sel / 4 : -1;
        at[c] = sel >= 0 && sel <= 7 ? byteOf[sel % 4] : 0;
    }
    const BaseImage& s = info->sourceImage;
    const BaseImage& b = info->blendImage;
    const BaseImage& d = info->destImage;
    for (int y = 0; y < info->workHeight; ++y) {
        const uint8_t* rows[2] = {rowOf(s, y), rowOf(b, y)};
        uint8_t* dp = rowOf(d, y);
        for (int x = 0; x < info->workWidth; ++x, dp += 4) {
            for (int c = 0; c < 4; ++c) dp[c] = from[c] < 0 ? 0 : rows[from[c]][x * 4 + at[c]];
        }
    }
    return GraphFilter_WriteResultImage(info);
}

}  // namespace ZaDod
