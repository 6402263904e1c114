// Object model: member reads through the slot map, through a property list
// of 8 members, through one prototype hop and through a list of 16,384
// integer keys; plain objects made per second; and the heap cost of a
// two-member literal object with how many of them live in the 16 MB heap.
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

// Integer keys 0..16383 in one list, more than the look-up cache holds:
// read at random places.
void BM_ReadThroughLongIntegerList(benchmark::State& state) {
  freshObjectSystem();
  KVobj* obj = newStaticObject(1, gCore.objectProto, kBenchClass);
  for (int32_t i = 0; i < 16384; ++i) *addKeyProperty(obj, i) = Value::makeInt(i);
  uint32_t k = 1;
  for (auto _ : state) {
    k = k * 1664525u + 1013904223u;
    int32_t mode = 0;
    benchmark::DoNotOptimize(getPropertyCell(obj, static_cast<int32_t>(k >> 18), mode));
  }
  state.SetItemsProcessed(state.iterations());
}

// The chain's newest object, a root while the chain grows.
KVobj* gChainHead = nullptr;
void visitChainHead(bool full, void*) { visitObject(gChainHead, full); }

// {value: i, next: previous} made as an object literal is: a literal
// object, then one member added per name (into its body).
void addLiteralLink(int32_t valueAtom, int32_t nextAtom, int32_t i) {
  KVobj* obj = newLiteralObject();
  ObjectRoot root(obj);
  *addKeyProperty(root.get(), valueAtom) = Value::makeInt(i);
  Value* next = addKeyProperty(root.get(), nextAtom);
  *next = gChainHead ? Value::makeObject(gChainHead) : Value::makeNull();
  gChainHead = root.get();
}

// The counters: heap bytes of one two-member literal object (the nursery
// bytes it takes), the same figure before its members moved into its body
// (measured on that build, with the old count of live objects), and how
// many such objects, each reachable, fit in the heap before the allocator
// gives up.
void BM_LiteralMemberChain(benchmark::State& state) {
  constexpr double kOldBytesPerObject = 272, kOldLiveObjects = 46090;
  double bytes = 0, live = 0;
  for (auto _ : state) {
    freshObjectSystem();
    gChainHead = nullptr;
    registerRoot(RootRank::LibraryClasses, &visitChainHead, nullptr);
    int32_t valueAtom = internAtom("value"), nextAtom = internAtom("next");
    ensureNurseryRoom(4096);
    char* before = gHeap.nurseryCursor;
    addLiteralLink(valueAtom, nextAtom, 0);
    bytes = static_cast<double>(gHeap.nurseryCursor - before);
    int32_t n = 1;
    try {
      for (;; ++n) addLiteralLink(valueAtom, nextAtom, n);
    } catch (const RuntimeError&) {
    }
    live = n;
    unregisterRoot(&visitChainHead, nullptr);
    gChainHead = nullptr;
  }
  state.counters["bytes_per_object"] = bytes;
  state.counters["old_bytes_per_object"] = kOldBytesPerObject;
  state.counters["live_objects"] = live;
  state.counters["old_live_objects"] = kOldLiveObjects;
}

}  // namespace

BENCHMARK(BM_ReadThroughSlotMap);
BENCHMARK(BM_ReadThroughEightMemberList);
BENCHMARK(BM_ReadThroughOnePrototypeHop);
BENCHMARK(BM_ReadThroughLongIntegerList);
BENCHMARK(BM_MakePlainObjects);
BENCHMARK(BM_LiteralMemberChain)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
