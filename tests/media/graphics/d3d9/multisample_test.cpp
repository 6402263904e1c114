// Multisampled drawable graphs and screens on Direct3D 9: edges smoothed by the resolve,
// interiors and single-sampled drawing exact.
#include "d3d9_fixture.h"
#include "tests/media/graphics/multisample_cases.h"

namespace d3d9test {
namespace {

class D3D9Multisample : public D3D9BackEnd {};

TEST_F(D3D9Multisample, GraphsAndTheScreenSmoothEdgesAfterTheResolve) {
  mscases::graphsAndScreens(
      "d3d11", kGraphicsApiD3D9, [] { return mscases::presentedReds(300, 300); },
      [] {
        // A multisampled back buffer is discarded at each present and never locked.
        EXPECT_EQ(D3D9DeviceSys.params.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(D3D9DeviceSys.backBufferLock, 0);
      });
}

}  // namespace
}  // namespace d3d9test
