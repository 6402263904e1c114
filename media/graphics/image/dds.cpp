// DirectDraw surface files: plain, channel and float formats, DXT1 to DXT5, mip
// chains and cube maps. The pixel block keeps the file's order.
#include <algorithm>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

using namespace image;

namespace {

// Header offsets counted from the header-size field.
enum : int {
    kFlags = 4, kHeight = 8, kWidth = 12, kPitch = 16, kMipCount = 24, kPixelFlags = 76, kFourCC = 80,
    kBitCount = 84, kMasks = 88, kCaps1 = 104, kCaps2 = 108,
};

const DDSFormat* findFormat(uint32_t code)
{
    for (const DDSFormat* row = DDSFormatTable; row->code != 0xFFFFFFFF; ++row)
        if (row->code == code) return row;
    return nullptr;
}

// Describes a packed layout from its bit count and masks; false for unusable depths.
bool describeMasks(PixelFormatDesc* f, uint32_t bits, const uint32_t masks[4])
{
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || !masksUsable(int(bits), masks, 4)) return false;
    CreateColorData(f, int(bits), masks[0], masks[1], masks[2], masks[3]);
    return true;
}

// Levels in a full chain down to 1 x 1.
int chainLength(int64_t width, int64_t height)
{
    int levels = 1;
    for (int64_t side = std::max(width, height); side > 1; side >>= 1) ++levels;
    return levels;
}

}  // namespace

int LoadDDSImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    uint8_t magic[4];
    if (!readExact(stream, magic, 4) || std::memcmp(magic, "DDS", 3) != 0) return -1;
    // Fields beyond a shorter header read as 0.
    uint8_t h[124] = {};
    if (!readExact(stream, h, 4)) return -1;
    const uint32_t headerSize = le32(h);
    if (headerSize < 4 || headerSize > 124 || !readExact(stream, h + 4, headerSize - 4)) return -1;

    const uint32_t flags = le32(h + kFlags), pixelFlags = le32(h + kPixelFlags), fourCC = le32(h + kFourCC);
    const uint32_t bitCount = le32(h + kBitCount), caps1 = le32(h + kCaps1), caps2 = le32(h + kCaps2);
    const int64_t width = le32(h + kWidth), height = le32(h + kHeight);
    if (!sizeAllowed(width, height)) return -1;
    uint32_t masks[4];
    for (int i = 0; i < 4; ++i) masks[i] = le32(h + kMasks + 4 * i);

    PixelFormatDesc& f = image->format;
    int blockBytes = 0;
    const DDSFormat* row = pixelFlags == 0x4 ? findFormat(fourCC) : nullptr;
    if (row) {
        const uint32_t rowMasks[4] = {row->redMask, row->greenMask, row->blueMask, row->alphaMask};
        if (row->floatFlag || (row->bits == 16 && row->channelCount))
            CreateColorData(&f, 0, 0, 0, 0, 0, row->channelCount, row->bits, row->floatFlag);
        else if (!describeMasks(&f, row->bits, rowMasks))
            return -1;
    } else if ((pixelFlags & 0x4) && (fourCC & 0xFFFFFF) == ('D' | 'X' << 8 | 'T' << 16) &&
               (fourCC >> 24) >= '1' && (fourCC >> 24) <= '5') {
        const int kind = int(fourCC >> 24) - '0';
        blockBytes = kind == 1 ? 8 : 16;
        CreateARGB8ColorData(&f);
        f.formatCode = uint8_t(kind);
        f.colorBits = kind == 1 ? 4 : 8;
    } else if (!(pixelFlags & 0x40) || !describeMasks(&f, bitCount, masks)) {
        return -1;
    }

    int mips = (flags & 0x20000) && (caps1 & 0x8) && (caps1 & 0x400000) ? int(std::min<uint32_t>(le32(h + kMipCount), 64)) : 0;
    // A count beyond the full chain describes levels that cannot exist.
    mips = std::min(mips, chainLength(width, height));
    const int images = (caps2 & 0x200) && (caps2 & 0xFC00) == 0xFC00 ? 6 : 1;
    const int64_t bpp = f.bytesPerPixel;
    int64_t pitch = 0;
    if (!blockBytes) {
        // Mip chains are packed level after level; only a single level has a pitch of its own.
        pitch = (flags & 0x8) && mips < 2 ? int64_t(le32(h + kPitch)) : bpp * width;
        if (pitch < bpp * width || pitch > kMaxBlockBytes) return -1;
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(pitch);
    image->mipCount = mips;
    image->imageCount = images == 6 ? 6 : 0;
    const int64_t total = GetBaseImageDataSize(image);
    if (total <= 0 || total > kMaxBlockBytes) {
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    if (infoOnly) return 0;

    auto* pixels = static_cast<uint8_t*>(allocBlock(total, kBaseImageSource, __LINE__));
    bool ok = pixels != nullptr;
    if (ok && (blockBytes || mips < 2)) {
        ok = readExact(stream, pixels, size_t(total));
    } else if (ok) {
        int64_t at = 0;
        for (int k = 0; k < mips; ++k) {
            const int64_t level = bpp * std::max<int64_t>(1, width >> k) * std::max<int64_t>(1, height >> k) * images;
            if (!readExact(stream, pixels + at, size_t(level))) {
                ok = k > 0;
                image->mipCount = k;
                break;
            }
            at += level;
        }
    }
    return finishLoad(image, pixels, ok);
}

}  // namespace ZaDod
