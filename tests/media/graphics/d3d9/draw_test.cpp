// Graphs and shapes drawn through the fronts on Direct3D 9: exact pixels of placement,
// stretching, clipping, texture alpha, edge padding, line ends, circles and boxes, the
// single operations, and a table of whole frames drawn on Direct3D 9 and on the software
// renderer and compared.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "d3d9_fixture.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/shader.h"
#include "tests/media/graphics/multisample_cases.h"

namespace d3d9test {
namespace {

struct Px {
  int r, g, b, a = 255;
};

// A graph of w x h pixels given row by row (alpha from each entry).
int makeGraph(int w, int h, const std::vector<Px>& pixels) {
  BaseImage image{};
  if (CreateARGB8ColorBaseImage(w, h, &image) != 0) return -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Px& p = pixels[size_t(y) * size_t(w) + size_t(x)];
      SetBaseImagePixel(&image, x, y, p.r, p.g, p.b, p.a);
    }
  const int handle = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  return handle;
}

unsigned rgb(int r, int g, int b) { return 0xFF000000u | unsigned(r) << 16 | unsigned(g) << 8 | unsigned(b); }
unsigned at(int x, int y) { return GetDrawTargetPixel(x, y) | 0xFF000000u; }

class D3D9Draw : public D3D9BackEnd {
 protected:
  // Starts windowed at 640x480, 32 bits, on Direct3D 9 or the software renderer, cleared
  // black; the API type that came up.
  static int begin(bool software) { return mscases::begin(software ? "d3d11,d3d9" : "d3d11", 0); }
};

TEST_F(D3D9Draw, GraphTexelsLandOnTheirPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  const int g = makeGraph(2, 2, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}});
  ASSERT_GE(g, 0);
  ASSERT_EQ(DrawGraphF(10.0f, 20.0f, g, 0), 0);
  EXPECT_EQ(at(10, 20), rgb(255, 0, 0));
  EXPECT_EQ(at(11, 20), rgb(0, 255, 0));
  EXPECT_EQ(at(10, 21), rgb(0, 0, 255));
  EXPECT_EQ(at(11, 21), rgb(255, 255, 255));
  EXPECT_EQ(at(9, 20), rgb(0, 0, 0));
  EXPECT_EQ(at(12, 20), rgb(0, 0, 0));

  // Mirrored stretch: right edge given first; no width refuses.
  const int m = makeGraph(2, 1, {{255, 0, 0}, {0, 255, 0}});
  ASSERT_EQ(DrawStretchedGraph(30, 10, 10, 20, m, 0), 0);
  for (int y : {10, 19}) {
    EXPECT_EQ(at(10, y), rgb(0, 255, 0));
    EXPECT_EQ(at(19, y), rgb(0, 255, 0));
    EXPECT_EQ(at(20, y), rgb(255, 0, 0));
    EXPECT_EQ(at(29, y), rgb(255, 0, 0));
  }
  EXPECT_EQ(at(9, 15), rgb(0, 0, 0));
  EXPECT_EQ(at(30, 15), rgb(0, 0, 0));
  EXPECT_EQ(Graphics_D3D9_DrawStretchedGraph(5, 5, 5, 9, 5, 5, 5, 9, GetGraphData(m), nullptr, 0, 1), -1);

  // Clipping keeps each texel in its place.
  std::vector<Px> ramp;
  for (int i = 0; i < 16; ++i) ramp.push_back({16 * i, 0, 0});
  const int r = makeGraph(16, 1, ramp);
  SetDrawArea(15, 0, 640, 480);
  ASSERT_EQ(DrawGraph(10, 40, r, 0), 0);
  SetDrawAreaFull();
  EXPECT_EQ(at(15, 40), rgb(80, 0, 0));
  EXPECT_EQ(at(16, 40), rgb(96, 0, 0));
  EXPECT_EQ(at(14, 40), rgb(0, 0, 0));

  // Texture alpha: half-transparent red over black with and without the trans flag.
  const int a = makeGraph(4, 4, std::vector<Px>(16, Px{255, 0, 0, 128}));
  ASSERT_EQ(DrawGraph(10, 60, a, 1), 0);
  ASSERT_EQ(DrawGraph(20, 60, a, 0), 0);
  EXPECT_NEAR(int(at(11, 61) >> 16 & 0xFF), 128, 1);
  EXPECT_EQ(at(21, 61), rgb(255, 0, 0));

  // Rotation by scale 0 is refused.
  EXPECT_EQ(Graphics_D3D9_DrawRotatedGraph(50, 50, 50.0f, 50.0f, 0.0, 0.0, GetGraphData(g), nullptr, 0, 0), -1);
}

TEST(UploadEdge, PadsWithWholePixelsOfAnySize) {
  // Three-byte pixels in a 4 x 3 block of a wider buffer: the last column and row repeat.
  for (const int bpp : {1, 2, 3, 4, 8}) {
    SCOPED_TRACE(bpp);
    const int pitch = 8 * bpp;
    std::vector<uint8_t> buffer(size_t(pitch) * 5, 0xEE);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        for (int b = 0; b < bpp; ++b) buffer[size_t(y) * pitch + size_t(x) * bpp + b] = uint8_t(y * 16 + x * 4 + b);
    PadUploadEdge(buffer.data(), pitch, bpp, 4, 3, 1, 1);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        for (int b = 0; b < bpp; ++b)
          EXPECT_EQ(buffer[size_t(y) * pitch + size_t(x) * bpp + b], uint8_t((y < 3 ? y : 2) * 16 + (x < 4 ? x : 3) * 4 + b))
              << x << ", " << y;
    EXPECT_EQ(buffer[size_t(pitch) * 4], 0xEE);  // nothing past the padding
    EXPECT_EQ(buffer[size_t(5) * bpp], 0xEE);
  }
}

TEST_F(D3D9Draw, AnUploadRepeatsItsEdgeForBilinearSampling) {
  // A device that takes only power-of-two textures puts the picture in a larger tile.
  D3DCAPS9 caps = DefaultD3D9Caps();
  caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  SetD3D9CapsForTest(&caps);
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  const int g = makeGraph(300, 200, std::vector<Px>(300 * 200, Px{255, 255, 255}));
  ASSERT_GE(g, 0);
  const GraphData* data = GetGraphData(g);
  ASSERT_EQ(data->pieceCount, 1);
  EXPECT_EQ(data->pieces[0].tile->textureWidth, 512);
  EXPECT_EQ(data->pieces[0].tile->textureHeight, 256);
  SetDrawMode(1);
  ASSERT_EQ(DrawStretchedGraph(0, 0, 600, 400, g, 0), 0);
  SetDrawMode(0);
  EXPECT_EQ(at(599, 100), rgb(255, 255, 255));
  EXPECT_EQ(at(100, 399), rgb(255, 255, 255));
  EXPECT_EQ(at(0, 0), rgb(255, 255, 255));
  EXPECT_EQ(at(600, 100), rgb(0, 0, 0));
}

// A picture deformed onto a trapezoid bends with it (a grid of small quads on the
// bilinear patch of the four corners); a parallelogram is one quad; mirrored corners
// still draw; a quad list of a graph of one piece draws its quads.
TEST_F(D3D9Draw, DeformedPicturesBendWithTheirCorners) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  std::vector<Px> p;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) p.push_back({(x / 8 + y / 8) % 2 ? 255 : 30, x * 4, y * 4});
  const int g = makeGraph(64, 64, p);
  // Clockwise: top-left, top-right, bottom-right, bottom-left.
  ASSERT_EQ(DrawDeformedGraph(100, 20, 160, 20, 220, 140, 40, 140, g, 0, 1), 0);
  // Picture points (36, 36) and (12, 52) land at (137.97, 87.5) and (80.78, 117.5) on the patch.
  for (const auto& [x, y, gx, gy] : {std::tuple{137, 87, 36, 36}, std::tuple{80, 117, 12, 52}}) {
    const unsigned c = at(x, y);
    EXPECT_EQ(int(c >> 16 & 0xFF), (gx / 8 + gy / 8) % 2 ? 255 : 30) << x << ", " << y;
    EXPECT_NEAR(int(c >> 8 & 0xFF), gx * 4, 8) << x << ", " << y;
    EXPECT_NEAR(int(c & 0xFF), gy * 4, 8) << x << ", " << y;
  }
  EXPECT_EQ(at(97, 21), rgb(0, 0, 0));
  EXPECT_EQ(at(163, 21), rgb(0, 0, 0));
  // A parallelogram: the picture's bottom-right texel at the bottom-right corner.
  ASSERT_EQ(DrawDeformedGraph(300, 20, 364, 20, 384, 84, 320, 84, g, 0, 1), 0);
  EXPECT_EQ(at(383, 83), rgb(30, 252, 252));
  EXPECT_EQ(at(300, 20), rgb(30, 0, 0));
  // Mirrored left to right: the top-left texel lands at the right.
  ASSERT_EQ(DrawDeformedGraph(564, 200, 500, 200, 500, 264, 564, 264, g, 0, 1), 0);
  EXPECT_EQ(at(563, 200), rgb(30, 0, 0));
  EXPECT_EQ(at(500, 263), rgb(30, 252, 252));

  // A quad list: two quads cut from the picture.
  const GraphQuad quads[2] = {{10, 300, 18, 300, 18, 308, 10, 308, 0, 0, 8, 8},
                              {30, 300, 38, 300, 38, 308, 30, 308, 8, 0, 8, 8}};
  const GraphQuadList list{g, 2, quads};
  ASSERT_EQ(Graphics_D3D9_DrawGraphQuadList(&list, nullptr), 0);
  Graphics_D3D9_FlushVertexBatch(0);
  EXPECT_EQ(at(10, 300), rgb(30, 0, 0));
  EXPECT_EQ(at(30, 300), rgb(255, 32, 0));
  EXPECT_EQ(at(20, 300), rgb(0, 0, 0));
}

// Where the rotated draw puts its first vertex (the top-left corner of the graph).
std::pair<float, float> rotatedTopLeft(int graph, float x, float y, double angle) {
  Graphics_D3D9_FlushVertexBatch(0);
  EXPECT_EQ(Graphics_D3D9_DrawRotatedGraph(int(x), int(y), x, y, 1.0, angle, GetGraphData(graph), nullptr, 0, 0), 0);
  const float* v = reinterpret_cast<const float*>(D3D9Batch.buffer[1]);
  return {v[0], v[1]};
}

TEST_F(D3D9Draw, RotatedGraphsPlaceWholeTexelsInNearestMode) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  const int g33 = makeGraph(3, 3, std::vector<Px>(9, Px{255, 0, 0}));
  const int g44 = makeGraph(4, 4, std::vector<Px>(16, Px{255, 0, 0}));
  const int g43 = makeGraph(4, 3, std::vector<Px>(12, Px{255, 0, 0}));
  using P = std::pair<float, float>;
  // Odd sides: centre 1.5 at the position; even: centre 2 at the position less 0.5; one of
  // each: the even side's centre moved in by 0.5.
  EXPECT_EQ(rotatedTopLeft(g33, 10, 10, 0.0), (P{8.5f, 8.5f}));
  EXPECT_EQ(rotatedTopLeft(g44, 10, 10, 0.0), (P{7.5f, 7.5f}));
  EXPECT_EQ(rotatedTopLeft(g43, 10, 10, 0.0), (P{8.5f, 8.5f}));
  // A fractional position is truncated; a quarter turn then lands on whole coordinates and
  // is nudged back by half a pixel on both axes.
  EXPECT_EQ(rotatedTopLeft(g44, 10.25f, 10, 0.0), (P{8.0f, 8.0f}));
  const P turned = rotatedTopLeft(g44, 10.25f, 10, 1.5707963267948966);
  EXPECT_NEAR(turned.first, 11.5f, 1e-4);
  EXPECT_NEAR(turned.second, 7.5f, 1e-4);
  // Bilinear: the float position less 0.5, the centre at half the size.
  SetDrawMode(1);
  EXPECT_EQ(rotatedTopLeft(g44, 10.25f, 10, 0.0), (P{7.75f, 7.5f}));
  SetDrawMode(0);
  Graphics_D3D9_FlushVertexBatch(0);
}

TEST_F(D3D9Draw, ShapesLightTheSoftwareRenderersPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  const unsigned white = PackScreenColor(255, 255, 255);
  DrawLine(0, 0, 10, 0, white);
  DrawLine(10, 1, 0, 1, white);
  DrawLine(5, 5, 5, 9, white);
  DrawLine(3, 3, 3, 3, white);
  for (int x = 0; x <= 10; ++x) {
    EXPECT_EQ(at(x, 0), x <= 9 ? rgb(255, 255, 255) : rgb(0, 0, 0)) << x;
    EXPECT_EQ(at(x, 1), x >= 1 ? rgb(255, 255, 255) : rgb(0, 0, 0)) << x;
  }
  for (int y = 4; y <= 9; ++y) EXPECT_EQ(at(5, y), y >= 5 && y <= 8 ? rgb(255, 255, 255) : rgb(0, 0, 0)) << y;
  EXPECT_EQ(at(3, 3), rgb(0, 0, 0));

  DrawCircle(16, 116, 10, white, 1);
  for (int x = 6; x <= 26; ++x) EXPECT_EQ(at(x, 116), rgb(255, 255, 255)) << x;
  EXPECT_EQ(at(16, 106), rgb(255, 255, 255));
  for (auto [x, y] : {std::pair{5, 116}, {27, 116}, {16, 105}}) EXPECT_EQ(at(x, y), rgb(0, 0, 0)) << x << ", " << y;

  DrawBox(40, 10, 50, 20, white, 0);
  for (auto [x, y] : {std::pair{40, 10}, {49, 10}, {40, 19}, {49, 19}})
    EXPECT_EQ(at(x, y), rgb(255, 255, 255)) << x << ", " << y;
  for (auto [x, y] : {std::pair{50, 10}, {40, 20}, {45, 15}}) EXPECT_EQ(at(x, y), rgb(0, 0, 0)) << x << ", " << y;

  DrawCircle(100, 100, 0, white, 0);
  EXPECT_EQ(at(100, 100), rgb(255, 255, 255));
  EXPECT_EQ(Graphics_D3D9_DrawThickCircle(200, 200, 10, white, 1), -1);
  EXPECT_EQ(Graphics_D3D9_DrawOval(200, 200, 0, 5, white, 1), -1);

  // The probe keeps the horizontal offset at -0.5 on this rasteriser, on a black and on a
  // coloured background alike, and leaves the front's settings and the corner as they were.
  for (const Rgb bg : {Rgb{0, 0, 0}, Rgb{50, 60, 70}}) {
    SetBackgroundColor(bg.r, bg.g, bg.b);
    ClearDrawTarget(nullptr);
    SetDrawBlendMode(1, 100);
    D3D9BackendSys.drawOffsetX = 0.0f;
    ASSERT_EQ(Graphics_D3D9_AfterInitialize(), 0);
    EXPECT_EQ(D3D9BackendSys.drawOffsetX, -0.5f);
    EXPECT_EQ(GraphicsDrawSettings.blendMode, 1);
    EXPECT_EQ(at(16, 16), rgb(bg.r, bg.g, bg.b));
    SetDrawBlendMode(0, 255);
  }
}

TEST_F(D3D9Draw, SingleOperationsReachTheirPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  // A non-drawable graph is filled by the front's upload; a drawable one only in its pieces.
  const int g = makeGraph(4, 4, std::vector<Px>(16, Px{10, 20, 30}));
  EXPECT_EQ(Graphics_D3D9_FillGraph(GetGraphData(g), 1, 2, 3, 255), 2);
  const int target = MakeDrawableGraph(32, 32, 0);
  ASSERT_GE(target, 0);
  const int half = CreateDerivedGraph(0, 0, 0.0f, 0, 0.0f, 16, 16.0f, 32, 32.0f, target, 0);
  ASSERT_GE(half, 0);
  ASSERT_EQ(Graphics_D3D9_FillGraph(GetGraphData(target), 0, 0, 0, 255), 0);
  ASSERT_EQ(Graphics_D3D9_FillGraph(GetGraphData(half), 200, 100, 50, 255), 0);
  DrawGraph(100, 100, target, 0);
  EXPECT_EQ(at(100, 100), rgb(200, 100, 50));
  EXPECT_EQ(at(115, 131), rgb(200, 100, 50));
  EXPECT_EQ(at(116, 100), rgb(0, 0, 0));

  // Copies into a drawable and a non-drawable graph.
  const ImageRect rect{0, 0, 4, 4};
  ASSERT_EQ(Graphics_D3D9_CopyGraphRectToGraph(&rect, g, target, 20, 0), 0);
  const int plain = makeGraph(4, 4, std::vector<Px>(16, Px{0, 0, 0}));
  ASSERT_EQ(Graphics_D3D9_CopyGraphRectToGraph(&rect, g, plain, 0, 0), 0);
  DrawGraph(200, 100, target, 0);
  DrawGraph(300, 100, plain, 0);
  EXPECT_EQ(at(221, 101), rgb(10, 20, 30));
  EXPECT_EQ(at(303, 103), rgb(10, 20, 30));

  // Drawing into the graph and back to the screen.
  ASSERT_EQ(SetDrawTarget(target), 0);
  DrawBox(0, 0, 8, 8, PackScreenColor(0, 255, 0), 1);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  DrawGraph(400, 100, target, 0);
  EXPECT_EQ(at(407, 107), rgb(0, 255, 0));
  EXPECT_EQ(at(408, 108), rgb(200, 100, 50));

  // A 600-column grid draws whole with no call above 1000 indices.
  std::vector<Vertex2D> grid(600 * 2);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 600; ++c) {
      Vertex2D& v = grid[size_t(r) * 600 + size_t(c)];
      v = Vertex2D{float(c) + 10.0f - 0.5f, float(200 + r * 4) - 0.5f, 0, 1, 255, 255, 255, 255, 0, 0};
    }
  Graphics_D3D9_DeviceState_SetTexture(nullptr);
  Graphics_D3D9_DrawPreparation(0);
  ASSERT_EQ(Graphics_D3D9_DrawVertexGrid(grid.data(), 600, 2), 0);
  EXPECT_EQ(at(10, 201), rgb(255, 255, 255));
  EXPECT_EQ(at(300, 202), rgb(255, 255, 255));
  EXPECT_EQ(at(608, 203), rgb(255, 255, 255));
}

// A rectangle copied out of a graph reaches non-drawable and drawable graphs with every
// byte (alpha too), whether it comes straight from a locked texture or through the read-back
// (a graph copied into a graph cut from its own texture).
TEST_F(D3D9Draw, GraphCopiesKeepEveryByte) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  constexpr int kW = 37, kH = 23;
  std::vector<Px> noise(size_t(kW) * kH);
  unsigned seed = 7;
  auto next = [&] { return int((seed = seed * 1103515245u + 12345u) >> 16 & 0xFF); };
  for (Px& p : noise) p = Px{next(), next(), next(), next()};
  const int source = makeGraph(kW, kH, noise);
  ASSERT_GE(source, 0);
  auto image = [](int graph) {
    BaseImage i{};
    EXPECT_EQ(GraphFilter_GetGraphImage(graph, &i, nullptr), 0);
    std::vector<uint32_t> argb(size_t(i.width) * i.height);
    for (int y = 0; y < i.height; ++y)
      std::memcpy(argb.data() + size_t(y) * i.width, static_cast<const uint8_t*>(i.pixels) + size_t(y) * i.pitch,
                  size_t(i.width) * 4);
    ReleaseBaseImage(&i);
    return argb;
  };
  const std::vector<uint32_t> from = image(source);
  const int plain = makeGraph(64, 32, std::vector<Px>(64 * 32, Px{1, 2, 3, 4}));
  const int drawable = MakeDrawableGraph(64, 32, 1);
  const int derived = CreateDerivedGraph(0, 0, 0.0f, 0, 0.0f, kW, float(kW), kH, float(kH), source, 0);
  ASSERT_GE(derived, 0);
  const ImageRect rect{3, 2, 35, 21};
  for (int round = 0; round < 2; ++round) {
    for (int target : {plain, drawable}) {
      ASSERT_EQ(Graphics_D3D9_CopyGraphRectToGraph(&rect, source, target, 5 + round, 7), 0);
      const std::vector<uint32_t> to = image(target);
      for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
          ASSERT_EQ(to[size_t(y - rect.top + 7) * 64 + size_t(x - rect.left + 5 + round)], from[size_t(y) * kW + x])
              << target << " " << x << "," << y;
    }
  }
  // Into the picture's own texture: the read-back, then the same bytes.
  const ImageRect corner{0, 0, 8, 8};
  ASSERT_EQ(Graphics_D3D9_CopyGraphRectToGraph(&corner, source, derived, 20, 10), 0);
  const std::vector<uint32_t> own = image(source);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(own[size_t(y + 10) * kW + size_t(x + 20)], from[size_t(y) * kW + x]);
}

TEST_F(D3D9Draw, A16BitTargetReadsUnpackedAndOpaque) {
  plat::win::SetScreenBitsForTest(16);
  setenv("HALVORINE_MISSING", "d3d11", 1);
  ChangeWindowMode(1);
  SetScreenMode(640, 480, 16, 0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
  ASSERT_EQ(D3D9DeviceSys.backBufferFormat, D3DFMT_R5G6B5);
  DrawBox(0, 0, 8, 8, PackScreenColor(255, 0, 255), 1);
  DrawBox(8, 0, 16, 8, PackScreenColor(0, 255, 0), 1);
  EXPECT_EQ(Graphics_D3D9_GetDrawTargetPixel(3, 3), 0xFFFF00FFu);
  EXPECT_EQ(Graphics_D3D9_GetDrawTargetPixel(10, 3), 0xFF00FF00u);
}

// A 24-bit BMP of w x h pixels whose colour follows the position, written to `path`.
void writeBmp(const std::string& path, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> file(54 + size_t(stride) * size_t(h), 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  file[0] = 'B', file[1] = 'M';
  put32(2, uint32_t(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  file[26] = 1, file[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &file[54 + size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3];
      p[0] = uint8_t(x * 8), p[1] = uint8_t(y * 8), p[2] = uint8_t(200);
    }
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
}

TEST_F(D3D9Draw, ALostDeviceComesBackWithItsPictures) {
  // Named for this process: the restore reads the file again, so a run beside this one
  // must not replace or remove it.
  const std::string path = ::testing::TempDir() + "d3d9_loss_picture_" + std::to_string(getpid()) + ".bmp";
  writeBmp(path, 24, 16);
  ASSERT_EQ(begin(false), kGraphicsApiD3D9);
  const int g = LoadGraph(path.c_str());
  ASSERT_GE(g, 0);
  auto draw = [&] {
    ClearDrawTarget(nullptr);
    DrawGraph(30, 40, g, 0);
    DrawBox(100, 100, 140, 120, PackScreenColor(10, 200, 30), 1);
    return present();
  };
  const Frame first = draw();
  EXPECT_EQ(first.at(30 + 5, 40 + 3), (Rgb{200, 24, 40}));
  for (int round = 0; round < 2; ++round) {
    forgetLog();
    LoseDeviceForTest(D3D9Sys.device);
    HandleWindowActivation(0, 0, 0, 0);
    HandleWindowActivation(1, 0, 0, 0);
    EXPECT_EQ(logCountOf(u"Direct3DDevice9 の解放 2"), 1);
    ASSERT_EQ(Direct3DDevice9_IsValid(), 1);
    const Frame again = draw();
    EXPECT_EQ(again.pixels, first.pixels) << "round " << round;
  }
  std::remove(path.c_str());
}

// Scenes drawn on both renderers; every pixel of a 640x480 frame is compared.
struct Scene {
  const char* name;
  int tolerance;
  double share;  // at most this % of pixels may differ by more than 2 (100: no limit)
  std::function<void()> draw;
};

std::vector<unsigned> wholeFrame() {
  FlipScreen();
  std::vector<uint32_t> pixels;
  int w = 0, h = 0;
  plat::win::GetWindowFrame(GetMainWindowHandle(), &pixels, &w, &h);
  std::vector<unsigned> out(640 * 480);
  for (int y = 0; y < 480 && y < h; ++y)
    for (int x = 0; x < 640 && x < w; ++x) out[size_t(y) * 640 + size_t(x)] = pixels[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF;
  return out;
}

void shapesInBlendModes() {
  SetBackgroundColor(40, 80, 120);
  ClearDrawTarget(nullptr);
  for (int mode = 0; mode <= 4; ++mode) {
    SetDrawBlendMode(mode, 160);
    const int y = 10 + mode * 90;
    DrawBox(10, y, 70, y + 40, PackScreenColor(200, 100, 50), 1);
    DrawBox(80, y, 140, y + 40, PackScreenColor(250, 250, 0), 0);
    DrawCircle(180, y + 30, 25, PackScreenColor(0, 200, 90), 1);
    DrawCircle(240, y + 30, 25, PackScreenColor(255, 255, 255), 0);
    DrawOval(320, y + 30, 40, 20, PackScreenColor(90, 10, 200), 1);
    DrawOval(420, y + 30, 40, 20, PackScreenColor(200, 10, 90), 0);
    DrawLine(470, y, 530, y + 50, PackScreenColor(255, 128, 0));
    DrawLine(540, y + 50, 630, y + 10, PackScreenColor(0, 128, 255));
    DrawLine(470, y + 60, 630, y + 60, PackScreenColor(255, 255, 255));
    DrawCircle(560, y + 30, 20, PackScreenColor(120, 240, 60), 0, 5);
    DrawOval(600, y + 30, 30, 12, PackScreenColor(240, 60, 120), 0, 4);
    DrawTriangle(150, y + 45, 200, y + 85, 130, y + 80, PackScreenColor(10, 220, 220), 0);
    for (int i = 0; i < 20; ++i) DrawPixel(10 + i * 3, y + 50, PackScreenColor(255, 0, 255));
  }
  SetDrawBlendMode(0, 255);
}

void picturesOneToOne() {
  SetBackgroundColor(30, 60, 90);
  ClearDrawTarget(nullptr);
  std::vector<Px> p;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 48; ++x) p.push_back({x * 5, y * 6, (x + y) * 3, (x * 7 + y * 11) % 256});
  const int g = makeGraph(48, 40, p);
  for (int mode = 0; mode <= 4; ++mode) {
    SetDrawBlendMode(mode, 200);
    DrawGraph(10 + mode * 100, 20, g, 1);
    DrawGraph(10 + mode * 100, 80, g, 0);
    DrawGraphF(float(10 + mode * 100), 140.0f, g, 1);
  }
  SetDrawBlendMode(0, 255);
  // Turned by quarter turns and doubled: whole texels on whole pixels.
  DrawRotatedGraphCore(300.0f, 300.0f, 1.0, 0.0, g, 1, 0);
  DrawRotatedGraphCore(400.0f, 300.0f, 1.0, 1.5707963267948966, g, 1, 0);
  DrawRotatedGraphCore(500.0f, 300.0f, 2.0, 3.141592653589793, g, 0, 1);
  SetDrawArea(30, 200, 200, 300);
  DrawGraph(10, 190, g, 1);
  SetDrawAreaFull();
}

void pictureStretchedBilinear() {
  ClearDrawTarget(nullptr);
  std::vector<Px> p;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) p.push_back({x * 3, y * 4, (x + y) * 3 / 2});
  const int g = makeGraph(80, 60, p);
  SetDrawMode(1);
  DrawStretchedGraph(20, 20, 180, 140, g, 0);
  SetDrawMode(0);
}

TEST_F(D3D9Draw, SameScenesGiveTheSoftwareRenderersFrame) {
  const Scene scenes[] = {{"shapes in blend modes 0-4", 2, 100, shapesInBlendModes},
                          {"pictures 1:1 in nearest mode", 3, 100, picturesOneToOne},
                          {"picture stretched x2 bilinearly", 8, 1, pictureStretchedBilinear}};
  for (const Scene& s : scenes) {
    SCOPED_TRACE(s.name);
    std::vector<unsigned> frames[2];
    for (int software = 0; software < 2; ++software) {
      ASSERT_EQ(begin(software), software ? kGraphicsApiSoftware : kGraphicsApiD3D9);
      s.draw();
      frames[software] = wholeFrame();
      TerminateLibrary();
    }
    int worst = 0, worstAt = -1, above = 0;
    for (size_t i = 0; i < frames[0].size(); ++i) {
      int pixelWorst = 0;
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(int(frames[0][i] >> shift & 0xFF) - int(frames[1][i] >> shift & 0xFF));
        if (d > pixelWorst) pixelWorst = d;
      }
      if (pixelWorst > 2) ++above;
      if (pixelWorst > worst) worst = pixelWorst, worstAt = int(i);
    }
    EXPECT_LE(above * 100.0, s.share * double(frames[0].size())) << above << " pixels differ by more than 2";
    EXPECT_LE(worst, s.tolerance) << "at " << worstAt % 640 << ", " << worstAt / 640 << ": " << std::hex
                                  << frames[0][size_t(worstAt < 0 ? 0 : worstAt)] << " (Direct3D 9) vs "
                                  << frames[1][size_t(worstAt < 0 ? 0 : worstAt)];
  }
}

}  // namespace
}  // namespace d3d9test
