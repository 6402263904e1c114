// The program's spine: start-up, obtaining the program and the game loop.
#include "runtime/library/runtime_main.h"

#include <ctime>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/system/fatal.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/win/win_handle.h"
#include "platform/win/process.h"
#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/compiler/objfile.h"
#include "runtime/compiler/source_files.h"
#include "runtime/compiler/symbol_text_pool.h"
#include "runtime/library/command_line.h"
#include "runtime/library/game_loop.h"
#include "runtime/library/layer.h"
#include "runtime/library/library_hooks.h"
#include "media/graphics/screen.h"
#include "runtime/library/runtime_state.h"
#include "runtime/library/save_file.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/context.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/scheduler.h"

namespace kv {
namespace {

constexpr int32_t kErrLibraryStart = 20;
constexpr int32_t kErrUnexpectedSystem = 23;

void logDateLine() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  std::string s = std::to_string(t.tm_year + 1900) + "/" + std::to_string(t.tm_mon + 1) + "/" +
                  std::to_string(t.tm_mday) + " " + std::to_string(t.tm_hour) + ":" + std::to_string(t.tm_min) +
                  ":" + std::to_string(t.tm_sec);
  logSystem(s.c_str());
}

std::string versionText() {
  return std::to_string(gRuntime.versionMajor) + "." + std::to_string(gRuntime.versionMinor) + "." +
         std::to_string(gRuntime.versionPatch);
}

// The tick's clock: the media layer's count, which never runs backwards.
uint64_t mediaMicroseconds() { return static_cast<uint64_t>(ZaDod::GetMicrosecondCount()); }

void startUp(int argc, const char* const* argv) {
  if (openLogFile(gSettings.logName)) logSystem("logfile open.");
  else logSystem("no logfile.");
  logMediaFatalErrors();
  flushPendingSystemWarnings();
  logDateLine();
  logSystem(("version " + versionText()).c_str());
  ZaDod::SetLogFileOutput(0);
  ZaDod::SetMainWindowText(("Halvorine " + versionText()).c_str());
  for (int i = 0; i < argc; ++i) logSystem(("argv[" + std::to_string(i) + "]: " + argv[i]).c_str());
  gRuntime.screenWidth = 640;
  gRuntime.screenHeight = 480;
  initGcHeap();
  createSymbolTextPool();
  logSystem("starting K.V.");
  installRuntimeLibrary();
  bootstrapObjectSystem();
  doubleLogLimit();
  if (gSettings.displayIndex >= 0) {
    int r = ZaDod::SetUseDisplayIndex(gSettings.displayIndex);
    logSystem(("SetUseDisplayIndex(" + std::to_string(gSettings.displayIndex) + ") -> " + std::to_string(r)).c_str());
  }
  ZaDod::ChangeWindowMode(1);
  if (ZaDod::SetWaitVSyncFlag(1) == -1 || ZaDod::InitializeLibrary() == -1) throw RuntimeError(kErrLibraryStart);
  Scheduler::setClock(&mediaMicroseconds);
}

const char* sourceName() { return gSettings.sourceName ? gSettings.sourceName : "main.kvj"; }

void install(KVContext* ctx, const LoadedProgram& p) {
  setupMainProgram(ctx, p.main, p.firstCount, p.secondCount);
  Scheduler::addThread(ctx);
}

// Answers whether a program was installed and is to run.
bool obtainProgram(KVContext* ctx) {
  ObjectFilePlan plan = objectFilePlan(gSettings.readLevel, gSettings.writeLevel);
  if (plan.read) {
    int start = ZaDod::GetMillisecondCount();
    std::optional<LoadedProgram> p = readObjFile(objFileNameFor(sourceName()).c_str(), gSettings.readLevel > 1);
    if (p) {
      install(ctx, *p);
      logObjFile(("succeeded in loading OBJ-file. [" + std::to_string(ZaDod::GetMillisecondCount() - start) + "ms]").c_str());
      return true;
    }
    logObjFile("failed in loading OBJ-file.");
    resetObjAtomTable();
    if (!plan.compileOnFailure) return false;
  }
  resetCompilerState();
  int start = ZaDod::GetMillisecondCount();
  try {
    compileSourceFile(gSettings.sourceName, true);
    if (compileResults().program)
      logSystem(("compiled successfully [" + std::to_string(ZaDod::GetMillisecondCount() - start) + "ms]").c_str());
  } catch (const CompileError& e) {
    logCompileError(e);
    logSystem("compile error occured; cannot generate any programs.");
  }
  const CompileResults& r = compileResults();
  if (!r.program) {
    logSystem("no program found.");
    return false;
  }
  LoadedProgram p{&r.program->body, r.builtinCount, r.globalCount};
  install(ctx, p);
  if (plan.write) {
    logSystem("writing OBJ-file.");
    writeObjFile(p, gSettings.sourceName);
  }
  if (!gSettings.execute) {
    logSystem("NON-Exec mode; ");
    return false;
  }
  return true;
}

// Steps from the first tick on; a script's runtime error ends the run in
// order with status 0, unlike the errors of the start-up.
void runProgram() {
  try {
    initRuntimeConstants();
    runGame();
  } catch (const RuntimeError& e) {
    logSystemError(e.code);
    logSystem("runtime error occured; the program was aborted.");
  }
}

void endRun() {
  ZaDod::TerminateLibrary();
  Scheduler::setClock(nullptr);
  // Threads an error left queued are dropped, and starting the heap over
  // makes the script objects that own storage outside it release it.
  Scheduler::reset();
  initGcHeap();
  resetLayerList();
  closeSaveFile();
  logSystem("closing logfile.");
  closeLogFile();
  sourceNameTable.clear();
}

}  // namespace

void logMediaFatalErrors() {
  ZaDod::SetFatalErrorHook([](const char* text) { logSystem(text); });
}

int runEndingInOrder(const std::function<void()>& body) {
  int status = 0;
  try {
    body();
  } catch (const ObjfileError&) {
    // The writer has logged why the object file could not be written.
    status = 1;
  } catch (const CompileError& e) {
    logCompileError(e);
    status = 1;
  } catch (const RuntimeError& e) {
    logSystemError(e.code);
    logSystem("runtime error occured; the program was aborted.");
    status = 1;
  } catch (const std::exception& e) {
    writeLogLine(e.what());
    status = 1;
  }
  endRun();
  return status;
}

int runtimeMain(int argc, const char* const* argv) {
  const char* source = nullptr;
  const char* log = nullptr;
  parseCommandLine(argc, argv, &source, &log);
  gSettings.sourceName = source;
  gSettings.logName = log;
  plat::win::HANDLE process = nullptr;
  int status = runEndingInOrder([&] {
    process = plat::win::OpenProcess(plat::win::PROCESS_QUERY_INFORMATION, 0, plat::win::GetCurrentProcessId());
    if (!process) throw RuntimeError(kErrUnexpectedSystem);
    logSystem("entry");
    startUp(argc, argv);
    KVContext* ctx = createMainContext();
    if (obtainProgram(ctx)) runProgram();
  });
  if (process) plat::win::CloseHandle(process);
  return status;
}

}  // namespace kv
