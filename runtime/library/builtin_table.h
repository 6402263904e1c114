// The table of built-in classes and global functions. A row's position is
// the number of the global cell that holds its function object, and the
// compiler resolves a built-in name to that position.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/vm/function.h"

namespace kv {

enum BuiltinKind : int32_t {
  kBuiltinObject = 1,
  kBuiltinNativeOnly = 2,  // objects made by natives only; no global value
  kBuiltinClass = 3,
  kBuiltinTypedArray = 4,
  kBuiltinReserved = 9,    // holds its position, no object
  kBuiltinFunction = 10,
};

using MemberSetup = void (*)(KVfobj* fn);

struct BuiltinClassEntry {
  int32_t kind;
  int32_t index;
  const char* name;
  KVfobj* function;  // null for reserved names
  MemberSetup setup;
};

constexpr int32_t kBuiltinRowCount = 88;

const std::vector<BuiltinClassEntry>& builtinClassTable();

void registerObjectClass(NativeFunction ctor, int32_t params, MemberSetup setup);
void registerClass(const char* name, NativeFunction ctor, int32_t params, MemberSetup setup, int32_t classId,
                   int32_t extraSlots);
void registerNativeOnlyClass(const char* name, int32_t params, MemberSetup setup);
void registerTypedArrayClass(const char* name, NativeFunction ctor);
void registerGlobalFunction(const char* name, NativeFunction fn, int32_t params);
void reserveClassName(const char* name);

// Registers all 88 rows, runs the member set-ups, the typed-array prototype,
// the static members and the installation into the global cells.
void setupBuiltinClassesAndGlobals();

// The row index of the name, compared byte for byte, or -1.
int32_t findBuiltinClassByName(const char* name);

// The native that does nothing and pushes undefined.
void noOpNative(KVContext* ctx);

}  // namespace kv
