// TEMPORARY SEAM (registration): interim versions of the two registration
// set-ups. They run the VM's member set-ups and place the core natives
// where the full class and global tables put them.
#include <cstdint>

#include "runtime/library/core_natives.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/bootstrap_hooks.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/function.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

// Class ids of the constructor objects themselves.
constexpr int32_t kArrayCtorClassId = 14;
constexpr int32_t kArrayBufferCtorClassId = 18;
constexpr int32_t kTypedArrayCtorClassId = 22;
constexpr int32_t kTupleCtorClassId = 182;

constexpr int32_t kAreaGlobals = 0;
constexpr int32_t kAreaSystem = 3;
constexpr int32_t kAreaConsole = 4;

KVfobj* constructor(NativeFunction native, int32_t params, int32_t classId, int32_t staticMembers) {
  return newClassConstructor(permanentCallable(Callable{nullptr, nullptr, native}),
                             permanentNames(NameVector(params, 0)), nullptr, classId, staticMembers, 1);
}

KVfobj* plainNative(NativeFunction native, int32_t params) {
  return newClassConstructor(permanentCallable(Callable{nullptr, nullptr, native}),
                             permanentNames(NameVector(params, 0)), nullptr, 1, 0, 0);
}

void place(int32_t area, int32_t slot, KVobj* fn) { gGlobalObject->areas[area][slot] = Value::makeObject(fn); }

void setupBuiltinObjectSlots() {
  place(kAreaSystem, 48, plainNative(&setRuntimeWarningLimitNative, 2));
  place(kAreaSystem, 49, plainNative(&setRuntimeWarningFuseNative, 2));
  place(kAreaConsole, 0, plainNative(&consoleLogNative, 1));
}

void setupBuiltinClassesAndGlobals() {
  gCore.objectF->callable = permanentCallable(Callable{nullptr, nullptr, &objectConstructor});
  place(kAreaGlobals, 0, gCore.objectF);

  KVfobj* string = constructor(&stringConstructor, 1, kStringCtorClassId, 1);
  setupStringClass(string);
  place(kAreaGlobals, 1, string);

  KVfobj* array = constructor(&arrayConstructor, 1, kArrayCtorClassId, 0);
  setupArrayClass(array);
  place(kAreaGlobals, 2, array);

  // Counts outside 2..9 are the constructor's to report, so it sees every argument.
  KVfobj* tuple = constructor(&tupleConstructor, 9, kTupleCtorClassId, 0);
  tuple->staticNative = 1;
  setupTupleClass(tuple);
  place(kAreaGlobals, 28, tuple);

  setupArrayBufferClass();
  place(kAreaGlobals, 36, constructor(&arrayBufferConstructor, 1, kArrayBufferCtorClassId, 0));

  setupTypedArrayClass();
  const NativeFunction views[] = {&int32ArrayConstructor,  &int16ArrayConstructor,        &int8ArrayConstructor,
                                  &uint32ArrayConstructor, &uint16ArrayConstructor,       &uint8ArrayConstructor,
                                  &uint8ClampedArrayConstructor, &float32ArrayConstructor, &float64ArrayConstructor};
  int32_t slot = 37;
  for (NativeFunction v : views) {
    KVfobj* ctor = constructor(v, 3, kTypedArrayCtorClassId, 0);
    *ctor->props.cells[1] = Value::makeObject(gBuiltins.typedArrayProto);
    place(kAreaGlobals, slot++, ctor);
  }

  setupRestarterClass();
  setupMicroThreadClass();
  place(kAreaGlobals, 46, plainNative(&spawnNative, 9));
  place(kAreaGlobals, 82, plainNative(&dz000Native, 0));
  place(kAreaGlobals, 83, plainNative(&dz001Native, 0));
}

}  // namespace

void installCoreRegistration() {
  BootstrapHooks& h = bootstrapHooks();
  h.setupBuiltinObjectSlots = &setupBuiltinObjectSlots;
  h.setupBuiltinClassesAndGlobals = &setupBuiltinClassesAndGlobals;
}

}  // namespace kv
