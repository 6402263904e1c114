// The one arena for identifier and string texts of every compilation.
#include "runtime/compiler/symbol_text_pool.h"

#include <cstring>
#include <memory>

#include "runtime/vm/errors.h"

namespace kv {

namespace {

struct SymbolTextPool {
  std::unique_ptr<char[]> base{new char[kSymbolTextPoolSize]};
  size_t cursor = 0;
};

std::unique_ptr<SymbolTextPool> gPool;

}  // namespace

void createSymbolTextPool() {
  if (!gPool) gPool = std::make_unique<SymbolTextPool>();
}

const char* internSymbolText(const char* text, size_t n) {
  createSymbolTextPool();
  if (n == 0 || n > kSymbolTextPoolSize - gPool->cursor) throw CompileError(24);
  char* copy = gPool->base.get() + gPool->cursor;
  std::memcpy(copy, text, n - 1);
  copy[n - 1] = '\0';
  gPool->cursor += n;
  return copy;
}

size_t symbolTextPoolUsed() { return gPool ? gPool->cursor : 0; }

void resetSymbolTextPoolForTests() {
  if (gPool) gPool->cursor = 0;
}

}  // namespace kv
