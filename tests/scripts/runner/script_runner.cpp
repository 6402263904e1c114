// Runs one script case: compiles <case>/main.kvj (or the .kvj file given) on a
// fresh object system, runs the main program until it ends (or a tick limit),
// writes kvlog.txt into the output folder and, when <case>/expected.txt
// exists, checks that its lines appear in the log in that order. A case's
// compile_first.kvj is compiled before main.kvj.
//
// With --write-obj the program is compiled and written as an object file into
// the output folder and not run; with --read-obj it is read from there and
// run instead of compiled. Module sources that <case>/objects.txt names are
// written as object files first in every mode, and a module name not ending
// in ".kvj" is read as an object file. With --unfused every record runs by its
// own handler, no fused step chosen (the value-model test runs both ways).
//
//   script_runner [--unfused] [--write-obj | --read-obj] <case-folder | file.kvj> [<output-folder>] [<tick-limit>]
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/library/library_hooks.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/fuse.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/scheduler.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/scripts/runner/object_modes.h"

namespace {

enum class Mode { Source, WriteObject, ReadObject };

std::string gCaseFolder;
std::string gMainPath;
Mode gMode = Mode::Source;
bool gWriteFailed = false;

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

// The runner's module loader: compiles "<case>/<module>" without
// includes, in place of the runtime library's loader.
bool testRuntimeLoad(const char* module, kv::ModuleProgram* out) {
  std::string name = module;
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".kvj") != 0) {
    std::optional<kv::LoadedProgram> p = kv::readObjFile(module, true);
    if (!p) {
      kv::resetObjAtomTable();
      return false;
    }
    out->code = p->main->code;
    out->firstCount = p->firstCount;
    out->secondCount = p->secondCount;
    return true;
  }
  std::string path = gCaseFolder + "/" + module;
  try {
    kv::resetCompilerState();
    kv::compileSourceFile(path.c_str(), false);
  } catch (const kv::CompileError& e) {
    kv::logCompileError(e);
    return false;
  }
  const kv::CompileResults& r = kv::compileResults();
  if (!r.program) return false;
  out->code = r.program->body.code;
  out->firstCount = r.builtinCount;
  out->secondCount = r.globalCount;
  return true;
}

// A case may hold a source that is compiled (and fails) first, to show that
// a failed compilation leaves nothing behind for the next one.
void compileFirst() {
  std::string path = gCaseFolder + "/compile_first.kvj";
  if (!std::filesystem::exists(path)) return;
  try {
    kv::resetCompilerState();
    kv::compileSourceFile(path.c_str(), true);
  } catch (const kv::CompileError& e) {
    kv::logCompileError(e);
  }
}

// The program to run: compiled from the case's source or read from its
// object file; nothing when none was made.
std::optional<kv::LoadedProgram> loadProgram() {
  if (gMode == Mode::ReadObject) return kv::test::readProgramObject();
  compileFirst();
  try {
    kv::resetCompilerState();
    kv::compileSourceFile(gMainPath.c_str(), true);
  } catch (const kv::CompileError& e) {
    kv::logCompileError(e);
    kv::logSystem("compile error occured; cannot generate any programs.");
    return std::nullopt;
  }
  const kv::CompileResults& r = kv::compileResults();
  if (!r.program) {
    kv::logSystem("no program found.");
    return std::nullopt;
  }
  return kv::LoadedProgram{&r.program->body, r.builtinCount, r.globalCount};
}

// Loads and runs (or only writes); answers false when no program was made.
bool runCase(long tickLimit) {
  std::optional<kv::LoadedProgram> program = loadProgram();
  if (!program) return false;
  if (gMode == Mode::WriteObject) {
    try {
      kv::test::writeProgramObject(*program, gMainPath);
    } catch (const kv::ObjfileError&) {
      gWriteFailed = true;  // logged by the writer
    }
    return true;
  }
  kv::KVContext* ctx = kv::createMainContext();
  kv::setupMainProgram(ctx, program->main, program->firstCount, program->secondCount);
  // The scheduler runs the main program and the threads it spawns, one
  // tick per frame, until the main program ends.
  kv::Scheduler::addThread(ctx);
  try {
    for (long tick = 0; tick < tickLimit && kv::gMainProgramRunning; ++tick) kv::Scheduler::tick();
  } catch (const kv::RuntimeError& e) {
    kv::logSystemError(e.code);
    kv::logSystem("runtime error occured; the program was aborted.");
  } catch (const std::exception&) {
    // The interpreter logged why it aborted the run.
  }
  kv::Scheduler::reset();
  kv::destroyContext(ctx);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--unfused") {
    kv::setRecordFusion(false);
    --argc;
    ++argv;
  }
  if (argc > 1 && std::string(argv[1]) == "--write-obj") gMode = Mode::WriteObject;
  if (argc > 1 && std::string(argv[1]) == "--read-obj") gMode = Mode::ReadObject;
  if (gMode != Mode::Source) {
    --argc;
    ++argv;
  }
  if (argc < 2) {
    std::cerr << "usage: script_runner [--unfused] [--write-obj | --read-obj] <case-folder | file.kvj> [<output-folder>] "
                 "[<tick-limit>]\n";
    return 2;
  }
  std::filesystem::path source = std::filesystem::absolute(argv[1]);
  bool isFile = source.extension() == ".kvj";
  gMainPath = isFile ? source.string() : (source / "main.kvj").string();
  gCaseFolder = isFile ? source.parent_path().string() : source.string();
  if (gCaseFolder.empty()) gCaseFolder = ".";
  std::string outFolder;
  if (argc > 2) {
    outFolder = argv[2];
  } else {
    char tmpl[] = "/tmp/kv-script-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    outFolder = tmpl;
  }
  long tickLimit = argc > 3 ? std::atol(argv[3]) : 100000;
  std::filesystem::create_directories(outFolder);
  // Object files are written to and read from the output folder.
  std::filesystem::current_path(outFolder);
  if (gMode == Mode::WriteObject) {
    std::filesystem::remove("no-program");
    std::filesystem::remove("main.obj");
  }
  std::string logPath = std::filesystem::absolute("kvlog.txt").string();

  kv::initGcHeap();
  if (!kv::openLogFile(logPath.c_str())) {
    std::cerr << "cannot open " << logPath << "\n";
    return 2;
  }
  kv::installRuntimeLibrary();
  kv::bootstrapObjectSystem();
  kv::initRuntimeConstants();
  kv::setRuntimeLoadHook(testRuntimeLoad);
  kv::test::writeModuleObjects(gCaseFolder);
  bool made = runCase(tickLimit);
  kv::initGcHeap();  // objects that own storage outside the heap release it
  kv::closeLogFile();

  if (isFile) return 0;
  // A case that compiles to nothing has no object file to read back.
  if (gMode == Mode::WriteObject) {
    if (!made) std::ofstream("no-program");
    return gWriteFailed ? 1 : 0;
  }
  if (gMode == Mode::ReadObject && std::filesystem::exists("no-program")) return 0;
  if (gMode == Mode::ReadObject && !made) {
    std::cerr << "the object file could not be run\n";
    return 1;
  }
  std::vector<std::string> expected = readLines(gCaseFolder + "/expected.txt");
  if (gMode == Mode::ReadObject) expected = kv::test::expectedFromObject(expected);
  if (expected.empty()) return 0;
  std::vector<std::string> log = readLines(logPath);
  if (gMode == Mode::ReadObject)
    for (std::string& line : log) line = kv::test::withoutPositions(line);
  size_t at = 0;
  for (const std::string& line : log)
    if (at < expected.size() && line == expected[at]) ++at;
  if (at == expected.size()) return 0;
  std::cerr << "missing from " << logPath << " (in order): " << expected[at] << "\n--- log ---\n";
  for (const std::string& line : log) std::cerr << line << "\n";
  return 1;
}
