// Start-up tables of the runtime and a text helper of the compiler.
#include "runtime/library/runtime_tables.h"

#include <cstring>

#include "runtime/compiler/source_files.h"
#include "runtime/library/random_generator.h"

namespace kv {
namespace {
constexpr size_t kDuplicateLimit = 127;
}  // namespace

void prepareRuntimeTables() {
  setupGlobalRandomEngine();
  resetSourceNameTable();
}

char* duplicateCString(const char* text) {
  size_t n = text ? strnlen(text, kDuplicateLimit) : 0;
  char* copy = new char[n + 1];
  if (n) std::memcpy(copy, text, n);
  copy[n] = '\0';
  return copy;
}

}  // namespace kv
