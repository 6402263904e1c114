// How an original image is cut into textures the device accepts.
#include "media/base/memory.h"
#include "media/graphics/graph_types.h"

namespace ZaDod {

namespace {

int emit(int* sizes, int count, int size) {
    if (sizes != nullptr) sizes[count] = size;
    return count + 1;
}

}  // namespace

int BuildGraphTileSizes(const GraphTileCaps* caps, int length, int* sizes, int singleTile, int forcePow2,
                        int limit) {
    int max = caps->maxTextureSize;
    // A limit above the device's largest size would only make textures the device refuses.
    if (limit > 0 && limit < max) max = limit;
    if (max < 1) max = 1;

    if (!forcePow2 && length <= max && (!caps->pow2Only || caps->conditionalNonPow2)) {
        return emit(sizes, 0, length < 1 ? 1 : length);
    }
    if (length <= 1) return emit(sizes, 0, 1);

    int p = max;
    while (p > 1 && p > length) p >>= 1;
    if (2 * p <= max && (singleTile || (limit == 0 && length <= caps->screenWidth))) {
        return emit(sizes, 0, p >= length ? p : 2 * p);
    }

    int count = 0;
    int last = 0;
    int beforeLast = 0;
    int remaining = length;
    for (;;) {
        beforeLast = last;
        last = p;
        count = emit(sizes, count, p);
        remaining -= p;
        if (remaining <= 0) break;
        // Wide: the remainder of a picture near the int range times four leaves it.
        if (int64_t(remaining) * 4 > int64_t(p) * 3 && p < max) {
            last = 2 * p;
            if (sizes != nullptr) sizes[count - 1] = last;
            break;
        }
        while (p > 1 && p > remaining) p >>= 1;
    }
    if (count >= 2 && last == beforeLast && 2 * last <= max) {
        --count;
        if (sizes != nullptr) sizes[count - 1] = 2 * last;
    }
    return count;
}

int BuildGraphTiles(const GraphTileCaps* caps, int width, int height, int limit, GraphTextureTile* tiles) {
    if (width < 1 || height < 1) return -1;
    const int across = BuildGraphTileSizes(caps, width, nullptr, 1, 0, limit);
    const int down = BuildGraphTileSizes(caps, height, nullptr, 1, 0, limit);
    int* columnWidth = static_cast<int*>(MemAlloc(sizeof(int) * (across + down), __FILE__, __LINE__));
    if (columnWidth == nullptr) return -1;
    int* rowHeight = columnWidth + across;
    BuildGraphTileSizes(caps, width, columnWidth, 1, 0, limit);
    BuildGraphTileSizes(caps, height, rowHeight, 1, 0, limit);

    int count = 0;
    // The last tile may reach past the picture, so the running edges can pass the int
    // range; every tile starts inside it.
    int64_t y = 0;
    for (int row = 0; row < down; ++row) {
        int64_t x = 0;
        for (int column = 0; column < across; ++column) {
            const int w = columnWidth[column];
            const int h = rowHeight[row];
            const bool split = caps->squareOnly && w != h;
            const int side = split ? (w < h ? w : h) : 0;
            const int parts = split ? (w > h ? w / h : h / w) : 1;
            for (int part = 0; part < parts; ++part) {
                if (tiles != nullptr) {
                    GraphTextureTile& tile = tiles[count];
                    tile.texture = nullptr;
                    tile.x = static_cast<int>(x + (split && w > h ? int64_t(part) * side : 0));
                    tile.y = static_cast<int>(y + (split && h > w ? int64_t(part) * side : 0));
                    tile.textureWidth = split ? side : w;
                    tile.textureHeight = split ? side : h;
                    const int right = width - tile.x;
                    const int bottom = height - tile.y;
                    // Square parts past the image's edge keep a used size of 0 and show nothing.
                    tile.usedWidth = right <= 0 ? 0 : tile.textureWidth < right ? tile.textureWidth : right;
                    tile.usedHeight = bottom <= 0 ? 0 : tile.textureHeight < bottom ? tile.textureHeight : bottom;
                }
                ++count;
            }
            x += w;
        }
        y += rowHeight[row];
    }
    MemFree(columnWidth);
    return count;
}

}  // namespace ZaDod
