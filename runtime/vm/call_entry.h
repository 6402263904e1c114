// The short paths of entering and leaving a script call inside a code loop:
// the common call (a script function, no text among the arguments it keeps,
// room for its frame) and the common return (a result, no literal left open).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/kvarray.h"

namespace kv {

// The callee's records and cells, which the loop takes as its running frame.
struct EnteredFrame {
  CodeNode* const* code;
  uint32_t count;
  Value* cells;
  int32_t cellCount;
  int32_t top;  // the callee's operand level: its frame's base
};

// The running frame's cells as the loop keeps them: the entry takes the
// callee's from just above them.
struct RunningFrame {
  Value* cells;
  int32_t cellCount;
};

// A Call record's call entered as enterCallStep followed by callFunction
// would enter it: the caller's resume point saved, the frame and its
// activation filled, the arguments copied and the rest of the cells cleared,
// the stack levels recorded. `top` and `pc` are the loop's; the context's
// copies are written for a native only (see below). Every check comes
// before the first write anyone can see: a call that fails one answers
// false with nothing changed but the free cells above the running frame,
// and the general path then warns or fails as it always did.
// With kNative the callee is a native instead (no records, not static), whose
// frame is entered alike; runEnteredNative then runs it.
// With kCounted the step that pushed the count passes it as `counted` (the
// integer on top), and with kPlainArgs it knows that no argument is a text.
// With `given` the step has not pushed the arguments and their count: they
// are there, and `top` is the level they would make on the stack. With
// `givenCallee` it has not pushed the callee either: read from a variable,
// with no receiver beside it, or from a member of `givenReceiver`.
template <bool kNative = false, bool kCounted = false, bool kPlainArgs = false>
[[gnu::always_inline]] inline bool enterScriptCall(KVContext* ctx, const RunningFrame& running, int32_t top,
                                                   int32_t pc, bool method, EnteredFrame& out, int32_t counted = 0,
                                                   const Value* given = nullptr, const Value* givenCallee = nullptr,
                                                   KVobj* givenReceiver = nullptr) {
  // With the count given, the level check below covers the count's room.
  if (!kCounted && top < 2) return false;
  int32_t n;
  if constexpr (kCounted) {
    n = counted;
  } else {
    const Value& count = ctx->operands[top - 1];
    if (count.tag != kInt) return false;
    n = count.i;
  }
  // The count first: one no code could push (an object file's) must not
  // overflow the slot's arithmetic.
  if (n < 0) return false;
  const int32_t at = top - 2 - n;
  if (at < 0) return false;
  const Value& callee = givenCallee ? *givenCallee : ctx->operands[at];
  if (callee.tag != kObject || !callee.obj || (method && !(givenCallee ? givenReceiver : ctx->operandRefs[at])))
    return false;
  // The callee's kind and frame layout as noted at its first call.
  constexpr uint8_t kKind = kNative ? kPlainNative : kPlainScript;
  // A callee noted as the other kind is declined without the call.
  if (callee.obj->callKind != kKind && (callee.obj->callKind || !markPlainCallee(callee.obj, kNative)))
    return false;
  auto* fn = static_cast<KVfobj*>(callee.obj);
  const Callable* body = fn->callable;
  // The frames lie in one array with the running frame at depth - 1: the
  // callee's is the next, and there must be one.
  CallFrame* const caller = ctx->frame;
  CallFrame* const f = caller + 1;
  if (f >= ctx->frames + KVContext::kFrames) return false;
  const int32_t params = fn->frameParams;
  const int32_t cellCount = fn->frameCells;
  // The running frame's cells are its activation's, which the loop keeps.
  Value* const cells = running.cells + running.cellCount;
  // Room for the callee's cells above the running frame's, in one unsigned
  // compare: cells below the context's area wrap to a large distance.
  if (reinterpret_cast<uintptr_t>(cells) - reinterpret_cast<uintptr_t>(ctx->cells) >
      static_cast<uintptr_t>(KVContext::kCells - cellCount) * sizeof(Value))
    return false;
  const int32_t kept = std::min(n, params);
  // The arguments are copied as they are checked: the cells above the
  // running frame are nobody's until the frame below is entered (the
  // collector visits the value area up to the running activation's end).
  // Most calls pass one or two, copied without a loop.
  const Value* args = given ? given : ctx->operands + (at + 1);
  if (kept > 0) {
    if (!kPlainArgs && args[0].tag == kString) return false;
    cells[0] = args[0];
    if (kept > 1) {
      if (!kPlainArgs && args[1].tag == kString) return false;
      cells[1] = args[1];
      for (int32_t i = 2; i < kept; ++i) {
        if (!kPlainArgs && args[i].tag == kString) return false;
        cells[i] = args[i];
      }
    }
  }
  // A frame the loop runs notes its own program when taken up (the callee's
  // below); a native's caller, which the native may leave waiting, here.
  if constexpr (kNative) caller->savedProgram = ctx->program;
  caller->savedPc = pc + 1;
  // Only a native reads the count of the call being made; a script callee
  // reads its arguments from its cells (and `passed`).
  if constexpr (kNative) ctx->argCount = n;
  ActivationObject* const a = f->activation;
  f->scope = fn->callScope();
  // Read again here rather than kept in a register across the checks.
  f->receiver = givenCallee ? givenReceiver : ctx->operandRefs[at];
  f->callee = fn;
  f->passed = kept;
  a->argCount = params;
  a->cells = cells;
  a->cellCount = cellCount;
  // Parameters not passed and the locals start undefined.
  if (kept < cellCount) [[unlikely]] {
    for (int32_t i = kept; i < cellCount; ++i) cells[i] = Value();
    if (fn->hasName() && cellCount > params) cells[params] = Value::makeObject(fn);
  }
  ctx->frame = f;
  ctx->depth += 1;
  std::memcpy(&f->refDepth, &ctx->refDepth, kFrameLevelBytes);
  // Kept apart from the four: a frame left by a throw restores the import
  // nesting to it, and a module being imported calls functions too.
  f->importBase = ctx->importNesting;
  f->operandBase = at;
  ctx->program = body;
  // A script callee runs in the loop, which keeps its run position and
  // operand level in registers and writes them back before anything reads
  // them; a native reads them itself.
  if constexpr (kNative) {
    ctx->top = at;
    ctx->pc = 0;
  }
  if constexpr (kNative) {
    out = {nullptr, 0, cells, cellCount, at};
  } else {
    // What the loop will keep of the frame, noted in it for the returns to
    // it (see CallFrame::resumeCode).
    const CodeVector* const records = body->code;
    out = {records->data(), static_cast<uint32_t>(records->size()), cells, cellCount, at};
    f->resumeCount = out.count;
    f->resumeCode = out.code;
    f->resumeCells = cells;
    f->resumeCellCount = cellCount;
    f->savedProgram = body;
  }
  return true;
}

// The built-in push's own work, its failure for want of memory as the
// native's.
inline void arrayPushInLoop(KVArray* array, const Value& v) {
  try {
    array->push(v);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory);
  }
}

// A method call of the built-in push (one argument) or pop (none) on a
// plain array, done without the native's frame: the frame is entered and
// left with nothing read in between but the receiver and the argument, so
// only the checks its entry makes are kept (a frame and cells to spare, no
// text among the arguments), and the native's own work is done here. The
// operand level after the call with the result on top, or -1 when this is
// no such call (the native's path then runs it, warnings and all).
[[gnu::always_inline]] inline int32_t runArrayMethodInLoop(KVContext* ctx, int32_t top) {
  if (top < 2) return -1;
  const Value& count = ctx->operands[top - 1];
  const int32_t n = count.i;
  if (count.tag != kInt || static_cast<uint32_t>(n) > 1) return -1;
  const int32_t at = top - 2 - n;
  if (at < 0) return -1;
  const Value& callee = ctx->operands[at];
  KVobj* const receiver = ctx->operandRefs[at];
  if (callee.tag != kObject || !callee.obj || callee.obj->callKind != kPlainNative || !receiver ||
      receiver->classId != kArrayClassId || ctx->depth >= KVContext::kFrames)
    return -1;
  const auto* fn = static_cast<const KVfobj*>(callee.obj);
  const ActivationObject* cur = ctx->frame->activation;
  const intptr_t used = (cur->cells + cur->cellCount) - ctx->cells;
  if (used < 0 || used + fn->frameCells > KVContext::kCells) return -1;
  auto* const array = static_cast<KVArray*>(receiver);
  const NativeFunction native = fn->callable->native;
  Value& result = ctx->operands[at];
  if (native == &arrayPushNative && n == 1) {
    const Value& v = ctx->operands[at + 1];
    // The longest array warns from inside the native.
    if (v.tag == kString || fn->frameParams < 1 || array->length() == INT32_MAX) return -1;
    arrayPushInLoop(array, v);
    result = Value();
  } else if (native == &arrayPopNative && n == 0) {
    if (!array->pop(result)) result = Value();
  } else {
    return -1;
  }
  ctx->operandRefs[at] = nullptr;
  return at + 1;
}

// `array.push(v);` as a statement whose records the loop runs as one step:
// whether the call is the one runArrayMethodInLoop's push serves, with the
// same checks, the callee read by the member step (`method`) and v a value
// no text can be on the operand stack. False when the records must run one
// by one; true when arrayPushInLoop may then run it.
[[gnu::always_inline]] inline bool pushStatementServed(const KVContext* ctx, KVArray* array, const Value& method,
                                                       const Value& v) {
  if (method.tag != kObject || !method.obj || method.obj->callKind != kPlainNative ||
      ctx->depth >= KVContext::kFrames || v.tag == kString)
    return false;
  const auto* fn = static_cast<const KVfobj*>(method.obj);
  if (fn->callable->native != &arrayPushNative || fn->frameParams < 1 || array->length() == INT32_MAX) return false;
  const ActivationObject* cur = ctx->frame->activation;
  const intptr_t used = (cur->cells + cur->cellCount) - ctx->cells;
  return used >= 0 && used + fn->frameCells <= KVContext::kCells;
}

// Runs the native whose frame enterScriptCall<true> entered, as callAndRun
// runs one: false when it suspended the thread (its frame stays, the loop
// leaves); otherwise the frame is left with the native's result on top and
// the caller's program and record current again.
inline bool runEnteredNative(KVContext* ctx, const Callable* callerProgram, int32_t callerPc) {
  try {
    ctx->program->native(ctx);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory);
  }
  if (ctx->state & KVContext::kSuspended) return false;
  leaveCallFrame(ctx);
  ctx->program = callerProgram;
  ctx->pc = callerPc;
  return true;
}

// Leaves a frame the loop entered (above the loop's own, so never the
// last) as leaveEnteredCall does, `top` being the loop's: the result alone
// above the frame's base, and the caller's frame and program current. The
// caller's frame is the answer: the loop takes its resume point (savedPc)
// and the operand level (`top` set to one above the base, or to the base
// when the frame left nothing there) into its registers, which is where it
// keeps them while it runs, so neither is written to the context here.
// Returns and frames with a throw pending, an operand level below the base
// or literals left open answer null with nothing changed; leaveEnteredCall
// leaves those. The frame left keeps what it held: nothing reads a frame at
// or above the depth (the collector visits the frames below it only), and
// every entry fills all a running frame needs.
// With `result` the return's value is not on the operand stack but there
// (what the frame's records would push next): the same, as if pushed.
// The frame below the running one made current, its program the running
// one: the end of every leave the loop serves.
[[gnu::always_inline]] inline CallFrame* popLoopFrame(KVContext* ctx, CallFrame* f) {
  ctx->viewTarget = nullptr;
  ctx->depth -= 1;
  CallFrame* const caller = f - 1;
  ctx->frame = caller;
  ctx->program = caller->savedProgram;
  return caller;
}

[[gnu::always_inline]] inline CallFrame* leaveScriptCall(KVContext* ctx, int32_t& top, const Value* result = nullptr) {
  CallFrame* const f = ctx->frame;
  const int32_t base = f->operandBase;
  if (ctx->exception || top + (result ? 1 : 0) <= base) [[unlikely]] {
    // A frame that ends with nothing above its base (the built sort's
    // ranges) gives nothing: the caller goes on at the base. Only at the
    // levels its entry found; anything else goes the general way.
    if (ctx->exception || result || top != base || std::memcmp(&ctx->refDepth, &f->refDepth, kFrameLevelBytes) != 0)
      return nullptr;
    return popLoopFrame(ctx, f);
  }
  // Most returns find the levels where the entry found them: one comparison
  // of the four tells.
  if (std::memcmp(&ctx->refDepth, &f->refDepth, kFrameLevelBytes) != 0) [[unlikely]] {
    if (ctx->objectLiteralDepth > f->objectLiteralBase || ctx->arrayLiteralDepth > f->arrayLiteralBase)
      return nullptr;
    // An entered frame's reference depth is the context's at its entry,
    // never the idle -1.
    ctx->refDepth = std::min(ctx->refDepth, f->refDepth);
    ctx->scopeDepth = std::min(ctx->scopeDepth, f->scopeBase);
  }
  if (result) {
    ctx->operands[base] = *result;
    ctx->operandRefs[base] = nullptr;
  } else {
    ctx->operands[base] = ctx->operands[top - 1];
    ctx->operandRefs[base] = ctx->operandRefs[top - 1];
  }
  top = base + 1;
  return popLoopFrame(ctx, f);
}

}  // namespace kv
