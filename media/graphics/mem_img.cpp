// Software images: creation over the caller's memory or our own, views onto a
// rectangle, release by reference count, colour descriptors and raw fills.
#include "media/graphics/mem_img.h"

#include <cstdint>
#include <cstring>

#include "media/base/memory.h"

namespace ZaDod {
namespace {

constexpr const char* kSource = "MemImg";

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

int log2Of(int value) {
    int shift = 0;
    while ((1 << shift) < value) ++shift;
    return shift;
}

// Frees what a base owns and the base itself.
void freeBase(MemImgBase* base) {
    if (base->pixels != nullptr && !base->callerBuffer) MemFree(base->pixels);
    if (base->alphaPixels != nullptr) MemFree(base->alphaPixels);
    if (base->runTable != nullptr) MemFree(base->runTable);
    if (base->palette != nullptr) MemFree(base->palette);
    MemFree(base);
}

PixelFormatDesc makeChannelDesc(int bytes) {
    PixelFormatDesc desc{};
    const uint32_t mask = bytes == 1 ? 0xFFu : 0xFFFFu;
    const auto bits = static_cast<uint8_t>(bytes * 8);
    desc.bytesPerPixel = static_cast<uint8_t>(bytes);
    desc.colorBits = bits;
    desc.redWidth = desc.greenWidth = desc.blueWidth = desc.alphaWidth = bits;
    desc.redMask = desc.greenMask = desc.blueMask = desc.alphaMask = mask;
    return desc;
}

struct ColorDataSet {
    PixelFormatDesc desc[2][2][2];  // [type 0/1][alpha][palette]
    PixelFormatDesc channel8, channel16;

    ColorDataSet() {
        for (int alpha = 0; alpha < 2; ++alpha) {
            CreateColorData(&desc[0][alpha][0], alpha ? 32 : 16, 0xF800, 0x07E0, 0x001F, alpha ? 0x00FF0000 : 0);
            CreateColorData(&desc[1][alpha][0], 32, 0x00FF0000, 0x0000FF00, 0x000000FF, alpha ? 0xFF000000 : 0);
            for (int type = 0; type < 2; ++type) {
                // Palette images: one byte per pixel, the channel fields describe the entries.
                desc[type][alpha][1] = desc[type][alpha][0];
                desc[type][alpha][1].colorBits = 8;
                desc[type][alpha][1].bytesPerPixel = 1;
                desc[type][alpha][1].maxPaletteIndex = 255;
            }
        }
        channel8 = makeChannelDesc(1);
        channel16 = makeChannelDesc(2);
    }
};

MemImgDrawState drawState{0, {0, 0, 0, 0}, 0, 0, 0x00FFFFFF, nullptr, nullptr, 0, 0};

}  // namespace

const PixelFormatDesc* GetMemImgColorData(int colorType, int alphaFlag, int paletteFlag) {
    static const ColorDataSet set;
    switch (colorType) {
        case kMemImgR5G6B5:
        case kMemImgX8R8G8B8: return &set.desc[colorType][alphaFlag != 0][paletteFlag != 0];
        case kMemImgChannel8: return &set.channel8;
        case kMemImgChannel16: return &set.channel16;
        default: return nullptr;
    }
}

int CreateMemImg(MEMIMG* img, int width, int height, int pitch, uint32_t transColor, int colorType,
                 int paletteFlag, int alphaFlag, int extraBuffersFlag, void* callerBuffer) {
    if (img->magic == kMemImgMagic) return -1;
    if (width <= 0 || height <= 0 || colorType < 0 || colorType > kMemImgChannel16) return -1;
    if (colorType >= kMemImgChannel8) paletteFlag = alphaFlag = 0;
    if (paletteFlag) alphaFlag = 0;

    // Everything this call allocates is freed again on failure, so that a failed
    // creation leaves neither blocks nor a half-made record behind.
    const bool ownBase = img->base == nullptr;
    MemImgBase* base = ownBase ? static_cast<MemImgBase*>(MemCalloc(sizeof(MemImgBase), kSource, __LINE__))
                               : img->base;
    if (base == nullptr) return -1;
    uint8_t* newPalette = nullptr;
    uint8_t* newPixels = nullptr;
    uint8_t* newAlpha = nullptr;
    uint8_t* newRuns = nullptr;
    auto fail = [&]() {
        if (newPalette) MemFree(newPalette);
        if (newPixels) MemFree(newPixels);
        if (newAlpha) MemFree(newAlpha);
        if (newRuns) MemFree(newRuns);
        if (ownBase) {
            MemFree(base);
        } else {
            if (newPalette) base->palette = base->paletteCopy = nullptr;
            if (newPixels) base->pixels = nullptr;
            if (newAlpha) base->alphaPixels = nullptr;
            if (newRuns) base->runTable = nullptr;
        }
        return -1;
    };

    base->width = width;
    base->height = height;
    base->refCount = 1;
    base->transColor = transColor;
    base->colorType = colorType;
    base->usePalette = paletteFlag != 0;
    base->useAlpha = alphaFlag != 0;
    base->premultipliedValid = 0;
    base->runTableValid = 0;
    base->callerBuffer = callerBuffer != nullptr;

    if (paletteFlag && base->palette == nullptr) {
        newPalette = static_cast<uint8_t*>(MemCalloc(2048, kSource, __LINE__));
        if (newPalette == nullptr) return fail();
        base->palette = newPalette;
        base->paletteCopy = newPalette + 1024;
    }

    // A row wider than an int of bytes cannot be addressed by the pitch: refused.
    const int64_t wideRow = int64_t(MemImgPixelBytes(base)) * width;
    if (wideRow > INT32_MAX - 15) return fail();
    const int rowSize = static_cast<int>(wideRow);
    if (pitch < 0) {
        pitch = (rowSize + 15) & ~15;
        base->pitchShift = pitch == (1 << log2Of(rowSize)) ? log2Of(rowSize) : -1;
    } else {
        if (pitch < rowSize) return fail();
        base->pitchShift = isPowerOfTwo(pitch) ? log2Of(pitch) : -1;
    }
    base->pitch = pitch;
    base->colorData = GetMemImgColorData(colorType, base->useAlpha, base->usePalette);

    const size_t bufferSize = static_cast<size_t>(pitch) * static_cast<size_t>(height);
    if (callerBuffer != nullptr) {
        base->pixels = static_cast<uint8_t*>(callerBuffer);
    } else {
        // An image nobody has drawn into is transparent black, never what freed memory held.
        newPixels = static_cast<uint8_t*>(MemCalloc(bufferSize, kSource, __LINE__));
        if (newPixels == nullptr) return fail();
        base->pixels = newPixels;
    }
    if (extraBuffersFlag) {
        if (base->useAlpha && base->alphaPixels == nullptr) {
            newAlpha = static_cast<uint8_t*>(MemCalloc(bufferSize, kSource, __LINE__));
            if (newAlpha == nullptr) return fail();
            base->alphaPixels = newAlpha;
        }
        if (colorType != kMemImgChannel8 && base->runTable == nullptr) {
            newRuns = static_cast<uint8_t*>(
                MemAlloc(static_cast<size_t>(width + 5) * static_cast<size_t>(height), kSource, __LINE__));
            if (newRuns == nullptr) return fail();
            base->runTable = newRuns;
        }
    }

    img->base = base;
    img->width = width;
    img->height = height;
    img->pixels = base->pixels;
    img->alphaPixels = base->alphaPixels;
    img->magic = kMemImgMagic;
    return 0;
}

int MakeMemImg(MEMIMG* img, int width, int height, int colorType) {
    std::memset(img, 0, sizeof *img);
    if (colorType == -1) colorType = drawState.defaultColorType;
    return CreateMemImg(img, width, height, -1, 0, colorType, 0, 0, 0, nullptr);
}

void DeriveMemImg(MEMIMG* out, const MEMIMG* src, int x, int y, int width, int height) {
    if (!CheckValidMemImg(src) || x < 0 || y < 0 || width < 0 || height < 0 || x + width > src->width ||
        y + height > src->height)
        return;
    MemImgBase* base = src->base;
    const size_t offset = static_cast<size_t>(x) * MemImgPixelBytes(base) + static_cast<size_t>(y) * base->pitch;
    out->magic = kMemImgMagic;
    out->width = width;
    out->height = height;
    out->base = base;
    out->pixels = src->pixels + offset;
    out->alphaPixels = base->alphaPixels != nullptr && src->alphaPixels != nullptr ? src->alphaPixels + offset
                                                                                   : nullptr;
    ++base->refCount;
}

void TerminateMemImg(MEMIMG* img) {
    if (img->magic != kMemImgMagic || img->base == nullptr) return;
    if (--img->base->refCount <= 0) freeBase(img->base);
    img->base = nullptr;
    img->magic = 0;
}

int CheckValidMemImg(const MEMIMG* img) {
    return img != nullptr && img->magic == kMemImgMagic && img->base != nullptr ? 1 : 0;
}

int ClipRect(ImageRect* rect, const ImageRect* bounds) {
    if (rect->right < rect->left) rect->right = rect->left;
    if (rect->bottom < rect->top) rect->bottom = rect->top;
    auto clamp = [](int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; };
    rect->left = clamp(rect->left, bounds->left, bounds->right);
    rect->right = clamp(rect->right, bounds->left, bounds->right);
    rect->top = clamp(rect->top, bounds->top, bounds->bottom);
    rect->bottom = clamp(rect->bottom, bounds->top, bounds->bottom);
    return 0;
}

void FillMemImg(MEMIMG* img, const ImageRect* rect, uint32_t color) {
    if (!CheckValidMemImg(img)) return;
    const ImageRect whole{0, 0, img->width, img->height};
    ImageRect area = rect != nullptr ? *rect : whole;
    ClipRect(&area, &whole);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width == 0 || height == 0) return;
    img->base->runTableValid = 0;
    img->base->premultipliedValid = 0;
    const int bytes = MemImgPixelBytes(img->base);
    const int pitch = img->base->pitch;
    uint8_t* row = img->pixels + static_cast<size_t>(area.top) * pitch + static_cast<size_t>(area.left) * bytes;
    switch (bytes) {
        case 1:
            for (int y = 0; y < height; ++y, row += pitch) std::memset(row, static_cast<uint8_t>(color), width);
            break;
        case 2: {
            const auto value = static_cast<uint16_t>(color);
            for (int y = 0; y < height; ++y, row += pitch) {
                auto* p = reinterpret_cast<uint16_t*>(row);
                for (int x = 0; x < width; ++x) p[x] = value;
            }
            break;
        }
        case 4:
            for (int y = 0; y < height; ++y, row += pitch) {
                auto* p = reinterpret_cast<uint32_t*>(row);
                for (int x = 0; x < width; ++x) p[x] = color;
            }
            break;
        default: break;
    }
}

void BltMemImg(MEMIMG* dest, const MEMIMG* src, const ImageRect* srcRect, int x, int y) {
    if (!CheckValidMemImg(dest) || !CheckValidMemImg(src)) return;
    const ImageRect whole{0, 0, src->width, src->height};
    ImageRect area = srcRect != nullptr ? *srcRect : whole;
    ClipRect(&area, &whole);
    // The converter writes where it is told: keep the copy inside the destination.
    if (x < 0) area.left -= x, x = 0;
    if (y < 0) area.top -= y, y = 0;
    if (area.right - area.left > dest->width - x) area.right = area.left + dest->width - x;
    if (area.bottom - area.top > dest->height - y) area.bottom = area.top + dest->height - y;
    if (area.right <= area.left || area.bottom <= area.top) return;
    dest->base->runTableValid = 0;
    dest->base->premultipliedValid = 0;
    GraphColorMatchBlt(dest->pixels, dest->base->pitch, dest->base->colorData, src->pixels, src->base->pitch,
                       src->base->colorData, nullptr, 0, nullptr, x, y, &area, 0, 0, 0, 0, 0, 0, 0, 0);
}

const MemImgDrawState& GetMemImgDrawState() { return drawState; }

void SetMemImgDefaultColorType(int colorType) { drawState.defaultColorType = colorType; }

void SetMemImgDrawArea(const ImageRect* rect) { drawState.drawArea = *rect; }

void SetMemImgBlendMode(int mode, int param) {
    drawState.blendMode = mode;
    drawState.blendParam = param;
}

void SetMemImgDrawBright(uint32_t packedRgb) { drawState.bright = packedRgb & 0x00FFFFFF; }

void SetMemImgDrawTarget(MEMIMG* target) { drawState.target = target; }

void SetMemImgBlendGraph(const MEMIMG* blendGraph, int type, int ratio) {
    drawState.blendGraph = blendGraph;
    drawState.blendGraphType = type;
    drawState.blendGraphRatio = ratio;
}

}  // namespace ZaDod
