// The whole bootstrap and an assembled program of three threads run by the
// scheduler for several ticks; the log is compared line by line.
#include "vm_program.h"

namespace kvtest {
namespace {

using ThreadsRun = ProgramTest;

const char* kThreeThreads = R"(
.func main 0 2
LoadVariable 0 0 flags=2
LoadGlobal 46
EnterScope
MakeClosure worker
PushString "a"
PushInt138 2
Call 0
Assign
Pop137
LoadVariable 0 1 flags=2
LoadGlobal 46
EnterScope
MakeClosure worker
PushString "b"
PushInt138 2
Call 0
Assign
Pop137
LoadVariable 0 1 flags=1
GetMember setPriority flags=1
PushInt 0
PushInt138 1
Call 1
Pop137
.out
PushString "main 1"
.print
LoadGlobal 83
PushInt138 0
Call 0
Pop137
Wait
.out
LoadVariable 0 1 flags=1
GetMember getPriority flags=1
PushInt138 0
Call 1
.print
Wait
.out
PushString "main 3"
.print
ReturnUndefined
.end
.func worker 1 1
LoadVariable 0 0 flags=2
PushInt 0
Assign
Pop137
@again:
LoadVariable 0 0 flags=3
PushInt 1
CompoundAssign 1
Pop137
.out
LoadVariable 0 -1 flags=1
LoadVariable 0 0 flags=1
Concat
.print
LoadVariable 0 0 flags=1
PushInt 3
Less
JumpIfFalse109 @done
Wait
Jump117 @again
@done:
ReturnUndefined
.end
)";

TEST_P(ThreadsRun, ThreeThreadsOverSeveralTicks) {
  load(kThreeThreads);
  kv::Scheduler::addThread(ctx_);
  for (int i = 0; i < 5; ++i) {
    kv::Scheduler::tick();
    kv::writeLogLine(("tick " + std::to_string(i + 1)).c_str());
  }
  EXPECT_FALSE(kv::gMainProgramRunning);
  EXPECT_EQ(lines(), (Lines{"System: object-system's core completed.", "main 1", "tick 1", "0", "a1", "b1",
                            "tick 2", "main 3", "a2", "b2", "tick 3", "a3", "b3", "tick 4", "tick 5"}));
}

INSTANTIATE_TEST_SUITE_P(Stress, ThreadsRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
