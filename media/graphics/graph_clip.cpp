// Rectangle rules of graph transfers, derived graphs and divided graphs.
#include "media/graphics/graph_types.h"

namespace ZaDod {

int ClipBltRectToArea(const ImageRect* srcArea, const ImageRect* destArea, const ImageRect* srcRect, int destX,
                      int destY, ImageRect* srcOut, int* destXOut, int* destYOut) {
    ImageRect src = *srcRect;
    // Cut to the source first, moving the destination point with the left/top cut.
    if (src.left < srcArea->left) {
        destX += srcArea->left - src.left;
        src.left = srcArea->left;
    }
    if (src.top < srcArea->top) {
        destY += srcArea->top - src.top;
        src.top = srcArea->top;
    }
    if (src.right > srcArea->right) src.right = srcArea->right;
    if (src.bottom > srcArea->bottom) src.bottom = srcArea->bottom;
    // Then the destination rectangle to its area, moving the source likewise.
    if (destX < destArea->left) {
        src.left += destArea->left - destX;
        destX = destArea->left;
    }
    if (destY < destArea->top) {
        src.top += destArea->top - destY;
        destY = destArea->top;
    }
    if (destX + (src.right - src.left) > destArea->right) src.right = src.left + destArea->right - destX;
    if (destY + (src.bottom - src.top) > destArea->bottom) src.bottom = src.top + destArea->bottom - destY;
    if (src.right <= src.left || src.bottom <= src.top) return -1;
    *srcOut = src;
    *destXOut = destX;
    *destYOut = destY;
    return 0;
}

int ClipBltRectToImage(int srcWidth, int srcHeight, int destWidth, int destHeight, const ImageRect* srcRect,
                       int destX, int destY, ImageRect* srcOut, int* destXOut, int* destYOut) {
    const ImageRect srcArea{0, 0, srcWidth, srcHeight};
    const ImageRect destArea{0, 0, destWidth, destHeight};
    return ClipBltRectToArea(&srcArea, &destArea, srcRect, destX, destY, srcOut, destXOut, destYOut);
}

int ClipDerivedGraphArea(const GraphArea* source, GraphArea* derived, int floatFlag) {
    if (floatFlag) {
        if (derived->xf < 0.0f || derived->yf < 0.0f || derived->xf >= source->widthf ||
            derived->yf >= source->heightf || !(derived->widthf >= 1.0f) || !(derived->heightf >= 1.0f)) {
            return -1;
        }
        if (derived->xf + derived->widthf > source->widthf) derived->widthf = source->widthf - derived->xf;
        if (derived->yf + derived->heightf > source->heightf) derived->heightf = source->heightf - derived->yf;
        derived->x = static_cast<int>(derived->xf);
        derived->y = static_cast<int>(derived->yf);
        derived->width = static_cast<int>(derived->widthf + 0.5f);
        derived->height = static_cast<int>(derived->heightf + 0.5f);
        if (derived->width < 1) derived->width = 1;
        if (derived->height < 1) derived->height = 1;
        return 0;
    }
    if (derived->x < 0 || derived->y < 0 || derived->x >= source->width || derived->y >= source->height ||
        derived->width < 1 || derived->height < 1) {
        return -1;
    }
    if (derived->x + derived->width > source->width) derived->width = source->width - derived->x;
    if (derived->y + derived->height > source->height) derived->height = source->height - derived->y;
    derived->xf = static_cast<float>(derived->x);
    derived->yf = static_cast<float>(derived->y);
    derived->widthf = static_cast<float>(derived->width);
    derived->heightf = static_cast<float>(derived->height);
    return 0;
}

void GetDivGraphPiecePosition(int index, int xCount, int width, int height, int mirror, int* x, int* y) {
    const int column = index % xCount;
    const int row = index / xCount;
    *x = mirror ? (xCount - 1 - column) * width : column * width;
    *y = row * height;
}

int CheckDivGraphCounts(int count, int xCount, int yCount, int width, int height) {
    if (count < 1 || xCount < 1 || yCount < 1 || width < 1 || height < 1) return -1;
    // More pieces than the grid holds would read past its last row.
    if (static_cast<int64_t>(xCount) * yCount < count) return -1;
    return 0;
}

}  // namespace ZaDod
