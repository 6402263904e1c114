// Refilling part of a graph from GDI bitmaps or base images.
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

namespace {

// A base-image view of a DIB section's bits in the given layout.
bool bitmapView(plat::win::HBITMAP bitmap, const PixelFormatDesc* colorData, BaseImage* image) {
    plat::win::BITMAP info{};
    if (bitmap == nullptr || plat::win::GetObject(bitmap, sizeof(info), &info) == 0 || info.bmBits == nullptr)
        return false;
    *image = BaseImage{};
    image->format = *colorData;
    image->width = info.bmWidth;
    image->height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    image->pitch = ((info.bmWidth * info.bmBitsPixel / 8) + 3) & ~3;
    image->pixels = info.bmBits;
    return true;
}

}  // namespace

int TransferBitmapToGraph(const PixelFormatDesc* colorData, plat::win::HBITMAP bitmap,
                          plat::win::HBITMAP alphaBitmap, int bitmapFlag, const BaseImage* image,
                          const BaseImage* alphaImage, int x, int y, int handle) {
    if (!GraphicsSys.started) return -1;
    BaseImage colorView, alphaView;
    if (bitmapFlag) {
        if (colorData == nullptr || !bitmapView(bitmap, colorData, &colorView)) return -1;
        image = &colorView;
        alphaImage = alphaBitmap != nullptr && bitmapView(alphaBitmap, colorData, &alphaView) ? &alphaView : nullptr;
    }
    if (image == nullptr) return -1;
    const ImageRect rect{0, 0, image->width, image->height};
    if (BltBaseImageToGraph(&rect, x, y, handle, image, alphaImage, 0, 0) != 0) return -1;
    GraphReloadSource source{};
    source.image = image;
    source.alphaImage = alphaImage;
    return SetGraphReloadData(0, handle, &source, -1, 0);
}

}  // namespace ZaDod
