// Direct3D 9 start-up, its failures, the sub back buffer, the depth buffer, device loss
// and re-creation.
#include "media/graphics/screen.h"
#include "media/system/window_state.h"
#include "tests/media/graphics/d3d9/d3d9_fixture.h"

namespace d3d9test {
namespace {

using halvorine_test::LogCapture;
using halvorine_test::logHasInOrder;

TEST_F(D3D9BackEnd, StartsInItsOrderWhenDirect3D11IsMissing) {
  attach();
  EXPECT_TRUE(logHasInOrder({u"d3d11.dll の読み込み.... 失敗", u"DirectDraw オブジェクトの取得を行います....  成功",
                             u"引き続き初期化処理... 初期化に成功しました", u"IDirect3D9Ex オブジェクトを取得します.... 成功",
                             u"IDirect3DDevice9Ex オブジェクトを取得します.... ハードウエア頂点演算を使用します",
                             u"Ｚバッファを作成します.... 成功", u"プログラマブルシェーダーを使用します"}));
  // The depth buffer takes the powers of two of the screen.
  EXPECT_EQ(D3D9BackendSys.depthWidth, 1024);
  EXPECT_EQ(D3D9BackendSys.depthHeight, 512);
  D3DSURFACE_DESC desc{};
  ASSERT_NE(D3D9BackendSys.depthSurface, nullptr);
  D3D9BackendSys.depthSurface->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3D9DeviceSys.depthFormat[0]);
  // A window draws straight into the back buffer.
  EXPECT_EQ(D3D9BackendSys.subSurface, nullptr);
  EXPECT_EQ(GraphicsSys.hardware, 1);
}

TEST_F(D3D9BackEnd, FullScreenOnPowerOfTwoTexturesGetsASquareSubBackBuffer) {
  D3DCAPS9 caps = DefaultD3D9Caps();
  caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  SetD3D9CapsForTest(&caps);
  D3D9BackendSys.depthBitsUser = 1;
  D3D9BackendSys.depthBits = 24;
  SetScreenMode(800, 600, 32, 0);
  ChangeWindowMode(0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
  ASSERT_NE(D3D9BackendSys.subTexture, nullptr);
  EXPECT_EQ(D3D9BackendSys.subWidth, 1024);
  EXPECT_EQ(D3D9BackendSys.subHeight, 1024);
  EXPECT_EQ(D3D9BackendSys.depthWidth, 1024);
  EXPECT_EQ(D3D9BackendSys.depthHeight, 1024);
  D3DSURFACE_DESC desc{};
  D3D9BackendSys.depthSurface->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3D9DeviceSys.depthFormat[1]);
  EXPECT_EQ(D3D9State.targets[0], D3D9BackendSys.subSurface);
  D3D9BackendSys.depthBitsUser = 0;
  D3D9BackendSys.depthBits = 0;
}

TEST_F(D3D9BackEnd, AFailureAtEachStepFallsToSoftwareWithNothingLeft) {
  const struct {
    const char* name;
    const char* missing;  // stand-ins taken away
    const char* failing;  // face method that fails where start-up makes the depth buffer
    int deviceFailures;
  } steps[] = {
      {"library", "d3d11,d3d9", nullptr, 0},
      {"DirectDraw", "d3d11,ddraw", nullptr, 0},
      {"device", "d3d11", nullptr, 8},  // four sizes, two vertex processings each
      {"depth buffer", "d3d11", "d3d9.CreateDepthStencilSurface", 0},
  };
  // The depth buffer is the last depth surface start-up makes.
  ASSERT_EQ(startWindowed(), 0);
  const int depthCall = callCount("d3d9.CreateDepthStencilSurface");
  TerminateLibrary();
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    resetJournal();
    setenv("HALVORINE_MISSING", s.missing, 1);
    Profile p = defaultProfile();
    if (s.failing != nullptr) p.failOnCall[s.failing] = depthCall;
    setProfile(p);
    SetCreateDeviceExFailsForTest(s.deviceFailures ? 0xFF : 0);
    SetCreateDeviceFailuresForTest(s.deviceFailures);
    const int started = startWindowed();
    EXPECT_NE(GraphicsApiType, kGraphicsApiD3D9);
    EXPECT_EQ(D3D9Sys.device, nullptr);
    EXPECT_EQ(D3D9Sys.direct3D, nullptr);
    EXPECT_EQ(D3D9BackendSys.depthSurface, nullptr);
    EXPECT_EQ(GraphicsSys.hardware, 0);
    // Software mode needs DirectDraw too: without it nothing starts.
    if (std::string(s.name) != "DirectDraw") {
      EXPECT_EQ(started, 0);
      EXPECT_EQ(GraphicsApiType, kGraphicsApiSoftware);
    }
    TerminateLibrary();
    resetProfile();
    ResetD3D9SwitchesForTest();
  }
}

TEST_F(D3D9BackEnd, ALostDeviceIsMadeAgainOnActivationAndShowsTheBackground) {
  attach();
  for (int round = 0; round < 2; ++round) {
    forgetLog();
    clearTo(0, 0, 200);
    LoseDeviceForTest(D3D9Sys.device);
    resetJournal();
    HandleWindowActivation(0, 0, 0, 0);
    HandleWindowActivation(1, 0, 0, 0);
    // (An earlier refused Ex device keeps the process on plain Direct3D 9.)
    EXPECT_TRUE(logHasInOrder({u"Direct3DDevice9 の解放 2", u"IDirect3DDevice9",
                               u"Ｚバッファを作成します.... 成功"}));
    ASSERT_EQ(Direct3DDevice9_IsValid(), 1);
    EXPECT_EQ(Direct3DDevice9_TestCooperativeLevel(), 0);
    // The whole cache went to the new device.
    EXPECT_GT(callCount("d3d9.SetSamplerState"), 16);
    EXPECT_GT(callCount("d3d9.SetTextureStageState"), 16);
    clearTo(0, 0, 200);
    EXPECT_EQ(pixel(320, 240), (Rgb{0, 0, 200}));
  }
}

TEST_F(D3D9BackEnd, RecreationChangesTheModeOrKeepsTheDrawAreaAndFailsWhenTheDeviceCannotBeMade) {
  attach();
  DrawSettings& s = GraphicsDrawSettings;
  s.drawArea = ImageRect{10, 20, 110, 220};
  Graphics_D3D9_SetDrawArea(10, 20, 110, 220);
  ASSERT_EQ(Graphics_D3D9_RecreateDevice(0, -1, -1, -1, -1), 0);
  EXPECT_EQ(D3D9State.viewport.X, 10u);
  EXPECT_EQ(D3D9State.viewport.Height, 200u);

  ASSERT_EQ(Graphics_D3D9_RecreateDevice(1, 800, 600, 32, 60), 0);
  EXPECT_EQ(GraphicsSys.width, 800);
  EXPECT_EQ(GraphicsSys.height, 600);
  EXPECT_EQ(GraphicsSys.refreshRate, 60);
  EXPECT_EQ(D3D9State.viewport.X, 0u);
  EXPECT_EQ(D3D9State.viewport.Width, 800u);

  // The device cannot be made again: the failure is reported and nothing claims a device.
  SetCreateDeviceExFailsForTest(0xFF);
  SetCreateDeviceFailuresForTest(8);
  EXPECT_EQ(Graphics_D3D9_RecreateDevice(0, -1, -1, -1, -1), -1);
  EXPECT_EQ(D3D9BackendSys.deviceReady, 0);
  EXPECT_EQ(GraphicsSys.hardware, 0);
  EXPECT_EQ(Direct3DDevice9_IsValid(), 0);
  ResetD3D9SwitchesForTest();
}

}  // namespace
}  // namespace d3d9test
