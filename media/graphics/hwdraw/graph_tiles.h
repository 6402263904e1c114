// Which texture tiles of a graph an upload or a read reaches, and with what edge padding.
#pragma once

#include <cstdint>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/graph.h"

namespace ZaDod {

// Where an upload of colorImage (and alphaImage, if any) lands: the source rectangle
// clipped to the images and to the graph's area (the whole original with redrawFlag), and
// its top-left corner in the original's coordinates. False when nothing is left to send.
inline bool ClipGraphUpload(const GraphData* g, const ImageRect* srcRect, int destX, int destY,
                            const BaseImage* colorImage, const BaseImage* alphaImage, int redrawFlag, ImageRect* src,
                            int* x, int* y) {
    const GraphOrigData* orig = g->orig;
    const int baseX = redrawFlag ? 0 : g->area.x, baseY = redrawFlag ? 0 : g->area.y;
    const int areaW = redrawFlag ? orig->width : g->area.width, areaH = redrawFlag ? orig->height : g->area.height;
    int srcW = colorImage->width, srcH = colorImage->height;
    if (alphaImage != nullptr) {
        srcW = srcW < alphaImage->width ? srcW : alphaImage->width;
        srcH = srcH < alphaImage->height ? srcH : alphaImage->height;
    }
    if (ClipBltRectToImage(srcW, srcH, areaW, areaH, srcRect, destX, destY, src, x, y) != 0) return false;
    *x += baseX;
    *y += baseY;
    return true;
}

// The part of one tile an upload of the rectangle (x, y, w, h) of the original image
// reaches: [left, right) x [top, bottom) in image coordinates, and whether the used edge
// of a larger texture is reached on the right or at the bottom (to be padded by one).
struct UploadTilePart {
    const GraphTextureTile* tile;
    int left, top, right, bottom;
    int padRight, padBottom;
};

// Calls fn(part) for each tile the rectangle reaches, in tile order; the first non-zero
// result stops the walk and is returned.
template <class Fn>
int ForEachUploadTile(const GraphOrigData* orig, int x, int y, int w, int h, Fn&& fn) {
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& tile = orig->tiles[i];
        UploadTilePart p{&tile, x > tile.x ? x : tile.x, y > tile.y ? y : tile.y, 0, 0, 0, 0};
        p.right = x + w < tile.x + tile.usedWidth ? x + w : tile.x + tile.usedWidth;
        p.bottom = y + h < tile.y + tile.usedHeight ? y + h : tile.y + tile.usedHeight;
        if (p.left >= p.right || p.top >= p.bottom) continue;
        p.padRight = p.right == tile.x + tile.usedWidth && tile.usedWidth < tile.textureWidth ? 1 : 0;
        p.padBottom = p.bottom == tile.y + tile.usedHeight && tile.usedHeight < tile.textureHeight ? 1 : 0;
        if (const int r = fn(p)) return r;
    }
    return 0;
}

// Each tile's part of the rectangle (x, y, w, h) of the original image, as a Rect
// {left, top, right, bottom} in the tile's coordinates, with where the part lies in the
// rectangle: fn(tile, part, dx, dy) answers false to stop. False when fn stopped or the
// tiles do not cover the rectangle whole.
template <class Rect, class Fn>
bool ForEachTilePart(const GraphOrigData* orig, int x, int y, int w, int h, Fn&& fn) {
    long long covered = 0;
    const int failed = ForEachUploadTile(orig, x, y, w, h, [&](const UploadTilePart& p) {
        const GraphTextureTile& t = *p.tile;
        if (!fn(t, Rect{p.left - t.x, p.top - t.y, p.right - t.x, p.bottom - t.y}, p.left - x, p.top - y)) return 1;
        covered += (long long)(p.right - p.left) * (p.bottom - p.top);
        return 0;
    });
    return failed == 0 && covered == (long long)w * h;
}

// Copies `rows` rows of `rowBytes` bytes between two pitches.
inline void CopyPitchedRows(const uint8_t* from, int fromPitch, uint8_t* to, int toPitch, int rowBytes, int rows) {
    for (int r = 0; r < rows; ++r)
        std::memcpy(to + size_t(r) * size_t(toPitch), from + size_t(r) * size_t(fromPitch), size_t(rowBytes));
}

// The tile that holds the whole of rect (graph coordinates), with rect moved into the
// tile; null when the rectangle spans tiles.
inline const GraphTextureTile* TileHoldingRect(const GraphData* graph, ImageRect* rect) {
    const GraphOrigData* orig = graph->orig;
    const int x = rect->left + graph->area.x, y = rect->top + graph->area.y;
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& t = orig->tiles[i];
        if (x >= t.x && y >= t.y && x + w <= t.x + t.usedWidth && y + h <= t.y + t.usedHeight) {
            *rect = ImageRect{x - t.x, y - t.y, x - t.x + w, y - t.y + h};
            return &t;
        }
    }
    return nullptr;
}

}  // namespace ZaDod
