// The Direct3D 9 mask screen: a box drawn through a checkerboard mask gives the frame the
// software mask gives, also with a 1-bit mask alpha where mask byte 1 blocks as 255 does;
// the texture sizes; a draw end without masking; the mask across device losses.
#include <cstdlib>
#include <vector>

#include "d3d9_fixture.h"
#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/draw.h"
#include "tests/media/graphics/mask_cases.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"

namespace d3d9test {
namespace {

using namespace maskcases;

class D3D9Mask : public D3D9BackEnd {
 protected:
  void TearDown() override {
    D3D9MaskImageFormatForTest = D3DFMT_UNKNOWN;
    D3D9BackEnd::TearDown();
  }

  static void start(bool software) {
    setenv("HALVORINE_MISSING", software ? "d3d11,d3d9" : "d3d11", 1);
    SetScreenMode(640, 480, 32, 0);
    ASSERT_EQ(startWindowed(), 0);
    ASSERT_EQ(GraphicsApiType, software ? kGraphicsApiSoftware : kGraphicsApiD3D9);
    ClearDrawTarget(nullptr);
  }


  static void expectSame(const std::vector<unsigned>& soft, const std::vector<unsigned>& hard) {
    ASSERT_EQ(hard.size(), soft.size());
    const unsigned box = PackScreenColor(200, 50, 30) & 0xFFFFFFu;
    int boxPixels = 0;
    for (size_t i = 0; i < soft.size(); ++i) {
      EXPECT_EQ(hard[i], soft[i]) << "sample " << i;
      boxPixels += soft[i] == box;
    }
    // Both kinds of cell are in the samples: the mask did something.
    EXPECT_GT(boxPixels, 100);
    EXPECT_GT(int(soft.size()) - boxPixels, 100);
  }
};

TEST_F(D3D9Mask, MaskedBoxEqualsTheSoftwareCompositeInEveryMaskFormat) {
  start(true);
  const std::vector<unsigned> soft = maskedBox();
  TerminateLibrary();
  // Any non-zero mask byte blocks, whatever the mask alpha keeps of it.
  const struct {
    D3DFORMAT format;
    uint8_t blocking;
  } cases[] = {{D3DFMT_UNKNOWN, 255}, {D3DFMT_A8R8G8B8, 1}, {D3DFMT_A4R4G4B4, 1}, {D3DFMT_A1R5G5B5, 1},
               {D3DFMT_A1R5G5B5, 127}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.format) * 1000 + c.blocking);
    D3D9MaskImageFormatForTest = c.format;
    start(false);
    expectSame(soft, maskedBox(c.blocking));
    TerminateLibrary();
  }
}

TEST_F(D3D9Mask, TexturesAreScreenSizedPowersOfTwoAndADrawEndWithoutMaskDoesNothing) {
  start(false);
  const ImageRect r{0, 0, 10, 10};
  EXPECT_EQ(Graphics_D3D9_Mask_DrawEnd(&r), 0);
  ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
  IDirect3DTexture9 *screen = nullptr, *image = nullptr;
  int w = 0, h = 0;
  D3D9_MaskTextures(&screen, &image, &w, &h);
  EXPECT_NE(screen, nullptr);
  EXPECT_NE(image, nullptr);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 512);
  // Not masking: the end draws nothing and the target keeps its pixels.
  const unsigned before = GetDrawTargetPixel(5, 5);
  EXPECT_EQ(Graphics_D3D9_Mask_DrawEnd(&r), 0);
  EXPECT_EQ(GetDrawTargetPixel(5, 5), before);
}

TEST_F(D3D9Mask, MaskSurvivesDeviceLosses) {
  start(true);
  const std::vector<unsigned> soft = maskedBox();
  TerminateLibrary();
  start(false);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ClearDrawTarget(nullptr);
    expectSame(soft, maskedBox());
    LoseDeviceForTest(D3D9Sys.device);
    HandleWindowActivation(0, 0, 0, 0);
    HandleWindowActivation(1, 0, 0, 0);
    ASSERT_EQ(Direct3DDevice9_IsValid(), 1);
    IDirect3DTexture9 *screen = nullptr, *image = nullptr;
    int w = 0, h = 0;
    D3D9_MaskTextures(&screen, &image, &w, &h);
    EXPECT_NE(screen, nullptr);
    EXPECT_NE(image, nullptr);
  }
}

}  // namespace
}  // namespace d3d9test
