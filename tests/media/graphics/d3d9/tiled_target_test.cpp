// Direct3D 9 draw targets wider than the largest texture (8192 on the stand-in): draws of
// screen and of transformed positions, clears and pixel reads reach every tile, locks
// spanning tiles gather them (and write a picture's tiles back), multisampled tiles all
// resolve, a picture of several tiles copies into such a graph whole, and further
// render-target slots still refuse it.
#include "d3d9_fixture.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/render_state.h"
#include "tools/shaderasm/shader_asm.h"

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

// A canvas of two tiles, the draw target, cleared to dark blue.
int wideCanvas() {
  const int canvas = MakeDrawableGraph(9000, 24, 0);
  EXPECT_GE(canvas, 0);
  EXPECT_EQ(SetDrawTarget(canvas), 0);
  SetBackgroundColor(0, 0, 64);
  ClearDrawTarget(nullptr);
  return canvas;
}

// Red where x lies in [8100, 8300) (both sides of the seam at 8192), dark blue around it,
// along row y of the draw target.
void expectBoxAcrossSeam(int y) {
  for (int x : {8100, 8150, 8191, 8192, 8193, 8250, 8299})
    EXPECT_EQ(opaque(GetDrawTargetPixel(x, y)), 0xFFFF0000u) << x;
  for (int x : {8090, 8099, 8300, 8310, 100}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, y)), 0xFF000040u) << x;
}

struct PositionColour {
  float x, y, z;
  uint32_t colour;
};

// Two triangles over x in [x1, x2), y in [y1, y2) of the target, in graph pixels that the
// projection below maps to clip space (pixel centres on whole coordinates here).
std::vector<PositionColour> quadOf(float x1, float y1, float x2, float y2) {
  x1 -= 0.5f, x2 -= 0.5f, y1 -= 0.5f, y2 -= 0.5f;
  const uint32_t red = 0xFFFF0000u;
  return {{x1, y1, 0.5f, red}, {x2, y1, 0.5f, red}, {x1, y2, 0.5f, red},
          {x2, y2, 0.5f, red}, {x1, y2, 0.5f, red}, {x2, y1, 0.5f, red}};
}

// Positions the device transforms, through the fixed stages and through a vertex shader
// that places them by the projection in c2..c5, land on both sides of the seam as the
// screen positions of a box do.
TEST_F(D3D9Tiled, TransformedPositionsReachEveryTileTheyCover) {
  startCleared();
  wideCanvas();
  Matrix4x4F identity{}, pixels{};
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
  pixels.m[0][0] = 2.0f / 9000.0f, pixels.m[3][0] = -1.0f;
  pixels.m[1][1] = -2.0f / 24.0f, pixels.m[3][1] = 1.0f;
  pixels.m[2][2] = pixels.m[3][3] = 1.0f;
  ASSERT_EQ(Graphics_D3D9_SetTransformToWorld(&identity), 0);
  ASSERT_EQ(Graphics_D3D9_SetTransformToView(&identity), 0);
  ASSERT_EQ(Graphics_D3D9_SetTransformToProjection(&pixels), 0);
  ASSERT_EQ(Graphics_D3D9_SetUseLighting(0), 0);

  std::vector<uint32_t> code;
  std::string error;
  ASSERT_TRUE(halvorine::shaderasm::assemble("vs_2_0\ndcl_position v0\ndcl_color v1\nm4x4 oPos, v0, c2\nmov oD0, v1\n",
                                             code, error))
      << error;
  IDirect3DVertexShader9* shader = nullptr;
  ASSERT_EQ(Direct3DDevice9_CreateVertexShader(reinterpret_cast<const DWORD*>(code.data()), &shader), D3D_OK);

  for (int viaShader = 0; viaShader < 2; ++viaShader) {
    SCOPED_TRACE(viaShader ? "vertex shader" : "fixed stages");
    ClearDrawTarget(nullptr);
    const float top = viaShader ? 12.0f : 2.0f;
    const std::vector<PositionColour> quad = quadOf(8100, top, 8300, top + 8);
    ASSERT_EQ(D3D9_BeginUntextured(), 0);
    ASSERT_EQ(Graphics_D3D9_DeviceState_SetFVF(0x42), 0);  // position and colour
    if (viaShader) {
      ASSERT_EQ(Graphics_D3D9_DeviceState_SetVertexShader(shader, 1), 0);
    }
    ASSERT_EQ(Direct3DDevice9_DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(PositionColour)), D3D_OK);
    if (viaShader) Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
    expectBoxAcrossSeam(int(top) + 4);
    EXPECT_EQ(opaque(GetDrawTargetPixel(8200, int(top) + 9)), 0xFF000040u);
  }
  Direct3D9Object_Release(shader);
  ASSERT_EQ(SetDrawTarget(-2), 0);
}

// Reads of a rectangle across the seam gather both tiles; a writable lock of a picture
// (not drawn into) writes what was changed back into both tiles; a second lock waits for
// the first to end.
TEST_F(D3D9Tiled, LocksAcrossTheSeamGatherAndWriteBackBothTiles) {
  startCleared();
  const int canvas = wideCanvas();
  ASSERT_EQ(DrawBox(8100, 4, 8300, 20, 0xFFFF0000u, 1), 0);
  const ImageRect across{8000, 0, 8400, 24};
  for (int round = 0; round < 2; ++round) {
    BaseImage image{};
    ASSERT_EQ(LockDrawTargetBuffer(&across, &image, canvas, 0, 1), 0);
    ASSERT_EQ(image.width, 400);
    BaseImage other{};
    EXPECT_EQ(LockDrawTargetBuffer(&across, &other, canvas, 0, 1), -1);
    for (int x : {8099, 8100, 8191, 8192, 8299, 8300}) {
      int r = 0, g = 0, b = 0, a = 0;
      GetBaseImagePixel(&image, x - 8000, 10, &r, &g, &b, &a);
      const bool inBox = x >= 8100 && x < 8300;
      EXPECT_EQ((r << 16) | (g << 8) | b, inBox ? 0xFF0000 : 0x000040) << x;
    }
    UnlockDrawTargetBuffer();
  }
  ASSERT_EQ(SetDrawTarget(-2), 0);

  BaseImage source{};
  ASSERT_EQ(CreateARGB8ColorBaseImage(9000, 4, &source), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9000; ++x) SetBaseImagePixel(&source, x, y, x & 0xFF, y * 60, 90, 255);
  const int picture = CreateGraphFromBaseImage(&source, nullptr, 1, 0);
  ReleaseBaseImage(&source);
  ASSERT_GE(picture, 0);
  ASSERT_GT(GetGraphData(picture)->orig->tileCount, 1);
  const ImageRect seam{8180, 1, 8200, 3};
  BaseImage image{};
  ASSERT_EQ(LockDrawTargetBuffer(&seam, &image, picture, 0, 0), 0);
  for (int x = 0; x < 20; ++x) {
    int r = 0, g = 0, b = 0, a = 0;
    GetBaseImagePixel(&image, x, 1, &r, &g, &b, &a);
    EXPECT_EQ(r, (8180 + x) & 0xFF) << x;
    EXPECT_EQ(g, 120) << x;
    SetBaseImagePixel(&image, x, 0, 255, 255, 255, 255);
  }
  UnlockDrawTargetBuffer();
  const ImageRect wider{8170, 0, 8210, 4};
  ASSERT_EQ(LockDrawTargetBuffer(&wider, &image, picture, 0, 1), 0);
  for (int x = 8170; x < 8210; ++x)
    for (int y = 0; y < 4; ++y) {
      int r = 0, g = 0, b = 0, a = 0;
      GetBaseImagePixel(&image, x - 8170, y, &r, &g, &b, &a);
      const bool written = y == 1 && x >= 8180 && x < 8200;
      EXPECT_EQ(r, written ? 255 : x & 0xFF) << x << ", " << y;
      EXPECT_EQ(g, written ? 255 : y * 60) << x << ", " << y;
    }
  UnlockDrawTargetBuffer();
}

// Every tile of a multisampled canvas reaches its texture when the canvas stops being the
// draw target.
TEST_F(D3D9Tiled, EveryTileOfAMultisampledCanvasResolves) {
  startCleared();
  SetDrawableGraphMultiSample(4, 0);
  const int canvas = MakeDrawableGraph(9000, 24, 0);
  SetDrawableGraphMultiSample(0, 0);
  ASSERT_GE(canvas, 0);
  ASSERT_TRUE(IsGraphMultiSample(canvas));
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(SetDrawTarget(canvas), 0);
    SetBackgroundColor(0, 0, 64);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawBox(8100 + round * 40, 4, 8300, 20, 0xFFFF0000u, 1), 0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawGraph(-8000, 100, canvas, 0), 0);
    for (int x : {150, 191, 192, 250, 299}) EXPECT_EQ(opaque(GetDrawTargetPixel(x, 110)), 0xFFFF0000u) << x;
    EXPECT_EQ(opaque(GetDrawTargetPixel(300, 110)), 0xFF000040u);
  }
}

}  // namespace
}  // namespace d3d9test
