// Integer expressions of a few common shapes, evaluated as straight code by
// the ExprStore step instead of one micro code at a time: `a OP b`,
// `(a OP b) OP c`, `a OP (b OP c)` and `(a OP (b OP c)) OP d`, each operand a
// frame local or an integer constant. The shape is judged once, from the
// micro codes noted on the records (fuse.h); the step still checks every
// value before it writes anything.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/value.h"

namespace kv {

// The operands of a shaped expression in the order they are pushed: the
// tag and the integer of a frame local's cell, or of a constant (its tag
// always kInt).
struct ShapedOperands {
  const uint32_t* tag[4];
  const int32_t* value[4];
};
// Points `o` at the operands of the expression records at `r` (their slots
// and micro codes noted; `shape` is exprShape's answer for them) in the
// running frame's cells, which must stay where they are while `o` is used.
void pointOperands(uint8_t shape, CodeNode* const* r, const Value* cells, ShapedOperands* o);
// Evaluates a shaped expression: false, having written nothing, when a local
// holds no integer or a divisor is 0 or -1.
using ShapedExpr = bool (*)(const ShapedOperands& o, int32_t* result);

// The shape of the `count` expression records from `from`, whose micro codes
// are noted: an index into kShapedExprs, 0 when the expression has none of
// the shapes (its micro codes then run one by one).
uint8_t exprShape(const CodeVector& code, uint32_t from, uint32_t count);

// Indexed by exprShape's answer; entry 0 is null.
constexpr int kExprShapeCount = 169;
extern const std::array<ShapedExpr, kExprShapeCount> kShapedExprs;

// A counting loop whose whole body is one shaped `local = expression;`: the
// values a round reads and writes. A round is the loop's step, its test and
// the body, in that order.
struct ShapedRounds {
  ShapedOperands operands;  // the body's expression
  Value* target;            // the local the body stores
  Value* counter;           // the local the step changes, by delta
  uint32_t delta;
  const uint32_t* leftTag;  // the test's two sides
  const int32_t* left;
  const uint32_t* rightTag;
  const int32_t* right;
  int64_t sign, bias;       // the loop goes on while sign * (left - right) < bias
  uint32_t round;           // the records a round runs
};
// Why a run of rounds stopped.
enum class RoundsEnd { BeforeStep, TestLeft, BodyFailed };
// Runs whole rounds while *steps + round <= limit and every value the step
// and the test read is an integer, adding each round's records to *steps;
// after TestLeft and BodyFailed *steps also counts the step and the test of
// the last round.
using ShapedLoop = RoundsEnd (*)(const ShapedRounds& rounds, uint32_t limit, uint32_t* steps);
// Indexed like kShapedExprs.
extern const std::array<ShapedLoop, kExprShapeCount> kShapedLoops;

}  // namespace kv
