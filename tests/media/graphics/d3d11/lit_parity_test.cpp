// One lit, fogged, textured 3D mesh drawn through both back ends: Direct3D 9's fixed
// function (the draw preparation with a 3D key, FVF 0x2D2) and Direct3D 11's 3D shaders
// (the common vertex buffer with format 5) agree on every pixel; a whole scene (filtered
// pictures, a user-shader quad, the lit mesh through the Z buffer, a drawable graph that
// stays the draw target) draws the same bytes before and after a device re-creation; a
// head-on quad shows the lighting and fog formula's colours on both; the Z buffer keeps a
// near quad on top in either drawing order; and start = end fog with a theta = phi spot
// gives only its two colours.
#include <cmath>
#include <vector>

#include "d3d11_fixture.h"
#include "media/graphics/display.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/light.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "tests/media/graphics/hardware_draw_cases.h"
#include "tests/media/graphics/shadow_cases.h"

namespace d3d11test {
namespace {

using namespace hwcases;

// Starts the library on Direct3D 9 (1) or Direct3D 11 (2).
int startApi(int api) {
  if (api == 1)
    setenv("HALVORINE_MISSING", "d3d11", 1);
  else
    unsetenv("HALVORINE_MISSING");
  ChangeWindowMode(1);
  SetScreenMode(640, 480, 32, 0);
  if (InitializeLibrary() != 0) return -1;
  return GraphicsApiType;
}

void clearScreen(int r, int g, int b) {
  SetBackgroundColor(r, g, b);
  ClearDrawTarget(nullptr);
}

// The common scene settings: camera and viewport identity, depth 0..10 into 0..1, lighting and
// linear fog 0..10 toward blue, no lights.
void sceneSettings() {
  SetDrawTarget(-2);
  DeleteAllLightHandles();
  identityCamera();
  SetUseLighting(1);
  SetFogEnable(1);
  SetFogMode(3);
  SetFogStartEnd(0.0f, 10.0f);
  SetFogColor(0, 0, 255);
  SetDrawMode(1);
}

std::vector<uint32_t> litFrame() {
  Graphics_Hardware_FlushVertexBatch(0);
  BaseImage image{};
  std::vector<uint32_t> out(640 * 480, 0);
  if (LockDrawTargetBuffer(nullptr, &image, -1, 0, 1) != 0) return out;
  // Pixels as 0xRRGGBB whatever channel order the target keeps.
  const PixelFormatDesc& f = image.format;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      uint32_t p;
      std::memcpy(&p, static_cast<const uint8_t*>(image.pixels) + size_t(y) * size_t(image.pitch) + size_t(x) * 4, 4);
      out[size_t(y) * 640 + size_t(x)] = ((p & f.redMask) >> f.redLoc) << 16 | ((p & f.greenMask) >> f.greenLoc) << 8 |
                                         ((p & f.blueMask) >> f.blueLoc);
    }
  UnlockDrawTargetBuffer();
  return out;
}

// A screen-covering mesh, tilted in depth (3 at the left to 7 at the right) and bent so
// the normals turn, with texture coordinates across the whole texture.
std::vector<Vertex3D> mesh(int cells) {
  auto at = [&](int i, int j) {
    const float x = -1.2f + 2.4f * float(i) / float(cells), y = -1.2f + 2.4f * float(j) / float(cells);
    const float z = 5.0f + 2.0f * x / 1.2f + 0.3f * std::sin(3.0f * y);
    // Normal of z = f(x, y) facing the eye: (df/dx, df/dy, -1), normalised.
    float n[3] = {2.0f / 1.2f, 0.9f * std::cos(3.0f * y), -1.0f};
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return Vertex3D{x, y, z, n[0] / l, n[1] / l, n[2] / l, 0xFFFFFFFFu, 0u,
                    float(i) / float(cells), 1.0f - float(j) / float(cells), 0, 0};
  };
  std::vector<Vertex3D> v;
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const Vertex3D a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
      v.insert(v.end(), {a, b, c, b, d, c});
    }
  return v;
}

int makeTexture() {
  BaseImage image{};
  if (CreateARGB8ColorBaseImage(2, 2, &image) != 0) return -1;
  SetBaseImagePixel(&image, 0, 0, 255, 255, 255, 255);
  SetBaseImagePixel(&image, 1, 0, 255, 128, 0, 255);
  SetBaseImagePixel(&image, 0, 1, 0, 200, 255, 255);
  SetBaseImagePixel(&image, 1, 1, 128, 255, 128, 255);
  const int h = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  return h;
}

// The lit scene of the parity check: a directional and a point light with specular; the
// texture graph made for it.
int litSceneSettings() {
  sceneSettings();
  SetUseSpecular(1);
  GraphicsRender.material = MaterialParam{{0.9f, 0.9f, 0.9f, 1}, {0.3f, 0.3f, 0.3f, 1}, {0.5f, 0.5f, 0.5f, 0}, {0, 0, 0, 0}, 8.0f};
  GraphicsRender.materialDirty = 1;
  GraphicsRender.useVertexDiffuse = 1;
  const float dir[3] = {0.3f, -0.4f, 0.8f}, none[3] = {0, 0, 0}, warm[3] = {1.0f, 0.8f, 0.6f};
  const float pos[3] = {1.0f, 1.0f, 1.0f}, cool[3] = {0.2f, 0.3f, 0.9f};
  addLight(kLightDirectional, dir, none, warm);
  addLight(kLightPoint, none, pos, cool);
  return makeTexture();
}

std::vector<uint32_t> drawLitScene(int texture) {
  clearScreen(0, 0, 0);
  drawMesh3D(mesh(32), texture);
  return litFrame();
}

std::vector<uint32_t> litScene(bool recreate) {
  const int texture = litSceneSettings();
  if (recreate) Graphics_Hardware_RecreateDevice(1, 640, 480, 32, 60);
  return drawLitScene(texture);
}

int worstChannel(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int s = 0; s < 24; s += 8) {
      const int d = std::abs(int((a[i] >> s) & 0xFF) - int((b[i] >> s) & 0xFF));
      worst = d > worst ? d : worst;
    }
  return worst;
}

class LitParityTest : public D3D11Test {
 protected:
  // The same scene on each back end in turn.
  template <class Scene>
  auto on(int api, Scene scene) {
    EXPECT_EQ(startApi(api), api);
    auto f = scene();
    TerminateLibrary();
    return f;
  }
};

TEST_F(LitParityTest, BothBackEndsDrawTheSameLitFoggedTexturedMesh) {
  const std::vector<uint32_t> d3d9 = on(1, [] { return litScene(false); });
  const std::vector<uint32_t> d3d11 = on(2, [] { return litScene(false); });
  EXPECT_LE(worstChannel(d3d9, d3d11), 2);
  // Lit and fogged: neither frame is one flat colour.
  EXPECT_NE(d3d9[240 * 640 + 20], d3d9[240 * 640 + 620]);
  // A device re-created before the first draw draws the same pixels.
  EXPECT_EQ(worstChannel(on(1, [] { return litScene(true); }), d3d9), 0);
  EXPECT_EQ(worstChannel(on(2, [] { return litScene(true); }), d3d11), 0);
}

// What a re-creation must give back: pictures, filter results, a user shader and a
// drawable graph made once, then drawn frame after frame.
struct RecreationScene {
  int texture, picture, ps, target;
  int filtered[3];
};

RecreationScene makeRecreationScene() {
  RecreationScene r{};
  r.texture = litSceneSettings();
  BaseImage image{};
  EXPECT_EQ(CreateXRGB8ColorBaseImage(64, 64, &image), 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) SetBaseImagePixel(&image, x, y, x * 4, y * 4, (x ^ y) * 4 & 255, 255);
  r.picture = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  r.ps = loadInvertShader();
  r.target = MakeDrawableGraph(64, 64, 0);
  for (int& f : r.filtered) f = MakeGraph(64, 64);
  EXPECT_GT(r.picture, 0);
  EXPECT_GT(r.ps, 0);
  EXPECT_GT(r.target, 0);
  // The graph is the draw target when each frame ends, so a re-creation finds it bound.
  EXPECT_EQ(SetDrawTarget(r.target), 0);
  return r;
}

// One frame: the graph drawn into and read, then the screen: the picture through three
// filters, the user-shader quad, the drawn graph and the lit mesh behind a flat quad
// through the Z buffer. Gives the graph's pixels followed by the screen's.
std::vector<uint32_t> drawRecreationScene(const RecreationScene& r) {
  std::vector<uint32_t> out;
  SetBackgroundColor(20, 40, 60);
  ClearDrawTarget(nullptr);
  DrawBox(4, 4, 40, 30, PackScreenColor(250, 200, 10), 1);
  DrawGraph(20, 20, r.picture, 0);
  Graphics_Hardware_FlushVertexBatch(0);
  BaseImage image{};
  EXPECT_EQ(LockDrawTargetBuffer(nullptr, &image, -1, 0, 1), 0);
  for (int y = 0; y < 64; ++y) {
    const auto* row = static_cast<const uint32_t*>(image.pixels) + size_t(y) * size_t(image.pitch) / 4;
    out.insert(out.end(), row, row + 64);
  }
  UnlockDrawTargetBuffer();

  EXPECT_EQ(SetDrawTarget(-2), 0);
  identityCamera();
  EXPECT_EQ(GraphFilterBlt(r.picture, r.filtered[0], kGraphFilterMono, -40, 20), 0);
  EXPECT_EQ(GraphFilterBlt(r.picture, r.filtered[1], kGraphFilterGauss, 16, 300), 0);
  EXPECT_EQ(GraphFilterBlt(r.picture, r.filtered[2], kGraphFilterInvert), 0);
  clearScreen(0, 0, 0);
  SetUseZBuffer3D(1);
  std::vector<Vertex3D> v = mesh(16);
  const std::vector<Vertex3D> across = flatQuad(-0.8f, -0.5f, 0.8f, 0.1f, 5.0f);
  v.insert(v.end(), across.begin(), across.end());
  drawMesh3D(v, r.texture);
  SetUseZBuffer3D(0);
  for (int i = 0; i < 3; ++i) DrawGraph(10 + 80 * i, 10, r.filtered[i], 0);
  drawUserShaderQuad(r.ps, r.picture, 250, 10, 64);
  DrawGraph(330, 10, r.target, 0);
  const std::vector<uint32_t> screen = litFrame();
  out.insert(out.end(), screen.begin(), screen.end());
  EXPECT_EQ(SetDrawTarget(r.target), 0);
  return out;
}

// The scene drawn, the device re-created (as after a lost device, and for a mode change)
// while the graph is the draw target, and drawn again: the graph and the screen give the
// same bytes, round after round, and the frame shows every part of the scene.
TEST_F(LitParityTest, ReCreationBetweenDrawsKeepsTheFrame) {
  for (int api : {1, 2})
    for (int mode : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "api " << api << " mode " << mode);
      on(api, [mode] {
        const RecreationScene scene = makeRecreationScene();
        const std::vector<uint32_t> before = drawRecreationScene(scene);
        // Parts of the scene that were not drawn would make the frames equal for nothing.
        const uint32_t* screen = before.data() + 64 * 64;
        const struct {
          int x, y;
        } drawn[] = {{30, 30}, {110, 30}, {190, 30}, {280, 40}, {340, 20}, {320, 200}};
        for (const auto& d : drawn) EXPECT_NE(screen[d.y * 640 + d.x] & 0xFFFFFFu, 0u) << d.x << ", " << d.y;
        EXPECT_NE(screen[40 * 640 + 280] & 0xFFFFFFu, screen[40 * 640 + 30] & 0xFFFFFFu);
        for (int round = 0; round < 2; ++round) {
          EXPECT_EQ(Graphics_Hardware_RecreateDevice(mode, 640, 480, 32, 60), 0);
          const std::vector<uint32_t> after = drawRecreationScene(scene);
          size_t graphDiffers = 0, screenDiffers = 0;
          for (size_t i = 0; i < after.size(); ++i) (i < 64 * 64 ? graphDiffers : screenDiffers) += after[i] != before[i];
          EXPECT_EQ(graphDiffers, 0u) << "round " << round;
          EXPECT_EQ(screenDiffers, 0u) << "round " << round;
        }
        SetDrawTarget(-2);
        return before;
      });
    }
}

// A quad facing a head-on directional light: material 0.8 grey, light (1, 0.5, 0.25), no
// ambient or specular, gives (204, 102, 51); at depth 5 in linear fog 0..10 toward blue,
// (102, 51, 153).
uint32_t formulaQuad(float depth, bool fog) {
  sceneSettings();
  SetFogEnable(fog ? 1 : 0);
  SetUseSpecular(0);
  GraphicsRender.material = MaterialParam{{0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 1.0f};
  GraphicsRender.materialDirty = 1;
  GraphicsRender.useVertexDiffuse = 0;
  const float dir[3] = {0, 0, 1}, none[3] = {0, 0, 0}, colour[3] = {1.0f, 0.5f, 0.25f};
  addLight(kLightDirectional, dir, none, colour);
  clearScreen(0, 0, 0);
  const float e = 0.2f;
  const Vertex3D a{-e, e, depth, 0, 0, -1, 0xFFFFFFFFu, 0, 0, 0, 0, 0}, b{e, e, depth, 0, 0, -1, 0xFFFFFFFFu, 0, 0, 0, 0, 0},
      c{-e, -e, depth, 0, 0, -1, 0xFFFFFFFFu, 0, 0, 0, 0, 0}, d{e, -e, depth, 0, 0, -1, 0xFFFFFFFFu, 0, 0, 0, 0, 0};
  drawMesh3D({a, b, c, b, d, c}, -1);
  return litFrame()[240 * 640 + 320] & 0xFFFFFFu;
}


TEST_F(LitParityTest, AHeadOnQuadShowsTheFormulaOnBothBackEnds) {
  for (int api : {1, 2}) {
    SCOPED_TRACE(api);
    const std::vector<uint32_t> got = on(api, [] {
      return std::vector<uint32_t>{formulaQuad(5.0f, false), formulaQuad(5.0f, true)};
    });
    EXPECT_LE(worstChannel({got[0]}, {0xCC6633u}), 1) << std::hex << got[0];
    EXPECT_LE(worstChannel({got[1]}, {0x663399u}), 1) << std::hex << got[1];
  }
}


// With the Z buffer on, two overlapping unlit quads, a red one at depth 3 and a green one
// at depth 7 (0.3 and 0.7 in the depth buffer), drawn in either order: the near red one
// covers the overlap, each shows alone where the other is not, the same on both back ends.
std::vector<uint32_t> depthScene(bool farLast) {
  sceneSettings();
  SetUseLighting(0);
  SetFogEnable(0);
  SetUseZBuffer3D(1);
  clearScreen(0, 0, 0);
  auto coloured = [](std::vector<Vertex3D> v, uint32_t c) {
    for (Vertex3D& x : v) x.diffuse = c;
    return v;
  };
  const std::vector<Vertex3D> nearQuad = coloured(flatQuad(-0.6f, -0.4f, 0.2f, 0.4f, 3.0f), 0xFFFF0000u);
  const std::vector<Vertex3D> farQuad = coloured(flatQuad(-0.2f, -0.2f, 0.6f, 0.6f, 7.0f), 0xFF00FF00u);
  drawMesh3D(farLast ? nearQuad : farQuad, -1);
  drawMesh3D(farLast ? farQuad : nearQuad, -1);
  std::vector<uint32_t> frame = litFrame();
  SetUseZBuffer3D(0);
  return frame;
}

TEST_F(LitParityTest, TheZBufferKeepsTheNearQuadOnTopInEitherOrder) {
  std::vector<uint32_t> frames[2];
  for (int api : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "api " << api);
    const std::vector<std::vector<uint32_t>> got =
        on(api, [] { return std::vector<std::vector<uint32_t>>{depthScene(true), depthScene(false)}; });
    // Screen x = 320 + 320 * x, y = 240 - 240 * y (identity camera, depth scaled by 0.1).
    const struct {
      int x, y;
      uint32_t colour;
    } probes[] = {{300, 200, 0xFF0000u}, {200, 300, 0xFF0000u}, {400, 150, 0x00FF00u}, {320, 40, 0}};
    for (const auto& f : got)
      for (const auto& p : probes)
        EXPECT_EQ(f[size_t(p.y) * 640 + size_t(p.x)] & 0xFFFFFFu, p.colour) << p.x << ", " << p.y;
    EXPECT_EQ(got[0], got[1]);
    frames[api - 1] = got[0];
  }
  EXPECT_LE(worstChannel(frames[0], frames[1]), 1);
}

// Start = end fog at 5 and a spot of theta = phi = 0.1: a quad inside the cone before the
// fog is lit white, a quad outside it beyond the fog is fog blue, on a blue background.
std::vector<uint32_t> stepScene() {
  sceneSettings();
  SetFogStartEnd(5.0f, 5.0f);
  SetUseSpecular(0);
  GraphicsRender.material = MaterialParam{{1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 1.0f};
  GraphicsRender.materialDirty = 1;
  GraphicsRender.useVertexDiffuse = 0;
  const float dir[3] = {0, 0, 1}, pos[3] = {0, 0, 0}, white[3] = {1, 1, 1};
  addLight(kLightSpot, dir, pos, white, 0.1f, 0.1f);
  clearScreen(0, 0, 255);
  std::vector<Vertex3D> v = flatQuad(-0.1f, -0.1f, 0.1f, 0.1f, 4.0f);
  const std::vector<Vertex3D> beyond = flatQuad(0.5f, -0.3f, 0.9f, 0.3f, 6.0f);
  v.insert(v.end(), beyond.begin(), beyond.end());
  drawMesh3D(v, -1);
  return litFrame();
}

TEST_F(LitParityTest, EmptyFogRangeAndHardSpotGiveOnlyTwoColours) {
  for (int api : {1, 2}) {
    SCOPED_TRACE(api);
    const std::vector<uint32_t> f = on(api, stepScene);
    int white = 0;
    for (uint32_t p : f) {
      const uint32_t c = p & 0xFFFFFFu;
      ASSERT_TRUE(c == 0x0000FFu || c == 0xFFFFFFu) << std::hex << c;
      white += c == 0xFFFFFFu;
    }
    EXPECT_GT(white, 0);
  }
}

// A plane at depth 6 under a directional light slanting along +x, with a small quad at
// depth 4 between them, drawn first into a shadow map of that light; then drawn to the
// screen with the map in slot `slot` (-1: no map). The quad's shadow falls 1 to the right
// of it, as the map's 284 texels take it: the pixels 442.8..576.9 by 186.8..290.7. The
// sizes keep every edge clear of texel centres and of the sample points of both back ends
// (Direct3D 9 samples half a pixel up and left of Direct3D 11), so neither meets a tie.
std::vector<uint32_t> shadowScene(int slot) {
  sceneSettings();
  SetFogEnable(0);
  SetUseSpecular(0);
  GraphicsRender.material = MaterialParam{{0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0.1f, 0.1f, 0.1f, 0}, 1.0f};
  GraphicsRender.materialDirty = 1;
  GraphicsRender.useVertexDiffuse = 0;
  const float dir[3] = {0.5f, 0, 1}, none[3] = {0, 0, 0}, white[3] = {1, 1, 1};
  addLight(kLightDirectional, dir, none, white);
  std::vector<Vertex3D> scene = flatQuad(-1.2f, -1.2f, 1.2f, 1.2f, 6.0f);
  const std::vector<Vertex3D> occluder = flatQuad(-0.615f, -0.21f, -0.195f, 0.22f, 4.0f);
  scene.insert(scene.end(), occluder.begin(), occluder.end());

  const int map = MakeTestShadowMap(284, 284);
  ShadowMapData* data = GetShadowMapData(map);
  data->areaMin = Vector3F{-1.5f, -1.5f, 0.0f};
  data->areaMax = Vector3F{1.5f, 1.5f, 8.0f};
  EXPECT_EQ(SetShadowMapLightDirection(map, dir[0], dir[1], dir[2]), 0);
  EXPECT_EQ(ShadowMap_DrawSetup(data), 0);
  SetBackgroundColor(255, 255, 255);  // the far depth, 1
  ClearDrawTarget(nullptr);
  drawMesh3D(scene, -1);
  EXPECT_EQ(ShadowMap_DrawEnd(), 0);

  if (slot >= 0) {
    EXPECT_EQ(SetShadowMapSlot(slot, map), 0);
  }
  clearScreen(0, 0, 0);
  drawMesh3D(scene, -1);
  std::vector<uint32_t> frame = litFrame();
  if (slot >= 0) {
    EXPECT_EQ(SetShadowMapSlot(slot, -1), 0);
  }
  return frame;
}

// Lit 3D draws compare their pixels with the maps in the slots: the shadow falls where the
// occluder projects along the light and nowhere else, in any slot, the same on both back
// ends; without a map nothing is shadowed.
TEST_F(LitParityTest, ShadowMapsDarkenWhereTheOccluderProjects) {
  const uint32_t lit = 0xD0D0D0u, shadowed = 0x1A1A1Au;  // 0.1 + 0.8 x N.L, and 0.1 alone
  std::vector<uint32_t> frames[2];
  for (int api : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "api " << api);
    const std::vector<std::vector<uint32_t>> got =
        on(api, [] { return std::vector<std::vector<uint32_t>>{shadowScene(-1), shadowScene(0), shadowScene(2)}; });
    const std::vector<uint32_t>& plain = got[0];
    EXPECT_LE(worstChannel({plain[240 * 640 + 512]}, {lit}), 1) << std::hex << plain[240 * 640 + 512];
    for (int s = 1; s <= 2; ++s) {
      const std::vector<uint32_t>& f = got[size_t(s)];
      int inside = 0;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          const uint32_t p = f[size_t(y) * 640 + size_t(x)] & 0xFFFFFFu;
          // A map texel is several pixels wide: the shadow's edge lies within one of the
          // occluder's exact projection.
          const bool core = x > 451 && x < 569 && y > 195 && y < 283;
          const bool near = x >= 432 && x <= 588 && y >= 176 && y <= 302;
          if (core) {
            ASSERT_TRUE(worstChannel({p}, {shadowed}) <= 1) << std::hex << p << " at " << std::dec << x << ", " << y;
            ++inside;
          } else if (!near) {
            ASSERT_EQ(p, plain[size_t(y) * 640 + size_t(x)] & 0xFFFFFFu) << x << ", " << y;
          }
        }
      EXPECT_GT(inside, 0);
    }
    EXPECT_EQ(got[1], got[2]);  // the slot makes no difference
    frames[api - 1] = got[1];
  }
  EXPECT_LE(worstChannel(frames[0], frames[1]), 2);
  size_t differing = 0;
  for (size_t i = 0; i < frames[0].size(); ++i) differing += frames[0][i] != frames[1][i];
  EXPECT_EQ(differing, 0u);
}

// Slots take shadow maps only, count what they hold, and let go of a map that is deleted.
TEST_F(LitParityTest, ShadowMapSlotsTakeMapsOnly) {
  on(2, [] {
    const int map = MakeTestShadowMap(8, 8), other = MakeTestShadowMap(8, 8);
    const struct {
      int slot, handle, result;
    } cases[] = {{-1, map, -1}, {3, map, -1}, {0, map + 1, -1}, {0, 0x12345, -1}, {1, map, 0},
                 {1, map, 0},   {1, -1, 0},   {2, map, 0},      {0, other, 0},   {0, -1, 0}, {0, other, 0}};
    for (const auto& c : cases) EXPECT_EQ(SetShadowMapSlot(c.slot, c.handle), c.result) << c.slot << " " << c.handle;
    EXPECT_EQ(ShadowMapUse.slots[0], other);
    EXPECT_EQ(ShadowMapUse.slots[1], -1);
    EXPECT_EQ(ShadowMapUse.slots[2], map);
    EXPECT_EQ(ShadowMapUse.boundCount, 2);
    EXPECT_EQ(SubHandle(map), 0);
    EXPECT_EQ(ShadowMapUse.slots[2], -1);
    EXPECT_EQ(ShadowMapUse.boundCount, 1);
    EXPECT_EQ(SetShadowMapSlot(0, -1), 0);
    return 0;
  });
}

}  // namespace
}  // namespace d3d11test
