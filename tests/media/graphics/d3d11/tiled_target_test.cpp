// Direct3D 11 draw targets wider than the largest texture: draws, clears of the whole
// target and of a rectangle, pixel reads, and copies into another such graph reach every
// tile, on both sides of each seam, and a lock across a seam gathers the tiles; further
// render-target slots still refuse the graph.
#include "d3d11_fixture.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/screen.h"

namespace d3d11test {
namespace {

unsigned opaque(unsigned c) { return c | 0xFF000000u; }

TEST_F(D3D11Test, AGraphOfSeveralTilesIsDrawnClearedAndCopiedTileByTile) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  constexpr int kWide = 17000, kHigh = 24;
  const unsigned blue = 0xFF000040u, red = 0xFFFF0000u, green = 0xFF00FF00u;
  const int canvas = MakeDrawableGraph(kWide, kHigh, 0);
  ASSERT_GE(canvas, 0);
  const GraphOrigData* orig = GetGraphData(canvas)->orig;
  ASSERT_GT(orig->tileCount, 1);
  ASSERT_EQ(SetDrawTarget(canvas), 0);
  EXPECT_EQ(D3D11_TiledTarget(), orig);
  SetBackgroundColor(0, 0, 64);
  ASSERT_EQ(ClearDrawTarget(nullptr), 0);
  EXPECT_EQ(opaque(GetDrawTargetPixel(kWide - 1, kHigh - 1)), blue);
  // Each seam between tiles of some width: a box across it lands on both sides, and a
  // cleared rectangle inside the box across it too.
  int seams = 0;
  for (int i = 1; i < orig->tileCount; ++i) {
    const GraphTextureTile &left = orig->tiles[i - 1], &right = orig->tiles[i];
    if (right.y != 0 || left.usedWidth < 64 || right.usedWidth < 64) continue;
    const int seam = right.x;
    SCOPED_TRACE(seam);
    ++seams;
    ASSERT_EQ(DrawBox(seam - 20, 4, seam + 20, 20, red, 1), 0);
    const ImageRect hole{seam - 5, 8, seam + 5, 16};
    ASSERT_EQ(ClearDrawTarget(&hole), 0);
    for (int x : {seam - 20, seam - 6, seam + 5, seam + 19}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 12)), red) << x;
    for (int x : {seam - 5, seam - 1, seam, seam + 4}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 12)), blue) << x;
    for (int x : {seam - 21, seam + 20}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 12)), blue) << x;
  }
  EXPECT_GT(seams, 0);
  EXPECT_EQ(SetRenderTarget(1, canvas, 0), -1);

  // What duplicate() does: a new graph of the size as target, the canvas drawn into it.
  const int copy = MakeDrawableGraph(kWide, kHigh, 0);
  ASSERT_EQ(SetDrawTarget(copy), 0);
  ASSERT_EQ(DrawBox(0, 0, kWide, kHigh, green, 1), 0);
  ASSERT_EQ(DrawPartGraph(0, 0, 0, 0, kWide, kHigh, canvas, 1, 0), 0);
  const int seam = orig->tiles[1].x;
  for (int x : {0, seam - 21, seam + 20, kWide - 1}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 4)), blue) << x;
  for (int x : {seam - 20, seam - 1, seam, seam + 19}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 4)), red) << x;
  EXPECT_EQ(opaque(GetDrawTargetPixel(seam, 12)), blue);

  // A lock across the seam gathers both tiles, as the whole canvas does; one lock at a time.
  for (const ImageRect& across : {ImageRect{seam - 40, 0, seam + 40, kHigh}, ImageRect{0, 0, kWide, kHigh}}) {
    BaseImage image{};
    ASSERT_EQ(LockDrawTargetBuffer(&across, &image, copy, 0, 1), 0);
    ASSERT_EQ(image.width, across.right - across.left);
    BaseImage other{};
    EXPECT_EQ(LockDrawTargetBuffer(&across, &other, copy, 0, 1), -1);
    for (int x : {seam - 21, seam - 20, seam - 1, seam, seam + 19, seam + 20}) {
      int r = 0, g = 0, b = 0, a = 0;
      GetBaseImagePixel(&image, x - across.left, 4, &r, &g, &b, &a);
      const bool inBox = x >= seam - 20 && x < seam + 20;
      EXPECT_EQ((r << 16) | (g << 8) | b, inBox ? 0xFF0000 : 0x000040) << x;
    }
    UnlockDrawTargetBuffer();
  }
  const ImageRect outside{kWide - 10, 0, kWide + 10, 4};
  BaseImage image{};
  EXPECT_EQ(LockDrawTargetBuffer(&outside, &image, copy, 0, 1), -1);
  // A picture (not drawn into) of several tiles reads across its seam the same way.
  BaseImage source{};
  ASSERT_EQ(CreateARGB8ColorBaseImage(kWide, 4, &source), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < kWide; ++x) SetBaseImagePixel(&source, x, y, x & 0xFF, y * 60, 90, 255);
  const int picture = CreateGraphFromBaseImage(&source, nullptr, 1, 0);
  ReleaseBaseImage(&source);
  ASSERT_GE(picture, 0);
  const GraphOrigData* pictureOrig = GetGraphData(picture)->orig;
  ASSERT_GT(pictureOrig->tileCount, 1);
  const int pictureSeam = pictureOrig->tiles[1].x;
  const ImageRect seamRect{pictureSeam - 30, 1, pictureSeam + 30, 3};
  ASSERT_EQ(LockDrawTargetBuffer(&seamRect, &image, picture, 0, 1), 0);
  for (int x = 0; x < 60; ++x) {
    int r = 0, g = 0, b = 0, a = 0;
    GetBaseImagePixel(&image, x, 1, &r, &g, &b, &a);
    EXPECT_EQ(r, (pictureSeam - 30 + x) & 0xFF) << x;
    EXPECT_EQ(g, 120) << x;
  }
  UnlockDrawTargetBuffer();
  SubHandle(picture);

  // Back on the screen nothing is drawn tile by tile any more.
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(D3D11_TiledTarget(), nullptr);
  SubHandle(copy);
  SubHandle(canvas);
}

}  // namespace
}  // namespace d3d11test
