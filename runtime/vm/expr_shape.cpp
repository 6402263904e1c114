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

// An operand record: a local of the frame, whose tag is and-ed into `tags`
// (tags are single bits, so the result stays kInt only when all were), or an
// integer constant, which has no slot.
inline int32_t operand(const CodeNode* e, const Value* cells, uint32_t& tags) {
  if (e->slot == kNoSlot) return e->operand.i;
  const Value& v = cells[e->slot];
  tags &= v.tag;
  return v.i;
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
bool shapeTwo(CodeNode* const* r, const Value* cells, int32_t* result) {
  uint32_t tags = kInt;
  int32_t a = operand(r[0], cells, tags);
  const int32_t b = operand(r[1], cells, tags);
  if (tags != kInt || !apply<Op>(a, b)) return false;
  *result = a;
  return true;
}

// (a OP1 b) OP2 c: records a, b, OP1, c, OP2.
template <int Op1, int Op2>
bool shapeThree(CodeNode* const* r, const Value* cells, int32_t* result) {
  uint32_t tags = kInt;
  int32_t a = operand(r[0], cells, tags);
  const int32_t b = operand(r[1], cells, tags);
  const int32_t c = operand(r[3], cells, tags);
  if (tags != kInt || !apply<Op1>(a, b) || !apply<Op2>(a, c)) return false;
  *result = a;
  return true;
}

// a OP2 (b OP1 c): records a, b, c, OP1, OP2.
template <int Op1, int Op2>
bool shapeNest(CodeNode* const* r, const Value* cells, int32_t* result) {
  uint32_t tags = kInt;
  int32_t a = operand(r[0], cells, tags);
  int32_t b = operand(r[1], cells, tags);
  const int32_t c = operand(r[2], cells, tags);
  if (tags != kInt || !apply<Op1>(b, c) || !apply<Op2>(a, b)) return false;
  *result = a;
  return true;
}

// (a OP2 (b OP1 c)) OP3 d: records a, b, c, OP1, OP2, d, OP3.
template <int Op1, int Op2, int Op3>
bool shapeNestThen(CodeNode* const* r, const Value* cells, int32_t* result) {
  uint32_t tags = kInt;
  int32_t a = operand(r[0], cells, tags);
  int32_t b = operand(r[1], cells, tags);
  const int32_t c = operand(r[2], cells, tags);
  const int32_t d = operand(r[5], cells, tags);
  if (tags != kInt || !apply<Op1>(b, c) || !apply<Op2>(a, b) || !apply<Op3>(a, d)) return false;
  *result = a;
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

// One micro code of an expression: a value pushed, a value combined with
// the top at once, or the two values on top combined; and its operation.
struct Step {
  enum Kind { kPlain, kWithOp, kOnStack } kind;
  int op;
};

}  // namespace

constexpr std::array<ShapedExpr, kExprShapeCount> kShapedExprs = makeTable();

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
    } else if (m >= kMicroLocalOp && m < kMicroLocalOp + 16 && (m & 7) < kOpCount) {
      s[n++] = {Step::kWithOp, m & 7};
      k += 2;
    } else if (m >= kMicroStackOp && m < kMicroStackOp + kOpCount) {
      s[n++] = {Step::kOnStack, m & 7};
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
