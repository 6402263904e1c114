// The library's own raw format: "BGRA", channel sizes, width, height, then rows of
// blue, green, red, alpha in 8 or 16 bits a channel.
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

using namespace image;

int LoadRawBGRAImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    uint8_t h[16];
    if (!readExact(stream, h, 16) || std::memcmp(h, "BGRA", 4) != 0) return -1;
    const uint32_t channels = le32(h + 4);
    if (channels != 0x08080808 && channels != 0x10101010) return -1;
    const int64_t width = le32(h + 8), height = le32(h + 12);
    if (!sizeAllowed(width, height)) return -1;
    CreateARGB8ColorData(&image->format);
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(width * 4);
    if (infoOnly) return 0;

    auto* pixels = static_cast<uint8_t*>(allocBlock(width * height * 4, kBaseImageSource, __LINE__));
    bool ok = pixels != nullptr;
    if (ok && channels == 0x08080808) {
        ok = readExact(stream, pixels, size_t(width * height * 4));
    } else if (ok) {
        auto* row = static_cast<uint8_t*>(allocBlock(width * 8, kBaseImageSource, __LINE__));
        ok = row != nullptr;
        for (int64_t y = 0; ok && y < height; ++y) {
            ok = readExact(stream, row, size_t(width * 8));
            uint8_t* out = pixels + y * width * 4;
            // Little-endian channels: the high byte is the odd one.
            for (int64_t i = 0; ok && i < width * 4; ++i) out[i] = row[2 * i + 1];
        }
        MemFree(row);
    }
    return finishLoad(image, pixels, ok);
}

}  // namespace ZaDod
