// Switch, exceptions and closures in assembled programs.
#include "vm_program.h"

namespace kvtest {
namespace {

using FlowRun = ProgramTest;

std::string switchProgram(const std::string& value, const std::string& table) {
  return ".func main 0 0\n" + value + "\nSwitch @end " + table + R"(
Nop114 @c1
.out
PushString "one"
.print
Nop114 @c2
.out
PushString "two"
.print
Jump117 @end
Nop115 @d
.out
PushString "default"
.print
Nop116 @end
.out
PushString "end"
.print
.end
)";
}

TEST_P(FlowRun, SwitchFallsThroughAndPicksItsDefault) {
  const std::string table = "case 1 @c1 case 2 @c2 default @d";
  run(switchProgram("PushInt 1", table));
  EXPECT_EQ(output(), (Lines{"one", "two", "end"}));
  firstLine_ = lines().size();
  run(switchProgram("PushInt 2", table));
  EXPECT_EQ(output(), (Lines{"two", "end"}));
  firstLine_ = lines().size();
  run(switchProgram("PushInt 9", table));
  EXPECT_EQ(output(), (Lines{"default", "end"}));
  firstLine_ = lines().size();
  run(switchProgram("PushDouble 1.0", table));
  EXPECT_EQ(output(), (Lines{"default", "end"}));
  // A default that is not the last entry is not taken for a miss.
  firstLine_ = lines().size();
  run(switchProgram("PushInt 9", "default @d case 1 @c1 case 2 @c2"));
  EXPECT_EQ(output(), (Lines{"end"}));
}

// try { f() } catch (e) { print(e.msg or typeof e) } finally { print "finally" }
std::string tryProgram(const std::string& thrower) {
  return R"(
.func main 0 2
LoadVariable 0 1 flags=2
EnterScope
MakeClosure thrower
Assign
Pop137
LoadVariable 0 1 flags=1
PushInt138 0
Call 0
JumpToHandlerIfThrown @catch
Pop137
JumpPast @finally
StoreCaught129 0 0 @catch
.out
LoadVariable 0 0 flags=1
TypeOf
.print
.out
LoadVariable 0 0 flags=1
GetMember msg flags=1
.print
Nop130 @catch,@finally
.out
PushString "finally"
.print
JumpIfThrown @catch,@finally,@end @exit
.out
PushString "after"
.print
.end
.func thrower 0 0
)" + thrower + R"(
.out
PushString "not reached"
.print
ReturnUndefined
.end
)";
}

TEST_P(FlowRun, TryCatchFinally) {
  run(tryProgram("BeginObject\nPushString \"boom\"\nDefineMember msg\nEndObject\nThrow 1 @exit"));
  EXPECT_EQ(output(), (Lines{"object", "boom", "finally", "after"}));
  EXPECT_EQ(ctx_->exception, nullptr);
}

TEST_P(FlowRun, ThrowingANonObjectThrowsAPlainObject) {
  run(tryProgram("PushInt 5\nThrow 1 @exit"));
  EXPECT_EQ(output(), (Lines{"object", "[undefined]", "finally", "after"}));
}

TEST_P(FlowRun, WithoutAThrowTheCatchIsSkipped) {
  run(tryProgram("PushInt 5\nReturn\n"));
  EXPECT_EQ(output(), (Lines{"finally", "after"}));
}

TEST_P(FlowRun, AnUncaughtExceptionWarnsThroughTheContextRun) {
  run(R"(
.func main 0 0
PushInt 1
Throw 0 @exit
.out
PushString "not reached"
.print
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"Wr0013"}));
}

TEST_P(FlowRun, ClosuresKeepWhatTheyCapturedAndShareGlobals) {
  run(R"(
.func main 1 1
LoadVariable 0 -1 flags=2
PushInt 1
Assign
Pop137
LoadVariable 0 0 flags=2
EnterScope
MakeClosure outer
PushInt138 0
Call 0
Assign
Pop137
LoadVariable 0 -1 flags=2
PushInt 2
Assign
Pop137
LoadVariable 0 0 flags=1
PushInt138 0
Call 0
Pop137
.out
LoadVariable 0 -1 flags=1
.print
.end
.func outer 0 1
LoadVariable 0 0 flags=2
PushInt 10
Assign
Pop137
EnterScope
MakeClosure inner
LoadVariable 0 0 flags=2
PushInt 20
Assign
Pop137
Return
.end
.func inner 0 0
.out
LoadVariable 1 0 flags=1
.print
.out
LoadVariable 2 -1 flags=1
.print
LoadVariable 2 -1 flags=2
PushInt 3
Assign
Pop137
ReturnUndefined
.end
)");
  EXPECT_EQ(output(), (Lines{"10", "2", "3"}));
}

TEST_P(FlowRun, LogicalJumpsKeepTheirOperand) {
  run(R"(
.func main 0 0
.out
PushInt 0
AndThen @a
PushString "not reached"
@a:
.print
.out
PushString "x"
OrElse @b
PushString "not reached"
@b:
.print
.out
PushInt 0
OrElse @c
PushString "right"
@c:
.print
.out
PushInt 3
ToBool58 @d
@d:
.print
.end
)");
  EXPECT_EQ(output(), (Lines{"false", "true", "right", "true"}));
}

INSTANTIATE_TEST_SUITE_P(Stress, FlowRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
