// The graphics system's shared state, the screen size setting and the screen colour
// packing that scripts' colour values go through.
#include "media/graphics/graphics_state.h"

#include "media/graphics/pixel_widen.h"


namespace ZaDod {

GraphicsSystemState GraphicsSys{};
DrawSettings GraphicsDrawSettings{};

void SetMainScreenSize(int width, int height) {
    GraphicsSys.requestedWidth = width;
    GraphicsSys.requestedHeight = height;
    GraphicsSys.width = width == 0 ? 640 : width;
    GraphicsSys.height = height == 0 ? 480 : height;
    SetProjectionScreenSize(GraphicsSys.width, GraphicsSys.height);
}

namespace {

const PixelFormatDesc* screenColorData() {
    return GetMemImgColorData(GraphicsSys.colorBits == 32 ? kMemImgX8R8G8B8 : kMemImgR5G6B5, 0, 0);
}

uint32_t packChannel(int value, int width, int loc) {
    return static_cast<uint32_t>((value & 0xFF) >> (8 - width)) << loc;
}

int unpackChannel(unsigned int color, uint32_t mask, int width, int loc) {
    return static_cast<int>(pixel::scaleTo255((color & mask) >> loc, width));
}

}  // namespace

unsigned int PackScreenColor(int red, int green, int blue) {
    if (GraphicsSys.hardware)
        return 0xFF000000u | ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
    const PixelFormatDesc* d = screenColorData();
    return packChannel(red, d->redWidth, d->redLoc) | packChannel(green, d->greenWidth, d->greenLoc) |
           packChannel(blue, d->blueWidth, d->blueLoc) | d->unusedMask;
}

void UnpackScreenColor(unsigned int color, int* red, int* green, int* blue) {
    if (GraphicsSys.hardware) {
        if (red) *red = (color >> 16) & 0xFF;
        if (green) *green = (color >> 8) & 0xFF;
        if (blue) *blue = color & 0xFF;
        return;
    }
    const PixelFormatDesc* d = screenColorData();
    if (red) *red = unpackChannel(color, d->redMask, d->redWidth, d->redLoc);
    if (green) *green = unpackChannel(color, d->greenMask, d->greenWidth, d->greenLoc);
    if (blue) *blue = unpackChannel(color, d->blueMask, d->blueWidth, d->blueLoc);
}

}  // namespace ZaDod
