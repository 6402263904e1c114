// Targets that read their input through the file layer write each input to a file
// first; this writes it (aborting on a write failure) and names it as the media layer
// does, with '\' separators from drive C:.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzinput {

inline void writeInputFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

inline std::u16string windowsPath(const std::string& posix) {
  std::u16string path = u"C:";
  for (char c : posix) path += c == '/' ? u'\\' : static_cast<char16_t>(static_cast<unsigned char>(c));
  return path;
}

}  // namespace fuzzinput
