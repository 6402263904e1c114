// The display objects' shared base: collector links, render position,
// member registration and the prototypes' shared methods.
#include "runtime/library/graphical.h"

#include "runtime/library/canvas.h"
#include "runtime/library/container.h"
#include "runtime/library/labels.h"
#include "runtime/library/layer.h"
#include "runtime/library/picture.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

// The render position's x (axis 0) or y (axis 1) of a display receiver.
template <int Axis>
void renderMethod(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  if (!self || !self->isGraphic()) {
    ctx->pushUndefined();
    return;
  }
  int32_t at[2];
  renderPosition(static_cast<GraphicalFactor*>(self), at[0], at[1]);
  ctx->pushInt(at[Axis]);
}

// Own members from slot 4 on, in slot order; "width" and "height" of a box
// are second names of "w" and "h".
struct ClassMembers {
  int32_t classId;
  std::initializer_list<const char*> names;
};

void registerClassMembers(const ClassMembers& c) {
  registerGraphicMember(c.classId, "x", kSlotX);
  registerGraphicMember(c.classId, "y", kSlotY);
  registerGraphicMember(c.classId, "visible", kSlotVisible);
  int32_t slot = kSlotFirstOwn;
  for (const char* n : c.names) registerGraphicMember(c.classId, n, slot++);
}

}  // namespace

void GraphicalFactor::forwardReferences() {
  layer = forwardObject(layer);
  container = forwardObject(container);
}

void GraphicalFactor::markReferences() {
  markObject(layer);
  markObject(container);
}

void addRenderOffset(const KVobj* container, int32_t& x, int32_t& y) {
  if (!container) return;
  const KVobj* c = static_cast<const KVContainer*>(container)->parent;
  for (int32_t n = 0; c && n < kMaxContainerAncestors; ++n) {
    x = wrapAdd(x, memberInt(c, kSlotX));
    y = wrapAdd(y, memberInt(c, kSlotY));
    c = static_cast<const KVContainer*>(c)->parent;
  }
  x = wrapAdd(x, memberInt(container, kSlotX));
  y = wrapAdd(y, memberInt(container, kSlotY));
}

void renderPosition(const GraphicalFactor* obj, int32_t& x, int32_t& y) {
  x = memberInt(obj, kSlotX);
  y = memberInt(obj, kSlotY);
  addRenderOffset(obj->container, x, y);
}

void registerGraphicMember(int32_t classId, const char* name, int32_t slot) { setSlotIndex(classId, name, slot); }

KVobj* makeDisplayPrototype(int32_t classId, std::initializer_list<MethodRow> methods) {
  KVobj* proto = newStaticObject(1, gCore.objectProto, classId + 1);
  KVobj::defineNativeMethod(proto, "renderX", NativeArgTypes(), &renderMethod<0>);
  KVobj::defineNativeMethod(proto, "renderY", NativeArgTypes(), &renderMethod<1>);
  for (const MethodRow& m : methods) KVobj::defineNativeMethod(proto, m.name, NativeArgTypes(m.params, 0), m.native);
  KVobj::buildPropertyIndex(proto, classId + 1);
  return proto;
}

void linkConstructorPrototype(KVfobj* ctor, KVobj* proto) {
  if (ctor) *ctor->props.cells[1] = Value::makeObject(proto);
}

void setupGraphicMembers() {
  registerGraphicMember(kLayerClassId, "opacity", 1);
  registerGraphicMember(kLayerClassId, "visible", 2);
  registerGraphicMember(kContainerClassId, "x", kSlotX);
  registerGraphicMember(kContainerClassId, "y", kSlotY);
  int32_t slot = 1;
  for (const char* n : {"cx", "cy", "ex", "ey", "rad", "flip"}) registerGraphicMember(kRota3ClassId, n, slot++);
  for (const ClassMembers& c : {ClassMembers{kPictureClassId, {}}, ClassMembers{kPartPictureClassId, {}},
                                ClassMembers{kFramerPictureClassId, {"width", "height"}},
                                ClassMembers{kGlyphClassId, {"state"}}})
    registerClassMembers(c);
  // Every new heap starts without layers and without a canvas being painted.
  resetLayerList();
  resetPaintingState();
}

void setupShapeMembers() {
  for (const ClassMembers& c : {ClassMembers{kBoxShapeClassId, {"brush", "w", "h"}},
                                ClassMembers{kTriShapeClassId, {"brush", "x2", "y2", "x3", "y3"}},
                                ClassMembers{kLineShapeClassId, {"brush", "x2", "y2"}},
                                ClassMembers{kPixelShapeClassId, {"brush"}},
                                ClassMembers{kCircleShapeClassId, {"brush", "r"}},
                                ClassMembers{kOvalShapeClassId, {"brush", "rx", "ry"}},
                                ClassMembers{kLabelClassId, {"brush", "edge"}},
                                ClassMembers{kBufferedLabelClassId, {"brush", "edge"}}})
    registerClassMembers(c);
  registerGraphicMember(kBoxShapeClassId, "width", 5);
  registerGraphicMember(kBoxShapeClassId, "height", 6);
}

void refuseConstruction(KVContext* ctx) {
  raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

}  // namespace kv
