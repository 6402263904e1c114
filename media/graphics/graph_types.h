// Graph records that do not depend on the renderer in use: the creation settings,
// the texture tiles of an original image, the draw pieces that map a graph onto
// them, and the pure layout rules (tile sizes, pieces, clipping, division) that the
// graph handles apply.
#pragma once
#include <cstdint>

#include "media/graphics/color_blit.h"
#include "media/graphics/pixel_format.h"

namespace ZaDod {

// The graph-creation settings of one creation or load. Every word is one int32 so
// that an asynchronous job can copy the record whole.
struct SetupGraphParam {
    int32_t transColor;          // 0xRRGGBB
    int32_t colorBits;           // 0 = screen depth
    int32_t floatType;
    int32_t channelNum;
    int32_t channelBitDepth;
    int32_t alphaTest;
    int32_t alphaChannel;
    int32_t cubeMap;
    int32_t blendImage;
    int32_t managed;             // carried into the request; 1 by default
    int32_t userTextureFormat;   // carried into the request
    int32_t colorKind;           // carried into the request (0 or 1)
    int32_t drawable;
    int32_t drawableAlpha;
    int32_t drawableFloat;
    int32_t depthBuffer;
    int32_t drawableChannelNum;
    int32_t depthBufferBits;
    int32_t multiSampleCount;
    int32_t multiSampleQuality;
    int32_t mipLevels;           // 0 = 1; -1 or -2 = a full chain
    int32_t maxTextureSize;      // 0 = the device's largest size
    int32_t word22;              // carried, no effect
    int32_t noAlphaFile;         // no "_a" alpha file is looked for
    int32_t keep;                // the graph survives graphics shut-down
    // Load words, copied from the graph-creation settings when a load starts.
    int32_t noTransColor;
    int32_t transColorToAlpha;
    int32_t leftUpTransColor;
    int32_t noReloadData;
};
static_assert(sizeof(SetupGraphParam) == 29 * 4);

void InitSetupGraphParam(SetupGraphParam* param, int colorBits, int alphaChannel, int alphaTest);
void InitSetupGraphParamDrawable(SetupGraphParam* param, int colorBits, int alphaChannel);

// What the format request needs of the device and the screen.
struct GraphDeviceState {
    int hardware;       // 1 while a Direct3D device is in use
    int screenBits;     // 16 or 32
};

int BuildGraphFormatRequest(GraphFormatRequest* request, const SetupGraphParam* param, const GraphDeviceState* device,
                            int width, int height, int alphaFlag, int colorKeyFlag, int paletteBits,
                            int compressedKind, int mipCount);

// One texture of an original image.
struct GraphTextureTile {
    void* texture;    // the API texture record behind the tile array
    int32_t x, y;     // position in the original image
    int32_t usedWidth, usedHeight;
    int32_t textureWidth, textureHeight;
};

struct GraphPieceCorner {
    float x, y, u, v;
};

// The part of a graph that one tile shows. Corners run top-left, top-right,
// bottom-left, bottom-right.
struct GraphDrawPiece {
    int32_t x, y;
    float xf, yf;
    int32_t tileX, tileY;
    float tileXf, tileYf;
    int32_t width, height;
    float widthf, heightf;
    GraphPieceCorner corner[4];
    uint8_t onDiagonal[4];  // the corner lies on or above the falling diagonal
    GraphTextureTile* tile;
};

constexpr int kMaxGraphDrawPieces = 256;

// What tiling reads of the device.
struct GraphTileCaps {
    int maxTextureSize;
    int pow2Only;
    int conditionalNonPow2;
    int squareOnly;
    int screenWidth;
};

// Tiles along one axis; sizes may be null to count them. limit 0 means the device's
// largest size.
int BuildGraphTileSizes(const GraphTileCaps* caps, int length, int* sizes, int singleTile, int forcePow2,
                        int limit);
// The tiles of a width × height image (rows of tiles, square-only devices split
// non-square tiles); tiles may be null to count them. -1 on a bad size.
int BuildGraphTiles(const GraphTileCaps* caps, int width, int height, int limit, GraphTextureTile* tiles);

// A graph's rectangle in its original image.
struct GraphArea {
    int32_t x, y, width, height;
    float xf, yf, widthf, heightf;
};

// Draw pieces of the tiles that overlap the area; pieces may be null to count them.
// -1 when more than kMaxGraphDrawPieces tiles overlap.
int BuildGraphDrawPieces(GraphTextureTile* tiles, int tileCount, const GraphArea* area, int floatFlag,
                         GraphDrawPiece* pieces);

// Clipping of a transfer: srcRect of a source whose own extent is srcArea goes to
// (destX, destY) of a destination limited to destArea. Writes the clipped source
// rectangle and the destination point; -1 when nothing is left.
int ClipBltRectToArea(const ImageRect* srcArea, const ImageRect* destArea, const ImageRect* srcRect, int destX,
                      int destY, ImageRect* srcOut, int* destXOut, int* destYOut);
int ClipBltRectToImage(int srcWidth, int srcHeight, int destWidth, int destHeight, const ImageRect* srcRect,
                       int destX, int destY, ImageRect* srcOut, int* destXOut, int* destYOut);

// A derived rectangle inside a source of the given area: refused (-1) unless it
// starts inside the source and has a size of at least 1; cut to the source.
int ClipDerivedGraphArea(const GraphArea* source, GraphArea* derived, int floatFlag);

// Top-left of piece `index` of a division (row by row; mirror runs columns right to
// left).
void GetDivGraphPiecePosition(int index, int xCount, int width, int height, int mirror, int* x, int* y);
int CheckDivGraphCounts(int count, int xCount, int yCount, int width, int height);

}  // namespace ZaDod
