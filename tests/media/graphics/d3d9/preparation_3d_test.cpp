// The Direct3D 9 draw preparation's 3D steps: lighting, specular, fog, culling, the
// texture-address transform and per-stage address modes, by draw-state key bits and the
// front's settings, as the state cache holds them afterwards.
#include "d3d9_fixture.h"
#include "media/graphics/render_settings.h"

namespace d3d9test {
namespace {

TEST_F(D3D9BackEnd, PreparationTakesLightingSpecularFogCullTransformAndAddressing) {
  ASSERT_EQ(startWindowed(), 0);
  ASSERT_EQ(GraphicsApiType, 1);
  D3D9DeviceStateCache& c = D3D9State;
  const struct {
    int key;
    int lightingOn, specularOn, fogOn, cull;
    int wantLighting, wantSpecular, wantFog, wantCull;
  } cases[] = {
      {0x0000, 1, 1, 1, 1, 0, 0, 0, 0}, {0x0200, 1, 1, 1, 1, 1, 0, 0, 0}, {0x0200, 0, 1, 1, 1, 0, 0, 0, 0},
      {0x0400, 0, 1, 0, 0, 0, 1, 0, 0}, {0x0400, 0, 0, 0, 0, 0, 0, 0, 0}, {0x0080, 0, 0, 1, 0, 0, 0, 1, 0},
      {0x0080, 0, 0, 0, 0, 0, 0, 0, 0}, {0x4000, 0, 0, 0, 1, 0, 0, 0, 1}, {0x4000, 0, 0, 0, 2, 0, 0, 0, 2},
      {0x4000, 0, 0, 0, 0, 0, 0, 0, 0}, {0x4680, 1, 1, 1, 2, 1, 1, 1, 2}, {0x0000, 1, 1, 1, 2, 0, 0, 0, 0},
  };
  for (int round = 0; round < 2; ++round)  // again from where the table left the cache
    for (const auto& t : cases) {
      SCOPED_TRACE(t.key);
      SetUseLighting(t.lightingOn);
      SetUseSpecular(t.specularOn);
      SetFogEnable(t.fogOn);
      SetCullMode(t.cull);
      Graphics_D3D9_DrawPreparation(t.key);
      EXPECT_EQ(c.lighting, t.wantLighting);
      EXPECT_EQ(c.specular, t.wantSpecular);
      EXPECT_EQ(c.fogEnable, t.wantFog);
      EXPECT_EQ(c.cullMode, t.wantCull);
    }
  // The transform reaches all eight stages once, and off again.
  Matrix4x4F m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 2.0f;
  ASSERT_EQ(SetTextureAddressTransformMatrix(1, &m), 0);
  Graphics_D3D9_DrawPreparation(0);
  for (int s = 0; s < 8; ++s) {
    EXPECT_EQ(c.textureTransformOn[s], 1) << s;
    EXPECT_FLOAT_EQ(c.textureTransform[s].m[1][1], 2.0f) << s;
  }
  EXPECT_EQ(GraphicsRender.textureTransformApplied, 1);
  ASSERT_EQ(SetTextureAddressTransformMatrix(0, nullptr), 0);
  Graphics_D3D9_DrawPreparation(0);
  EXPECT_EQ(c.textureTransformOn[7], 0);
  // Address modes per stage with key bit 0x1000 (stages 0-7), clamp on 0-3 without it.
  ASSERT_EQ(SetTextureAddressModeUVW(1, 2, 1, 2), 0);
  ASSERT_EQ(SetTextureAddressModeUVW(2, 2, 2, 7), 0);
  Graphics_D3D9_DrawPreparation(0x1000);
  EXPECT_EQ(c.sampler[2][D3DSAMP_ADDRESSU], 1u);
  EXPECT_EQ(c.sampler[2][D3DSAMP_ADDRESSV], 2u);
  EXPECT_EQ(c.sampler[7][D3DSAMP_ADDRESSU], 2u);
  EXPECT_EQ(c.sampler[0][D3DSAMP_ADDRESSU], 3u);
  Graphics_D3D9_DrawPreparation(0);
  EXPECT_EQ(c.sampler[2][D3DSAMP_ADDRESSU], 3u);
  EXPECT_EQ(c.sampler[2][D3DSAMP_ADDRESSV], 3u);
}

}  // namespace
}  // namespace d3d9test
