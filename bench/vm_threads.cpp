// Micro-threads and typed views: the cost of one tick per resumed thread
// with 10, 100 and 250 queued threads, and of one typed-view element read
// and write.
#include <benchmark/benchmark.h>

#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/context.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/scheduler.h"
#include "tests/runtime/vm/object_system.h"

using namespace kv;
using kvtest::freshObjectSystem;

namespace {

// A thread that waits at once, every time it runs.
void waitingThread(KVContext* ctx) { ctx->state |= KVContext::kSuspended; }

void tickPerThread(benchmark::State& state) {
  freshObjectSystem();
  const Callable* body = permanentCallable(Callable{nullptr, nullptr, &waitingThread});
  for (int64_t i = 0; i < state.range(0); ++i) {
    auto* t = new KVContext;
    t->program = body;
    Scheduler::addThread(t);
  }
  for (auto _ : state) Scheduler::tick();
  state.SetItemsProcessed(state.iterations() * state.range(0));
  Scheduler::reset();
}
BENCHMARK(tickPerThread)->Arg(10)->Arg(100)->Arg(250);

KVArrayView* benchView(bool isFloat) {
  freshObjectSystem();
  ObjectRoot v(newKVArrayView(newKVArrayBuffer(4096), 4, 1024, 0, isFloat, false));
  fullCollect();  // the view and its buffer settle where they stay for the run
  minorCollect();
  return static_cast<KVArrayView*>(v.get());
}

void viewRead(benchmark::State& state) {
  ObjectRoot v(benchView(state.range(0) != 0));
  auto* view = static_cast<KVArrayView*>(v.get());
  int32_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(view->readElement(i));
    i = (i + 1) & 1023;
  }
}
BENCHMARK(viewRead)->Arg(0)->Arg(1);

void viewWrite(benchmark::State& state) {
  ObjectRoot v(benchView(state.range(0) != 0));
  auto* view = static_cast<KVArrayView*>(v.get());
  Value x = state.range(0) ? Value::makeFloat(1.5) : Value::makeInt(7);
  int32_t i = 0;
  for (auto _ : state) {
    view->writeElement(i, x);
    i = (i + 1) & 1023;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(viewWrite)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
