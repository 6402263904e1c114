// Draw pieces: which part of which tile shows which part of a graph.
#include <cmath>

#include "media/graphics/graph_types.h"

namespace ZaDod {

namespace {

// Integer copy of a float piece value; a size more than 0.01 over its rounded value
// is rounded up so that no sliver of the graph goes undrawn.
int roundPosition(float value) { return static_cast<int>(std::lround(value)); }

int roundSize(float value, int room) {
    int size = static_cast<int>(std::lround(value));
    if (value - static_cast<float>(size) > 0.01f) ++size;
    return size > room ? room : size;
}

void setCorners(GraphDrawPiece* piece, float graphWidth, float graphHeight) {
    const GraphTextureTile* tile = piece->tile;
    const float texWidth = static_cast<float>(tile->textureWidth);
    const float texHeight = static_cast<float>(tile->textureHeight);
    for (int i = 0; i < 4; ++i) {
        const bool right = (i & 1) != 0;
        const bool bottom = (i & 2) != 0;
        GraphPieceCorner& c = piece->corner[i];
        c.x = piece->xf + (right ? piece->widthf : 0.0f);
        c.y = piece->yf + (bottom ? piece->heightf : 0.0f);
        c.u = (piece->tileXf + (right ? piece->widthf : 0.0f)) / texWidth;
        c.v = (piece->tileYf + (bottom ? piece->heightf : 0.0f)) / texHeight;
        piece->onDiagonal[i] = c.y <= graphHeight - c.x * graphHeight / graphWidth ? 1 : 0;
    }
}

}  // namespace

int BuildGraphDrawPieces(GraphTextureTile* tiles, int tileCount, const GraphArea* area, int floatFlag,
                         GraphDrawPiece* pieces) {
    if (area->width < 1 || area->height < 1) return -1;
    int count = 0;
    for (int i = 0; i < tileCount; ++i) {
        GraphTextureTile* tile = &tiles[i];
        bool overlaps;
        if (floatFlag) {
            const float tx = static_cast<float>(tile->x);
            const float ty = static_cast<float>(tile->y);
            overlaps = tx < area->xf + area->widthf && tx + tile->usedWidth > area->xf &&
                       ty < area->yf + area->heightf && ty + tile->usedHeight > area->yf;
        } else {
            overlaps = tile->x < area->x + area->width && tile->x + tile->usedWidth > area->x &&
                       tile->y < area->y + area->height && tile->y + tile->usedHeight > area->y;
        }
        if (!overlaps) continue;
        if (count == kMaxGraphDrawPieces) return -1;
        if (pieces != nullptr) {
            GraphDrawPiece& piece = pieces[count];
            piece.tile = tile;
            if (floatFlag) {
                const float tx = static_cast<float>(tile->x);
                const float ty = static_cast<float>(tile->y);
                const float left = std::fmax(area->xf, tx);
                const float top = std::fmax(area->yf, ty);
                const float right = std::fmin(area->xf + area->widthf, tx + tile->usedWidth);
                const float bottom = std::fmin(area->yf + area->heightf, ty + tile->usedHeight);
                piece.xf = left - area->xf;
                piece.yf = top - area->yf;
                piece.tileXf = left - tx;
                piece.tileYf = top - ty;
                piece.widthf = right - left;
                piece.heightf = bottom - top;
                piece.x = roundPosition(piece.xf);
                piece.y = roundPosition(piece.yf);
                piece.tileX = roundPosition(piece.tileXf);
                piece.tileY = roundPosition(piece.tileYf);
                piece.width = roundSize(piece.widthf, tile->usedWidth - piece.tileX);
                piece.height = roundSize(piece.heightf, tile->usedHeight - piece.tileY);
            } else {
                const int left = area->x > tile->x ? area->x : tile->x;
                const int top = area->y > tile->y ? area->y : tile->y;
                const int areaRight = area->x + area->width;
                const int areaBottom = area->y + area->height;
                const int tileRight = tile->x + tile->usedWidth;
                const int tileBottom = tile->y + tile->usedHeight;
                piece.x = left - area->x;
                piece.y = top - area->y;
                piece.tileX = left - tile->x;
                piece.tileY = top - tile->y;
                piece.width = (areaRight < tileRight ? areaRight : tileRight) - left;
                piece.height = (areaBottom < tileBottom ? areaBottom : tileBottom) - top;
                piece.xf = static_cast<float>(piece.x);
                piece.yf = static_cast<float>(piece.y);
                piece.tileXf = static_cast<float>(piece.tileX);
                piece.tileYf = static_cast<float>(piece.tileY);
                piece.widthf = static_cast<float>(piece.width);
                piece.heightf = static_cast<float>(piece.height);
            }
            setCorners(&piece, floatFlag ? area->widthf : static_cast<float>(area->width),
                       floatFlag ? area->heightf : static_cast<float>(area->height));
        }
        ++count;
    }
    return count;
}

}  // namespace ZaDod
