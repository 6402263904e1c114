// Compiled scripts that leave stretches of code by throw, return, break,
// continue, yield and wait: after each the operand top, the reference depth,
// the open literals and the saved scopes are back where they were, so one
// leaked entry fails here, long before the stacks would overflow.
#include <string>
#include <vector>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/compiler/source_io.h"
#include "runtime/library/builtin_table.h"
#include "vm_fixture.h"

namespace kvtest {
namespace {

struct Levels {
  int32_t top, refs, objects, arrays, scopes, frames;
  bool operator==(const Levels&) const = default;
};

std::vector<Levels> gProbes;

// What a script sees as dz000(): the levels of the statement that called it.
void probeNative(kv::KVContext* ctx) {
  gProbes.push_back({ctx->top, ctx->refDepth, ctx->objectLiteralDepth, ctx->arrayLiteralDepth, ctx->scopeDepth,
                     ctx->depth - 2});
  ctx->pushUndefined();
}

// Shared by every scenario: a thrower, calls that throw three frames down
// from inside literals, and a generator that throws from inside a literal.
const char* kPrelude = R"(
var sum = 0, holder = {m: 0};
function thrower(v) { throw {v: v}; }
function third(v) { return [1, {a: thrower(v)}]; }
function second(v) { var o = {b: third(v)}; return o; }
function first(v) { return 1 + second(v).b; }
function *steps(t) { yield 1; var q = [1, {w: t(9)}]; yield q; }
function later(v) { wait; return v; }
function early(v) { var k; for (k = 0; k < 3; k++) { try { if (k == v) return {r: [k, {d: k}]}; } catch (e) { } } }
)";

struct Scenario {
  const char* name;
  const char* body;  // statements of function scenario(); it ends with a probe
  int32_t sum;       // what one call adds to sum
};

const Scenario kScenarios[] = {
    {"catch mid-expression", "var r = 0; try { r = 1 + thrower(1); } catch (e) { sum = sum + e.v; }", 1},
    {"catch into a member", "try { holder.m = 2 * thrower(2); } catch (e) { sum = sum + e.v; }", 2},
    {"finally", "var r; try { r = thrower(3); } catch (e) { sum = sum + e.v; } finally { sum = sum + 1; }", 4},
    {"nested try", "try { try { var r = [thrower(4)]; } finally { sum = sum + 1; } } catch (e) { sum = sum + e.v; }",
     5},
    {"three frames", "var r; try { r = first(5); } catch (e) { sum = sum + e.v; }", 5},
    {"object literal", "var r; try { r = {x: 1, y: {z: thrower(6)}}; } catch (e) { sum = sum + e.v; }", 6},
    {"array literal", "var r; try { r = [1, [2, thrower(7)], 3]; } catch (e) { sum = sum + e.v; }", 7},
    {"break and continue",
     "var k; for (k = 0; k < 5; k++) { try { if (k == 1) continue; if (k == 3) break; sum = sum + 1; } "
     "catch (e) { sum = sum + 100; } }",
     2},
    {"abandoned generator",
     "var g = steps(thrower); g.next(0); try { g.next(0); } catch (e) { sum = sum + e.v; } "
     "if (g.next(0).done) sum = sum + 1;",
     10},
    {"return out of a loop and a try", "var r = {x: [early(1)]}; sum = sum + r.x[0].r[1].d;", 1},
    {"wait inside literals", "var o = {a: later(1), b: [later(2), {c: later(3)}]}; sum = sum + o.a + o.b[1].c;", 4},
    {"finally passes the throw on",
     "var r = 0; try { try { r = {u: first(8)}; } finally { sum = sum + 1; } } catch (e) { sum = sum + e.v; }", 9},
};

class UnwindLevels : public VmTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    gProbes.clear();
    kv::gGlobalObject->areas[0][kv::findBuiltinClassByName("dz000")] =
        kv::Value::makeObject(nativeFunction(&probeNative));
    kv::setGcStress(GetParam());
  }
  void TearDown() override {
    kv::clearMemorySourceFiles();
    VmTest::TearDown();
  }

  // Compiles and runs the program on the scheduler until its main thread ends.
  void runProgram(const std::string& text) {
    kv::setMemorySourceFile("main.kvj", text);
    kv::resetCompilerRunForTests();
    kv::compileSourceFile("main.kvj", true);
    const kv::CompileResults& r = kv::compileResults();
    ASSERT_NE(r.program, nullptr);
    mainContext();
    kv::setupMainProgram(ctx_, &r.program->body, r.builtinCount, r.globalCount);
    kv::Scheduler::addThread(ctx_);
    for (int tick = 0; tick < 1000 && kv::gMainProgramRunning; ++tick) kv::Scheduler::tick();
    EXPECT_FALSE(kv::gMainProgramRunning);
  }
};

TEST_P(UnwindLevels, EveryWayOutOfAStretchPutsTheStacksBack) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    gProbes.clear();
    const size_t logStart = logText().size();
    // Top level, inside the scenario's frame, and inside a literal that a
    // caller holds open around the scenario's call.
    std::string text = std::string(kPrelude) + "function scenario() { " + s.body + " dz000(); }\n" +
                       "var i, box;\n"
                       "for (i = 0; i < 40; i++) { dz000(); scenario(); dz000(); box = [i, {s: scenario()}]; }\n"
                       "dz000(); console.log(\"sum \" @ sum);\n";
    runProgram(text);
    ASSERT_EQ(gProbes.size(), 40u * 4 + 1);
    const Levels outer = gProbes[0];
    EXPECT_EQ(outer, (Levels{0, 0, 0, 0, 0, 0}));
    for (size_t k = 0; k < gProbes.size(); ++k) {
      const Levels& p = gProbes[k];
      switch (k == gProbes.size() - 1 ? 0 : k % 4) {
        case 1:  // in the scenario's frame
          EXPECT_EQ(p, (Levels{0, 0, 0, 0, 0, 1})) << "probe " << k;
          break;
        case 3:  // in the scenario's frame, inside the caller's `box = [i, {s: ...}]`
          EXPECT_EQ(p, (Levels{0, 1, 1, 1, 0, 1})) << "probe " << k;
          break;
        default:
          EXPECT_EQ(p, outer) << "probe " << k;
      }
    }
    EXPECT_EQ(countOf(logText().substr(logStart), "sum " + std::to_string(80 * s.sum) + "\n"), 1u) << logText();
    kv::Scheduler::reset();
    kv::destroyContext(ctx_);
    ctx_ = nullptr;
    kv::gMainProgramRunning = true;
  }
}

// Threads that build literals across a wait, interleaved, each with levels
// of its own, and threads that die by a throw in the middle of theirs.
TEST_P(UnwindLevels, ThreadsKeepTheirOwnLiterals) {
  std::string text = std::string(kPrelude) +
                     "function builder(id) { var k; for (k = 0; k < 3; k++) {\n"
                     "  var o = {id: id, a: later(id), l: [id, later(id), {x: later(id)}]};\n"
                     "  if (o.id != id || o.a != id || o.l[0] != id || o.l[1] != id || o.l[2].x != id || "
                     "o.l.length != 3) sum = sum + 1000;\n"
                     "  else sum = sum + 1;\n"
                     "  dz000(); } }\n"
                     "var deaths = 0;\n"
                     "function dies() { var o = {a: later(1), b: [later(2), thrower(deaths++)]}; sum = sum + 1000; }\n"
                     "var n, f; for (n = 1; n <= 8; n++) { spawn(builder, n); spawn(dies); }\n"
                     "for (f = 0; f < 16; f++) wait;\n"
                     "console.log(\"sum \" @ sum @ \" deaths \" @ deaths);\n";
  runProgram(text);
  EXPECT_EQ(countOf(logText(), "sum 24 deaths 8\n"), 1u) << logText();
  // Eight threads ended by an uncaught throw inside their literals (the
  // warning limiter logs the first few), none disturbing the others.
  EXPECT_GE(countOf(logText(), "(Wr0013)"), 1u) << logText();
  ASSERT_EQ(gProbes.size(), 24u);
  for (const Levels& p : gProbes) EXPECT_EQ(p, (Levels{0, 0, 0, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Plain, UnwindLevels, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Stress, UnwindLevels, ::testing::Values(true));

}  // namespace
}  // namespace kvtest
