// Straight-code evaluators of integer expressions by shape (expr_shape.h).
#include "runtime/vm/expr_shape.h"

#include <utility>

#include "runtime/vm/code.h"
#include "runtime/vm/fuse.h"

namespace kv {
namespace {

// The operations in micro-code order: + - * % & | ^.
constexpr int kOpCount = 7;
// The last expression shape takes only + - * for its two inner operations.
constexpr int kInnerOps = 3;

// The tag of every constant operand.
constexpr uint32_t kConstantTag = kInt;

// The values of the first `N` operands and whether all of them are integers
// (tags are single bits, so their and stays kInt only when all are).
template <int N>
inline bool fetch(const ShapedOperands& o, int32_t* v) {
  uint32_t tags = kInt;
#pragma GCC unroll 4
  for (int i = 0; i < N; ++i) {
    tags &= *o.tag[i];
    v[i] = *o.value[i];
  }
  return tags == kInt;
}

template <int Op>
inline bool apply(int32_t& a, int32_t b) {
  const uint32_t x = static_cast<uint32_t>(a), y = static_cast<uint32_t>(b);
  if constexpr (Op == 0) a = wrapInt(x + y);
  if constexpr (Op == 1) a = wrapInt(x - y);
  if constexpr (Op == 2) a = wrapInt(x * y);
  if constexpr (Op == 3) {
    // 0 and -1 have answers of their own: the records give them.
    if (y + 1u <= 1u) return false;
    a %= b;
  }
  if constexpr (Op == 4) a &= b;
  if constexpr (Op == 5) a |= b;
  if constexpr (Op == 6) a ^= b;
  return true;
}

// a OP b: records a, b, OP.
template <int Op>
bool shapeTwo(const ShapedOperands& o, int32_t* result) {
  int32_t v[2];
  if (!fetch<2>(o, v) || !apply<Op>(v[0], v[1])) return false;
  *result = v[0];
  return true;
}

// (a OP1 b) OP2 c: records a, b, OP1, c, OP2.
template <int Op1, int Op2>
bool shapeThree(const ShapedOperands& o, int32_t* result) {
  int32_t v[3];
  if (!fetch<3>(o, v) || !apply<Op1>(v[0], v[1]) || !apply<Op2>(v[0], v[2])) return false;
  *result = v[0];
  return true;
}

// a OP2 (b OP1 c): records a, b, c, OP1, OP2.
template <int Op1, int Op2>
bool shapeNest(const ShapedOperands& o, int32_t* result) {
  int32_t v[3];
  if (!fetch<3>(o, v) || !apply<Op1>(v[1], v[2]) || !apply<Op2>(v[0], v[1])) return false;
  *result = v[0];
  return true;
}

// (a OP2 (b OP1 c)) OP3 d: records a, b, c, OP1, OP2, d, OP3.
template <int Op1, int Op2, int Op3>
bool shapeNestThen(const ShapedOperands& o, int32_t* result) {
  int32_t v[4];
  if (!fetch<4>(o, v) || !apply<Op1>(v[1], v[2]) || !apply<Op2>(v[0], v[1]) || !apply<Op3>(v[0], v[3]))
    return false;
  *result = v[0];
  return true;
}

// Where each shape's entries begin in the table.
constexpr int kTwoAt = 1;
constexpr int kThreeAt = kTwoAt + kOpCount;
constexpr int kNestAt = kThreeAt + kOpCount * kOpCount;
constexpr int kNestThenAt = kNestAt + kOpCount * kOpCount;
constexpr int kShapeCount = kNestThenAt + kInnerOps * kInnerOps * kOpCount;
static_assert(kShapeCount == kExprShapeCount && kShapeCount <= 256, "shape numbers are kept in a byte");

template <size_t... I>
constexpr auto twoTable(std::index_sequence<I...>) {
  return std::array<ShapedExpr, sizeof...(I)>{&shapeTwo<I>...};
}
template <size_t... I>
constexpr auto threeTable(std::index_sequence<I...>) {
  return std::array<ShapedExpr, sizeof...(I)>{&shapeThree<I / kOpCount, I % kOpCount>...};
}
template <size_t... I>
constexpr auto nestTable(std::index_sequence<I...>) {
  return std::array<ShapedExpr, sizeof...(I)>{&shapeNest<I / kOpCount, I % kOpCount>...};
}
template <size_t... I>
constexpr auto nestThenTable(std::index_sequence<I...>) {
  return std::array<ShapedExpr, sizeof...(I)>{
      &shapeNestThen<I / (kInnerOps * kOpCount), I / kOpCount % kInnerOps, I % kOpCount>...};
}

constexpr std::array<ShapedExpr, kShapeCount> makeTable() {
  std::array<ShapedExpr, kShapeCount> t{};
  const auto two = twoTable(std::make_index_sequence<kOpCount>());
  const auto three = threeTable(std::make_index_sequence<kOpCount * kOpCount>());
  const auto nest = nestTable(std::make_index_sequence<kOpCount * kOpCount>());
  const auto nestThen = nestThenTable(std::make_index_sequence<kInnerOps * kInnerOps * kOpCount>());
  for (size_t i = 0; i < two.size(); ++i) t[kTwoAt + i] = two[i];
  for (size_t i = 0; i < three.size(); ++i) t[kThreeAt + i] = three[i];
  for (size_t i = 0; i < nest.size(); ++i) t[kNestAt + i] = nest[i];
  for (size_t i = 0; i < nestThen.size(); ++i) t[kNestThenAt + i] = nestThen[i];
  return t;
}

}  // namespace

constexpr std::array<ShapedExpr, kExprShapeCount> kShapedExprs = makeTable();

namespace {

// The rounds of a loop with a body of the shape F. With kCarried the body
// stores into its first operand (`s = (s + i * j) % m`): that operand is
// carried from round to round in a register rather than read back from the
// cell just written, which is still written every round.
template <ShapedExpr F, bool kCarried>
[[gnu::flatten]] RoundsEnd runRounds(const ShapedRounds& in, uint32_t limit, uint32_t* steps) {
  // A copy, which the stores into the cells cannot change.
  ShapedRounds l = in;
  int32_t carried = l.target->i;
  if constexpr (kCarried) {
    l.operands.tag[0] = &kConstantTag;
    l.operands.value[0] = &carried;
  }
  uint32_t s = *steps;
  RoundsEnd end = RoundsEnd::BeforeStep;
  while (s + l.round <= limit && (l.counter->tag & *l.leftTag & *l.rightTag) == kInt) {
    l.counter->i = wrapInt(static_cast<uint32_t>(l.counter->i) + l.delta);
    const int64_t diff = static_cast<int64_t>(*l.left) - *l.right;
    int32_t v;
    if (l.sign * diff >= l.bias) {
      end = RoundsEnd::TestLeft;
      break;
    }
    if (!F(l.operands, &v)) {
      end = RoundsEnd::BodyFailed;
      break;
    }
    *l.target = Value::makeInt(v);
    if constexpr (kCarried) carried = v;
    s += l.round;
  }
  *steps = end == RoundsEnd::BeforeStep ? s : s + 8;
  return end;
}

template <ShapedExpr F>
RoundsEnd roundsOf(const ShapedRounds& in, uint32_t limit, uint32_t* steps) {
  // The first operand is carried when it is the target, holds an integer,
  // and neither the step nor the test reads it.
  const int32_t* const t = &in.target->i;
  if (in.operands.value[0] == t && in.target->tag == kInt && in.target != in.counter && in.left != t && in.right != t)
    return runRounds<F, true>(in, limit, steps);
  return runRounds<F, false>(in, limit, steps);
}

template <size_t... I>
constexpr std::array<ShapedLoop, kExprShapeCount> loopTable(std::index_sequence<I...>) {
  return {nullptr, &roundsOf<kShapedExprs[I + 1]>...};
}

// One micro code of an expression: a value pushed, a value combined with
// the top at once, or the two values on top combined; and its operation.
struct Step {
  enum Kind { kPlain, kWithOp, kOnStack } kind;
  int op;
};

}  // namespace


void pointOperands(uint8_t shape, CodeNode* const* r, const Value* cells, ShapedOperands* o) {
  // The records of each shape's operands, by the shape's micro codes.
  static constexpr uint8_t kTwo[] = {0, 1}, kThree[] = {0, 1, 3}, kNest[] = {0, 1, 2}, kNestThen[] = {0, 1, 2, 5};
  const uint8_t* at = shape >= kNestThenAt ? kNestThen : shape >= kNestAt ? kNest : shape >= kThreeAt ? kThree : kTwo;
  const int count = shape >= kNestThenAt ? 4 : shape >= kThreeAt ? 3 : 2;
  for (int i = 0; i < count; ++i) {
    const CodeNode* e = r[at[i]];
    if (e->slot == kNoSlot) {
      o->tag[i] = &kConstantTag;
      o->value[i] = &e->operand.i;
    } else {
      o->tag[i] = &cells[e->slot].tag;
      o->value[i] = &cells[e->slot].i;
    }
  }
}

constexpr std::array<ShapedLoop, kExprShapeCount> kShapedLoops =
    loopTable(std::make_index_sequence<kExprShapeCount - 1>());

uint8_t exprShape(const CodeVector& code, uint32_t from, uint32_t count) {
  Step s[5];
  int n = 0;
  const uint32_t end = from + count;
  if (end > code.size()) return 0;
  uint32_t k = from;
  while (k < end) {
    if (n == 5) return 0;
    const uint8_t m = code[k]->micro;
    if (m == kMicroLocal || m == kMicroConst) {
      s[n++] = {Step::kPlain, 0};
      k += 1;
    } else if (m >= kMicroLocalOp && m < kMicroConstOp + 16 && (m & 15) < kOpCount) {
      s[n++] = {Step::kWithOp, m & 15};
      k += 2;
    } else if (m >= kMicroStackOp && m < kMicroStackOp + kOpCount) {
      s[n++] = {Step::kOnStack, m & 15};
      k += 1;
    } else {
      return 0;
    }
  }
  if (k != end) return 0;
  auto is = [&](int i, Step::Kind kind) { return s[i].kind == kind; };
  if (n == 2 && is(0, Step::kPlain) && is(1, Step::kWithOp)) return static_cast<uint8_t>(kTwoAt + s[1].op);
  if (n == 3 && is(0, Step::kPlain) && is(1, Step::kWithOp) && is(2, Step::kWithOp))
    return static_cast<uint8_t>(kThreeAt + s[1].op * kOpCount + s[2].op);
  if (n < 4 || !is(0, Step::kPlain) || !is(1, Step::kPlain) || !is(2, Step::kWithOp) || !is(3, Step::kOnStack))
    return 0;
  if (n == 4) return static_cast<uint8_t>(kNestAt + s[2].op * kOpCount + s[3].op);
  if (is(4, Step::kWithOp) && s[2].op < kInnerOps && s[3].op < kInnerOps)
    return static_cast<uint8_t>(kNestThenAt + (s[2].op * kInnerOps + s[3].op) * kOpCount + s[4].op);
  return 0;
}

}  // namespace kv
