// Making string objects, and the String prototype's methods.
#include "runtime/vm/kvstring.h"

#include <cstring>

#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {

KVstring* placeKVstring(char* text) {
  KVstring* s = placeYoungObject<KVstring>(1, gCore.stringProto, kStringClassId);
  s->text = text;
  return s;
}

KVstring* newKVstring(char* text) {
  BlockRoot root(text);
  reserveNursery(objectBytes<KVstring>(1));
  return placeKVstring(static_cast<char*>(root.get()));
}

KVstring* newStaticString(const char* text) {
  size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(gcAllocStatic(n));
  std::memcpy(copy, text, n);
  KVstring* s = placeStaticObject<KVstring>(1, gCore.stringProto, kStringClassId);
  s->text = copy;
  return s;
}

void createStringPrototype() { gCore.stringProto = newStaticObject(1, gCore.objectProto, kStringProtoClassId); }

}  // namespace kv
