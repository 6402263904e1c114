// The GDI route that turns any packed DIB into a top-down 24-bit base image.
#pragma once
#include "platform/win/gdi.h"

namespace ZaDod {

struct BaseImage;

namespace image {

// Paints the DIB (header, table or masks, bits of `rows` scan lines) into a 24-bit
// section and copies the result into a new block owned by the image. -1, logged,
// when the section or the block cannot be made; -1, silently, when nothing was
// painted (a form the painter does not take).
int convertDibToFullColor(const plat::win::BITMAPINFO* info, const void* bits, int width, int rows, BaseImage* image);

}  // namespace image
}  // namespace ZaDod
