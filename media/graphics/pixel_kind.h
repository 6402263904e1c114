// Internal to media/graphics: how the bytes of one pixel are laid out, and the
// channel helpers of the N-channel formats.
#pragma once
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/graphics/pixel_format.h"
#include "media/graphics/pixel_widen.h"

namespace ZaDod::pixel {

enum class Kind : uint8_t {
    None,      // block-compressed or not a layout we can address pixel by pixel
    Packed,    // 1 to 4 bytes, channels by masks (1 byte: palette index or masked byte)
    Int8,      // N channels of 8 bits
    Int16,     // N channels of 16-bit integers
    Half,      // N channels of 16-bit floats
    Float,     // N channels of 32-bit floats
};

inline Kind kindOf(const PixelFormatDesc& f) {
    if (f.formatCode != kPixelPlain) return Kind::None;
    if (f.channelCount != 0) {
        if (f.channelCount != 1 && f.channelCount != 2 && f.channelCount != 4) return Kind::None;
        if (f.floatFlag) return f.channelBits == 16 ? Kind::Half : f.channelBits == 32 ? Kind::Float : Kind::None;
        return f.channelBits == 8 ? Kind::Int8 : f.channelBits == 16 ? Kind::Int16 : Kind::None;
    }
    return f.bytesPerPixel >= 1 && f.bytesPerPixel <= 4 ? Kind::Packed : Kind::None;
}

inline bool isPalette(const PixelFormatDesc& f) { return f.bytesPerPixel == 1 && f.maxPaletteIndex != 0; }

inline uint32_t loadPacked(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, static_cast<size_t>(bytes));
    return v;
}

inline void storePacked(uint8_t* p, int bytes, uint32_t v) { std::memcpy(p, &v, static_cast<size_t>(bytes)); }

inline uint32_t paletteValue(const PixelFormatDesc& f, uint8_t index) {
    const PaletteEntry& e = f.palette[index];
    return static_cast<uint32_t>(e.blue) | static_cast<uint32_t>(e.green) << 8 |
           static_cast<uint32_t>(e.red) << 16 | static_cast<uint32_t>(e.reserved) << 24;
}

// Float to an integer of `max` full scale, rounded; NaN and negatives give 0.
inline uint32_t floatToUnorm(float v, uint32_t max) {
    // Clamped without branches, which pixels of mixed values would mispredict, then
    // rounded half away from zero as a positive value is: the sum is exact below 2^52.
#if defined(__SSE2__)
    const float c = _mm_cvtss_f32(_mm_min_ss(_mm_max_ss(_mm_set_ss(v), _mm_setzero_ps()), _mm_set_ss(1.0f)));
#else
    const float low = v > 0.0f ? v : 0.0f;
    const float c = low < 1.0f ? low : 1.0f;
#endif
    return static_cast<uint32_t>(static_cast<double>(c) * max + 0.5);
}

// Channel i of an N-channel pixel as a component 0..255.
inline int readChannel255(const uint8_t* p, Kind k, int i) {
    switch (k) {
        case Kind::Int8: return p[i];
        case Kind::Int16: {
            uint16_t v;
            std::memcpy(&v, p + 2 * i, 2);
            return v >> 8;
        }
        case Kind::Half: {
            uint16_t v;
            std::memcpy(&v, p + 2 * i, 2);
            return static_cast<int>(floatToUnorm(Float16ToFloat32(v), 255));
        }
        case Kind::Float: {
            float v;
            std::memcpy(&v, p + 4 * i, 4);
            return static_cast<int>(floatToUnorm(v, 255));
        }
        default: return 0;
    }
}

// Stores a component 0..255 into channel i (widening integers by repeating their bits).
inline void writeChannel255(uint8_t* p, Kind k, int i, int c) {
    const auto v = static_cast<uint32_t>(c & 0xFF);
    switch (k) {
        case Kind::Int8: p[i] = static_cast<uint8_t>(v); break;
        case Kind::Int16: {
            auto w = static_cast<uint16_t>(widenBits(v, 8, 16));
            std::memcpy(p + 2 * i, &w, 2);
            break;
        }
        case Kind::Half: {
            uint16_t h = Float32ToFloat16(static_cast<float>(v / 255.0));
            std::memcpy(p + 2 * i, &h, 2);
            break;
        }
        case Kind::Float: {
            auto f = static_cast<float>(v / 255.0);
            std::memcpy(p + 4 * i, &f, 4);
            break;
        }
        default: break;
    }
}

}  // namespace ZaDod::pixel
