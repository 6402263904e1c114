// Base images: the device-independent pictures of the media layer.
#include "media/graphics/base_image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/base/memory.h"
#include "media/graphics/image/dxt.h"
#include "media/graphics/pixel_kind.h"

namespace ZaDod {

namespace {

bool g_baseImageStarted = false;

int createImage(int width, int height, BaseImage* image, int (*fill)(PixelFormatDesc*)) {
    if (width < 0 || height < 0) return -1;
    std::memset(image, 0, sizeof *image);
    fill(&image->format);
    const int64_t pitch = (int64_t{width} * 4 + 3) / 4 * 4;
    if (pitch > INT32_MAX) return -1;
    image->pixels = MemAlloc(static_cast<size_t>(pitch) * static_cast<size_t>(height), kBaseImageSource, __LINE__);
    if (image->pixels == nullptr) return -1;
    image->width = width;
    image->height = height;
    image->pitch = static_cast<int32_t>(pitch);
    return 0;
}

// Pixel access needs plain pixels: block data is decoded in place first.
bool plainPixels(BaseImage* image) {
    if (image->format.formatCode != kPixelPlain && ConvertDXTToARGB8(image, 1) != 0) return false;
    return image->pixels != nullptr;
}

uint8_t* pixelAt(const BaseImage* image, int x, int y) {
    return static_cast<uint8_t*>(image->pixels) + static_cast<ptrdiff_t>(y) * image->pitch +
           static_cast<ptrdiff_t>(x) * image->format.bytesPerPixel;
}

// One pixel in the image's layout; false when the layout cannot be written.
bool encodePixel(const PixelFormatDesc& f, int red, int green, int blue, int alpha, uint8_t* out) {
    const pixel::Kind kind = pixel::kindOf(f);
    if (kind == pixel::Kind::None) return false;
    if (kind == pixel::Kind::Packed) {
        pixel::storePacked(out, f.bytesPerPixel, PackColorDataPixel(&f, red, green, blue, alpha));
        return true;
    }
    const int components[4] = {red, green, blue, alpha};
    for (int i = 0; i < f.channelCount; ++i) pixel::writeChannel255(out, kind, i, components[i]);
    return true;
}

// Rows may start at any byte (a file's pitch), so pixels move through memcpy.
template <int N>
void fillRow(uint8_t* p, int width, const uint8_t* pattern) {
    for (int i = 0; i < width; ++i) std::memcpy(p + i * N, pattern, N);
}

void fillRows(BaseImage* image, int x, int y, int width, int height, const uint8_t* pattern) {
    const int bpp = image->format.bytesPerPixel;
    for (int row = 0; row < height; ++row) {
        uint8_t* p = pixelAt(image, x, y + row);
        switch (bpp) {
            case 1: std::memset(p, pattern[0], static_cast<size_t>(width)); break;
            case 2: fillRow<2>(p, width, pattern); break;
            case 3: fillRow<3>(p, width, pattern); break;
            case 4: fillRow<4>(p, width, pattern); break;
            case 8: fillRow<8>(p, width, pattern); break;
            default: fillRow<16>(p, width, pattern); break;
        }
    }
}

// Cuts a rectangle to the image. -1 when it starts at or beyond the right or bottom
// edge or is empty; 0 with nothing left (*width or *height below 1) or the cut rectangle.
int clipRect(const BaseImage* image, int* x, int* y, int* width, int* height) {
    if (*x >= image->width || *y >= image->height || *width < 1 || *height < 1) return -1;
    if (*x < 0) {
        *width += *x;
        *x = 0;
    }
    if (*y < 0) {
        *height += *y;
        *y = 0;
    }
    *width = std::min(*width, image->width - *x);
    *height = std::min(*height, image->height - *y);
    return 0;
}

int fillRect(BaseImage* image, int x, int y, int width, int height, int red, int green, int blue, int alpha) {
    const PixelFormatDesc& f = image->format;
    uint8_t pattern[16];
    if (pixel::kindOf(f) == pixel::Kind::Packed && f.bytesPerPixel == 1) {
        pattern[0] = static_cast<uint8_t>(red);  // a 1-byte format takes the value as it stands
    } else if (!encodePixel(f, red, green, blue, alpha, pattern)) {
        return -1;
    }
    fillRows(image, x, y, width, height, pattern);
    return 0;
}

}  // namespace

int CreateARGB8ColorBaseImage(int width, int height, BaseImage* image) {
    return createImage(width, height, image, CreateARGB8ColorData);
}

int CreateXRGB8ColorBaseImage(int width, int height, BaseImage* image) {
    return createImage(width, height, image, CreateXRGB8ColorData);
}

int ReleaseBaseImage(BaseImage* image) {
    if (image->pixels != nullptr) MemFree(image->pixels);
    std::memset(image, 0, sizeof *image);
    return 0;
}

int DeriveBaseImage(const BaseImage* image, int x1, int y1, int x2, int y2, BaseImage* out) {
    if (x1 < 0 || y1 < 0 || x1 >= x2 || y1 >= y2 || x2 > image->width || y2 > image->height) return -1;
    // A view covers one level of one image; block data cannot be cut at a pixel.
    if (image->format.formatCode != kPixelPlain || image->mipCount > 1 || image->imageCount > 1) return -1;
    if (image->pixels == nullptr) return -1;
    *out = *image;
    out->width = x2 - x1;
    out->height = y2 - y1;
    out->pixels = pixelAt(image, x1, y1);
    return 0;
}

int64_t GetBaseImageDataSize(const BaseImage* image) {
    const PixelFormatDesc& f = image->format;
    if (image->width < 0 || image->height < 0 || image->pitch < 0) return -1;
    const int64_t images = std::max(1, image->imageCount);
    const int levels = std::max(1, image->mipCount);
    int64_t blockBytes = 0;
    if (f.formatCode == kPixelDXT1) {
        blockBytes = 8;
    } else if (f.formatCode >= kPixelDXT2 && f.formatCode <= kPixelDXT5) {
        blockBytes = 16;
    } else if (f.formatCode != kPixelPlain) {
        return -1;
    }
    if (blockBytes == 0 && levels == 1) return int64_t{image->pitch} * image->height * images;
    int64_t total = 0;
    for (int k = 0; k < levels && k < 32; ++k) {
        const int64_t w = std::max(1, image->width >> k);
        const int64_t h = std::max(1, image->height >> k);
        total += blockBytes != 0 ? (w + 3) / 4 * ((h + 3) / 4) * blockBytes : int64_t{f.bytesPerPixel} * w * h;
    }
    return total * images;
}

int GetBaseImageMaxValue(const BaseImage* image) {
    const PixelFormatDesc& f = image->format;
    if (f.formatCode != kPixelPlain || f.bytesPerPixel != 1 || image->pixels == nullptr) return -1;
    int max = 0;
    for (int y = 0; y < image->height && max < 255; ++y) {
        const uint8_t* row = pixelAt(image, 0, y);
        for (int x = 0; x < image->width; ++x) max = std::max<int>(max, row[x]);
    }
    return max;
}

int FillBaseImage(BaseImage* image, int red, int green, int blue, int alpha) {
    if (!plainPixels(image)) return -1;
    return fillRect(image, 0, 0, image->width, image->height, red, green, blue, alpha);
}

int FillBaseImageRect(BaseImage* image, int x, int y, int width, int height, int red, int green, int blue,
                      int alpha) {
    if (clipRect(image, &x, &y, &width, &height) != 0 || !plainPixels(image)) return -1;
    if (width < 1 || height < 1) return 0;
    return fillRect(image, x, y, width, height, red, green, blue, alpha);
}

int ClearRectBaseImage(BaseImage* image, int x, int y, int width, int height) {
    if (clipRect(image, &x, &y, &width, &height) != 0 || !plainPixels(image)) return -1;
    if (width < 1 || height < 1) return 0;
    const size_t bytes = size_t{image->format.bytesPerPixel} * static_cast<size_t>(width);
    for (int row = 0; row < height; ++row) std::memset(pixelAt(image, x, y + row), 0, bytes);
    return 0;
}

int GetBaseImagePixel(BaseImage* image, int x, int y, int* red, int* green, int* blue, int* alpha) {
    if (!plainPixels(image)) return -1;
    if (x < 0 || y < 0 || x >= image->width || y >= image->height) return -1;
    const PixelFormatDesc& f = image->format;
    const pixel::Kind kind = pixel::kindOf(f);
    const uint8_t* p = pixelAt(image, x, y);
    if (kind == pixel::Kind::None) return -1;
    if (kind != pixel::Kind::Packed) {
        int* out[4] = {red, green, blue, alpha};
        for (int i = 0; i < f.channelCount; ++i)
            if (out[i]) *out[i] = pixel::readChannel255(p, kind, i);
        return 0;
    }
    if (f.bytesPerPixel == 1) {
        const PaletteEntry& e = f.palette[*p];
        if (red) *red = e.red;
        if (green) *green = e.green;
        if (blue) *blue = e.blue;
        if (alpha) *alpha = e.reserved;
        return 0;
    }
    UnpackColorDataPixel(&f, pixel::loadPacked(p, f.bytesPerPixel), red, green, blue, alpha);
    return 0;
}

int SetBaseImagePixel(BaseImage* image, int x, int y, int red, int green, int blue, int alpha) {
    if (!plainPixels(image)) return -1;
    if (x < 0 || y < 0 || x >= image->width || y >= image->height) return -1;
    return encodePixel(image->format, red, green, blue, alpha, pixelAt(image, x, y)) ? 0 : -1;
}

int MirrorBaseImage(BaseImage* image) {
    if (image->width == 0 || image->height == 0) return -1;
    if (!plainPixels(image)) return -1;
    const int bpp = image->format.bytesPerPixel;
    if (pixel::kindOf(image->format) == pixel::Kind::None) return -1;
    for (int y = 0; y < image->height; ++y) {
        uint8_t* row = pixelAt(image, 0, y);
        if (bpp == 1) {
            std::reverse(row, row + image->width);
            continue;
        }
        uint8_t tmp[16];
        for (int l = 0, r = image->width - 1; l < r; ++l, --r) {
            std::memcpy(tmp, row + l * bpp, static_cast<size_t>(bpp));
            std::memcpy(row + l * bpp, row + r * bpp, static_cast<size_t>(bpp));
            std::memcpy(row + r * bpp, tmp, static_cast<size_t>(bpp));
        }
    }
    return 0;
}

int InitializeBaseImageManage() {
    if (g_baseImageStarted) return -1;
    g_baseImageStarted = true;
    return 0;
}

int TerminateBaseImageManage() {
    if (!g_baseImageStarted) return -1;
    g_baseImageStarted = false;
    return 0;
}

}  // namespace ZaDod
