// The Array class: its native methods and its member set-up.
#include <algorithm>

#include "runtime/vm/atoms.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

KVArray* arrayReceiver(KVContext* ctx) { return static_cast<KVArray*>(requireReceiver(ctx, &KVobj::isArray)); }


void unshiftNative(KVContext* ctx) {
  arrayReceiver(ctx)->unshift(*ctx->arg(0));
  ctx->pushUndefined();
}


void shiftNative(KVContext* ctx) {
  Value v;
  if (arrayReceiver(ctx)->shift(v)) ctx->pushValue(v);
  else ctx->pushUndefined();
}

void fillNative(KVContext* ctx) {
  arrayReceiver(ctx)->fill(*ctx->arg(0));
  ctx->pushUndefined();
}

void clearNative(KVContext* ctx) {
  arrayReceiver(ctx)->clear();
  ctx->pushUndefined();
}

// slice(a, b): copies of elements first..end-1 in a new array; undefined
// when a or b is given and is not an Int.
void sliceNative(KVContext* ctx) {
  KVArray* self = arrayReceiver(ctx);
  const Value* a = ctx->arg(0);
  const Value* b = ctx->arg(1);
  int32_t len = self->length();
  bool noA = a->tag == kUndefined, noB = b->tag == kUndefined;
  int32_t first = 0, end = len;
  if (!(noA && noB)) {
    if (noA || a->tag != kInt || (!noB && b->tag != kInt)) {
      ctx->pushUndefined();
      return;
    }
    first = a->i < 0 ? std::max(a->i + len, 0) : a->i >= len ? std::max(len - 1, 0) : a->i;
    end = noB ? len : b->i > first ? std::min(b->i, len) : first;
  }
  int32_t n = std::max(end - first, 0);
  ObjectRoot root(self);
  KVArray* out = newKVArray(n);
  self = static_cast<KVArray*>(root.get());
  std::copy(self->elems + first, self->elems + first + n, out->elems);
  ctx->pushObject(out);
}

void bindBuilt(KVobj* proto, const char* name, ArrayMethodBuilder build) {
  if (!build) return;
  ObjectRoot root(proto);
  KVfobj* fn = build();
  KVobj::defineObjectProperty(root.get(), name, fn);
}

}  // namespace

void arrayPushNative(KVContext* ctx) {
  arrayReceiver(ctx)->push(*ctx->arg(0));
  ctx->pushUndefined();
}

void arrayPopNative(KVContext* ctx) {
  Value v;
  if (arrayReceiver(ctx)->pop(v)) ctx->pushValue(v);
  else ctx->pushUndefined();
}

ArrayCallbackBuilders& arrayCallbackBuilders() {
  static ArrayCallbackBuilders builders;
  return builders;
}

void setupArrayClass(KVfobj* ctor) {
  KVobj* proto = gBuiltins.arrayProto;
  KVobj::defineNativeMethod(proto, "push", NativeArgTypes(1, 0), &arrayPushNative);
  KVobj::defineNativeMethod(proto, "pop", NativeArgTypes(), &arrayPopNative);
  KVobj::defineNativeMethod(proto, "unshift", NativeArgTypes(1, 0), &unshiftNative);
  KVobj::defineNativeMethod(proto, "shift", NativeArgTypes(), &shiftNative);
  KVobj::defineNativeMethod(proto, "fill", NativeArgTypes(1, 0), &fillNative);
  KVobj::defineNativeMethod(proto, "clear", NativeArgTypes(), &clearNative);
  KVobj::defineNativeMethod(proto, "slice", NativeArgTypes(2, 0), &sliceNative);
  const ArrayCallbackBuilders& b = arrayCallbackBuilders();
  if (b.forgetEarlierBuilds) b.forgetEarlierBuilds();
  bindBuilt(proto, "forEach", b.forEach);
  bindBuilt(proto, "reduce", b.reduce);
  bindBuilt(proto, "map", b.map);
  bindBuilt(proto, "find", b.find);
  bindBuilt(proto, "findIndex", b.findIndex);
  bindBuilt(proto, "filter", b.filter);
  bindBuilt(proto, "sort", b.sort);
  if (b.sortRange) gBuiltins.sortRangeFunction = b.sortRange();
  KVobj::buildPropertyIndex(proto, kArrayProtoClassId);
  if (!ctor) return;
  gBuiltins.arrayCtor = ctor;
  *ctor->props.cells[1] = Value::makeObject(proto);
}

}  // namespace kv
