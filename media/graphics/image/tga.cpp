// Truevision TGA files: colour-mapped and true-colour, plain and run-length.
#include <algorithm>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

using namespace image;

namespace {

constexpr int64_t kMaxTgaSide = 8192;

// Decodes run-length packets of `size`-byte values until `count` values are out.
// Packets are cut at the image end; false when the data ends first.
bool decodePackets(const uint8_t* data, size_t dataSize, int size, uint8_t* out, int64_t count)
{
    size_t at = 0;
    int64_t done = 0;
    while (done < count) {
        if (at >= dataSize) return false;
        const int h = data[at++];
        const int64_t n = std::min<int64_t>((h & 0x7F) + 1, count - done);
        if (h & 0x80) {
            if (at + size > dataSize) return false;
            for (int64_t i = 0; i < n; ++i) std::memcpy(out + (done + i) * size, data + at, size_t(size));
            at += size_t(size);
        } else {
            const size_t bytes = size_t((h & 0x7F) + 1) * size;
            if (at + size_t(n) * size > dataSize) return false;
            std::memcpy(out + done * size, data + at, size_t(n) * size);
            at += bytes;
        }
        done += n;
    }
    return true;
}

}  // namespace

int LoadTargaImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    seek(stream, 0, FileSeekEnd);
    const int64_t fileSize = tell(stream);
    bool footer = false;
    // Files shorter than a footer have none.
    if (fileSize >= 26) {
        uint8_t foot[26];
        seek(stream, fileSize - 26, FileSeekSet);
        footer = readExact(stream, foot, 26) && le32(foot) == 0 && std::memcmp(foot + 8, "TRUEVISION-XFILE", 16) == 0;
    }
    seek(stream, 0, FileSeekSet);
    uint8_t h[18];
    if (!readExact(stream, h, 18)) return -1;
    seek(stream, h[0], FileSeekCurrent);
    const int type = h[2];
    const int first = le16(h + 3), length = le16(h + 5), mapBits = h[7];
    const int64_t width = le16(h + 12), height = le16(h + 14);
    const bool mapped = type == 1 || type == 9;
    if (!mapped && type != 2 && type != 10) return -1;
    if (le16(h + 8) != 0 || le16(h + 10) != 0 || !sizeAllowed(width, height, kMaxTgaSide)) return -1;
    const int bits = mapped ? mapBits : h[16];
    if (bits != 16 && bits != 24 && bits != 32) return -1;
    if (mapped && first + length > 256) return -1;
    const int bpp = bits / 8;
    // A true-colour file may still carry a colour map; its pixels start after it.
    if (!mapped && h[1] == 1) {
        const int64_t mapBytes = int64_t(length) * ((mapBits + 7) / 8);
        if (mapBytes > bytesLeft(stream)) return -1;
        seek(stream, mapBytes, FileSeekCurrent);
    }

    PixelFormatDesc& f = image->format;
    if (bits == 16)
        CreateColorData(&f, 16, 0x7C00, 0x03E0, 0x001F, 0);
    else
        CreateColorData(&f, bits, 0xFF0000, 0xFF00, 0xFF, bits == 32 ? 0xFF000000 : 0);
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(width * bpp);
    if (infoOnly) return 0;

    const int64_t count = width * height;
    auto* pixels = static_cast<uint8_t*>(allocBlock(count * bpp, kBaseImageSource, __LINE__));
    uint8_t* indices = nullptr;
    uint8_t* packed = nullptr;
    bool ok = pixels != nullptr;
    uint8_t map[256 * 4] = {};
    if (ok && mapped) ok = readExact(stream, map + first * bpp, size_t(length) * bpp);
    const int valueSize = mapped ? 1 : bpp;
    uint8_t* values = pixels;
    if (ok && mapped) ok = (values = indices = static_cast<uint8_t*>(allocBlock(count, kBaseImageSource, __LINE__)));
    const bool rightToLeft = h[17] & 0x10, topDown = h[17] & 0x20;
    bool inPlace = false;
    if (ok && type == 2 && !rightToLeft && !topDown) {
        // Bottom-up rows go straight to their place.
        const int64_t pitch = width * bpp;
        for (int64_t y = height - 1; ok && y >= 0; --y) ok = readExact(stream, pixels + y * pitch, size_t(pitch));
        inPlace = true;
    } else if (ok && (type == 1 || type == 2)) {
        ok = readExact(stream, values, size_t(count * valueSize));
    } else if (ok) {
        const int64_t end = footer ? fileSize - 26 : fileSize;
        const int64_t size = end - tell(stream);
        packed = static_cast<uint8_t*>(allocBlock(size, kBaseImageSource, __LINE__));
        ok = packed && readExact(stream, packed, size_t(size)) &&
             decodePackets(packed, size_t(size), valueSize, values, count);
    }
    if (ok && mapped)
        for (int64_t i = 0; i < count; ++i) std::memcpy(pixels + i * bpp, map + indices[i] * bpp, size_t(bpp));
    MemFree(indices);
    MemFree(packed);
    if (!ok) return finishLoad(image, pixels, false);

    if (!inPlace && (rightToLeft || !topDown)) {
        auto* ordered = static_cast<uint8_t*>(allocBlock(count * bpp, kBaseImageSource, __LINE__));
        if (!ordered) return finishLoad(image, pixels, false);
        const int64_t pitch = width * bpp;
        if (!rightToLeft) {
            copyRows(ordered, pitch, pixels, pitch, pitch, height, !topDown);
        } else {
            for (int64_t y = 0; y < height; ++y) {
                const uint8_t* src = pixels + (topDown ? y : height - 1 - y) * pitch;
                uint8_t* out = ordered + y * pitch;
                for (int64_t x = 0; x < width; ++x) std::memcpy(out + x * bpp, src + (width - 1 - x) * bpp, size_t(bpp));
            }
        }
        MemFree(pixels);
        pixels = ordered;
    }
    image->pixels = pixels;
    return 0;
}

}  // namespace ZaDod
