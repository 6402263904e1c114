// Object model: member reads through the slot map, through a property list
// of 8 members and through one prototype hop, and plain objects made per
// second.
#include <benchmark/benchmark.h>

#include "runtime/vm/atoms.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"
#include "tests/runtime/vm/object_system.h"

using namespace kv;

namespace {

constexpr int32_t kBenchClass = 9000;

using kvtest::freshObjectSystem;

// A static object of class kBenchClass with 8 members, listed or in slots.
KVobj* objectWithEightMembers(bool indexed) {
  KVobj* obj = newStaticObject(1, gCore.objectProto, kBenchClass);
  char name[] = "m0";
  for (int i = 0; i < 8; ++i) {
    name[1] = static_cast<char>('0' + i);
    *addKeyProperty(obj, internAtom(name)) = Value::makeInt(i);
  }
  if (indexed) KVobj::buildPropertyIndex(obj, kBenchClass);
  return obj;
}

void readMember(benchmark::State& state, KVobj* obj, int32_t atom) {
  for (auto _ : state) {
    int32_t mode = 0;
    benchmark::DoNotOptimize(getPropertyCell(obj, atom, mode));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ReadThroughSlotMap(benchmark::State& state) {
  freshObjectSystem();
  KVobj* obj = objectWithEightMembers(true);
  readMember(state, obj, lookupAtom("m0"));
}

void BM_ReadThroughEightMemberList(benchmark::State& state) {
  freshObjectSystem();
  KVobj* obj = objectWithEightMembers(false);
  readMember(state, obj, lookupAtom("m0"));  // the first added: the end of the list
}

void BM_ReadThroughOnePrototypeHop(benchmark::State& state) {
  freshObjectSystem();
  KVobj* proto = objectWithEightMembers(true);
  KVobj* obj = newStaticObject(1, proto, kBenchClass + 1);
  readMember(state, obj, lookupAtom("m0"));
}

void BM_MakePlainObjects(benchmark::State& state) {
  freshObjectSystem();
  for (auto _ : state) benchmark::DoNotOptimize(newPlainObject());
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_ReadThroughSlotMap);
BENCHMARK(BM_ReadThroughEightMemberList);
BENCHMARK(BM_ReadThroughOnePrototypeHop);
BENCHMARK(BM_MakePlainObjects);
BENCHMARK_MAIN();
