// Building the object system before anything is compiled or run.
#include "runtime/vm/bootstrap.h"

#include "runtime/vm/activation.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/bootstrap_hooks.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/interp_ext.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/scheduler.h"
#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

constexpr int32_t kFunctionFClassId = 1;
constexpr int32_t kFunctionProtoClassId = 2;
constexpr int32_t kObjectFClassId = 3;
constexpr int32_t kObjectProtoClassId = 4;

// "hasOwnProperty" (name): whether the receiver has an own member of that name.
void hasOwnPropertyNative(KVContext* ctx) {
  const char* name = valueText(*ctx->arg(0));
  if (!name) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushBool(false);
    return;
  }
  KVobj* self = ctx->receiver();
  ctx->pushBool(self && findProperty(self, name));
}

// "isPrototypeOf" (object): whether the receiver stands in the object's chain.
void isPrototypeOfNative(KVContext* ctx) {
  const Value* v = ctx->arg(0);
  KVobj* self = ctx->receiver();
  KVobj* proto = v->tag == kObject && v->obj ? prototypeOf(v->obj) : nullptr;
  ctx->pushBool(proto && (proto == self || hasInPrototypeChain(v->obj, self)));
}

void setObjectPrototypeMethod(const char* name, int32_t slot, NativeFunction native) {
  KVfobj* fn = newKVfobj(permanentCallable(Callable{nullptr, nullptr, native}), permanentNames(NameVector{0}), emptyNames());
  *gCore.objectProto->props.cells[slot] = Value::makeObject(fn);
  setSlotIndex(kObjectProtoClassId, name, slot);
}

void setupObjectPrototypeMethods() {
  int32_t slot = 1;
  setObjectPrototypeMethod("hasOwnProperty", slot++, &hasOwnPropertyNative);
  setObjectPrototypeMethod("isPrototypeOf", slot++, &isPrototypeOfNative);
}

// Object.prototype, the Object constructor, Function.prototype and the
// Function constructor, all in the static area, and their links.
void createCoreObjects() {
  gCore.objectProto = newStaticObject(6, nullptr, kObjectProtoClassId);
  gCore.objectF = newCoreConstructor(kObjectFClassId, 2);
  gCore.objectF->callable = permanentCallable(Callable{});
  *gCore.objectF->props.cells[1] = Value::makeObject(gCore.objectProto);
  gCore.functionProto = newStaticObject(1, nullptr, kFunctionProtoClassId);
  gCore.functionF = newCoreConstructor(kFunctionFClassId, 2);
  *gCore.functionF->props.cells[1] = Value::makeObject(gCore.functionProto);
  *gCore.functionProto->props.cells[0] = Value::makeObject(gCore.objectProto);
  *gCore.objectF->props.cells[0] = Value::makeObject(gCore.functionProto);
  *gCore.functionF->props.cells[0] = Value::makeObject(gCore.functionProto);
}

// Kept for the weak-context class; its first word is 1.
uint32_t gWeakContextRecord[4];
int32_t gDefaultFont = -1;

void runHook(void (*hook)()) {
  if (hook) hook();
}

void visitBuiltinRoots(bool full, void*) {
  KVobj* range = gBuiltins.sortRangeFunction;
  visitObject(range, full);
  gBuiltins.sortRangeFunction = static_cast<KVfobj*>(range);
  visitTupleScratch(full, nullptr);
}

// Members at fixed slots 1, 2, 3 ... in the order given; the class's own
// set-up continues after them.
void fixSlots(int32_t classId, std::initializer_list<const char*> names) {
  int32_t slot = 1;
  for (const char* n : names) setSlotIndex(classId, n, slot++);
}

void setupClassesAndSlots() {
  // Arrays keep their length in slot 1.
  createBuiltinPrototypes();
  setSlotIndex(kArrayClassId, "length", 1);
  gWeakContextRecord[0] = 1;
  resetThreadRegistry();
  Scheduler::reset();
  gBuiltins.itemOneAtom = atomTable().itemIds[0];
  fixSlots(kYieldPairClassId, {"done", "value"});
  registerRoot(RootRank::BuiltinClasses, &visitBuiltinRoots, nullptr);
  BootstrapHooks& h = bootstrapHooks();
  fixSlots(128, {"opacity", "visible"});     // Layer
  fixSlots(130, {"x", "y"});                 // Container
  fixSlots(256, {"x", "y", "visible"});      // Picture
  fixSlots(262, {"x", "y", "visible"});      // Glyph
  fixSlots(258, {"x", "y", "visible"});      // PartPicture
  runHook(h.setupGraphicMembers);
  fixSlots(294, {"x", "y", "visible"});      // PixelShape
  runHook(h.setupShapeMembers);
  fixSlots(160, {"volume", "loop"});         // Sound
  runHook(h.setupSoundAndFontMembers);
  runHook(h.setupBuiltinObjectSlots);
  runHook(h.setupBuiltinClassesAndGlobals);
  resetWarningLimiter();
}

}  // namespace

BootstrapHooks& bootstrapHooks() {
  static BootstrapHooks hooks;
  return hooks;
}

int32_t defaultFontHandle() { return gDefaultFont; }

void bootstrapObjectSystem() {
  runHook(bootstrapHooks().prepareRuntimeTables);
  initAtomTables();
  setSlotIndex(kFunctionFClassId, "prototype", 1);
  resetObjectRoots();
  resetCallerPairs();
  resetInterpreterState();
  resetInstanceClassIds();
  createGlobalObject();
  createCoreObjects();
  logSystem("object-system's core completed.");
  // The slot the map gives the Object constructor's "prototype" is its
  // prototype link, which the plain object takes; slot 1 is locked.
  *gCore.objectF->props.cells[prototypeSlotOf(kObjectFClassId)] = Value::makeObject(newPlainObject());
  setSlotAttrs(gCore.objectF->props, 1, 0);
  setupObjectPrototypeMethods();
  createStringPrototype();
  initValueConstants();
  setupClassesAndSlots();
}

void initRuntimeConstants() {
  static const char* const kNames[kTypeNameCount] = {"string", "function", "object",    "boolean", "integer",
                                                     "float",  "NaN",      "undefined", "null"};
  for (int i = 0; i < kTypeNameCount; ++i) gTypeNames[i] = newStaticString(kNames[i]);
  BootstrapHooks& h = bootstrapHooks();
  runHook(h.createDefaultRota3);
  // A font that cannot be made leaves a negative handle; start-up goes on.
  gDefaultFont = h.createFontHandle ? h.createFontHandle("MSゴシック") : -1;
  runHook(h.createDefaultRandomGenerator);
}

}  // namespace kv
