// Compiles a script text on a fresh object system and runs it through the
// scheduler, one tick at a time, as the game loop would; answers the log
// lines the run wrote. Parameterised on the collector's stress switch.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "media/graphics/soft_image.h"
#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {

class ScriptTest : public LibraryTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    kv::setMessagePumpHook(nullptr);
    ZaDod::InitializeSoftImageManage();
  }
  void TearDown() override {
    ZaDod::TerminateSoftImageManage();
    kv::setMessagePumpHook(kv::defaultMessagePump());
    LibraryTest::TearDown();
  }

  // The log lines of the run, warnings from their code on ("Wr0006 F:0 L:0
  // non-function object was called"); "error N" when the run ended by
  // runtime error N.
  std::vector<std::string> runScript(const std::string& source, long ticks = 50) {
    return runScriptStressed(source, ticks, GetParam());
  }

  // The same with the collector's stress switch given by the caller.
  std::vector<std::string> runScriptStressed(const std::string& source, long ticks, bool stress) {
    std::string path = dir_ + "/main.kvj";
    std::ofstream(path, std::ios::binary) << source;
    size_t first = logLines().size();
    try {
      kv::resetCompilerState();
      kv::compileSourceFile(path.c_str(), true);
    } catch (const kv::CompileError& e) {
      ADD_FAILURE() << "compile error " << e.code;
      return {};
    }
    std::remove(path.c_str());
    const kv::CompileResults& r = kv::compileResults();
    if (!r.program) {
      ADD_FAILURE() << "no program";
      return {};
    }
    kv::setGcStress(stress);
    kv::setupMainProgram(ctx_, &r.program->body, r.builtinCount, r.globalCount);
    kv::Scheduler::addThread(ctx_);
    std::vector<std::string> extra;
    try {
      for (long tick = 0; tick < ticks && kv::gMainProgramRunning; ++tick) kv::Scheduler::tick();
    } catch (const kv::RuntimeError& e) {
      extra.push_back("error " + std::to_string(e.code));
    } catch (const std::exception&) {
      extra.push_back("aborted");
    }
    kv::setGcStress(false);
    std::vector<std::string> all = logLines();
    std::vector<std::string> out;
    for (size_t i = first; i < all.size(); ++i) {
      std::string l = all[i];
      size_t w = l.find("(Wr");
      if (w != std::string::npos) l = l.substr(w + 1, 6) + l.substr(w + 8);
      if (l.rfind("System:", 0) == 0 || l.rfind("Aborting", 0) == 0) continue;
      out.push_back(l);
    }
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
  }
};

}  // namespace kvtest
