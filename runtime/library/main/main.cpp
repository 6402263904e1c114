// The halvorine program: runs the game named on the command line.
#include <malloc.h>

#include <cstdio>
#include <exception>

#include "runtime/library/runtime_main.h"

namespace {

// Array element blocks and media buffers come and go every few megabytes.
// With the C heap's own sliding limits a freed block at the heap's top is
// given back to the system and its pages are faulted in again by the next
// growth; a game keeps its working set, so the heap keeps up to 32 MB free at
// its top, grows by 4 MB at a time, and maps only blocks of 32 MB and more
// on their own.
void keepHeapPages() {
  constexpr int kKeepFree = 32 << 20;
  mallopt(M_TRIM_THRESHOLD, kKeepFree);
  mallopt(M_TOP_PAD, 4 << 20);
  mallopt(M_MMAP_THRESHOLD, kKeepFree);
}

}  // namespace

int main(int argc, char** argv) {
  keepHeapPages();
  try {
    return kv::runtimeMain(argc, argv);
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
}
