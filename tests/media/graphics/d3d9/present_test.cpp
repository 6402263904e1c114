// Direct3D 9 presentation: the layouts of a window and of full screen, the user source
// rectangle, and the textured-quad copy into the display rectangle.
#include "media/graphics/display.h"
#include "media/graphics/screen.h"
#include "platform/win/window_test.h"
#include "tests/media/graphics/d3d9/d3d9_fixture.h"

namespace d3d9test {
namespace {

// Left half one colour, right half another, on the screen's surface.
void halves() {
  GraphicsDrawSettings.backgroundRed = 250;
  GraphicsDrawSettings.backgroundGreen = 0;
  GraphicsDrawSettings.backgroundBlue = 0;
  Graphics_D3D9_ClearDrawTarget(nullptr);
  GraphicsDrawSettings.backgroundRed = 0;
  GraphicsDrawSettings.backgroundBlue = 250;
  const ImageRect right{GraphicsSys.width / 2, 0, GraphicsSys.width, GraphicsSys.height};
  Graphics_D3D9_ClearDrawTarget(&right);
}

TEST_F(D3D9BackEnd, AWindowShowsTheScreenAndAUserRectangleScaledUp) {
  attach();
  ASSERT_EQ(Graphics_D3D9_SubBackBuffer_Setup(), 0);
  for (int round = 0; round < 3; ++round) {
    halves();
    Frame f = present();
    ASSERT_EQ(f.width, 640);
    EXPECT_EQ(f.at(319, 100), (Rgb{250, 0, 0}));
    EXPECT_EQ(f.at(320, 100), (Rgb{0, 0, 250}));

    // The right half alone fills the window.
    GraphicsSys.userScreenRectSet = 1;
    GraphicsSys.userScreenRect = ImageRect{320, 0, 640, 480};
    f = present();
    EXPECT_EQ(f.at(0, 100), (Rgb{0, 0, 250}));
    EXPECT_EQ(f.at(639, 479), (Rgb{0, 0, 250}));

    // A rectangle outside the screen clips to nothing: nothing is presented.
    GraphicsSys.userScreenRect = ImageRect{700, 500, 800, 600};
    const int presents = plat::win::GetPresentCount(GetDisplayWindowHandle());
    EXPECT_EQ(Graphics_D3D9_FlipScreen(), -1);
    EXPECT_EQ(plat::win::GetPresentCount(GetDisplayWindowHandle()), presents);
    GraphicsSys.userScreenRectSet = 0;
  }
}

TEST_F(D3D9BackEnd, TheDoubleSizeSettingShowsA320x240ScreenAt640x480) {
  attach();
  GraphicsSys.emulate320x240 = 1;
  GraphicsDrawSettings.backgroundRed = 0;
  GraphicsDrawSettings.backgroundGreen = 90;
  GraphicsDrawSettings.backgroundBlue = 0;
  Graphics_D3D9_ClearDrawTarget(nullptr);
  const ImageRect corner{0, 0, 160, 120};
  GraphicsDrawSettings.backgroundRed = 90;
  Graphics_D3D9_ClearDrawTarget(&corner);
  const Frame f = present();
  GraphicsSys.emulate320x240 = 0;
  // The screen's quarter at the top left becomes the window's.
  EXPECT_EQ(f.at(319, 239), (Rgb{90, 90, 0}));
  EXPECT_EQ(f.at(320, 240), (Rgb{0, 90, 0}));
  EXPECT_EQ(f.at(639, 479), (Rgb{0, 90, 0}));
}

TEST_F(D3D9BackEnd, FullScreenInScalingModeZeroDrawsTheScreenIntoTheDisplayRectangle) {
  SetScreenMode(800, 600, 32, 0);
  ChangeWindowMode(0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
  ASSERT_NE(D3D9BackendSys.subTexture, nullptr);
  GraphicsSys.scalingMode = 0;
  for (int round = 0; round < 3; ++round) {
    clearTo(0, 0, 120 + round);
    resetJournal();
    ASSERT_EQ(Graphics_D3D9_FlipScreen(), 0);
    EXPECT_EQ(callCount("d3d9.DrawPrimitiveUP"), 1);
    ASSERT_EQ(CalcScreenDestRect(), 0);
    const ImageRect& d = GraphicsSys.destRect;
    IDirect3DSurface9* back = D3D9DeviceSys.backBuffer;
    IDirect3DSurface9* copy = nullptr;
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    ASSERT_EQ(D3D9Sys.device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                         &copy, nullptr),
              D3D_OK);
    ASSERT_EQ(D3D9Sys.device->GetRenderTargetData(back, copy), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto at = [&](int x, int y) {
      const uint8_t* p = static_cast<const uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + size_t(x) * 4;
      return Rgb{p[2], p[1], p[0]};
    };
    EXPECT_EQ(at((d.left + d.right) / 2, (d.top + d.bottom) / 2), (Rgb{0, 0, 120 + round}));
    EXPECT_EQ(at(d.left, d.top), (Rgb{0, 0, 120 + round}));
    copy->UnlockRect();
    copy->Release();
    // The copy put the front's draw state back.
    EXPECT_EQ(D3D9State.targets[0], D3D9BackendSys.subSurface);
  }
}

}  // namespace
}  // namespace d3d9test
