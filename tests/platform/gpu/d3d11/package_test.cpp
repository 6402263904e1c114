// Tests of the generated Direct3D 11 shader packages: every base entry unpacks through the
// media layer's decoders and its size table, and each entry with code makes its shader.
#include <cstdio>
#include <cstring>

#include "face_fixture.h"
#include "media/base/decode.h"
#include "tools/shaderpack/shader_packages.h"

namespace facetest {
namespace {

// Decodes a text blob (a copy, so that other tests still see the original) and expands its
// LZ stream.
std::vector<uint8_t> unpack(const char* packed) {
  std::vector<char> text(packed, packed + std::strlen(packed) + 1);
  const int lzSize = ZaDod::DecodeTextPackedData(text.data(), nullptr);
  EXPECT_GT(lzSize, 0);
  std::vector<uint8_t> lz(size_t(lzSize > 0 ? lzSize : 0));
  ZaDod::DecodeTextPackedData(text.data(), lz.data());
  const int size = ZaDod::DecompressLZ(lz.data(), nullptr);
  EXPECT_GE(size, 0);
  std::vector<uint8_t> out(size_t(size > 0 ? size : 0));
  ZaDod::DecompressLZ(lz.data(), out.data());
  return out;
}

// Splits a table of 16-bit sizes followed by code blocks.
std::vector<std::vector<uint8_t>> entries(const std::vector<uint8_t>& blob, int count) {
  std::vector<std::vector<uint8_t>> out;
  size_t at = size_t(count) * 2;
  EXPECT_GE(blob.size(), at);
  for (int i = 0; i < count && size_t(i) * 2 + 1 < blob.size(); ++i) {
    const size_t size = size_t(blob[size_t(i) * 2]) | size_t(blob[size_t(i) * 2 + 1]) << 8;
    EXPECT_LE(at + size, blob.size()) << i;
    if (at + size > blob.size()) break;
    out.emplace_back(blob.begin() + long(at), blob.begin() + long(at + size));
    at += size;
  }
  EXPECT_EQ(at, blob.size());
  return out;
}

TEST_F(FaceTest, BasePackageEntriesMakeTheirShaders) {
  const auto base = entries(unpack(ZaDod::D3D11ShaderBasePackage), ZaDod::kD3D11BasePackageEntries);
  ASSERT_EQ(base.size(), size_t(ZaDod::kD3D11BasePackageEntries));
  // Groups in package order: vertex functions at 0..6 and 255..256, pixel functions elsewhere.
  const struct {
    int first, count;
    bool vertex;
    const char* firstName;
  } groups[] = {{0, 7, true, "std_vs_f0"},        {7, 14, false, "untex_ps_k0_a0"},
                {21, 224, false, "tex_ps_k0_v0_i0_a0"}, {245, 1, false, "mask_r_ps"},
                {246, 1, false, "mask_rev_r_ps"},   {247, 4, false, "mask_ch0_ps"},
                {251, 4, false, "mask_rev_ch0_ps"}, {255, 2, true, "copy_vs"},
                {257, 1, false, "copy_ps"}};
  for (const auto& g : groups) {
    EXPECT_EQ(findShader(base[size_t(g.first)].data(), base[size_t(g.first)].size()),
              findShaderByName(g.firstName, g.vertex ? ShaderStage::vertex : ShaderStage::pixel))
        << g.firstName;
    for (int i = g.first; i < g.first + g.count; ++i) {
      const std::vector<uint8_t>& code = base[size_t(i)];
      ASSERT_FALSE(code.empty()) << i;
      if (g.vertex) {
        Com<ID3D11VertexShader> vs;
        EXPECT_EQ(device->CreateVertexShader(code.data(), code.size(), nullptr, vs.out()), S_OK) << i;
      } else {
        Com<ID3D11PixelShader> ps;
        EXPECT_EQ(device->CreatePixelShader(code.data(), code.size(), nullptr, ps.out()), S_OK) << i;
      }
    }
  }
  // The RGBA-mix table: entry i makes the indexed mix i. The 3D table exists with its
  // entry count and no code yet; the filter archive unpacks to something.
  const auto mix = entries(unpack(ZaDod::D3D11ShaderRGBAMixPackage), ZaDod::kD3D11RGBAMixEntries);
  ASSERT_EQ(mix.size(), size_t(ZaDod::kD3D11RGBAMixEntries));
  char mixName[32];
  for (int i = 0; i < ZaDod::kD3D11RGBAMixEntries; ++i) {
    std::snprintf(mixName, sizeof mixName, "RGBAMix_I%03d", i);
    const std::vector<uint8_t>& code = mix[size_t(i)];
    EXPECT_EQ(findShader(code.data(), code.size()), findShaderByName(mixName, ShaderStage::pixel)) << i;
    Com<ID3D11PixelShader> ps;
    EXPECT_EQ(device->CreatePixelShader(code.data(), code.size(), nullptr, ps.out()), S_OK) << i;
  }
  const auto three = entries(unpack(ZaDod::D3D11Shader3DPackage), ZaDod::kD3D113DPackageEntries);
  EXPECT_EQ(three.size(), size_t(ZaDod::kD3D113DPackageEntries));
  EXPECT_FALSE(unpack(ZaDod::D3D11ShaderFilterArchive).empty());

  // A damaged container is refused; damaged tokens are not shaders.
  std::vector<uint8_t> damaged = base[7];
  damaged[damaged.size() - 1] ^= 1;
  const uint8_t foreign[] = "DXBC\x01\x02\x03\x04 some compiled code";
  Com<ID3D11PixelShader> p1, p2, p3;
  EXPECT_EQ(device->CreatePixelShader(foreign, sizeof foreign, nullptr, p1.out()), E_INVALIDARG);
  EXPECT_EQ(device->CreatePixelShader(damaged.data(), damaged.size(), nullptr, p2.out()), E_FAIL);
  EXPECT_EQ(device->CreatePixelShader(base[7].data(), base[7].size() - 4, nullptr, p3.out()), E_FAIL);
}

}  // namespace
}  // namespace facetest
