// How natives read their arguments: every reader takes the argument cell as
// the caller left it (missing arguments read the shared undefined cell) and
// falls back to a default instead of failing, so a native never throws for
// a wrong argument.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/object.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/value.h"

namespace kv {

// Runtime warning 3: a constructor or maker could not make what it was asked for.
constexpr int32_t kWarnConstructorFailed = 3;
// Runtime warning 5 "failed to load resources": the loaders' own report.
constexpr int32_t kWarnFailedToLoad = 5;

// Warning 5 from a loading native; when its line is written, the next line
// names what did not load, since the warning's own text is fixed.
// Without a name (an argument that was no text) there is nothing to name.
inline void warnFailedToLoad(const char* function, const char* what) {
  if (raiseRuntimeWarning(kWarnFailedToLoad) && what)
    writeLogLine(("  " + std::string(function) + " could not load: " + what).c_str());
}

// A double cut toward zero into int32: values outside the range saturate and
// NaN gives 0, where a plain conversion would be undefined.
inline int32_t saturatingInt(double d) {
  if (d != d) return 0;
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(d);
}

// The payload when the tag is integer, else the fallback.
inline int32_t intArg(KVContext* ctx, int32_t i, int32_t fallback) {
  const Value* v = ctx->arg(i);
  return v->tag == kInt ? v->i : fallback;
}
inline bool isIntArg(KVContext* ctx, int32_t i) { return ctx->arg(i)->tag == kInt; }

// An integer as it is, a double cut toward zero, anything else its payload.
inline int32_t truncatingArg(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  return v->tag == kFloat ? saturatingInt(v->d) : v->i;
}

// A double as it is; any other tag contributes its payload as an integer.
inline double numberArg(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  return v->tag == kFloat ? v->d : static_cast<double>(v->i);
}

// The payload compared with 0, whatever the tag.
inline bool flagArg(KVContext* ctx, int32_t i) { return ctx->arg(i)->i != 0; }

// The text of a string constant or a string object (an object without text
// reads as the empty text); null for anything else.
inline const char* textArg(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  if (v->tag == kObject && v->obj && v->obj->isString()) {
    const char* t = static_cast<const KVstring*>(v->obj)->text;
    return t ? t : "";
  }
  return valueText(*v);
}

// The object when the tag is object and the class test holds, else null.
inline KVobj* objectArg(KVContext* ctx, int32_t i, bool (KVobj::*test)() const) {
  const Value* v = ctx->arg(i);
  return v->tag == kObject && v->obj && (v->obj->*test)() ? v->obj : nullptr;
}

}  // namespace kv
