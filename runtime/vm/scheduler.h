// The cooperative micro-thread scheduler: two run queues of thread entries,
// a wake table for suspended threads and the list of threads spawned since
// the last tick. One tick per frame runs every ready thread until it waits
// or ends, then serves collection requests.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

class KVContext;

struct ThreadEntry {
  uint8_t alive = 1;
  uint8_t sentinel = 0;
  uint8_t removed = 0;        // suspended while queued: dropped when it comes up
  uint8_t lost = 0;           // found no room in the wake table: ended when it comes up
  KVContext* context = nullptr;  // null once the thread is destroyed
};

// A ring of entry pointers. head is -1 when empty, tail -1 when full.
class RunQueue {
 public:
  RunQueue(int32_t capacity, bool sentinelQueued);
  RunQueue(const RunQueue&) = delete;
  RunQueue& operator=(const RunQueue&) = delete;
  void push(ThreadEntry* e);
  ThreadEntry* pop();
  // The queued entry of ctx, flagged removed; null when there is none.
  ThreadEntry* take(KVContext* ctx);
  bool full() const { return tail == -1; }
  // Calls f for every entry in the ring, head to tail.
  template <class F>
  void forEach(F f) const {
    if (head < 0) return;
    int32_t i = head;
    do {
      f(slots[i]);
      i = i + 1 == capacity ? 0 : i + 1;
    } while (i != tail && !(tail == -1 && i == head));
  }

  std::vector<ThreadEntry*> slots;
  ThreadEntry sentinel;
  ThreadEntry* current = nullptr;
  int32_t head = -1;
  int32_t tail = 0;
  int32_t capacity;
  bool sentinelQueued;
};

constexpr int32_t kQueueACapacity = 256;
constexpr int32_t kQueueBCapacity = 32;
constexpr int32_t kWakeSlots = 256;
constexpr int32_t kErrSchedulerOverflow = 2;
constexpr int32_t kWarnTooManySuspended = 23;
constexpr uint32_t kCollectMinor = 1;
constexpr uint32_t kCollectFull = 2;

struct Scheduler {
  static void addThread(KVContext* ctx);
  static void addPendingThread(KVContext* ctx);
  static void tick();
  static void suspendThread(KVContext* ctx);
  static void resumeThread(KVContext* ctx);
  // A disposed thread in the wake table would never run again: it is ended
  // now, or by its queue when an entry of it is still queued or running.
  static void endSuspendedThread(KVContext* ctx);

  // Forgets every queue, entry and request (start-up and tests) and registers
  // the scheduler's collector roots.
  static void reset();
  // Requests served at the end of the tick: kCollectMinor, kCollectFull.
  static void requestCollection(uint32_t request);
  // Microseconds spent in ticks since the start-up last cleared it.
  static uint64_t tickTime();
  static void clearTickTime();
  // The clock the tick measures with: the start-up points it at the media
  // layer's microsecond count; until then (and in tests) a monotonic clock.
  using Clock = uint64_t (*)();
  static void setClock(Clock clock);
};

// Full collection: marks the context of every queued, running and suspended thread.
void markSchedulerRoots();

}  // namespace kv
