// Tests of runtime/vm/value: script values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/object.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/value.h"

using namespace kv;

namespace {

class Values : public ::testing::Test {
 protected:
  void SetUp() override {
    initGcHeap();
    resetObjectRoots();  // the temporary roots are visited
    initValueConstants();
  }
  static Value I(int32_t v) { return Value::makeInt(v); }
  static Value F(double v) { return Value::makeFloat(v); }
  static Value B(bool v) { return Value::makeBool(v); }
  template <class Op>
  static Value run(Op op, Value a, Value b) {
    return *op(&a, &b);
  }
  static void expectInt(const Value& v, int32_t want) {
    EXPECT_EQ(v.tag, kInt);
    EXPECT_EQ(v.i, want);
  }
  static void expectFloat(const Value& v, double want) {
    EXPECT_EQ(v.tag, kFloat);
    EXPECT_EQ(v.d, want);
  }
  static bool truth(Value v) { return v.tag == kBool && v.i == 1; }
};

TEST_F(Values, Layout) {
  Value v;
  EXPECT_EQ(v.tag, kUndefined);
  EXPECT_EQ(v.bits, 0u);
  EXPECT_EQ(gNaNCell.tag, kNaN);
  EXPECT_EQ(gTrueCell.tag, kBool);
  EXPECT_EQ(gTrueCell.i, 1);
  EXPECT_EQ(gZeroCell.tag, kInt);
  EXPECT_EQ(gNullCell.tag, kNull);
}

TEST_F(Values, Arithmetic) {
  expectInt(run(valueDiv, I(7), I(2)), 3);
  expectInt(run(valueMod, I(7), I(-2)), 1);
  expectInt(run(valueMod, I(-7), I(2)), -1);
  expectFloat(run(valueDiv, I(7), F(2.0)), 3.5);
  Value one = I(1), zero = I(0);
  EXPECT_EQ(valueDiv(&one, &zero), &gNaNCell);
  expectFloat(run(valueDiv, F(1.0), I(0)), std::numeric_limits<double>::infinity());
  Value m = run(valueMod, F(5.0), I(0));
  EXPECT_EQ(m.tag, kFloat);
  EXPECT_TRUE(std::isnan(m.d));
  expectInt(run(valueAdd, I(2147483647), I(1)), INT32_MIN);
  expectInt(run(valueMul, I(65536), I(65536)), 0);
  expectInt(run(valueSub, I(INT32_MIN), I(1)), INT32_MAX);
  expectFloat(run(valueAdd, I(1), F(2.5)), 3.5);
  EXPECT_EQ(run(valueAdd, Value::makeNaN(), I(1)).tag, kNaN);
  EXPECT_EQ(run(valueMod, I(5), I(0)).tag, kNaN);
}

TEST_F(Values, MinIntByMinusOneWraps) {
  expectInt(run(valueDiv, I(INT32_MIN), I(-1)), INT32_MIN);
  expectInt(run(valueMod, I(INT32_MIN), I(-1)), 0);
  expectInt(run(valueMod, I(7), I(-1)), 0);
  expectInt(run(valueDiv, I(7), I(-1)), -7);
}

TEST_F(Values, NonNumbersCountAsZeroOrOne) {
  expectInt(run(valueAdd, B(true), I(1)), 2);
  expectInt(run(valueAdd, Value::makeNull(), I(5)), 5);
  expectInt(run(valueAdd, Value::makeString("9"), I(5)), 5);
  expectFloat(run(valueAdd, Value(), F(1.5)), 1.5);
  expectFloat(run(valueMul, B(true), F(1.5)), 1.5);
  EXPECT_TRUE(truth(run(valueLess, Value::makeString("z"), I(1))));
}

TEST_F(Values, BitOperationsAndShifts) {
  expectInt(run(valueBitOr, F(3.9), I(0)), 3);
  expectInt(run(valueBitOr, F(-3.9), I(0)), -3);
  expectInt(run(valueShiftLeft, I(1), I(33)), 2);
  expectInt(run(valueShiftRight, I(-8), I(1)), -4);
  expectInt(run(valueBitOr, F(3000000000.0), I(0)), INT32_MIN);
  expectInt(run(valueBitOr, F(std::nan("")), I(0)), INT32_MIN);
  expectInt(run(valueBitOr, F(-2147483648.9), I(0)), INT32_MIN);
  expectInt(run(valueShiftLeft, I(1), I(31)), INT32_MIN);
  expectInt(run(valueShiftLeft, I(-1), I(-1)), INT32_MIN);
  expectInt(run(valueBitXor, I(6), I(3)), 5);
  expectInt(run(valueBitAnd, I(6), B(true)), 0);
  EXPECT_EQ(run(valueShiftRight, Value::makeNaN(), I(1)).tag, kNaN);
}

TEST_F(Values, NaNIsFalseEveryWay) {
  Value n = Value::makeNaN();
  for (auto op : {valueLess, valueGreater, valueLessEqual, valueGreaterEqual, valueEquals, valueNotEquals}) {
    EXPECT_FALSE(truth(run(op, n, I(1))));
    EXPECT_FALSE(truth(run(op, n, n)));
  }
  EXPECT_FALSE(valueIsTrue(n));
  Value ieee = F(std::nan(""));
  EXPECT_FALSE(truth(run(valueLess, ieee, I(1))));
  EXPECT_FALSE(truth(run(valueGreaterEqual, ieee, I(1))));
}

TEST_F(Values, EqualityKeepsTagsApart) {
  EXPECT_FALSE(truth(run(valueEquals, I(1), F(1.0))));
  EXPECT_TRUE(truth(run(valueNotEquals, I(1), F(1.0))));
  EXPECT_FALSE(truth(run(valueEquals, F(0.0), F(-0.0))));
  EXPECT_FALSE(truth(run(valueEquals, I(0), B(false))));
  EXPECT_FALSE(truth(run(valueEquals, Value(), Value::makeNull())));
  EXPECT_TRUE(truth(run(valueEquals, Value(), Value())));
  EXPECT_TRUE(truth(run(valueEquals, I(4), I(4))));
  EXPECT_TRUE(truth(run(valueEquals, F(std::nan("")), F(std::nan("")))));
  EXPECT_TRUE(truth(run(valueLessEqual, I(-3), F(-3.0))));
  EXPECT_TRUE(truth(run(valueGreater, I(1), I(-1))));
}

TEST_F(Values, TextsCompareByBytesInEveryMix) {
  char a[] = "hello", b[] = "hello", c[] = "help";
  // Each allocation may move the young objects made before it.
  ObjectRoot ra(newYoungObject<KVstring>());
  char* text = stringToHeapText("hello");
  static_cast<KVstring*>(ra.get())->text = text;
  ObjectRoot rb(newYoungObject<KVstring>());
  static_cast<KVstring*>(rb.get())->text = b;
  KVobj* plain = newYoungObject<KVobj>();
  KVstring* sa = static_cast<KVstring*>(ra.get());
  KVstring* sb = static_cast<KVstring*>(rb.get());
  Value ca = Value::makeString(a), cb = Value::makeString(b), cc = Value::makeString(c);
  Value oa = Value::makeObject(sa), ob = Value::makeObject(sb), op = Value::makeObject(plain);
  EXPECT_TRUE(truth(run(valueEquals, ca, cb)));
  EXPECT_FALSE(truth(run(valueEquals, ca, cc)));
  EXPECT_TRUE(truth(run(valueEquals, ca, ob)));
  EXPECT_TRUE(truth(run(valueEquals, oa, cb)));
  EXPECT_TRUE(truth(run(valueEquals, oa, ob)));
  EXPECT_FALSE(truth(run(valueNotEquals, oa, ob)));
  EXPECT_FALSE(truth(run(valueEquals, oa, op)));
  EXPECT_FALSE(truth(run(valueEquals, ca, op)));
  EXPECT_TRUE(truth(run(valueEquals, op, op)));
}

TEST_F(Values, Negation) {
  Value five = I(5), least = I(INT32_MIN);
  expectInt(*valueNegate(&five), -5);
  expectInt(*valueNegate(&least), INT32_MIN);
  Value t = B(true);
  Value r = *valueNegate(&t);
  EXPECT_EQ(r.tag, kBool);
  EXPECT_EQ(r.i, 1);
  Value z = F(0.0);
  EXPECT_TRUE(std::signbit(valueNegate(&z)->d));
  Value n = Value::makeNaN();
  EXPECT_EQ(valueNegate(&n), &gNaNCell);
}

TEST_F(Values, Texts) {
  auto text = [](Value v) { return std::string(valueToString(&v)); };
  EXPECT_EQ(text(I(3)), "3");
  EXPECT_EQ(text(I(INT32_MIN)), "-2147483648");
  EXPECT_EQ(text(F(0.1)), "0.100000");
  EXPECT_EQ(text(F(-0.0)), "-0.000000");
  EXPECT_EQ(text(F(2.5)), "2.500000");
  EXPECT_EQ(text(F(1e20)), "100000000000000000000.000000");
  std::string big = text(F(1e308));
  EXPECT_EQ(big.size(), 309u + 7u);
  EXPECT_EQ(big.substr(0, 4), "1000");
  EXPECT_EQ(big.substr(big.size() - 7), ".000000");
  EXPECT_EQ(text(F(-std::numeric_limits<double>::max())).size(), 1u + 309u + 7u);
  EXPECT_EQ(text(F(std::numeric_limits<double>::infinity())), "inf");
  EXPECT_EQ(text(F(-std::numeric_limits<double>::infinity())), "-inf");
  EXPECT_EQ(text(F(-std::nan(""))), "nan");
  EXPECT_EQ(text(Value()), "[undefined]");
  EXPECT_EQ(text(Value::makeNull()), "[null]");
  EXPECT_EQ(text(Value::makeNaN()), "[NaN]");
  EXPECT_EQ(text(B(false)), "false");
  EXPECT_EQ(text(Value::makeObject(newYoungObject<KVobj>())), "[object]");
  Value num = I(42);
  EXPECT_TRUE(inHeap(valueToString(&num)));
}

TEST_F(Values, HeapTextLimit) {
  std::string s(8191, 'a');
  char* copy = stringToHeapText(s.c_str());
  EXPECT_EQ(std::string(copy), s);
  s.push_back('a');
  try {
    stringToHeapText(s.c_str());
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, 23);
  }
}

TEST_F(Values, TruthTable) {
  EXPECT_TRUE(valueIsTrue(I(-1)));
  EXPECT_FALSE(valueIsTrue(I(0)));
  EXPECT_TRUE(valueIsTrue(B(true)));
  EXPECT_FALSE(valueIsTrue(B(false)));
  EXPECT_TRUE(valueIsTrue(F(0.5)));
  EXPECT_FALSE(valueIsTrue(F(0.0)));
  EXPECT_FALSE(valueIsTrue(F(-0.0)));
  EXPECT_FALSE(valueIsTrue(F(std::nan(""))));
  EXPECT_TRUE(valueIsTrue(Value::makeString("")));
  EXPECT_FALSE(valueIsTrue(Value::makeString(nullptr)));
  EXPECT_FALSE(valueIsTrue(Value::makeObject(nullptr)));
  EXPECT_TRUE(valueIsTrue(Value::makeObject(newYoungObject<KVobj>())));
  EXPECT_FALSE(valueIsTrue(Value()));
  EXPECT_FALSE(valueIsTrue(Value::makeNull()));
}

TEST_F(Values, TypeNamesComeFromTheSharedObjects) {
  KVstring names[kTypeNameCount];
  for (int i = 0; i < kTypeNameCount; ++i) gTypeNames[i] = &names[i];
  Value s = Value::makeString("x"), f = F(1), i = I(1), n = Value::makeNaN();
  EXPECT_EQ(valueTypeOf(&s), &names[kTypeNameString]);
  EXPECT_EQ(valueTypeOf(&f), &names[kTypeNameFloat]);
  EXPECT_EQ(valueTypeOf(&i), &names[kTypeNameInteger]);
  EXPECT_EQ(valueTypeOf(&n), &names[kTypeNameNaN]);
  Value so = Value::makeObject(&names[0]);
  EXPECT_EQ(valueTypeOf(&so), &names[kTypeNameString]);
  for (auto& p : gTypeNames) p = nullptr;
}

}  // namespace
