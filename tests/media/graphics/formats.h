// Layout descriptors for the graphics tests.
#pragma once
#include "media/graphics/pixel_format.h"

namespace ZaDod::test {

inline PixelFormatDesc packed(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    PixelFormatDesc d;
    CreateColorData(&d, bits, r, g, b, a);
    return d;
}

inline PixelFormatDesc channels(int count, int bits, int isFloat) {
    PixelFormatDesc d;
    CreateColorData(&d, 0, 0, 0, 0, 0, count, bits, isFloat);
    return d;
}

}  // namespace ZaDod::test
