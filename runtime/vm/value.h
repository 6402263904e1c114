// Script values: a 32-bit tag and an 8-byte payload, and the operations the
// interpreter and the constant folder apply to them. The operations write
// into one shared result cell (or answer a shared constant cell), so the
// interpreter's arithmetic costs one call and one copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/vm/heap.h"

namespace kv {

class KVobj;

// Single bits, so that or-ing two operands' tags answers "is either NaN?"
// and "is either a double?" in one test each.
enum ValueTag : uint32_t {
  kUndefined = 1,
  kObject = 2,
  kString = 4,
  kBool = 8,
  kInt = 256,
  kFloat = 512,
  kNaN = 1024,
  kNull = 4096,
};

struct Value {
  uint32_t tag = kUndefined;
  uint32_t pad = 0;
  union {
    int32_t i;
    double d;
    void* p;
    KVobj* obj;
    const char* str;
    uint64_t bits;
  };
  Value() : bits(0) {}

  [[gnu::always_inline]] static Value makeInt(int32_t v) { Value x; x.tag = kInt; x.i = v; return x; }
  [[gnu::always_inline]] static Value makeBool(bool v) { Value x; x.tag = kBool; x.i = v ? 1 : 0; return x; }
  [[gnu::always_inline]] static Value makeFloat(double v) { Value x; x.tag = kFloat; x.d = v; return x; }
  [[gnu::always_inline]] static Value makeObject(KVobj* o) { Value x; x.tag = kObject; x.obj = o; return x; }
  [[gnu::always_inline]] static Value makeString(const char* s) { Value x; x.tag = kString; x.str = s; return x; }
  [[gnu::always_inline]] static Value makeNaN() { Value x; x.tag = kNaN; return x; }
  [[gnu::always_inline]] static Value makeNull() { Value x; x.tag = kNull; return x; }

  void setInt(int32_t v) { tag = kInt; bits = 0; i = v; }
  void setBool(bool v) { tag = kBool; bits = 0; i = v ? 1 : 0; }
  void setFloat(double v) { tag = kFloat; d = v; }
};
static_assert(sizeof(Value) == 16);
static_assert(offsetof(Value, i) == 8);

// The shared cells. The result cell is overwritten by every operation.
extern Value gUndefinedCell;
extern Value gNaNCell;
extern Value gNullCell;
extern Value gZeroCell;
extern Value gTrueCell;
extern Value gFalseCell;
extern Value gResultCell;
void initValueConstants();

// Temporary roots of a string concatenation while it allocates.
extern Value* gConcatValueRoot;
extern KVobj* gConcatObjectRoot;
void scanConcatRoots(bool full);

// The nine type names that typeof answers; made by the object system's
// start-up, null until then.
enum TypeNameIndex { kTypeNameString, kTypeNameFunction, kTypeNameObject, kTypeNameBoolean, kTypeNameInteger,
                     kTypeNameFloat, kTypeNameNaN, kTypeNameUndefined, kTypeNameNull, kTypeNameCount };
extern KVobj* gTypeNames[kTypeNameCount];

// Numeric readings: Bool counts 0 or 1, every other non-number 0.
[[gnu::always_inline]] inline int32_t intOf(const Value& v) { return (v.tag & (kInt | kBool)) ? v.i : 0; }
[[gnu::always_inline]] inline double doubleOf(const Value& v) { return v.tag == kFloat ? v.d : static_cast<double>(intOf(v)); }

// Truncation toward zero; NaN and doubles outside int32 give INT32_MIN.
inline int32_t doubleToInt32(double d) {
  if (d > -2147483649.0 && d < 2147483648.0) return static_cast<int32_t>(d);
  return INT32_MIN;
}
inline int32_t bitOperand(const Value& v) { return v.tag == kFloat ? doubleToInt32(v.d) : intOf(v); }
inline int32_t wrapInt(uint32_t u) { return static_cast<int32_t>(u); }

inline Value* valueAdd(const Value* a, const Value* b) {
  uint32_t u = a->tag | b->tag;
  if (u & kNaN) return &gNaNCell;
  if (u & kFloat) gResultCell.setFloat(doubleOf(*a) + doubleOf(*b));
  else gResultCell.setInt(wrapInt(static_cast<uint32_t>(intOf(*a)) + static_cast<uint32_t>(intOf(*b))));
  return &gResultCell;
}
inline Value* valueSub(const Value* a, const Value* b) {
  uint32_t u = a->tag | b->tag;
  if (u & kNaN) return &gNaNCell;
  if (u & kFloat) gResultCell.setFloat(doubleOf(*a) - doubleOf(*b));
  else gResultCell.setInt(wrapInt(static_cast<uint32_t>(intOf(*a)) - static_cast<uint32_t>(intOf(*b))));
  return &gResultCell;
}
inline Value* valueMul(const Value* a, const Value* b) {
  uint32_t u = a->tag | b->tag;
  if (u & kNaN) return &gNaNCell;
  if (u & kFloat) gResultCell.setFloat(doubleOf(*a) * doubleOf(*b));
  else gResultCell.setInt(wrapInt(static_cast<uint32_t>(intOf(*a)) * static_cast<uint32_t>(intOf(*b))));
  return &gResultCell;
}
Value* valueDiv(const Value* a, const Value* b);
Value* valueMod(const Value* a, const Value* b);

inline Value* valueBitAnd(const Value* a, const Value* b) {
  if ((a->tag | b->tag) & kNaN) return &gNaNCell;
  gResultCell.setInt(bitOperand(*a) & bitOperand(*b));
  return &gResultCell;
}
inline Value* valueBitOr(const Value* a, const Value* b) {
  if ((a->tag | b->tag) & kNaN) return &gNaNCell;
  gResultCell.setInt(bitOperand(*a) | bitOperand(*b));
  return &gResultCell;
}
inline Value* valueBitXor(const Value* a, const Value* b) {
  if ((a->tag | b->tag) & kNaN) return &gNaNCell;
  gResultCell.setInt(bitOperand(*a) ^ bitOperand(*b));
  return &gResultCell;
}
inline Value* valueShiftLeft(const Value* a, const Value* b) {
  if ((a->tag | b->tag) & kNaN) return &gNaNCell;
  gResultCell.setInt(wrapInt(static_cast<uint32_t>(bitOperand(*a)) << (bitOperand(*b) & 31)));
  return &gResultCell;
}
inline Value* valueShiftRight(const Value* a, const Value* b) {
  if ((a->tag | b->tag) & kNaN) return &gNaNCell;
  gResultCell.setInt(bitOperand(*a) >> (bitOperand(*b) & 31));  // arithmetic since C++20
  return &gResultCell;
}

#define KV_VALUE_ORDER(name, op)                                          \
  inline Value* name(const Value* a, const Value* b) {                    \
    uint32_t u = a->tag | b->tag;                                         \
    if (u & kNaN) return &gFalseCell;                                     \
    if (u & kFloat) gResultCell.setBool(doubleOf(*a) op doubleOf(*b));    \
    else gResultCell.setBool(intOf(*a) op intOf(*b));                     \
    return &gResultCell;                                                  \
  }
KV_VALUE_ORDER(valueLess, <)
KV_VALUE_ORDER(valueGreater, >)
KV_VALUE_ORDER(valueLessEqual, <=)
KV_VALUE_ORDER(valueGreaterEqual, >=)
#undef KV_VALUE_ORDER

// Equality of two values neither of which is NaN.
bool valuesEqual(const Value* a, const Value* b);
inline bool sameWordValues(const Value* a, const Value* b) {
  return a->tag == b->tag && (a->tag & (kInt | kBool | kUndefined | kNull));
}
// The common pairs answered without the call: one-word values, floats by
// their bits, an object against itself, and any two values of different
// kinds other than a text and an object (a null test, a flag test).
inline bool valuesEqualInline(const Value* a, const Value* b) {
  if (a->tag == b->tag) {
    if (a->tag & (kInt | kBool | kUndefined | kNull)) return a->i == b->i;
    if (a->tag == kFloat) return a->bits == b->bits;
    if (a->tag == kObject && a->obj == b->obj) return true;
  } else if ((a->tag | b->tag) & ~(kString | kObject)) {
    return false;
  }
  return valuesEqual(a, b);
}
inline Value* valueEquals(const Value* a, const Value* b) {
  gResultCell.setBool(((a->tag | b->tag) & kNaN) == 0 && valuesEqualInline(a, b));
  return &gResultCell;
}
inline Value* valueNotEquals(const Value* a, const Value* b) {
  gResultCell.setBool(((a->tag | b->tag) & kNaN) == 0 && !valuesEqualInline(a, b));
  return &gResultCell;
}

Value* valueNegate(const Value* a);
KVobj* valueTypeOf(const Value* a);
const char* valueToString(const Value* a);
bool valueIsArray(const Value* a);
bool objectsEqual(KVobj* a, KVobj* b);

// Int and Bool true when non-zero, Float when neither 0.0 nor NaN, Object and
// String when non-null; Undefined, Null and NaN false.
inline bool valueIsTrue(const Value& v) {
  switch (v.tag) {
    case kInt:
    case kBool: return v.i != 0;
    case kFloat: return v.d != 0.0 && v.d == v.d;
    case kObject:
    case kString: return v.p != nullptr;
    default: return false;
  }
}

// The double in fixed notation with six decimals ("inf", "-inf", "nan" for
// the non-finite ones); returns out's text.
const char* formatDoubleInto(std::string& out, double d);
// Room for any number's text form: the largest finite double has 309
// integer digits; sign, point and six decimals fit in the rest.
constexpr size_t kNumberTextRoom = 330;
// A number's (Int or Float) text form written into buf, which has
// kNumberTextRoom bytes, without a terminator; answers its length.
size_t formatNumber(const Value& v, char* buf);
// Copy of a text below 8192 bytes on the young heap; longer ones raise 23.
char* stringToHeapText(const char* text);

// A value cell boxed in a young block.
inline Value* newValueCell() {
  Value* c = static_cast<Value*>(gcAllocYoungRaw(sizeof(Value)));
  c->tag = kUndefined;
  c->pad = 0;
  c->bits = 0;
  return c;
}
// The value being boxed is held in a root across the allocation, so an
// object it refers to is followed to wherever a collection moves it.
extern Value gCellCopyRoot;
inline Value* newValueCellCopy(const Value& v) {
  gCellCopyRoot = v;
  Value* c = static_cast<Value*>(gcAllocYoungRaw(sizeof(Value)));
  *c = gCellCopyRoot;
  gCellCopyRoot.tag = kUndefined;
  return c;
}

// Collector hooks of value cells.
Value* forwardValueCell(Value* cell);
void markValueCell(Value* cell);
// A value held outside the heap (a root): forwards or marks what it refers to.
void visitValue(Value& v, bool full);

}  // namespace kv
