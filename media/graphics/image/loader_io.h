// Stream reading and the size rules shared by the image loaders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/base/memory.h"
#include "media/file/file_access.h"
#include "media/graphics/base_image.h"

namespace ZaDod::image {

// The name the picture loaders log under.
inline constexpr const char* kLoaderLogSource = "DoVezIZud";

// Largest picture any loader accepts, and the largest pixel block it allocates.
constexpr int64_t kMaxSide = 32768;
constexpr int64_t kMaxBlockBytes = int64_t(1) << 30;

// Pictures up to this many pixels load whatever their data holds. A larger one must
// come with enough coded data to describe it: a header of a few hundred bytes that
// declares a huge picture would otherwise make the loader allocate and decode a
// gigabyte of nothing.
constexpr int64_t kFreePictureArea = int64_t(4096) * 4096;

// A graph holds its pixels as 32-bit colour in one block, so a picture whose pixels
// would pass the largest block memory hands out can never become one. The graph
// makers refuse it, and every loader refuses it from the header it reads, before a
// byte of pixels is decoded or allocated.
inline bool graphSizeFits(int64_t width, int64_t height)
{
    constexpr int64_t kGraphBytesPerPixel = 4;
    return width * height * kGraphBytesPerPixel <= int64_t(kMemLargestRequest);
}

// The size check every loader makes on a header's width and height.
inline bool sizeAllowed(int64_t width, int64_t height, int64_t maxSide = kMaxSide)
{
    return width >= 1 && height >= 1 && width <= maxSide && height <= maxSide && graphSizeFits(width, height);
}

inline int64_t tell(StreamData* s) { return s->ReadShred.Tell(s->DataPoint); }
inline void seek(StreamData* s, int64_t offset, int origin) { s->ReadShred.Seek(s->DataPoint, offset, origin); }
inline bool readExact(StreamData* s, void* buffer, size_t bytes)
{
    return bytes == 0 || s->ReadShred.Read(buffer, 1, bytes, s->DataPoint) == bytes;
}

// Bytes from the current position to the end; the position is kept.
inline int64_t bytesLeft(StreamData* s)
{
    const int64_t at = tell(s);
    seek(s, 0, FileSeekEnd);
    const int64_t end = tell(s);
    seek(s, at, FileSeekSet);
    return end > at ? end - at : 0;
}

// A tracked block of at most kMaxBlockBytes; null for larger or failed requests.
inline void* allocBlock(int64_t bytes, const char* source, int line)
{
    if (bytes <= 0 || bytes > kMaxBlockBytes) return nullptr;
    return MemAlloc(size_t(bytes), source, line);
}

// Masks a file may describe its pixels with: each one run of bits inside the depth,
// none sharing a bit with another.
inline bool masksUsable(int bits, const uint32_t* masks, int count)
{
    const uint32_t depth = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    uint32_t seen = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t m = masks[i];
        if ((m & ~depth) || (m & seen)) return false;
        if (m) {
            const uint32_t run = m >> __builtin_ctz(m);
            if (run & (run + 1)) return false;
        }
        seen |= m;
    }
    return true;
}

// The end of every loader: on success the image takes the pixels (0); otherwise
// they are freed and the image is left zeroed (-1).
inline int finishLoad(BaseImage* image, void* pixels, bool ok)
{
    if (!ok) {
        MemFree(pixels);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    image->pixels = pixels;
    return 0;
}

inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Copies rows between blocks of possibly different pitch; bottomUp reverses their order.
inline void copyRows(uint8_t* dest, int64_t destPitch, const uint8_t* src, int64_t srcPitch, int64_t rowBytes,
                     int64_t rows, bool bottomUp)
{
    for (int64_t y = 0; y < rows; ++y)
        std::memcpy(dest + y * destPitch, src + (bottomUp ? rows - 1 - y : y) * srcPitch, size_t(rowBytes));
}

}  // namespace ZaDod::image
