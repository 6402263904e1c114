// Targets that read their input through the file layer write each input to a file
// first; this writes it (aborting on a write failure) and names it as the media layer
// does, with '\' separators from drive C:.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// A scratch file (or, with `folder`, a folder) of this process in the temporary
// folder, made at the first call and removed with everything in it when the process
// exits. The name lives in memory that is never freed, so the removal can read it
// whatever order the program's statics are destroyed in.
inline const std::string& scratchPath(const char* stem, bool folder = false) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(stem) + "XXXXXX")).string();
  if (folder ? ::mkdtemp(pattern.data()) == nullptr : ::mkstemp(pattern.data()) < 0) std::abort();
  static const std::string* made = nullptr;
  if (made) std::abort();  // one scratch place a process
  made = new std::string(pattern);
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(*made, error);
  });
  return *made;
}

}  // namespace fuzzinput
