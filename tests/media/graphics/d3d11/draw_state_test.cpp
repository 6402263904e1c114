// The Direct3D 11 state cache, blend rows, vertex batch, flip, read-back and device
// re-creation, driven through the back end's batch and key setters.
#include <algorithm>
#include <array>
#include <set>
#include <tuple>
#include <vector>

#include "d3d11_fixture.h"
#include "media/graphics/graph.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/win/window_test.h"

namespace d3d11test {
namespace {

TEST_F(D3D11Test, BlendRowsGiveTheirColours) {
  ASSERT_EQ(start(), 0);
  const struct {
    int mode;
    Rgba dest, src, want;
  } rows[] = {
      {1, {255, 255, 255, 0}, {255, 0, 0, 128}, {255, 127, 127, 0}},   // alpha
      {2, {100, 75, 100, 0}, {100, 50, 0, 255}, {200, 125, 100, 0}},   // add
      {4, {100, 100, 100, 0}, {255, 255, 0, 255}, {100, 100, 0, 0}},   // multiply
      {3, {200, 200, 100, 0}, {100, 50, 100, 255}, {100, 150, 0, 0}},  // subtract (row 16)
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    clearTo(row.dest.r, row.dest.g, row.dest.b);
    quad(row.mode, row.src);
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const Rgba got = pixel(4, 4);
    EXPECT_NEAR(got.r, row.want.r, 1);
    EXPECT_NEAR(got.g, row.want.g, 1);
    EXPECT_NEAR(got.b, row.want.b, 1);
    EXPECT_EQ(pixel(40, 40), row.dest);  // outside the quad
  }
  EXPECT_EQ(D3D11State.blendModeIndex, 16);
}

TEST_F(D3D11Test, StateObjectsAreMadeOnceAndOneOffsGoAway) {
  ASSERT_EQ(start(), 0);
  const int blends = D3D11Sys.counters[kD3D11BlendState];
  for (int frame = 0; frame < 10; ++frame) {
    clearTo(0, 0, 0);
    quad(1, {255, 0, 0, 255});
    quad(2, {0, 255, 0, 255});
    ASSERT_EQ(Graphics_D3D11_FlipScreen(), 0);
    EXPECT_EQ(D3D11Sys.counters[kD3D11BlendState], blends + 2) << frame;
  }

  const int samplers = D3D11Sys.counters[kD3D11SamplerState];
  const float red[4] = {1, 0, 0, 1}, none[4] = {0, 0, 0, 0};
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetSamplerBorderColor(red, 0), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_ApplyStates(), 0);
  EXPECT_EQ(D3D11Sys.counters[kD3D11SamplerState], samplers + 1);
  EXPECT_EQ(D3D11State.samplerOneOff[0], 1);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetSamplerBorderColor(none, 0), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_ApplyStates(), 0);
  EXPECT_EQ(D3D11Sys.counters[kD3D11SamplerState], samplers);
  EXPECT_EQ(D3D11State.samplerOneOff[0], 0);
}

TEST_F(D3D11Test, TargetsOfDifferentSizesAreNotBoundTogether) {
  ASSERT_EQ(start(), 0);
  const D3D11_TEXTURE2D_DESC desc{256, 256, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                                  D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE, 0, 0};
  ID3D11Texture2D* small = nullptr;
  ID3D11RenderTargetView* view = nullptr;
  ASSERT_EQ(D3D11Device_CreateTexture2D(&desc, nullptr, &small), 0);
  ASSERT_EQ(D3D11Device_CreateRenderTargetView(small, nullptr, &view), 0);
  const float black[4] = {0, 0, 0, 0};
  D3D11DeviceContext_ClearRenderTargetView(view, black);
  clearTo(0, 0, 0);
  ID3D11Texture2D* screen = D3D11State.targetTexture[0];
  ID3D11RenderTargetView* screenView = D3D11State.targetView[0];
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetRenderTarget(small, view, 0), 0);  // beside the 640x480 depth buffer
  quad(0, {255, 255, 255, 255});
  Graphics_D3D11_FlushVertexBatch(-1, 0);
  BaseImage image{};
  ID3D11Texture2D* staging = nullptr;
  ASSERT_EQ(Graphics_D3D11_ReadbackTexture(small, nullptr, &image, &staging), 0);
  EXPECT_EQ(static_cast<const uint8_t*>(image.pixels)[4 * 4 + 4 * image.pitch], 0);  // nothing drawn there
  D3D11Texture2D_Release(staging);
  Graphics_D3D11_DeviceState_SetRenderTarget(screen, screenView, 0);
  D3D11RenderTargetView_Release(view);
  D3D11Texture2D_Release(small);
}

TEST_F(D3D11Test, TheBatchDrawsQueuedQuadsInOneCallAndStaysMapped) {
  ASSERT_EQ(start(), 0);
  clearTo(0, 0, 0);
  quad(0, {0, 0, 255, 255});
  Graphics_D3D11_FlushVertexBatch(-1, 0);
  // Nothing pending: the buffer stays mapped with the write pointer at its start.
  EXPECT_EQ(Graphics_D3D11_FlushVertexBatch(-1, 0), 0);
  ASSERT_NE(D3D11Batch.mapped, nullptr);
  EXPECT_EQ(D3D11Batch.write, D3D11Batch.mapped);
  EXPECT_EQ(D3D11Batch.pending, 0);

  resetJournal();
  setTracing(true);
  for (int i = 0; i < 100; ++i) quad(0, {0, 255, 0, 255}, i % 20, i / 20, i % 20 + 1, i / 20 + 1);
  Graphics_D3D11_FlushVertexBatch(-1, 0);
  int draws = 0;
  for (const std::string& call : trace())
    if (call.rfind("Draw(", 0) == 0) {
      ++draws;
      EXPECT_EQ(call, "Draw(600, 0)");
    }
  EXPECT_EQ(draws, 1);
  setTracing(false);
  EXPECT_EQ(pixel(19, 4), (Rgba{0, 255, 0, 255}));

  // Skipped draws are discarded and leave the buffer mapped.
  D3D11Batch.skipDraw = 1;
  quad(0, {255, 0, 0, 255}, 30, 30, 40, 40);
  Graphics_D3D11_FlushVertexBatch(-1, 0);
  D3D11Batch.skipDraw = 0;
  EXPECT_NE(D3D11Batch.mapped, nullptr);
  EXPECT_EQ(pixel(35, 35), (Rgba{0, 0, 0, 0}));

  // The colour word follows the device's vertex colour order.
  EXPECT_EQ(PackVertexColor(255, 0, 0, 255, 0) & 0xFF, 0xFFu);
  EXPECT_EQ(PackVertexColor(255, 0, 0, 255, 1) & 0xFF, 0u);
}

TEST(D3D11Wipe, BorderRangesScaleAndOffsetTheBlendAlpha) {
  const WipeSetup hard = ComputeWipe(0, 1, 0, 1);
  EXPECT_EQ(hard.alphaTest, 1);
  EXPECT_EQ(hard.reference, 1);
  EXPECT_EQ(ComputeWipe(90, 1, 0, 0).reference, 90);
  for (int n : {2, 64, 65, 128, 129, 255}) {
    // Parameter 0 shows everything (even where the blend graph is 0), 255 nothing (even
    // where it is 1), whatever the range.
    const WipeSetup all = ComputeWipe(0, n, 0, 0), none = ComputeWipe(255, n, 0, 0);
    EXPECT_EQ(none.alphaTest, 0);
    EXPECT_LE((1.0f + none.offset) * none.scale, 0.0f + 1e-6f) << n;
    EXPECT_GE((0.0f + all.offset) * all.scale, 1.0f - 1e-6f) << n;
  }
  EXPECT_EQ(ComputeWipe(128, 64, 0, 0).scale, 4.0f);
  EXPECT_EQ(ComputeWipe(128, 100, 0, 0).scale, 2.0f);
  EXPECT_EQ(ComputeWipe(128, 200, 0, 0).scale, 1.0f);
}

TEST_F(D3D11Test, FlipResizesPresentsAndReadsBack) {
  ASSERT_EQ(start(), 0);
  clearTo(10, 20, 30);
  BaseImage image{};
  ASSERT_EQ(Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, -1, 1, 0), 0);
  EXPECT_EQ(image.width, 640);
  EXPECT_GE(image.pitch, 640 * 4);
  const uint8_t* p = static_cast<const uint8_t*>(image.pixels);
  EXPECT_EQ(p[0], 10);
  EXPECT_EQ(p[1], 20);
  EXPECT_EQ(p[2], 30);
  EXPECT_EQ(Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, -1, 1, 0), -1);  // one lock at a time
  Graphics_D3D11_UnlockDrawTargetBuffer();
  const ImageRect outside{600, 400, 700, 500};
  EXPECT_EQ(Graphics_D3D11_LockDrawTargetBuffer(&outside, &image, -1, 1, 0), -1);
  EXPECT_EQ(D3D11SwapChainSys.lockStaging, nullptr);
  EXPECT_EQ(Graphics_D3D11_FlipScreen(), 0);

  // A mip-mapped single-sample texture reads back without a resolve.
  const D3D11_TEXTURE2D_DESC mipped{64, 64, 3, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                                    D3D11_BIND_SHADER_RESOURCE, 0, 0};
  ID3D11Texture2D* texture = nullptr;
  ASSERT_EQ(D3D11Device_CreateTexture2D(&mipped, nullptr, &texture), 0);
  resetJournal();
  ID3D11Texture2D* staging = nullptr;
  ASSERT_EQ(Graphics_D3D11_ReadbackTexture(texture, nullptr, &image, &staging), 0);
  EXPECT_EQ(callCount("ResolveSubresource"), 0);
  EXPECT_EQ(image.width, 64);
  D3D11Texture2D_Release(staging);
  D3D11Texture2D_Release(texture);

  // An empty user screen rectangle has nothing to show.
  GraphicsSys.userScreenRectSet = 1;
  GraphicsSys.userScreenRect = ImageRect{700, 500, 800, 600};
  ASSERT_EQ(Graphics_D3D11_SubBackBuffer_Setup(), 0);
  EXPECT_EQ(Graphics_D3D11_FlipScreen(), -1);
  GraphicsSys.userScreenRectSet = 0;
  EXPECT_EQ(Graphics_D3D11_FlipScreen(), 0);

  // A second call for a window gives its slot back without making another chain.
  EXPECT_EQ(Graphics_D3D11_CreateSwapChain(GetMainWindowHandle(), 1), 0);
  EXPECT_EQ(D3D11SwapChainSys.count, 1);
}

TEST_F(D3D11Test, ARectangleClearLeavesTheRestAndAResizedClientGetsNewBuffers) {
  ASSERT_EQ(start(), 0);
  clearTo(0, 0, 0);
  GraphicsDrawSettings.backgroundRed = 255;
  const ImageRect part{10, 10, 20, 20};
  ASSERT_EQ(Graphics_D3D11_ClearDrawTarget(&part), 0);
  EXPECT_EQ(pixel(15, 15), (Rgba{255, 0, 0, 0}));
  EXPECT_EQ(pixel(10, 10), (Rgba{255, 0, 0, 0}));
  EXPECT_EQ(pixel(20, 20), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(pixel(5, 5), (Rgba{0, 0, 0, 0}));

  // The window's client area grew: the next flip resizes the buffers and copies the
  // screen through the sub back buffer.
  Win.Status.ClientRect.right = Win.Status.ClientRect.left + 800;
  Win.Status.ClientRect.bottom = Win.Status.ClientRect.top + 600;
  ASSERT_EQ(Graphics_D3D11_FlipScreen(), 0);
  EXPECT_EQ(D3D11SwapChainSys.slots[0].backBufferDesc.Width, 800u);
  EXPECT_EQ(D3D11SwapChainSys.slots[0].backBufferDesc.Height, 600u);
  EXPECT_NE(D3D11BackendSys.subBackBuffer, nullptr);
  ASSERT_EQ(Graphics_D3D11_FlipScreen(), 0);
}

// A layered window shows the screen through the window part, and a minimised window is not
// presented; neither reaches the swap chain's Present (made to fail here to tell).
TEST_F(D3D11Test, ALayeredOrMinimisedWindowIsNotPresentedThroughTheSwapChain) {
  ASSERT_EQ(start(), 0);
  const plat::win::HWND window = GetDisplayWindowHandle();
  Profile p = defaultProfile();
  p.presentFails = true;
  setProfile(p);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    clearTo(10, 20, 30 + round);
    ASSERT_EQ(SetWindowLayeredMode(1), 0);
    int presents = plat::win::GetPresentCount(window);
    const int target = GraphicsDrawSettings.targets[0].handle;
    EXPECT_EQ(Graphics_D3D11_FlipScreen(), 0);
    EXPECT_EQ(plat::win::GetPresentCount(window), presents + 1);  // the layered picture
    EXPECT_EQ(GraphicsDrawSettings.targets[0].handle, target);    // the draw target put back
    ASSERT_EQ(SetWindowLayeredMode(0), 0);

    Win.Status.Minimized = 1;
    presents = plat::win::GetPresentCount(window);
    EXPECT_EQ(Graphics_D3D11_FlipScreen(), 0);
    EXPECT_EQ(plat::win::GetPresentCount(window), presents);
    Win.Status.Minimized = 0;
    EXPECT_EQ(Graphics_D3D11_FlipScreen(), -1);  // the swap chain's own present is reached again
  }
  setProfile(defaultProfile());
  EXPECT_EQ(Graphics_D3D11_FlipScreen(), 0);
}

TEST_F(D3D11Test, TheEmulated320x240ScreenIsShownAt640x480) {
  ASSERT_EQ(start(), 0);
  GraphicsSys.emulate320x240 = 1;
  ASSERT_EQ(Graphics_D3D11_SubBackBuffer_Setup(), 0);
  clearTo(0, 0, 0);
  quad(0, {255, 0, 0, 255}, 310, 230, 320, 240);
  ASSERT_EQ(Graphics_D3D11_FlipScreen(), 0);
  GraphicsSys.emulate320x240 = 0;
  BaseImage image{};
  ID3D11Texture2D* staging = nullptr;
  ASSERT_EQ(Graphics_D3D11_ReadbackTexture(D3D11SwapChainSys.slots[0].backBuffer, nullptr, &image, &staging), 0);
  auto at = [&](int x, int y) { return static_cast<const uint8_t*>(image.pixels)[size_t(y) * size_t(image.pitch) + size_t(x) * 4]; };
  EXPECT_EQ(at(630, 470), 255);  // source (315, 235), doubled
  EXPECT_EQ(at(600, 440), 0);    // source (300, 220)
  D3D11Texture2D_Release(staging);
}

TEST_F(D3D11Test, TheTwoHundredFiftySeventhSwapChainIsRefused) {
  ASSERT_EQ(start(), 0);
  plat::win::WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = plat::win::DefWindowProcW;
  cls.lpszClassName = u"D3D11Chains";
  ASSERT_NE(plat::win::RegisterClassExW(&cls), 0);
  std::vector<plat::win::HWND> windows;
  for (int i = 0; i < kD3D11MaxSwapChains; ++i)
    windows.push_back(plat::win::CreateWindowExW(0, u"D3D11Chains", u"c", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr,
                                                 nullptr));
  // Slot 0 is the main window's: 255 more fit.
  for (int i = 0; i < kD3D11MaxSwapChains - 1; ++i) ASSERT_EQ(Graphics_D3D11_CreateSwapChain(windows[size_t(i)], 0), i + 1);
  EXPECT_EQ(Graphics_D3D11_CreateSwapChain(windows.back(), 0), -1);
  EXPECT_EQ(Graphics_D3D11_CreateSwapChain(windows[0], 0), 1);  // its own slot again
  for (int i = 0; i < kD3D11MaxSwapChains - 1; ++i) EXPECT_EQ(Graphics_D3D11_SwapChain_Release(windows[size_t(i)], -1), 0);
  EXPECT_EQ(D3D11SwapChainSys.count, 1);
  for (plat::win::HWND w : windows) plat::win::DestroyWindow(w);
  plat::win::UnregisterClassW(u"D3D11Chains", nullptr);
}

TEST(D3D11Key, TextureAlphaFlagsFollowTheKeyBlendModeAndSampling) {
  const struct {
    int key, mode, drawMode;
    KeyAlphaFlags want;
  } cases[] = {
      {0x18001, 1, 0, {0, 1}},  // blending: the alpha channel counts
      {0x38001, 0, 0, {1, 1}},  // no blending, nearest: the graph's own flags
      {0x38003, 0, 1, {1, 1}},  // bilinear but asked for the graph's flags
      {0x38001, 0, 1, {0, 1}},  // bilinear: blended as alpha
      {0x30001, 1, 0, {0, 0}},  // without 0x8000 nothing counts
      {0x08001, 1, 0, {0, 0}},  // a graph without alpha
  };
  for (const auto& c : cases) {
    const KeyAlphaFlags f = DecodeKeyAlphaFlags(c.key, c.mode, c.drawMode);
    EXPECT_EQ(f.premultiplied, c.want.premultiplied) << std::hex << c.key;
    EXPECT_EQ(f.alphaChannel, c.want.alphaChannel) << std::hex << c.key;
  }
}

TEST_F(D3D11Test, DrawPreparationBringsTheFrontsSettingsIn) {
  ASSERT_EQ(start(), 0);
  GraphicsDrawSettings.blendMode = 2;
  GraphicsDrawSettings.samplingMode = 1;
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0x20), 0);
  EXPECT_EQ(D3D11State.blendMode, 2);
  EXPECT_EQ(D3D11State.blendModeIndex, 2);
  EXPECT_EQ(D3D11State.samplerDesc[0].Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR);
  EXPECT_EQ(D3D11State.keyChanged, 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_ApplyStates(), 0);  // the first draw makes the objects
  // Again with nothing changed: nothing new is made.
  const int blends = D3D11Sys.counters[kD3D11BlendState];
  resetJournal();
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0x20), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_ApplyStates(), 0);
  EXPECT_EQ(D3D11Sys.counters[kD3D11BlendState], blends);
  EXPECT_EQ(callCount("CreateSamplerState"), 0);
  GraphicsDrawSettings.blendMode = 0;
  GraphicsDrawSettings.samplingMode = 0;
}

TEST(D3D11Flip, AnOffsetDestinationKeepsTheWholeSourceInProportion) {
  // A 640x480 screen centred at x 160 in an 800-wide buffer: nothing is cut.
  plat::win::RECT src{0, 0, 640, 480}, dest{80, 0, 720, 480};
  D3D11_ClipFlipRects(&src, &dest, 800, 600);
  EXPECT_EQ(src.right, 640);
  EXPECT_EQ(dest.right, 720);
  // Passing the right edge by 80 of a 640-wide destination cuts an eighth of the source.
  src = {0, 0, 640, 480};
  dest = {240, 0, 880, 480};
  D3D11_ClipFlipRects(&src, &dest, 800, 600);
  EXPECT_EQ(dest.right, 800);
  EXPECT_EQ(src.right, 560);
  src = {0, 0, 320, 240};
  dest = {0, 300, 640, 780};
  D3D11_ClipFlipRects(&src, &dest, 800, 600);
  EXPECT_EQ(dest.bottom, 600);
  EXPECT_EQ(src.bottom, 240 - 180 * 240 / 480);
}

TEST_F(D3D11Test, ReCreationFollowsTheNewModeAndReportsFailure) {
  ASSERT_EQ(start(), 0);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(Graphics_D3D11_RecreateDevice(1, 800, 600, 32, 60), 0);
    EXPECT_EQ(D3D11BackendSys.deviceReady, 1);
    D3D11_TEXTURE2D_DESC d{};
    D3D11BackendSys.depthTexture->GetDesc(&d);
    EXPECT_EQ(d.Width, 800u);
    EXPECT_EQ(d.Height, 600u);
    ASSERT_EQ(Graphics_D3D11_FlipScreen(), 0);
  }
  Profile p = defaultProfile();
  p.failOnCall["dxgi.CreateSwapChain"] = 1;
  setProfile(p);
  resetJournal();  // the failing call is counted from here
  EXPECT_EQ(Graphics_D3D11_RecreateDevice(1, 640, 480, 32, 60), -1);
  EXPECT_EQ(D3D11BackendSys.deviceReady, 0);
  EXPECT_EQ(GraphicsSys.hardware, 0);
  EXPECT_EQ(D3D11Device_IsValid(), 0);
  for (int kind = 0; kind < kD3D11ObjectKinds; ++kind) EXPECT_EQ(D3D11Sys.counters[kind], 0) << kind;
}

}  // namespace
}  // namespace d3d11test

namespace d3d11test {
namespace {

// Lights 0..5 are kept with the highest one on; later ones are the front's alone.
TEST_F(D3D11Test, LightsByIndexKeepTheFirstSix) {
  ASSERT_EQ(start(), 0);
  EXPECT_EQ(D3D11State.lightHighest, -1);
  const struct {
    int index, flag, result, highest;
  } steps[] = {{2, 1, 0, 2}, {4, 1, 0, 4}, {4, 0, 0, 2}, {7, 1, 0, 2}, {-1, 1, -1, 2}, {2, 0, 0, -1}};
  for (const auto& s : steps) {
    EXPECT_EQ(Graphics_D3D11_SetLightEnableByIndex(s.index, s.flag), s.result) << s.index;
    EXPECT_EQ(D3D11State.lightHighest, s.highest) << s.index;
  }
  LightParam light{};
  light.kind = kLightSpot;
  light.range = 50.0f;
  EXPECT_EQ(Graphics_D3D11_SetLightParamByIndex(5, &light), 0);
  EXPECT_EQ(D3D11State.lights[5].kind, kLightSpot);
  EXPECT_EQ(D3D11State.lights[5].range, 50.0f);
  EXPECT_EQ(Graphics_D3D11_SetLightParamByIndex(6, &light), 0);
  EXPECT_EQ(Graphics_D3D11_SetLightParamByIndex(0, nullptr), -1);
}

// The screen draws with its depth buffer; a graph target (which holds none) without one.
TEST_F(D3D11Test, TheDepthBufferFollowsTheDrawTarget) {
  ASSERT_EQ(start(), 0);
  const int g = MakeDrawableGraph(64, 64, 0);
  ASSERT_GE(g, 0);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(Graphics_D3D11_BindDepthBufferForDrawTarget(), 0);
    EXPECT_EQ(D3D11State.depthView, nullptr);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    EXPECT_EQ(Graphics_D3D11_BindDepthBufferForDrawTarget(), 0);
    EXPECT_EQ(D3D11State.depthView, D3D11BackendSys.depthView);
    EXPECT_NE(D3D11State.depthView, nullptr);
  }
}

}  // namespace
}  // namespace d3d11test

namespace d3d11test {
namespace {

// Vertex-grid strips: every draw within the limit and every cell's two triangles drawn
// exactly once, whatever the grid's shape (rows longer than one draw included).
TEST(HwDrawGeometry, GridStripsCoverEveryCellWithinTheLimit) {
  for (const auto& [columns, rows, limit] : {std::tuple{600, 2, 1000}, std::tuple{3, 40, 1000},
                                             std::tuple{501, 3, 1000}, std::tuple{2, 2, 1000}, std::tuple{9, 9, 8}}) {
    SCOPED_TRACE(testing::Message() << columns << "x" << rows << " limit " << limit);
    std::set<std::array<int, 3>> triangles;
    int draws = 0, duplicates = 0;
    const int r = ForEachVertexGridDraw(columns, rows, limit, [&](const uint16_t* idx, int n) {
      ++draws;
      EXPECT_LE(n, limit);
      for (int i = 0; i + 2 < n; ++i) {
        std::array<int, 3> t{idx[i], idx[i + 1], idx[i + 2]};
        if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
        std::sort(t.begin(), t.end());
        if (!triangles.insert(t).second) ++duplicates;
      }
      return 0;
    });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(int(triangles.size()), 2 * (columns - 1) * (rows - 1));
    EXPECT_EQ(duplicates, 0);
    EXPECT_GE(draws, 1);
  }
  // A failing draw stops the walk with its result.
  int calls = 0;
  EXPECT_EQ(ForEachVertexGridDraw(600, 4, 1000, [&](const uint16_t*, int) { return ++calls == 2 ? -1 : 0; }), -1);
  EXPECT_EQ(calls, 2);
}

TEST(HwDrawGeometry, ParallelogramsAndGridInsets) {
  const float px[4] = {0, 10, 3, 13.5f}, py[4] = {0, 0, 10, 10.5f};
  EXPECT_TRUE(IsParallelogram(px, py));
  const float tx[4] = {0, 10, -5, 15}, ty[4] = {0, 0, 10, 10};
  EXPECT_FALSE(IsParallelogram(tx, ty));
  // Inner edges move in by a thousandth of a texel's step; the texture's own edges stay.
  float u0 = 0.0f, v0 = 0.25f, u1 = 1.0f, v1 = 0.5f;
  InsetGridTexCoords(0, 0, 100, 50, &u0, &v0, &u1, &v1);
  EXPECT_EQ(u0, 0.0f);
  EXPECT_EQ(u1, 1.0f);
  EXPECT_FLOAT_EQ(v0, 0.25f + 0.25f / 50 * 0.001f);
  EXPECT_FLOAT_EQ(v1, 0.5f - 0.25f / 50 * 0.001f);
}

// The blend rule for the graph point (80, 32) drawn at screen (200, 40), over a blend
// piece whose top-left is graph position (64, 0) at u 0.5 of a 128 x 64 texture.
TEST(HwDrawGeometry, BlendCoordinatesFollowThePositionMode) {
  GraphTextureTile tile{};
  tile.textureWidth = 128;
  tile.textureHeight = 64;
  GraphDrawPiece blend{};
  blend.corner[0] = GraphPieceCorner{64, 0, 0.5f, 0.0f};
  blend.tile = &tile;
  struct Case {
    int mode, x, y;
    float u, v;
  };
  const Case cases[] = {
      {0, 0, 0, 0.625f, 0.5f},     // on the graph
      {0, 16, 8, 0.75f, 0.625f},   // moved by the position
      {2, 16, 8, 0.75f, 0.625f},   // any mode but 1 is on the graph
      {1, 0, 0, 1.5625f, 0.625f},  // fixed on the screen
      {1, 16, 8, 1.4375f, 0.5f},   // at the position
  };
  const RenderState saved = GraphicsRender;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode * 100 + c.x);
    GraphicsRender.blendGraphPositionMode = c.mode;
    GraphicsRender.blendGraphX = c.x;
    GraphicsRender.blendGraphY = c.y;
    float u = 0, v = 0;
    BlendGraphVertexCoord(blend, 80, 32, 200, 40, &u, &v);
    EXPECT_FLOAT_EQ(u, c.u);
    EXPECT_FLOAT_EQ(v, c.v);
  }
  GraphicsRender = saved;
}

}  // namespace
}  // namespace d3d11test

namespace d3d11test {

// The refresh timer presents the front screen every 32 ms whether or not anything was
// drawn: each refresh shows the last clear or batched quad, never an older frame, and a
// refresh with nothing drawn since shows the same frame again (and still counts).
TEST_F(D3D11Test, TheFrontScreenRefreshShowsEveryDrawSinceTheLastOne) {
  setenv("HALVORINE_FRAME_DUMP", "/dev/null", 1);
  ASSERT_EQ(start(), 0);
  plat::win::HoldClockForTest(plat::win::MonotonicNanoseconds());
  SetDrawTarget(-4);
  Graphics_Hardware_SetFrontScreenTimer(-4);
  ProcessWindowMessages();
  const plat::win::HWND window = GetMainWindowHandle();
  uint32_t corner = 0, inside = 0;
  for (int round = 0; round < 600; ++round) {
    const int c = round % 251;
    switch (round % 4) {
      case 0:  // a clear of the whole screen
        clearTo(c, 255 - c, 7);
        corner = inside = uint32_t(c) << 16 | uint32_t(255 - c) << 8 | 7u;
        break;
      case 1:  // a quad waiting in the batch until the flip
        quad(0, Rgba{9, c, 200, 255}, 4, 4, 12, 12);  // mode 0: no blending
        inside = 9u << 16 | uint32_t(c) << 8 | 200u;
        break;
      default:  // nothing drawn
        break;
    }
    const int before = plat::win::GetPresentCount(window);
    plat::win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    ASSERT_EQ(plat::win::GetPresentCount(window), before + 1) << "round " << round;
    int w = 0, h = 0;
    const std::vector<uint32_t> frame = plat::win::GetKeptFrameForTest(&w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    ASSERT_EQ(frame[0] & 0xFFFFFFu, corner) << "round " << round;
    ASSERT_EQ(frame[8 * 640 + 8] & 0xFFFFFFu, inside) << "round " << round;
  }
  unsetenv("HALVORINE_FRAME_DUMP");
}

}  // namespace d3d11test
