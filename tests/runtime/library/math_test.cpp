// Tests of the built-in object Math.
#include <cmath>

#include "runtime/library/math_natives.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

enum { kAbs, kMax, kMin, kRandom, kRandomInt, kTrunc, kFloor, kCeil, kSin, kCos, kTan, kAsin, kAcos, kAtan };

class MathTest : public LibraryTest {
 protected:
  kv::Value math(int index, std::initializer_list<kv::Value> args) { return callNative(kv::MakeMath(index), args); }
  void expectInt(const kv::Value& v, int32_t want) {
    EXPECT_EQ(v.tag, kv::kInt);
    EXPECT_EQ(v.i, want);
  }
};

TEST_F(MathTest, AbsKeepsTheTypeAndWrapsTheSmallestInteger) {
  expectInt(math(kAbs, {I(-5)}), 5);
  expectInt(math(kAbs, {I(INT32_MIN)}), INT32_MIN);
  kv::Value d = math(kAbs, {D(-2.5)});
  EXPECT_EQ(d.tag, kv::kFloat);
  EXPECT_EQ(d.d, 2.5);
}

TEST_F(MathTest, MaxAndMinAnswerAnArgumentCellUnchanged) {
  kv::Value m = math(kMax, {I(3), D(3.0)});
  EXPECT_EQ(m.tag, kv::kFloat);
  expectInt(math(kMin, {I(2), I(7)}), 2);
  expectInt(math(kMax, {D(1.5), I(2)}), 2);
}

TEST_F(MathTest, FloorAndCeilAreTrueAndSaturate) {
  expectInt(math(kFloor, {D(-0.5)}), -1);
  expectInt(math(kFloor, {D(-2.0)}), -2);
  expectInt(math(kFloor, {D(2.7)}), 2);
  expectInt(math(kFloor, {I(-4)}), -4);
  expectInt(math(kFloor, {D(1e12)}), INT32_MAX);
  expectInt(math(kCeil, {D(2.5)}), 3);
  expectInt(math(kCeil, {D(-2.5)}), -2);
  expectInt(math(kCeil, {D(-1e12)}), INT32_MIN);
  expectInt(math(kTrunc, {D(-7.9)}), -7);
  expectInt(math(kTrunc, {D(NAN)}), 0);
}

TEST_F(MathTest, InverseFunctionsOutsideTheirRangeGiveNaN) {
  EXPECT_EQ(math(kAsin, {I(2)}).tag, kv::kNaN);
  EXPECT_EQ(math(kAcos, {D(-1.5)}).tag, kv::kNaN);
  kv::Value a = math(kAsin, {I(1)});
  EXPECT_EQ(a.tag, kv::kFloat);
  EXPECT_DOUBLE_EQ(a.d, kv::kMathPi / 2);
  EXPECT_DOUBLE_EQ(math(kCos, {I(0)}).d, 1.0);
}

TEST_F(MathTest, RandomIntEarlyAnswers) {
  kv::createDefaultRandomGenerator();
  expectInt(math(kRandomInt, {I(5), I(5)}), 5);
  expectInt(math(kRandomInt, {I(3), I(1)}), 3);
  expectInt(math(kRandomInt, {I(-1), I(10)}), 0);
  for (int i = 0; i < 50; ++i) {
    kv::Value r = math(kRandomInt, {I(10), I(20)});
    EXPECT_GE(r.i, 10);
    EXPECT_LT(r.i, 20);
    kv::Value f = math(kRandom, {});
    EXPECT_GE(f.d, 0.0);
    EXPECT_LT(f.d, 1.0);
  }
}

TEST_F(MathTest, UnknownMemberNumberIsRefused) { EXPECT_THROW(kv::MakeMath(14), kv::KVUnexpected); }

}  // namespace
}  // namespace kvtest
