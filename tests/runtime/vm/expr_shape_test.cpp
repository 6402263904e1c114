// Tests of runtime/vm/expr_shape: every shaped evaluator against plain
// arithmetic, and a loop's rounds against the loop written out, the pump's
// limit falling at every step.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>

#include "runtime/vm/expr_shape.h"
#include "runtime/vm/value.h"

using namespace kv;

namespace {

// The operations in micro-code order, as the records would compute them; no
// answer where the records take their own path (a divisor of 0 or -1).
std::optional<int32_t> apply(int op, int32_t a, int32_t b) {
  const uint32_t x = static_cast<uint32_t>(a), y = static_cast<uint32_t>(b);
  switch (op) {
    case 0: return static_cast<int32_t>(x + y);
    case 1: return static_cast<int32_t>(x - y);
    case 2: return static_cast<int32_t>(x * y);
    case 3: if (b == 0 || b == -1) return std::nullopt; return a % b;
    case 4: return a & b;
    case 5: return a | b;
    default: return a ^ b;
  }
}

// The expression of table entry `shape` (the table's order: a OP b, then
// (a OP b) OP c, a OP (b OP c), (a OP (b OP c)) OP d with + - * inside).
std::optional<int32_t> expected(int shape, const int32_t* v) {
  auto then = [](std::optional<int32_t> l, int op, std::optional<int32_t> r) -> std::optional<int32_t> {
    if (!l || !r) return std::nullopt;
    return apply(op, *l, *r);
  };
  if (shape < 8) return apply(shape - 1, v[0], v[1]);
  if (shape < 57) return then(apply((shape - 8) / 7, v[0], v[1]), (shape - 8) % 7, v[2]);
  if (shape < 106) return then(v[0], (shape - 57) % 7, apply((shape - 57) / 7, v[1], v[2]));
  const int j = shape - 106;
  return then(then(v[0], j / 7 % 3, apply(j / 21, v[1], v[2])), j % 7, v[3]);
}

TEST(ExprShape, EveryShapeComputesAsTheRecordsAndRefusesWhatTheyWouldNot) {
  const int32_t samples[] = {0, 1, -1, 2, 7, -13, 1000003, 65535, INT_MAX, INT_MIN, 123456789, -98765};
  constexpr int kSamples = sizeof samples / sizeof samples[0];
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  ASSERT_EQ(kShapedExprs[0], nullptr);
  for (int shape = 1; shape < kExprShapeCount; ++shape) {
    SCOPED_TRACE(shape);
    for (int round = 0; round < 600; ++round) {
      uint32_t tags[4];
      int32_t values[4];
      ShapedOperands o;
      // One round in ten, one operand holds no integer.
      const int odd = round % 10 == 0 ? static_cast<int>(next() % 4) : -1;
      for (int i = 0; i < 4; ++i) {
        values[i] = samples[next() % kSamples];
        tags[i] = i == odd ? (round % 20 == 0 ? kFloat : kString) : kInt;
        o.tag[i] = &tags[i];
        o.value[i] = &values[i];
      }
      const int used = shape < 8 ? 2 : shape < 106 ? 3 : 4;
      std::optional<int32_t> want = expected(shape, values);
      if (odd >= 0 && odd < used) want = std::nullopt;
      int32_t got = 0x5eed;
      const bool ok = kShapedExprs[shape](o, &got);
      ASSERT_EQ(ok, want.has_value()) << values[0] << " " << values[1] << " " << values[2] << " " << values[3];
      ASSERT_EQ(got, want ? *want : 0x5eed);
    }
  }
}

// `for (j = from; j < n; j++) s = (s + i * j) % k;` as rounds: each call
// runs what fits below the limit, the code loop's steps in between stand in
// for the pump's pass; the outcome must be the loop's, and no call may run
// past its limit.
TEST(ExprShape, RoundsRunTheLoopAndStopBeforeThePump) {
  constexpr int kNestThenMulAddMod = 106 + (2 * 3 + 0) * 7 + 3;
  for (uint32_t limit : {0u, 14u, 15u, 16u, 100u, 257u}) {
    for (int32_t n : {-5, 0, 1, 17, 1000}) {
      SCOPED_TRACE(testing::Message() << limit << " " << n);
      Value s = Value::makeInt(3), i = Value::makeInt(1234567), j = Value::makeInt(0);
      const Value bound = Value::makeInt(n);
      const int32_t k = 1000003;
      static constexpr uint32_t kConstantTag = kInt;
      ShapedRounds r{};
      r.operands = {{&s.tag, &i.tag, &j.tag, &kConstantTag}, {&s.i, &i.i, &j.i, &k}};
      r.target = &s;
      r.counter = &j;
      r.delta = 1;
      r.leftTag = &j.tag;
      r.left = &j.i;
      r.rightTag = &bound.tag;
      r.right = &bound.i;
      r.sign = 1;
      r.bias = 0;
      r.round = 15;
      // The loop's first test and body (j = 0) have run: the rounds start
      // at its step.
      int64_t want = 3;
      for (int64_t jj = 1; jj < n; ++jj) want = (want + 1234567 * jj) % k;
      RoundsEnd end = RoundsEnd::BeforeStep;
      for (int call = 0; call < 2000 && end == RoundsEnd::BeforeStep; ++call) {
        // The pump's pass starts the count again; the first call comes late.
        uint32_t steps = call == 0 ? limit / 3 : 0;
        const uint32_t before = steps;
        end = kShapedLoops[kNestThenMulAddMod](r, limit, &steps);
        ASSERT_LE(steps, limit);
        if (end == RoundsEnd::BeforeStep) {
          ASSERT_EQ((steps - before) % 15, 0u);
          ASSERT_GT(steps + 15, limit) << "a round that fitted was left";
          if (limit < 15) break;
        } else {
          ASSERT_EQ((steps - before) % 15, 8u);
        }
      }
      if (limit < 15) {
        EXPECT_EQ(end, RoundsEnd::BeforeStep);
        EXPECT_EQ(j.i, 0);
        continue;
      }
      EXPECT_EQ(end, RoundsEnd::TestLeft);
      EXPECT_EQ(j.i, n > 1 ? n : 1);
      EXPECT_EQ(s.i, n > 1 ? want : 3);
      EXPECT_EQ(s.tag, kInt);
    }
  }
}

// A bound that is no integer stops the rounds before anything changes; a
// divisor reaching 0 stops them after the round's step and test, with the
// body's local untouched.
TEST(ExprShape, RoundsStopWhereTheRecordsMustRun) {
  Value s = Value::makeInt(10), j = Value::makeInt(5), d = Value::makeInt(3), bound = Value::makeFloat(9.5);
  static constexpr uint32_t kConstantTag = kInt;
  const int32_t one = 1;
  constexpr int kThreeSubMod = 8 + 1 * 7 + 3;  // (s - 1) % d
  ShapedRounds r{};
  r.operands = {{&s.tag, &kConstantTag, &d.tag}, {&s.i, &one, &d.i}};
  r.target = &s;
  r.counter = &d;
  r.delta = ~0u;
  r.leftTag = &j.tag;
  r.left = &j.i;
  r.rightTag = &bound.tag;
  r.right = &bound.i;
  r.sign = -1;  // j > bound: goes on while -(j - bound) < 0
  r.bias = 0;
  r.round = 13;
  uint32_t steps = 0;
  EXPECT_EQ(kShapedLoops[kThreeSubMod](r, 257, &steps), RoundsEnd::BeforeStep);
  EXPECT_EQ(steps, 0u);
  EXPECT_EQ(d.i, 3);
  bound = Value::makeInt(0);
  // d: 3 -> 2 (s = 9 % 2 = 1), 2 -> 1 (s = 0 % 1 = 0), 1 -> 0: the divisor fails.
  EXPECT_EQ(kShapedLoops[kThreeSubMod](r, 257, &steps), RoundsEnd::BodyFailed);
  EXPECT_EQ(steps, 13u * 2 + 8);
  EXPECT_EQ(d.i, 0);
  EXPECT_EQ(s.i, 0);
}

}  // namespace
