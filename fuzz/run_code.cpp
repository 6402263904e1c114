// Input bytes become a vector of instruction records of any kind, with
// operands and side records drawn from the bytes (their jumps kept within
// the records, as a link keeps them), and run as a main program:
// whatever the records say, the run ends with a result, a numbered error or
// a logged abort, and never reads or writes outside the context. A fake
// message pump ends runs that loop.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <vector>

#include "runtime/vm/atoms.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/code.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/link.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/runtime/vm/object_system.h"

using namespace kv;

namespace {

constexpr int32_t kGlobals = 2;
constexpr int32_t kLocals = 4;
int32_t gPumps = 0;
// What each input's fresh object system adds to the permanent stores is given
// back after the input, so memory stays flat over a long run.
kv::CodeArenaMark gArenaMark;
kv::PermanentStoresMark gStoresMark;

int32_t limitedPump() { return ++gPumps > 20 ? -1 : 0; }

struct Program {
  std::deque<CodeNode> nodes;
  std::deque<LabelSlot> labels;
  std::deque<LabelPair> pairs;
  std::deque<LabelTriple> triples;
  std::deque<MemberCache> caches;
  std::deque<VariableRef> vars;
  std::deque<CaseTable> tables;
  CodeVector code;
  FunctionRecord function;  // closures run the program itself
  int32_t atoms[4];

  const uint8_t* at;
  const uint8_t* end;
  uint8_t byte() { return at < end ? *at++ : 0; }
  int32_t small() { return static_cast<int8_t>(byte()) % 24; }

  LabelSlot* label() {
    LabelSlot& s = labels.emplace_back();
    s.position = small();
    return &s;
  }

  CodeNode* record() {
    CodeNode& n = nodes.emplace_back();
    n.kind = kFirstKind + byte() % (kLastKind - kFirstKind + 1);
    n.operand.i = small();
    n.flags = byte() & 3;
    n.fileIndex = 0;
    n.line = static_cast<int16_t>(nodes.size());
    switch (n.kind) {
      case PushDouble: n.operand.d = small() / 2.0; break;
      case PushString: n.first.text = "text"; break;
      case LoadVariable: case StoreCaught129:
        n.second.var = &vars.emplace_back(VariableRef{0, 1, nullptr, byte() % 3, small() % 5});
        break;
      case GetMember:
        n.operand.i = atoms[byte() % 4];
        n.second.cache = &caches.emplace_back();
        break;
      case DefineMember: n.operand.i = atoms[byte() % 4]; break;
      case Jump54: case Jump108: case Jump110: case Nop111: case JumpIfFalse107: case Jump122:
      case PopAndJump: case Jump126: case Nop130:
        n.second.pair = &pairs.emplace_back(LabelPair{label(), label()});
        break;
      case Branch:
        n.second.triple = &triples.emplace_back(LabelTriple{label(), label(), label()});
        break;
      case JumpIfThrown:
        n.second.triple = &triples.emplace_back(LabelTriple{label(), label(), label()});
        n.first.label = label();
        break;
      case Switch: {
        CaseTable& t = tables.emplace_back(label());
        for (int i = byte() % 4; i > 0; --i) {
          if (byte() & 1) t.addDefault(label());
          else t.addCase(label(), small());
        }
        n.second.cases = &t;
        break;
      }
      case MakeClosure: n.second.function = &function; break;
      case Import: case End: case ImportEnd: break;
      default:
        if (byte() & 1) {
          n.first.label = label();
          // Linked jumps hold their target in the operand.
          if (byte() & 1) n.operand.i = n.first.label->position;
        }
        break;
    }
    return &n;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The log writes every line to standard output; keep the fuzzer's own
  // output readable and fast.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  gArenaMark = kv::markCodeArena();
  gStoresMark = kv::markPermanentStores();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvtest::freshObjectSystem();
  setMessagePumpHook(&limitedPump);
  gPumps = 0;

  Program p;
  p.at = data;
  p.end = data + size;
  const char* names[4] = {"a", "b", "prototype", "item1"};
  for (int i = 0; i < 4; ++i) p.atoms[i] = internAtom(names[i]);
  while (p.at < p.end && p.code.size() < 256) p.code.push_back(p.record());
  // Records as a link leaves them: no target past the function's end, which
  // the code loop relies on (a negative one ends the frame, as an unplaced
  // label's does).
  const int32_t count = static_cast<int32_t>(p.code.size());
  for (LabelSlot& s : p.labels) s.position = std::min(s.position, count);
  for (CodeNode& r : p.nodes)
    if (!jumpTargetsInside(&r, count)) r.operand.i = count;
  p.function.body.code = &p.code;
  p.function.params.assign(1, 0);
  p.function.locals.assign(2, 0);

  KVContext* ctx = createMainContext();
  setupMainProgram(ctx, &p.function.body, kGlobals, kLocals);
  gCurrentContext = ctx;
  try {
    resumeContext(ctx);
  } catch (const RuntimeError&) {
  } catch (const std::exception&) {
  }
  destroyContext(ctx);
  std::string fault = verifyHeap();
  if (!fault.empty()) __builtin_trap();
  kvtest::releaseObjectSystem();
  kv::releasePermanentStoresTo(gStoresMark);
  kv::releaseCodeArenaTo(gArenaMark);
  return 0;
}
