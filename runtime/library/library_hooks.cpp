// What the object system and the interpreter call in the runtime library.
#include "runtime/library/array_build.h"
#include "runtime/library/builtin_table.h"
#include "runtime/library/font_object.h"
#include "runtime/library/graphical.h"
#include "runtime/library/picture.h"
#include "runtime/library/module_load.h"
#include "runtime/library/object_slots.h"
#include "runtime/library/random_generator.h"
#include "runtime/library/library_hooks.h"
#include "runtime/library/runtime_state.h"
#include "runtime/library/runtime_tables.h"
#include "runtime/vm/bootstrap_hooks.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/vm_hooks.h"

namespace kv {
namespace {

int32_t makeDefaultFont(const char*) {
  createDefaultFont();
  return gRuntime.defaultFont;
}

// A Font's "name" is slot 1; a Sound's "volume" and "loop" are fixed by the
// object-system start-up itself.
void setupSoundAndFontMembers() { setSlotIndex(kFontClassId, "name", 1); }

}  // namespace

void installRuntimeLibrary() {
  BootstrapHooks& h = bootstrapHooks();
  h.prepareRuntimeTables = &prepareRuntimeTables;
  h.setupGraphicMembers = &setupGraphicMembers;
  h.setupShapeMembers = &setupShapeMembers;
  h.setupSoundAndFontMembers = &setupSoundAndFontMembers;
  h.createDefaultRota3 = &createDefaultRota3;
  h.setupBuiltinObjectSlots = &setupBuiltinObjectSlots;
  h.setupBuiltinClassesAndGlobals = &setupBuiltinClassesAndGlobals;
  h.createDefaultRandomGenerator = &createDefaultRandomGenerator;
  h.createFontHandle = &makeDefaultFont;
  setRuntimeLoadHook(&runtimeLoad);
  installArrayMethodBuilders();
}

}  // namespace kv
