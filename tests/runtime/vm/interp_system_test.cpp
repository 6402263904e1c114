// Module import, the message pump and failures inside a step.
#include <deque>
#include <stdexcept>

#include "vm_program.h"

namespace kvtest {
namespace {

using SystemRun = ProgramTest;

// Modules the fake loader hands out, by name.
std::map<std::string, std::unique_ptr<Assembler>>* gModules = nullptr;

bool fakeLoad(const char* name, kv::ModuleProgram* out) {
  auto it = gModules->find(name);
  if (it == gModules->end()) return false;
  AsmFunction& m = it->second->main();
  *out = {m.record->body.code, m.params, m.locals};
  return true;
}

// The compiler's walk: every Wait of the code (and of closures made in it)
// blocked or released.
void blockWaits(kv::CodeVector* code, bool blocked) {
  for (kv::CodeNode* n : *code) {
    if (n->kind == kv::MakeClosure && n->second.function && n->second.function->body.code)
      blockWaits(n->second.function->body.code, blocked);
    else if (blocked && n->kind == kv::Wait) {
      n->kind = kv::WaitForbidden;
      n->operand.i = kv::kWaitBlockedMark;
    } else if (!blocked && n->kind == kv::WaitForbidden && n->operand.i == kv::kWaitBlockedMark) {
      n->kind = kv::Wait;
    }
  }
}
void unblockWaits(kv::KVfobj* fn) {
  if (fn->callable && fn->callable->code) blockWaits(fn->callable->code, false);
}

class ImportRun : public SystemRun {
 protected:
  void SetUp() override {
    SystemRun::SetUp();
    gModules = &modules_;
    kv::setRuntimeLoadHook(&fakeLoad);
    kv::setWaitBlockingHooks(&blockWaits, &unblockWaits);
  }
  void TearDown() override {
    gModules = nullptr;
    SystemRun::TearDown();
  }
  void module(const std::string& name, const std::string& text) {
    auto a = std::make_unique<Assembler>();
    a->assemble(text);
    modules_[name] = std::move(a);
  }
  std::map<std::string, std::unique_ptr<Assembler>> modules_;
};

const char* kImportM = R"(
.func main 0 1
Import "m" 0 0
PushInt138 0
CallGuarded
JumpToHandlerIfThrown @exit
JumpToHandlerIfThrown @exit
ImportEnd
.out
LoadVariable 0 0 flags=1
GetMember x flags=1
.print
.out
LoadVariable 0 0 flags=1
GetMember y flags=1
.print
.end
)";

TEST_P(ImportRun, ModuleVariablesBecomeMembers) {
  module("m", R"(
.func m 0 2
LoadVariable 0 0 flags=2
PushInt 42
Assign
Pop137
LoadVariable 0 1 flags=2
PushString "why"
Assign
Pop137
End x:0 y:1
.end
)");
  run(kImportM);
  EXPECT_EQ(output(), (Lines{"42", "why"}));
  EXPECT_EQ(ctx_->importNesting, 0);
}

TEST_P(ImportRun, AnImportInsideAnImportWarns) {
  module("m", R"(
.func m 0 2
Import "n" 0 1
PushInt138 0
CallGuarded
JumpToHandlerIfThrown @exit
JumpToHandlerIfThrown @exit
ImportEnd
LoadVariable 0 0 flags=2
PushInt 1
Assign
Pop137
End x:0
.end
)");
  run(kImportM);
  EXPECT_EQ(shortOutput(), (Lines{"Wr0021", "Wr0006", "1", "[undefined]"}));
  EXPECT_EQ(ctx_->importNesting, 0);
}

TEST_P(ImportRun, WaitInAModuleTopLevelAbortsAndIsReleasedAfterwards) {
  module("m", ".func m 0 0\nWait\nEnd\n.end\n");
  try {
    run(kImportM);
    FAIL() << "wait ran";
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrWaitInImport);
  }
  EXPECT_EQ((*modules_["m"]->main().record->body.code)[0]->kind, kv::WaitForbidden);
}

TEST_P(ImportRun, AFailedLoadRaises17) {
  try {
    run(kImportM);
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrImportFailed);
  }
}

TEST_P(ImportRun, TheNonReturningImportReplacesTheProgramOnce) {
  module("m", ".func m 0 0\n.out\nPushString \"module runs\"\n.print\nImport \"m\"\n.end\n");
  run(".func main 0 0\nImport \"m\"\n.out\nPushString \"not reached\"\n.print\n.end\n");
  EXPECT_TRUE(ctx_->state & kv::KVContext::kSuspended);
  EXPECT_TRUE(output().empty());
  try {
    resume();
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrImportTwice);
  }
  EXPECT_EQ(output(), (Lines{"module runs"}));
}

TEST_P(ImportRun, TheNonReturningImportIsRefusedInASpawnedThread) {
  module("m", ".func m 0 0\n.end\n");
  mainContext();
  Assembler a;
  a.assemble(".func t 0 0\nImport \"m\"\n.end\n");
  auto* thread = new kv::KVContext;
  kv::setupMainProgram(thread, &a.main().record->body, 0, 0);
  kv::gCurrentContext = thread;
  try {
    kv::resumeContext(thread);
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrImportInThread);
  }
  kv::destroyContext(thread);
}

INSTANTIATE_TEST_SUITE_P(Stress, ImportRun, ::testing::Bool());

int32_t gPumpCalls = 0;
int32_t gPumpAnswer = 0;
int32_t countingPump() {
  ++gPumpCalls;
  return gPumpAnswer;
}

// n records exactly: pairs of PushNull and Pop137, and one more push.
std::string straightLine(int n) {
  std::string text = ".func main 0 0\n";
  for (int i = 0; i + 1 < n; i += 2) text += "PushNull\nPop137\n";
  if (n % 2) text += "PushNull\n";
  return text + ".end\n";
}

TEST_P(SystemRun, ThePumpRunsOncePer258RecordsAcrossContexts) {
  gPumpCalls = 0;
  gPumpAnswer = 0;
  kv::setMessagePumpHook(&countingPump);
  // Three windows of 258 records, whatever the counter held before.
  run(straightLine(258 * 3 - 300));
  Assembler other;
  other.assemble(straightLine(300));
  auto* thread = new kv::KVContext;
  kv::setupMainProgram(thread, &other.main().record->body, 0, 0);
  kv::gCurrentContext = thread;
  kv::resumeContext(thread);
  kv::destroyContext(thread);
  EXPECT_EQ(gPumpCalls, 3);
}

// Reaching the end of the records is no step, also when the count runs out
// there: the pump comes before the 259th step of the whole run, whichever
// context makes it.
TEST_P(SystemRun, TheEndOfTheRecordsIsNoStep) {
  for (int first : {257, 258, 259, 516}) {
    for (int second : {257, 258, 259}) {
      gPumpCalls = 0;
      gPumpAnswer = 0;
      kv::setMessagePumpHook(&countingPump);
      // One record at a time until the pump runs: the count then stands at
      // one step into its window.
      while (gPumpCalls == 0) run(straightLine(1));
      gPumpCalls = 0;
      run(straightLine(first));
      Assembler other;
      other.assemble(straightLine(second));
      auto* thread = new kv::KVContext;
      kv::setupMainProgram(thread, &other.main().record->body, 0, 0);
      kv::gCurrentContext = thread;
      kv::resumeContext(thread);
      kv::destroyContext(thread);
      EXPECT_EQ(gPumpCalls, (1 + first + second - 1) / 258) << first << " then " << second;
    }
  }
}

TEST_P(SystemRun, AClosedWindowEndsTheRunWithError6) {
  gPumpAnswer = -1;
  kv::setMessagePumpHook(&countingPump);
  try {
    run(straightLine(600));
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrWindowClosed);
    kv::logSystemError(e.code);
  }
  Lines out = output();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].rfind("ERROR: (Ex2006) F:0 L:", 0), 0u) << out[0];
  EXPECT_NE(out[0].find("main window was closed"), std::string::npos);
}

// A vector holding one record of the given kind after a push.
const kv::Callable* withKind(int32_t kind) {
  kv::gCompilePosition = {0, 7};
  static std::deque<kv::CodeVector> vectors;
  kv::CodeVector* code = &vectors.emplace_back(kv::CodeVector{kv::newNodePushNull(), kv::newNodePushNull()});
  (*code)[1]->kind = kind;
  return kv::permanentCallable(kv::Callable{nullptr, code, nullptr});
}

TEST_P(SystemRun, InvalidKindsAbortWithTwoSystemLines) {
  for (int32_t kind : {39, 106, 250}) {
    mainContext();
    kv::setupMainProgram(ctx_, withKind(kind), 0, 0);
    firstLine_ = lines().size();
    try {
      resume();
      FAIL() << kind;
    } catch (const kv::RuntimeError&) {
      FAIL() << kind;
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "unknown opcode");
    }
    EXPECT_EQ(output(), (Lines{"System: unknown opcode", "System: Aborting...0:7:1"}));
    kv::destroyContext(ctx_);
    ctx_ = nullptr;
  }
}

void failingNative(kv::KVContext*) { throw std::bad_alloc(); }

TEST_P(SystemRun, OutOfMemoryInANativeIsError7) {
  kv::gGlobalObject->areas[0][kPrintGlobal + 1] = kv::Value::makeObject(nativeFunction(&failingNative));
  try {
    run(".func main 0 0\nLoadGlobal 251\nPushInt138 0\nCall 0\n.end\n");
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrOutOfMemory);
  }
}

void throwingNative(kv::KVContext*) { throw std::out_of_range("bad index"); }

TEST_P(SystemRun, AFailureInANestedRunIsLoggedOnce) {
  kv::gGlobalObject->areas[0][kPrintGlobal + 1] = kv::Value::makeObject(nativeFunction(&throwingNative));
  try {
    run(R"(
.func main 0 0
EnterScope
MakeClosure f
PushInt138 0
Call 0
.end
.func f 0 0
LoadGlobal 251
PushInt138 0
Call 0
.end
)");
    FAIL();
  } catch (const kv::RuntimeError&) {
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "bad index");
  }
  Lines out = output();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "System: bad index");
  EXPECT_EQ(out[1], "System: Aborting...0:11:2");  // the Call record in f
}

TEST_P(SystemRun, IntrinsicsOutsideTheSortAreRefused) {
  run(".func main 0 0\nPushInt 1\nCallIntrinsic 2\nCallIntrinsic 0\n.end\n");
  EXPECT_EQ(ctx_->top, 0);
  try {
    run(".func main 0 0\nCallIntrinsic 7\n.end\n");
    FAIL();
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrUnexpected);
  }
}

INSTANTIATE_TEST_SUITE_P(Stress, SystemRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
