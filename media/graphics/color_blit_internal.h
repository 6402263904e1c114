// Internal to media/graphics: the parts of the colour blitter. The per-channel
// path defines the result of every conversion; the fast paths must match it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/graphics/color_blit.h"
#include "media/graphics/pixel_kind.h"

namespace ZaDod::blit {

struct Job {
    uint8_t* dst;
    ptrdiff_t dstPitch;
    const PixelFormatDesc* df;
    const uint8_t* src;  // first pixel of the source rectangle
    ptrdiff_t srcPitch;
    const PixelFormatDesc* sf;
    const uint8_t* alpha;  // first pixel of the alpha rectangle, or null when not used
    ptrdiff_t alphaPitch;
    const PixelFormatDesc* af;
    int dstX, dstY;  // destination position of the rectangle's first pixel
    int width, height;
    pixel::Kind dk, sk, ak;
    bool destAlpha;       // the destination has an alpha channel
    bool srcAlpha;        // the source has an alpha channel
    bool alphaFromImage;  // alpha comes from the alpha image
    bool trans;
    uint32_t transColor;
    bool dither;
    bool singleChannel;
};

inline bool hasAlpha(const PixelFormatDesc& f) {
    return f.channelCount != 0 ? f.channelCount == 4 : f.alphaWidth != 0;
}

// Bits of a destination that no channel uses: set in 32-bit layouts without alpha
// (their spare byte reads as opaque), clear everywhere else.
inline uint32_t unusedFill(const PixelFormatDesc& f) {
    return f.bytesPerPixel == 4 && f.alphaWidth == 0 ? f.unusedMask : 0;
}

// 4 x 4 ordered-dither matrix, row by destination y, column by destination x.
inline constexpr uint8_t kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

void perChannel(const Job& job);
// False when the job has no fast path; nothing is written then.
bool fast(const Job& job);

// The blitter with every fast path switched off (for tests that compare paths).
int GraphColorMatchBltPerChannel(void* destPixels, int destPitch, const PixelFormatDesc* destFormat,
                                 const void* srcPixels, int srcPitch, const PixelFormatDesc* srcFormat,
                                 const void* alphaPixels, int alphaPitch, const PixelFormatDesc* alphaFormat,
                                 int destX, int destY, const ImageRect* srcRect, int matchMode, int useTransColor,
                                 uint32_t transColor, int dither, int singleChannel, int ignoreTransColor,
                                 int extraMode, int extraMode2);

}  // namespace ZaDod::blit
