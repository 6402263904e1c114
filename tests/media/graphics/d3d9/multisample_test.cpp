// Multisampled drawable graphs and screens on Direct3D 9: edges smoothed by the resolve,
// interiors and single-sampled drawing exact.
#include "d3d9_fixture.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "tests/media/graphics/mask_cases.h"
#include "tests/media/graphics/multisample_cases.h"

namespace d3d9test {
namespace {

class D3D9Multisample : public D3D9BackEnd {
 protected:
  // Starts windowed at 640x480, 32 bits, on Direct3D 9 with a screen of `samples`, cleared
  // black; the API type that came up.
  static int begin(int samples) {
    GraphicsSys.screenMultiSampleCount = samples;
    GraphicsSys.screenMultiSampleQuality = 0;
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    if (InitializeLibrary() != 0) return -1;
    SetDrawMode(0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    return GraphicsApiType;
  }
};

TEST_F(D3D9Multisample, GraphsAndTheScreenSmoothEdgesAfterTheResolve) {
  ASSERT_EQ(begin(0), kGraphicsApiD3D9);
  mscases::graphCases();
  mscases::triangle(300, 300);
  const std::vector<int> single = mscases::reds(300, 300);
  ClearDrawTarget(nullptr);
  const std::vector<unsigned> masked = maskcases::maskedBox();
  TerminateLibrary();

  ASSERT_EQ(begin(4), kGraphicsApiD3D9);
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 4);
  EXPECT_EQ(D3D9DeviceSys.params.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(D3D9DeviceSys.backBufferLock, 0);
  mscases::screenCase(single, [] { return mscases::presentedReds(300, 300); });
  // Graphs without samples on a multisampled screen get depth surfaces of their own.
  // A box through the mask covers whole pixels: the same with samples as without.
  ClearDrawTarget(nullptr);
  EXPECT_EQ(maskcases::maskedBox(), masked);
  int multisampled = -1;
  mscases::expectHard(mscases::throughGraph(0, &multisampled), "single-sampled graph on a multisampled screen");
}

}  // namespace
}  // namespace d3d9test
