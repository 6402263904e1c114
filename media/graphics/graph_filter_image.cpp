// The software filters' work images: graph pixels read into 32-bit ARGB base images
// through the draw-target lock, and results written back through the graph transfer.
#include <algorithm>
#include <cstring>

#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/screen.h"

namespace ZaDod {

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
    for (BaseImage* image : {&info->sourceImage, &info->blendImage, &info->destImage}) {
        if (image->pixels != nullptr) ReleaseBaseImage(image);
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
    BaseImage& dest = info->destImage;
    const ImageRect rect{0, 0, dest.width, dest.height};
    BltBaseImageToGraph(&rect, info->destX, info->destY, info->destination, &dest, nullptr, 0, 0);
    GraphFilter_ReleaseWorkImages(info);
    return 0;
}

}  // namespace ZaDod
