// Tests of how a graph is split into tiles and pieces.
#include <gtest/gtest.h>

#include <vector>

#include "media/graphics/graph_types.h"

using namespace ZaDod;

namespace {

std::vector<int> tileSizes(const GraphTileCaps& caps, int length, int single, int force, int limit = 0) {
    int count = BuildGraphTileSizes(&caps, length, nullptr, single, force, limit);
    std::vector<int> sizes(count);
    EXPECT_EQ(BuildGraphTileSizes(&caps, length, sizes.data(), single, force, limit), count);
    return sizes;
}

GraphTileCaps capsOf(int max, int pow2, int square = 0) { return GraphTileCaps{max, pow2, 0, square, 640}; }

GraphArea areaOf(int x, int y, int w, int h) {
    return GraphArea{x, y, w, h, float(x), float(y), float(w), float(h)};
}

}  // namespace

TEST(GraphTiles, PowerOfTwoSplitsAndMerges) {
    GraphTileCaps caps = capsOf(256, 1);
    EXPECT_EQ(tileSizes(caps, 300, 1, 1), (std::vector<int>{256, 32, 8, 4}));
    EXPECT_EQ(tileSizes(caps, 200, 1, 1), (std::vector<int>{256}));
    EXPECT_EQ(tileSizes(capsOf(1024, 1), 1500, 1, 1), (std::vector<int>{1024, 512}));
    EXPECT_EQ(tileSizes(capsOf(256, 0), 200, 1, 0), (std::vector<int>{200}));
    EXPECT_EQ(tileSizes(capsOf(256, 0), 1, 1, 1), (std::vector<int>{1}));
    // A limit narrower than the device's largest size is kept.
    EXPECT_EQ(tileSizes(capsOf(1024, 0), 200, 1, 0, 64), (std::vector<int>{64, 64, 64, 8}));
}

TEST(GraphTiles, WidePicturesAreCoveredUpToTheLargestInt) {
    const GraphTileCaps caps = capsOf(16384, 0);
    EXPECT_EQ(tileSizes(caps, 100000, 1, 0), (std::vector<int>{16384, 16384, 16384, 16384, 16384, 16384, 1024, 512,
                                                               128, 32}));
    for (int length : {2147483647, 2147483647 - 16383, 1073741825}) {
        const std::vector<int> sizes = tileSizes(caps, length, 1, 0);
        int64_t total = 0;
        for (int size : sizes) {
            ASSERT_GE(size, 1);
            ASSERT_LE(size, 16384);
            total += size;
        }
        EXPECT_GE(total, length) << length;
        EXPECT_LT(total - length, 16384) << length;
    }
    // A one-row picture of that width: every tile starts inside it, the last one is
    // used only up to its edge.
    std::vector<GraphTextureTile> tiles(size_t(BuildGraphTiles(&caps, 2147483647, 1, 0, nullptr)));
    ASSERT_EQ(BuildGraphTiles(&caps, 2147483647, 1, 0, tiles.data()), int(tiles.size()));
    EXPECT_EQ(tiles.back().x, 2147483647 - 16383);
    EXPECT_EQ(tiles.back().usedWidth, 16383);
}

TEST(GraphTiles, GridAndSquareSplit) {
    GraphTileCaps caps = capsOf(256, 0);
    GraphTextureTile tiles[16];
    ASSERT_EQ(BuildGraphTiles(&caps, 300, 100, 0, tiles), 4);  // 256+32+8+4 across, 100 down
    EXPECT_EQ(tiles[1].x, 256);
    EXPECT_EQ(tiles[3].x, 296);
    EXPECT_EQ(tiles[3].usedWidth, 4);
    EXPECT_EQ(tiles[0].usedHeight, 100);

    GraphTileCaps square = capsOf(256, 1, 1);
    ASSERT_EQ(BuildGraphTiles(&square, 100, 30, 0, nullptr), 4);  // 128 × 32 gives four 32-squares
    ASSERT_EQ(BuildGraphTiles(&square, 100, 30, 0, tiles), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tiles[i].textureWidth, 32);
        EXPECT_EQ(tiles[i].textureHeight, 32);
        EXPECT_EQ(tiles[i].x, 32 * i);
    }
    EXPECT_EQ(tiles[3].usedWidth, 4);
    EXPECT_EQ(tiles[0].usedHeight, 30);
    EXPECT_EQ(BuildGraphTiles(&caps, 0, 10, 0, nullptr), -1);
}

TEST(GraphPieces, CornersCoordinatesAndDiagonal) {
    GraphTileCaps caps = capsOf(256, 1);
    GraphTextureTile tiles[16];
    const int count = BuildGraphTiles(&caps, 300, 20, 0, tiles);
    ASSERT_EQ(count, 4);
    GraphArea area = areaOf(250, 0, 38, 20);
    GraphDrawPiece pieces[4];
    ASSERT_EQ(BuildGraphDrawPieces(tiles, count, &area, 0, pieces), 2);
    EXPECT_EQ(pieces[0].tile, &tiles[0]);
    EXPECT_EQ(pieces[0].x, 0);
    EXPECT_EQ(pieces[0].tileX, 250);
    EXPECT_EQ(pieces[0].width, 6);
    EXPECT_EQ(pieces[1].x, 6);
    EXPECT_EQ(pieces[1].tileX, 0);
    EXPECT_EQ(pieces[1].width, 32);
    // Top-right corner of the first piece: (6, 0) in the graph, u = 256 / 256.
    EXPECT_FLOAT_EQ(pieces[0].corner[1].x, 6.0f);
    EXPECT_FLOAT_EQ(pieces[0].corner[1].u, 1.0f);
    EXPECT_FLOAT_EQ(pieces[1].corner[3].v, 20.0f / 32.0f);
    // On or above the falling diagonal y <= 20 - x * 20 / 38.
    EXPECT_EQ(pieces[0].onDiagonal[0], 1);
    EXPECT_EQ(pieces[1].onDiagonal[3], 0);
    EXPECT_EQ(pieces[1].onDiagonal[2], 0);  // (6, 20): 20 <= 16.8 is false
    EXPECT_EQ(pieces[1].onDiagonal[0], 1);
}

TEST(GraphPieces, FloatPositionsRoundUpSizes) {
    GraphTileCaps caps = capsOf(64, 1);
    GraphTextureTile tiles[8];
    const int count = BuildGraphTiles(&caps, 100, 10, 0, tiles);
    ASSERT_EQ(count, 3);  // 64 + 32 + 4
    GraphArea area = {10, 0, 54, 10, 10.5f, 0.0f, 53.4f, 10.0f};
    GraphDrawPiece pieces[3];
    ASSERT_EQ(BuildGraphDrawPieces(tiles, count, &area, 1, pieces), 1);
    EXPECT_FLOAT_EQ(pieces[0].tileXf, 10.5f);
    EXPECT_FLOAT_EQ(pieces[0].widthf, 53.4f);
    EXPECT_EQ(pieces[0].width, 53);  // 53.4 rounds up to 54, cut back to the tile's 53 columns from 11
    area.widthf = 53.7f;
    ASSERT_EQ(BuildGraphDrawPieces(tiles, count, &area, 1, pieces), 2);
    EXPECT_NEAR(pieces[1].widthf, 0.2f, 1e-4);
    EXPECT_EQ(pieces[1].width, 1);
}

TEST(GraphPieces, MoreThan256TilesRefused) {
    GraphTileCaps caps = capsOf(1, 0);
    std::vector<GraphTextureTile> tiles(300);
    ASSERT_EQ(BuildGraphTiles(&caps, 257, 1, 0, tiles.data()), 257);
    GraphArea area = areaOf(0, 0, 257, 1);
    EXPECT_EQ(BuildGraphDrawPieces(tiles.data(), 257, &area, 0, nullptr), -1);
    area.width = 256;
    EXPECT_EQ(BuildGraphDrawPieces(tiles.data(), 257, &area, 0, nullptr), 256);
}

TEST(GraphClip, TransferRectangles) {
    ImageRect src{-2, 1, 10, 5};
    ImageRect out;
    int dx, dy;
    ASSERT_EQ(ClipBltRectToImage(8, 4, 6, 6, &src, 0, 0, &out, &dx, &dy), 0);
    EXPECT_EQ(out.left, 0);
    EXPECT_EQ(out.bottom, 4);
    EXPECT_EQ(dx, 2);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(out.right - out.left, 4);
    EXPECT_EQ(ClipBltRectToImage(8, 4, 6, 6, &src, 7, 0, &out, &dx, &dy), -1);
}

TEST(GraphClip, DerivedRectanglesAndDivision) {
    GraphArea source = areaOf(0, 0, 32, 16);
    GraphArea derived = areaOf(32, 0, 4, 4);
    EXPECT_EQ(ClipDerivedGraphArea(&source, &derived, 0), -1);
    derived = areaOf(30, 10, 8, 8);
    ASSERT_EQ(ClipDerivedGraphArea(&source, &derived, 0), 0);
    EXPECT_EQ(derived.width, 2);
    EXPECT_EQ(derived.height, 6);
    derived = areaOf(0, 0, 0, 4);
    EXPECT_EQ(ClipDerivedGraphArea(&source, &derived, 0), -1);
    derived = areaOf(0, 0, 4, 4);
    derived.xf = 31.5f;
    EXPECT_EQ(ClipDerivedGraphArea(&source, &derived, 1), 0);
    EXPECT_FLOAT_EQ(derived.widthf, 0.5f);  // cut, still one pixel wide when drawn
    derived.xf = 32.0f;
    EXPECT_EQ(ClipDerivedGraphArea(&source, &derived, 1), -1);

    int x, y;
    GetDivGraphPiecePosition(4, 3, 10, 20, 0, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    GetDivGraphPiecePosition(4, 3, 10, 20, 1, &x, &y);
    EXPECT_EQ(x, 10);
    GetDivGraphPiecePosition(3, 3, 10, 20, 1, &x, &y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(CheckDivGraphCounts(5, 3, 2, 10, 10), 0);
    EXPECT_EQ(CheckDivGraphCounts(7, 3, 2, 10, 10), -1);
    EXPECT_EQ(CheckDivGraphCounts(5, 3, 2, 0, 10), -1);
    EXPECT_EQ(CheckDivGraphCounts(0, 3, 2, 10, 10), -1);
}

TEST(GraphParam, FormatRequests) {
    SetupGraphParam param;
    InitSetupGraphParam(&param, 0, 1, 0);
    GraphDeviceState software{0, 32};
    GraphFormatRequest request;
    BuildGraphFormatRequest(&request, &param, &software, 10, 10, 1, 1, 8, 3, -1);
    EXPECT_EQ(request.systemMemory, 1);
    EXPECT_EQ(request.paramWord9, 0);
    EXPECT_EQ(request.colorBits, 32);
    EXPECT_EQ(request.blockKind, 0);
    EXPECT_EQ(request.colorKey, 1);
    EXPECT_EQ(request.drawable, 1);

    GraphDeviceState hardware{1, 16};
    InitSetupGraphParam(&param, 0, 0, 1);
    param.mipLevels = -1;
    BuildGraphFormatRequest(&request, &param, &hardware, 300, 20, 0, 1, 4, 0, -1);
    EXPECT_EQ(request.paramWord9, 1);
    EXPECT_EQ(request.mipCount, 9);  // 300 down to 1
    EXPECT_EQ(request.colorBits, 4);
    EXPECT_EQ(request.alphaTest, 1);
    BuildGraphFormatRequest(&request, &param, &hardware, 8, 8, 1, 0, 8, 0, 2);
    EXPECT_EQ(request.colorBits, 32);
    EXPECT_EQ(request.alphaTest, 0);
    EXPECT_EQ(request.mipCount, 2);

    InitSetupGraphParamDrawable(&param, 0, 1);
    param.multiSampleCount = 4;
    param.drawableChannelNum = 2;
    BuildGraphFormatRequest(&request, &param, &hardware, 8, 8, 0, 0, 8, 0, -1);
    EXPECT_EQ(request.drawable, 1);
    EXPECT_EQ(request.alphaChannel, 1);
    EXPECT_EQ(request.paramWord9, 0);
    EXPECT_EQ(request.multiSampleCount, 4);
    EXPECT_EQ(request.channelCount, 2);
    EXPECT_EQ(request.mipCount, 1);
}
