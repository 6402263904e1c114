// Drives the tracked allocator with alloc, realloc and free sequences decoded from the
// input, checking the contents of every live block and both heaps after each step.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/base/log.h"
#include "media/base/memory.h"

// The heap's messages would otherwise fill a "Log.txt" in the working directory.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ZaDod::SetLogFileOutput(0);
  return 0;
}

namespace {

struct Block {
  uint8_t* data;
  size_t size;
  uint8_t fill;
};

size_t decodeSize(uint8_t low, uint8_t high) {
  size_t size = (size_t(high & 0x3F) << 8) | low;  // up to 16 KB
  if (high & 0x80) size = size * 32 + 0x10000;     // into the large-block heap
  return size;
}

void check(bool ok) {
  if (!ok) std::abort();
}

bool intact(const Block& b) {
  for (size_t i = 0; i < b.size; ++i)
    if (b.data[i] != b.fill) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<Block> blocks;
  for (size_t at = 0; at + 4 <= size && blocks.size() < 256; at += 4) {
    uint8_t op = data[at] % 3, pick = data[at + 1];
    size_t request = decodeSize(data[at + 2], data[at + 3]);
    if (op == 0 || blocks.empty()) {
      auto* p = static_cast<uint8_t*>(ZaDod::MemAlloc(request, "fuzz", 1));
      check((p == nullptr) == (request == 0));
      if (p) {
        std::memset(p, pick, request);
        blocks.push_back({p, request, pick});
      }
    } else {
      Block& b = blocks[pick % blocks.size()];
      check(intact(b));
      if (op == 1 && request != 0) {
        auto* p = static_cast<uint8_t*>(ZaDod::MemRealloc(b.data, request, "fuzz", 2));
        check(p != nullptr);
        for (size_t i = 0; i < std::min(request, b.size); ++i) check(p[i] == b.fill);
        std::memset(p, b.fill, request);
        b = {p, request, b.fill};
      } else {
        ZaDod::MemFree(b.data);
        b = blocks.back();
        blocks.pop_back();
      }
    }
    check(ZaDod::MemErrorCheck() == 0);
  }
  for (auto& b : blocks) {
    check(intact(b));
    ZaDod::MemFree(b.data);
  }
  check(ZaDod::MemGetAllocNum() == 0 && ZaDod::MemErrorCheck() == 0);
  return 0;
}
