// The Direct3D 9 shader packages: the archive of the built-in pixel shaders by the file
// names the back end builds, the RGBA-mix table and the filter archive (the filters of both
// back ends and this one's HSB pass pair). Each entry holds
// the token of the shader bank's function that does the file's work.
#include <cstdio>

#include "tools/shaderpack/package_write.h"

namespace halvorine::shaderpack {
namespace {

// The back end asks for every blend, type, igcolor, igtalpha and ach; the package holds
// what its draw paths choose: blend 0, igcolor 0 and ach 0, with every type and both
// igtalpha forms. The bank's textured functions take kind, variant (igcolor), ignore
// texture alpha (igtalpha) and the alpha-test variant (0: this interface tests alpha in
// the output merger).
std::vector<NamedEntry> builtinFiles() {
  std::vector<NamedEntry> files;
  char file[64], name[64];
  for (int t = 0; t < 7; ++t) {
    std::snprintf(file, sizeof file, "ps_nonetex_type%d_ach0.pso", t);
    std::snprintf(name, sizeof name, "untex_ps_k%d_a0", t);
    files.push_back({file, {Stage::pixel, name}});
  }
  for (int t = 0; t < 7; ++t)
    for (int i = 0; i < 2; ++i) {
      std::snprintf(file, sizeof file, "ps_blend0_type%d_igcolor0_igtalpha%d_ach0.pso", t, i);
      std::snprintf(name, sizeof name, "tex_ps_k%d_v0_i%d_a0", t, i);
      files.push_back({file, {Stage::pixel, name}});
    }
  files.push_back({"ps_mask_blend.pso", {Stage::pixel, "mask_ps"}});
  files.push_back({"ps_shadowmap_depth.pso", {Stage::pixel, "sm3d_ps"}});
  // The file names go a, r, g, b; the bank numbers channels r 0, g 1, b 2, a 3.
  static const char kChannel[4] = {'a', 'r', 'g', 'b'};
  static const int kBankChannel[4] = {3, 0, 1, 2};
  for (int c = 0; c < 4; ++c) {
    for (int reversed = 0; reversed < 2; ++reversed) {
      std::snprintf(file, sizeof file, "ps_mask_blend_use_grhandle_ch%c%s.pso", kChannel[c],
                    reversed ? "_reverse" : "");
      std::snprintf(name, sizeof name, "%s_ch%d_ps", reversed ? "mask_rev" : "mask", kBankChannel[c]);
      files.push_back({file, {Stage::pixel, name}});
    }
  }
  return files;
}

}  // namespace

std::string d3d9PackagesSource(const std::string& scratch) {
  std::vector<uint8_t> base, mix, filters;
  // This back end's HSB runs as a pass pair besides the one-pass hue lock.
  std::vector<NamedEntry> filterSet = filterFiles();
  for (const char* n : {"Hsb_RGB_TO_HSB", "Hsb_HSB_TO_RGB"})
    filterSet.push_back({std::string(n) + ".pso", Entry{Stage::pixel, n}});
  if (!tokenArchive(scratch + ".base", builtinFiles(), true, base) || !sizedTable(mixEntries(), mix) ||
      !tokenArchive(scratch + ".filters", filterSet, true, filters))
    return "";
  return generatedSource("tools/shaderpack/d3d9_shader_packages.h", {{"D3D9ShaderBaseArchive", &base},
                                                                     {"D3D9ShaderRGBAMixPackage", &mix},
                                                                     {"D3D9ShaderFilterArchive", &filters}});
}

}  // namespace halvorine::shaderpack
