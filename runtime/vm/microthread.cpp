// The MicroThread handles scripts hold on their threads.
#include "runtime/vm/microthread.h"

#include <algorithm>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/scheduler.h"

namespace kv {
namespace {

KVWeakContext* handleOf(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  if (!self || self->classId != kWeakContextClassId) throw RuntimeError(kErrUnexpected);
  return static_cast<KVWeakContext*>(self);
}

void isAvailableNative(KVContext* ctx) { ctx->pushBool(handleOf(ctx)->context() != nullptr); }

void setPriorityNative(KVContext* ctx) {
  const Value* v = ctx->arg(0);
  int32_t p = v->tag == kInt ? std::max(v->i, 0) : 0;
  if (KVContext* t = handleOf(ctx)->context()) t->priority = p;
  ctx->pushUndefined();
}

void getPriorityNative(KVContext* ctx) {
  KVContext* t = handleOf(ctx)->context();
  ctx->pushInt(t ? t->priority : -1);
}

void suspendNative(KVContext* ctx) {
  if (KVContext* t = handleOf(ctx)->context()) Scheduler::suspendThread(t);
  ctx->pushUndefined();
}

void resumeNative(KVContext* ctx) {
  if (KVContext* t = handleOf(ctx)->context()) Scheduler::resumeThread(t);
  ctx->pushUndefined();
}

void disposeNative(KVContext* ctx) {
  KVWeakContext* h = handleOf(ctx);
  if (h->index >= 0) {
    if (KVContext* t = h->context()) {
      t->disposed = 1;
      releaseThreadByte(h->index);
      Scheduler::endSuspendedThread(t);
    }
    h->index = -1;
  }
  ctx->pushUndefined();
}

}  // namespace

KVContext* KVWeakContext::context() const {
  if (index < 0 || threadGeneration(index) != generation) return nullptr;
  return registeredContext(index);
}

KVWeakContext* newKVWeakContext(KVContext* ctx) {
  reserveNursery(objectBytes<KVWeakContext>(1));
  KVWeakContext* h = placeYoungObject<KVWeakContext>(1, gBuiltins.microThreadProto, kWeakContextClassId);
  h->index = registerThread(ctx);
  h->generation = threadGeneration(h->index);
  return h;
}

void setupMicroThreadClass() {
  KVobj* proto = gBuiltins.microThreadProto;
  KVobj::defineNativeMethod(proto, "isAvailable", NativeArgTypes(), &isAvailableNative);
  KVobj::defineNativeMethod(proto, "setPriority", NativeArgTypes(1, 0), &setPriorityNative);
  KVobj::defineNativeMethod(proto, "getPriority", NativeArgTypes(), &getPriorityNative);
  KVobj::defineNativeMethod(proto, "suspend", NativeArgTypes(), &suspendNative);
  KVobj::defineNativeMethod(proto, "resume", NativeArgTypes(), &resumeNative);
  KVobj::defineNativeMethod(proto, "dispose", NativeArgTypes(), &disposeNative);
  KVobj::buildPropertyIndex(proto, kMicroThreadProtoClassId);
}

}  // namespace kv
