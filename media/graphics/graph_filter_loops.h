// Shared pieces of the software filter and blend loops: row access on work images,
// the fixed-point luminance, clamping, and the worker frame (read the work images,
// run one loop over every pixel, write the result).
#pragma once
#include <algorithm>
#include <cstdint>

#include "media/graphics/graph_filter.h"

namespace ZaDod::filterloop {

inline uint8_t* rowOf(const BaseImage& image, int y) {
    return static_cast<uint8_t*>(image.pixels) + static_cast<ptrdiff_t>(y) * image.pitch;
}

// 466·B + 2404·G + 1224·R: the luminance in 12-bit fixed point (>> 12 gives 0..255).
inline int luminance(const uint8_t* p) { return 466 * p[0] + 2404 * p[1] + 1224 * p[2]; }

inline int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// trunc(value · 255) clamped to a byte, for colours given as floats 0..1.
inline uint8_t floatByte(float value) {
    const float v = value * 255.0f;
    return v <= 0.0f ? 0 : v >= 255.0f ? 255 : static_cast<uint8_t>(v);
}

// A pixel (B, G, R, A bytes) from four floats red, green, blue, alpha.
inline uint32_t floatPixel(const float* rgba) {
    return floatByte(rgba[2]) | floatByte(rgba[1]) << 8 | floatByte(rgba[0]) << 16 |
           static_cast<uint32_t>(floatByte(rgba[3])) << 24;
}

// One row of a per-pixel filter. Source and destination rows never overlap; saying so lets the
// compiler keep the pixel loop tight instead of guarding every store against the next
// pixel's loads.
template <typename PixelFn>
inline void mapRow(const uint8_t* __restrict src, uint8_t* __restrict dst, int width, PixelFn& pixel) {
    for (int x = 0; x < width; ++x) pixel(src + 4 * x, dst + 4 * x);
}

// A row filtered where it lies: one pointer, so the compiler sees each store go to the
// pixel just read.
template <typename PixelFn>
inline void mapRowInPlace(uint8_t* row, int width, PixelFn& pixel) {
    for (int x = 0; x < width; ++x) pixel(row + 4 * x, row + 4 * x);
}

// The worker frame of a filter whose every destination pixel depends only on the source
// pixel at the same place: the graphs' own pixels where they allow it, else a fresh
// destination; row(src, dst, width) for each row (src is dst when filtering in place);
// write.
template <typename RowFn>
int mapRows(GraphFilterInfo* info, RowFn row) {
    if (GraphFilter_UseOwnPixels(info) == 0 && GraphFilter_PrepareSourceImage(info, 1, -1, -1, nullptr) != 0)
        return -1;
    const BaseImage& s = info->sourceImage;
    const BaseImage& d = info->destImage;
    const int width = info->workWidth, height = info->workHeight;
    for (int y = 0; y < height; ++y) row(static_cast<const uint8_t*>(rowOf(s, y)), rowOf(d, y), width);
    return GraphFilter_WriteResultImage(info);
}

// The same frame with pixel(src, dst) for each pixel.
template <typename PixelFn>
int mapPixels(GraphFilterInfo* info, PixelFn pixel) {
    return mapRows(info, [&pixel](const uint8_t* src, uint8_t* dst, int width) {
        if (src == dst) mapRowInPlace(dst, width, pixel);
        else mapRow(src, dst, width, pixel);
    });
}

}  // namespace ZaDod::filterloop
