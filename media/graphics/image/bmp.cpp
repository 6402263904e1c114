// Windows bitmap files. Palette, 24-bit, 32-bit and run-length files are read here;
// every other form is painted by the GDI stand-in into 24 bits.
#include <algorithm>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/image/dib_convert.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

namespace win = plat::win;
using namespace image;

namespace {

struct BmpInfo {
    int64_t fileSize = 0;
    uint32_t pixelOffset = 0;
    uint32_t headerSize = 0;
    int64_t width = 0, rows = 0;
    bool bottomUp = false;
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t masks[4] = {};  // red, green, blue from offset 54; alpha for long headers
    int tableCount = 0;
    win::RGBQUAD table[256] = {};
};

// Reads both headers, the masks and the colour table. The table starts after the
// header's own size and never reaches into the pixel data.
bool readHeaders(StreamData* s, BmpInfo& b)
{
    seek(s, 0, FileSeekEnd);
    b.fileSize = tell(s);
    seek(s, 0, FileSeekSet);
    uint8_t head[14 + 124] = {};
    if (!readExact(s, head, 14) || head[0] != 'B' || head[1] != 'M') return false;
    b.pixelOffset = le32(head + 10);
    if (!readExact(s, head + 14, 40)) return false;
    b.headerSize = le32(head + 14);
    if (b.headerSize < 40 || 14 + int64_t(b.headerSize) > b.pixelOffset) return false;
    const int64_t longPart = std::min<int64_t>(b.headerSize, 124) - 40;
    if (!readExact(s, head + 54, size_t(longPart))) return false;
    const int32_t width = int32_t(le32(head + 18)), height = int32_t(le32(head + 22));
    b.width = width;
    b.rows = height < 0 ? -int64_t(height) : height;
    b.bottomUp = height > 0;
    b.bitCount = le16(head + 28);
    b.compression = le32(head + 30);
    if (!sizeAllowed(b.width, b.rows) || b.bitCount < 1 || b.bitCount > 32) return false;

    if (b.compression == 3) {
        // The masks follow a 40-byte header; longer headers hold them at the same place.
        if (b.headerSize == 40) {
            if (int64_t(b.pixelOffset) < 54 + 12 || !readExact(s, head + 54, 12)) return false;
        }
        for (int i = 0; i < 3; ++i) b.masks[i] = le32(head + 54 + 4 * i);
        if (b.headerSize >= 108) b.masks[3] = le32(head + 66);
    }
    if (b.bitCount <= 8) {
        const int64_t tableStart = 14 + int64_t(b.headerSize);
        b.tableCount = int(std::min<int64_t>(int64_t(1) << b.bitCount, (b.pixelOffset - tableStart) / 4));
        seek(s, tableStart, FileSeekSet);
        if (!readExact(s, b.table, size_t(b.tableCount) * 4)) return false;
    }
    return true;
}

void copyPalette(BaseImage* image, const BmpInfo& b, int entries)
{
    for (int i = 0; i < entries; ++i) {
        const win::RGBQUAD& q = b.table[i];
        image->format.palette[i] = PaletteEntry{q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
    }
}

// Run-length data into one byte a pixel, clipped to the image; reads stop at the
// end of the data. Rows are counted from the file's first stored row.
void decodeRle(const uint8_t* data, size_t size, bool four, uint8_t* pixels, int64_t pitch, int64_t width,
               int64_t rows, bool bottomUp)
{
    int64_t x = 0, y = 0;
    size_t at = 0;
    auto rowStart = [&] { return pixels + (bottomUp ? rows - 1 - y : y) * pitch; };
    while (at + 2 <= size && y < rows) {
        const int n = data[at], v = data[at + 1];
        at += 2;
        if (n > 0) {
            uint8_t* row = rowStart();
            const int64_t end = std::min<int64_t>(x + n, width);
            if (!four) {
                if (x < end) std::memset(row + x, v, size_t(end - x));
            } else {
                for (int64_t i = x; i < end; ++i) row[i] = uint8_t((i - x) & 1 ? v & 15 : v >> 4);
            }
            x += n;
        } else if (v == 0) {
            x = 0, ++y;
        } else if (v == 1) {
            break;
        } else if (v == 2) {
            if (at + 2 > size) break;
            x += data[at], y += data[at + 1];
            at += 2;
        } else {
            const size_t bytes = four ? (size_t(v) + 1) / 2 : size_t(v);
            if (at + bytes > size) break;
            uint8_t* row = rowStart();
            const int64_t end = std::min<int64_t>(x + v, width);
            for (int64_t i = x; i < end; ++i) {
                const int k = int(i - x);
                row[i] = four ? uint8_t(k & 1 ? data[at + k / 2] & 15 : data[at + k / 2] >> 4) : data[at + k];
            }
            x += v;
            at += bytes + (bytes & 1);
        }
    }
}

// 1 and 4-bit rows widened to one byte a pixel, top-down.
void unpackBits(const uint8_t* data, int64_t filePitch, int bits, uint8_t* pixels, int64_t pitch, int64_t width,
                int64_t rows, bool bottomUp)
{
    for (int64_t y = 0; y < rows; ++y) {
        const uint8_t* src = data + (bottomUp ? rows - 1 - y : y) * filePitch;
        uint8_t* out = pixels + y * pitch;
        if (bits == 4) {
            int64_t x = 0;
            for (; x + 1 < width; x += 2, ++src) out[x] = *src >> 4, out[x + 1] = *src & 15;
            if (x < width) out[x] = *src >> 4;
        } else {
            for (int64_t x = 0; x < width; ++x) out[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
}

// Most tools write 0 into the fourth byte of a plain 32-bit file; such a file is
// opaque. Only a file with some non-zero fourth byte is taken to carry alpha there.
void opaqueIfAlphaUnused(uint8_t* pixels, int64_t bytes)
{
    for (int64_t i = 3; i < bytes; i += 4)
        if (pixels[i]) return;
    for (int64_t i = 3; i < bytes; i += 4) pixels[i] = 255;
}

// The file's header with its size set to 40 (the masks or table follow it, as the
// painter expects after a 40-byte header), for the GDI route.
int paintThroughGdi(StreamData* s, const BmpInfo& b, const uint8_t* data, int64_t dataSize, BaseImage* image)
{
    uint8_t info[40 + 1024] = {};
    seek(s, 14, FileSeekSet);
    if (!readExact(s, info, 40)) return -1;
    const uint32_t forty = 40;
    std::memcpy(info, &forty, 4);
    // A compressed stream is read no further than the data there is.
    const uint32_t imageSize = uint32_t(std::min<int64_t>(le32(info + 20), dataSize));
    std::memcpy(info + 20, &imageSize, 4);
    if (b.compression == 3)
        std::memcpy(info + 40, b.masks, 12);
    else if (b.bitCount <= 8)
        std::memcpy(info + 40, b.table, size_t(b.tableCount) * 4);
    return convertDibToFullColor(reinterpret_cast<const win::BITMAPINFO*>(info), data, int(b.width), int(b.rows),
                                 image);
}

}  // namespace

int LoadBmpImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    BmpInfo b;
    if (!readHeaders(stream, b)) return -1;
    const int64_t filePitch = (b.bitCount * b.width + 31) / 32 * 4;
    const int64_t dataSize = b.fileSize - b.pixelOffset;
    if (dataSize < 0 || filePitch * b.rows > kMaxBlockBytes) return -1;
    const bool rle = (b.compression == 1 && b.bitCount == 8) || (b.compression == 2 && b.bitCount == 4);
    const bool plain = b.compression == 0 && (b.bitCount == 1 || b.bitCount == 4 || b.bitCount == 8 ||
                                              b.bitCount == 24 || b.bitCount == 32);
    const bool alphaFields = b.compression == 3 && b.bitCount == 32 && b.headerSize >= 108 && b.masks[3] != 0 &&
                             masksUsable(32, b.masks, 4);
    // Only these forms are left to the GDI route: the painter takes no other, and a
    // section for a form it refuses would be made for nothing.
    const bool gdiForm = !alphaFields && ((b.compression == 0 && b.bitCount == 16) ||
                                          (b.compression == 3 && (b.bitCount == 16 || b.bitCount == 32)));
    if (!rle && !plain && !alphaFields && !gdiForm) return -1;
    // Uncompressed pixels must all be there.
    if ((b.compression == 0 || b.compression == 3) && dataSize < filePitch * b.rows) return -1;
    // A run paints at most 255 pixels for each two bytes of codes.
    if (rle && b.width * b.rows > kFreePictureArea && b.width * b.rows > dataSize * 128) return -1;

    image->width = int32_t(b.width);
    image->height = int32_t(b.rows);
    PixelFormatDesc& f = image->format;
    int64_t pitch = filePitch;
    if (rle || (plain && b.bitCount <= 8)) {
        CreatePal8ColorData(&f);
        if (b.bitCount < 8) {
            pitch = (b.width + 3) / 4 * 4;
            if (!rle) f.maxPaletteIndex = 15;
        }
        copyPalette(image, b, b.tableCount);
    } else if (plain && b.bitCount == 24) {
        CreateFullColorData(&f);
    } else if (plain) {
        CreateARGB8ColorData(&f);
    } else if (alphaFields) {
        CreateColorData(&f, 32, b.masks[0], b.masks[1], b.masks[2], b.masks[3]);
    } else if (infoOnly) {
        CreateFullColorData(&f);
        pitch = 0;
    }
    image->pitch = int32_t(pitch);
    if (infoOnly) return 0;

    seek(stream, b.pixelOffset, FileSeekSet);
    if ((plain || alphaFields) && b.bitCount >= 8) {
        // Rows go straight to their place: no second copy of the picture.
        auto* pixels = static_cast<uint8_t*>(allocBlock(pitch * b.rows, kBaseImageSource, __LINE__));
        bool ok = pixels != nullptr;
        if (ok && !b.bottomUp) ok = readExact(stream, pixels, size_t(pitch * b.rows));
        for (int64_t y = b.rows - 1; ok && b.bottomUp && y >= 0; --y) ok = readExact(stream, pixels + y * pitch, size_t(pitch));
        if (ok && plain && b.bitCount == 32) opaqueIfAlphaUnused(pixels, pitch * b.rows);
        return finishLoad(image, pixels, ok);
    }
    const int64_t readSize = rle ? std::min(dataSize, kMaxBlockBytes) : std::min(dataSize, filePitch * b.rows);
    auto* data = static_cast<uint8_t*>(allocBlock(readSize, kBaseImageSource, __LINE__));
    if (!data || !readExact(stream, data, size_t(readSize))) {
        MemFree(data);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    if (!rle && !plain && !alphaFields) {
        BaseImage painted{};
        const int result = paintThroughGdi(stream, b, data, readSize, &painted);
        MemFree(data);
        std::memset(image, 0, sizeof *image);
        if (result != 0) return -1;
        *image = painted;
        return 0;
    }
    auto* pixels = static_cast<uint8_t*>(allocBlock(pitch * b.rows, kBaseImageSource, __LINE__));
    if (!pixels) {
        MemFree(data);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    if (rle) {
        std::memset(pixels, 0, size_t(pitch * b.rows));
        decodeRle(data, size_t(readSize), b.compression == 2, pixels, pitch, b.width, b.rows, b.bottomUp);
    } else {
        unpackBits(data, filePitch, b.bitCount, pixels, pitch, b.width, b.rows, b.bottomUp);
    }
    MemFree(data);
    image->pixels = pixels;
    return 0;
}

}  // namespace ZaDod
