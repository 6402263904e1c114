// The scheduler over threads whose programs are natives: order of the two
// queues, spawning, suspension, intervals, the registry's limits and the
// collection requests served at the end of a tick.
#include <functional>
#include <map>
#include <vector>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/microthread.h"
#include "vm_fixture.h"

namespace kvtest {
namespace {

using namespace kv;

class Scheduling : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    self = this;
    mainContext();
  }
  void TearDown() override {
    self = nullptr;
    VmTest::TearDown();
  }

  // A thread whose run records its number and, while it has waits left,
  // waits; `then` runs inside its run.
  struct Script {
    int32_t id;
    int32_t waits;
    std::function<void()> then;
  };
  static void threadBody(KVContext* ctx) {
    Script& s = self->scripts[ctx];
    self->ran.push_back(s.id);
    if (s.then) s.then();
    if (s.waits != 0) {
      if (s.waits > 0) --s.waits;
      ctx->state |= KVContext::kSuspended;
    }
  }
  KVContext* thread(int32_t id, int32_t waits = -1, int32_t priority = 128, std::function<void()> then = {}) {
    auto* t = new KVContext;
    t->program = permanentCallable(Callable{nullptr, nullptr, &threadBody});
    t->priority = priority;
    scripts[t] = Script{id, waits, std::move(then)};
    return t;
  }
  KVWeakContext* spawnPending(KVContext* t) {
    KVWeakContext* h = newKVWeakContext(t);
    Scheduler::addPendingThread(t);
    return h;
  }
  std::vector<int32_t> tick() {
    ran.clear();
    Scheduler::tick();
    gCurrentContext = ctx_;
    return ran;
  }
  size_t warnings(const char* code) { return countOf(logText(), code); }

  static inline Scheduling* self = nullptr;
  std::map<KVContext*, Script> scripts;
  std::vector<int32_t> ran;
};

using Order = std::vector<int32_t>;

TEST_F(Scheduling, QueuesRunInOrderAndSpawnsWaitForTheNextTick) {
  KVContext* spawned = nullptr;
  KVContext* a = thread(1, -1, 128, [&] {
    if (!spawned) spawnPending(spawned = thread(9));
  });
  Scheduler::addThread(a);
  Scheduler::addThread(thread(2));
  spawnPending(thread(3, -1, 0));  // priority 0: queue B
  EXPECT_EQ(tick(), (Order{1, 2}));
  EXPECT_EQ(tick(), (Order{1, 2, 9, 3}));
  EXPECT_EQ(tick(), (Order{1, 2, 9, 3}));
}

TEST_F(Scheduling, SuspendedThreadsWaitForResume) {
  KVContext* b = thread(2);
  KVContext* selfSuspending = nullptr;
  int32_t turn = 0;
  KVContext* a = thread(1, -1, 128, [&] {
    ++turn;
    if (turn == 2) {
      // Suspend then resume in the same tick: b runs once, in the next.
      Scheduler::suspendThread(b);
      Scheduler::resumeThread(b);
    }
    if (turn == 4) Scheduler::suspendThread(b);
  });
  selfSuspending = thread(3, -1, 128, [&] {
    if (turn == 1) Scheduler::suspendThread(selfSuspending);
  });
  Scheduler::addThread(a);
  Scheduler::addThread(b);
  Scheduler::addThread(selfSuspending);
  EXPECT_EQ(tick(), (Order{1, 2, 3}));  // 3 finishes its run, then leaves the queue
  // b, suspended and resumed, goes behind the sentinel: it runs once, next tick.
  EXPECT_EQ(tick(), (Order{1}));
  EXPECT_EQ(tick(), (Order{2, 1}));
  EXPECT_EQ(tick(), (Order{2, 1}));
  EXPECT_EQ(tick(), (Order{1}));
  EXPECT_EQ(tick(), (Order{1}));
  Scheduler::resumeThread(selfSuspending);
  Scheduler::resumeThread(b);
  EXPECT_EQ(tick(), (Order{1, 3, 2}));
}

TEST_F(Scheduling, AResumedThreadRunsAheadOfTheThreadThatResumedIt) {
  KVContext* sleeper = thread(2);
  int32_t turn = 0;
  KVContext* mainThread = thread(1, -1, 128, [&] {
    if (++turn == 2) Scheduler::resumeThread(sleeper);
  });
  Scheduler::addThread(mainThread);
  Scheduler::addThread(sleeper);
  Scheduler::suspendThread(sleeper);
  EXPECT_EQ(tick(), (Order{1}));
  EXPECT_EQ(tick(), (Order{1}));
  EXPECT_EQ(tick(), (Order{2, 1}));
}

TEST_F(Scheduling, MicroThreadHandles) {
  KVContext* t = thread(1, 0);
  ObjectRoot h(spawnPending(t));
  EXPECT_TRUE(send(h.get(), "isAvailable", {}).i);
  EXPECT_EQ(send(h.get(), "getPriority", {}).i, 128);
  send(h.get(), "setPriority", {I(-5)});
  EXPECT_EQ(t->priority, 0);
  send(h.get(), "setPriority", {I(3)});
  send(h.get(), "dispose", {});
  EXPECT_FALSE(send(h.get(), "isAvailable", {}).i);
  EXPECT_EQ(send(h.get(), "getPriority", {}).i, -1);
  EXPECT_EQ(tick(), (Order{}));
  EXPECT_EQ(tick(), (Order{1}));  // a disposed thread ends after its next run
  EXPECT_EQ(tick(), (Order{}));

  // A handle whose thread finished without dispose goes stale, also once
  // its slot is taken by another thread.
  ObjectRoot done(spawnPending(thread(2, 0)));
  tick();
  tick();
  ObjectRoot next(spawnPending(thread(3)));
  EXPECT_EQ(static_cast<KVWeakContext*>(next.get())->index, static_cast<KVWeakContext*>(done.get())->index);
  EXPECT_FALSE(send(done.get(), "isAvailable", {}).i);
  EXPECT_EQ(send(done.get(), "getPriority", {}).i, -1);
  send(done.get(), "dispose", {});
  EXPECT_TRUE(send(next.get(), "isAvailable", {}).i);

  // Disposing a suspended thread ends it (at once, or when its old queue
  // entry comes up): its slot is free again.
  tick();
  KVContext* sleeper = static_cast<KVWeakContext*>(next.get())->context();
  Scheduler::suspendThread(sleeper);
  int32_t index = static_cast<KVWeakContext*>(next.get())->index;
  send(next.get(), "dispose", {});
  EXPECT_EQ(tick(), (Order{}));
  EXPECT_EQ(registeredContext(index), nullptr);
  ObjectRoot sleeping(spawnPending(thread(4)));
  tick();
  tick();
  sleeper = static_cast<KVWeakContext*>(sleeping.get())->context();
  Scheduler::suspendThread(sleeper);
  tick();  // the queue lets go of its entry
  index = static_cast<KVWeakContext*>(sleeping.get())->index;
  send(sleeping.get(), "dispose", {});
  EXPECT_EQ(registeredContext(index), nullptr);
}

TEST_F(Scheduling, WakeTableAndQueuesAreBounded) {
  // Queue A holds 255 threads beside its sentinel, queue B 31.
  std::vector<KVContext*> all;
  for (int i = 0; i < 257; ++i) {
    all.push_back(thread(i, -1, i < 226 ? 128 : 0));
    spawnPending(all.back());
  }
  tick();
  for (KVContext* t : all) Scheduler::suspendThread(t);
  EXPECT_EQ(warnings("Wr0023"), 1u);
  EXPECT_EQ(tick(), (Order{}));

  // 32 threads fill queue B at the end of one tick; its sentinel no longer
  // fits when the next tick's pass starts.
  for (int i = 0; i < 32; ++i) spawnPending(thread(1000 + i, -1, 0));
  tick();
  try {
    tick();
    ADD_FAILURE() << "no Ex2002";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, kErrSchedulerOverflow);
  }
}

TEST_F(Scheduling, AResumeIntoAFullQueueKeepsTheThreadInTheWakeTable) {
  KVContext* sleeper = thread(1, -1, 0);
  int32_t index = spawnPending(sleeper)->index;
  tick();
  Scheduler::suspendThread(sleeper);
  tick();  // queue B lets go of its entry
  // 32 threads fill queue B at the end of this tick.
  for (int i = 0; i < 32; ++i) spawnPending(thread(100 + i, -1, 0));
  tick();
  try {
    Scheduler::resumeThread(sleeper);
    ADD_FAILURE() << "no Ex2002";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, kErrSchedulerOverflow);
  }
  // Still owned by the wake table: ending it frees its context and slot.
  Scheduler::endSuspendedThread(sleeper);
  EXPECT_EQ(registeredContext(index), nullptr);
}

TEST_F(Scheduling, ThreadsThatEndFreeTheirSlots) {
  // The main program holds one slot; 5000 short threads come and go.
  for (int round = 0; round < 50; ++round) {
    for (int i = 0; i < 100; ++i) spawnPending(thread(i, 0));
    tick();
    tick();
  }
  std::vector<KVContext*> held;
  for (int i = 0; i < kMaxThreads - 1; ++i) {
    held.push_back(thread(i));
    newKVWeakContext(held.back());
  }
  KVContext* extra = thread(0);
  try {
    newKVWeakContext(extra);
    ADD_FAILURE() << "no Ex2005";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, kErrTooManyThreads);
  }
  delete extra;
  for (KVContext* t : held) destroyContext(t);
}

TEST_F(Scheduling, IntervalsCountTicks) {
  KVContext* every0 = thread(0);
  KVContext* every1 = thread(1);
  KVContext* every3 = thread(3);
  every1->interval = 1;
  every3->interval = 3;
  for (KVContext* t : {every0, every1, every3}) Scheduler::addThread(t);
  std::vector<Order> runs;
  for (int i = 0; i < 6; ++i) runs.push_back(tick());
  EXPECT_EQ(runs, (std::vector<Order>{{0, 1, 3}, {0, 1}, {0, 1}, {0, 1, 3}, {0, 1}, {0, 1}}));
}

TEST_F(Scheduling, CollectionRequestsAreServedAtTheEndOfTheTick) {
  uint32_t minors = gHeap.minorCount;
  call(global(0, 82), nullptr, {});  // dz000
  EXPECT_EQ(gHeap.minorCount, minors);
  KVContext* requester = thread(1, -1, 128, [&] { Scheduler::requestCollection(kCollectMinor); });
  Scheduler::addThread(requester);
  tick();
  EXPECT_EQ(gHeap.minorCount, minors + 1);
  tick();
  EXPECT_EQ(gHeap.minorCount, minors + 2);
  Scheduler::clearTickTime();
  EXPECT_EQ(Scheduler::tickTime(), 0u);
}

}  // namespace
}  // namespace kvtest

namespace kvtest {
namespace {

using namespace kv;

TEST_F(Scheduling, ObjectsKeepTheirValuesThroughRequestedCollections) {
  setGcStress(true);
  auto fillArray = [&](int32_t base) {
    ObjectRoot a(newKVArray(0));
    for (int32_t i = 0; i < 500; ++i) {
      KVobj* t = tagged(base + i);
      static_cast<KVArray*>(a.get())->push(Value::makeObject(t));
    }
    return a.get();
  };
  ObjectRoot kept(fillArray(0));
  uint32_t request = kCollectMinor;
  Scheduler::addThread(thread(1, -1, 128, [&] { Scheduler::requestCollection(request); }));
  {
    ObjectRoot dropped(fillArray(1000));
    for (int i = 0; i < 40; ++i) tick();
  }
  request = kCollectFull;
  tick();
  EXPECT_FALSE(freeRuns().empty());
  request = kCollectMinor;
  ObjectRoot reused(fillArray(2000));
  for (int i = 0; i < 40; ++i) tick();
  auto* k = static_cast<KVArray*>(kept.get());
  auto* r = static_cast<KVArray*>(reused.get());
  for (int32_t i = 0; i < 500; ++i) {
    ASSERT_FALSE(isYoung(k->elementAt(i)->obj));
    ASSERT_EQ(tagOf(k->elementAt(i)->obj), i);
    ASSERT_EQ(tagOf(r->elementAt(i)->obj), 2000 + i);
  }
  EXPECT_EQ(verifyHeap(), "");
}

}  // namespace
}  // namespace kvtest
