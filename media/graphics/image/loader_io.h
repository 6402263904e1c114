// Stream reading and the size rules shared by the image loaders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/base/memory.h"
#include "media/file/file_access.h"

namespace ZaDod::image {

// Largest picture any loader accepts, and the largest pixel block it allocates.
constexpr int64_t kMaxSide = 32768;
constexpr int64_t kMaxBlockBytes = int64_t(1) << 30;

inline bool sideAllowed(int64_t width, int64_t height, int64_t maxSide = kMaxSide)
{
    return width >= 1 && height >= 1 && width <= maxSide && height <= maxSide;
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
