// Containers: a position and a parent link that offset their display objects.
#include "runtime/library/container.h"

#include "runtime/library/graphical.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

constexpr int32_t kContainerCells = 3;

KVobj* gContainerProto = nullptr;

KVContainer* receiverContainer(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->isContainer() ? static_cast<KVContainer*>(self) : nullptr;
}

// Own position plus the first 17 ancestors', as the render position counts them.
void renderSum(KVContext* ctx, int32_t slot) {
  KVContainer* c = receiverContainer(ctx);
  if (!c) {
    ctx->pushUndefined();
    return;
  }
  int32_t sum = memberInt(c, slot);
  const KVobj* p = c->parent;
  for (int32_t n = 0; p && n < kMaxContainerAncestors; ++n) {
    sum = wrapAdd(sum, memberInt(p, slot));
    p = static_cast<const KVContainer*>(p)->parent;
  }
  ctx->pushInt(sum);
}

void renderXMethod(KVContext* ctx) { renderSum(ctx, kSlotX); }
void renderYMethod(KVContext* ctx) { renderSum(ctx, kSlotY); }

void getParentMethod(KVContext* ctx) {
  KVContainer* c = receiverContainer(ctx);
  if (c && c->parent) ctx->pushObject(c->parent);
  else ctx->pushNull();
}

// Refuses anything but a container, and any parent that would close a cycle.
void setParentMethod(KVContext* ctx) {
  KVContainer* c = receiverContainer(ctx);
  KVobj* parent = objectArg(ctx, 0, &KVobj::isContainer);
  bool cycle = false;
  for (const KVobj* p = parent; p && c; p = static_cast<const KVContainer*>(p)->parent)
    if (p == c) {
      cycle = true;
      break;
    }
  if (!c || !parent || cycle) raiseRuntimeWarning(kWarnWrongArgument);
  else c->parent = parent;
  ctx->pushUndefined();
}

}  // namespace

KVContainer* newContainer(KVobj* parent, int32_t x, int32_t y) {
  ObjectRoot keep(parent);
  reserveNursery(objectBytes<KVContainer>(kContainerCells));
  auto* c = placeYoungObject<KVContainer>(kContainerCells, gContainerProto, kContainerClassId);
  c->parent = keep.get();
  c->props.cells[kSlotX]->setInt(x);
  c->props.cells[kSlotY]->setInt(y);
  return c;
}

void containerConstructor(KVContext* ctx) {
  KVobj* parent = objectArg(ctx, 2, &KVobj::isContainer);
  if (!parent && ctx->arg(2)->tag != kUndefined) raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushObject(newContainer(parent, intArg(ctx, 0, 0), intArg(ctx, 1, 0)));
}

void setupContainerClass(KVfobj* ctor) {
  gContainerProto = newStaticObject(1, gCore.objectProto, kContainerClassId + 1);
  KVobj::defineNativeMethod(gContainerProto, "renderX", NativeArgTypes(), &renderXMethod);
  KVobj::defineNativeMethod(gContainerProto, "renderY", NativeArgTypes(), &renderYMethod);
  KVobj::defineNativeMethod(gContainerProto, "getParent", NativeArgTypes(), &getParentMethod);
  KVobj::defineNativeMethod(gContainerProto, "setParent", NativeArgTypes(1, 0), &setParentMethod);
  KVobj::buildPropertyIndex(gContainerProto, kContainerClassId + 1);
  linkConstructorPrototype(ctor, gContainerProto);
}

}  // namespace kv
