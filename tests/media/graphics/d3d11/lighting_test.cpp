// Direct3D 11 lighting inputs: where lights, material, ambient, fog and the view put their
// values in the common constant buffer; which 3D shaders a light configuration selects;
// the 3D package loading once under concurrent selection; and the draw preparation's
// lighting, specular, fog, culling, transform and addressing steps.
#include <cmath>
#include <thread>

#include "d3d11_fixture.h"
#include "media/graphics/d3d11/d3d11_shaders_3d.h"
#include "media/graphics/render_settings.h"
#include "platform/gpu/shaders/bank.h"

namespace d3d11test {
namespace {

float common(int offset) {
  return reinterpret_cast<const float*>(D3D11BuiltinConstantBuffers[kCBCommon]->copy + offset)[0];
}

LightParam pointLight(float x, float y, float z) {
  LightParam l{};
  l.kind = kLightPoint;
  l.position[0] = x, l.position[1] = y, l.position[2] = z;
  l.range = 20.0f;
  l.attenuation0 = 1.0f;
  l.diffuse[0] = l.diffuse[1] = l.diffuse[2] = 1.0f;
  l.ambient[0] = 0.5f, l.ambient[1] = 0.25f, l.ambient[2] = 1.0f, l.ambient[3] = 1.0f;
  return l;
}

TEST_F(D3D11Test, LightMaterialFogAndViewLandAtTheirOffsets) {
  ASSERT_EQ(start(), 0);
  Matrix4x4F view{};
  for (int i = 0; i < 4; ++i) view.m[i][i] = 1.0f;
  view.m[3][2] = -5.0f;
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetViewMatrix(&view), 0);
  LightParam l = pointLight(0, 0, 10);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetLight(1, &l), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetLightEnable(1, 1), 0);
  MaterialParam m{{0.8f, 0.6f, 0.4f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.1f, 0.2f, 0.3f, 0.0f}, {0.25f, 0, 0, 0}, 0.0f};
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetMaterial(&m), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetAmbientLight(0xFF808080u), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetFogStartEnd(2.0f, 6.0f, 0.5f), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetFogColor(0x0000FFu), 0);
  const float grey = 128.0f / 255.0f;
  const struct {
    int offset;
    float value;
  } cells[] = {
      {112 + 0, float(kLightPoint)},
      {112 + 16, 0.0f},  {112 + 20, 0.0f}, {112 + 24, 5.0f},  // view-space position
      {112 + 28, 400.0f},                                      // range squared
      {112 + 48, 1.0f},                                        // diffuse
      {112 + 80, 0.25f}, {112 + 84, 0.125f}, {112 + 88, 0.5f},  // light ambient x material ambient
      {112 + 96, 1.0f},                                        // attenuation 0
      {672, 0.8f},       {676, 0.6f},        {688, 0.1f},       // material diffuse, specular
      {704, grey * 0.5f + 0.25f}, {708, grey * 0.5f},           // ambient x material ambient + emissive
      {720, 1e-11f},                                           // power 0 stored as the least power
      {736, 6.0f / 4.0f}, {740, -1.0f / 4.0f}, {744, 0.5f},     // fog
      {752, 0.0f},       {760, 1.0f},        {764, 1.0f},       // fog colour
      {0, 0.0f},                                               // light 0 is off: type 0
  };
  for (const auto& c : cells) EXPECT_FLOAT_EQ(common(c.offset), c.value) << c.offset;

  // A new view moves the lights; disabling the highest leaves the next lower one highest.
  view.m[3][2] = -15.0f;
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetViewMatrix(&view), 0);
  EXPECT_FLOAT_EQ(common(112 + 24), -5.0f);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetLight(3, &l), 0);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetLightEnable(3, 1), 0);
  EXPECT_EQ(D3D11State.lightHighest, 3);
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetLightEnable(3, 0), 0);
  EXPECT_EQ(D3D11State.lightHighest, 1);
  EXPECT_FLOAT_EQ(common(3 * 112), 0.0f);
  // Start = end fog keeps finite constants.
  ASSERT_EQ(Graphics_D3D11_DeviceState_SetFogStartEnd(5.0f, 5.0f, 1.0f), 0);
  EXPECT_TRUE(std::isfinite(common(736)) && std::isfinite(common(740)));
}

TEST_F(D3D11Test, LightConfigurationsSelectTheirBankNames) {
  ASSERT_EQ(start(), 0);
  ASSERT_EQ(Graphics_D3D11_ShaderCode_Load3DPackage(), 1);
  auto nameOf = [](int entry, ShaderStage stage) {
    const D3D11Shaders3D& s = D3D11ShaderSys3D;
    const ShaderEntry* e = s.size[entry] ? findShaderByName(package3DLayout()[size_t(entry)].name, stage) : nullptr;
    return e != nullptr ? e->name : std::string("-");
  };
  const struct {
    const char* name;
    std::vector<int> kinds;
    const char* vertex;
  } cases[] = {
      {"none: ambient and emissive only", {}, "l3d_vs_d0s0p0_f0"},
      {"one directional", {kLightDirectional}, "l3d_vs_d1s0p0_f0"},
      {"directional + point", {kLightDirectional, kLightPoint}, "l3d_vs_d1s0p1_f0"},
      {"three spots", {kLightSpot, kLightSpot, kLightSpot}, "l3d_vs_d0s3p0_f0"},
      {"six mixed",
       {kLightPoint, kLightSpot, kLightDirectional, kLightDirectional, kLightPoint, kLightSpot},
       "l3d_vs_d2s2p2_f0"},
  };
  D3D11State.fogEnable = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int i = 0; i < kD3D11Lights; ++i) Graphics_D3D11_DeviceState_SetLightEnable(i, 0);
    for (size_t i = 0; i < c.kinds.size(); ++i) {
      LightParam l = pointLight(0, 0, 0);
      l.kind = c.kinds[i];
      Graphics_D3D11_DeviceState_SetLight(int(i), &l);
      Graphics_D3D11_DeviceState_SetLightEnable(int(i), 1);
    }
    Graphics_D3D11_SetUseLighting(1);
    const D3D11Selection3D pick = Graphics_D3D11_Shader_Select3D();
    EXPECT_EQ(nameOf(pick.vertex, ShaderStage::vertex), c.vertex);
    EXPECT_EQ(Graphics_D3D11_Shader_Normal3DDraw_Setup(), 1);
  }
  // Fog mode picks the vertex shader's fog; lighting off the unlit group.
  D3D11State.fogEnable = 1;
  D3D11State.fogMode = 3;
  Graphics_D3D11_SetUseLighting(0);
  EXPECT_EQ(nameOf(Graphics_D3D11_Shader_Select3D().vertex, ShaderStage::vertex), "u3d_vs_f3");
  D3D11State.fogEnable = 0;
  // Per-pixel lighting when the front asks for it.
  Graphics_D3D11_SetUseLighting(1);
  GraphicsRender.perPixelLighting[1] = 1;
  EXPECT_EQ(nameOf(Graphics_D3D11_Shader_Select3D().vertex, ShaderStage::vertex), "pp3d_vs_f0");
  GraphicsRender.perPixelLighting[1] = 0;
  EXPECT_EQ(D3D11ShaderSys3D.loads, 1);
}

TEST_F(D3D11Test, TheThreeDPackageLoadsOnceUnderConcurrentSelection) {
  ASSERT_EQ(start(), 0);
  Graphics_D3D11_ShaderCode_Free3DPackage();
  const int before = D3D11ShaderSys3D.loads;
  int results[2] = {0, 0};
  std::thread a([&] { results[0] = Graphics_D3D11_ShaderCode_Load3DPackage(); });
  std::thread b([&] { results[1] = Graphics_D3D11_ShaderCode_Load3DPackage(); });
  a.join();
  b.join();
  EXPECT_EQ(results[0], 1);
  EXPECT_EQ(results[1], 1);
  EXPECT_EQ(D3D11ShaderSys3D.loads, before + 1);
}

TEST_F(D3D11Test, AMissingThreeDEntryLogsAndFails) {
  ASSERT_EQ(start(), 0);
  ASSERT_EQ(Graphics_D3D11_ShaderCode_Load3DPackage(), 1);
  Graphics_D3D11_SetUseLighting(0);
  D3D11State.fogEnable = 0;
  const D3D11Selection3D pick = Graphics_D3D11_Shader_Select3D();
  Graphics_D3D11_Shader_Release3D();
  const int kept = D3D11ShaderSys3D.size[pick.vertex];
  D3D11ShaderSys3D.size[pick.vertex] = 0;
  EXPECT_EQ(Graphics_D3D11_Shader_Normal3DDraw_Setup(), 0);
  EXPECT_TRUE(LogCapture::contains(u"Graphics_D3D11_Shader_Normal3DDraw_Setup で頂点シェーダーの作成に失敗しました"));
  D3D11ShaderSys3D.size[pick.vertex] = kept;
  EXPECT_EQ(Graphics_D3D11_Shader_Normal3DDraw_Setup(), 1);
}

TEST_F(D3D11Test, PreparationAppliesLightingSpecularFogCullTransformAndAddressing) {
  ASSERT_EQ(start(), 0);
  const struct {
    int key;
    int lightingOn, specularOn, fogOn, cull;
    int wantLighting, wantSpecular, wantFog, wantCull;  // cull as the rasterizer's D3D11_CULL_MODE
  } cases[] = {
      {0x0000, 1, 1, 1, 1, 0, 0, 0, D3D11_CULL_NONE},
      {0x0200, 1, 1, 1, 1, 1, 0, 0, D3D11_CULL_NONE},
      {0x0400, 0, 1, 0, 0, 0, 1, 0, D3D11_CULL_NONE},
      {0x0400, 0, 0, 0, 0, 0, 0, 0, D3D11_CULL_NONE},
      {0x0080, 0, 0, 1, 0, 0, 0, 1, D3D11_CULL_NONE},
      {0x4000, 0, 0, 0, 1, 0, 0, 0, D3D11_CULL_BACK},
      {0x4000, 0, 0, 0, 2, 0, 0, 0, D3D11_CULL_FRONT},
      {0x4000, 0, 0, 0, 0, 0, 0, 0, D3D11_CULL_NONE},
      {0x4680, 1, 1, 1, 2, 1, 1, 1, D3D11_CULL_FRONT},
      {0x0000, 1, 1, 1, 2, 0, 0, 0, D3D11_CULL_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    SetUseLighting(c.lightingOn);
    SetUseSpecular(c.specularOn);
    SetFogEnable(c.fogOn);
    SetCullMode(c.cull);
    ASSERT_EQ(Graphics_D3D11_DrawPreparation(c.key), 0);
    EXPECT_EQ(D3D11State.lighting, c.wantLighting);
    EXPECT_EQ(D3D11State.specular, c.wantSpecular);
    EXPECT_EQ(D3D11State.fogEnable, c.wantFog);
    EXPECT_EQ(int(D3D11State.rasterizerDesc.CullMode), c.wantCull);
  }
  // The texture transform reaches the vertex constants once, as two rows.
  Matrix4x4F t{};
  for (int i = 0; i < 4; ++i) t.m[i][i] = 2.0f;
  t.m[2][0] = 0.5f;
  ASSERT_EQ(SetTextureAddressTransformMatrix(1, &t), 0);
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0), 0);
  const auto* extra = reinterpret_cast<const float*>(D3D11BuiltinConstantBuffers[kCBVSExtra]->copy + 192);
  EXPECT_FLOAT_EQ(extra[0], 2.0f);
  EXPECT_FLOAT_EQ(extra[2], 0.5f);
  EXPECT_EQ(GraphicsRender.textureTransformApplied, 1);
  ASSERT_EQ(SetTextureAddressTransformMatrix(0, nullptr), 0);
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0), 0);
  EXPECT_FLOAT_EQ(extra[0], 1.0f);
  EXPECT_FLOAT_EQ(extra[2], 0.0f);
  // Per-stage address modes with key bit 0x1000; clamp without it.
  ASSERT_EQ(SetTextureAddressModeUVW(1, 2, 1, 3), 0);  // stage 3: wrap U, mirror V
  ASSERT_EQ(SetTextureAddressModeUVW(1, 1, 1, 4), 0);  // stage 4: wrap all
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0x1000), 0);
  EXPECT_EQ(int(D3D11State.samplerDesc[3].AddressU), 1);
  EXPECT_EQ(int(D3D11State.samplerDesc[3].AddressV), 2);
  EXPECT_EQ(int(D3D11State.samplerDesc[4].AddressW), 1);
  EXPECT_EQ(int(D3D11State.samplerDesc[0].AddressU), 3);
  ASSERT_EQ(Graphics_D3D11_DrawPreparation(0), 0);
  EXPECT_EQ(int(D3D11State.samplerDesc[3].AddressU), 3);
  EXPECT_EQ(int(D3D11State.samplerDesc[4].AddressV), 3);
  EXPECT_EQ(SetTextureAddressModeUVW(0, 1, 1, 0), -1);
  EXPECT_EQ(SetTextureAddressModeUVW(1, 1, 1, 16), -1);
  EXPECT_EQ(SetCullMode(3), -1);
}

}  // namespace
}  // namespace d3d11test
