// Reading texels of any graph texture format back as colour words, for both hardware back
// ends: the colour blitter converts the format (packed, channel, half or float layouts)
// into 8-bit ARGB, so every format reads by one rule.
#pragma once
#include <cstdint>

#include "media/graphics/color_blit.h"
#include "media/graphics/pixel_format.h"

namespace ZaDod {

// A w x h block of texels of layout `desc` (`pitch` bytes a row) as 0xAARRGGBB words (alpha
// 0xFF when `opaque`), w to a row of `out`. Wide and float channels are clamped to 0..1.
// -1 without a layout.
inline int ReadTexelsARGB(const PixelFormatDesc* desc, const void* texels, int pitch, int w, int h, uint32_t* out,
                          bool opaque = true) {
    if (desc == nullptr || desc->bytesPerPixel == 0 || w <= 0 || h <= 0) return -1;
    PixelFormatDesc argb;
    CreateARGB8ColorData(&argb);
    const ImageRect whole{0, 0, w, h};
    if (GraphColorMatchBlt(out, w * 4, &argb, texels, pitch, desc, nullptr, 0, nullptr, 0, 0, &whole, 0, 0, 0, 0, 0, 0,
                           0, 0) < 0)
        return -1;
    if (opaque)
        for (int i = 0; i < w * h; ++i) out[i] |= 0xFF000000u;
    return 0;
}

// One texel of layout `desc` holding the colour (red, green, blue, alpha: 0..255), written
// through the colour blitter into `out` (room for 16 bytes). -1 without a layout.
inline int PackTexel(const PixelFormatDesc* desc, int red, int green, int blue, int alpha, uint8_t* out) {
    if (desc == nullptr || desc->bytesPerPixel == 0 || desc->bytesPerPixel > 16) return -1;
    PixelFormatDesc argb;
    CreateARGB8ColorData(&argb);
    const uint32_t colour = uint32_t(alpha & 0xFF) << 24 | uint32_t(red & 0xFF) << 16 | uint32_t(green & 0xFF) << 8 |
                            uint32_t(blue & 0xFF);
    const ImageRect one{0, 0, 1, 1};
    return GraphColorMatchBlt(out, desc->bytesPerPixel, desc, &colour, 4, &argb, nullptr, 0, nullptr, 0, 0, &one, 0, 0,
                              0, 0, 0, 0, 0, 0) < 0
               ? -1
               : 0;
}

}  // namespace ZaDod
