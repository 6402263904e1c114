// Shared by the shader-machine tests: programs from assembler text, decoded by the
// Direct3D 9 decoder, and the test shaders kept as text beside the tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gpu/d3d9/sm3_decode.h"
#include "platform/gpu/shaders/vm/interpreter.h"
#include "tools/shaderasm/shader_asm.h"

namespace vmtest {

using namespace plat::gpu;

inline std::vector<uint32_t> assembled(const std::string& text) {
  std::vector<uint32_t> words;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(text, words, err)) << err << "\n" << text;
  return words;
}

inline vm::Program decoded(const std::string& text) {
  const std::vector<uint32_t> w = assembled(text);
  vm::Program p;
  std::string reason;
  EXPECT_TRUE(sm3::decode(w.data(), w.size(), p, reason)) << reason << "\n" << text;
  return p;
}

inline std::string shaderDir() { return std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders"; }

inline std::string readText(const std::string& path) {
  std::ifstream f(path);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Every test shader kept as text, by file name.
inline std::vector<std::pair<std::string, std::string>> testShaders() {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& e : std::filesystem::directory_iterator(shaderDir()))
    if (e.path().extension() == ".asm") out.emplace_back(e.path().filename().string(), readText(e.path().string()));
  std::sort(out.begin(), out.end());
  return out;
}

inline void setLane(vm::Reg& r, int lane, float x, float y, float z, float w) {
  r.v[0][lane] = x;
  r.v[1][lane] = y;
  r.v[2][lane] = z;
  r.v[3][lane] = w;
}

}  // namespace vmtest
