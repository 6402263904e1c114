// Script values and the conversions and comparisons on them.
#include "runtime/vm/value.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime/vm/errors.h"
#include "runtime/vm/object.h"

namespace kv {

Value gUndefinedCell;
Value gNaNCell;
Value gNullCell;
Value gZeroCell;
Value gTrueCell;
Value gFalseCell;
Value gResultCell;

Value gCellCopyRoot;
Value* gConcatValueRoot = nullptr;
KVobj* gConcatObjectRoot = nullptr;
KVobj* gTypeNames[kTypeNameCount] = {};

void initValueConstants() {
  gNaNCell = Value::makeNaN();
  gNullCell = Value::makeNull();
  gZeroCell = Value::makeInt(0);
  gTrueCell = Value::makeBool(true);
  gFalseCell = Value::makeBool(false);
}

Value* valueDiv(const Value* a, const Value* b) {
  uint32_t u = a->tag | b->tag;
  if (u & kNaN) return &gNaNCell;
  if (u & kFloat) {
    gResultCell.setFloat(doubleOf(*a) / doubleOf(*b));
    return &gResultCell;
  }
  int32_t l = intOf(*a), r = intOf(*b);
  if (r == 0) return &gNaNCell;
  // INT32_MIN / -1 has no 32-bit quotient; it wraps to INT32_MIN.
  gResultCell.setInt(r == -1 ? wrapInt(0u - static_cast<uint32_t>(l)) : l / r);
  return &gResultCell;
}

Value* valueMod(const Value* a, const Value* b) {
  uint32_t u = a->tag | b->tag;
  if (u & kNaN) return &gNaNCell;
  if (u & kFloat) {
    gResultCell.setFloat(std::fmod(doubleOf(*a), doubleOf(*b)));
    return &gResultCell;
  }
  int32_t l = intOf(*a), r = intOf(*b);
  if (r == 0) return &gNaNCell;
  gResultCell.setInt(r == -1 ? 0 : l % r);
  return &gResultCell;
}

static const char* textOf(const Value* v) {
  if (v->tag == kString) return v->str;
  if (v->tag == kObject && v->obj && v->obj->isString()) return static_cast<KVstring*>(v->obj)->text;
  return nullptr;
}

static bool textsEqual(const char* a, const char* b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

bool objectsEqual(KVobj* a, KVobj* b) {
  if (a == b) return true;
  if (a && b && a->isString() && b->isString())
    return textsEqual(static_cast<KVstring*>(a)->text, static_cast<KVstring*>(b)->text);
  return false;
}

bool valuesEqual(const Value* a, const Value* b) {
  if (a->tag != b->tag) {
    // Texts compare by their bytes whether they are constants or string objects.
    if (((a->tag | b->tag) & ~(kString | kObject)) == 0) {
      const char* ta = textOf(a);
      const char* tb = textOf(b);
      return ta && tb && std::strcmp(ta, tb) == 0;
    }
    return false;
  }
  switch (a->tag) {
    case kObject: return objectsEqual(a->obj, b->obj);
    case kFloat: return a->bits == b->bits;
    case kString: return textsEqual(a->str, b->str);
    default: return a->i == b->i;
  }
}

Value* valueNegate(const Value* a) {
  switch (a->tag) {
    case kNaN: return &gNaNCell;
    case kInt: gResultCell.setInt(wrapInt(0u - static_cast<uint32_t>(a->i))); break;
    case kFloat: gResultCell.setFloat(a->d * -1.0); break;
    default: gResultCell = *a; break;
  }
  return &gResultCell;
}

KVobj* valueTypeOf(const Value* a) {
  switch (a->tag) {
    case kObject:
      if (a->obj && a->obj->isString()) return gTypeNames[kTypeNameString];
      if (a->obj && a->obj->isFunction()) return gTypeNames[kTypeNameFunction];
      return gTypeNames[kTypeNameObject];
    case kString: return gTypeNames[kTypeNameString];
    case kBool: return gTypeNames[kTypeNameBoolean];
    case kInt: return gTypeNames[kTypeNameInteger];
    case kFloat: return gTypeNames[kTypeNameFloat];
    case kNaN: return gTypeNames[kTypeNameNaN];
    case kNull: return gTypeNames[kTypeNameNull];
    default: return gTypeNames[kTypeNameUndefined];
  }
}

bool valueIsArray(const Value* a) { return a->tag == kObject && a->obj && a->obj->isArray(); }

static size_t formatDouble(double d, char* buf) {
  const char* special = std::isnan(d) ? "nan" : !std::isinf(d) ? nullptr : d < 0 ? "-inf" : "inf";
  if (special) {
    size_t n = std::strlen(special);
    std::memcpy(buf, special, n);
    return n;
  }
  return std::to_chars(buf, buf + kNumberTextRoom, d, std::chars_format::fixed, 6).ptr - buf;
}

size_t formatNumber(const Value& v, char* buf) {
  if (v.tag == kFloat) return formatDouble(v.d, buf);
  return std::to_chars(buf, buf + kNumberTextRoom, v.i).ptr - buf;
}

const char* formatDoubleInto(std::string& out, double d) {
  char buf[kNumberTextRoom];
  out.assign(buf, formatDouble(d, buf));
  return out.c_str();
}

char* stringToHeapText(const char* text) {
  size_t n = strnlen(text, kMaxYoungRequest);
  if (n >= kMaxYoungRequest) throw RuntimeError(kErrUnexpected);
  char* copy = static_cast<char*>(gcAllocYoung(n + 1));
  std::memcpy(copy, text, n + 1);
  return copy;
}

const char* valueToString(const Value* a) {
  switch (a->tag) {
    case kObject: {
      KVobj* o = a->obj;
      if (!o) return "[object]";
      if (o->isString()) return static_cast<KVstring*>(o)->text;
      if (o->isArray()) return "[array]";
      if (o->isFunction()) return "[function]";
      return "[object]";
    }
    case kString: return a->str;
    case kBool: return a->i ? "true" : "false";
    case kInt:
    case kFloat: {
      char buf[kNumberTextRoom + 1];
      buf[formatNumber(*a, buf)] = '\0';
      return stringToHeapText(buf);
    }
    case kNaN: return "[NaN]";
    case kNull: return "[null]";
    default: return "[undefined]";
  }
}

// A young cell is copied by the age rule; an old or static one is visited
// once per collection. Either way an object payload is forwarded.
Value* forwardValueCell(Value* cell) {
  if (!cell) return nullptr;
  bool first;
  Value* target = static_cast<Value*>(forwardSized(cell, sizeof(Value), first));
  if (first && target->tag == kObject) target->obj = forwardObject(target->obj);
  return target;
}

void markValueCell(Value* cell) {
  if (cell && markFirst(cell) && cell->tag == kObject) markObject(cell->obj);
}

void visitValue(Value& v, bool full) {
  if (v.tag != kObject) return;
  if (full) markObject(v.obj);
  else v.obj = forwardObject(v.obj);
}

void scanConcatRoots(bool full) {
  if (full) {
    if (gConcatValueRoot) markValueCell(gConcatValueRoot);
    markObject(gConcatObjectRoot);
  } else {
    if (gConcatValueRoot) gConcatValueRoot = forwardValueCell(gConcatValueRoot);
    if (gConcatObjectRoot) gConcatObjectRoot = forwardObject(gConcatObjectRoot);
  }
}

}  // namespace kv
