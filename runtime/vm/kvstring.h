// The core of string objects: making them, and the String prototype that
// every string object's slot 0 holds. The String methods are bound to that
// prototype by the runtime library's String set-up.
#pragma once

#include "runtime/vm/object.h"

namespace kv {

constexpr int32_t kStringClassId = 8;
constexpr int32_t kStringProtoClassId = 9;

// A string object on the young heap that takes the text block (not a copy);
// the block stays reachable if the allocation collects.
KVstring* newKVstring(char* text);
// The same for a text outside the heap or a constant.
inline KVstring* newKVstringFromText(const char* text) { return newKVstring(const_cast<char*>(text)); }
// The same after the caller has reserved objectBytes<KVstring>(1): cannot collect.
KVstring* placeKVstring(char* text);
// A never-moving string object with its own copy of the text in the static area.
KVstring* newStaticString(const char* text);
// Concatenation: a new string object whose text is the texts of `count`
// (at most kMaxConcatParts) values one after the other, numbers in their text
// form, in one block of the exact length. The values must stay where the
// collector finds them (operand slots, or values that hold no heap block)
// since making the result may collect. Null, with nothing made, when the text
// would reach kMaxYoungRequest bytes.
constexpr int32_t kMaxConcatParts = 3;
KVstring* concatValues(const Value* const* values, int32_t count);
// Makes the String prototype (class id 9, its prototype Object.prototype).
void createStringPrototype();
// A new heap block holding the value's text form. The form of a number is
// itself a young block, so it is staged outside the heap across the copy.
char* heapTextOf(const Value* v);

}  // namespace kv

namespace kv {

// The text of a string constant or a string object, else null.
inline const char* valueText(const Value& v) {
  if (v.tag == kString) return v.str;
  if (v.tag == kObject && v.obj && v.obj->isString()) return static_cast<const KVstring*>(v.obj)->text;
  return nullptr;
}

}  // namespace kv
