// The record of seam calls: a fixed ring of name pointers that the pump and start-up
// append to without a lock or an allocation, and that tests take in order.
#include "media/system/seam_record.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace ZaDod {
namespace {

// Per-pass calls would grow without bound in a long run; the ring keeps the recent ones.
constexpr uint64_t kRingSize = 4096;

// Every name is a string literal, so the ring keeps the pointer, never a copy.
std::atomic<const char*> ring[kRingSize];
std::atomic<uint64_t> written{0};
uint64_t taken = 0;      // guarded by takeLock
std::mutex takeLock;     // only takers contend; recorders never lock

}  // namespace

void RecordSeamCall(const char* name) {
  uint64_t at = written.fetch_add(1, std::memory_order_relaxed);
  ring[at % kRingSize].store(name, std::memory_order_release);
}

std::vector<std::string> TakeSeamCalls() {
  std::lock_guard lock(takeLock);
  uint64_t end = written.load(std::memory_order_acquire);
  uint64_t from = end - taken > kRingSize ? end - kRingSize : taken;
  std::vector<std::string> calls;
  calls.reserve(end - from);
  for (uint64_t i = from; i < end; ++i) {
    // A call recorded at this moment on another thread may not have stored its name yet.
    if (const char* name = ring[i % kRingSize].load(std::memory_order_acquire)) calls.emplace_back(name);
  }
  taken = end;
  return calls;
}

}  // namespace ZaDod
