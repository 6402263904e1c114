// Direct3D 11 objects behind handles: user vertex and index buffers, render targets past
// slot 0 and shadow maps, made and deleted in loops and across device re-creation, with
// the object counts back where they started.
#include <cstring>
#include <vector>

#include "d3d11_fixture.h"
#include "media/graphics/hwdraw/pixel_read.h"
#include "tests/media/graphics/buffer_cases.h"
#include "tests/media/graphics/shadow_cases.h"
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_shadow_map.h"
#include "media/graphics/draw.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_types.h"
#include "media/graphics/pixel_format.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "platform/gpu/d3d11/face_internal.h"

namespace d3d11test {
namespace {

using buffercases::deviceBytes;
using buffercases::makeBuffer;

const D3D11GraphTexture* textureOf(int graph) {
  return D3D11_TileTexture(&GetGraphData(graph, 1)->orig->tiles[0]);
}

TEST_F(D3D11Test, UserBuffersHoldTheirWritesAcrossReCreation) {
  ASSERT_EQ(start(), 0);
  const struct {
    int type, elementSize, elementCount;
    UINT bind;
  } kinds[] = {
      {HANDLETYPE_VERTEX_BUFFER, 16, 8, D3D11_BIND_VERTEX_BUFFER},
      {HANDLETYPE_INDEX_BUFFER, 2, 12, D3D11_BIND_INDEX_BUFFER},
      {HANDLETYPE_INDEX_BUFFER, 4, 5, D3D11_BIND_INDEX_BUFFER},
  };
  uint8_t data[64];
  for (int i = 0; i < 64; ++i) data[i] = uint8_t(i + 1);
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.elementSize);
    auto write = k.type == HANDLETYPE_VERTEX_BUFFER ? SetVertexBufferData : SetIndexBufferData;
    const int buffers = D3D11Sys.counters[kD3D11Buffer];
    const int h = makeBuffer(k.type, k.elementSize, k.elementCount);
    EXPECT_EQ(GetBufferData(h, k.type)->deviceObject, nullptr);  // made on the first write
    ASSERT_EQ(write(1, data, 3, h), 0);
    ASSERT_EQ(D3D11Sys.counters[kD3D11Buffer], buffers + 1);
    D3D11_BUFFER_DESC desc{};
    static_cast<ID3D11Buffer*>(GetBufferData(h, k.type)->deviceObject)->GetDesc(&desc);
    EXPECT_EQ(desc.ByteWidth, UINT(k.elementSize * k.elementCount));
    EXPECT_EQ(desc.BindFlags, k.bind);
    std::vector<uint8_t> want(size_t(k.elementSize * k.elementCount), 0);
    std::memcpy(want.data() + k.elementSize, data, size_t(3 * k.elementSize));
    EXPECT_EQ(deviceBytes(h, k.type), want);
    EXPECT_EQ(write(k.elementCount - 1, data, 2, h), -1);  // one past the end
    EXPECT_EQ(deviceBytes(h, k.type), want);

    // A new device gets the buffer again with the kept bytes.
    ASSERT_EQ(Graphics_D3D11_RecreateDevice(1, 640, 480, 32, 60), 0);
    EXPECT_EQ(deviceBytes(h, k.type), want);
    EXPECT_EQ(D3D11Sys.counters[kD3D11Buffer], buffers + 1);
    SubHandle(h);
    EXPECT_EQ(D3D11Sys.counters[kD3D11Buffer], buffers);
  }
}

TEST_F(D3D11Test, RenderTargetsPastSlotZeroAreDrawnIntoAndLetGo) {
  ASSERT_EQ(start(), 0);
  const int target = MakeDrawableGraph(64, 64, 0), second = MakeDrawableGraph(64, 64, 0);
  const int plain = MakeGraph(64, 64);
  ASSERT_GE(target, 0);
  ASSERT_GE(second, 0);
  ASSERT_EQ(SetDrawTarget(target), 0);
  ASSERT_EQ(SetRenderTarget(1, second, 0), 0);
  EXPECT_EQ(D3D11State.targetView[1], textureOf(second)->targetView);
  EXPECT_EQ(GraphicsDrawSettings.targets[1].handle, second);

  const struct {
    int slot, graph, surface, result;
  } refused[] = {{1, plain, 0, -1}, {1, second, 1, -1}, {8, second, 0, -1}, {0, second, 1, -1}};
  for (const auto& r : refused)
    EXPECT_EQ(SetRenderTarget(r.slot, r.graph, r.surface), r.result) << r.slot << " " << r.surface;
  EXPECT_EQ(D3D11State.targetView[1], textureOf(second)->targetView);

  // A clear reaches every bound target: both graphs read back the colour (in the layout of
  // the graph's own format).
  clearTo(200, 40, 10);
  for (int graph : {target, second}) {
    BaseImage image{};
    ASSERT_EQ(Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, graph, 1, 0), 0);
    uint32_t c = 0;
    ASSERT_EQ(ReadTexelsARGB(&image.format, static_cast<const uint8_t*>(image.pixels) + 5 * image.pitch +
                                                5 * image.format.bytesPerPixel,
                             image.pitch, 1, 1, &c),
              0);
    EXPECT_EQ(c, 0xFFC8280Au) << graph;
    Graphics_D3D11_UnlockDrawTargetBuffer();
  }
  ASSERT_EQ(SetRenderTarget(1, -1, 0), 0);
  EXPECT_EQ(D3D11State.targetView[1], nullptr);

  // A graph deleted while bound leaves no stale binding behind.
  ASSERT_EQ(SetRenderTarget(1, second, 0), 0);
  SubHandle(second);
  EXPECT_EQ(D3D11State.targetView[1], nullptr);
  EXPECT_EQ(D3D11State.targetTexture[1], nullptr);
  ASSERT_EQ(SetDrawTarget(-2), 0);
}

TEST_F(D3D11Test, ShadowMapsBecomeTargetsWithTheirDepthAndConstants) {
  ASSERT_EQ(start(), 0);
  const int textures = D3D11Sys.counters[kD3D11Texture2D];
  const int h = MakeTestShadowMap(128, 64);
  ShadowMapData* map = GetShadowMapData(h);
  ASSERT_EQ(SetShadowMapLightDirection(h, 0.3f, -1.0f, 0.2f), 0);
  map->depthBias = 0.004f;

  ASSERT_EQ(ShadowMap_DrawSetup(map), 0);
  const D3D11ShadowMapTexture* t = D3D11_ShadowMapTexture(map);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(D3D11Sys.counters[kD3D11Texture2D], textures + 2);
  EXPECT_EQ(D3D11State.targetTexture[0], t->texture);
  EXPECT_EQ(D3D11State.depthView, t->depthView);
  D3D11_TEXTURE2D_DESC d{};
  t->texture->GetDesc(&d);
  EXPECT_EQ(d.Width, 128u);
  EXPECT_EQ(d.Height, 64u);
  ASSERT_EQ(ShadowMap_DrawEnd(), 0);
  EXPECT_EQ(D3D11State.depthView, D3D11BackendSys.depthView);

  // The map in slot 1 writes its matrix and parameters; the empty slots write zeros.
  ShadowMapUse.slots[1] = h;
  ASSERT_EQ(Graphics_D3D11_ShadowMap_RefreshVSParam(), 0);
  ASSERT_EQ(Graphics_D3D11_ShadowMap_RefreshPSParam(), 0);
  const float* vs = reinterpret_cast<const float*>(D3D11BuiltinConstantBuffers[kCBVSMore]->copy);
  const float* ps = reinterpret_cast<const float*>(D3D11BuiltinConstantBuffers[kCBPSMore]->copy);
  ExpectShadowMapConstants(vs, ps, map);
  EXPECT_EQ(D3D11BuiltinConstantBuffers[kCBPSMore]->dirty, 1);
  ShadowMapUse.slots[1] = -1;

  // A map whose target cannot be made is refused by the back end, logged, and leaves
  // nothing alive; the screen stays bound.
  const int other = MakeTestShadowMap(32, 32);
  Profile p = defaultProfile();
  p.failOnCall["d3d11.CreateRenderTargetView"] = 1;
  setProfile(p);
  resetJournal();
  forgetLog();
  const int textureCount = D3D11Sys.counters[kD3D11Texture2D];
  ID3D11Texture2D* screen = D3D11State.targetTexture[0];
  EXPECT_EQ(Graphics_D3D11_SetDrawTarget(other, 0, nullptr, nullptr, GetShadowMapData(other), nullptr), -1);
  EXPECT_TRUE(LogCapture::contains(u"シャドウマップ用レンダーターゲットビューの作成に失敗しました"));
  EXPECT_EQ(D3D11_ShadowMapTexture(GetShadowMapData(other)), nullptr);
  EXPECT_EQ(D3D11Sys.counters[kD3D11Texture2D], textureCount);
  EXPECT_EQ(D3D11State.targetTexture[0], screen);
  // Through the front, the draw set-up hears of it: the screen stays the target, with
  // its own depth buffer, and a later set-up with the device willing works.
  resetJournal();
  EXPECT_EQ(ShadowMap_DrawSetup(GetShadowMapData(other)), -1);
  EXPECT_EQ(GetDrawTarget(), -4);
  EXPECT_EQ(ShadowMapUse.pending, -1);
  EXPECT_EQ(D3D11State.targetTexture[0], screen);
  EXPECT_EQ(D3D11State.depthView, D3D11BackendSys.depthView);
  setProfile(defaultProfile());
  ASSERT_EQ(ShadowMap_DrawSetup(GetShadowMapData(other)), 0);
  EXPECT_EQ(GetDrawTarget(), other);
  ASSERT_EQ(ShadowMap_DrawEnd(), 0);
  EXPECT_EQ(GetDrawTarget(), -4);
  SubHandle(other);
  SubHandle(h);
  EXPECT_EQ(D3D11Sys.counters[kD3D11Texture2D], textures);
}

// An ARGB8 image of `faces` faces of `levels` levels each, stored face after face with
// each face's levels one after the other; face f, level l holds (40 f, 80 l, 7).
struct ChainImage {
  BaseImage image{};
  std::vector<uint8_t> bytes;
  ChainImage(int side, int levels, int faces) {
    CreateARGB8ColorData(&image.format);
    image.width = image.height = side;
    image.pitch = side * 4;
    image.mipCount = levels;
    image.imageCount = faces;
    bytes.resize(size_t(GetBaseImageDataSize(&image)));
    uint8_t* at = bytes.data();
    for (int f = 0; f < faces; ++f)
      for (int l = 0; l < levels; ++l)
        for (int i = 0; i < (side >> l) * (side >> l); ++i, at += 4) {
          at[0] = 7;
          at[1] = uint8_t(80 * l);
          at[2] = uint8_t(40 * f);
          at[3] = 255;
        }
    EXPECT_EQ(at, bytes.data() + bytes.size());
    image.pixels = bytes.data();
  }
};

// Texel (x, y) of subresource `sub` of a graph's first texture as (r, g, b, a).
Rgba texel(int graph, int sub, int x, int y) {
  const GraphData* g = GetGraphData(graph);
  const auto* core = plat::gpu::d3d11::coreTexture(D3D11_TileTexture(&g->orig->tiles[0])->texture);
  const uint8_t* p = core->data(sub) + size_t(y) * core->sub(sub).pitch + size_t(x) * 4;
  return Rgba{p[0], p[1], p[2], p[3]};
}

// A cube map with its own levels writes face f, level l to subresource f x levels + l; a
// plain mip-mapped graph takes its own levels whole, and a later upload of a part of level
// 0 makes that part's smaller levels by halving.
TEST_F(D3D11Test, MipMappedAndCubeUploadsFillEverySubresource) {
  ASSERT_EQ(start(), 0);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ChainImage cube(8, 3, 6);
    const int c = CreateGraphFromBaseImage(&cube.image, nullptr, 1, 0);
    ASSERT_GE(c, 0);
    D3D11_TEXTURE2D_DESC d{};
    D3D11_TileTexture(&GetGraphData(c)->orig->tiles[0])->texture->GetDesc(&d);
    EXPECT_EQ(d.MipLevels, 3u);
    EXPECT_EQ(d.ArraySize, 6u);
    EXPECT_NE(d.MiscFlags & UINT(D3D11_RESOURCE_MISC_TEXTURECUBE), 0u);
    for (int f = 0; f < 6; ++f)
      for (int l = 0; l < 3; ++l) {
        const int last = (8 >> l) - 1;
        EXPECT_EQ(texel(c, f * 3 + l, 0, 0), (Rgba{40 * f, 80 * l, 7, 255})) << f << ", " << l;
        EXPECT_EQ(texel(c, f * 3 + l, last, last), (Rgba{40 * f, 80 * l, 7, 255})) << f << ", " << l;
      }

    ChainImage flat(16, 4, 1);
    const int m = CreateGraphFromBaseImage(&flat.image, nullptr, 1, 0);
    ASSERT_GE(m, 0);
    for (int l = 0; l < 4; ++l) EXPECT_EQ(texel(m, l, 0, 0), (Rgba{0, 80 * l, 7, 255})) << l;
    // A white 4 x 4 block at (4, 4): levels 1 and 2 turn white under it, and only there.
    BaseImage white{};
    ASSERT_EQ(CreateARGB8ColorBaseImage(4, 4, &white), 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) SetBaseImagePixel(&white, x, y, 255, 255, 255, 255);
    const ImageRect all{0, 0, 4, 4};
    ASSERT_EQ(BltBaseImageToGraph(&all, 4, 4, m, &white, nullptr, 0, 0), 0);
    ReleaseBaseImage(&white);
    EXPECT_EQ(texel(m, 0, 4, 4), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(m, 0, 3, 3), (Rgba{0, 0, 7, 255}));
    EXPECT_EQ(texel(m, 1, 2, 2), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(m, 1, 3, 3), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(m, 1, 1, 1), (Rgba{0, 80, 7, 255}));
    EXPECT_EQ(texel(m, 1, 4, 4), (Rgba{0, 80, 7, 255}));
    EXPECT_EQ(texel(m, 2, 1, 1), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(m, 2, 0, 0), (Rgba{0, 160, 7, 255}));
    SubHandle(c);
    SubHandle(m);
  }
}

// A drawable cube map is drawn into face by face: each face is a surface of its own, at
// slot 0 as the draw target or beside it, and its views go with the graph.
TEST_F(D3D11Test, DrawableCubeMapsTakeEachFaceAsATarget) {
  ASSERT_EQ(start(), 0);
  // State objects are made on first use and kept: a first preparation makes them before counting.
  ASSERT_EQ(Graphics_D3D11_RefreshDeviceState(), 0);
  const int before = liveObjects();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    SetupGraphParam param{};
    InitSetupGraphParamDrawable(&param, 32, 1);
    param.cubeMap = 1;
    const int cube = MakeGraphFromParam(&param, 16, 16, 0, 0, 0, 0);
    ASSERT_GE(cube, 0);
    ASSERT_EQ(SetDrawTarget(cube), 0);
    clearTo(10, 20, 30);
    ASSERT_EQ(SetRenderTarget(0, cube, 3), 0);
    EXPECT_EQ(GraphicsDrawSettings.targets[0].surfaceIndex, 3);
    clearTo(200, 0, 0);
    ASSERT_EQ(SetRenderTarget(1, cube, 5), 0);
    clearTo(0, 200, 0);
    EXPECT_EQ(SetRenderTarget(1, cube, 6), -1);
    EXPECT_EQ(SetRenderTarget(0, cube, -1), -1);
    EXPECT_EQ(texel(cube, 0, 4, 4), (Rgba{10, 20, 30, 0}));
    EXPECT_EQ(texel(cube, 3, 4, 4), (Rgba{0, 200, 0, 0}));
    EXPECT_EQ(texel(cube, 5, 4, 4), (Rgba{0, 200, 0, 0}));
    EXPECT_EQ(texel(cube, 1, 4, 4), (Rgba{0, 0, 0, 0}));
    ASSERT_EQ(SetRenderTarget(1, -1, 0), 0);
    ASSERT_EQ(SetDrawTarget(-4), 0);
    // Deleted while a face is bound beside the screen: nothing stays bound.
    ASSERT_EQ(SetRenderTarget(2, cube, 4), 0);
    SubHandle(cube);
    EXPECT_EQ(D3D11State.targetView[2], nullptr);
    GraphicsDrawSettings.targets[2] = RenderTargetSlot{-1, 0};
  }
  EXPECT_EQ(liveObjects(), before);
}

// A drawable graph made with its own depth buffer draws with it as the draw target (the
// depth starts at the far plane); others draw without one, and the screen gets its own back.
// A graph whose texture, shader-resource view or target view cannot be made is refused,
// with the line that names the step that failed, and holds no device object.
TEST_F(D3D11Test, GraphTextureFailuresNameTheirStep) {
  ASSERT_EQ(start(), 0);
  const int before = liveObjects();
  const struct {
    const char* call;
    const char16_t* line;
  } steps[] = {{"d3d11.CreateTexture2D", u"テクスチャの作成に失敗しました\n"},
               {"d3d11.CreateShaderResourceView",
                u"テクスチャ用シェーダーリソースビューの作成に失敗しました  Format:"},
               {"d3d11.CreateRenderTargetView",
                u"テクスチャ用レンダーターゲットビューの作成に失敗しました  Format:"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.call);
    Profile p = defaultProfile();
    p.failOnCall[step.call] = 1;
    setProfile(p);
    resetJournal();
    forgetLog();
    EXPECT_EQ(MakeDrawableGraph(40, 24, 0), -1);
    EXPECT_TRUE(LogCapture::contains(step.line));
    EXPECT_FALSE(LogCapture::contains(u"グラフィック用テクスチャ"));
    resetProfile();
    EXPECT_EQ(liveObjects(), before);
  }
}

TEST_F(D3D11Test, GraphsWithTheirOwnDepthBufferBindIt) {
  ASSERT_EQ(start(), 0);
  const int before = liveObjects();
  SetupGraphParam param{};
  InitSetupGraphParamDrawable(&param, 32, 1);
  param.depthBuffer = 1;
  param.depthBufferBits = 32;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const int g = MakeGraphFromParam(&param, 40, 24, 0, 0, 0, 0);
    const int plain = MakeDrawableGraph(40, 24, 0);
    ASSERT_GE(g, 0);
    const D3D11GraphTexture* t = D3D11_TileTexture(&GetGraphData(g)->orig->tiles[0]);
    ASSERT_NE(t->depthView, nullptr);
    D3D11_TEXTURE2D_DESC d{};
    t->depthTexture->GetDesc(&d);
    EXPECT_EQ(int(d.Width), GetGraphData(g)->orig->tiles[0].textureWidth);
    EXPECT_EQ(d.Format, D3D11FormatSys.depthTexture[2]);
    float far = 0.0f;
    std::memcpy(&far, plat::gpu::d3d11::coreTexture(t->depthTexture)->data(0), 4);
    EXPECT_EQ(far, 1.0f);
    EXPECT_EQ(D3D11_TileTexture(&GetGraphData(plain)->orig->tiles[0])->depthView, nullptr);

    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(D3D11State.depthView, t->depthView);
    ASSERT_EQ(SetDrawTarget(plain), 0);
    EXPECT_EQ(D3D11State.depthView, nullptr);
    // A device made again makes the graph's depth buffer again too.
    ASSERT_EQ(Graphics_D3D11_RecreateDevice(1, 640, 480, 32, 60), 0);
    t = D3D11_TileTexture(&GetGraphData(g)->orig->tiles[0]);
    ASSERT_NE(t->depthView, nullptr);
    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(D3D11State.depthView, t->depthView);
    SubHandle(g);  // deleted while bound: the screen and its depth come back
    EXPECT_EQ(GetDrawTarget(), -4);
    EXPECT_EQ(D3D11State.depthView, D3D11BackendSys.depthView);
    SubHandle(plain);
  }
  EXPECT_EQ(liveObjects(), before);

  // A depth view that cannot be made fails the graph, logged, with nothing left alive.
  Profile p = defaultProfile();
  p.failOnCall["d3d11.CreateDepthStencilView"] = 1;
  setProfile(p);
  resetJournal();
  EXPECT_LT(MakeGraphFromParam(&param, 40, 24, 0, 0, 0, 0), 0);
  EXPECT_TRUE(LogCapture::contains(u"深度バッファ用深度ステンシルビューの作成に失敗しました"));
  setProfile(defaultProfile());
  EXPECT_EQ(liveObjects(), before);
}

// Buffers, render targets and shadow maps made and deleted over and over, with device
// re-creation between, leave the shut-down dump at nothing.
TEST_F(D3D11Test, MadeAndDeletedInALoopTheCountsComeBack) {
  ASSERT_EQ(start(), 0);
  // State objects are made on first use and kept until the device goes, so only the
  // resources and shaders are counted.
  auto resources = [] {
    int total = 0;
    for (int kind = 0; kind < kD3D11ObjectKinds; ++kind)
      if (kind < kD3D11BlendState || kind > kD3D11SamplerState) total += D3D11Sys.counters[kind];
    return total;
  };
  const int before = resources();
  const uint8_t bytes[64] = {9, 8, 7};
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    const int vb = makeBuffer(HANDLETYPE_VERTEX_BUFFER, 16, 4), ib = makeBuffer(HANDLETYPE_INDEX_BUFFER, 2, 6);
    ASSERT_EQ(SetVertexBufferData(0, bytes, 4, vb), 0);
    ASSERT_EQ(SetIndexBufferData(0, bytes, 6, ib), 0);
    const int a = MakeDrawableGraph(32, 32, 0), b = MakeDrawableGraph(32, 32, 0);
    ASSERT_EQ(SetDrawTarget(a), 0);
    ASSERT_EQ(SetRenderTarget(2, b, 0), 0);
    const int map = MakeTestShadowMap(64 + round, 64);
    ASSERT_EQ(ShadowMap_DrawSetup(GetShadowMapData(map)), 0);
    ASSERT_EQ(ShadowMap_DrawEnd(), 0);
    if (round % 2 == 1) {
      ASSERT_EQ(Graphics_D3D11_RecreateDevice(1, 640, 480, 32, 60), 0);
    }
    // Interleaved deletion orders.
    if (round % 3 == 0) {
      SubHandle(map);
      SubHandle(b);
      SubHandle(vb);
    } else {
      SubHandle(vb);
      SubHandle(map);
      SubHandle(b);
    }
    ASSERT_EQ(SetDrawTarget(-2), 0);
    SubHandle(a);
    SubHandle(ib);
    EXPECT_EQ(resources(), before);
  }
  forgetLog();
  TerminateLibrary();
  EXPECT_TRUE(LogCapture::contains(u"Direct3D11 のオブジェクト数を出力\nDirect3D11 のオブジェクト合計数 : 0"));
}

}  // namespace
}  // namespace d3d11test
