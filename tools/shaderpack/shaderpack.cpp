// Build-time writer of the shader packages: generated C++ holding, for Direct3D 11, the
// base package, the RGBA-mix table, the filter archive and the 3D package, and for
// Direct3D 9 its built-in archive, RGBA-mix table and filter archive, as printable-text
// blobs of LZ streams. Each code entry is a shader token naming a function of the software
// GPU's shader bank; the name lists below are where later shader families add theirs.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/gpu/shaders/package3d.h"
#include "tools/shaderpack/package_write.h"

namespace {

using namespace halvorine::shaderpack;

// The base package's 258 entries, in package order.
std::vector<Entry> baseEntries() {
  std::vector<Entry> e;
  for (int f = 0; f < 7; ++f) e.push_back({Stage::vertex, "std_vs_f" + std::to_string(f)});
  for (int kind = 0; kind < 7; ++kind)
    for (int variant = 0; variant < 2; ++variant)
      e.push_back({Stage::pixel, "untex_ps_k" + std::to_string(kind) + "_a" + std::to_string(variant)});
  // Four tables of 56 (no blend graph, blend-graph kinds 0..2), each indexed by
  // alpha-test variant + 2 x (ignore-texture-alpha + 2 x (shader variant + 2 x kind)).
  static const char* const kTables[4] = {"tex", "bg0", "bg1", "bg2"};
  char name[64];
  for (const char* table : kTables)
    for (int index = 0; index < 56; ++index) {
      std::snprintf(name, sizeof name, "%s_ps_k%d_v%d_i%d_a%d", table, index >> 3, (index >> 2) & 1,
                    (index >> 1) & 1, index & 1);
      e.push_back({Stage::pixel, name});
    }
  // The mask image here is one 8-bit channel: its shaders read red.
  e.push_back({Stage::pixel, "mask_r_ps"});
  e.push_back({Stage::pixel, "mask_rev_r_ps"});
  for (int ch = 0; ch < 4; ++ch) e.push_back({Stage::pixel, "mask_ch" + std::to_string(ch) + "_ps"});
  for (int ch = 0; ch < 4; ++ch) e.push_back({Stage::pixel, "mask_rev_ch" + std::to_string(ch) + "_ps"});
  e.push_back({Stage::vertex, "copy_vs"});
  e.push_back({Stage::vertex, "copy8_vs"});
  e.push_back({Stage::pixel, "copy_ps"});
  return e;
}

// The 3D package: 2822 entries in the layout the bank and the back end share; reserved
// entries have no code.
std::vector<Entry> entries3D() {
  std::vector<Entry> e;
  for (const plat::gpu::Package3DEntry& p : plat::gpu::package3DLayout())
    e.push_back({p.stage == plat::gpu::ShaderStage::vertex ? Stage::vertex : Stage::pixel, p.name});
  return e;
}

// Writes through a temporary file so that a failed run leaves no half source behind.
bool writeSource(const std::string& output, const std::string& source) {
  const std::string temporary = output + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary);
    file << source;
    if (!file.flush()) {
      std::cerr << "shaderpack: cannot write " << temporary << "\n";
      return false;
    }
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::cerr << "shaderpack: cannot write " << output << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: halvorine_shaderpack <d3d11-output.cpp> <d3d9-output.cpp>\n";
    return 2;
  }
  const std::string output = argv[1];
  std::vector<uint8_t> base, mix, threeD, archive;
  if (!sizedTable(baseEntries(), base) || !sizedTable(mixEntries(), mix) || !sizedTable(entries3D(), threeD) ||
      !tokenArchive(output + ".filters", filterFiles(), true, archive)) {
    std::cerr << "shaderpack: cannot build the packages\n";
    return 1;
  }
  const std::string source =
      generatedSource("tools/shaderpack/shader_packages.h",
                      {{"D3D11ShaderBasePackage", &base}, {"D3D11ShaderRGBAMixPackage", &mix},
                       {"D3D11ShaderFilterArchive", &archive}, {"D3D11Shader3DPackage", &threeD}});
  const std::string d3d9 = d3d9PackagesSource(std::string(argv[2]) + ".scratch");
  if (d3d9.empty()) {
    std::cerr << "shaderpack: cannot build the Direct3D 9 packages\n";
    return 1;
  }
  return writeSource(output, source) && writeSource(argv[2], d3d9) ? 0 : 1;
}
