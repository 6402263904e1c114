// Rectangle routines between base images.
#include <algorithm>
#include <cstddef>

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

}  // namespace ZaDod
