// Direct3D 9 draw targets wider than the largest texture (8192 on the stand-in): draws,
// clears and pixel reads reach every tile, a picture of several tiles copies into such a
// graph whole, and further render-target slots still refuse it.
#include "d3d9_fixture.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_state.h"

namespace d3d9test {
namespace {

unsigned opaque(unsigned c) { return c | 0xFF000000u; }

class D3D9Tiled : public D3D9BackEnd {};

TEST_F(D3D9Tiled, ABoxAcrossTheTileSeamLandsOnBothSides) {
  startCleared();
  const int canvas = MakeDrawableGraph(9000, 24, 0);
  ASSERT_GE(canvas, 0);
  ASSERT_GT(GetGraphData(canvas)->orig->tileCount, 1);
  ASSERT_EQ(SetDrawTarget(canvas), 0);
  EXPECT_EQ(D3D9_TiledTarget(), GetGraphData(canvas)->orig);
  // The clear reaches the far tile too.
  SetBackgroundColor(0, 0, 64);
  ClearDrawTarget(nullptr);
  EXPECT_EQ(opaque(GetDrawTargetPixel(8990, 20)), 0xFF000040u);
  ASSERT_EQ(DrawBox(8100, 4, 8300, 20, 0xFFFF0000u, 1), 0);
  for (int x : {8100, 8150, 8191, 8192, 8193, 8250, 8299}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 10)), 0xFFFF0000u) << x;
  for (int x : {8099, 8300}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 10)), 0xFF000040u) << x;
  EXPECT_EQ(opaque(GetDrawTargetPixel(8200, 2)), 0xFF000040u);

  // Further slots take one-tile graphs only.
  EXPECT_EQ(SetRenderTarget(1, canvas, 0), -1);

  // The canvas drawn on the screen shows both sides of the seam.
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(D3D9_TiledTarget(), nullptr);
  SetBackgroundColor(0, 0, 0);
  ClearDrawTarget(nullptr);
  ASSERT_EQ(DrawGraph(-8000, 100, canvas, 0), 0);
  EXPECT_EQ(opaque(GetDrawTargetPixel(191, 110)), 0xFFFF0000u);
  EXPECT_EQ(opaque(GetDrawTargetPixel(192, 110)), 0xFFFF0000u);
  EXPECT_EQ(opaque(GetDrawTargetPixel(300, 110)), 0xFF000040u);
}

TEST_F(D3D9Tiled, AWidePictureCopiesIntoAWideTargetWhole) {
  startCleared();
  const int source = MakeDrawableGraph(9000, 24, 0);
  ASSERT_GE(source, 0);
  ASSERT_EQ(SetDrawTarget(source), 0);
  ASSERT_EQ(DrawBox(0, 0, 9000, 24, 0xFF00FF00u, 1), 0);
  ASSERT_EQ(DrawBox(8900, 0, 9000, 24, 0xFFFFFF00u, 1), 0);
  // What duplicate() does: a new graph of the size as target, the picture drawn into it.
  const int copy = MakeDrawableGraph(9000, 24, 0);
  ASSERT_EQ(SetDrawTarget(copy), 0);
  ASSERT_EQ(DrawPartGraph(0, 0, 0, 0, 9000, 24, source, 1, 0), 0);
  for (int x : {0, 4000, 8191, 8192, 8899}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 12)), 0xFF00FF00u) << x;
  EXPECT_EQ(opaque(GetDrawTargetPixel(8950, 12)), 0xFFFFFF00u);
  SetDrawTarget(-2);
}

}  // namespace
}  // namespace d3d9test
