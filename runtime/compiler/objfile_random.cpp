#include "runtime/compiler/objfile_random.h"

#include <random>

namespace kv {

uint32_t drawFillerWord() {
  static std::mt19937 engine;
  return static_cast<uint32_t>(engine() >> 1);
}

}  // namespace kv
