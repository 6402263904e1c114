// The one conversion between any two pixel layouts, and mip halving.
#pragma once
#include <cstdint>

#include "media/graphics/pixel_format.h"

namespace ZaDod {

struct ImageRect {
    int32_t left, top, right, bottom;
};

// Copies srcRect of the source into the destination at (destX, destY), converting
// between the two layouts. Alpha comes from the source, else from the alpha image
// (same coordinates as the source), else is full; with useTransColor, source pixels
// equal to transColor (compared on their colour bits) get alpha 0.
//   matchMode         non-zero cancels extraMode
//   dither            ordered dithering where a channel is narrowed
//   singleChannel     only the destination's first (red) channel is written
//   ignoreTransColor  cancels useTransColor
//   extraMode, extraMode2  accepted, no effect
// Result: -1 for an empty rectangle or a pair of layouts without a conversion;
// for a copy between two 8-bit layouts the highest byte copied; else 0.
int GraphColorMatchBlt(void* destPixels, int destPitch, const PixelFormatDesc* destFormat,
                       const void* srcPixels, int srcPitch, const PixelFormatDesc* srcFormat,
                       const void* alphaPixels, int alphaPitch, const PixelFormatDesc* alphaFormat,
                       int destX, int destY, const ImageRect* srcRect, int matchMode, int useTransColor,
                       uint32_t transColor, int dither, int singleChannel, int ignoreTransColor, int extraMode,
                       int extraMode2);

// Halves an image (2 x 2 averages) for the next mip level. Width and height must
// each be 1 or even.
int GraphHalfScaleBlt(const PixelFormatDesc* format, void* destPixels, int destPitch, const void* srcPixels,
                      int srcPitch, int destX, int destY, int srcX, int srcY, int width, int height);

}  // namespace ZaDod
