// Multisampled drawable graphs and screens on Direct3D 11: edges smoothed by the resolve,
// interiors and single-sampled drawing exact.
#include "d3d11_fixture.h"
#include "tests/media/graphics/multisample_cases.h"

namespace d3d11test {
namespace {

class D3D11Multisample : public D3D11Test {
 protected:
  void TearDown() override {
    D3D11Test::TearDown();
    GraphicsSys.screenMultiSampleCount = GraphicsSys.screenMultiSampleQuality = 0;
  }

  // The window keeps no copy of a frame the swap chain presents: what the flip showed is
  // read from the swap chain's buffer, resolved.
  static std::vector<int> presented() {
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
  }
};

TEST_F(D3D11Multisample, GraphsAndTheScreenSmoothEdgesAfterTheResolve) {
  mscases::graphsAndScreens("", kGraphicsApiD3D11, presented, [] {});
}

}  // namespace
}  // namespace d3d11test
