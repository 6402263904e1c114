// The String class: setText, append, compare and String.fromCharCode.
#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/vm/atoms.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

constexpr int32_t kMaxCharCodes = 63;

KVstring* stringReceiver(KVContext* ctx) {
  return static_cast<KVstring*>(requireReceiver(ctx, &KVobj::isString));
}

void setTextNative(KVContext* ctx) {
  ObjectRoot self(stringReceiver(ctx));
  // A copy, never the argument's block: appending to one string must not
  // change another.
  char* text = heapTextOf(ctx->arg(0));
  static_cast<KVstring*>(self.get())->text = text;
  ctx->pushUndefined();
}

void appendNative(KVContext* ctx) {
  ObjectRoot self(stringReceiver(ctx));
  const char* tail = valueToString(ctx->arg(0));
  BlockRoot tailRoot(const_cast<char*>(tail));
  auto* s = static_cast<KVstring*>(self.get());
  // A text outside the heap is read from where it is; a heap one from where
  // the last collection left it.
  const char* right = inHeap(tail) ? static_cast<const char*>(tailRoot.get()) : tail;
  char* joined = appendText(s->text, right);
  static_cast<KVstring*>(self.get())->text = joined;
  ctx->pushUndefined();
}

void compareNative(KVContext* ctx) {
  KVstring* self = stringReceiver(ctx);
  const char* other = valueText(*ctx->arg(0));
  if (!other) {
    ctx->pushInt(1);
    return;
  }
  int c = std::strcmp(self->text, other);
  ctx->pushInt(c < 0 ? -1 : c > 0 ? 1 : 0);
}

void fromCharCodeNative(KVContext* ctx) {
  char buf[kMaxCharCodes + 1];
  int32_t n = std::min(ctx->frame->passed, kMaxCharCodes);
  for (int32_t i = 0; i < n; ++i) {
    const Value* v = ctx->arg(i);
    buf[i] = v->tag == kInt && v->i >= 32 && v->i <= 126 ? static_cast<char>(v->i) : ' ';
  }
  buf[n] = 0;
  ctx->pushObject(newKVstring(stringToHeapText(buf)));
}

}  // namespace

char* heapTextOf(const Value* v) {
  std::string staged = valueToString(v);
  return stringToHeapText(staged.c_str());
}

void setupStringClass(KVfobj* ctor) {
  KVobj* proto = gCore.stringProto;
  KVobj::defineNativeMethod(proto, "setText", NativeArgTypes(1, 0), &setTextNative);
  KVobj::defineNativeMethod(proto, "append", NativeArgTypes(1, 0), &appendNative);
  KVobj::defineNativeMethod(proto, "compare", NativeArgTypes(1, 0), &compareNative);
  KVobj::buildPropertyIndex(proto, kStringProtoClassId);
  if (!ctor) return;
  gBuiltins.stringCtor = ctor;
  *ctor->props.cells[1] = Value::makeObject(proto);
  if (ctor->props.count > 2) {
    KVfobj* from = newStaticNative(permanentCallable(Callable{nullptr, nullptr, &fromCharCodeNative}));
    *ctor->props.cells[2] = Value::makeObject(from);
    setSlotIndex(ctor->classId, "fromCharCode", 2);
  }
}

}  // namespace kv
