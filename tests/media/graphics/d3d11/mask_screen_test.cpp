// The Direct3D 11 mask screen: a box drawn through a checkerboard mask gives the frame the
// software mask gives; the texture sizes; a re-size keeps the drawn screen and the mask;
// and a mask screen whose texture cannot be made leaves masking off without harm.
#include <cstdlib>
#include <vector>

#include "d3d11_fixture.h"
#include "media/graphics/d3d11/d3d11_mask.h"
#include "media/graphics/draw.h"
#include "tests/media/graphics/mask_cases.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"

namespace d3d11test {
namespace {

using namespace maskcases;

class D3D11Mask : public D3D11Test {
 protected:
  static int begin(bool software) {
    const int api = startOn(software);
    if (api >= 0) ClearDrawTarget(nullptr);
    return api;
  }


  static std::vector<uint8_t> read(ID3D11Texture2D* texture, int x, int y) {
    BaseImage image{};
    ID3D11Texture2D* staging = nullptr;
    const ImageRect r{x, y, x + 1, y + 1};
    std::vector<uint8_t> out;
    if (Graphics_D3D11_ReadbackTexture(texture, &r, &image, &staging) < 0) return out;
    const auto* p = static_cast<const uint8_t*>(image.pixels);
    out.assign(p, p + 4);
    D3D11DeviceContext_Unmap(staging, 0);
    D3D11Texture2D_Release(staging);
    return out;
  }
};

TEST_F(D3D11Mask, MaskedBoxEqualsTheSoftwareComposite) {
  ASSERT_EQ(begin(true), kGraphicsApiSoftware);
  const std::vector<unsigned> soft = maskedBox();
  TerminateLibrary();
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const std::vector<unsigned> hard = maskedBox();
  ASSERT_EQ(hard.size(), soft.size());
  const unsigned box = PackScreenColor(200, 50, 30) & 0xFFFFFFu;
  int boxPixels = 0;
  for (size_t i = 0; i < soft.size(); ++i) {
    EXPECT_EQ(hard[i], soft[i]) << "sample " << i;
    boxPixels += soft[i] == box;
  }
  const int blocked = int(soft.size()) - boxPixels;
  // Both kinds of cell are in the samples: the mask did something.
  EXPECT_GT(boxPixels, 100);
  EXPECT_GT(blocked, 100);
}

TEST_F(D3D11Mask, TexturesAreScreenSizedPowersOfTwoAndSurviveAResize) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
  ID3D11Texture2D *screen = nullptr, *image = nullptr;
  int w = 0, h = 0;
  D3D11_MaskTextures(&screen, &image, &w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 512);
  ASSERT_NE(screen, nullptr);
  ASSERT_NE(image, nullptr);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    checkerboard();
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    DrawBox(10, 10, 40, 40, PackScreenColor(20, 220, 90), 1);
    // A bigger screen: the drawn pixels and the mask come along.
    ASSERT_EQ(CreateMaskScreen(1, 700 + round * 400, 500 + round * 100), 0);
    D3D11_MaskTextures(&screen, &image, &w, &h);
    EXPECT_EQ(w, round == 0 ? 1024 : 2048);
    const std::vector<uint8_t> drawn = read(screen, 20, 20);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0], 20);
    EXPECT_EQ(drawn[1], 220);
    EXPECT_EQ(drawn[2], 90);
    EXPECT_EQ(read(image, 12, 3)[3], 255);  // blocked cell (1, 0)
    EXPECT_EQ(read(image, 3, 3)[3], 0);
    ASSERT_EQ(SetUseMaskScreenFlag(0), 0);
  }
  ASSERT_EQ(DeleteMaskScreen(), 0);
  D3D11_MaskTextures(&screen, &image, &w, &h);
  EXPECT_EQ(screen, nullptr);
  EXPECT_EQ(image, nullptr);
}

TEST_F(D3D11Mask, FailedScreenTextureLeavesMaskingOff) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const unsigned before = GetDrawTargetPixel(50, 50);
  Profile p = currentProfile();
  resetJournal();
  p.failOnCall["d3d11.CreateTexture2D"] = 2;  // the image is made, the screen is not
  setProfile(p);
  forgetLog();
  EXPECT_EQ(CreateMaskScreen(1, 640, 480), -1);
  EXPECT_TRUE(LogCapture::contains(u"マスク用スクリーンテクスチャの作成に失敗しました"));
  ID3D11Texture2D *screen = nullptr, *image = nullptr;
  int w = 0, h = 0;
  D3D11_MaskTextures(&screen, &image, &w, &h);
  EXPECT_EQ(screen, nullptr);
  resetProfile();
  // Later draws go to the real target, begins and ends do nothing.
  SetUseMaskScreenFlag(1);
  for (int i = 0; i < 3; ++i) DrawBox(40, 40, 60, 60, PackScreenColor(1, 2, 250), 1);
  SetUseMaskScreenFlag(0);
  EXPECT_NE(GetDrawTargetPixel(50, 50), before);
  EXPECT_EQ(GetDrawTargetPixel(50, 50) & 0xFFFFFFu, PackScreenColor(1, 2, 250) & 0xFFFFFFu);
}

}  // namespace
}  // namespace d3d11test
