// Transfers into graphs: base images and fills.
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/dxt.h"

namespace ZaDod {

const BaseImage* PlainTransferImage(const BaseImage* image, BaseImage* copy, bool* owned) {
    *owned = false;
    if (image == nullptr || image->format.formatCode == kPixelPlain) return image;
    *copy = *image;
    if (ConvertDXTToARGB8(copy, 0) != 0) {
        LogAddTextUtf16(u"標準イメージ用のメモリ確保に失敗しました\n");
        return nullptr;
    }
    *owned = true;
    return copy;
}

namespace {

int bltSoftware(GraphData* graph, const ImageRect* srcRect, int destX, int destY, const BaseImage* image,
                const BaseImage* alphaImage, int wholeOrig) {
    BaseImage colorCopy, alphaCopy;
    bool colorOwned, alphaOwned;
    const BaseImage* color = PlainTransferImage(image, &colorCopy, &colorOwned);
    const BaseImage* alpha = color != nullptr ? PlainTransferImage(alphaImage, &alphaCopy, &alphaOwned) : nullptr;
    int result = -1;
    if (color != nullptr && (alphaImage == nullptr || alpha != nullptr)) {
        GraphOrigData* orig = graph->orig;
        const int areaWidth = wholeOrig ? orig->width : graph->area.width;
        const int areaHeight = wholeOrig ? orig->height : graph->area.height;
        int srcWidth = color->width;
        int srcHeight = color->height;
        if (alpha != nullptr) {
            srcWidth = srcWidth < alpha->width ? srcWidth : alpha->width;
            srcHeight = srcHeight < alpha->height ? srcHeight : alpha->height;
        }
        ImageRect src;
        int x, y;
        if (ClipBltRectToImage(srcWidth, srcHeight, areaWidth, areaHeight, srcRect, destX, destY, &src, &x, &y) ==
            0) {
            if (!wholeOrig) {
                x += graph->area.x;
                y += graph->area.y;
            }
            result = BltBaseImageToMemImg(color, alpha, &orig->image, src.left, src.top, src.right - src.left,
                                          src.bottom - src.top, x, y, 0) < 0
                         ? -1
                         : 0;
        }
    }
    if (colorOwned) MemFree(colorCopy.pixels);
    if (alpha != nullptr && alphaOwned) MemFree(alphaCopy.pixels);
    return result;
}

}  // namespace

int BltBaseImageToGraph(const ImageRect* srcRect, int destX, int destY, int handle, const BaseImage* image,
                        const BaseImage* alphaImage, int wholeOrig, int allowLoading) {
    if (!GraphicsSys.started) return -1;
    GraphData* graph = GetGraphData(handle, allowLoading);
    if (graph == nullptr || graph->orig == nullptr || image == nullptr) return -1;
    const bool cube = image->imageCount == 6;
    if (cube != (graph->orig->request.cubeMap != 0)) return -1;
    if (!graph->orig->request.hardware) return bltSoftware(graph, srcRect, destX, destY, image, alphaImage, wholeOrig);
    // The back end says which block-compressed pictures its texture cannot keep as blocks;
    // those are decoded here, once, and the back end converts plain pixels only.
    int colorDecode = 0, alphaDecode = 0;
    Graphics_Hardware_GetDXTDecodeFlags(&graph->orig->textureFormat, image->format.formatCode, &colorDecode,
                                        alphaImage != nullptr ? alphaImage->format.formatCode : -1, &alphaDecode);
    BaseImage colorCopy, alphaCopy;
    bool colorOwned = false, alphaOwned = false;
    const BaseImage* color = colorDecode ? PlainTransferImage(image, &colorCopy, &colorOwned) : image;
    const BaseImage* alpha = alphaDecode && color != nullptr ? PlainTransferImage(alphaImage, &alphaCopy, &alphaOwned)
                                                             : alphaImage;
    int result = -1;
    if (color != nullptr && (alphaImage == nullptr || alpha != nullptr))
        result = Graphics_Hardware_BltBmpOrBaseImageToGraph3(srcRect, destX, destY, handle, color, alpha, wholeOrig, 1,
                                                             0) < 0
                     ? -1
                     : 0;
    if (colorOwned) MemFree(colorCopy.pixels);
    if (alphaOwned) MemFree(alphaCopy.pixels);
    return result;
}

int FillGraph(int handle, int red, int green, int blue, int alpha) {
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    red = clamp(red);
    green = clamp(green);
    blue = clamp(blue);
    alpha = clamp(alpha);
    GraphData* graph = GetGraphData(handle, 0);
    if (graph == nullptr || graph->orig == nullptr) return -1;
    if (!graph->orig->request.hardware) {
        const MemImgBase* base = graph->image.base;
        const uint32_t color = PackColorDataPixel(base->colorData, red, green, blue, alpha);
        const ImageRect rect{0, 0, graph->image.width, graph->image.height};
        FillMemImg(&graph->image, &rect, color);
        return 0;
    }
    const int result = Graphics_Hardware_FillGraph(graph, red, green, blue, alpha);
    if (result != 2) return result < 0 ? -1 : 0;
    // The device cannot fill this graph directly: upload a filled image instead.
    BaseImage image{};
    if (CreateARGB8ColorBaseImage(graph->area.width, graph->area.height, &image) != 0) return -1;
    FillBaseImage(&image, red, green, blue, alpha);
    const ImageRect rect{0, 0, image.width, image.height};
    const int blt = BltBaseImageToGraph(&rect, 0, 0, handle, &image, nullptr, 0, 0);
    ReleaseBaseImage(&image);
    return blt;
}

}  // namespace ZaDod
