// Natives that act directly on the VM.
#include "runtime/library/core_natives.h"

#include <algorithm>
#include <memory>

#include "runtime/library/native_args.h"
#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/context.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/microthread.h"
#include "runtime/vm/scheduler.h"

namespace kv {
namespace {

constexpr int32_t kSpawnExtraArgs = 8;
constexpr int32_t kMaxArrayConstructed = 65536;
constexpr int32_t kWarnArraySize = 17;
constexpr int32_t kWarnTupleArgs = 20;
constexpr int32_t kMinTupleItems = 2;

// (buffer, count, offset) of a typed-array constructor.
void makeView(KVContext* ctx, int32_t size, bool isFloat, bool isUnsigned) {
  const Value* b = ctx->arg(0);
  if (b->tag != kObject || !b->obj || !b->obj->isArrayBuffer()) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushUndefined();
    return;
  }
  int32_t count = std::max(intArg(ctx, 1, 1), 1);
  int32_t offset = std::max(intArg(ctx, 2, 0), 0);
  KVArrayView* v = newKVArrayView(static_cast<KVArrayBuffer*>(b->obj), size, count, offset, isFloat, isUnsigned);
  if (v) ctx->pushObject(v);
  else ctx->pushUndefined();
}

void setWarningControl(KVContext* ctx, void (*set)(int32_t, int32_t)) {
  const Value* first = ctx->arg(0);
  if (first->tag != kInt) {
    raiseRuntimeWarning(kWarnWrongArgument);
  } else {
    set(first->i, intArg(ctx, 1, -1));
  }
  ctx->pushUndefined();
}

}  // namespace

void spawnNative(KVContext* ctx) {
  const Value* f = ctx->arg(0);
  if (f->tag != kObject || !f->obj || !f->obj->isFunction()) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushNull();
    return;
  }
  auto thread = std::make_unique<KVContext>();
  thread->spawned = 1;
  int32_t extra = std::clamp(ctx->frame->passed - 1, 0, kSpawnExtraArgs);
  // The further arguments of this call become the function's.
  enterCallFrame(&thread->frames[0], static_cast<KVfobj*>(ctx->arg(0)->obj), ctx, thread->cells, extra);
  auto* fn = static_cast<KVfobj*>(ctx->arg(0)->obj);
  thread->program = fn->callable;
  thread->pc = 0;
  KVWeakContext* handle = newKVWeakContext(thread.get());
  Scheduler::addPendingThread(thread.release());
  ctx->pushObject(handle);
}

void dz000Native(KVContext* ctx) {
  Scheduler::requestCollection(kCollectMinor);
  ctx->pushUndefined();
}

void dz001Native(KVContext* ctx) {
  Scheduler::requestCollection(kCollectFull);
  ctx->pushUndefined();
}

void setRuntimeWarningLimitNative(KVContext* ctx) { setWarningControl(ctx, &setWarningLimit); }
void setRuntimeWarningFuseNative(KVContext* ctx) { setWarningControl(ctx, &setWarningFuse); }

void consoleLogNative(KVContext* ctx) {
  writeLogLine(valueToString(ctx->arg(0)));
  ctx->pushUndefined();
}

void objectConstructor(KVContext* ctx) {
  if (KVobj* self = ctx->receiver()) ctx->pushObject(self);
  else ctx->pushUndefined();
}

void stringConstructor(KVContext* ctx) {
  char* text = ctx->frame->passed > 0 ? heapTextOf(ctx->arg(0)) : stringToHeapText("");
  ctx->pushObject(newKVstring(text));
}

void arrayConstructor(KVContext* ctx) {
  int32_t n = intArg(ctx, 0, 0);
  if (n < 0 || n > kMaxArrayConstructed) {
    raiseRuntimeWarning(kWarnArraySize);
    n = 0;
  }
  ctx->pushObject(newKVArray(n));
}

void arrayBufferConstructor(KVContext* ctx) { ctx->pushObject(newKVArrayBuffer(intArg(ctx, 0, 0))); }

void tupleConstructor(KVContext* ctx) {
  int32_t passed = ctx->frame->passed;
  if (passed < kMinTupleItems || passed > kMaxTupleItems) raiseRuntimeWarning(kWarnTupleArgs);
  int32_t n = std::clamp(passed, kMinTupleItems, kMaxTupleItems);
  const Value* values[kMaxTupleItems];
  for (int32_t i = 0; i < n; ++i) values[i] = ctx->arg(i);
  ctx->pushObject(newKVTuple(n, values));
}

void int32ArrayConstructor(KVContext* ctx) { makeView(ctx, 4, false, false); }
void int16ArrayConstructor(KVContext* ctx) { makeView(ctx, 2, false, false); }
void int8ArrayConstructor(KVContext* ctx) { makeView(ctx, 1, false, false); }
// Uint32Array reads signed 32-bit Ints; Uint8ClampedArray reads signed bytes
// and stores the low 8 bits.
void uint32ArrayConstructor(KVContext* ctx) { makeView(ctx, 4, false, false); }
void uint16ArrayConstructor(KVContext* ctx) { makeView(ctx, 2, false, true); }
void uint8ArrayConstructor(KVContext* ctx) { makeView(ctx, 1, false, true); }
void uint8ClampedArrayConstructor(KVContext* ctx) { makeView(ctx, 1, false, false); }
void float32ArrayConstructor(KVContext* ctx) { makeView(ctx, 4, true, false); }
void float64ArrayConstructor(KVContext* ctx) { makeView(ctx, 8, true, false); }

}  // namespace kv
