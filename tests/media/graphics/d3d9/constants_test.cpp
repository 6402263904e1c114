// The shader-constant manager against the device's registers: owners by usage set,
// deactivation and reset giving registers back, no send for an unchanged mask, and
// changed owners sent as contiguous runs.
#include "d3d9_fixture.h"
#include "platform/gpu/d3d9/d3d9_device.h"

namespace plat::gpu::d3d9 {
// Reads the device's vertex-shader float registers.
class DeviceAccess {
 public:
  static const float* vsFloat(IDirect3DDevice9* device, int index) {
    return static_cast<Device*>(static_cast<IDirect3DDevice9Ex*>(device))->vsFloat_[index];
  }
};
}  // namespace plat::gpu::d3d9

namespace d3d9test {
namespace {

using plat::gpu::d3d9::DeviceAccess;

float deviceX(int index) { return DeviceAccess::vsFloat(D3D9Sys.device, index)[0]; }
int sends() { return callCount("d3d9.SetVertexShaderConstantF"); }

void setX(int set, int first, int count, float x) {
  std::vector<float> values(size_t(count) * 4, x);
  Graphics_D3D9_ShaderConstant_Set(&D3D9ShaderConstantSys, kD3D9VSFloat, set, first, values.data(), count, 1);
}

TEST_F(D3D9BackEnd, RegistersGoToTheHighestActiveSetAndBackAsSetsLeave) {
  ASSERT_EQ(startAndCreate(), 0);
  D3D9ShaderConstants* m = &D3D9ShaderConstantSys;
  Graphics_D3D9_ShaderConstant_InitializeManager(m);
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_ApplyUseSets(m, 0b0110), 0);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    setX(1, 10, 2, 1.0f);
    setX(2, 10, 1, 2.0f);
    EXPECT_EQ(deviceX(10), 2.0f);
    EXPECT_EQ(deviceX(11), 1.0f);
    // Set 1 writing again under set 2 changes nothing the device holds for register 10.
    setX(1, 10, 1, 3.0f);
    EXPECT_EQ(deviceX(10), 2.0f);

    EXPECT_EQ(Graphics_D3D9_ShaderConstant_ApplyUseSets(m, 0b0010), 0);
    EXPECT_EQ(deviceX(10), 3.0f);
    EXPECT_EQ(Graphics_D3D9_ShaderConstant_ApplyUseSets(m, 0b0110), 0);
    EXPECT_EQ(deviceX(10), 2.0f);
    EXPECT_EQ(Graphics_D3D9_ShaderConstant_ResetArea(m, kD3D9VSFloat, 2, 10, 1), 0);
    EXPECT_EQ(deviceX(10), 3.0f);
    EXPECT_EQ(m->used[kD3D9VSFloat][2][10], 0);
    EXPECT_EQ(m->banks[kD3D9VSFloat][2].rangeCount, 0);
    // The set that owned nothing there leaves the register alone when its area is reset.
    EXPECT_EQ(Graphics_D3D9_ShaderConstant_ResetArea(m, kD3D9VSFloat, 2, 10, 1), 0);
    EXPECT_EQ(deviceX(10), 3.0f);
    // Reset set 1 too: the register has no owner and is sent as zero.
    Graphics_D3D9_ShaderConstant_ResetArea(m, kD3D9VSFloat, 1, 10, 2);
    EXPECT_EQ(deviceX(10), 0.0f);
    EXPECT_EQ(deviceX(11), 0.0f);
  }
}

TEST_F(D3D9BackEnd, OnlyChangedOwnersAreSentInContiguousRuns) {
  ASSERT_EQ(startAndCreate(), 0);
  D3D9ShaderConstants* m = &D3D9ShaderConstantSys;
  Graphics_D3D9_ShaderConstant_InitializeManager(m);
  // Set values while no set is active: nothing goes out.
  int before = sends();
  setX(1, 0, 4, 1.0f);   // 0..3
  setX(1, 8, 2, 1.0f);   // 8..9
  setX(2, 2, 4, 2.0f);   // 2..5
  setX(3, 20, 1, 3.0f);  // 20
  EXPECT_EQ(sends(), before);
  EXPECT_EQ(m->banks[kD3D9VSFloat][1].rangeCount, 2);

  struct Step {
    int mask;
    int runs;  // separate sends
    std::vector<std::pair<int, float>> registers;
  } steps[] = {
      {0b0010, 2, {{0, 1.0f}, {3, 1.0f}, {8, 1.0f}, {9, 1.0f}}},   // 0..3 and 8..9
      {0b0010, 0, {}},                                            // the same mask sends nothing
      {0b0110, 1, {{1, 1.0f}, {2, 2.0f}, {5, 2.0f}}},             // 2..5 change to set 2
      {0b1110, 1, {{20, 3.0f}}},                                   // 20 alone
      {0b0100, 3, {{0, 0.0f}, {2, 2.0f}, {8, 0.0f}, {20, 0.0f}}},  // 0..1, 8..9, 20
      {0b0000, 1, {{2, 0.0f}, {5, 0.0f}}},                        // 2..5
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.mask);
    before = sends();
    EXPECT_EQ(Graphics_D3D9_ShaderConstant_ApplyUseSets(m, s.mask), 0);
    EXPECT_EQ(sends() - before, s.runs);
    for (auto [index, x] : s.registers) EXPECT_EQ(deviceX(index), x) << index;
  }

  // Adjacent and overlapping ranges merge; a reset in the middle splits one.
  setX(0, 30, 2, 1.0f);
  setX(0, 32, 2, 1.0f);
  setX(0, 31, 4, 1.0f);
  ASSERT_EQ(m->banks[kD3D9VSFloat][0].rangeCount, 1);
  EXPECT_EQ(m->banks[kD3D9VSFloat][0].ranges[0][0], 30);
  EXPECT_EQ(m->banks[kD3D9VSFloat][0].ranges[0][1], 35);
  Graphics_D3D9_ShaderConstant_ResetArea(m, kD3D9VSFloat, 0, 32, 1);
  EXPECT_EQ(m->banks[kD3D9VSFloat][0].rangeCount, 2);

  // Areas outside a bank are refused, not written.
  const float big[4] = {};
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_Set(m, kD3D9PSFloat, 0, 224, big, 1, 1), -1);
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_Set(m, kD3D9VSBool, 4, 0, big, 1, 1), -1);
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_ResetArea(m, 6, 0, 0, 1), -1);

  // Without a device the sets cannot change.
  releaseBackEnd();
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_ApplyUseSets(m, 1), -1);
  EXPECT_EQ(Graphics_D3D9_ShaderConstant_SendRange(m, kD3D9VSFloat, 0, nullptr, 1), -1);
}

}  // namespace
}  // namespace d3d9test
