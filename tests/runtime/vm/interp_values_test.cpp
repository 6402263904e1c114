// Arithmetic, bit operations, equality, truth and ++/-- in assembled programs.
#include "vm_program.h"

namespace kvtest {
namespace {

using ValuesRun = ProgramTest;

// One printed line per three-record group "left right Op".
std::string printEach(std::initializer_list<const char*> groups) {
  std::string text = ".func main 0 0\n";
  for (const char* g : groups) text += std::string(".out\n") + g + "\n.print\n";
  return text + ".end\n";
}

TEST_P(ValuesRun, Arithmetic) {
  run(printEach({"PushInt 7\nPushInt 2\nDiv", "PushInt -7\nPushInt 2\nMod", "PushInt 7\nPushDouble 2.0\nDiv",
                 "PushInt 1\nPushInt 0\nDiv", "PushInt 2147483647\nPushInt 1\nAdd",
                 "PushInt -2147483648\nPushInt -1\nDiv", "PushInt 3\nPushInt 4\nMul\nNegate",
                 "PushDouble 2.5\nToInt", "PushInt 2\nToFloat", "PushNaN\nNegate"}),
      false);
  EXPECT_EQ(output(), (Lines{"3", "-1", "3.500000", "[NaN]", "-2147483648", "-2147483648", "-12", "2",
                             "2.000000", "[NaN]"}));
}

TEST_P(ValuesRun, BitOperationsAndShifts) {
  run(printEach({"PushInt 6\nPushInt 3\nBitAnd", "PushInt 6\nPushInt 3\nBitOr", "PushInt 6\nPushInt 3\nBitXor",
                 "PushInt 1\nPushInt 33\nShiftLeft", "PushInt -16\nPushInt 2\nShiftRight",
                 "PushInt 5\nBitNot", "PushDouble 2.5\nBitNot", "PushNaN\nBitNot", "PushDouble 6.9\nPushInt 3\nBitAnd"}),
      false);
  EXPECT_EQ(output(), (Lines{"2", "7", "5", "2", "-4", "-6", "-3", "[NaN]", "2"}));
}

TEST_P(ValuesRun, ComparisonsAndEquality) {
  run(printEach({"PushInt 1\nPushInt 1\nEqual", "PushInt 1\nPushDouble 1.0\nEqual", "PushNaN\nPushNaN\nEqual",
                 "PushString \"abc\"\nPushString \"ab\"\nPushString \"c\"\nConcat\nEqual",
                 "PushString \"abc\"\nPushString \"abd\"\nNotEqual", "PushNull\nPushUndefined\nEqual",
                 "PushInt 2\nPushInt 3\nLess", "PushInt 3\nPushInt 3\nLess 1", "PushDouble 3.5\nPushInt 3\nGreater",
                 "PushNaN\nPushInt 3\nGreater 1"}),
      false);
  EXPECT_EQ(output(), (Lines{"true", "false", "false", "true", "true", "false", "true", "true", "true", "false"}));
}

TEST_P(ValuesRun, TruthOfFloatsNaNAndNull) {
  std::string text = ".func main 0 0\n";
  int k = 0;
  for (const char* v : {"PushDouble 1.0", "PushDouble 0.0", "PushNaN", "PushNull", "PushInt 2", "PushString \"\""}) {
    std::string f = "@f" + std::to_string(k), n = "@n" + std::to_string(k++);
    text += std::string(v) + "\nJumpIfFalse121 " + f + "\n.out\nPushString \"T\"\n.print\nJump117 " + n + "\n" + f +
            ":\n.out\nPushString \"F\"\n.print\n" + n + ":\n";
  }
  text += ".out\nPushDouble 0.5\nNot\n.print\n.out\nPushInt 0\nNot\n.print\n.end\n";
  run(text);
  // The run-time not answers a boolean; only the folded {PushInt 0, Not} stays the integer 1.
  EXPECT_EQ(output(), (Lines{"T", "F", "F", "F", "T", "T", "false", "1"}));
}

TEST_P(ValuesRun, IncrementAndDecrementSteps) {
  run(R"(
.func main 0 1
LoadVariable 0 0 flags=2
PushInt 5
Assign
Pop137
.out
LoadVariable 0 0 flags=1
.print
.out
LoadVariable 0 0 flags=3
Increment 0
.print
LoadVariable 0 0 flags=2
IncrementInPlace 0
.out
LoadVariable 0 0 flags=1
.print
.out
LoadVariable 0 0 flags=1
.print
LoadVariable 0 0 flags=2
DecrementInPlace 0
LoadVariable 0 0 flags=2
DecrementInPlace 0
.out
LoadVariable 0 0 flags=1
.print
.end
)");
  EXPECT_EQ(output(), (Lines{"5", "6", "7", "7", "5"}));
}

TEST_P(ValuesRun, StepsOnAFloatWarnAndKeepTheValue) {
  std::string text = ".func main 0 1\nLoadVariable 0 0 flags=2\nPushDouble 1.5\nAssign\nPop137\n";
  for (int i = 0; i < 6; ++i) text += "LoadVariable 0 0 flags=3\nIncrement 0\nPop137\n";
  text += ".out\nLoadVariable 0 0 flags=1\n.print\n.end\n";
  run(text);
  EXPECT_EQ(shortOutput(), (Lines{"Wr0016", "Wr0016", "Wr0016", "Wr0016", "1.500000"}));
}

TEST_P(ValuesRun, IntegerStepsWrapAndMissingCellsWarn) {
  run(R"(
.func main 0 1
LoadVariable 0 0 flags=2
PushInt 2147483647
Assign
Pop137
.out
LoadVariable 0 0 flags=3
Increment 0
.print
.out
PushInt 3
GetMember x flags=3
Increment 1
.print
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"-2147483648", "Wr0022", "[undefined]"}));
}

TEST_P(ValuesRun, CompoundAssignment) {
  run(R"(
.func main 0 1
LoadVariable 0 0 flags=2
PushInt 10
Assign
Pop137
.out
LoadVariable 0 0 flags=3
PushInt 4
CompoundAssign 2
.print
.out
LoadVariable 0 0 flags=1
.print
.out
PushInt 3
GetMember x flags=3
PushInt 1
CompoundAssign 1
.print
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"6", "6", "Wr0022", "[undefined]"}));
}

TEST_P(ValuesRun, ConcatLeavesItsOperandsAlone) {
  run(R"(
.func main 0 2
LoadVariable 0 0 flags=2
PushString "ab"
Assign
Pop137
LoadVariable 0 1 flags=2
LoadVariable 0 0 flags=1
PushInt 5
Concat
Assign
Pop137
.out
LoadVariable 0 1 flags=1
.print
.out
LoadVariable 0 0 flags=1
PushString "cd"
Concat
.print
.out
LoadVariable 0 0 flags=1
.print
.out
LoadVariable 0 1 flags=1
TypeOf
.print
.end
)");
  EXPECT_EQ(output(), (Lines{"ab5", "abcd", "ab", "string"}));
}

INSTANTIATE_TEST_SUITE_P(Stress, ValuesRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
