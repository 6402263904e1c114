// Turning a load's transparent colour into alpha, for loads that ask for it.
#pragma once
#include <cstdint>

#include "media/graphics/base_image.h"

namespace ZaDod {

// Makes `out` an ARGB8 copy of `image` in which pixels of the transparent colour
// (0xRRGGBB) have alpha 0 and take the colour of an opaque neighbour, so that
// filtered drawing does not bleed the key colour into the edges. -1 on failure.
int ConvertTransColorToAlpha(const BaseImage* image, uint32_t transColor, BaseImage* out);

// The colour of the top-left pixel, as a transparent colour.
uint32_t GetTopLeftTransColor(const BaseImage* image);

}  // namespace ZaDod
