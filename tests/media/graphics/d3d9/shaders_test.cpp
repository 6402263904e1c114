// The Direct3D 9 shader packages and built-in shaders: every name of the package unpacks
// and makes its shader, the table slots the draw paths read, the vertex declarations, a
// package without a name, and creation failures that fall back to no shaders.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "d3d9_fixture.h"
#include "media/base/charcode.h"
#include "tools/pack/archive_write.h"
#include "tools/shaderpack/d3d9_shader_packages.h"

namespace d3d9test {
namespace {

// The package's file names with the bank function each must name.
std::vector<std::pair<std::string, std::string>> packageNames() {
  std::vector<std::pair<std::string, std::string>> names;
  for (int t = 0; t < 7; ++t)
    names.push_back({"ps_nonetex_type" + std::to_string(t) + "_ach0.pso", "untex_ps_k" + std::to_string(t) + "_a0"});
  for (int t = 0; t < 7; ++t)
    for (int i = 0; i < 2; ++i)
      names.push_back({"ps_blend0_type" + std::to_string(t) + "_igcolor0_igtalpha" + std::to_string(i) + "_ach0.pso",
                       "tex_ps_k" + std::to_string(t) + "_v0_i" + std::to_string(i) + "_a0"});
  names.push_back({"ps_mask_blend.pso", "mask_ps"});
  names.push_back({"ps_shadowmap_depth.pso", "sm3d_ps"});
  const char channels[4] = {'a', 'r', 'g', 'b'};
  const int bank[4] = {3, 0, 1, 2};
  for (int c = 0; c < 4; ++c) {
    const std::string file = std::string("ps_mask_blend_use_grhandle_ch") + channels[c];
    names.push_back({file + ".pso", "mask_ch" + std::to_string(bank[c]) + "_ps"});
    names.push_back({file + "_reverse.pso", "mask_rev_ch" + std::to_string(bank[c]) + "_ps"});
  }
  return names;
}

// The token of a package entry, read in place from the unpacked archive.
std::string entryBytes(const std::string& name) {
  Archive* archive = &D3D9PackageSys.baseArchive;
  std::uint64_t offset = 0, size = 0;
  if (ArchiveGetFileLocation(archive, CodePageRawByte, name.c_str(), &offset, &size) < 0) return "";
  return std::string(static_cast<const char*>(ArchiveGetImage(archive)) + offset, size_t(size));
}

TEST_F(D3D9BackEnd, EveryPackageNameUnpacksAndMakesItsShaderAndTheTablesHoldThem) {
  ASSERT_EQ(startAndCreate(), 0);
  ASSERT_EQ(Graphics_D3D9_ShaderCode_LoadPackage(), 1);
  ASSERT_EQ(Graphics_D3D9_ShaderCode_LoadPackage(), 1);  // loaded once
  for (const auto& [file, function] : packageNames()) {
    SCOPED_TRACE(file);
    const std::string token = entryBytes(file);
    ASSERT_FALSE(token.empty());
    EXPECT_NE(token.find(function), std::string::npos);
    IDirect3DPixelShader9* shader = nullptr;
    EXPECT_EQ(Direct3DDevice9_CreatePixelShader(reinterpret_cast<const DWORD*>(token.data()), &shader), D3D_OK);
    if (shader != nullptr) shader->Release();
  }
  // Every channel mix and every filter file makes its shader.
  for (int i = 0; i < kD3D9RGBAMixEntries; ++i) {
    ASSERT_GT(D3D9PackageSys.mixSize[i], 0) << i;
    IDirect3DPixelShader9* shader = nullptr;
    EXPECT_EQ(Direct3DDevice9_CreatePixelShader(reinterpret_cast<const DWORD*>(D3D9PackageSys.mixCode[i]), &shader),
              D3D_OK);
    if (shader != nullptr) shader->Release();
  }
  for (const char* file : {"Mono.pso", "Gauss_32Pixel_PS.pso", "Hsb_RGB_TO_HSB.pso", "Hsb_HSB_TO_RGB.pso",
                           "Hsb_HSB_HLOCK.pso", "BasBF_PMA_Multiple_AOnly.pso", "RGBAMix_SRSGSBBA.pso"}) {
    std::uint64_t offset = 0, size = 0;
    EXPECT_EQ(ArchiveGetFileLocation(&D3D9PackageSys.filterArchive, CodePageRawByte, file, &offset, &size), 0)
        << file;
    EXPECT_GT(size, 0u) << file;
  }

  ASSERT_EQ(Graphics_D3D9_Shader_Initialize(), 1);
  EXPECT_TRUE(logged(u"プログラマブルシェーダーを使用します"));
  EXPECT_EQ(ProgrammableShaderFlag, 1);
  EXPECT_EQ(Graphics_D3D9_GetShaderModelVersion(), 300);
  const D3D9Shaders& s = D3D9ShaderSys;
  for (int t = 0; t < 7; ++t) {
    EXPECT_NE(s.untextured[t * 2], nullptr);
    EXPECT_EQ(s.untextured[t * 2 + 1], nullptr);
    for (int i = 0; i < 2; ++i) EXPECT_NE(Graphics_D3D9_TexturedShader(t, 0, i), nullptr);
    EXPECT_EQ(Graphics_D3D9_TexturedShader(t, 1, 0), nullptr);
  }
  EXPECT_EQ(Graphics_D3D9_TexturedShader(7, 0, 0), nullptr);
  EXPECT_NE(s.mask, nullptr);
  for (int c = 0; c < 4; ++c) EXPECT_TRUE(s.maskChannel[c] != nullptr && s.maskChannelReverse[c] != nullptr);

  EXPECT_EQ(Graphics_D3D9_CreateVertexDeclarations(), 0);
  for (auto* d : s.declarations) EXPECT_NE(d, nullptr);
  EXPECT_EQ(Graphics_D3D9_ReleaseVertexDeclarations(), 0);
  for (auto* d : s.declarations) EXPECT_EQ(d, nullptr);

  // The base constants of usage set 0.
  const D3D9ShaderConstants& m = D3D9ShaderConstantSys;
  float vs[4], ps[4];
  std::memcpy(vs, m.banks[kD3D9VSFloat][0].data, sizeof vs);
  std::memcpy(ps, m.banks[kD3D9PSFloat][0].data, sizeof ps);
  EXPECT_TRUE(vs[0] == 0.0f && vs[1] == 1.0f && vs[2] == 0.0f && vs[3] == 0.0f);
  EXPECT_TRUE(ps[0] == 0.0f && ps[1] == 0.5f && ps[2] == 1.0f && ps[3] == 2.0f);
  EXPECT_EQ(m.used[kD3D9PSFloat][0][0], 1);

  // Shut-down and start again, in a loop.
  for (int round = 0; round < 5; ++round) {
    Graphics_D3D9_Shader_ReleaseBuiltins();
    EXPECT_EQ(Graphics_D3D9_ShaderCode_FreePackage(), 1);
    EXPECT_EQ(Graphics_D3D9_Shader_Initialize(), 1);
    EXPECT_NE(Graphics_D3D9_TexturedShader(6, 0, 1), nullptr);
  }
}

TEST_F(D3D9BackEnd, APackageWithoutANameLeavesItsSlotEmpty) {
  ASSERT_EQ(startAndCreate(), 0);
  ASSERT_EQ(Graphics_D3D9_ShaderCode_LoadPackage(), 1);
  // The same package without one textured name, packed plain as the tool packs it.
  const std::string missing = "ps_blend0_type3_igcolor0_igtalpha1_ach0.pso";
  const std::filesystem::path folder = std::filesystem::current_path() / "package";
  std::filesystem::create_directories(folder);
  for (const auto& entry : packageNames()) {
    if (entry.first == missing) continue;
    std::ofstream(folder / entry.first, std::ios::binary) << entryBytes(entry.first);
  }
  std::vector<uint8_t> image;
  std::string error;
  halvorine::pack::ArchiveOptions options;
  options.compression = halvorine::pack::ArchiveCompression::Never;
  ASSERT_TRUE(halvorine::pack::packArchive(folder.string(), options, image, error)) << error;
  ArchiveClose(&D3D9PackageSys.baseArchive);
  ArchiveInitialize(&D3D9PackageSys.baseArchive);
  ASSERT_EQ(ArchiveOpenFromMemory(&D3D9PackageSys.baseArchive, image.data(), image.size(), 0, 0, nullptr, nullptr), 0);

  EXPECT_EQ(Graphics_D3D9_Shader_Initialize(), 1);
  EXPECT_TRUE(logged(u"プログラマブルシェーダーを使用します"));
  EXPECT_EQ(Graphics_D3D9_TexturedShader(3, 0, 1), nullptr);
  EXPECT_NE(Graphics_D3D9_TexturedShader(3, 0, 0), nullptr);
  EXPECT_NE(Graphics_D3D9_TexturedShader(4, 0, 1), nullptr);
  Graphics_D3D9_Shader_ReleaseBuiltins();
  ArchiveClose(&D3D9PackageSys.baseArchive);
  ArchiveInitialize(&D3D9PackageSys.baseArchive);
}

TEST_F(D3D9BackEnd, AShaderThatCannotBeMadeFallsBackToNoShaders) {
  struct Case {
    int failingCall;
    std::u16string message;
  } cases[] = {{3, u"基本シェーダーオブジェクトの作成に失敗しました"},
               {7 + 14 + 2, u"マスク処理用シェーダーオブジェクトの作成に失敗しました"}};
  ASSERT_EQ(startAndCreate(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failingCall);
    resetJournal();
    Profile p = defaultProfile();
    p.failOnCall["d3d9.CreatePixelShader"] = c.failingCall;
    setProfile(p);
    forgetLog();
    EXPECT_EQ(Graphics_D3D9_Shader_Initialize(), 1);
    EXPECT_TRUE(logHasInOrder({c.message, u"プログラマブルシェーダーを使用しません"}));
    EXPECT_EQ(ProgrammableShaderFlag, 0);
    for (auto* shader : D3D9ShaderSys.untextured) EXPECT_EQ(shader, nullptr);
    EXPECT_EQ(D3D9ShaderSys.mask, nullptr);
    resetProfile();
  }
}

}  // namespace
}  // namespace d3d9test
