// The table of built-in classes and global functions.
#include "runtime/library/builtin_table.h"

#include <cstring>

#include "runtime/library/builtin_members.h"
#include "runtime/library/container.h"
#include "runtime/library/core_natives.h"
#include "runtime/library/display_natives.h"
#include "runtime/library/font_object.h"
#include "runtime/library/global_natives.h"
#include "runtime/library/labels.h"
#include "runtime/library/layer.h"
#include "runtime/library/picture.h"
#include "runtime/library/random_generator.h"
#include "runtime/library/shapes.h"
#include "runtime/library/soft_image_object.h"
#include "runtime/library/sound_object.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

constexpr int32_t kStringFunctionClassId = 10;
constexpr int32_t kStringExtraSlots = 4;
constexpr int32_t kFromCharCodeSlot = 2;

std::vector<BuiltinClassEntry> gTable;
// Classes whose function objects carry static members: (class id, function).
std::vector<std::pair<int32_t, KVfobj*>> gStaticMemberClasses;
KVfobj* gTypedArrayBase = nullptr;

KVfobj* functionObject(NativeFunction native, int32_t params, int32_t classId, int32_t extraSlots) {
  return newClassConstructor(permanentCallable(Callable{nullptr, nullptr, native}),
                             permanentNames(NameVector(params, 0)), classId, extraSlots);
}

void addRow(int32_t kind, const char* name, KVfobj* fn, MemberSetup setup) {
  gTable.push_back(BuiltinClassEntry{kind, static_cast<int32_t>(gTable.size()), name, fn, setup});
}

void stringSetup(KVfobj* fn) { setupStringClass(fn); }
void arraySetup(KVfobj* fn) { setupArrayClass(fn); }
void microThreadSetup(KVfobj*) { setupMicroThreadClass(); }
void tupleSetup(KVfobj* fn) { setupTupleClass(fn); }
void liteIterSetup(KVfobj*) { setupRestarterClass(); }
void arrayBufferSetup(KVfobj* fn) {
  setupArrayBufferClass();
  *fn->props.cells[1] = Value::makeObject(gBuiltins.arrayBufferProto);
}

void registerRows() {
  registerObjectClass(&objectConstructor, 0, nullptr);
  registerClass("String", &stringConstructor, 1, &stringSetup, kStringFunctionClassId, kStringExtraSlots);
  registerClass("Array", &arrayConstructor, 1, &arraySetup, 1, 0);
  registerNativeOnlyClass("MicroThread", 0, &microThreadSetup);
  registerClass("SoftImage", &softImageConstructor, 3, &setupSoftImageClass, 1, 0);
  registerClass("Picture", &pictureConstructor, 2, &setupPictureClass, 1, 0);
  registerClass("FramerPicture", &framerPictureConstructor, 6, &setupFramerPictureClass, 1, 0);
  registerClass("PartPicture", &partPictureConstructor, 5, &setupPartPictureClass, 1, 0);
  registerClass("Sprite", &spriteConstructor, 7, &setupSpriteClass, 1, 0);
  registerClass("Rota3", &rota3Constructor, 6, &setupRota3Class, 1, 0);
  registerClass("BoxShape", &boxShapeConstructor, 3, &setupBoxShapeClass, 1, 0);
  registerClass("TriangleShape", &triShapeConstructor, 7, &setupTriShapeClass, 1, 0);
  registerClass("CircleShape", &circleShapeConstructor, 2, &setupCircleShapeClass, 1, 0);
  registerClass("LineShape", &lineShapeConstructor, 5, &setupLineShapeClass, 1, 0);
  registerClass("PixelShape", &pixelShapeConstructor, 2, &setupPixelShapeClass, 1, 0);
  registerClass("OvalShape", &ovalShapeConstructor, 3, &setupOvalShapeClass, 1, 0);
  for (const char* n : {"Shapex002", "Shapex003", "Shapex004", "Shapex005", "Shapex006"}) reserveClassName(n);
  registerClass("Label", &labelConstructor, 2, &setupLabelClass, 1, 0);
  registerClass("NumericLabel", &numericLabelConstructor, 2, &setupNumericLabelClass, 1, 0);
  registerClass("Layer", &layerConstructor, 3, &setupLayerClass, 1, 0);
  registerClass("Container", &containerConstructor, 3, &setupContainerClass, 1, 0);
  registerNativeOnlyClass("Sound", 0, &setupSoundClass);
  registerNativeOnlyClass("Font", 0, &setupFontClass);
  registerClass("RandomGenerator", &randomGeneratorConstructor, 1, &setupRandomGeneratorClass, 1, 0);
  registerClass("Tuple", &tupleConstructor, 9, &tupleSetup, 1, 0);
  // Counts outside 2..9 are the constructor's to report, so it sees every argument.
  gTable.back().function->callFlags = KVfobj::kStaticNative;
  registerNativeOnlyClass("LiteIter", 0, &liteIterSetup);
  for (const char* n : {"Ctor001", "Ctor002", "Ctor003", "Ctor004", "Ctor005", "Ctor006"}) reserveClassName(n);
  registerClass("ArrayBuffer", &arrayBufferConstructor, 1, &arrayBufferSetup, 1, 0);

  gTypedArrayBase = functionObject(&noOpNative, 3, 1, 0);
  registerTypedArrayClass("Int32Array", &int32ArrayConstructor);
  registerTypedArrayClass("Int16Array", &int16ArrayConstructor);
  registerTypedArrayClass("Int8Array", &int8ArrayConstructor);
  registerTypedArrayClass("Uint32Array", &int32ArrayConstructor);
  registerTypedArrayClass("Uint16Array", &uint16ArrayConstructor);
  registerTypedArrayClass("Uint8Array", &uint8ArrayConstructor);
  registerTypedArrayClass("Uint8ClampedArray", &int8ArrayConstructor);
  registerTypedArrayClass("Float32Array", &float32ArrayConstructor);
  registerTypedArrayClass("Float64Array", &float64ArrayConstructor);

  registerGlobalFunction("spawn", &spawnNative, 9);
  registerGlobalFunction("cx000", &noOpNative, 0);
  registerGlobalFunction("load_picture", &loadPictureNative, 2);
  registerGlobalFunction("load_sound", &loadSoundNative, 1);
  registerGlobalFunction("load_font", &loadFontNative, 5);
  registerGlobalFunction("load_file", &loadFileNative, 2);
  registerGlobalFunction("make_canvas", &makeCanvasNative, 3);
  registerGlobalFunction("begin_direct_paint", &beginDirectPaintNative, 1);
  registerGlobalFunction("end_direct_paint", &endDirectPaintNative, 0);
  registerGlobalFunction("direct_paint", &directPaintNative, 7);
  registerGlobalFunction("canvas_to_memory", &canvasToMemoryNative, 5);
  registerGlobalFunction("direct_box", &directBoxNative, 6);
  registerGlobalFunction("direct_triangle", &directTriangleNative, 8);
  registerGlobalFunction("direct_circle", &directCircleNative, 5);
  registerGlobalFunction("direct_line", &directLineNative, 5);
  registerGlobalFunction("direct_pixel", &directPixelNative, 3);
  registerGlobalFunction("play_sound", &playSoundNative, 2);
  registerGlobalFunction("stop_sound", &stopSoundNative, 0);
  // Declared without parameters, it reads its first argument all the same.
  gTable.back().function->callFlags = KVfobj::kStaticNative;
  registerGlobalFunction("enlayer", &enlayerNative, 2);
  registerGlobalFunction("unlayer", &unlayerNative, 1);
  registerGlobalFunction("encontainer", &encontainerNative, 2);
  registerGlobalFunction("decontainer", &decontainerNative, 1);
  registerGlobalFunction("listen", &listenNative, 1);
  registerGlobalFunction("get_color", &getColorNative, 3);
  registerGlobalFunction("set_mouse_mode", &setMouseModeNative, 1);
  registerGlobalFunction("set_background_color", &setBackgroundColorNative, 3);
  registerGlobalFunction("set_graph_mode", &setGraphModeNative, 3);
  registerGlobalFunction("set_window_text", &setWindowTextNative, 1);
  registerGlobalFunction("direct_label", &directLabelNative, 6);
  registerGlobalFunction("direct_oval", &directOvalNative, 6);
  for (const char* n : {"dx001", "dx002", "dx003", "dx004", "dx005"}) registerGlobalFunction(n, &noOpNative, 3);
  registerGlobalFunction("check_hit_key", &checkHitKeyNative, 1);
  registerGlobalFunction("dz000", &dz000Native, 0);
  registerGlobalFunction("dz001", &dz001Native, 0);
  registerGlobalFunction("dz002", &noOpNative, 0);
  registerGlobalFunction("dz003", &noOpNative, 0);
  registerGlobalFunction("dz004", &noOpNative, 1);
  registerGlobalFunction("dz005", &noOpNative, 0);
}

// The typed-array prototype: made once, held by the shared base in the
// cell a function object keeps the prototype of its new objects in.
void setupTypedArrayPrototype() {
  setupTypedArrayClass();
  *gTypedArrayBase->props.cells[1] = Value::makeObject(gBuiltins.typedArrayProto);
}

void registerStaticMembers() {
  for (auto& [classId, fn] : gStaticMemberClasses) {
    if (classId != kStringFunctionClassId) throw CompileError(33);
    setSlotIndex(kStringFunctionClassId, "fromCharCode", kFromCharCodeSlot);
  }
}

void installRows() {
  Value* globals = gGlobalObject->areas[0];
  for (const BuiltinClassEntry& e : gTable) {
    switch (e.kind) {
      case kBuiltinTypedArray:
        *e.function->props.cells[1] = Value::makeObject(gTypedArrayBase->constructorPrototype());
        [[fallthrough]];
      case kBuiltinObject:
      case kBuiltinClass:
      case kBuiltinFunction: globals[e.index] = Value::makeObject(e.function); break;
      default: break;
    }
  }
}

}  // namespace

void noOpNative(KVContext* ctx) { ctx->pushUndefined(); }

const std::vector<BuiltinClassEntry>& builtinClassTable() { return gTable; }

void registerObjectClass(NativeFunction ctor, int32_t params, MemberSetup setup) {
  gCore.objectF->callable = permanentCallable(Callable{nullptr, nullptr, ctor, permanentNames(NameVector(params, 0)), emptyNames()});
  gCore.objectF->callKind = 0;
  addRow(kBuiltinObject, "Object", gCore.objectF, setup);
}

void registerClass(const char* name, NativeFunction ctor, int32_t params, MemberSetup setup, int32_t classId,
                   int32_t extraSlots) {
  KVfobj* fn = functionObject(ctor, params, classId, extraSlots);
  if (classId != 1 && extraSlots >= 1) gStaticMemberClasses.emplace_back(classId, fn);
  addRow(kBuiltinClass, name, fn, setup);
}

void registerNativeOnlyClass(const char* name, int32_t params, MemberSetup setup) {
  addRow(kBuiltinNativeOnly, name, functionObject(&noOpNative, params, 1, 0), setup);
}

void registerTypedArrayClass(const char* name, NativeFunction ctor) {
  addRow(kBuiltinTypedArray, name, functionObject(ctor, 3, 1, 0), nullptr);
}

void registerGlobalFunction(const char* name, NativeFunction fn, int32_t params) {
  addRow(kBuiltinFunction, name, functionObject(fn, params, 1, 0), nullptr);
}

void reserveClassName(const char* name) { addRow(kBuiltinReserved, name, nullptr, nullptr); }

void setupBuiltinClassesAndGlobals() {
  // A second start-up in one process (tests) makes the rows afresh.
  gTable.clear();
  gStaticMemberClasses.clear();
  registerRows();
  for (const BuiltinClassEntry& e : gTable)
    if (e.setup) e.setup(e.function);
  setupTypedArrayPrototype();
  registerStaticMembers();
  installRows();
  nameBuiltinNatives();
}

int32_t findBuiltinClassByName(const char* name) {
  if (!name) return -1;
  for (const BuiltinClassEntry& e : gTable)
    if (std::strcmp(e.name, name) == 0) return e.index;
  return -1;
}

}  // namespace kv
