// Refilling part of a graph from GDI bitmaps or base images.
#include <algorithm>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/color_blit.h"
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

// The extent a transfer reads of an image and its alpha image: the smaller of the two.
void transferExtent(const BaseImage* image, const BaseImage* alphaImage, int* width, int* height) {
    *width = image->width;
    *height = image->height;
    if (alphaImage != nullptr) {
        *width = std::min(*width, alphaImage->width);
        *height = std::min(*height, alphaImage->height);
    }
}

bool carriesAlpha(const BaseImage* image, const BaseImage* alphaImage) {
    return image->format.alphaWidth != 0 || alphaImage != nullptr;
}

// Writes `from` of an image (and its alpha image) to (x, y) of `canvas`, cut to both, as a
// transfer into a graph converts it: alpha from the image, else from the alpha image, else
// full; with useTransColor the transparent colour of a picture without alpha as alpha 0.
bool paint(BaseImage* canvas, const BaseImage* image, const BaseImage* alphaImage, const ImageRect& from, int x,
           int y, int useTransColor, uint32_t transColor) {
    BaseImage colorCopy, alphaCopy;
    bool colorOwned = false, alphaOwned = false;
    const BaseImage* color = PlainTransferImage(image, &colorCopy, &colorOwned);
    const BaseImage* alpha = color != nullptr ? PlainTransferImage(alphaImage, &alphaCopy, &alphaOwned) : nullptr;
    bool done = false;
    if (color != nullptr && (alphaImage == nullptr || alpha != nullptr)) {
        int width, height;
        transferExtent(color, alpha, &width, &height);
        ImageRect src;
        int destX, destY;
        // Nothing of it on the canvas is nothing to write.
        done = ClipBltRectToImage(width, height, canvas->width, canvas->height, &from, x, y, &src, &destX, &destY) !=
                   0 ||
               GraphColorMatchBlt(canvas->pixels, canvas->pitch, &canvas->format, color->pixels, color->pitch,
                                  &color->format, alpha != nullptr ? alpha->pixels : nullptr,
                                  alpha != nullptr ? alpha->pitch : 0, alpha != nullptr ? &alpha->format : nullptr,
                                  destX, destY, &src, 0, useTransColor, transColor, 0, 0, 0, 0, 0) >= 0;
    }
    if (colorOwned) MemFree(colorCopy.pixels);
    if (alphaOwned) MemFree(alphaCopy.pixels);
    return done;
}

// The graph's whole picture after `image` went to (x, y) of it: the rectangle of its kept
// source where its picture lies (transparent black without a kept source) with the image
// written over it, converted as the transfers into the graph convert them. With alpha
// wherever a part of it has alpha, else without (the transparent colour stays a colour).
// False when the kept source cannot be read or the picture cannot be made.
bool composePicture(const GraphData* graph, const BaseImage* image, const BaseImage* alphaImage, int x, int y,
                    BaseImage* out) {
    *out = BaseImage{};
    if (graph->orig->request.cubeMap || image->imageCount == 6) return false;
    const GraphReloadData* data = graph->reload;
    BaseImage loadedColor{}, loadedAlpha{};
    const BaseImage* color = nullptr;
    const BaseImage* alpha = nullptr;
    if (data != nullptr && data->image != nullptr) {
        color = data->image;
        alpha = data->alphaImage;
    } else if (data != nullptr) {
        const int got = LoadGraphReloadImages(data, &loadedColor, &loadedAlpha);
        if (got >= 0) {
            color = &loadedColor;
            alpha = got == 0 ? &loadedAlpha : nullptr;
        }
    }
    bool done = data == nullptr || color != nullptr;
    if (done) {
        const bool withAlpha = color == nullptr || carriesAlpha(color, alpha) || carriesAlpha(image, alphaImage);
        const int width = graph->area.width, height = graph->area.height;
        done = (withAlpha ? CreateARGB8ColorBaseImage(width, height, out)
                          : CreateXRGB8ColorBaseImage(width, height, out)) == 0 &&
               FillBaseImage(out, 0, 0, 0, 0) == 0;
        // A hardware graph takes the transparent colour of a picture without alpha as alpha 0.
        const int useTransColor = graph->orig->request.hardware ? 1 : 0;
        const uint32_t transColor = graph->orig->transColor;
        const ImageRect kept{graph->sourceX, graph->sourceY, graph->sourceX + width, graph->sourceY + height};
        if (done && color != nullptr) done = paint(out, color, alpha, kept, 0, 0, useTransColor, transColor);
        const ImageRect whole{0, 0, image->width, image->height};
        if (done) done = paint(out, image, alphaImage, whole, x, y, useTransColor, transColor);
        if (!done) ReleaseBaseImage(out);
    }
    ReleaseBaseImage(&loadedColor);
    ReleaseBaseImage(&loadedAlpha);
    return done;
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
    GraphData* graph = GetGraphData(handle, 0);
    if (graph == nullptr) return 0;
    // Images that cover the graph from its top-left are its picture; anything less goes
    // into the picture it had.
    int width, height;
    transferExtent(image, alphaImage, &width, &height);
    const bool whole = x == 0 && y == 0 && width >= graph->area.width && height >= graph->area.height;
    GraphReloadSource source{};
    BaseImage picture{};
    if (whole) {
        source.image = image;
        source.alphaImage = alphaImage;
    } else if (composePicture(graph, image, alphaImage, x, y, &picture)) {
        source.image = &picture;
    }
    GraphReloadData* kept = nullptr;
    const bool made = source.image != nullptr && CreateGraphReloadData(&source, &kept) == 0 && kept != nullptr;
    ReleaseBaseImage(&picture);
    if (!made) {
        LogAddTextUtf16(u"転送後の画像を復帰用データに保存できませんでした in TransferBitmapToGraph\n");
        return 0;
    }
    ReleaseGraphReloadData(graph->reload);
    graph->reload = kept;
    // The kept picture is the graph's own, from its top-left.
    graph->sourceX = graph->sourceY = 0;
    return 0;
}

}  // namespace ZaDod
