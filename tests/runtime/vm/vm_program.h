// Runs assembled programs on a fresh object system and reads back what the
// print native wrote to the log, line by line.
#pragma once

#include <string>
#include <vector>

#include "runtime/vm/code.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/runtime/vm/assembler.h"
#include "vm_fixture.h"

namespace kvtest {

// Parameterised on the collector's stress switch: every program runs once
// plainly and once with a collection at every allocation.
class ProgramTest : public VmTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    kv::setMessagePumpHook(nullptr);
    kv::setRuntimeLoadHook(nullptr);
    kv::setWaitBlockingHooks(nullptr, nullptr);
    kv::gGlobalObject->areas[0][kPrintGlobal] = kv::Value::makeObject(nativeFunction(&printNative, 1));
    firstLine_ = lines().size();
    kv::setGcStress(GetParam());
  }
  void TearDown() override {
    kv::setMessagePumpHook(kv::defaultMessagePump());
    VmTest::TearDown();
  }

  // Writes argument 0's text as one log line.
  static void printNative(kv::KVContext* ctx) {
    kv::writeLogLine(kv::valueToString(ctx->arg(0)));
    ctx->pushUndefined();
  }

  // Assembles the text, installs its first function as the main program on
  // the main context and runs it to its end or suspension.
  void run(const std::string& text, bool fold = true) {
    load(text, fold);
    resume();
  }
  void load(const std::string& text, bool fold = true) {
    asm_ = std::make_unique<Assembler>(fold);
    asm_->assemble(text);
    AsmFunction& m = asm_->main();
    if (!ctx_) mainContext();
    kv::setupMainProgram(ctx_, &m.record->body, m.params, m.locals);
  }
  void resume() {
    kv::gCurrentContext = ctx_;
    kv::resumeContext(ctx_);
  }

  std::vector<std::string> lines() const { return logLines(); }
  // The lines written since the test began.
  std::vector<std::string> output() const {
    std::vector<std::string> all = lines();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(firstLine_, all.size())), all.end());
  }
  // Output with each warning or error line cut to its code, e.g. "Wr0016".
  std::vector<std::string> shortOutput() const {
    std::vector<std::string> out;
    for (std::string l : output()) {
      size_t p = l.find("(Wr");
      if (p == std::string::npos) p = l.find("(Ex");
      if (p != std::string::npos) l = l.substr(p + 1, 6);
      out.push_back(l);
    }
    return out;
  }

  std::unique_ptr<Assembler> asm_;
  size_t firstLine_ = 0;
};

using Lines = std::vector<std::string>;

}  // namespace kvtest
