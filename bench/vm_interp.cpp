// Interpreter: executed records per second on three loops built from
// records: integer add/compare/jump, member reads that hit the inline
// cache, and calls with returns.
#include <benchmark/benchmark.h>

#include "runtime/vm/atoms.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/code.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/link.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/runtime/vm/object_system.h"

using namespace kv;

namespace {

constexpr int32_t kLoops = 100000;
constexpr int32_t kBenchClass = 9001;

VariableRef* var(int32_t depth, int32_t index) {
  auto* v = new VariableRef;
  v->resolved = 1;
  v->depth = depth;
  v->index = index;
  return v;
}
CodeNode* load(VariableRef* v, uint16_t flags) {
  CodeNode* n = newNodeLoadVariable(v);
  n->flags = flags;
  return n;
}

// while (local0 < kLoops) { body; local0 = local0 + 1 }, as the compiler lays
// it out; answers the records one pass of the loop executes.
int32_t loopAround(NodeList& l, const NodeList& body) {
  VariableRef* i = var(0, 0);
  LabelSlot* top = newLabelSlot();
  LabelSlot* out = newLabelSlot();
  l.push_back(newNodeLabel(top));
  l.push_back(load(i, kPushValue));
  l.push_back(newNodePushInt32(kLoops));
  l.push_back(newNodeLess(0));
  l.push_back(newNodeJumpIfFalse121(out));
  for (CodeNode* n : body) l.push_back(n);
  l.push_back(load(i, kPushReference));
  l.push_back(load(i, kPushValue));
  l.push_back(newNodePushInt32(1));
  l.push_back(newNodeAdd());
  l.push_back(newNodeAssign());
  l.push_back(newNodePop137());
  l.push_back(newNodeJump117(top));
  l.push_back(newNodeLabel(out));
  return 11 + static_cast<int32_t>(body.size());
}

// A fresh object system and a main context with `locals` cells; cell 0 is
// the loop counter, the others are filled from slots before each run.
class Runner {
 public:
  explicit Runner(int32_t locals) : locals_(locals) {
    kvtest::freshObjectSystem();
    // The interpreter alone: the message pump has a benchmark of its own.
    setMessagePumpHook(nullptr);
    ctx_ = createMainContext();
    gCurrentContext = ctx_;
  }
  ~Runner() {
    destroyContext(ctx_);
    setMessagePumpHook(defaultMessagePump());
  }

  // Runs the loop around body once per iteration; extra is the records run
  // elsewhere per pass (a callee's).
  void measure(benchmark::State& state, const NodeList& body, int32_t extra) {
    NodeList l;
    double records = static_cast<double>(loopAround(l, body) + extra) * kLoops;
    const Callable* program = permanentCallable(Callable{nullptr, linkCode(l, false), nullptr});
    for (auto _ : state) {
      setupMainProgram(ctx_, program, 0, locals_);
      for (int32_t i = 1; i < locals_; ++i) ctx_->cells[i] = slots[i];
      resumeContext(ctx_);
    }
    state.SetItemsProcessed(static_cast<int64_t>(records * static_cast<double>(state.iterations())));
    state.counters["ns/record"] =
        benchmark::Counter(records, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  }

  Value slots[4];

 private:
  KVContext* ctx_;
  int32_t locals_;
};

void BM_IntegerLoop(benchmark::State& state) {
  Runner r(1);
  r.measure(state, {}, 0);
}
BENCHMARK(BM_IntegerLoop);

void BM_MemberReadLoop(benchmark::State& state) {
  Runner r(2);
  KVobj* obj = newStaticObject(1, gCore.objectProto, kBenchClass);
  for (const char* name : {"a", "b", "c", "d"}) *addKeyProperty(obj, internAtom(name)) = Value::makeInt(1);
  KVobj::buildPropertyIndex(obj, kBenchClass);
  r.slots[1] = Value::makeObject(obj);
  NodeList body;
  VariableRef* o = var(0, 1);
  for (const char* name : {"a", "c"}) {
    body.push_back(load(o, kPushValue));
    CodeNode* get = newNodeGetMember(lookupAtom(name));
    get->flags = kPushValue;
    body.push_back(get);
    body.push_back(newNodePop137());
  }
  r.measure(state, body, 0);
}
BENCHMARK(BM_MemberReadLoop);

void BM_CallLoop(benchmark::State& state) {
  Runner r(2);
  NodeList callee;
  callee.push_back(newNodePushInt32(1));
  callee.push_back(newNodeReturn(nullptr));
  auto* rec = new FunctionRecord;
  rec->body.code = linkCode(callee, false);
  // A function in the static area, so that it never moves between runs.
  KVfobj* fn = newClassConstructor(&rec->body, emptyNames(), 1, 0);
  r.slots[1] = Value::makeObject(fn);
  NodeList body;
  body.push_back(load(var(0, 1), kPushValue));
  body.push_back(newNodePushInt138(0));
  body.push_back(newNodeCall(0));
  body.push_back(newNodePop137());
  r.measure(state, body, static_cast<int32_t>(rec->body.code->size()));
}
BENCHMARK(BM_CallLoop);

}  // namespace

BENCHMARK_MAIN();
