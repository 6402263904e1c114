// The interpreter's steps served by the classes of arrays, views, tuples and
// generators: array literals, for-of, yield, element access, the calls of
// generators and restarters, and the sort's intrinsic operations.
#include "runtime/vm/interp_ext.h"

#include <algorithm>

#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/code.h"
#include "runtime/vm/generator.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/sort_owner.h"

namespace kv {
namespace {

constexpr int32_t kWarnRestarterRequired = 26;

void need(const KVContext* ctx, int32_t n) {
  if (ctx->top < n) throw RuntimeError(kErrUnexpected);
}

// Local slot j of the running frame.
Value* localCell(KVContext* ctx, int32_t j) {
  ActivationObject* a = ctx->frame->activation;
  int32_t at = a->argCount + j;
  if (!a->cells || at >= a->cellCount) throw RuntimeError(kErrUnexpected);
  return a->cells + at;
}

// The restarter whose frame is running: resumeAndRun makes it the frame's receiver.
KVrestarter* runningRestarter(KVContext* ctx) {
  KVobj* r = ctx->frame->receiver;
  if (!r || !r->isRestarter()) throw RuntimeError(kErrUnexpected);
  return static_cast<KVrestarter*>(r);
}

void finishRestarter(KVContext* ctx, KVrestarter* r) {
  restoreFrameLevels(ctx);
  r->release();
  r->running = 0;
  r->finished = 1;
  r->pair->set(true, Value());
  ctx->pushObject(r->pair);
}

}  // namespace

void beginArrayLiteral(KVContext* ctx) {
  if (ctx->arrayLiteralDepth >= KVContext::kOpenLiterals) throw RuntimeError(kErrStackOverflow);
  KVArray* a = newKVArray(0);
  ctx->arrayLiterals[ctx->arrayLiteralDepth++] = a;
}

void appendLiteralElement(KVContext* ctx) {
  need(ctx, 1);
  if (ctx->arrayLiteralDepth <= ctx->frame->arrayLiteralBase) throw RuntimeError(kErrUnexpected);
  static_cast<KVArray*>(ctx->arrayLiterals[ctx->arrayLiteralDepth - 1])->push(ctx->operands[--ctx->top]);
}

void endArrayLiteral(KVContext* ctx) {
  if (ctx->arrayLiteralDepth <= ctx->frame->arrayLiteralBase) throw RuntimeError(kErrUnexpected);
  KVobj* a = ctx->arrayLiterals[--ctx->arrayLiteralDepth];
  ctx->arrayLiterals[ctx->arrayLiteralDepth] = nullptr;
  // The elements are all there: the block need hold no more.
  static_cast<KVArray*>(a)->fitCapacity();
  ctx->pushObject(a);
}

// For-of: operand < 0 sets the iterator up in local 1; otherwise one step
// stores the next element in local 0 (and with a positive operand its index
// in local 2) and pushes whether there was one. A key that vanished while
// the loop waited (another thread shifted the array) counts as a hole.
void forOfStep(KVContext* ctx, int32_t operand) {
  if (operand < 0) {
    need(ctx, 1);
    Value v = ctx->operands[--ctx->top];
    if (v.tag != kObject || !v.obj) throw RuntimeError(kErrUnexpected);
    KVobj* it = v.obj->getIterator();
    if (!it) throw RuntimeError(kErrUnexpected);
    *localCell(ctx, 1) = Value::makeObject(it);
    return;
  }
  Value* slot = localCell(ctx, 1);
  if (slot->tag != kObject || !slot->obj || !slot->obj->isIter()) throw RuntimeError(kErrUnexpected);
  auto* it = static_cast<KVIter*>(slot->obj);
  while (!it->finished()) {
    KVobj* target = it->target;
    Value* element = target->isArray() ? static_cast<KVArray*>(target)->elementAtKey(it->position) : nullptr;
    if (!element || element->tag == kUndefined) {
      it->step();
      continue;
    }
    *localCell(ctx, 0) = *element;
    if (operand > 0) *localCell(ctx, 2) = Value::makeInt(it->position - static_cast<KVArray*>(target)->start);
    it->step();
    ctx->pushBool(true);
    return;
  }
  ctx->pushBool(false);
}

void yieldStep(KVContext* ctx, int32_t operand) {
  KVrestarter* r = runningRestarter(ctx);
  Value v;
  if (operand == 0) {
    need(ctx, 1);
    v = ctx->operands[--ctx->top];
  }
  int32_t kept = ctx->top - r->operandBase;
  saveFrameState(ctx, r->saved, kept);
  // What the frame had open now lives in the restarter.
  restoreFrameLevels(ctx);
  r->resumePc = ctx->pc + 1;
  r->running = 0;
  r->pair->set(false, v);
  ctx->pushObject(r->pair);
}

void generatorReturnStep(KVContext* ctx) { finishRestarter(ctx, runningRestarter(ctx)); }

namespace {

// Drops the callee and its n arguments.
void dropCall(KVContext* ctx, int32_t n) { ctx->top = std::max(ctx->top - n - 1, 0); }

}  // namespace

bool specialCall(KVContext* ctx, KVfobj* fn, KVobj* receiver, int32_t n) {
  n = std::clamp(n, 0, std::max(ctx->top - 1, 0));
  if (fn->generator()) {
    // The callee and its arguments stay on the operand stack, where the
    // collector finds them, until the restarter holds them.
    KVrestarter* r = newKVrestarter(fn, ctx->operands + ctx->top - n, n);
    dropCall(ctx, n);
    ctx->pushObject(r);
    return true;
  }
  if (!fn->restarterNext()) return false;
  if (!receiver || !receiver->isRestarter()) {
    raiseRuntimeWarning(kWarnRestarterRequired);
    dropCall(ctx, n);
    ctx->pushUndefined();
    return true;
  }
  auto* r = static_cast<KVrestarter*>(receiver);
  if (r->finished || r->running) {
    dropCall(ctx, n);
    ctx->pushObject(r->pair);
    return true;
  }
  Value passed = n > 0 ? ctx->operands[ctx->top - n] : Value();
  dropCall(ctx, n);
  resumeAndRun(ctx, r, passed);
  return true;
}

namespace {

// Entries of the sort buffer, checked.
struct SortArgs {
  KVArray* array;
  int32_t ints[3];
};
SortArgs popSortArgs(KVContext* ctx, int32_t count) {
  need(ctx, count + 1);
  SortArgs s{};
  for (int32_t i = count - 1; i >= 0; --i) {
    const Value& v = ctx->operands[--ctx->top];
    if (v.tag != kInt) throw RuntimeError(kErrUnexpected);
    s.ints[i] = v.i;
  }
  const Value& a = ctx->operands[--ctx->top];
  if (a.tag != kObject || !a.obj || !a.obj->isArray()) throw RuntimeError(kErrUnexpected);
  s.array = static_cast<KVArray*>(a.obj);
  return s;
}
Value& entry(KVArray* a, int64_t i) {
  if (!a->sortBuf || i < 0 || i >= a->sortSize()) throw RuntimeError(kErrUnexpected);
  return a->sortBuf[i];
}

// sortRange's steps (interp_ext.h) on the frame's cells: the new operand
// top, and -1 or the failure's code.
struct SortFrame {
  Value* cells;
  int32_t args;
  int32_t cellCount;
};
struct SortStepResult {
  int32_t top;
  int32_t failure;
};
[[gnu::always_inline]] inline SortStepResult rangeStep(SortFrame f, Value* ops, KVobj** refs, int32_t top,
                                                     int32_t refDepth, int32_t op) {
  constexpr int32_t kRoom = KVContext::kOperands;
  if (f.args < 5 || f.cellCount < f.args + 5) return {top, kErrUnexpected};
  const Value* const p = f.cells;
  Value* const l = f.cells + f.args;
  if (op == 20) {
    // lenA = count >> 1, lenB = count - lenA, the merge's counters 0; the
    // records did it with two references and two operands at most.
    if (p[2].tag != kInt) return {top, kErrUnexpected};
    if (refDepth + 2 > KVContext::kRefs) return {top, kErrSecondaryOverflow};
    if (top + 2 > kRoom) return {top, kErrStackOverflow};
    const int32_t count = p[2].i;
    l[1] = Value::makeInt(count >> 1);
    l[2] = Value::makeInt(static_cast<int32_t>(static_cast<uint32_t>(count) - static_cast<uint32_t>(count >> 1)));
    l[3] = l[4] = Value::makeInt(0);
    return {top, -1};
  }
  const bool answered = op == 19;
  if ((p[1].tag ^ kInt) | (p[2].tag ^ kInt) | (l[1].tag ^ kInt) | (l[2].tag ^ kInt) | (l[3].tag ^ kInt) |
      (l[4].tag ^ kInt))
    return {top, kErrUnexpected};
  const Value& arr = p[4];
  if (arr.tag != kObject || !arr.obj || (arr.obj->classId != kArrayClassId && !arr.obj->isArray()))
    return {top, kErrUnexpected};
  const auto* a = static_cast<const KVArray*>(arr.obj);
  // The loop works on copies of i and j and writes them back at its end;
  // the scratch index is i + j, as many entries as have moved.
  const int64_t lo = p[1].i, count = p[2].i, lenA = l[1].i, lenB = l[2].i;
  int64_t i = l[3].i, j = l[4].i;
  const int64_t half = a->sortSize() / 2;
  // Every entry the loop reads or writes lies inside the buffer.
  if (!a->sortBuf || lo < 0 || i < 0 || j < 0 || i > lenA || j > lenB || count != lenA + lenB || lo + count > half)
    return {top, kErrUnexpected};
  if (answered && (top < 1 || i == lenA || j == lenB)) return {top, kErrUnexpected};
  Value* const first = a->sortBuf + lo;
  Value* const second = first + lenA;
  Value* const scratch = a->sortBuf + half + lo;
  int32_t failure = -1;
  bool takeFirst = false;
  if (answered) {
    // Comparators mostly answer a truth value: read at once.
    const Value& said = ops[--top];
    takeFirst = said.tag == kBool ? said.i != 0 : valueIsTrue(said);
  }
  for (bool decided = answered;; decided = false) {
    if (!decided) {
      const bool haveA = i < lenA, haveB = j < lenB;
      if (haveA && haveB) {
        const Value &x = first[i], &y = second[j];
        if (x.tag != kUndefined && y.tag != kUndefined) {
          // The records pushed the comparator, x and four operands for y.
          if (top + 6 > kRoom) {
            failure = kErrStackOverflow;
            break;
          }
          ops[top] = p[0];
          ops[top + 1] = x;
          ops[top + 2] = y;
          ops[top + 3] = Value::makeBool(true);
          refs[top] = refs[top + 1] = refs[top + 2] = refs[top + 3] = nullptr;
          top += 4;
          break;
        }
        // An undefined second value answers "first", an undefined first "second".
        takeFirst = y.tag == kUndefined;
      } else if (haveA || haveB) {
        takeFirst = haveA;
      } else {
        break;
      }
    }
    // A move pushed three operands, a reference, and a fourth operand.
    if (top + 4 > kRoom || refDepth >= KVContext::kRefs) {
      failure = top + 3 > kRoom || refDepth < KVContext::kRefs ? kErrStackOverflow : kErrSecondaryOverflow;
      break;
    }
    scratch[i + j] = takeFirst ? first[i] : second[j];
    i += takeFirst;
    j += !takeFirst;
  }
  l[3].i = static_cast<int32_t>(i);
  l[4].i = static_cast<int32_t>(j);
  if (failure < 0 && i == lenA && j == lenB) {
    // The range is merged: back from the scratch half into its place.
    std::copy(scratch, scratch + count, first);
    refs[top] = nullptr;
    ops[top++] = Value::makeBool(false);
  }
  return {top, failure};
}

// rangeStep on the running frame's cells. Every frame has an activation (the
// context's own, or the global object at the top level), and one without
// cells has a cell count of 0, which rangeStep refuses.
[[gnu::always_inline]] inline SortStepResult frameRangeStep(KVContext* ctx, int32_t top, int32_t op) {
  const ActivationObject* a = ctx->frame->activation;
  return rangeStep({a->cells, a->argCount, a->cellCount}, ctx->operands, ctx->operandRefs, top, ctx->refDepth, op);
}

}  // namespace

void sortIntrinsic(KVContext* ctx, int32_t op) {
  switch (op) {
    case 9: ctx->pushBool(beginOwnedSort(ctx, popSortArgs(ctx, 0).array)); break;
    case 10: {
      SortArgs s = popSortArgs(ctx, 1);
      std::swap(entry(s.array, s.ints[0]), entry(s.array, int64_t{s.ints[0]} + 1));
      break;
    }
    case 11: {
      SortArgs s = popSortArgs(ctx, 1);
      ctx->pushValue(entry(s.array, s.ints[0]));
      break;
    }
    case 12: {
      need(ctx, 3);
      bool aUndef = ctx->operands[ctx->top - 2].tag == kUndefined;
      bool bUndef = ctx->operands[ctx->top - 1].tag == kUndefined;
      if (!aUndef && !bUndef) {
        ctx->pushBool(false);
        break;
      }
      ctx->top -= 3;
      ctx->pushBool(bUndef);
      ctx->pushBool(true);
      break;
    }
    case 15:
      if (gBuiltins.sortRangeFunction) ctx->pushObject(gBuiltins.sortRangeFunction);
      else ctx->pushUndefined();
      break;
    case 17: endOwnedSort(ctx, popSortArgs(ctx, 0).array); break;
    case 21: {
      // The count the sort works on is the buffer's, taken from the elements
      // when it began: the "length" member is a cell a script may write.
      const KVArray* a = popSortArgs(ctx, 0).array;
      ctx->pushInt(a->sortBuf ? static_cast<int32_t>(a->sortSize() / 2) : 0);
      break;
    }
    case 18:
    case 19:
    case 20: {
      const SortStepResult r = frameRangeStep(ctx, ctx->top, op);
      ctx->top = r.top;
      if (r.failure >= 0) throw RuntimeError(r.failure);
      break;
    }
    default: throw RuntimeError(kErrUnexpected);
  }
}

int32_t sortRangeStepInLoop(KVContext* ctx, int32_t top, int32_t op) {
  if (top + 6 > KVContext::kOperands || ctx->refDepth + 2 > KVContext::kRefs) return -1;
  const SortStepResult r = frameRangeStep(ctx, top, op);
  return r.failure < 0 ? r.top : -1;
}

namespace {

// Tuple item n for the key, or 0 when the key is no item atom. The item
// names are made one after another from "item1", so their atoms count down.
int32_t itemNumber(int32_t key) {
  int64_t n = int64_t{gBuiltins.itemOneAtom} - key + 1;
  return n >= 1 && n <= kMaxTupleItems ? static_cast<int32_t>(n) : 0;
}

}  // namespace

bool elementLookup(KVobj* obj, int32_t key, Value*& cell) {
  if (key >= 0) {
    // Arrays first and without a virtual call: the common indexed read.
    if (obj->classId == kArrayClassId) {
      cell = static_cast<KVArray*>(obj)->KVArray::elementAt(key);
      return true;
    }
    if (obj->isArray()) {
      cell = obj->elementAt(key);
      return true;
    }
    if (obj->isArrayView()) {
      cell = static_cast<KVArrayView*>(obj)->readElement(key);
      return true;
    }
    return false;
  }
  if (!obj->isTuple()) return false;
  int32_t n = itemNumber(key);
  if (n == 0) return false;
  cell = static_cast<KVTuple*>(obj)->item(n);
  return true;
}

void viewStore(KVobj* view, int32_t index, const Value& v) { static_cast<KVArrayView*>(view)->writeElement(index, v); }
bool viewHolds(KVobj* view, int32_t index) { return static_cast<KVArrayView*>(view)->holds(index); }
Value viewLoad(KVobj* view, int32_t index) { return *static_cast<KVArrayView*>(view)->readElement(index); }

void resumeAndRun(KVContext* ctx, KVrestarter* r, const Value& passed) {
  const Callable* callerProgram = ctx->program;
  int32_t callerPc = ctx->pc;
  int32_t refDepth = ctx->refDepth;
  ctx->frame->savedProgram = callerProgram;
  ctx->frame->savedPc = callerPc + 1;
  ObjectRoot root(r);
  r->operandBase = ctx->top;
  resumeSavedFrame(ctx, r->function, r->saved, passed);
  if (!r->started) {
    --ctx->top;  // the first step has no Yield to receive a value
    r->started = 1;
  }
  ctx->frame->receiver = r;
  r->running = 1;
  ctx->program = r->function->callable;
  ctx->pc = r->resumePc;
  runContext(ctx);
  if (ctx->state & KVContext::kSuspended) return;
  r = static_cast<KVrestarter*>(root.get());
  // Run to its end without a Yield: its result is dropped, the run is over.
  if (r->running) finishRestarter(ctx, r);
  leaveCallFrame(ctx);
  ctx->program = callerProgram;
  ctx->pc = callerPc;
  ctx->refDepth = refDepth;
}


}  // namespace kv
