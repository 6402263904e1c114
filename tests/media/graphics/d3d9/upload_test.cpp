// Direct3D 9 uploads and device objects behind handles: raw DXT blocks against the same
// picture decoded, mip levels and cube faces, the system-memory pools (reuse, the limit of
// lent duplicates, release after two seconds), the draw-target lock, further render
// targets, user buffers across re-creation and the emulated subtractive blend.
#include <cstring>
#include <vector>

#include "d3d9_fixture.h"
#include "tests/media/graphics/buffer_cases.h"
#include "tests/media/graphics/shadow_cases.h"
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hwdraw/upload_levels.h"
#include "media/graphics/image/dxt.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "platform/win/win_clock.h"

namespace d3d9test {
namespace {

unsigned rgb(int r, int g, int b) { return 0xFF000000u | unsigned(r) << 16 | unsigned(g) << 8 | unsigned(b); }
unsigned at(int x, int y) { return GetDrawTargetPixel(x, y) | 0xFF000000u; }

// A plain ARGB image of `levels` levels and `faces` faces, level l of face f filled by
// colour(f, l, x, y).
template <class Colour>
BaseImage makeImage(int w, int h, int levels, int faces, Colour colour) {
  BaseImage image{};
  CreateARGB8ColorData(&image.format);
  image.width = w;
  image.height = h;
  image.pitch = w * 4;
  image.mipCount = levels > 1 ? levels : 0;
  image.imageCount = faces > 1 ? faces : 0;
  size_t words = 0;
  for (int l = 0; l < levels; ++l) words += size_t(LevelSize(w, l)) * size_t(LevelSize(h, l));
  auto* p = static_cast<uint32_t*>(MemAlloc(words * 4 * size_t(faces), __FILE__, __LINE__));
  image.pixels = p;
  for (int f = 0; f < faces; ++f)
    for (int l = 0; l < levels; ++l)
      for (int y = 0; y < LevelSize(h, l); ++y)
        for (int x = 0; x < LevelSize(w, l); ++x) *p++ = colour(f, l, x, y);
  return image;
}

// A DXT1 picture of w x h (whole blocks), block b red, blue, a red/blue row pattern or the
// two-thirds mix by b % 4.
BaseImage makeDXT1(int w = 8, int h = 8) {
  BaseImage image{};
  CreateARGB8ColorData(&image.format);
  image.format.formatCode = kPixelDXT1;
  image.format.colorBits = 4;
  image.width = w;
  image.height = h;
  image.pitch = w / 4 * 8;
  const uint32_t indices[4] = {0x00000000u, 0x55555555u, 0x00550055u, 0xAAAAAAAAu};
  const int blocks = w / 4 * (h / 4);
  auto* p = static_cast<uint8_t*>(MemAlloc(size_t(blocks) * 8, __FILE__, __LINE__));
  for (int b = 0; b < blocks; ++b) {
    const uint16_t c0 = 0xF800, c1 = 0x001F;
    std::memcpy(p + b * 8, &c0, 2);
    std::memcpy(p + b * 8 + 2, &c1, 2);
    std::memcpy(p + b * 8 + 4, &indices[b % 4], 4);
  }
  image.pixels = p;
  return image;
}

// A DXT5 picture of w x h (whole blocks): the colours of makeDXT1 by block, and an alpha
// ramp across each block's columns (255, 0 and two of the six steps between).
BaseImage makeDXT5(int w, int h) {
  BaseImage image = makeDXT1(w, h);
  const uint8_t* colour = static_cast<const uint8_t*>(image.pixels);
  image.format.formatCode = kPixelDXT5;
  image.format.colorBits = 8;
  image.pitch = w / 4 * 16;
  const int blocks = w / 4 * (h / 4);
  auto* p = static_cast<uint8_t*>(MemAlloc(size_t(blocks) * 16, __FILE__, __LINE__));
  // Alpha indices 0, 1, 2 and 5 per row (three bits each, 48 bits for the block).
  uint64_t indices = 0;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) indices |= uint64_t(col == 3 ? 5 : col) << (3 * (row * 4 + col));
  for (int b = 0; b < blocks; ++b) {
    p[b * 16] = 255;
    p[b * 16 + 1] = 0;
    for (int i = 0; i < 6; ++i) p[b * 16 + 2 + i] = uint8_t(indices >> (8 * i));
    std::memcpy(p + b * 16 + 8, colour + b * 8, 8);
  }
  MemFree(image.pixels);
  image.pixels = p;
  return image;
}

const D3D9GraphTexture* textureOf(int graph) { return D3D9_TileTexture(&GetGraphData(graph, 1)->orig->tiles[0]); }

// The word at (x, y) of level `level` (face `face` of a cube map) of a graph's texture.
uint32_t texel(int graph, int face, int level, int x, int y) {
  const D3D9GraphTexture* t = textureOf(graph);
  D3DLOCKED_RECT locked{};
  const HRESULT hr = t->cube != nullptr ? t->cube->LockRect(D3DCUBEMAP_FACES(face), UINT(level), &locked, nullptr, 0)
                                        : t->texture->LockRect(UINT(level), &locked, nullptr, 0);
  if (hr != D3D_OK) return 0xDEADBEEFu;
  const uint32_t v = *reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                        size_t(y) * size_t(locked.Pitch) + size_t(x) * 4);
  if (t->cube != nullptr)
    t->cube->UnlockRect(D3DCUBEMAP_FACES(face), UINT(level));
  else
    t->texture->UnlockRect(UINT(level));
  return v;
}

int lentEntries(const D3D9Pool& pool) {
  int n = 0;
  for (const D3D9PoolEntry& e : pool.entries) n += e.used && e.lent;
  return n;
}

class D3D9Upload : public D3D9BackEnd {
 protected:
  void TearDown() override {
    plat::win::ReleaseClockForTest();
    GraphCreateSettingsData.words.managed = 0;
    D3D9BackEnd::TearDown();
  }
  // Windowed at 640 x 480 x 32 on Direct3D 9, cleared black; graphs not managed unless
  // `managed` (so the default-pool paths run whatever object the device came from).
  static void begin(bool managed = false) {
    GraphCreateSettingsData.words.managed = managed ? 0 : 1;
    startCleared();
  }
};

TEST_F(D3D9Upload, DXTBlocksStayCompressedAndDrawAsTheirDecodedPicture) {
  for (const bool managed : {false, true}) {
    SCOPED_TRACE(managed);
    begin(managed);
    BaseImage dxt = makeDXT1();
    const int raw = CreateGraphFromBaseImage(&dxt, nullptr, 1, 0);
    ASSERT_GE(raw, 0);
    D3DSURFACE_DESC desc{};
    ASSERT_NE(textureOf(raw)->texture, nullptr);
    textureOf(raw)->texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT1);
    EXPECT_EQ(D3D9_GraphManaged(GetGraphData(raw)->orig), managed && !Direct3D9_IsEx() ? 1 : 0);

    BaseImage decoded = dxt;
    ASSERT_EQ(ConvertDXTToARGB8(&decoded, 0), 0);
    const int plain = CreateGraphFromBaseImage(&decoded, nullptr, 1, 0);
    ASSERT_GE(plain, 0);
    textureOf(plain)->texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(DrawGraph(0, 0, raw, 0), 0);
    ASSERT_EQ(DrawGraph(20, 0, plain, 0), 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(at(x, y), at(20 + x, y)) << x << ", " << y;
    EXPECT_EQ(at(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(at(4, 0), rgb(0, 0, 255));

    // Plain pixels never go into the blocks: the rectangle is refused and nothing changes.
    forgetLog();
    const ImageRect part{0, 0, 4, 4};
    EXPECT_EQ(BltBaseImageToGraph(&part, 0, 0, raw, &decoded, nullptr, 0, 0), 0);
    EXPECT_TRUE(logged(u"DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません"));
    ClearDrawTarget(nullptr);
    ASSERT_EQ(DrawGraph(0, 0, raw, 0), 0);
    EXPECT_EQ(at(4, 0), rgb(0, 0, 255));
    EXPECT_EQ(at(0, 0), rgb(255, 0, 0));
    MemFree(dxt.pixels);
    MemFree(decoded.pixels);
    TerminateLibrary();
    releaseBackEnd();
  }
}

TEST_F(D3D9Upload, ACutDXT5PictureIsDecodedOnceInTheFront) {
  // A device of power-of-two textures puts 12 x 4 into a 16 x 4 tile: blocks cannot be
  // padded, so the graph holds plain pixels and the front decodes the picture, once: the
  // back end itself takes no blocks into plain texels.
  D3DCAPS9 caps = DefaultD3D9Caps();
  caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  SetD3D9CapsForTest(&caps);
  begin();
  BaseImage dxt = makeDXT5(12, 4);
  BaseImage decoded = dxt;
  ASSERT_EQ(ConvertDXTToARGB8(&decoded, 0), 0);
  // The alpha ramp decoded: opaque, clear, then two of the steps between.
  const uint32_t* texels = static_cast<const uint32_t*>(decoded.pixels);
  EXPECT_EQ(texels[0] >> 24, 255u);
  EXPECT_EQ(texels[1] >> 24, 0u);
  EXPECT_GT(texels[2] >> 24, texels[3] >> 24);
  const int raw = CreateGraphFromBaseImage(&dxt, nullptr, 1, 0);
  const int plain = CreateGraphFromBaseImage(&decoded, nullptr, 1, 0);
  ASSERT_GE(raw, 0);
  ASSERT_GE(plain, 0);
  EXPECT_EQ(textureOf(raw)->width, 16);
  // The survey's fall-back row of the alpha kinds, which keeps eight bits a channel.
  D3DSURFACE_DESC desc{};
  textureOf(raw)->texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3D9TextureFormatTable[9]);
  // Over a grey backdrop the alpha shows as well as the colours: a picture decoded twice,
  // or not at all, parts from the one decoded here.
  auto drawBoth = [&] {
    ASSERT_EQ(DrawBox(0, 0, 40, 40, PackScreenColor(128, 128, 128), 1), 0);
    ASSERT_EQ(DrawGraph(0, 0, raw, 1), 0);
    ASSERT_EQ(DrawGraph(0, 20, plain, 1), 0);
    int seeThrough = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 13; ++x) {
        ASSERT_EQ(at(x, y), at(x, 20 + y)) << x << ", " << y;
        seeThrough += at(x, y) == rgb(128, 128, 128);
      }
    EXPECT_EQ(seeThrough, 3 * 4 + 4);  // the clear column of each block, and past the picture
  };
  drawBoth();
  forgetLog();
  const ImageRect whole{0, 0, 12, 4};
  EXPECT_EQ(Graphics_Hardware_BltBmpOrBaseImageToGraph3(&whole, 0, 0, raw, &dxt, nullptr, 0, 1, 0), 0);
  EXPECT_TRUE(logged(u"DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません"));
  drawBoth();
  MemFree(dxt.pixels);
  MemFree(decoded.pixels);
}

TEST_F(D3D9Upload, DXTPicturesDrawAsTheirDecodedPictureOnDirect3D11Too) {
  // Direct3D 11 graphs hold plain pixels: the blocks are decoded on the way up.
  setenv("HALVORINE_MISSING", "d3d9", 1);
  ChangeWindowMode(1);
  SetScreenMode(640, 480, 32, 0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D11);
  SetBackgroundColor(0, 0, 0);
  ClearDrawTarget(nullptr);
  BaseImage dxt = makeDXT1();
  BaseImage decoded = dxt;
  ASSERT_EQ(ConvertDXTToARGB8(&decoded, 0), 0);
  const int raw = CreateGraphFromBaseImage(&dxt, nullptr, 1, 0),
            plain = CreateGraphFromBaseImage(&decoded, nullptr, 1, 0);
  ASSERT_GE(raw, 0);
  ASSERT_GE(plain, 0);
  ASSERT_EQ(DrawGraph(0, 0, raw, 0), 0);
  ASSERT_EQ(DrawGraph(20, 0, plain, 0), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(at(x, y), at(20 + x, y)) << x << ", " << y;
  EXPECT_EQ(at(4, 0), rgb(0, 0, 255));
  MemFree(dxt.pixels);
  MemFree(decoded.pixels);
}

TEST_F(D3D9Upload, MipLevelsAndCubeFacesReachTheirTextureLevels) {
  for (const bool managed : {false, true}) {
    SCOPED_TRACE(managed);
    begin(managed);
    // The image's own levels, one colour each.
    const uint32_t levelColour[4] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
    BaseImage mips = makeImage(8, 8, 4, 1, [&](int, int l, int, int) { return levelColour[l]; });
    const int g = CreateGraphFromBaseImage(&mips, nullptr, 1, 0);
    ASSERT_GE(g, 0);
    ASSERT_EQ(textureOf(g)->texture->GetLevelCount(), 4u);
    for (int l = 0; l < 4; ++l) EXPECT_EQ(texel(g, 0, l, 0, 0), levelColour[l]) << l;

    // A one-level picture into the same graph: each level halved from the one before.
    BaseImage halves = makeImage(8, 8, 1, 1, [](int, int, int x, int) { return x < 4 ? 0xFFFF0000u : 0xFF0000FFu; });
    const ImageRect whole{0, 0, 8, 8};
    ASSERT_EQ(BltBaseImageToGraph(&whole, 0, 0, g, &halves, nullptr, 0, 0), 0);
    EXPECT_EQ(texel(g, 0, 1, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(texel(g, 0, 1, 3, 3), 0xFF0000FFu);
    const uint32_t last = texel(g, 0, 3, 0, 0);
    EXPECT_NEAR(int(last >> 16 & 0xFF), 128, 1);
    EXPECT_NEAR(int(last & 0xFF), 128, 1);

    // Cube faces, two levels each.
    BaseImage cube =
        makeImage(4, 4, 2, 6, [](int f, int l, int, int) { return 0xFF000000u | uint32_t(f * 40) << 8 | uint32_t(l); });
    const int c = CreateGraphFromBaseImage(&cube, nullptr, 1, 0);
    ASSERT_GE(c, 0);
    ASSERT_NE(textureOf(c)->cube, nullptr);
    for (int f = 0; f < 6; ++f)
      for (int l = 0; l < 2; ++l)
        EXPECT_EQ(texel(c, f, l, 1, 1), 0xFF000000u | uint32_t(f * 40) << 8 | uint32_t(l)) << f;
    for (BaseImage* image : {&mips, &halves, &cube}) MemFree(image->pixels);
    EXPECT_EQ(lentEntries(D3D9TexturePool) + lentEntries(D3D9SurfacePool), 0);
    TerminateLibrary();
    releaseBackEnd();
  }
}

TEST_F(D3D9Upload, PicturesMadeOnLoadingWorkersGoThroughThePostedPools) {
  begin();
  std::vector<BaseImage> images;
  std::vector<int> handles;
  for (int i = 0; i < 12; ++i) {
    // Whole tiles through pool textures, a mip chain and a cube map among them.
    const int levels = i % 3 == 1 ? 3 : 1, faces = i % 4 == 3 ? 6 : 1;
    images.push_back(makeImage(16, 16, levels, faces, [i](int f, int l, int x, int y) {
      return 0xFF000000u | uint32_t(i * 20) << 16 | uint32_t(f * 40 + l) << 8 | uint32_t(x + y);
    }));
  }
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    handles.clear();
    for (BaseImage& image : images) handles.push_back(CreateGraphFromBaseImage(&image, nullptr, 1, 1));
    for (int h : handles) ASSERT_GE(h, 0);
    for (int tries = 0; tries < 20000; ++tries) {
      bool ready = true;
      for (int h : handles) ready = ready && CheckGraphHandleReady(h);
      if (ready) break;
      ProcessASyncLoadRequestMainThread();
      Thread_Sleep(1);
    }
    for (size_t i = 0; i < handles.size(); ++i) {
      ASSERT_TRUE(CheckGraphHandleReady(handles[i])) << i;
      const int faces = images[i].imageCount > 1 ? 6 : 1;
      EXPECT_EQ(texel(handles[i], faces - 1, 0, 3, 4),
                0xFF000000u | uint32_t(i * 20) << 16 | uint32_t((faces - 1) * 40) << 8 | 7u)
          << i;
    }
    EXPECT_EQ(lentEntries(D3D9TexturePool) + lentEntries(D3D9SurfacePool), 0);
    for (int h : handles) SubHandle(h);
  }
  for (BaseImage& image : images) MemFree(image.pixels);
}

TEST_F(D3D9Upload, PoolsReuseTheirObjectsAndLetGoOfUnusedOnes) {
  begin();
  const int g = MakeGraph(64, 64);
  ASSERT_GE(g, 0);
  ASSERT_EQ(D3D9_GraphManaged(GetGraphData(g)->orig), 0);
  BaseImage image = makeImage(
      64, 64, 1, 1, [](int, int, int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4); });
  const ImageRect whole{0, 0, 64, 64}, part{0, 0, 10, 10};
  const int textures = D3D9TexturePool.count, surfaces = D3D9SurfacePool.count;
  for (int round = 0; round < 5; ++round) {
    ASSERT_EQ(BltBaseImageToGraph(&whole, 0, 0, g, &image, nullptr, 0, 0), 0);
    ASSERT_EQ(BltBaseImageToGraph(&part, 20, 30, g, &image, nullptr, 0, 0), 0);
  }
  // One staging texture for the whole tile and one surface for the part, lent and back.
  EXPECT_EQ(D3D9TexturePool.count, textures + 1);
  EXPECT_EQ(D3D9SurfacePool.count, surfaces + 1);
  EXPECT_EQ(lentEntries(D3D9TexturePool) + lentEntries(D3D9SurfacePool), 0);
  EXPECT_EQ(texel(g, 0, 0, 25, 35), 0xFF000000u | uint32_t(5 * 4) << 16 | uint32_t(5 * 4));
  EXPECT_EQ(texel(g, 0, 0, 40, 10), 0xFF000000u | uint32_t(40 * 4) << 16 | uint32_t(10 * 4));

  // Sixteen of one shape may be lent at once; the seventeenth waits for one to come back.
  Graphics_D3D9_SysMemCache_ReleaseAll();
  std::vector<int> lent;
  for (int i = 0; i < 16; ++i) lent.push_back(Graphics_D3D9_SysMemSurface_Get(8, 8, D3DFMT_A8R8G8B8, 0));
  for (int i = 0; i < 16; ++i) {
    ASSERT_GE(lent[size_t(i)], 0);
    for (int j = 0; j < i; ++j) ASSERT_NE(lent[size_t(i)], lent[size_t(j)]);
  }
  EXPECT_EQ(Graphics_D3D9_SysMemSurface_Get(8, 8, D3DFMT_A8R8G8B8, 0), -1);
  EXPECT_GE(Graphics_D3D9_SysMemSurface_Get(8, 4, D3DFMT_A8R8G8B8, 0), 0);  // another shape is free
  ASSERT_EQ(Graphics_D3D9_SysMemSurface_Release(lent[5], 0), 0);
  EXPECT_EQ(Graphics_D3D9_SysMemSurface_Release(lent[5], 0), -1);  // not lent any more
  EXPECT_EQ(Graphics_D3D9_SysMemSurface_Get(8, 8, D3DFMT_A8R8G8B8, 0), lent[5]);

  // Entries given back stay for 2000 ms of the clock, then go.
  Graphics_D3D9_SysMemCache_ReleaseAll();
  const long long t0 = 5000000000LL;
  plat::win::HoldClockForTest(t0);
  const int a = Graphics_D3D9_SysMemTexture_Get(0, 16, 16, 1, D3DFMT_A8R8G8B8, 0);
  const int b = Graphics_D3D9_SysMemSurface_Get(16, 16, D3DFMT_A8R8G8B8, 0);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  Graphics_D3D9_SysMemTexture_Release(a, 0);
  plat::win::HoldClockForTest(t0 + 1000000000LL);
  Graphics_D3D9_SysMemSurface_Release(b, 0);
  plat::win::HoldClockForTest(t0 + 1999000000LL);
  Graphics_Hardware_SysMemCache_ReleaseUnused();
  EXPECT_EQ(D3D9TexturePool.count, 1);
  plat::win::HoldClockForTest(t0 + 2000000000LL);
  Graphics_Hardware_SysMemCache_ReleaseUnused();
  EXPECT_EQ(D3D9TexturePool.count, 0);
  EXPECT_EQ(D3D9SurfacePool.count, 1);
  plat::win::HoldClockForTest(t0 + 3000000000LL);
  Graphics_Hardware_SysMemCache_ReleaseUnused();
  EXPECT_EQ(D3D9SurfacePool.count, 0);
  MemFree(image.pixels);
}

TEST_F(D3D9Upload, TheDrawTargetLockReadsTheScreenAndGraphs) {
  begin();
  SetBackgroundColor(10, 20, 30);
  ClearDrawTarget(nullptr);
  ASSERT_EQ(DrawBox(4, 4, 8, 8, 0xFFC86432u, 1), 0);
  for (const int direct : {1, 0}) {
    SCOPED_TRACE(direct);
    D3D9DeviceSys.backBufferLock = direct;
    for (int round = 0; round < 3; ++round) {
      const ImageRect r{2, 2, 10, 10};
      BaseImage image{};
      ASSERT_EQ(LockDrawTargetBuffer(&r, &image), 0);
      EXPECT_EQ(LockDrawTargetBuffer(&r, &image), -1);  // one lock at a time
      auto word = [&](int x, int y) {
        return *reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(image.pixels) +
                                                  size_t(y) * size_t(image.pitch) + size_t(x) * 4) &
               0xFFFFFFu;
      };
      EXPECT_EQ(image.width, 8);
      EXPECT_EQ(word(0, 0), 0x0A141Eu);
      EXPECT_EQ(word(2, 2), 0xC86432u);
      EXPECT_EQ(word(5, 5), 0xC86432u);
      EXPECT_EQ(word(6, 6), 0x0A141Eu);
      UnlockDrawTargetBuffer();
      EXPECT_EQ(lentEntries(D3D9SurfacePool), 0);
    }
  }
  // Emptying the pools (as a device release does) ends an open lock with its surface.
  {
    const ImageRect r{0, 0, 4, 4};
    BaseImage image{};
    ASSERT_EQ(LockDrawTargetBuffer(&r, &image), 0);
    EXPECT_EQ(lentEntries(D3D9SurfacePool), 1);
    Graphics_D3D9_SysMemCache_ReleaseAll();
    EXPECT_EQ(D3D9SurfacePool.count, 0);
    UnlockDrawTargetBuffer();
    ASSERT_EQ(LockDrawTargetBuffer(&r, &image), 0);
    UnlockDrawTargetBuffer();
  }
  // A drawable graph is read through its own surface.
  const int target = MakeDrawableGraph(32, 32, 0);
  ASSERT_GE(target, 0);
  ASSERT_EQ(SetDrawTarget(target), 0);
  SetBackgroundColor(0, 200, 0);
  ClearDrawTarget(nullptr);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  const ImageRect r{30, 30, 32, 32};
  BaseImage image{};
  ASSERT_EQ(LockDrawTargetBuffer(&r, &image, target), 0);
  EXPECT_EQ(*static_cast<const uint32_t*>(image.pixels) & 0xFFFFFFu, 0x00C800u);
  UnlockDrawTargetBuffer();
}

TEST_F(D3D9Upload, FurtherRenderTargetsTakeDrawableGraphsOnly) {
  begin();
  const int target = MakeDrawableGraph(64, 64, 0), second = MakeDrawableGraph(64, 64, 0);
  const int plain = MakeGraph(64, 64);
  ASSERT_EQ(SetDrawTarget(target), 0);
  ASSERT_EQ(SetRenderTarget(1, second, 0), 0);
  EXPECT_EQ(D3D9State.targets[1], textureOf(second)->surface);
  EXPECT_EQ(SetRenderTarget(1, plain, 0), -1);
  EXPECT_EQ(SetRenderTarget(1, second, 1), -1);
  EXPECT_EQ(D3D9State.targets[1], textureOf(second)->surface);
  ASSERT_EQ(SetRenderTarget(1, -1, 0), 0);
  EXPECT_EQ(D3D9State.targets[1], nullptr);
  EXPECT_EQ(Graphics_D3D9_CheckDepthBufferGraph(nullptr), 0);
  EXPECT_EQ(Graphics_D3D9_CheckDepthBufferGraph(GetGraphData(second)), -1);
  EXPECT_EQ(Graphics_D3D9_CopyMovieSurfaceToGraph(GetGraphData(second), nullptr), -1);
  // Without programmable shaders there are no further targets.
  ProgrammableShaderFlag = 0;
  EXPECT_EQ(Graphics_D3D9_SetRenderTarget(1, second, 0), -1);
  ProgrammableShaderFlag = 1;
}

// The depth surface the device draws with now (its reference dropped at once).
IDirect3DSurface9* boundDepth() {
  IDirect3DSurface9* s = nullptr;
  if (D3D9Sys.device->GetDepthStencilSurface(&s) != D3D_OK) return nullptr;
  s->Release();
  return s;
}

// A drawable graph made with its own depth buffer draws with it as the draw target and
// answers the depth-buffer check; a new device makes it again, and deleting the graph
// while it is bound brings back the screen's depth buffer.
TEST_F(D3D9Upload, GraphsWithTheirOwnDepthSurfaceBindIt) {
  begin();
  SetupGraphParam param{};
  InitSetupGraphParamDrawable(&param, 32, 1);
  param.depthBuffer = 1;
  param.depthBufferBits = 24;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const int g = MakeGraphFromParam(&param, 40, 24, 0, 0, 0, 0);
    const int plain = MakeDrawableGraph(40, 24, 0);
    ASSERT_GE(g, 0);
    const D3D9GraphTexture* t = textureOf(g);
    ASSERT_NE(t->depth, nullptr);
    D3DSURFACE_DESC d{};
    t->depth->GetDesc(&d);
    EXPECT_EQ(int(d.Width), GetGraphData(g)->orig->tiles[0].textureWidth);
    EXPECT_EQ(d.Format, D3D9DeviceSys.depthFormat[1]);
    EXPECT_EQ(Graphics_D3D9_CheckDepthBufferGraph(GetGraphData(g)), 0);
    EXPECT_EQ(Graphics_D3D9_CheckDepthBufferGraph(GetGraphData(plain)), -1);
    EXPECT_EQ(textureOf(plain)->depth, nullptr);

    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(boundDepth(), t->depth);
    EXPECT_EQ(t->depthCleared, 1);
    ASSERT_EQ(SetDrawTarget(plain), 0);
    EXPECT_EQ(boundDepth(), D3D9BackendSys.depthSurface);
    ASSERT_EQ(Graphics_D3D9_RecreateDevice(1, 640, 480, 32, 60), 0);
    t = textureOf(g);
    ASSERT_NE(t->depth, nullptr);
    EXPECT_EQ(t->depthCleared, 0);
    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(boundDepth(), t->depth);
    SubHandle(g);  // deleted while bound: the screen and its depth come back
    EXPECT_EQ(GetDrawTarget(), -4);
    EXPECT_EQ(boundDepth(), D3D9BackendSys.depthSurface);
    SubHandle(plain);
  }

  // A depth surface that cannot be made fails the graph, logged.
  Profile p = defaultProfile();
  p.failOnCall["d3d9.CreateDepthStencilSurface"] = 1;
  setProfile(p);
  resetJournal();
  forgetLog();
  EXPECT_LT(MakeGraphFromParam(&param, 40, 24, 0, 0, 0, 0), 0);
  EXPECT_TRUE(logged(u"深度バッファ用サーフェスの作成に失敗しました"));
  setProfile(defaultProfile());
}

using buffercases::deviceBytes;
using buffercases::makeBuffer;

TEST_F(D3D9Upload, UserBuffersHoldTheirWritesAcrossReCreation) {
  begin();
  const struct {
    int type, elementSize, elementCount;
  } kinds[] = {{HANDLETYPE_VERTEX_BUFFER, 16, 8}, {HANDLETYPE_INDEX_BUFFER, 2, 12}, {HANDLETYPE_INDEX_BUFFER, 4, 5}};
  uint8_t data[64];
  for (int i = 0; i < 64; ++i) data[i] = uint8_t(i + 1);
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.elementSize);
    auto write = k.type == HANDLETYPE_VERTEX_BUFFER ? SetVertexBufferData : SetIndexBufferData;
    const int h = makeBuffer(k.type, k.elementSize, k.elementCount);
    EXPECT_EQ(GetBufferData(h, k.type)->deviceObject, nullptr);  // made on the first write
    ASSERT_EQ(write(1, data, 3, h), 0);
    std::vector<uint8_t> want(size_t(k.elementSize * k.elementCount), 0);
    std::memcpy(want.data() + k.elementSize, data, size_t(3 * k.elementSize));
    EXPECT_EQ(deviceBytes(h, k.type), want);
    EXPECT_EQ(write(k.elementCount - 1, data, 2, h), -1);  // one past the end
    if (k.type == HANDLETYPE_INDEX_BUFFER) {
      D3DINDEXBUFFER_DESC desc{};
      static_cast<IDirect3DIndexBuffer9*>(GetBufferData(h, k.type)->deviceObject)->GetDesc(&desc);
      EXPECT_EQ(desc.Format, k.elementSize == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16);
    }
    // A new device gets the buffer again with the kept bytes.
    ASSERT_EQ(Graphics_D3D9_RecreateDevice(1, 640, 480, 32, 60), 0);
    EXPECT_EQ(deviceBytes(h, k.type), want);
    SubHandle(h);
  }
}

TEST_F(D3D9Upload, ShadowMapsBecomeTargetsWithTheirDepthAndConstants) {
  begin();
  const int h = MakeTestShadowMap(128, 64);
  ShadowMapData* map = GetShadowMapData(h);
  ASSERT_EQ(SetShadowMapLightDirection(h, 0.3f, -1.0f, 0.2f), 0);
  map->depthBias = 0.004f;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(ShadowMap_DrawSetup(map), 0);
    const D3D9ShadowMapTexture* t = D3D9_ShadowMapTexture(map);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(D3D9State.targets[0], t->surface);
    D3DSURFACE_DESC d{};
    t->texture->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 128u);
    EXPECT_EQ(d.Height, 64u);
    EXPECT_EQ(d.Format, D3DFMT_R32F);
    ASSERT_EQ(ShadowMap_DrawEnd(), 0);
    EXPECT_EQ(D3D9State.targets[0], D3D9_ScreenSurface());
    // A new device makes the map again.
    ASSERT_EQ(Graphics_D3D9_RecreateDevice(1, 640, 480, 32, 60), 0);
    ASSERT_NE(D3D9_ShadowMapTexture(map), nullptr);
  }

  // The map in slot 1 writes its matrix and parameters; the empty slots write zeros.
  ShadowMapUse.slots[1] = h;
  ASSERT_EQ(Graphics_D3D9_ShadowMap_RefreshVSParam(), 0);
  ASSERT_EQ(Graphics_D3D9_ShadowMap_RefreshPSParam(), 0);
  const auto* vs =
      reinterpret_cast<const float*>(D3D9ShaderConstantSys.banks[kD3D9VSFloat][0].data) + 4 * kD3D9ShadowMapVSRegister;
  const auto* ps =
      reinterpret_cast<const float*>(D3D9ShaderConstantSys.banks[kD3D9PSFloat][0].data) + 4 * kD3D9ShadowMapPSRegister;
  ExpectShadowMapConstants(vs, ps, map);
  ShadowMapUse.slots[1] = -1;

  // A map whose depth surface cannot be made is refused, logged, and leaves nothing.
  const int other = MakeTestShadowMap(32, 32);
  Profile p = defaultProfile();
  p.failOnCall["d3d9.CreateDepthStencilSurface"] = 1;
  setProfile(p);
  resetJournal();
  forgetLog();
  IDirect3DSurface9* screen = D3D9State.targets[0];
  EXPECT_EQ(Graphics_D3D9_SetDrawTarget(other, 0, nullptr, nullptr, GetShadowMapData(other), nullptr), -1);
  EXPECT_TRUE(logged(u"シャドウマップ用深度サーフェスの作成に失敗しました"));
  EXPECT_EQ(D3D9_ShadowMapTexture(GetShadowMapData(other)), nullptr);
  EXPECT_EQ(D3D9State.targets[0], screen);
  setProfile(defaultProfile());
  SubHandle(other);
  SubHandle(h);
  EXPECT_EQ(D3D9_ShadowMapTexture(map), nullptr);
}

TEST_F(D3D9Upload, SubtractionIsEmulatedWithoutTheBlendOperationCap) {
  for (const bool native : {true, false}) {
    SCOPED_TRACE(native);
    D3DCAPS9 caps = DefaultD3D9Caps();
    if (!native) caps.PrimitiveMiscCaps &= ~DWORD(D3DPMISCCAPS_BLENDOP);
    SetD3D9CapsForTest(&caps);
    begin();
    EXPECT_TRUE(
        logged(native ? u"減算合成のハードウェア対応：ネイティブ" : u"減算合成のハードウェア対応：エミュレート"));
    SetBackgroundColor(200, 200, 200);
    ClearDrawTarget(nullptr);
    SetDrawBlendMode(3, 255);
    ASSERT_EQ(DrawBox(10, 10, 20, 20, rgb(100, 50, 250), 1), 0);
    SetDrawBlendMode(0, 255);
    EXPECT_EQ(at(15, 15), rgb(100, 150, 0));
    EXPECT_EQ(at(25, 15), rgb(200, 200, 200));
    TerminateLibrary();
    releaseBackEnd();
    SetD3D9CapsForTest(nullptr);
  }
}

}  // namespace
}  // namespace d3d9test
