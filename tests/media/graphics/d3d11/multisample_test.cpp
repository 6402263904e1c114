// Multisampled drawable graphs and screens on Direct3D 11: edges smoothed by the resolve,
// interiors and single-sampled drawing exact.
#include "d3d11_fixture.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "tests/media/graphics/mask_cases.h"
#include "tests/media/graphics/multisample_cases.h"

namespace d3d11test {
namespace {

class D3D11Multisample : public D3D11Test {
 protected:
  void TearDown() override {
    D3D11Test::TearDown();
    GraphicsSys.screenMultiSampleCount = GraphicsSys.screenMultiSampleQuality = 0;
  }
  // Starts on Direct3D 11 with a screen of `samples`, cleared black.
  static int begin(int samples) {
    GraphicsSys.screenMultiSampleCount = samples;
    GraphicsSys.screenMultiSampleQuality = 0;
    const int api = startOn(false);
    if (api < 0) return api;
    SetDrawMode(0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    return api;
  }
};

TEST_F(D3D11Multisample, GraphsAndTheScreenSmoothEdgesAfterTheResolve) {
  ASSERT_EQ(begin(0), kGraphicsApiD3D11);
  mscases::graphCases();
  mscases::triangle(300, 300);
  const std::vector<int> single = mscases::reds(300, 300);
  ClearDrawTarget(nullptr);
  const std::vector<unsigned> masked = maskcases::maskedBox();
  TerminateLibrary();

  ASSERT_EQ(begin(4), kGraphicsApiD3D11);
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 4);
  // The window keeps no copy of a frame the swap chain presents: what the flip showed is
  // read from the swap chain's buffer, resolved.
  mscases::screenCase(single, [] {
    D3D11SwapChain& chain = D3D11SwapChainSys.slots[0];
    D3D11_TEXTURE2D_DESC desc{};
    chain.backBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.SampleDesc.Count, 4u);
    BaseImage image{};
    ID3D11Texture2D* staging = nullptr;
    const ImageRect r{300, 300, 300 + mscases::kSide, 300 + mscases::kSide};
    std::vector<int> out;
    if (Graphics_D3D11_ReadbackTexture(chain.backBuffer, &r, &image, &staging) < 0) return out;
    for (int y = 0; y < mscases::kSide; ++y)
      for (int x = 0; x < mscases::kSide; ++x)
        out.push_back(static_cast<const uint8_t*>(image.pixels)[size_t(y) * size_t(image.pitch) + size_t(x) * 4]);
    D3D11DeviceContext_Unmap(staging, 0);
    D3D11Texture2D_Release(staging);
    return out;
  });
  // A box through the mask covers whole pixels: the same with samples as without.
  ClearDrawTarget(nullptr);
  EXPECT_EQ(maskcases::maskedBox(), masked);
  int multisampled = -1;
  mscases::expectHard(mscases::throughGraph(0, &multisampled), "single-sampled graph on a multisampled screen");
}

}  // namespace
}  // namespace d3d11test
