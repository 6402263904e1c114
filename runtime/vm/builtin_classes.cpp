// The built-in classes' ids, prototypes, constructors and method set-ups.
#include "runtime/vm/builtin_classes.h"

#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {

BuiltinClasses gBuiltins;

KVobj* requireReceiver(KVContext* ctx, bool (KVobj::*test)() const) {
  KVobj* self = ctx->receiver();
  if (!self || !(self->*test)()) throw RuntimeError(kErrUnexpected);
  return self;
}

void createBuiltinPrototypes() {
  gBuiltins = BuiltinClasses{};
  KVobj* op = gCore.objectProto;
  gBuiltins.arrayProto = newStaticObject(1, op, kArrayProtoClassId);
  gBuiltins.arrayBufferProto = newStaticObject(1, op, kArrayBufferProtoClassId);
  gBuiltins.typedArrayProto = newStaticObject(1, op, kTypedArrayProtoClassId);
  gBuiltins.microThreadProto = newStaticObject(1, op, kMicroThreadProtoClassId);
  gBuiltins.tupleProto = newStaticObject(1, op, kTupleProtoClassId);
  gBuiltins.restarterProto = newStaticObject(1, op, kRestarterProtoClassId);
  gBuiltins.generatorProto = newStaticObject(1, op, kGeneratorClassId + 1);
}

void setupTupleClass(KVfobj* ctor) {
  if (!ctor) return;
  gBuiltins.tupleCtor = ctor;
  *ctor->props.cells[1] = Value::makeObject(gBuiltins.tupleProto);
}

}  // namespace kv
