// The one conversion between any two pixel layouts, and mip halving.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/graphics/color_blit_internal.h"

namespace ZaDod {

namespace {

bool sameLayout(const PixelFormatDesc& a, const PixelFormatDesc& b) {
    return a.bytesPerPixel == b.bytesPerPixel && a.channelCount == b.channelCount &&
           a.channelBits == b.channelBits && a.floatFlag == b.floatFlag && a.redMask == b.redMask &&
           a.greenMask == b.greenMask && a.blueMask == b.blueMask && a.alphaMask == b.alphaMask;
}

void copyRows(const blit::Job& job) {
    const size_t bytes = static_cast<size_t>(job.width) * job.df->bytesPerPixel;
    for (int y = 0; y < job.height; ++y)
        std::memmove(job.dst + y * job.dstPitch, job.src + y * job.srcPitch, bytes);
}

// Byte copy between two 8-bit layouts; the highest byte copied is the result.
int copyBytes(const blit::Job& job) {
    uint8_t highest = 0;
    for (int y = 0; y < job.height; ++y) {
        const uint8_t* s = job.src + y * job.srcPitch;
        std::memmove(job.dst + y * job.dstPitch, s, static_cast<size_t>(job.width));
        for (int x = 0; x < job.width; ++x) highest = std::max(highest, s[x]);
    }
    return highest;
}

int colorMatchBlt(void* destPixels, int destPitch, const PixelFormatDesc* destFormat, const void* srcPixels,
                  int srcPitch, const PixelFormatDesc* srcFormat, const void* alphaPixels, int alphaPitch,
                  const PixelFormatDesc* alphaFormat, int destX, int destY, const ImageRect* rect,
                  int useTransColor, uint32_t transColor, int dither, int singleChannel, int ignoreTransColor,
                  bool perChannelOnly) {
    if (destPixels == nullptr || srcPixels == nullptr || destFormat == nullptr || srcFormat == nullptr ||
        rect == nullptr)
        return -1;
    blit::Job job{};
    job.df = destFormat;
    job.sf = srcFormat;
    job.dk = pixel::kindOf(*destFormat);
    job.sk = pixel::kindOf(*srcFormat);
    job.width = rect->right - rect->left;
    job.height = rect->bottom - rect->top;
    if (job.width <= 0 || job.height <= 0) return -1;
    if (job.dk == pixel::Kind::None || job.sk == pixel::Kind::None) return -1;

    const bool alphaImage = alphaPixels != nullptr && alphaFormat != nullptr;
    job.destAlpha = blit::hasAlpha(*destFormat);
    job.srcAlpha = blit::hasAlpha(*srcFormat);
    job.alphaFromImage = job.destAlpha && alphaImage && !job.srcAlpha;
    job.trans = useTransColor != 0 && job.destAlpha && !job.srcAlpha && !job.alphaFromImage && ignoreTransColor == 0;
    job.transColor = transColor;
    job.dither = dither != 0;
    job.singleChannel = singleChannel != 0;

    job.dstPitch = destPitch;
    job.srcPitch = srcPitch;
    job.dstX = destX;
    job.dstY = destY;
    job.dst = static_cast<uint8_t*>(destPixels) + ptrdiff_t{destY} * destPitch +
              ptrdiff_t{destX} * destFormat->bytesPerPixel;
    job.src = static_cast<const uint8_t*>(srcPixels) + ptrdiff_t{rect->top} * srcPitch +
              ptrdiff_t{rect->left} * srcFormat->bytesPerPixel;
    if (job.alphaFromImage) {
        job.ak = pixel::kindOf(*alphaFormat);
        if (job.ak == pixel::Kind::None) return -1;
        job.af = alphaFormat;
        job.alphaPitch = alphaPitch;
        job.alpha = static_cast<const uint8_t*>(alphaPixels) + ptrdiff_t{rect->top} * alphaPitch +
                    ptrdiff_t{rect->left} * alphaFormat->bytesPerPixel;
    }

    // One-byte palette layouts (or ones without channel masks) hold indices, which only
    // copy; an 8-bit layout of masked channels (R3G3B2) converts like any other.
    const bool dest8 = job.dk == pixel::Kind::Packed && destFormat->bytesPerPixel == 1 &&
                       (destFormat->maxPaletteIndex != 0 ||
                        (destFormat->redMask | destFormat->greenMask | destFormat->blueMask) == 0);
    if (dest8 && !job.singleChannel) {
        if (job.sk != pixel::Kind::Packed || srcFormat->bytesPerPixel != 1) return -1;
        return copyBytes(job);
    }
    if (!perChannelOnly && !job.singleChannel && !job.trans && !job.alphaFromImage &&
        sameLayout(*destFormat, *srcFormat) && (job.dk != pixel::Kind::Packed || destFormat->unusedMask == 0)) {
        copyRows(job);
        return 0;
    }
    if (perChannelOnly || !blit::fast(job)) blit::perChannel(job);
    return 0;
}

}  // namespace

int GraphColorMatchBlt(void* destPixels, int destPitch, const PixelFormatDesc* destFormat, const void* srcPixels,
                       int srcPitch, const PixelFormatDesc* srcFormat, const void* alphaPixels, int alphaPitch,
                       const PixelFormatDesc* alphaFormat, int destX, int destY, const ImageRect* srcRect,
                       int /*matchMode*/, int useTransColor, uint32_t transColor, int dither, int singleChannel,
                       int ignoreTransColor, int /*extraMode*/, int /*extraMode2*/) {
    return colorMatchBlt(destPixels, destPitch, destFormat, srcPixels, srcPitch, srcFormat, alphaPixels,
                         alphaPitch, alphaFormat, destX, destY, srcRect, useTransColor, transColor, dither,
                         singleChannel, ignoreTransColor, false);
}

namespace blit {

int GraphColorMatchBltPerChannel(void* destPixels, int destPitch, const PixelFormatDesc* destFormat,
                                 const void* srcPixels, int srcPitch, const PixelFormatDesc* srcFormat,
                                 const void* alphaPixels, int alphaPitch, const PixelFormatDesc* alphaFormat,
                                 int destX, int destY, const ImageRect* srcRect, int /*matchMode*/,
                                 int useTransColor, uint32_t transColor, int dither, int singleChannel,
                                 int ignoreTransColor, int /*extraMode*/, int /*extraMode2*/) {
    return colorMatchBlt(destPixels, destPitch, destFormat, srcPixels, srcPitch, srcFormat, alphaPixels,
                         alphaPitch, alphaFormat, destX, destY, srcRect, useTransColor, transColor, dither,
                         singleChannel, ignoreTransColor, true);
}

}  // namespace blit

}  // namespace ZaDod
