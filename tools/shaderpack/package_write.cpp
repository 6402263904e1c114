// Shader tokens, sized tables, token archives and printable-text blobs for the package
// writers.
#include "tools/shaderpack/package_write.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/pack/archive_write.h"
#include "tools/pack/lz_encode.h"
#include "tools/pack/text_pack.h"

namespace halvorine::shaderpack {
namespace {

void putWord(std::vector<uint8_t>& out, uint32_t w) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
}

}  // namespace

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

bool tokenArchive(const std::string& scratch, const std::vector<NamedEntry>& files, bool plain,
                  std::vector<uint8_t>& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch, ec);
  if (ec) return false;
  for (const NamedEntry& f : files) {
    const std::vector<uint8_t> t = token(f.entry);
    std::ofstream file(fs::path(scratch) / f.file, std::ios::binary);
    file.write(reinterpret_cast<const char*>(t.data()), std::streamsize(t.size()));
    if (!file) return false;
  }
  std::string error;
  halvorine::pack::ArchiveOptions options;
  if (plain) options.compression = halvorine::pack::ArchiveCompression::Never;
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

}  // namespace halvorine::shaderpack
