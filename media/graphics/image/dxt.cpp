// Block-compressed (DXT1 to DXT5) pictures decoded to 32-bit ARGB.
#include "media/graphics/image/dxt.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/pixel_widen.h"

namespace ZaDod {

namespace {

// Endpoints widen by truncating, c x 255 / 31 and c x 255 / 63.
constexpr const uint8_t* kFive = pixel::kScale255.v[5];
constexpr const uint8_t* kSix = pixel::kScale255.v[6];

inline uint32_t load16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
inline uint32_t load32(const uint8_t* p) { return load16(p) | load16(p + 2) << 16; }

inline uint32_t argb(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

// Colour block: four palette colours, two index bits a pixel.
void decodeColour(const uint8_t* block, bool dxt1, uint32_t out[16]) {
    const uint32_t c0 = load16(block), c1 = load16(block + 2);
    const uint32_t r0 = kFive[c0 >> 11], g0 = kSix[(c0 >> 5) & 63], b0 = kFive[c0 & 31];
    const uint32_t r1 = kFive[c1 >> 11], g1 = kSix[(c1 >> 5) & 63], b1 = kFive[c1 & 31];
    uint32_t palette[4];
    palette[0] = argb(r0, g0, b0, 255);
    palette[1] = argb(r1, g1, b1, 255);
    if (!dxt1 || c0 > c1) {
        palette[2] = argb((2 * r0 + r1) / 3, (2 * g0 + g1) / 3, (2 * b0 + b1) / 3, 255);
        palette[3] = argb((r0 + 2 * r1) / 3, (g0 + 2 * g1) / 3, (b0 + 2 * b1) / 3, 255);
    } else {
        palette[2] = argb((r0 + r1) >> 1, (g0 + g1) >> 1, (b0 + b1) >> 1, 255);
        palette[3] = palette[2] & 0x00FFFFFFu;  // transparent
    }
    const uint32_t indices = load32(block + 4);
    for (int i = 0; i < 16; ++i) out[i] = palette[(indices >> (2 * i)) & 3];
}

// Explicit 4-bit alpha (a x 255 / 15 is a x 17).
void decodeExplicitAlpha(const uint8_t* block, uint32_t out[16]) {
    for (int i = 0; i < 16; ++i) {
        const uint32_t a = pixel::widen4((block[i >> 1] >> ((i & 1) * 4)) & 15);
        out[i] = (out[i] & 0x00FFFFFFu) | a << 24;
    }
}

// Interpolated alpha: two endpoints and 3-bit indices into a 6- or 8-value palette.
void decodeInterpolatedAlpha(const uint8_t* block, uint32_t out[16]) {
    const uint32_t a0 = block[0], a1 = block[1];
    uint32_t palette[8] = {a0, a1};
    if (a0 > a1) {
        for (uint32_t k = 1; k <= 6; ++k) palette[k + 1] = ((7 - k) * a0 + k * a1) / 7;
    } else {
        for (uint32_t k = 1; k <= 4; ++k) palette[k + 1] = ((5 - k) * a0 + k * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
    for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0x00FFFFFFu) | palette[(bits >> (3 * i)) & 7] << 24;
}

// Premultiplied kinds store c x alpha; undo it. Alpha 0 has no colour left.
void unpremultiply(uint32_t out[16]) {
    for (int i = 0; i < 16; ++i) {
        const uint32_t a = out[i] >> 24;
        if (a == 0) {
            out[i] = 0;
            continue;
        }
        auto un = [&](int shift) { return std::min<uint32_t>(((out[i] >> shift) & 0xFF) * 255 / a, 255); };
        out[i] = argb(un(16), un(8), un(0), a);
    }
}

void decodeBlock(const uint8_t* block, int code, uint32_t out[16]) {
    if (code == kPixelDXT1) {
        decodeColour(block, true, out);
        return;
    }
    decodeColour(block + 8, false, out);
    if (code == kPixelDXT2 || code == kPixelDXT3) {
        decodeExplicitAlpha(block, out);
    } else {
        decodeInterpolatedAlpha(block, out);
    }
    if (code == kPixelDXT2 || code == kPixelDXT4) unpremultiply(out);
}

// Level 0 of one image; edge blocks write only the pixels inside the image.
void decodeLevel(const uint8_t* blocks, int code, int width, int height, uint8_t* dst) {
    const int blockBytes = code == kPixelDXT1 ? 8 : 16;
    const int blocksX = (width + 3) / 4, blocksY = (height + 3) / 4;
    const ptrdiff_t pitch = ptrdiff_t{width} * 4;
    uint32_t px[16];
    for (int by = 0; by < blocksY; ++by) {
        const int rows = std::min(4, height - by * 4);
        for (int bx = 0; bx < blocksX; ++bx, blocks += blockBytes) {
            decodeBlock(blocks, code, px);
            const int cols = std::min(4, width - bx * 4);
            uint8_t* d = dst + by * 4 * pitch + bx * 16;
            for (int r = 0; r < rows; ++r) std::memcpy(d + r * pitch, px + 4 * r, static_cast<size_t>(cols) * 4);
        }
    }
}

bool isExactARGB8(const PixelFormatDesc& f) {
    return f.formatCode == kPixelPlain && f.channelCount == 0 && f.floatFlag == 0 && f.bytesPerPixel == 4 &&
           f.colorBits == 32 && f.redMask == 0x00FF0000 && f.greenMask == 0x0000FF00 && f.blueMask == 0x000000FF &&
           f.alphaMask == 0xFF000000 && f.unusedMask == 0;
}

}  // namespace

int ConvertDXTToARGB8(BaseImage* image, int freeOldPixels) {
    const int code = image->format.formatCode;
    if (code == kPixelPlain) return 0;
    if (image->pixels == nullptr || image->width <= 0 || image->height <= 0) return -1;
    const int images = std::max(1, image->imageCount);
    const size_t faceBytes = size_t(image->width) * 4 * size_t(image->height);
    auto* out = static_cast<uint8_t*>(MemAlloc(faceBytes * images, kBaseImageSource, __LINE__));
    if (out == nullptr) return -1;

    const int64_t total = GetBaseImageDataSize(image);
    if (code > kPixelDXT5 || total < 0) {
        std::memset(out, 0, faceBytes * images);  // a block kind we cannot decode
    } else {
        // Each face carries its whole mip chain; only level 0 is decoded.
        const auto faceStride = static_cast<size_t>(total / images);
        const auto* src = static_cast<const uint8_t*>(image->pixels);
        for (int face = 0; face < images; ++face)
            decodeLevel(src + face * faceStride, code, image->width, image->height, out + face * faceBytes);
    }

    if (freeOldPixels) MemFree(image->pixels);
    image->pixels = out;
    image->pitch = image->width * 4;
    image->mipCount = 1;
    CreateARGB8ColorData(&image->format);
    return 0;
}

int ConvertAlphaBaseImageToARGB8(BaseImage* image) {
    if (image->format.alphaWidth == 0) return 0;
    if (image->format.formatCode != kPixelPlain && ConvertDXTToARGB8(image, 1) != 0) return -1;
    if (image->pixels == nullptr) return -1;
    if (!isExactARGB8(image->format)) {
        BaseImage converted;
        if (CreateARGB8ColorBaseImage(image->width, image->height, &converted) != 0) return -1;
        if (BltBaseImage(0, 0, image, &converted) != 0) {
            ReleaseBaseImage(&converted);
            return -1;
        }
        ReleaseBaseImage(image);
        *image = converted;
    }
    for (int y = 0; y < image->height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(image->pixels) + ptrdiff_t{y} * image->pitch;
        for (int x = 0; x < image->width; ++x) {
            uint8_t* p = row + 4 * x;
            const uint32_t a = p[3];
            for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(p[k] * a / 255);
        }
    }
    return 0;
}

}  // namespace ZaDod
