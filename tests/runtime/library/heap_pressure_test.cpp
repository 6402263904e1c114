// Programs that make much garbage of the kinds games make: element storage
// outside the heap, medium-lived records that reach the old space, one tick
// that builds a large mostly dead structure. Each must keep its memory
// bounded (read from the heap's own counters) and run to its end; a program
// whose live data does not fit must still stop with the allocation error.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

using HeapPressureTest = ScriptTest;

// Under the collector stress switch every allocation collects, and in a
// collector-stress run every collection is verified, so the long runs are
// cut short there; the plain runs take their full length.
bool checkedRun(bool stress) {
  const char* v = std::getenv("HALVORINE_GC_STRESS");
  return stress || (v && *v && std::strcmp(v, "0") != 0);
}
long rounds(long plain) { return plain / 50; }

TEST_P(HeapPressureTest, ArrayPerFrameKeepsElementStorageBounded) {
  long frames = GetParam() ? rounds(10000) : 10000;
  std::string source = "var i; for (i = 0; i < " + std::to_string(frames) +
                       "; i++) { var a = new Array(5000); a.fill(i); wait; }\n"
                       "console.log(\"done \" @ i);";
  kv::gHeap.externalPeak = kv::gHeap.externalLive;
  EXPECT_EQ(runScript(source, frames + 2), (std::vector<std::string>{"done " + std::to_string(frames)}));
  // Dead arrays' elements are released by the collections their own bytes
  // bring on: never much more than a nursery's worth outstanding.
  EXPECT_LT(kv::gHeap.externalPeak, kv::kExternalMinorTrigger + (1u << 20));
}

TEST_P(HeapPressureTest, GrowingArraysByPushCountTheirBlocks) {
  kv::gHeap.externalPeak = kv::gHeap.externalLive;
  EXPECT_EQ(runScript("var r, j, b; for (r = 0; r < 40; r++) { b = []; for (j = 0; j < 20000; j++) b.push(j); }\n"
                      "console.log(b.length @ \" \" @ b[19999]);",
                      2),
            (std::vector<std::string>{"20000 19999"}));
  EXPECT_LT(kv::gHeap.externalPeak, 2 * kv::kExternalMinorTrigger);
}

TEST_P(HeapPressureTest, RingOfMediumLivedRecordsNeedsNoFullCollectionRequest) {
  // Records live 200 frames, long enough to be promoted; the churn brings a
  // minor collection every few frames. Nothing asks for a full collection.
  long frames = GetParam() ? 8 : checkedRun(false) ? 300 : 3000;
  std::string source = R"(var ring = [], i, j, f, head = 0, t, sum = 0;
for (i = 0; i < 6000; i++) ring.push(null);
for (f = 0; f < )" + std::to_string(frames) +
                       R"(; f++) {
  for (i = 0; i < 30; i++) { ring[head] = {frame: f, n: i, tag: "r" @ i, more: [f, i, f, i]}; head = (head + 1) % 6000; }
  for (j = 0; j < 6000; j++) t = {a: j, b: f};
  sum = (sum + ring[(head + 5999) % 6000].n) % 1000003;
  wait;
}
console.log("ring " @ ring[(head + 5999) % 6000].frame @ " " @ sum);)";
  long frames1 = frames - 1;
  long sum = 29 * frames % 1000003;
  // The survivor half overflows on the way (warnings 27); the run goes on.
  std::vector<std::string> out = runScript(source, frames + 2);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "ring " + std::to_string(frames1) + " " + std::to_string(sum));
}

TEST_P(HeapPressureTest, OneTickOfClosuresMostlyGarbageCompletes) {
  int n = GetParam() ? 2000 : 20000;
  std::string source = R"(function make(i) {
  var o = {id: i, peers: [i, i + 1, i + 2], name: "n" @ i};
  o.get = function () { return o.id + i; };
  return o;
}
var keep = [], i, o, s = 0;
for (i = 0; i < )" + std::to_string(n) +
                       R"(; i++) {
  o = make(i);
  if (i % 10 == 0) keep.push(o);
}
for (i = 0; i < keep.length; i++) s = (s + keep[i].get()) % 1000003;
console.log("kept " @ keep.length @ " " @ s);)";
  long s = 0;
  for (long i = 0; i < n; i += 10) s = (s + 2 * i) % 1000003;
  std::vector<std::string> out = runScript(source, 2);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "kept " + std::to_string(n / 10) + " " + std::to_string(s));
}

TEST_P(HeapPressureTest, LiveDataBeyondTheHeapStillEndsWithTheAllocationError) {
  if (checkedRun(GetParam())) GTEST_SKIP() << "fills the whole heap: too long with a collection at every allocation or a check after every collection";
  // Every record stays reachable: no collection can make room for them all.
  std::vector<std::string> out = runScript(R"(var head = null, i;
for (i = 0; i < 2000000; i++) head = {next: head, n: i, m: i};
console.log("not reached");)",
                                           2);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "error " + std::to_string(kv::kErrInternalAlloc));
}

INSTANTIATE_TEST_SUITE_P(Stress, HeapPressureTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
