// Running contexts: resumption after a suspension, nested runs from native
// code, generator frames, caller pairs and the table of live contexts.
#include <algorithm>

#include "runtime/vm/context.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/interpreter.h"

namespace kv {
namespace {

constexpr uint8_t kRegistered = 0xAA;

std::pair<KVobj*, KVobj*> gCallerPairs[kCallerPairs];
int32_t gCallerPairDepth = 0;

KVContext* gThreads[kMaxThreads];
uint8_t gThreadBytes[kMaxThreads];
// Bumped each time a slot is freed, so a handle to the slot's earlier
// thread is recognised as stale.
uint32_t gThreadGenerations[kMaxThreads];

void visitCallerPairs(bool full, void*) {
  for (int32_t i = 0; i < gCallerPairDepth; ++i) {
    visitObject(gCallerPairs[i].first, full);
    visitObject(gCallerPairs[i].second, full);
  }
}

}  // namespace

void takeConstructedObject(KVContext* ctx, KVobj* made, int32_t base) {
  // A constructor's own object result stands; anything else gives way to
  // the made object.
  if (ctx->top <= base) {
    ctx->pushObject(made);
  } else if (ctx->operands[ctx->top - 1].tag != kObject) {
    ctx->operands[ctx->top - 1] = Value::makeObject(made);
    ctx->operandRefs[ctx->top - 1] = nullptr;
  }
}

void runContext(KVContext* ctx) {
  if (ctx->program) runFunction(*ctx->program);
}

void resumeContext(KVContext* ctx) {
  gCurrentContext = ctx;
  ctx->state &= ~KVContext::kSuspended;
  runContext(ctx);
  if (ctx->state & KVContext::kSuspended) return;
  // The interpreter returns whenever it runs off the end of the innermost
  // list; the callers go on from here.
  while (ctx->depth > 1) {
    const bool constructs = ctx->frame->constructs;
    KVobj* made = ctx->frame->receiver;
    const int32_t base = ctx->frame->operandBase;
    leaveCallFrame(ctx);
    if (constructs && !ctx->exception) takeConstructedObject(ctx, made, base);
    ctx->program = ctx->frame->savedProgram;
    ctx->pc = ctx->frame->savedPc;
    runContext(ctx);
    if (ctx->state & KVContext::kSuspended) return;
  }
  ctx->state &= ~KVContext::kSuspended;
  if (ctx->exception) raiseRuntimeWarning(kWarnUncaughtException);
}

void callAndRun(KVfobj* fn, KVobj* receiver, KVContext* ctx) {
  const Callable* callerProgram = ctx->program;
  int32_t callerPc = ctx->pc;
  ctx->frame->savedProgram = callerProgram;
  ctx->frame->savedPc = callerPc + 1;
  const Callable* callee = fn->callable;
  callFunction(ctx, fn, receiver);
  ctx->program = callee;
  ctx->pc = 0;
  runContext(ctx);
  if (ctx->state & KVContext::kSuspended) return;
  leaveCallFrame(ctx);
  ctx->program = callerProgram;
  ctx->pc = callerPc;
}

void visitSavedFrame(SavedFrame& s, bool full) {
  for (int32_t i = 0; i < s.cellCount; ++i) visitValue(s.cells[i], full);
  for (int32_t i = 0; i < s.valueCount; ++i) {
    visitValue(s.values[i], full);
    visitObject(s.valueRefs[i], full);
  }
  for (int32_t i = 0; i < s.refCount; ++i) visitRefRecord(s.refs[i], full);
  for (int32_t i = 0; i < s.objectLiteralCount; ++i) visitObject(s.objectLiterals[i], full);
  for (int32_t i = 0; i < s.arrayLiteralCount; ++i) visitObject(s.arrayLiterals[i], full);
}

void saveFrameState(KVContext* ctx, SavedFrame& saved, int32_t valueCount) {
  int32_t refCount = std::max(ctx->refDepth - std::max(ctx->frame->refDepth, 0), 0);
  if (valueCount < 0 || valueCount > kSavedOperands || valueCount > ctx->top) throw RuntimeError(kErrYieldValues);
  if (refCount > kSavedRefs) throw RuntimeError(kErrYieldRefs);
  int32_t objectCount = std::max(ctx->objectLiteralDepth - ctx->frame->objectLiteralBase, 0);
  int32_t arrayCount = std::max(ctx->arrayLiteralDepth - ctx->frame->arrayLiteralBase, 0);
  if (objectCount > kSavedLiterals || arrayCount > kSavedLiterals) throw RuntimeError(kErrYieldValues);
  const ActivationObject* a = ctx->frame->activation;
  if (saved.cellCount != a->cellCount) {
    delete[] saved.cells;
    saved.cells = a->cellCount > 0 ? new Value[a->cellCount] : nullptr;
    saved.cellCount = a->cellCount;
  }
  std::copy(a->cells, a->cells + a->cellCount, saved.cells);
  int32_t from = ctx->top - valueCount;
  std::copy(ctx->operands + from, ctx->operands + ctx->top, saved.values);
  std::copy(ctx->operandRefs + from, ctx->operandRefs + ctx->top, saved.valueRefs);
  saved.valueCount = valueCount;
  std::copy(ctx->refs + ctx->refDepth - refCount, ctx->refs + ctx->refDepth, saved.refs);
  for (int32_t i = 0; i < refCount; ++i) {
    RefRecord& r = saved.refs[i];
    auto* base = static_cast<Value*>(r.container);
    saved.refCellOffsets[i] = -1;
    if (r.kind == kRefCell && base >= a->cells && base < a->cells + a->cellCount) {
      saved.refCellOffsets[i] = static_cast<int32_t>(base - a->cells);
      r.container = nullptr;
    }
  }
  saved.refCount = refCount;
  std::copy(ctx->objectLiterals + ctx->objectLiteralDepth - objectCount, ctx->objectLiterals + ctx->objectLiteralDepth,
            saved.objectLiterals);
  saved.objectLiteralCount = objectCount;
  std::copy(ctx->arrayLiterals + ctx->arrayLiteralDepth - arrayCount, ctx->arrayLiterals + ctx->arrayLiteralDepth,
            saved.arrayLiterals);
  saved.arrayLiteralCount = arrayCount;
}

void resumeSavedFrame(KVContext* ctx, KVfobj* fn, SavedFrame& saved, const Value& passed) {
  if (ctx->depth >= KVContext::kFrames) throw RuntimeError(kErrStackOverflow);
  if (ctx->top + saved.valueCount + 1 > KVContext::kOperands) throw RuntimeError(kErrYieldValues);
  if (ctx->refDepth + saved.refCount > KVContext::kRefs) throw RuntimeError(kErrYieldRefs);
  if (ctx->objectLiteralDepth + saved.objectLiteralCount > KVContext::kOpenLiterals ||
      ctx->arrayLiteralDepth + saved.arrayLiteralCount > KVContext::kOpenLiterals)
    throw RuntimeError(kErrStackOverflow);
  ActivationObject* cur = ctx->frame->activation;
  Value* cells = cur->cells + cur->cellCount;
  if (cells + saved.cellCount > ctx->cells + KVContext::kCells) throw RuntimeError(kErrStackOverflow);
  CallFrame* f = &ctx->frames[ctx->depth];
  enterFrameWithCells(f, fn, ctx, cells, nullptr);
  f->activation->cellCount = saved.cellCount;
  std::copy(saved.cells, saved.cells + saved.cellCount, cells);
  f->passed = std::min(f->activation->argCount, saved.cellCount);
  ctx->frame = f;
  ++ctx->depth;
  std::copy(saved.values, saved.values + saved.valueCount, ctx->operands + ctx->top);
  std::copy(saved.valueRefs, saved.valueRefs + saved.valueCount, ctx->operandRefs + ctx->top);
  ctx->top += saved.valueCount;
  std::copy(saved.refs, saved.refs + saved.refCount, ctx->refs + ctx->refDepth);
  for (int32_t i = 0; i < saved.refCount; ++i)
    if (saved.refCellOffsets[i] >= 0) ctx->refs[ctx->refDepth + i].container = cells + saved.refCellOffsets[i];
  ctx->refDepth += saved.refCount;
  std::copy(saved.objectLiterals, saved.objectLiterals + saved.objectLiteralCount,
            ctx->objectLiterals + ctx->objectLiteralDepth);
  ctx->objectLiteralDepth += saved.objectLiteralCount;
  std::copy(saved.arrayLiterals, saved.arrayLiterals + saved.arrayLiteralCount,
            ctx->arrayLiterals + ctx->arrayLiteralDepth);
  ctx->arrayLiteralDepth += saved.arrayLiteralCount;
  ctx->pushValue(passed);
}

void pushCallerPair(KVobj* first, KVobj* second) {
  if (gCallerPairDepth >= kCallerPairs) throw RuntimeError(kErrRuntimeSpecific);
  gCallerPairs[gCallerPairDepth++] = {first, second};
}

std::pair<KVobj*, KVobj*> popCallerPair() {
  if (gCallerPairDepth <= 0) throw RuntimeError(kErrRuntimeSpecific);
  auto pair = gCallerPairs[--gCallerPairDepth];
  gCallerPairs[gCallerPairDepth] = {};
  return pair;
}

void resetCallerPairs() {
  std::fill(std::begin(gCallerPairs), std::end(gCallerPairs), std::pair<KVobj*, KVobj*>{});
  gCallerPairDepth = 0;
  registerRoot(RootRank::CallerPairs, &visitCallerPairs, nullptr);
}

int32_t registerThread(KVContext* ctx) {
  // A context registers once; asking again answers its slot.
  if (ctx->number >= 0 && ctx->number < kMaxThreads && gThreads[ctx->number] == ctx) return ctx->number;
  for (int32_t i = 0; i < kMaxThreads; ++i) {
    if (gThreads[i] || gThreadBytes[i]) continue;
    gThreads[i] = ctx;
    gThreadBytes[i] = kRegistered;
    ctx->number = i;
    return i;
  }
  throw RuntimeError(kErrTooManyThreads);
}

KVContext* registeredContext(int32_t index) { return index >= 0 && index < kMaxThreads ? gThreads[index] : nullptr; }

void unregisterContext(KVContext* ctx) {
  // The slot is free again once its context is gone, disposed or not.
  if (ctx->number >= 0 && ctx->number < kMaxThreads && gThreads[ctx->number] == ctx) {
    gThreads[ctx->number] = nullptr;
    gThreadBytes[ctx->number] = 0;
    ++gThreadGenerations[ctx->number];
  }
}

uint32_t threadGeneration(int32_t index) {
  return index >= 0 && index < kMaxThreads ? gThreadGenerations[index] : 0;
}

void releaseThreadByte(int32_t index) {
  if (index >= 0 && index < kMaxThreads) gThreadBytes[index] = 0;
}

void resetThreadRegistry() {
  std::fill(std::begin(gThreads), std::end(gThreads), nullptr);
  std::fill(std::begin(gThreadBytes), std::end(gThreadBytes), 0);
  std::fill(std::begin(gThreadGenerations), std::end(gThreadGenerations), 0);
}

}  // namespace kv
