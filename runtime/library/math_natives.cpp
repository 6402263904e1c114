// The natives of the built-in object Math.
#include "runtime/library/math_natives.h"

#include <cmath>
#include <cstring>

#include "runtime/library/native_args.h"
#include "runtime/library/random_generator.h"

namespace kv {
namespace {

// An argument as the members read it: integers and doubles as they are, and
// NaN, which makes the result NaN as in arithmetic. Anything else is a
// mistake in the script (a text or an object, whose payload is an address):
// warning 4, and the value read as arithmetic reads it, a boolean 0 or 1 and
// everything else 0.
Value mathArg(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  if (v->tag & (kInt | kFloat | kNaN)) return *v;
  raiseRuntimeWarning(kWarnWrongArgument);
  return Value::makeInt(intOf(*v));
}

// The reading compared by max and min: NaN compares false with everything.
double comparedAs(const Value& v) { return v.tag == kNaN ? std::nan("") : doubleOf(v); }

// Doubles stay doubles; integer arguments give integer results where the
// operation allows it.
void mathAbs(KVContext* ctx) {
  Value v = mathArg(ctx, 0);
  if (v.tag == kNaN) {
    ctx->pushNaN();
  } else if (v.tag == kFloat) {
    ctx->pushDouble(std::fabs(v.d));
  } else {
    // Wraps like the machine's negation: the smallest integer stays itself.
    uint32_t u = static_cast<uint32_t>(v.i);
    ctx->pushInt(static_cast<int32_t>(v.i < 0 ? 0u - u : u));
  }
}

// The larger cell, its type kept; on a tie the second.
void mathMax(KVContext* ctx) {
  double a = comparedAs(mathArg(ctx, 0)), b = comparedAs(mathArg(ctx, 1));
  ctx->pushValue(a > b ? *ctx->arg(0) : *ctx->arg(1));
}

void mathMin(KVContext* ctx) {
  double a = comparedAs(mathArg(ctx, 0)), b = comparedAs(mathArg(ctx, 1));
  ctx->pushValue(b > a ? *ctx->arg(0) : *ctx->arg(1));
}

void mathRandom(KVContext* ctx) {
  KVRandomGenerator* g = defaultRandomGenerator();
  ctx->pushDouble(g ? g->randomFloat() : 0.0);
}

void mathRandomInt(KVContext* ctx) {
  KVRandomGenerator* g = defaultRandomGenerator();
  int32_t low = intArg(ctx, 0, 0), high = intArg(ctx, 1, 0);
  ctx->pushInt(g ? g->randomInt(low, high) : (low < 0 || high < 0 ? 0 : low));
}

template <double (*round)(double)>
void roundedInt(KVContext* ctx) {
  Value v = mathArg(ctx, 0);
  if (v.tag == kNaN) ctx->pushNaN();
  else ctx->pushInt(v.tag == kFloat ? saturatingInt(round(v.d)) : v.i);
}

template <double (*fn)(double)>
void mathDouble(KVContext* ctx) {
  Value v = mathArg(ctx, 0);
  if (v.tag == kNaN) ctx->pushNaN();
  else ctx->pushDouble(fn(doubleOf(v)));
}

// Outside [-1, 1] the result is the NaN value, not a NaN double.
template <double (*fn)(double)>
void mathInverse(KVContext* ctx) {
  double x = comparedAs(mathArg(ctx, 0));
  if (x >= -1.0 && x <= 1.0) ctx->pushDouble(fn(x));
  else ctx->pushNaN();
}

double truncate(double d) { return std::trunc(d); }
double floorOf(double d) { return std::floor(d); }
double ceilOf(double d) { return std::ceil(d); }
double sinOf(double d) { return std::sin(d); }
double cosOf(double d) { return std::cos(d); }
double tanOf(double d) { return std::tan(d); }
double asinOf(double d) { return std::asin(d); }
double acosOf(double d) { return std::acos(d); }
double atanOf(double d) { return std::atan(d); }

constexpr NativeFunction kMath[] = {
    &mathAbs,           &mathMax,           &mathMin,           &mathRandom,         &mathRandomInt,
    &roundedInt<truncate>, &roundedInt<floorOf>, &roundedInt<ceilOf>, &mathDouble<sinOf>, &mathDouble<cosOf>,
    &mathDouble<tanOf>, &mathInverse<asinOf>, &mathInverse<acosOf>, &mathDouble<atanOf>,
};

}  // namespace

NativeFunction MakeMath(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(std::size(kMath))) throw KVUnexpected("MakeMath");
  return kMath[index];
}

}  // namespace kv
