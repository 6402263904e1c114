// The filter and blend shaders of the bank: every packaged name is there, and the
// constant accessor serves both faces (buffer 3 on Direct3D 11, the float registers in
// buffer 1 on Direct3D 9) with the same result, buffer 3 winning when both are bound.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gpu/shaders/bank.h"
#include "platform/gpu/shaders/constants.h"

namespace gputest {
namespace {

using namespace plat::gpu;

TEST(FilterShaderBank, EveryPackagedNameIsAPixelShader) {
  const char* const names[] = {
      "Mono", "Gauss_08Pixel_PS", "Gauss_16Pixel_PS", "Gauss_32Pixel_PS", "DownScaleX2", "DownScaleX4",
      "DownScaleX8", "BrightClipLess", "BrightClipFillLess", "BrightClipGreater", "BrightClipFillGreater",
      "BrightnessScale", "Hsb_HSB_BASE", "Hsb_HSB_HLOCK", "Invert", "Level", "TwoColor", "GradientMap",
      "GradientMapRev", "PremultipliedAlpha", "InterpolatedAlpha", "Y2uv2ToRgb", "Y2uv1ToRgb", "Y2uv2ToRgb_RRA",
      "Y2uv1ToRgb_RRA", "Bicubic", "Lanczos3", "BasBF_Normal", "BasBF_Multiple", "BasBF_Difference", "BasBF_Add",
      "BasBF_Screen", "BasBF_Overlay", "BasBF_Dodge", "BasBF_Burn", "BasBF_Darken", "BasBF_Lighten",
      "BasBF_SoftLight", "BasBF_HardLight", "BasBF_Exclusion", "BasBF_Normal_AlphaCh", "BasBF_Add_AlphaCh",
      "BasBF_Multiple_AOnly", "BasBF_PMA_Multiple_AOnly", "RGBAMix_Base", "RGBAMix_SRSRSRBR", "RGBAMix_SRSGSBBA"};
  for (const char* n : names) EXPECT_NE(findShaderByName(n, ShaderStage::pixel), nullptr) << n;
  char name[32];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(name, sizeof name, "RGBAMix_I%03d", i);
    const ShaderEntry* e = findShaderByName(name, ShaderStage::pixel);
    ASSERT_NE(e, nullptr) << name;
    // The selectors baked into an indexed mix: index a + 4 (b + 4 (g + 4 r)).
    EXPECT_EQ(e->param[3] + 4 * (e->param[2] + 4 * (e->param[1] + 4 * e->param[0])), i);
  }
  // The swapped same-channel mix reads the blend graph's red for alpha.
  const ShaderEntry* swapped = findShaderByName("RGBAMix_SRSRSRBR", ShaderStage::pixel);
  ASSERT_NE(swapped, nullptr);
  EXPECT_EQ(swapped->param[0], 0);
  EXPECT_EQ(swapped->param[3], 4);
}

// Runs a pixel function with no texture bound (every read gives transparent black) and
// the given registers in a buffer slot.
Float4 runWith(const char* name, const float (*rows)[4], int count, int slot, int otherSlot = -1) {
  const ShaderEntry* e = findShaderByName(name, ShaderStage::pixel);
  EXPECT_NE(e, nullptr) << name;
  ShaderEnv env;
  static float zero[64][4];
  std::memset(zero, 0, sizeof zero);
  env.cb[slot] = reinterpret_cast<const uint8_t*>(rows);
  env.cbSize[slot] = size_t(count) * 16;
  if (otherSlot >= 0) {
    env.cb[otherSlot] = reinterpret_cast<const uint8_t*>(zero);
    env.cbSize[otherSlot] = sizeof zero;
  }
  float varyings[shader::kVaryingCount] = {};
  PixelIn in{0.5f, 0.5f, 0.0f, true, varyings, nullptr};
  Float4 out{-1, -1, -1, -1};
  EXPECT_TRUE(e->pixel(in, env, *e, out));
  return out;
}

TEST(FilterShaderBank, ConstantsReadTheSameOnBothFaces) {
  struct Case {
    const char* name;
    float rows[3][4];
    Float4 expect;  // of a transparent black source
  };
  const Case cases[] = {
      // Black plus what each channel adds.
      {"Mono", {{0.299f, 0.587f, 0.114f, 0}, {0.25f, -0.5f, 0.75f, 0}}, {0.25f, 0.0f, 0.75f, 0.0f}},
      // Luminance 0 lies below the threshold: the colour below.
      {"TwoColor", {{0.299f, 0.587f, 0.114f, 0.5f}, {0.2f, 0.4f, 0.6f, 1.0f}, {1, 1, 1, 1}},
       {51 / 255.0f, 102 / 255.0f, 153 / 255.0f, 1.0f}},
      // Less keeps only luminance at or over the threshold: black is filled.
      {"BrightClipFillLess", {{0.4f, 0.4f, 0.4f, 0.4f}, {0.299f, 0.587f, 0.114f, 0}, {0.2f, 0.4f, 0.6f, 1.0f}},
       {51 / 255.0f, 102 / 255.0f, 153 / 255.0f, 1.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Float4 d3d11 = runWith(c.name, c.rows, 3, shader::kFilterSlotD3D11, shader::kFilterSlotD3D9);
    const Float4 d3d9 = runWith(c.name, c.rows, 3, shader::kFilterSlotD3D9);
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(d3d11[k], c.expect[k], 1e-6f) << k;
      EXPECT_EQ(d3d9[k], d3d11[k]) << k;
    }
  }
}

}  // namespace
}  // namespace gputest
