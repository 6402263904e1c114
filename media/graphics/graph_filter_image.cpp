// The software filters' work images: graph pixels read into 32-bit ARGB base images
// through the draw-target lock, and results written back through the graph transfer.
#include <algorithm>
#include <cstring>

#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_state.h"
#include "media/graphics/screen.h"

namespace ZaDod {

namespace {

// A rectangle of a software graph's own pixels as a work image, when they are already in
// the work images' layout (32-bit B, G, R, A) and the rectangle lies inside the graph.
// *base and (*baseX, *baseY) say where the view lies in the shared pixel buffer.
bool ownPixelsView(int graph, const ImageRect& r, BaseImage* view, const MemImgBase** base, int* baseX,
                   int* baseY) {
    GraphData* record = GetGraphData(graph, 0);
    if (record == nullptr) return false;
    const MEMIMG* image = GetGraphSoftImage(record);
    if (image == nullptr || !CheckValidMemImg(image)) return false;
    const MemImgBase* b = image->base;
    if (b->colorType != kMemImgX8R8G8B8 || !b->useAlpha || b->usePalette) return false;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > record->area.width ||
        r.bottom > record->area.height || r.right > image->width || r.bottom > image->height)
        return false;
    std::memset(view, 0, sizeof *view);
    view->format = *b->colorData;
    view->pitch = b->pitch;
    view->pixels = image->pixels + static_cast<ptrdiff_t>(r.top) * b->pitch + static_cast<ptrdiff_t>(r.left) * 4;
    view->width = r.right - r.left;
    view->height = r.bottom - r.top;
    const ptrdiff_t offset = static_cast<uint8_t*>(view->pixels) - b->pixels;
    *base = b;
    *baseX = static_cast<int>(offset % b->pitch / 4);
    *baseY = static_cast<int>(offset / b->pitch);
    return true;
}

struct OwnView {
    BaseImage image{};
    const MemImgBase* base = nullptr;
    int x = 0, y = 0;
    bool overlaps(const OwnView& o) const {
        return base == o.base && x < o.x + o.image.width && o.x < x + image.width && y < o.y + o.image.height &&
               o.y < y + image.height;
    }
    bool samePixels(const OwnView& o) const { return image.pixels == o.image.pixels; }
};

}  // namespace

int GraphFilter_UseOwnPixels(GraphFilterInfo* info) {
    info->ownPixels = 0;
    // Only the software renderer keeps graphs as plain pixels in memory; a lock already
    // held refuses the work images on the other path too.
    if (GraphicsSys.hardware || ProgrammableShaderFlag == 1 || GraphicsRender.lockFlag) return 0;
    if (info->passIndex != 0 || info->passCount != 1) return 0;
    const int width = info->x2 - info->x1, height = info->y2 - info->y1;
    const ImageRect area{info->x1, info->y1, info->x2, info->y2};
    const ImageRect destArea{info->destX, info->destY, info->destX + width, info->destY + height};
    OwnView source, blend, dest;
    if (!ownPixelsView(info->source, area, &source.image, &source.base, &source.x, &source.y) ||
        !ownPixelsView(info->destination, destArea, &dest.image, &dest.base, &dest.x, &dest.y))
        return 0;
    if (info->blendFlag &&
        (!ownPixelsView(info->blendGraph, area, &blend.image, &blend.base, &blend.x, &blend.y) ||
         blend.overlaps(dest)))
        return 0;
    int mode = kGraphFilterOwnPixelsApart;
    if (source.samePixels(dest)) mode = kGraphFilterOwnPixelsInPlace;
    else if (source.overlaps(dest)) return 0;
    info->workWidth = width;
    info->workHeight = height;
    info->sourceImage = source.image;
    info->blendImage = blend.image;
    info->destImage = dest.image;
    info->ownPixels = mode;
    return mode;
}

int GraphFilter_GetGraphImage(int graph, BaseImage* image, const ImageRect* rect) {
    std::memset(image, 0, sizeof(*image));
    GraphData* record = GetGraphData(graph, 0);
    if (record == nullptr) return -1;
    const ImageRect whole{0, 0, record->area.width, record->area.height};
    const ImageRect area = rect != nullptr ? *rect : whole;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width < 1 || height < 1) return -1;
    if (CreateARGB8ColorBaseImage(width, height, image) != 0) return -1;
    // The lock hands out the graph's own pixels (or the device's copy of them) in the
    // graph's layout; the transfer converts them to ARGB. A graph held in several
    // textures is read one piece at a time.
    const bool pieces = GetGraphSoftImage(record) == nullptr && record->pieceCount > 1;
    const int count = pieces ? record->pieceCount : 1;
    for (int i = 0; i < count; ++i) {
        ImageRect part = area;
        if (pieces) {
            const GraphDrawPiece& piece = record->pieces[i];
            part = ImageRect{std::max(area.left, piece.x), std::max(area.top, piece.y),
                             std::min(area.right, piece.x + piece.width), std::min(area.bottom, piece.y + piece.height)};
            if (part.left >= part.right || part.top >= part.bottom) continue;
        }
        BaseImage locked{};
        if (LockDrawTargetBuffer(&part, &locked, graph, 0, 1) != 0) {
            ReleaseBaseImage(image);
            return -1;
        }
        const int result = BltBaseImage(part.left - area.left, part.top - area.top, &locked, image);
        UnlockDrawTargetBuffer();
        if (result != 0) {
            ReleaseBaseImage(image);
            return -1;
        }
    }
    return 0;
}

void GraphFilter_ReleaseWorkImages(GraphFilterInfo* info) {
    // Views of graph pixels belong to the graphs.
    const bool owned = info->ownPixels == 0;
    info->ownPixels = 0;
    for (BaseImage* image : {&info->sourceImage, &info->blendImage, &info->destImage}) {
        if (owned && image->pixels != nullptr) ReleaseBaseImage(image);
        std::memset(image, 0, sizeof(*image));
    }
}

int GraphFilter_PrepareSourceImage(GraphFilterInfo* info, int freshDestination, int width, int height,
                                   const ImageRect* rect) {
    ImageRect area{info->x1, info->y1, info->x2, info->y2};
    // A later pass reads what the previous one wrote, which lies at the destination
    // point, not at the source rectangle's.
    if (info->passIndex > 0 && rect == nullptr)
        area = ImageRect{info->destX, info->destY, info->destX + (info->x2 - info->x1),
                         info->destY + (info->y2 - info->y1)};
    if (rect != nullptr) area = *rect;
    if (width >= 0 && height >= 0) {
        info->workWidth = width;
        info->workHeight = height;
    } else {
        info->workWidth = area.right - area.left;
        info->workHeight = area.bottom - area.top;
    }
    info->ownPixels = 0;
    std::memset(&info->sourceImage, 0, sizeof(BaseImage) * 3);
    if (GraphFilter_GetGraphImage(info->source, &info->sourceImage, &area) != 0) return -1;
    if (info->blendFlag && GraphFilter_GetGraphImage(info->blendGraph, &info->blendImage, &area) != 0) {
        GraphFilter_ReleaseWorkImages(info);
        return -1;
    }
    int result;
    if (freshDestination) {
        result = CreateARGB8ColorBaseImage(info->workWidth, info->workHeight, &info->destImage);
        if (result == 0) std::memset(info->destImage.pixels, 0,
                                     static_cast<size_t>(info->destImage.pitch) * info->workHeight);
    } else {
        const ImageRect destArea{info->destX, info->destY, info->destX + info->workWidth,
                                 info->destY + info->workHeight};
        result = GraphFilter_GetGraphImage(info->destination, &info->destImage, &destArea);
    }
    if (result != 0) {
        GraphFilter_ReleaseWorkImages(info);
        return -1;
    }
    return 0;
}

int GraphFilter_WriteResultImage(GraphFilterInfo* info) {
    if (info->ownPixels != 0) {
        // The result is already in place; what is derived from the pixels is remade when
        // a draw next needs it.
        if (GraphData* record = GetGraphData(info->destination, 0))
            if (MEMIMG* image = GetGraphSoftImage(record)) MarkMemImgPixelsChanged(image->base);
        GraphFilter_ReleaseWorkImages(info);
        return 0;
    }
    BaseImage& dest = info->destImage;
    const ImageRect rect{0, 0, dest.width, dest.height};
    BltBaseImageToGraph(&rect, info->destX, info->destY, info->destination, &dest, nullptr, 0, 0);
    GraphFilter_ReleaseWorkImages(info);
    return 0;
}

}  // namespace ZaDod
