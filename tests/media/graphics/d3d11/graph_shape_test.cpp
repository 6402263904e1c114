// Graphs and shapes drawn through the fronts on Direct3D 11: exact pixels of placement,
// stretching, clipping, texture alpha, edge padding, line ends, circles and boxes, and a
// table of scenes drawn on both Direct3D 11 and the software renderer and compared.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include "d3d11_fixture.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/draw.h"
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/image/dxt.h"
#include "media/graphics/pixel_format.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"

namespace d3d11test {
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
      const Px& p = pixels[size_t(y) * w + x];
      SetBaseImagePixel(&image, x, y, p.r, p.g, p.b, p.a);
    }
  const int handle = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  return handle;
}

unsigned rgb(int r, int g, int b) { return 0xFF000000u | unsigned(r) << 16 | unsigned(g) << 8 | unsigned(b); }
unsigned at(int x, int y) { return GetDrawTargetPixel(x, y) | 0xFF000000u; }

class D3D11Draw : public D3D11Test {
 protected:
  // Starts on the back end the environment leaves, 640x480 at 32 bits, cleared black.
  static int begin(bool software) {
    const int api = startOn(software);
    if (api < 0) return -1;
    SetDrawMode(0);
    ClearDrawTarget(nullptr);
    return api;
  }
};

TEST_F(D3D11Draw, GraphTexelsLandOnTheirPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int g = makeGraph(2, 2, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}});
  ASSERT_GE(g, 0);
  ASSERT_EQ(DrawGraphF(10.0f, 20.0f, g, 0), 0);
  EXPECT_EQ(at(10, 20), rgb(255, 0, 0));
  EXPECT_EQ(at(11, 20), rgb(0, 255, 0));
  EXPECT_EQ(at(10, 21), rgb(0, 0, 255));
  EXPECT_EQ(at(11, 21), rgb(255, 255, 255));
  EXPECT_EQ(at(9, 20), rgb(0, 0, 0));
  EXPECT_EQ(at(12, 20), rgb(0, 0, 0));

  // Mirrored stretch: right edge given first.
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
}

TEST_F(D3D11Draw, TextureAlphaFollowsTheTransFlag) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int g = makeGraph(4, 4, std::vector<Px>(16, Px{255, 0, 0, 128}));
  ASSERT_EQ(DrawGraph(10, 10, g, 1), 0);
  ASSERT_EQ(DrawGraph(20, 10, g, 0), 0);
  EXPECT_NEAR(int(at(11, 11) >> 16 & 0xFF), 128, 1);
  EXPECT_EQ(at(21, 11), rgb(255, 0, 0));
}

// Texels of alpha 0 leave the target as it was in the alpha, add and subtract modes; the
// alpha test that would skip them is left off unless depth is written.
// Where the rotated draw puts its first vertex (the graph's top-left corner).
std::pair<float, float> rotatedTopLeft(int graph, float x, float y, double scale, double angle, int turn = 0) {
  Graphics_D3D11_FlushVertexBatch(-1, 0);
  EXPECT_EQ(Graphics_D3D11_DrawRotatedGraph(int(x), int(y), x, y, scale, angle, GetGraphData(graph), nullptr, 0, turn), 0);
  EXPECT_EQ(D3D11Batch.pending, 6);
  const float* v = reinterpret_cast<const float*>(D3D11Batch.write - 6 * sizeof(Vertex2D));
  return {v[0], v[1]};
}

// Pixel centres sit on halves here, so in nearest mode each size gets its own position and
// centre (odd sides land half a pixel up and left); a fractional position snaps to the
// truncated one plus a half, and a turned quad whose edges come out on pixel centres is
// moved back by half a pixel. Bilinear draws keep the exact position.
TEST_F(D3D11Draw, RotatedGraphsPlaceWholeTexelsInNearestMode) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  std::vector<Px> texels;
  for (int i = 0; i < 16; ++i) texels.push_back({(i % 4) * 60 + 10, (i / 4) * 60 + 10, 200});
  const int g33 = makeGraph(3, 3, std::vector<Px>(texels.begin(), texels.begin() + 9));
  const int g44 = makeGraph(4, 4, texels);
  const int g43 = makeGraph(4, 3, std::vector<Px>(texels.begin(), texels.begin() + 12));
  using P = std::pair<float, float>;
  const double quarter = 1.5707963267948966;
  const struct {
    int graph, mode;
    float x, y;
    double scale, angle;
    int turn;
    P topLeft;
  } cases[] = {
      {g33, 0, 10, 10, 1.0, 0.0, 0, {8.0f, 8.0f}},      // centre (1.5, 1.5) at (9.5, 9.5)
      {g44, 0, 10, 10, 1.0, 0.0, 0, {8.0f, 8.0f}},      // centre (2, 2) at (10, 10)
      {g43, 0, 10, 10, 1.0, 0.0, 0, {8.0f, 9.0f}},      // centre (2, 1) at (10, 10)
      {g44, 0, 10, 10, 2.0, 0.0, 0, {6.0f, 6.0f}},      // other scales: (10, 10), centre (2, 2)
      {g44, 0, 10.25f, 10, 1.0, 0.0, 0, {8.5f, 8.5f}},  // snapped to (10.5, 10.5), no turn, no nudge
      {g44, 0, 10.25f, 10, 1.0, quarter, 0, {12.0f, 8.0f}},  // turned onto centres, nudged
      {g44, 0, 10, 10, 1.0, 0.0, 1, {12.0f, 8.0f}},     // mirrored: the left edge lands on the right
      {g44, 1, 10.25f, 10, 1.0, 0.0, 0, {8.25f, 8.0f}},  // bilinear: the exact position
      {g33, 1, 10, 10, 1.0, 0.0, 0, {8.5f, 8.5f}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " mode " << c.mode << " angle " << c.angle);
    SetDrawMode(c.mode);
    const P at = rotatedTopLeft(c.graph, c.x, c.y, c.scale, c.angle, c.turn);
    EXPECT_NEAR(at.first, c.topLeft.first, 1e-4);
    EXPECT_NEAR(at.second, c.topLeft.second, 1e-4);
  }
  SetDrawMode(0);
  EXPECT_EQ(Graphics_D3D11_DrawRotatedGraph(10, 10, 10, 10, 0.0, 0.0, GetGraphData(g44), nullptr, 0, 0), -1);

  // The quarter-turned 4 x 4 graph shows each of its 16 texels once on the 4 x 4 pixels
  // from (8, 8), with the background around them.
  ClearDrawTarget(nullptr);
  ASSERT_EQ(DrawRotatedGraphCore(10.25f, 10.0f, 1.0, quarter, g44, 0, 0), 0);
  std::vector<unsigned> seen;
  for (int y = 8; y < 12; ++y)
    for (int x = 8; x < 12; ++x) {
      const unsigned c = at(x, y);
      EXPECT_TRUE(std::find(seen.begin(), seen.end(), c) == seen.end()) << x << ", " << y;
      seen.push_back(c);
    }
  for (int i = 7; i <= 12; ++i)
    for (auto [x, y] : {std::pair{i, 7}, {i, 12}, {7, i}, {12, i}}) EXPECT_EQ(at(x, y), rgb(0, 0, 0)) << x << ", " << y;
  // Top row of the turned graph is its left column read bottom to top.
  EXPECT_EQ(at(8, 8), rgb(10, 190, 200));
  EXPECT_EQ(at(11, 8), rgb(10, 10, 200));
}

// A block-compressed picture sent to the back end as it is gives the pixels of the same
// picture decoded first, for every DXT kind (DXT2 and DXT4 carry premultiplied colour).
TEST_F(D3D11Draw, CompressedPicturesDrawAsTheirDecodedPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  // 8 x 8: four blocks of two 5:6:5 end colours and a mix of indices; alpha blocks
  // (explicit for DXT2/3, interpolated for DXT4/5) of their own.
  auto colour = [](uint16_t c0, uint16_t c1, uint32_t idx) {
    return std::vector<uint8_t>{uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8),
                                uint8_t(idx), uint8_t(idx >> 8), uint8_t(idx >> 16), uint8_t(idx >> 24)};
  };
  const uint16_t ends[4][2] = {{0xF800, 0x001F}, {0x07E0, 0xFFFF}, {0x1234, 0x8765}, {0x0000, 0xFFE0}};
  for (int kind = 1; kind <= 5; ++kind) {
    SCOPED_TRACE(kind);
    std::vector<uint8_t> blocks;
    for (int b = 0; b < 4; ++b) {
      if (kind == 2 || kind == 3)
        for (int i = 0; i < 8; ++i) blocks.push_back(uint8_t(0xF0 | (i * 3 + b)));
      else if (kind >= 4)
        for (uint8_t v : {uint8_t(255), uint8_t(40), uint8_t(0x24), uint8_t(0x49), uint8_t(0x92), uint8_t(0x24),
                          uint8_t(0x49), uint8_t(0x92)})
          blocks.push_back(v);
      const std::vector<uint8_t> c = colour(ends[b][0], ends[b][1], 0x1B1B1B1Bu * uint32_t(b + 1));
      blocks.insert(blocks.end(), c.begin(), c.end());
    }
    auto image = [&] {
      BaseImage i{};
      CreateARGB8ColorData(&i.format);
      i.format.formatCode = uint8_t(kind);
      i.width = i.height = 8;
      i.pitch = 32;
      i.pixels = MemAlloc(blocks.size(), "test", __LINE__);
      std::memcpy(i.pixels, blocks.data(), blocks.size());
      return i;
    };
    BaseImage raw = image(), decoded = image();
    ASSERT_EQ(ConvertDXTToARGB8(&decoded, 1), 0);
    const int r = CreateGraphFromBaseImage(&raw, nullptr, 1, 0), d = CreateGraphFromBaseImage(&decoded, nullptr, 1, 0);
    ReleaseBaseImage(&raw);
    ReleaseBaseImage(&decoded);
    ASSERT_GE(r, 0);
    ASSERT_GE(d, 0);
    // DXT1, 3 and 5 keep their blocks in the texture; the premultiplied kinds are decoded.
    D3D11_TEXTURE2D_DESC desc{};
    D3D11_TileTexture(&GetGraphData(r)->orig->tiles[0])->texture->GetDesc(&desc);
    const DXGI_FORMAT kept[6] = {DXGI_FORMAT_UNKNOWN,        DXGI_FORMAT_BC1_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM,
                                 DXGI_FORMAT_BC2_UNORM,      DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_FORMAT_BC3_UNORM};
    EXPECT_EQ(desc.Format, kept[kind]);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawGraph(0, 0, r, 1), 0);
    ASSERT_EQ(DrawGraph(20, 0, d, 1), 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) EXPECT_EQ(at(x, y), at(20 + x, y)) << x << ", " << y;
    EXPECT_NE(at(0, 0), at(4, 0));
    if (kind % 2 == 1) {
      // Plain pixels never go into the blocks, nor a part of a picture: refused, logged,
      // and the graph draws as before.
      std::vector<uint32_t> before;
      for (int x = 0; x < 8; ++x) before.push_back(at(x, 0));
      BaseImage plain{};
      CreateARGB8ColorData(&plain.format);
      plain.width = plain.height = 8;
      plain.pitch = 32;
      std::vector<uint32_t> white(64, 0xFFFFFFFFu);
      plain.pixels = white.data();
      const ImageRect whole{0, 0, 8, 8};
      EXPECT_EQ(BltBaseImageToGraph(&whole, 0, 0, r, &plain, nullptr, 0, 0), 0);
      EXPECT_TRUE(LogCapture::contains(u"DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません"));
      ClearDrawTarget(nullptr);
      ASSERT_EQ(DrawGraph(0, 0, r, 1), 0);
      for (int x = 0; x < 8; ++x) EXPECT_EQ(at(x, 0), before[size_t(x)]) << x;
    }
    SubHandle(r);
    SubHandle(d);
  }
}

TEST_F(D3D11Draw, ZeroAlphaTexelsKeepTheTargetWithOrWithoutTheTest) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int g = makeGraph(2, 1, {{255, 0, 0, 0}, {0, 200, 0, 255}});
  ASSERT_GE(g, 0);
  DrawBox(0, 0, 200, 100, rgb(90, 60, 30), 1);
  for (int z : {0, 1}) {  // no depth; depth tested and written
    SetUseZBuffer3D(z);
    for (int mode : {1, 2, 3}) {  // alpha, add, subtract
      const int x = 10 + 10 * mode + 40 * z;
      SetDrawBlendMode(mode, 255);
      ASSERT_EQ(DrawGraph(x, 10, g, 1), 0);
      Graphics_D3D11_FlushVertexBatch(-1, 0);
      EXPECT_EQ(D3D11State.psAlphaRef, z == 1 ? 0 : -1) << "mode " << mode << " z " << z;
      EXPECT_EQ(at(x, 10), rgb(90, 60, 30)) << "mode " << mode << " z " << z;
      EXPECT_NE(at(x + 1, 10), rgb(90, 60, 30)) << "mode " << mode << " z " << z;
    }
  }
  SetUseZBuffer3D(0);
  SetDrawBlendMode(0, 255);
}

TEST_F(D3D11Draw, BilinearStretchReadsNoGarbageBeyondTheEdge) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int g = makeGraph(300, 200, std::vector<Px>(300 * 200, Px{255, 255, 255}));
  ASSERT_GE(g, 0);
  SetDrawMode(1);
  ASSERT_EQ(DrawStretchedGraph(0, 0, 600, 400, g, 0), 0);
  EXPECT_EQ(at(599, 100), rgb(255, 255, 255));
  EXPECT_EQ(at(100, 399), rgb(255, 255, 255));
  EXPECT_EQ(at(0, 0), rgb(255, 255, 255));
}

TEST_F(D3D11Draw, ShapesLightTheirPixels) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const unsigned white = PackScreenColor(255, 255, 255);
  DrawLine(0, 0, 10, 0, white);
  DrawLine(10, 2, 0, 2, white);
  DrawLine(5, 5, 5, 9, white);
  DrawLine(3, 30, 3, 30, white);
  DrawPixel(3, 4, white);
  DrawCircle(16, 60, 10, white, 1);
  DrawBox(40, 10, 50, 20, white, 0);
  const unsigned on = rgb(255, 255, 255), off = rgb(0, 0, 0);
  for (int x = 0; x <= 9; ++x) EXPECT_EQ(at(x, 0), on) << x;
  EXPECT_EQ(at(10, 0), off);
  for (int x = 1; x <= 10; ++x) EXPECT_EQ(at(x, 2), on) << x;
  EXPECT_EQ(at(0, 2), off);
  for (int y = 5; y <= 8; ++y) EXPECT_EQ(at(5, y), on) << y;
  EXPECT_EQ(at(5, 9), off);
  EXPECT_EQ(at(3, 30), off);
  EXPECT_EQ(at(3, 4), on);
  for (int x = 6; x <= 26; ++x) EXPECT_EQ(at(x, 60), on) << x;
  EXPECT_EQ(at(16, 50), on);
  EXPECT_EQ(at(5, 60), off);
  EXPECT_EQ(at(27, 60), off);
  EXPECT_EQ(at(16, 49), off);
  for (auto [x, y] : {std::pair{40, 10}, {49, 10}, {40, 19}, {49, 19}}) EXPECT_EQ(at(x, y), on) << x << "," << y;
  for (auto [x, y] : {std::pair{50, 10}, {40, 20}, {45, 15}}) EXPECT_EQ(at(x, y), off) << x << "," << y;
}

TEST_F(D3D11Draw, DrawableGraphsTakeDrawsAndCopies) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int canvas = MakeDrawableGraph(32, 32, 0), picture = MakeGraph(32, 32);
  ASSERT_GE(canvas, 0);
  ASSERT_GE(picture, 0);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(SetDrawTarget(canvas), 0);
    ClearDrawTarget(nullptr);
    DrawBox(0, 0, 32, 32, PackScreenColor(255, 0, 0), 1);
    DrawBox(4, 4, 8, 8, PackScreenColor(0, round * 100, 255), 1);
    EXPECT_EQ(at(1, 1), rgb(255, 0, 0));
    EXPECT_EQ(at(5, 5), rgb(0, round * 100, 255));
    ASSERT_EQ(CopyDrawTargetRectToGraph(0, 0, 32, 32, picture), 0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawGraph(100, 50, picture, 0), 0);
    ASSERT_EQ(DrawGraph(200, 50, canvas, 0), 0);
    EXPECT_EQ(at(101, 51), rgb(255, 0, 0));
    EXPECT_EQ(at(105, 55), rgb(0, round * 100, 255));
    EXPECT_EQ(at(205, 55), rgb(0, round * 100, 255));
    EXPECT_EQ(at(99, 50), rgb(0, 0, 0));
  }
}

TEST_F(D3D11Draw, UserFansFillsAndVertexArraysKeepTheirBytes) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  // A fan of five vertices: a pentagon-like shape of three triangles around (50, 50).
  Vertex2D fan[5];
  const float points[5][2] = {{50, 50}, {90, 50}, {90, 90}, {50, 90}, {10, 90}};
  for (int i = 0; i < 5; ++i) fan[i] = Vertex2D{points[i][0], points[i][1], 0, 1, 0, 200, 100, 255, 0, 0};
  Vertex2D copy[5];
  std::memcpy(copy, fan, sizeof fan);
  ASSERT_EQ(DrawPrimitive2D(fan, 5, 6, kNoTextureHandle, 0), 0);
  EXPECT_EQ(std::memcmp(copy, fan, sizeof fan), 0);
  EXPECT_EQ(at(85, 55), rgb(100, 200, 0));  // first triangle
  EXPECT_EQ(at(60, 85), rgb(100, 200, 0));  // second
  EXPECT_EQ(at(40, 85), rgb(100, 200, 0));  // third
  EXPECT_EQ(at(20, 60), rgb(0, 0, 0));      // outside all three
  // The same vertices as a user polygon: whole triangles only (the first one), none for
  // fewer than three.
  for (auto& v : fan) v.g = 40;
  ASSERT_EQ(Graphics_D3D11_DrawUserPolygon2D(fan, 5, 4, -1, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(Graphics_D3D11_DrawUserPolygon2D(fan + 3, 2, 4, -1, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(at(85, 55), rgb(100, 40, 0));
  EXPECT_EQ(at(60, 85), rgb(100, 200, 0));

  // Filling one half of a drawable graph leaves the other half (same texture) alone.
  const int whole = MakeDrawableGraph(16, 8, 0);
  ASSERT_GE(whole, 0);
  ASSERT_EQ(FillGraph(whole, 0, 0, 255, 255), 0);
  const int left = CreatePartGraph(whole, 0, 0, 8, 8);
  ASSERT_GE(left, 0);
  ASSERT_EQ(FillGraph(left, 255, 0, 0, 255), 0);
  ASSERT_EQ(DrawGraph(200, 200, whole, 0), 0);
  EXPECT_EQ(at(203, 203), rgb(255, 0, 0));
  EXPECT_EQ(at(212, 203), rgb(0, 0, 255));
  // A graph that is not drawn into is filled through an upload.
  const int plain = MakeGraph(4, 4);
  ASSERT_EQ(FillGraph(plain, 0, 255, 0, 255), 0);
  ASSERT_EQ(DrawGraph(300, 200, plain, 0), 0);
  EXPECT_EQ(at(301, 201), rgb(0, 255, 0));
}

// A vertex grid of 600 columns (one row pair longer than one draw's index limit) lights
// its whole width, drawn in pieces through the common index buffer; grids of other shapes
// draw the same way, with the batch's quads before them kept.
TEST_F(D3D11Draw, VertexGridsOfAnyWidthDrawCompletely) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int g = makeGraph(1, 1, {{255, 255, 255}});
  ASSERT_GE(g, 0);
  GraphData* image = GetGraphData(g);
  const D3D11GraphTexture* t = D3D11_TileTexture(image->pieces[0].tile);
  const uint32_t color = D3D11_VertexColor(0, 200, 0, 255);
  for (const auto& [columns, rows, top] : {std::tuple{600, 2, 10}, std::tuple{3, 40, 20}, std::tuple{300, 5, 70}}) {
    SCOPED_TRACE(columns);
    ASSERT_EQ(DrawGraph(0, top - 2, g, 0), 0);  // queued in the batch before the grid
    std::vector<Vertex2D> grid;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        Vertex2D v{float(10 + c), float(top + r), 0, 1, 0, 0, 0, 0, 0.5f, 0.5f};
        std::memcpy(&v.b, &color, 4);
        grid.push_back(v);
      }
    Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
    Graphics_D3D11_DrawPreparation(D3D11_GraphDrawKey(image, 0, 0));
    ASSERT_EQ(Graphics_D3D11_DrawVertexGrid(grid.data(), columns, rows), 0);
    EXPECT_EQ(at(0, top - 2), rgb(255, 255, 255));
    for (int x = 10; x < 10 + columns - 1; ++x)
      for (int y = top; y < top + rows - 1; ++y) ASSERT_EQ(at(x, y), rgb(0, 200, 0)) << x << ", " << y;
    EXPECT_EQ(at(10 + columns - 1, top), rgb(0, 0, 0));
  }
  EXPECT_EQ(D3D11BackendSys.commonIndexBufferSize, (2000 + 16384 + 15) / 16 * 16);
  EXPECT_EQ(Graphics_D3D11_DrawVertexGrid(nullptr, 2, 2), -1);
  Vertex2D two[2]{};
  EXPECT_EQ(Graphics_D3D11_DrawVertexGrid(two, 2, 1), -1);
}

// A picture deformed onto a trapezoid bends with it: every point of the picture lands on
// the bilinear patch of the four corners (a grid of small quads), not on two flat
// triangles; a parallelogram is one quad.
TEST_F(D3D11Draw, DeformedPicturesBendWithTheirCorners) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
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
}

// Scenes drawn on both renderers; every pixel of a 640x480 frame is compared.
struct Scene {
  const char* name;
  int tolerance;
  double share;  // at most this % of pixels may differ by more than 2 (100: no limit)
  std::function<void()> draw;
};

std::vector<unsigned> frame() {
  std::vector<unsigned> out(640 * 480);
  if (GraphicsApiType == kGraphicsApiD3D11) {
    BaseImage image{};
    if (Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, -1, 1, 0) != 0) return out;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint8_t* p = static_cast<const uint8_t*>(image.pixels) + size_t(y) * size_t(image.pitch) + size_t(x) * 4;
        out[size_t(y) * 640 + x] = unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
      }
    Graphics_D3D11_UnlockDrawTargetBuffer();
    return out;
  }
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) out[size_t(y) * 640 + x] = GetDrawTargetPixel(x, y) & 0xFFFFFF;
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
  int n = 0;
  for (int mode = 0; mode <= 4; ++mode) {
    SetDrawBlendMode(mode, 200);
    DrawGraph(10 + mode * 100, 20, g, 1);
    DrawGraph(10 + mode * 100, 80, g, 0);
    DrawGraphF(float(10 + mode * 100), 140.0f, g, 1);
    ++n;
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

// A picture over blend graphs: cross-faded with an opaque one, wiped with a hard border
// and by the value of a grey one (its value in colour and alpha alike, as blend graphs
// carry it; odd values, so none sits on the border, where the software renderer's table
// gives a half step), then drawn plain again once the blend graph is cleared. Soft
// borders follow the hardware ramp, a few levels from the software table, and are left out.
void picturesOverBlendGraphs() {
  std::vector<Px> pic, fade, grey;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) {
      pic.push_back({x * 5, 255 - y * 8, 90});
      fade.push_back({255 - x * 5, y * 8, 200});
      const int v = ((x * 5 + y * 2) & 255) | 1;
      grey.push_back({v, v, v, v});
    }
  const int g = makeGraph(48, 32, pic), f = makeGraph(48, 32, fade), b = makeGraph(48, 32, grey);
  DrawBox(0, 0, 640, 480, rgb(40, 80, 120), 1);
  const int params[][4] = {{f, 0, 128, 0}, {b, 1, 128, 0}, {b, 1, 0, 0}, {b, 2, 0, 0}};
  int x = 10;
  for (const auto& p : params) {
    SetBlendGraphParam(p[0], p[1], p[2], p[3]);
    DrawGraph(x, 10, g, 1);
    SetDrawBlendMode(1, 200);
    DrawGraph(x, 60, g, 1);
    SetDrawBlendMode(0, 255);
    x += 60;
  }
  SetBlendGraph(-1, 0, 0);
  DrawGraph(10, 110, g, 0);
}

TEST_F(D3D11Draw, SameScenesGiveTheSoftwareRenderersFrame) {
  // Pictures blended with both their alpha and the blend parameter may round once more.
  const Scene scenes[] = {{"shapes in blend modes 0-4", 2, 100, shapesInBlendModes},
                          {"pictures 1:1 in nearest mode", 3, 100, picturesOneToOne},
                          {"picture stretched x2 bilinearly", 8, 1, pictureStretchedBilinear},
                          {"pictures over blend graphs", 3, 100, picturesOverBlendGraphs}};
  for (const Scene& s : scenes) {
    SCOPED_TRACE(s.name);
    std::vector<unsigned> frames[2];
    for (int software = 0; software < 2; ++software) {
      ASSERT_EQ(begin(software), software ? kGraphicsApiSoftware : kGraphicsApiD3D11);
      s.draw();
      frames[software] = frame();
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
    EXPECT_LE(worst, s.tolerance) << "at " << worstAt % 640 << ", " << worstAt / 640 << ": "
                                  << std::hex << frames[0][size_t(worstAt < 0 ? 0 : worstAt)] << " (Direct3D 11) vs "
                                  << frames[1][size_t(worstAt < 0 ? 0 : worstAt)];
  }
}

}  // namespace
}  // namespace d3d11test
