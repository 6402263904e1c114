// Making string objects, and the String prototype's methods.
#include "runtime/vm/kvstring.h"

#include <cstring>
#include <stdexcept>

#include "runtime/vm/heap.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {

KVstring* placeKVstring(char* text) {
  KVstring* s = placeSmallYoungObject<KVstring>(1, gCore.stringProto, kStringClassId);
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

namespace {

bool isNumber(const Value& v) { return v.tag == kInt || v.tag == kFloat; }

// Where a value's text is for concatenation: a constant's or a string
// object's own text, else the fixed form valueToString answers (numbers are
// formatted by the caller).
const char* partText(const Value& v) {
  const char* text = v.tag == kString                                   ? v.str
                     : v.tag == kObject && v.obj && v.obj->isString() ? static_cast<const KVstring*>(v.obj)->text
                                                                       : valueToString(&v);
  // A missing text fails as the copy into a std::string that concatenation
  // used to make failed (the run is aborted with this line).
  if (!text) throw std::logic_error("basic_string: construction from null is not valid");
  return text;
}

}  // namespace

KVstring* concatValues(const Value* const* values, int32_t count) {
  // Numbers are formatted once, here, outside the heap; texts are measured
  // now and looked up again if the reservation collected (they may have
  // moved).
  char numbers[kMaxConcatParts][kNumberTextRoom];
  const char* texts[kMaxConcatParts];
  size_t lengths[kMaxConcatParts];
  size_t total = 0;
  for (int32_t i = 0; i < count; ++i) {
    const Value& v = *values[i];
    if (isNumber(v)) {
      texts[i] = numbers[i];
      lengths[i] = formatNumber(v, numbers[i]);
    } else {
      texts[i] = partText(v);
      lengths[i] = std::strlen(texts[i]);
    }
    total += lengths[i];
  }
  if (total >= kMaxYoungRequest) return nullptr;
  const uint32_t epoch = gHeap.minorCount;
  reserveNursery(blockBytes(total + 1) + objectBytes<KVstring>(1));
  if (epoch != gHeap.minorCount) {
    for (int32_t i = 0; i < count; ++i)
      if (!isNumber(*values[i])) texts[i] = partText(*values[i]);
  }
  char* text = static_cast<char*>(gcAllocYoungRaw(total + 1));
  char* at = text;
  for (int32_t i = 0; i < count; ++i) {
    std::memcpy(at, texts[i], lengths[i]);
    at += lengths[i];
  }
  *at = '\0';
  return placeKVstring(text);
}

void createStringPrototype() { gCore.stringProto = newStaticObject(1, gCore.objectProto, kStringProtoClassId); }

}  // namespace kv
