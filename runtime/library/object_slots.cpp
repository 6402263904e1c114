// The six built-in objects whose property slots hold natives.
#include "runtime/library/object_slots.h"

#include "runtime/library/core_natives.h"
#include "runtime/library/math_natives.h"
#include "runtime/library/system_natives.h"
#include "runtime/library/save_file.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/context.h"

namespace kv {
namespace {

constexpr int32_t kMathPiSlot = 5;
constexpr int32_t kNumberEpsilonSlot = 2;
constexpr double kNumberEpsilon = 2.220446049250313e-16;
constexpr int32_t kMathFirstSlot = 16;
constexpr int32_t kMathMembers = 14;
constexpr int32_t kMathParams[kMathMembers] = {1, 2, 2, 0, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// The LayerBook's only member takes its argument and gives undefined back,
// so that the operand stack stays balanced.
void layerBookAdd(KVContext* ctx) { ctx->pushUndefined(); }

void setupMath() {
  builtinObjectCell(kObjMath, kMathPiSlot) = Value::makeFloat(kMathPi);
  for (int32_t i = 0; i < kMathMembers; ++i)
    registerBuiltinObjectNative(kObjMath, kMathFirstSlot + i, MakeMath(i), kMathParams[i]);
}

void setupSystem() {
  registerBuiltinObjectNative(kObjSystem, 32, &setZdArchiveNative, 3);
  registerBuiltinObjectNative(kObjSystem, 33, &setDefaultLayerVisiblityNative, 1);
  registerBuiltinObjectNative(kObjSystem, 36, &getDefaultRandomGeneratorNative, 0);
  registerBuiltinObjectNative(kObjSystem, 37, &setDefaultRandomGeneratorNative, 1);
  registerBuiltinObjectNative(kObjSystem, 48, &setRuntimeWarningLimitNative, 2);
  registerBuiltinObjectNative(kObjSystem, 49, &setRuntimeWarningFuseNative, 2);
  registerBuiltinObjectNative(kObjSystem, 64, &getNowCountNative, 0);
}

void setupSaveFile() {
  constexpr int32_t kParams[] = {3, 2, 0, 0, 2, 1, 2, 0};
  for (int32_t slot = 0; slot < 8; ++slot)
    registerBuiltinObjectNative(kObjSaveFile, slot, saveFileNative(slot), kParams[slot]);
}

}  // namespace

Value& builtinObjectCell(int32_t object, int32_t slot) { return gGlobalObject->areas[object][slot]; }

void registerBuiltinObjectNative(int32_t object, int32_t slot, NativeFunction native, int32_t params) {
  KVfobj* fn = newClassConstructor(permanentCallable(Callable{nullptr, nullptr, native}),
                                   permanentNames(NameVector(params, 0)), 1, 0);
  fn->sealed = 1;
  builtinObjectCell(object, slot) = Value::makeObject(fn);
}

void setupBuiltinObjectSlots() {
  setupMath();
  registerBuiltinObjectNative(kObjLayerBook, 0, &layerBookAdd, 1);
  setupSystem();
  registerBuiltinObjectNative(kObjConsole, 0, &consoleLogNative, 1);
  setupSaveFile();
  builtinObjectCell(kObjNumber, kNumberEpsilonSlot) = Value::makeFloat(kNumberEpsilon);
  registerBuiltinObjectNative(kObjNumber, 16, &numberToHexNative, 1);
  registerBuiltinObjectNative(kObjNumber, 17, &numberIsNaNNative, 1);
}

}  // namespace kv
