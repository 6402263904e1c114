// The pieces both shader-package writers share: shader tokens, sized tables, archives of
// named tokens, and the printable-text blob a generated source holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvorine::shaderpack {

enum class Stage { vertex, pixel };

struct Entry {
  Stage stage;
  std::string name;  // empty: an entry without code
};

// A file of an archive holding one shader token.
struct NamedEntry {
  std::string file;
  Entry entry;
};

// A shader token: version word, "STND", kind, name length, the name padded with zeros to
// a multiple of 4, the end word. Its layout is the one the shader bank reads.
std::vector<uint8_t> token(const Entry& e);
// A table of 16-bit sizes followed by the code blocks end to end.
bool sizedTable(const std::vector<Entry>& entries, std::vector<uint8_t>& out);
// An archive of the tokens by file name, made in the scratch folder; `plain` stores every
// entry uncompressed so that its bytes can be used in place.
bool tokenArchive(const std::string& scratch, const std::vector<NamedEntry>& files, bool plain,
                  std::vector<uint8_t>& out);
// "char <name>[] = ...;": the bytes LZ-compressed, then packed as printable text.
std::string blob(const char* name, const std::vector<uint8_t>& bytes);
// A generated source: the header it includes, then one blob per named package.
struct NamedBlob {
  const char* name;
  const std::vector<uint8_t>* bytes;
};
std::string generatedSource(const char* header, const std::vector<NamedBlob>& blobs);

// The RGBA-mix table: entry a + 4 (b + 4 (g + 4 r)) mixes the source's channels r, g, b, a.
std::vector<Entry> mixEntries();
// The filter and blend shaders of both back ends: file "<name>.pso" holds the token of
// bank shader <name>.
std::vector<NamedEntry> filterFiles();

// The generated source of the Direct3D 9 packages; empty when they cannot be built.
std::string d3d9PackagesSource(const std::string& scratch);

}  // namespace halvorine::shaderpack
