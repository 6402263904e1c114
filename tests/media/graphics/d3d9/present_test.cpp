// Direct3D 9 presentation: the layouts of a window and of full screen, the user source
// rectangle, and the textured-quad copy into the display rectangle.
#include "media/graphics/display.h"
#include "media/graphics/screen.h"
#include "media/graphics/hwdraw/window_dest.h"
#include "media/graphics/render_settings.h"
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

void resizeClient(int width, int height) {
  plat::win::WindowEvent e;
  e.kind = plat::win::WindowEvent::Kind::Resized;
  e.x = width, e.y = height;
  plat::win::InjectWindowEvent(GetDisplayWindowHandle(), e);
  ProcessWindowMessages();
}

// Paints a rectangle of the window's frame as something else might have left it.
void smear(const plat::win::RECT& r) {
  const plat::win::HBRUSH brush = plat::win::CreateSolidBrush(0xFF00FF);
  plat::win::FillRect(plat::win::GetDC(GetDisplayWindowHandle()), &r, brush);
  plat::win::DeleteObject(brush);
}

TEST_F(D3D9BackEnd, TheCentredLayoutPaintsItsBordersForThreePresentsAfterEachResize) {
  SetWindowCentreLayout(1);
  attach();
  const Rgb red{200, 0, 0}, green{0, 160, 0}, magenta{255, 0, 255};
  for (int round = 0; round < 2; ++round) {
    // The window's paint after the resize may present once already.
    const int before = plat::win::GetPresentCount(GetDisplayWindowHandle());
    resizeClient(700, 521);
    const int early = plat::win::GetPresentCount(GetDisplayWindowHandle()) - before;
    ASSERT_LE(early, 3);
    // The picture is centred: (60, 41) of free space gives (30, 20) at the top left.
    clearTo(200, 0, 0);
    SetBackgroundColor(0, 160, 0);
    for (int n = early + 1; n <= 4; ++n) {
      smear(plat::win::RECT{0, 0, 700, 20});
      smear(plat::win::RECT{0, 500, 700, 521});
      smear(plat::win::RECT{0, 20, 30, 500});
      smear(plat::win::RECT{670, 20, 700, 500});
      const Frame f = present();
      ASSERT_EQ(f.width, 700);
      ASSERT_EQ(f.height, 521);
      EXPECT_EQ(f.at(30, 20), red);
      EXPECT_EQ(f.at(669, 499), red);
      // Three presents repaint every border strip; the fourth leaves them.
      const Rgb border = n <= 3 ? green : magenta;
      EXPECT_EQ(f.at(350, 0), border) << n;
      EXPECT_EQ(f.at(350, 520), border) << n;
      EXPECT_EQ(f.at(0, 250), border) << n;
      EXPECT_EQ(f.at(29, 499), border) << n;
      EXPECT_EQ(f.at(670, 20), border) << n;
    }

    // Edges within 2 pixels of the client's take its edges: the client equals the
    // destination, the picture covers it all and no border is painted.
    resizeClient(642, 481);
    clearTo(200, 0, 0);
    for (int n = 1; n <= 3; ++n) {
      const Frame f = present();
      ASSERT_EQ(f.width, 642);
      EXPECT_EQ(f.at(0, 0), red);
      EXPECT_EQ(f.at(641, 480), red);
    }
  }
  SetWindowCentreLayout(0);
}

TEST_F(D3D9BackEnd, TheWindowDestinationFollowsTheCentredLayoutAndTheRates) {
  attach();
  struct Row {
    int centred, clientWidth, clientHeight;
    double rate;
    plat::win::RECT dest;
    int borders;
  };
  const Row rows[] = {
      {0, 640, 480, 1.0, {0, 0, 640, 480}, 0},
      {0, 1280, 960, 2.0, {0, 0, 1280, 960}, 0},
      {1, 640, 480, 1.0, {0, 0, 640, 480}, 1},
      {1, 800, 600, 1.0, {80, 60, 720, 540}, 1},
      {1, 643, 483, 1.0, {0, 0, 643, 483}, 1},   // 1-pixel offsets snap out to the edges
      {1, 646, 480, 1.0, {3, 0, 643, 480}, 1},   // 3 pixels do not
      {1, 600, 400, 1.0, {-20, -40, 620, 440}, 1},  // a smaller client cuts the picture
      {1, 1000, 1000, 1.5, {20, 140, 980, 860}, 1},
  };
  for (const Row& r : rows) {
    SetWindowCentreLayout(r.centred);
    SetWindowStretchRate(r.rate, r.rate);
    resizeClient(r.clientWidth, r.clientHeight);
    const WindowDestLayout l = ComputeWindowDest(640, 480);
    EXPECT_EQ(l.dest.left, r.dest.left) << r.clientWidth;
    EXPECT_EQ(l.dest.top, r.dest.top) << r.clientWidth;
    EXPECT_EQ(l.dest.right, r.dest.right) << r.clientWidth;
    EXPECT_EQ(l.dest.bottom, r.dest.bottom) << r.clientWidth;
    EXPECT_EQ(l.borders, r.borders) << r.clientWidth;
  }
  SetWindowCentreLayout(0);
  SetWindowStretchRate(1.0, 1.0);
}

TEST_F(D3D9BackEnd, ALayeredWindowIsNotPresentedThroughTheSwapChain) {
  attach();
  ASSERT_EQ(SetWindowLayeredMode(2), 0);
  resetJournal();
  const int presents = plat::win::GetPresentCount(GetDisplayWindowHandle());
  // The screen goes to the window part as a picture (one present of the window), not
  // through the swap chain.
  EXPECT_EQ(Graphics_D3D9_FlipScreen(), 0);
  EXPECT_EQ(callCount("d3d9.SwapChainPresent"), 0);
  EXPECT_EQ(plat::win::GetPresentCount(GetDisplayWindowHandle()), presents + 1);
  ASSERT_EQ(SetWindowLayeredMode(0), 0);
  resetJournal();
  EXPECT_EQ(Graphics_D3D9_FlipScreen(), 0);
  EXPECT_EQ(callCount("d3d9.SwapChainPresent"), 1);
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
