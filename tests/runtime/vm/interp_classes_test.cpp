// Assembled programs over arrays, typed views, tuples and generators:
// literals, for-of, element reads and writes, and generator steps.
#include "vm_program.h"

namespace kvtest {
namespace {

using ClassRun = ProgramTest;

// main's locals: 0 the element, 1 the iterator, 2 the index, 3 the array
// [1, undefined, 3], 4 free for a test's own use.
const std::string kArrayMain = R"(
.func main 0 5
LoadVariable 0 3 flags=2
BeginArray
PushInt 1
AppendElement
PushUndefined
AppendElement
PushInt 3
AppendElement
EndArray
Assign
Pop137
)";

// a.name(args) on local 3; the result is dropped.
std::string sendTo(const std::string& name, const std::string& args, int n) {
  return "LoadVariable 0 3 flags=1\nGetMember " + name + " flags=1\n" + args + "PushInt138 " + std::to_string(n) +
         "\nCall 1\nPop137\n";
}

TEST_P(ClassRun, ForOfSkipsHolesAndElementsThatVanished) {
  run(kArrayMain + R"(
LoadVariable 0 3 flags=1
ForOf -1
@loop:
ForOf 1
JumpIfFalse109 @done
.out
LoadVariable 0 0 flags=1
.print
.out
LoadVariable 0 2 flags=1
.print
Jump117 @loop
@done:
LoadVariable 0 3 flags=1
ForOf -1
@again:
ForOf 0
JumpIfFalse109 @end
.out
LoadVariable 0 0 flags=1
.print
)" + sendTo("shift", "", 0) + sendTo("shift", "", 0) + R"(
Jump117 @again
@end:
ReturnUndefined
.end
)");
  // The second loop shifts twice after printing 1: key 1 is gone, 3 stays.
  EXPECT_EQ(output(), (Lines{"1", "0", "3", "2", "1", "3"}));
}

TEST_P(ClassRun, ElementWritesPastTheEndStoreNothing) {
  run(kArrayMain + R"(
LoadVariable 0 3 flags=1
PushInt 10
GetIndexed flags=2
PushInt 5
Assign
Pop137
LoadVariable 0 3 flags=1
PushInt 10
GetIndexed flags=3
PushInt 1
CompoundAssign 1
Pop137
LoadVariable 0 3 flags=1
PushInt 2
GetIndexed flags=2
PushInt 7
Assign
Pop137
.out
LoadVariable 0 3 flags=1
PushInt 10
GetIndexed flags=1
.print
.out
LoadVariable 0 3 flags=1
PushInt 2
GetIndexed flags=1
.print
.out
LoadVariable 0 3 flags=1
GetMember length flags=1
.print
.out
PushUndefined
.print
ReturnUndefined
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"Wr0002", "Wr0002", "Wr0022", "[undefined]", "7", "3", "[undefined]"}));
  EXPECT_EQ(kv::gUndefinedCell.tag, kv::kUndefined);
}

TEST_P(ClassRun, ViewAndTupleElements) {
  run(R"(
.func main 0 3
LoadVariable 0 0 flags=2
LoadGlobal 36
PushInt 8
PushInt138 1
New
Assign
Pop137
LoadVariable 0 1 flags=2
LoadGlobal 42
LoadVariable 0 0 flags=1
PushInt 8
PushInt138 2
New
Assign
Pop137
LoadVariable 0 1 flags=1
PushInt 3
GetIndexed flags=2
PushInt 300
Assign
Pop137
LoadVariable 0 1 flags=1
PushInt 8
GetIndexed flags=2
PushInt 1
Assign
Pop137
.out
LoadVariable 0 1 flags=1
PushInt 3
GetIndexed flags=1
.print
LoadVariable 0 2 flags=2
LoadGlobal 28
PushInt 4
PushString "x"
PushInt 6
PushInt138 3
New
Assign
Pop137
.out
LoadVariable 0 2 flags=1
GetMember item2 flags=1
.print
.out
LoadVariable 0 2 flags=1
GetMember item3 flags=1
.print
.out
LoadVariable 0 2 flags=1
GetMember item4 flags=1
.print
ReturnUndefined
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"Wr0019", "44", "x", "6", "[undefined]"}));
}

// A generator yielding a, then a + 1; main prints done and value of four steps.
TEST_P(ClassRun, GeneratorStepsEndDone) {
  std::string step = R"(
LoadVariable 0 2 flags=2
LoadVariable 0 1 flags=1
GetMember next flags=1
PushInt 99
PushInt138 1
Call 1
Assign
Pop137
.out
LoadVariable 0 2 flags=1
GetMember done flags=1
.print
.out
LoadVariable 0 2 flags=1
GetMember value flags=1
.print
)";
  run(R"(
.func main 0 3
LoadVariable 0 0 flags=2
EnterScope
MakeClosure gen
Assign
Pop137
LoadVariable 0 1 flags=2
LoadVariable 0 0 flags=1
PushInt 5
PushInt138 1
Call 0
Assign
Pop137
.out
LoadVariable 0 1 flags=1
TypeOf
.print
)" + step + step + step + step + R"(
.out
LoadVariable 0 1 flags=1
GetMember next flags=1
PushInt138 0
Call 1
.print
ReturnUndefined
.end
.func gen 1 0 generator
LoadVariable 0 -1 flags=1
Yield 0
Pop137
LoadVariable 0 -1 flags=1
PushInt 1
Add
Yield 0
Pop137
GeneratorReturn
.end
)");
  EXPECT_EQ(output(), (Lines{"object", "false", "5", "false", "6", "true", "[undefined]", "true", "[undefined]",
                             "[object]"}));
}

// The sort intrinsics on [1, undefined, 3]: the buffer, a swap, a range
// merged with no comparison (every pair meets the undefined entry), the
// write-back; then [5, 4], whose one comparison gets the answer false
// without a call. Main's local 0 keeps the sort's mark.
TEST_P(ClassRun, SortIntrinsicsWorkOnTheBuffer) {
  const std::string arr = "LoadVariable 0 3 flags=1\n";
  const std::string two = "LoadVariable 0 4 flags=1\n";
  // range(comparator, lo, count, self, array) on local 1 or 2.
  const auto range = [](int local, const std::string& array, int count) {
    return ".out\nLoadVariable 0 " + std::to_string(local) + " flags=1\nPushUndefined\nPushInt 0\nPushInt " +
           std::to_string(count) + "\nPushUndefined\n" + array + "PushInt138 5\nCall 0\n.print\n";
  };
  run(kArrayMain + R"(
LoadVariable 0 4 flags=2
BeginArray
PushInt 5
AppendElement
PushInt 4
AppendElement
EndArray
Assign
Pop137
LoadVariable 0 1 flags=2
EnterScope
MakeClosure merged
Assign
Pop137
LoadVariable 0 2 flags=2
EnterScope
MakeClosure answered
Assign
Pop137
.out
)" + arr + "CallIntrinsic 9\n.print\n" +
      arr + "PushInt 0\nCallIntrinsic 10\n" +  // [u, 1, 3]
      range(1, arr, 3) +                         // [1, 3, u]
      ".out\n" + arr + "PushInt 1\nCallIntrinsic 11\n.print\n" +
      arr + "CallIntrinsic 17\n" +
      ".out\n" + arr + "PushInt 0\nGetIndexed flags=1\n.print\n" +
      ".out\n" + arr + "PushInt 2\nGetIndexed flags=1\n.print\n" +
      two + "CallIntrinsic 9\n" + range(2, two, 2) + two + "CallIntrinsic 17\n" +
      ".out\n" + two + "PushInt 0\nGetIndexed flags=1\n.print\n" +
      "PushInt 5\nPushUndefined\nPushInt 6\nCallIntrinsic 12\n.out\nCallIntrinsic 15\nTypeOf\n.print\n"
      "PushInt 5\nPushInt 4\nCallIntrinsic 12\n.out\nLoadVariable 0 3 flags=1\nCallIntrinsic 9\n.print\n"
      "ReturnUndefined\n.end\n"
      // Sets the range up and merges it: false, nothing left to compare.
      ".func merged 5 5\nCallIntrinsic 20\nCallIntrinsic 18\nReturn\n.end\n"
      // The merge stops at the comparator, x and y with true; the answer
      // false in their place takes y first.
      ".func answered 5 5\nCallIntrinsic 20\nCallIntrinsic 18\nPop137\nPop137\nPop137\nPop137\nPushInt 0\n"
      "CallIntrinsic 19\nReturn\n.end\n");
  // Operation 15 pushes the sort's recursion, a function the library builds.
  EXPECT_EQ(output(), (Lines{"true", "false", "3", "1", "[undefined]", "false", "4", "function", "true"}));
}

INSTANTIATE_TEST_SUITE_P(Stress, ClassRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
