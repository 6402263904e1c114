// Class ids and the never-moving prototypes and constructors of the VM's
// built-in classes, and the member set-ups that bind their methods.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/object.h"

namespace kv {

constexpr int32_t kStringCtorClassId = 10;
constexpr int32_t kArrayClassId = 12;
constexpr int32_t kArrayProtoClassId = 13;
constexpr int32_t kArrayBufferClassId = 16;
constexpr int32_t kArrayBufferProtoClassId = 17;
constexpr int32_t kArrayViewClassId = 20;
constexpr int32_t kTypedArrayProtoClassId = 21;
constexpr int32_t kWeakContextClassId = 24;
constexpr int32_t kMicroThreadProtoClassId = 25;
constexpr int32_t kIterClassId = 32;
constexpr int32_t kGeneratorClassId = 36;
constexpr int32_t kRestarterClassId = 40;
constexpr int32_t kRestarterProtoClassId = 41;
constexpr int32_t kYieldPairClassId = 44;
constexpr int32_t kTupleClassId = 180;
constexpr int32_t kTupleProtoClassId = 181;

// Prototypes live in the static area; each holds Object.prototype in slot 0.
struct BuiltinClasses {
  KVobj* arrayProto = nullptr;
  KVobj* arrayBufferProto = nullptr;
  KVobj* typedArrayProto = nullptr;
  KVobj* microThreadProto = nullptr;
  KVobj* tupleProto = nullptr;
  KVobj* restarterProto = nullptr;
  KVobj* generatorProto = nullptr;  // shared by generators and their result pairs
  KVfobj* stringCtor = nullptr;
  KVfobj* arrayCtor = nullptr;
  KVfobj* tupleCtor = nullptr;
  KVfobj* sortRangeFunction = nullptr;  // the sort's recursion, when the library gives one
  int32_t itemOneAtom = 0;           // atom of "item1": tuple members count down from it
};
extern BuiltinClasses gBuiltins;

// Prototypes made by the bootstrap before any member set-up runs.
void createBuiltinPrototypes();

// Member set-ups, run by the registration of the built-in classes. Each
// binds its methods to the prototype and fixes their slots. The constructor
// passed is stored where the class keeps it (null: none yet).
void setupStringClass(KVfobj* ctor);
void setupArrayClass(KVfobj* ctor);
// The built-in Array push and pop, which the code loop recognises on a
// plain array to run them without a frame of their own.
void arrayPushNative(KVContext* ctx);
void arrayPopNative(KVContext* ctx);
void setupArrayBufferClass();
void setupTypedArrayClass();
void setupTupleClass(KVfobj* ctor);
void setupRestarterClass();
void setupMicroThreadClass();

// The Array methods that take a callback, and the sort's recursion, are
// built by the runtime library as instruction lists; it fills these slots
// before the object system starts, and the Array set-up binds what it finds
// (a slot left empty leaves its member absent).
using ArrayMethodBuilder = KVfobj* (*)();
struct ArrayCallbackBuilders {
  ArrayMethodBuilder forEach = nullptr, reduce = nullptr, map = nullptr, find = nullptr, findIndex = nullptr,
                     filter = nullptr, sort = nullptr, sortRange = nullptr;
  // Called before the builders at each set-up: drops what an earlier object system's
  // builds made, which is never run again.
  void (*forgetEarlierBuilds)() = nullptr;
};
ArrayCallbackBuilders& arrayCallbackBuilders();

// The receiver of a native when its class test holds, else RuntimeError 23.
KVobj* requireReceiver(KVContext* ctx, bool (KVobj::*test)() const);

}  // namespace kv
