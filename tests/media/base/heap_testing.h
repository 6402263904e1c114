// Shared by the heap and tracked-memory tests: a log recorder and a structural walk.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "media/base/media_heap.h"
#include "media/base/log.h"

namespace heap_testing {

class LogRecorder {
 public:
  LogRecorder() {
    clear();
    ZaDod::SetLogTestHook(&record);
  }
  ~LogRecorder() { ZaDod::SetLogTestHook(nullptr); }
  static void clear() {
    std::lock_guard<std::mutex> hold(mutex());
    lines().clear();
  }
  // Whether any recorded line contains text.
  static bool saw(const std::u16string& text) {
    std::lock_guard<std::mutex> hold(mutex());
    for (auto& line : lines())
      if (line.find(text) != std::u16string::npos) return true;
    return false;
  }
  static std::vector<std::u16string> all() {
    std::lock_guard<std::mutex> hold(mutex());
    return lines();
  }

 private:
  static void record(const char16_t* line) {
    std::lock_guard<std::mutex> hold(mutex());
    lines().emplace_back(line);
  }
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::vector<std::u16string>& lines() {
    static std::vector<std::u16string> l;
    return l;
  }
};

// A block filled with one byte value, to see that its contents survive.
struct Block {
  uint8_t* data;
  size_t size;
  uint8_t fill;
};

inline bool intact(const Block& b) {
  for (size_t i = 0; i < b.size; ++i)
    if (b.data[i] != b.fill) return false;
  return true;
}

inline int pageCount(const ZaDod::HeapInfo* heap) {
  int n = 0;
  for (ZaDod::HeapMemInfo* p = heap->PageList; p; p = p->NextPage) ++n;
  return n;
}

// Walks the tag list under the heap's lock: no two free tags of a page may be
// neighbours, and the tag sizes must add up to the heap's use and free totals.
inline bool heapShapeIsSound(ZaDod::HeapInfo* heap) {
  using namespace ZaDod;
  CriticalSection_Lock(&heap->Lock, "test", __LINE__);
  size_t sum = 0;
  bool sound = true;
  for (MemTag* tag = heap->TagFirst; tag; tag = tag->Next) {
    sum += tag->Size;
    bool isFree = !(tag->Flags & MEMTAG_FLAG_USE);
    if (isFree && (tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE)) sound = false;
  }
  if (sum != heap->TotalUseSize + heap->TotalFreeSize) sound = false;
  CriticalSection_Unlock(&heap->Lock);
  return sound;
}

}  // namespace heap_testing
