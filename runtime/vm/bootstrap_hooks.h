// The bootstrap hook table: runtime/vm links against neither the runtime
// library nor the compiler, so every call the object-system start-up makes
// into the runtime library goes through this table, which the library fills
// before it calls bootstrapObjectSystem. An empty entry is skipped.
#pragma once

#include <cstdint>

namespace kv {

struct BootstrapHooks {
  // Seeds the global random engine and gives the source-name table its entries.
  void (*prepareRuntimeTables)() = nullptr;
  // The graphic, sound and font member set-ups of the classes whose ids the
  // bootstrap assigns.
  void (*setupGraphicMembers)() = nullptr;
  void (*setupShapeMembers)() = nullptr;
  void (*setupSoundAndFontMembers)() = nullptr;
  void (*setupBuiltinObjectSlots)() = nullptr;
  void (*setupBuiltinClassesAndGlobals)() = nullptr;
  // initRuntimeConstants: the default Rota3, the default random generator
  // and the default font handle (negative when it could not be made).
  void (*createDefaultRota3)() = nullptr;
  void (*createDefaultRandomGenerator)() = nullptr;
  int32_t (*createFontHandle)(const char* name) = nullptr;
};
BootstrapHooks& bootstrapHooks();

// The default font handle that initRuntimeConstants stored; -1 before.
int32_t defaultFontHandle();

}  // namespace kv
