// Test sound files made by the encoders installed for the tests (sox, oggenc, opusenc,
// lame) in a fresh folder per process, read back as bytes.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace halvorine_test {

// The folder is removed when the test program ends (its name is kept in a plain array,
// which outlives every destructor).
inline const std::string& codecFolder() {
  static char made[] = "/tmp/halvorine-codec-XXXXXX";
  static const std::string dir = [] {
    if (mkdtemp(made) == nullptr) return std::string("/tmp");
    std::atexit([] { std::system((std::string("rm -rf '") + made + "'").c_str()); });
    return std::string(made);
  }();
  return dir;
}

inline bool haveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command in the folder; true when it succeeded.
inline bool inFolder(const std::string& command) {
  return std::system(("cd '" + codecFolder() + "' && (" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

inline std::vector<std::uint8_t> readBytes(const std::string& name) {
  std::ifstream in(codecFolder() + "/" + name, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::int16_t> readSamples(const std::string& name) {
  const std::vector<std::uint8_t> b = readBytes(name);
  std::vector<std::int16_t> s(b.size() / 2);
  if (!s.empty()) std::memcpy(s.data(), b.data(), s.size() * 2);
  return s;
}

// Makes `name` once per process with `command`; skips the test when the tool is missing.
#define HALVORINE_NEED_FILE(tool, name, command)                                        \
  do {                                                                                  \
    if (!haveTool(tool)) GTEST_SKIP() << tool << " is not installed";                   \
    if (access((codecFolder() + "/" + (name)).c_str(), R_OK) != 0) {                     \
      ASSERT_TRUE(inFolder(command)) << command;                                        \
    }                                                                                   \
  } while (0)

}  // namespace halvorine_test
