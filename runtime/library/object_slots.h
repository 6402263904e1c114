// The six built-in objects whose property slots hold natives: Math,
// LayerBook, System, console, SaveFile and Number.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"

namespace kv {

enum BuiltinObject : int32_t {
  kObjMath = 1,
  kObjLayerBook = 2,
  kObjSystem = 3,
  kObjConsole = 4,
  kObjSaveFile = 5,
  kObjNumber = 6,
};

// System's data slots, refreshed by the game loop.
enum SystemSlot : int32_t {
  kSysBetaTime = 1,
  kSysLaps = 3,
  kSysKeyPad1 = 8,
  kSysPad1 = 9,
  kSysPad2 = 10,
  kSysMouseX = 16,
  kSysMouseY = 17,
  kSysMouseButton = 18,
  kSysMouseWheelRot = 20,
};

// A function object around the native in slot `slot` of built-in object `object`.
void registerBuiltinObjectNative(int32_t object, int32_t slot, NativeFunction native, int32_t params);
void setupBuiltinObjectSlots();

// Slot `slot` of built-in object `object`.
Value& builtinObjectCell(int32_t object, int32_t slot);

}  // namespace kv
