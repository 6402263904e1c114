// Build-time writer of the Direct3D 11 shader packages: generated C++ holding the base
// package, the RGBA-mix table, the filter archive and the 3D package as printable-text
// blobs of LZ streams. Each code entry is a shader token naming a function of the software
// GPU's shader bank; the name lists below are where later shader families add theirs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/pack/archive_write.h"
#include "tools/pack/lz_encode.h"
#include "tools/pack/text_pack.h"

namespace {

enum class Stage { vertex, pixel };

struct Entry {
  Stage stage;
  std::string name;  // empty: an entry without code
};

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
  e.push_back({Stage::pixel, "mask_ps"});
  e.push_back({Stage::pixel, "mask_rev_ps"});
  for (int ch = 0; ch < 4; ++ch) e.push_back({Stage::pixel, "mask_ch" + std::to_string(ch) + "_ps"});
  for (int ch = 0; ch < 4; ++ch) e.push_back({Stage::pixel, "mask_rev_ch" + std::to_string(ch) + "_ps"});
  e.push_back({Stage::vertex, "copy_vs"});
  e.push_back({Stage::vertex, "copy8_vs"});
  e.push_back({Stage::pixel, "copy_ps"});
  return e;
}

// The RGBA-mix table: entry a + 4 (b + 4 (g + 4 r)) mixes the source's channels r, g, b, a.
std::vector<Entry> mixEntries() {
  std::vector<Entry> e;
  char name[32];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(name, sizeof name, "RGBAMix_I%03d", i);
    e.push_back({Stage::pixel, name});
  }
  return e;
}

// The 3D package: 2822 entries, none with code (3D draws are not offered).
std::vector<Entry> entries3D() { return std::vector<Entry>(2822, Entry{Stage::pixel, ""}); }

// The filter and blend shaders: file "<name>.pso" holds the token of bank shader <name>.
struct FilterFile {
  std::string file;
  Entry entry;
};
std::vector<FilterFile> filterFiles() {
  static const char* const kNames[] = {
      "Mono", "Gauss_08Pixel_PS", "Gauss_16Pixel_PS", "Gauss_32Pixel_PS", "DownScaleX2", "DownScaleX4",
      "DownScaleX8", "BrightClipLess", "BrightClipFillLess", "BrightClipGreater", "BrightClipFillGreater",
      "BrightnessScale", "Hsb_HSB_BASE", "Hsb_HSB_HLOCK", "Invert", "Level", "TwoColor", "GradientMap",
      "GradientMapRev", "PremultipliedAlpha", "InterpolatedAlpha", "Y2uv2ToRgb", "Y2uv1ToRgb", "Y2uv2ToRgb_RRA",
      "Y2uv1ToRgb_RRA", "Bicubic", "Lanczos3", "BasBF_Normal", "BasBF_Multiple", "BasBF_Difference", "BasBF_Add",
      "BasBF_Screen", "BasBF_Overlay", "BasBF_Dodge", "BasBF_Burn", "BasBF_Darken", "BasBF_Lighten",
      "BasBF_SoftLight", "BasBF_HardLight", "BasBF_Exclusion", "BasBF_Normal_AlphaCh", "BasBF_Add_AlphaCh",
      "BasBF_Multiple_AOnly", "BasBF_PMA_Multiple_AOnly", "RGBAMix_Base"};
  std::vector<FilterFile> files;
  for (const char* n : kNames) files.push_back({std::string(n) + ".pso", Entry{Stage::pixel, n}});
  // The named channel mixes: three source letters (all one colour, or R, G, B) and a
  // blend-graph letter.
  static const char kLetters[4] = {'R', 'G', 'B', 'A'};
  char name[40];
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 4; ++g)
      for (int b = 0; b < 4; ++b)
        for (int a = 0; a < 4; ++a) {
          if (!(r == g && g == b) && !(r == 0 && g == 1 && b == 2)) continue;
          std::snprintf(name, sizeof name, "RGBAMix_S%cS%cS%cB%c", kLetters[r], kLetters[g], kLetters[b], kLetters[a]);
          files.push_back({std::string(name) + ".pso", Entry{Stage::pixel, name}});
        }
  return files;
}

void putWord(std::vector<uint8_t>& out, uint32_t w) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
}

// A shader token: version word, "STND", kind, name length, the name padded with zeros to
// a multiple of 4, the end word. Its layout is the one the shader bank reads.
std::vector<uint8_t> token(const Entry& e) {
  std::vector<uint8_t> t;
  if (e.name.empty()) return t;
  putWord(t, e.stage == Stage::vertex ? 0xFFFE0300u : 0xFFFF0300u);
  t.insert(t.end(), {'S', 'T', 'N', 'D'});
  putWord(t, e.stage == Stage::vertex ? 0u : 1u);
  putWord(t, uint32_t(e.name.size()));
  t.insert(t.end(), e.name.begin(), e.name.end());
  while (t.size() % 4 != 0) t.push_back(0);
  putWord(t, 0x0000FFFFu);
  return t;
}

// A table of 16-bit sizes followed by the code blocks end to end.
bool sizedTable(const std::vector<Entry>& entries, std::vector<uint8_t>& out) {
  std::vector<uint8_t> code;
  for (const Entry& e : entries) {
    const std::vector<uint8_t> t = token(e);
    if (t.size() > 0xFFFF) return false;
    out.push_back(uint8_t(t.size()));
    out.push_back(uint8_t(t.size() >> 8));
    code.insert(code.end(), t.begin(), t.end());
  }
  out.insert(out.end(), code.begin(), code.end());
  return true;
}

bool filterArchive(const std::string& scratch, std::vector<uint8_t>& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch, ec);
  if (ec) return false;
  for (const FilterFile& f : filterFiles()) {
    const std::vector<uint8_t> t = token(f.entry);
    std::ofstream file(fs::path(scratch) / f.file, std::ios::binary);
    file.write(reinterpret_cast<const char*>(t.data()), std::streamsize(t.size()));
    if (!file) return false;
  }
  std::string error;
  halvorine::pack::ArchiveOptions options;
  options.compression = halvorine::pack::ArchiveCompression::Never;  // entries are read in place
  const bool ok = halvorine::pack::packArchive(scratch, options, out, error);
  if (!ok) std::cerr << "shaderpack: " << error << "\n";
  fs::remove_all(scratch, ec);
  return ok;
}

std::string blob(const char* name, const std::vector<uint8_t>& bytes) {
  const std::vector<uint8_t> lz = halvorine::pack::encodeLZ(bytes.data(), bytes.size());
  return std::string("char ") + name + "[] =\n    " +
         halvorine::pack::packedTextLiteral(halvorine::pack::packText(lz.data(), lz.size())) + ";\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: halvorine_shaderpack <output.cpp>\n";
    return 2;
  }
  const std::string output = argv[1];
  std::vector<uint8_t> base, mix, threeD, archive;
  if (!sizedTable(baseEntries(), base) || !sizedTable(mixEntries(), mix) || !sizedTable(entries3D(), threeD) ||
      !filterArchive(output + ".filters", archive)) {
    std::cerr << "shaderpack: cannot build the packages\n";
    return 1;
  }
  std::string source =
      "// Generated by tools/shaderpack from its name lists. Do not edit.\n"
      "#include \"tools/shaderpack/shader_packages.h\"\n\nnamespace ZaDod {\n\n";
  source += blob("D3D11ShaderBasePackage", base);
  source += blob("D3D11ShaderRGBAMixPackage", mix);
  source += blob("D3D11ShaderFilterArchive", archive);
  source += blob("D3D11Shader3DPackage", threeD);
  source += "}  // namespace ZaDod\n";
  const std::string temporary = output + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary);
    file << source;
    if (!file.flush()) {
      std::cerr << "shaderpack: cannot write " << temporary << "\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::cerr << "shaderpack: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
