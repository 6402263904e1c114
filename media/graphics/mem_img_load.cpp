// Loading base images into software images: the pixel conversion, palettes, the
// premultiplied copy and the run table that lets drawing skip or copy whole runs.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/mem_img.h"

namespace ZaDod {
namespace {

// Emits runs of equal class for one row; classOf maps a pixel index to a kind byte.
template <typename ClassOf>
uint8_t* buildRow(uint8_t* out, int width, ClassOf classOf) {
    int x = 0;
    while (x < width) {
        const uint8_t kind = classOf(x);
        int end = x + 1;
        const int limit = std::min(width, x + 64);
        while (end < limit && classOf(end) == kind) ++end;
        *out++ = static_cast<uint8_t>(kind | (end - x - 1));
        x = end;
    }
    *out++ = kRunRowEnd;
    return out;
}

inline uint8_t alphaClass(uint8_t alpha) {
    return alpha == 0 ? kRunClear : alpha == 255 ? kRunSolid : kRunBlend;
}

void buildRunTable(const MEMIMG* img) {
    const MemImgBase* base = img->base;
    uint8_t* out = base->runTable;
    const uint8_t* row = img->pixels;
    for (int y = 0; y < img->height; ++y, row += base->pitch) {
        if (base->useAlpha) {
            const int bytes = MemImgPixelBytes(base);
            const int alphaByte = base->colorType == kMemImgX8R8G8B8 ? 3 : 2;
            out = buildRow(out, img->width, [&](int x) { return alphaClass(row[x * bytes + alphaByte]); });
        } else if (base->usePalette) {
            const auto trans = static_cast<uint8_t>(base->transColor);
            out = buildRow(out, img->width, [&](int x) { return row[x] == trans ? kRunClear : kRunSolid; });
        } else if (base->colorType == kMemImgX8R8G8B8) {
            const auto* p = reinterpret_cast<const uint32_t*>(row);
            const uint32_t trans = base->transColor;
            out = buildRow(out, img->width, [&](int x) { return p[x] == trans ? kRunClear : kRunSolid; });
        } else {
            const auto* p = reinterpret_cast<const uint16_t*>(row);
            const auto trans = static_cast<uint16_t>(base->transColor);
            out = buildRow(out, img->width, [&](int x) { return p[x] == trans ? kRunClear : kRunSolid; });
        }
    }
}

void buildPremultiplied(const MEMIMG* img) {
    const MemImgBase* base = img->base;
    const uint8_t* srcRow = img->pixels;
    uint8_t* destRow = img->alphaPixels;
    // Sizes in locals: the stores below could otherwise alias the image's own fields,
    // which would be read again each pixel and keep the loops from being vectorised.
    const int width = img->width, height = img->height;
    const std::ptrdiff_t pitch = base->pitch;
    const bool wide = base->colorType == kMemImgX8R8G8B8;
    for (int y = 0; y < height; ++y, srcRow += pitch, destRow += pitch) {
        const auto* src = reinterpret_cast<const uint32_t*>(srcRow);
        auto* dest = reinterpret_cast<uint32_t*>(destRow);
        if (wide) {
            for (int x = 0; x < width; ++x) {
                const uint32_t p = src[x];
                const uint32_t a = p >> 24;
                const uint32_t b = ((p & 0xFF) * a) >> 8;
                const uint32_t g = (((p >> 8) & 0xFF) * a) >> 8;
                const uint32_t r = (((p >> 16) & 0xFF) * a) >> 8;
                dest[x] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const uint32_t p = src[x];
                const uint32_t a = (p >> 16) & 0xFF;
                const uint32_t rgb = ((((p & 0xF800) * a) & (0xF800u << 8)) | (((p & 0x07E0) * a) & (0x07E0u << 8)) |
                                      (((p & 0x001F) * a) & (0x001Fu << 8))) >> 8;
                dest[x] = (a << 16) | rgb;
            }
        }
    }
}

void copyPalette(MemImgBase* base, const PixelFormatDesc* source) {
    if (base->colorType == kMemImgX8R8G8B8) {
        auto* out = reinterpret_cast<uint32_t*>(base->palette);
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = source->palette[i];
            out[i] = (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
        }
    } else {
        auto* out = reinterpret_cast<uint16_t*>(base->palette);
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = source->palette[i];
            out[i] = static_cast<uint16_t>(((e.red & 0xF8) << 8) | ((e.green & 0xFC) << 3) | (e.blue >> 3));
        }
    }
    std::memcpy(base->paletteCopy, base->palette, 1024);
}

}  // namespace

void MarkMemImgPixelsChanged(MemImgBase* base) {
    base->premultipliedValid = 0;
    base->runTableValid =
        base->runTable != nullptr && base->colorType <= kMemImgX8R8G8B8 ? kMemImgTablesPending : 0;
}

void RefreshMemImgTables(MemImgBase* base) {
    if (base->runTableValid != kMemImgTablesPending) return;
    const MEMIMG whole{kMemImgMagic, base->width, base->height, base->pixels, base->alphaPixels, base};
    if (base->useAlpha && base->alphaPixels != nullptr) {
        buildPremultiplied(&whole);
        base->premultipliedValid = 1;
    }
    buildRunTable(&whole);
    base->runTableValid = 1;
}

int BltBaseImageToMemImg(const BaseImage* image, const BaseImage* alphaImage, MEMIMG* img, int srcX, int srcY,
                         int width, int height, int destX, int destY, int useTransColor) {
    if (!CheckValidMemImg(img) || image == nullptr || image->pixels == nullptr) return -1;
    MemImgBase* base = img->base;
    // Bad rectangles are refused rather than written past either image.
    if (srcX < 0 || srcY < 0 || destX < 0 || destY < 0 || width <= 0 || height <= 0 ||
        srcX + width > image->width || srcY + height > image->height || destX + width > img->width ||
        destY + height > img->height)
        return -1;
    if (alphaImage != nullptr &&
        (alphaImage->pixels == nullptr || srcX + width > alphaImage->width || srcY + height > alphaImage->height))
        return -1;

    const ImageRect rect{srcX, srcY, srcX + width, srcY + height};
    // The converter addresses the destination from its first pixel: hand it this image's.
    const int result =
        base->colorType >= kMemImgChannel8
            ? GraphColorMatchBlt(img->pixels, base->pitch, base->colorData, image->pixels, image->pitch,
                                 &image->format, nullptr, 0, nullptr, destX, destY, &rect, 1, 0, 0, 0, 1, 0, 0, 0)
            : GraphColorMatchBlt(img->pixels, base->pitch, base->colorData, image->pixels, image->pitch,
                                 &image->format, alphaImage ? alphaImage->pixels : nullptr,
                                 alphaImage ? alphaImage->pitch : 0, alphaImage ? &alphaImage->format : nullptr,
                                 destX, destY, &rect, 0, useTransColor, base->transColor, 0, 0, 0, 0, 0);
    if (result < 0) return result;
    if (alphaImage == nullptr && base->usePalette) base->paletteColorsUsed = result + 1;
    if (base->usePalette) copyPalette(base, &image->format);

    base->premultipliedValid = 0;
    base->runTableValid = 0;
    const bool whole = width == img->width && height == img->height && img->pixels == base->pixels &&
                       img->width == base->width && img->height == base->height;
    if (!whole || base->colorType > kMemImgX8R8G8B8 || base->runTable == nullptr) return result;

    base->runTableValid = 1;
    if (base->useAlpha && base->alphaPixels != nullptr) {
        base->premultipliedValid = 1;
        buildPremultiplied(img);
    }
    buildRunTable(img);
    return result;
}

}  // namespace ZaDod
