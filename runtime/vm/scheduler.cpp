// The cooperative scheduler of micro-threads: run queues, ticks and waits.
#include "runtime/vm/scheduler.h"

#include <chrono>
#include <list>
#include <memory>
#include <set>

#include "runtime/vm/activation.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"

namespace kv {
namespace {

uint64_t steadyMicroseconds() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

struct SchedulerState {
  RunQueue a{kQueueACapacity, false};
  RunQueue b{kQueueBCapacity, true};
  ThreadEntry* wake[kWakeSlots] = {};
  std::list<ThreadEntry*> pending;
  uint32_t requests = 0;
  uint64_t start = 0;
  uint64_t accumulated = 0;
  Scheduler::Clock clock = &steadyMicroseconds;

  // Every entry once: a thread suspended while queued sits in both its
  // queue and the wake table, and a running one may be suspended too.
  std::set<ThreadEntry*> entries() const {
    std::set<ThreadEntry*> all(pending.begin(), pending.end());
    auto add = [&](ThreadEntry* e) {
      if (e && !e->sentinel) all.insert(e);
    };
    a.forEach(add);
    b.forEach(add);
    // An error that left a run keeps that run's entry here.
    add(a.current);
    add(b.current);
    for (ThreadEntry* e : wake) add(e);
    return all;
  }
  ~SchedulerState() {
    for (ThreadEntry* e : entries()) delete e;
  }
};

std::unique_ptr<SchedulerState> gState = std::make_unique<SchedulerState>();

void visitSchedulerRoots(bool full, void*) {
  // Every context visits itself at every collection; the full collection
  // also marks the threads here by name.
  if (full) markSchedulerRoots();
}

RunQueue& queueFor(const KVContext* ctx) { return ctx->priority >= 1 ? gState->a : gState->b; }

// A thread that ended (or found its queue full): an owned context is
// destroyed; the main program's end is noted.
void destroyEntry(ThreadEntry* e) {
  if (KVContext* ctx = e->context) {
    if (ctx->spawned) destroyContext(ctx);
    else gMainProgramRunning = false;
    e->context = nullptr;
  }
  delete e;
}

bool runEntry(ThreadEntry* e) {
  KVContext* ctx = e->context;
  if (!ctx) return true;
  if (ctx->countdown > 0) {
    --ctx->countdown;
    return true;
  }
  // Interval k runs the thread once every k ticks; 0 and 1 every tick.
  ctx->countdown = ctx->interval > 1 ? ctx->interval - 1 : 0;
  resumeContext(ctx);
  return ctx->state != 0 && !ctx->disposed;
}

void runQueue(RunQueue& q) {
  if (!q.sentinelQueued) {
    q.push(&q.sentinel);
    q.sentinelQueued = true;
  }
  while (q.head != -1) {
    ThreadEntry* e = q.pop();
    q.current = e;
    if (e->sentinel) {
      q.current = nullptr;
      q.sentinelQueued = false;
      return;
    }
    if (e->lost) {
      destroyEntry(e);
      q.current = nullptr;
      continue;
    }
    if (e->removed) {
      e->removed = 0;  // it lives on in the wake table
      q.current = nullptr;
      continue;
    }
    e->alive = runEntry(e);
    if (e->lost) {
      destroyEntry(e);
    } else if (e->removed) {
      e->removed = 0;
    } else if (e->alive && !q.full()) {
      q.push(e);
    } else {
      destroyEntry(e);
    }
    q.current = nullptr;
  }
}

// Asked-for collections first; then a full one when the old space (or the
// storage its objects own outside the heap) has grown enough since the last,
// so that a game that never asks still gets its old garbage back.
void serveCollections() {
  uint32_t r = gState->requests;
  gState->requests = 0;
  if (r & kCollectMinor) collectYoung();
  if (r & kCollectFull) fullCollect();
  if (fullCollectionDue()) fullCollect();
}

void markEntry(const ThreadEntry* e) {
  if (e && !e->sentinel && e->context) markContext(e->context, true);
}

}  // namespace

RunQueue::RunQueue(int32_t cap, bool queued) : slots(cap, nullptr), capacity(cap), sentinelQueued(false) {
  sentinel.sentinel = 1;
  if (queued) {
    push(&sentinel);
    sentinelQueued = true;
  }
}

void RunQueue::push(ThreadEntry* e) {
  if (tail == -1) throw RuntimeError(kErrSchedulerOverflow);
  if (head == -1) head = tail;
  slots[tail] = e;
  tail = tail + 1 == capacity ? 0 : tail + 1;
  if (tail == head) tail = -1;
}

ThreadEntry* RunQueue::pop() {
  if (head == -1) throw RuntimeError(kErrSchedulerOverflow);
  ThreadEntry* e = slots[head];
  slots[head] = nullptr;
  int32_t freed = head;
  head = head + 1 == capacity ? 0 : head + 1;
  if (tail == -1) tail = freed;
  if (head == tail) {
    head = -1;
    tail = 0;
  }
  return e;
}

ThreadEntry* RunQueue::take(KVContext* ctx) {
  ThreadEntry* found = nullptr;
  forEach([&](ThreadEntry* e) {
    if (!found && e && !e->sentinel && e->context == ctx) found = e;
  });
  if (found) found->removed = 1;
  return found;
}

void Scheduler::addThread(KVContext* ctx) {
  auto* e = new ThreadEntry;
  e->context = ctx;
  try {
    gState->a.push(e);
  } catch (...) {
    delete e;
    throw;
  }
}

void Scheduler::addPendingThread(KVContext* ctx) {
  auto* e = new ThreadEntry;
  e->context = ctx;
  gState->pending.push_back(e);
}

void Scheduler::tick() {
  SchedulerState& s = *gState;
  s.start = s.clock();
  // The scripts about to run may drop what the last full collection kept.
  gHeap.fullDone = false;
  runQueue(s.a);
  runQueue(s.b);
  serveCollections();
  while (!s.pending.empty()) {
    ThreadEntry* e = s.pending.front();
    queueFor(e->context).push(e);
    s.pending.pop_front();
  }
  s.accumulated += s.clock() - s.start;
  s.start = 0;
}

void Scheduler::suspendThread(KVContext* ctx) {
  for (RunQueue* q : {&gState->a, &gState->b}) {
    ThreadEntry* e = nullptr;
    if (q->current && !q->current->sentinel && q->current->context == ctx) {
      e = q->current;
      e->removed = 1;
    } else {
      e = q->take(ctx);
    }
    if (!e) continue;
    for (ThreadEntry*& slot : gState->wake) {
      if (!slot) {
        slot = e;
        return;
      }
    }
    // No room: the thread is lost. Its queue ends it when it comes up, so
    // its context and registry slot are released.
    e->removed = 0;
    e->lost = 1;
    raiseRuntimeWarning(kWarnTooManySuspended);
    return;
  }
}

void Scheduler::resumeThread(KVContext* ctx) {
  for (ThreadEntry*& slot : gState->wake) {
    if (slot && slot->context == ctx) {
      // Queued first: when the queue is full the entry stays in the wake
      // table, which still owns it, instead of being lost with the error.
      queueFor(ctx).push(slot);
      slot = nullptr;
      return;
    }
  }
}

void Scheduler::endSuspendedThread(KVContext* ctx) {
  for (ThreadEntry*& slot : gState->wake) {
    if (!slot || slot->context != ctx) continue;
    ThreadEntry* e = slot;
    slot = nullptr;
    bool queued = false;
    for (RunQueue* q : {&gState->a, &gState->b}) {
      queued |= q->current == e;
      q->forEach([&](ThreadEntry* x) { queued |= x == e; });
    }
    if (queued) {
      e->removed = 0;
      e->lost = 1;
    } else {
      destroyEntry(e);
    }
    return;
  }
}

void Scheduler::reset() {
  // The spawned threads end with the scheduler that runs them.
  for (ThreadEntry* e : gState->entries())
    if (e->context && e->context->spawned) destroyContext(e->context);
  Clock clock = gState->clock;
  gState = std::make_unique<SchedulerState>();
  gState->clock = clock;
  gMainProgramRunning = true;
  registerRoot(RootRank::Scheduler, &visitSchedulerRoots, nullptr);
}

void Scheduler::requestCollection(uint32_t request) { gState->requests |= request; }
uint64_t Scheduler::tickTime() { return gState->accumulated; }
void Scheduler::clearTickTime() { gState->accumulated = 0; }
void Scheduler::setClock(Clock clock) { gState->clock = clock ? clock : &steadyMicroseconds; }

void markSchedulerRoots() {
  for (RunQueue* q : {&gState->a, &gState->b}) {
    markEntry(q->current);
    q->forEach(markEntry);
  }
  for (ThreadEntry* e : gState->wake) markEntry(e);
}

}  // namespace kv
