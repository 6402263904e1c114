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

}  // namespace kv
