// Rectangle routines between base images.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/image/dxt.h"

namespace ZaDod {

int BltBaseImageRect(int srcX, int srcY, int width, int height, int destX, int destY, BaseImage* src,
                     BaseImage* dest) {
    if (src->format.formatCode != kPixelPlain && ConvertDXTToARGB8(src, 1) != 0) return -1;
    if (dest->format.formatCode != kPixelPlain && ConvertDXTToARGB8(dest, 1) != 0) return -1;
    if (srcX < 0) {
        width += srcX;
        destX -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        height += srcY;
        destY -= srcY;
        srcY = 0;
    }
    if (destX < 0) {
        width += destX;
        srcX -= destX;
        destX = 0;
    }
    if (destY < 0) {
        height += destY;
        srcY -= destY;
        destY = 0;
    }
    width = std::min({width, dest->width - destX, src->width - srcX});
    height = std::min({height, dest->height - destY, src->height - srcY});
    if (width < 1 || height < 1) return 0;
    if (src->pixels == nullptr || dest->pixels == nullptr) return -1;
    const ImageRect rect{srcX, srcY, srcX + width, srcY + height};
    const int result = GraphColorMatchBlt(dest->pixels, dest->pitch, &dest->format, src->pixels, src->pitch,
                                          &src->format, nullptr, 0, nullptr, destX, destY, &rect, 0, 0, 0, 0, 0,
                                          0, 0, 0);
    return result < 0 ? -1 : 0;
}

int BltBaseImage(int destX, int destY, BaseImage* src, BaseImage* dest) {
    return BltBaseImageRect(0, 0, src->width, src->height, destX, destY, src, dest);
}

int ClearRectBaseImage(BaseImage* image, int x, int y, int width, int height) {
    if (x >= image->width || y >= image->height || width < 1 || height < 1) return -1;
    if (image->format.formatCode != kPixelPlain && ConvertDXTToARGB8(image, 1) != 0) return -1;
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    width = std::min(width, image->width - x);
    height = std::min(height, image->height - y);
    if (width < 1 || height < 1) return 0;
    if (image->pixels == nullptr) return -1;
    const int bpp = image->format.bytesPerPixel;
    for (int row = 0; row < height; ++row) {
        uint8_t* p = static_cast<uint8_t*>(image->pixels) + ptrdiff_t{y + row} * image->pitch + ptrdiff_t{x} * bpp;
        std::memset(p, 0, static_cast<size_t>(bpp) * static_cast<size_t>(width));
    }
    return 0;
}

}  // namespace ZaDod
