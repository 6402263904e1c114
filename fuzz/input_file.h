// The object-file targets read their input through the file layer, so each
// input is written to a file first; this writes it, aborting on a write failure.
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

}  // namespace fuzzinput
