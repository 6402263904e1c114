// Arbitrary bytes read as an object file and, when the reader accepts them,
// run as the main program on the scheduler for a few ticks: counts that pass
// the reader's checks but exceed what a frame may hold, records in any order
// and threads spawned by the program all end with a numbered error, a logged
// abort or the end of the run, never a crash or a write outside a context.
// A fake message pump bounds the steps; module loading is switched off.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "fuzz/input_file.h"
#include "runtime/compiler/objfile.h"
#include "runtime/vm/code.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/scheduler.h"
#include "runtime/vm/vm_hooks.h"
#include "tests/runtime/vm/object_system.h"

namespace {

constexpr int kTicks = 6;
constexpr int kPumps = 40;  // about 10,000 records
std::string gFolder;
std::string gPath;
// Each input rebuilds the object system and loads a program; what that adds to
// the permanent stores is given back after the input, so memory stays flat.
kv::CodeArenaMark gArenaMark;
kv::PermanentStoresMark gStoresMark;
int gPumpCount = 0;

int limitedPump() { return ++gPumpCount > kPumps ? -1 : 0; }

void runLoaded(const kv::LoadedProgram& p) {
  kv::KVContext* ctx = kv::createMainContext();
  try {
    kv::setupMainProgram(ctx, p.main, p.firstCount, p.secondCount);
    kv::Scheduler::addThread(ctx);
    for (int tick = 0; tick < kTicks && kv::gMainProgramRunning; ++tick) kv::Scheduler::tick();
  } catch (const kv::RuntimeError&) {
  } catch (const std::exception&) {
  }
  kv::Scheduler::reset();
  kv::destroyContext(ctx);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The log writes every line to standard output; keep the fuzzer's own
  // output readable and fast.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  // Whatever a program writes goes into a folder of its own.
  char folder[] = "/tmp/kv-fuzz-objrun-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
  gFolder = folder;
  gArenaMark = kv::markCodeArena();
  gStoresMark = kv::markPermanentStores();
  gPath = gFolder + "/input.obj";
  std::atexit([] {
    std::remove(gPath.c_str());
    rmdir(gFolder.c_str());  // left when a program wrote files of its own
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzinput::writeInputFile(gPath, data, size);
  kvtest::freshObjectSystem();
  kv::setRuntimeLoadHook(nullptr);
  kv::setMessagePumpHook(&limitedPump);
  gPumpCount = 0;
  kv::resetObjAtomTable();
  std::optional<kv::LoadedProgram> p = kv::readObjFile(gPath.c_str(), true);
  if (p) runLoaded(*p);
  std::string fault = kv::verifyHeap();
  if (!fault.empty()) __builtin_trap();
  kv::releaseLoadedProgramsForTests();
  kvtest::releaseObjectSystem();
  kv::releasePermanentStoresTo(gStoresMark);
  kv::releaseCodeArenaTo(gArenaMark);
  return 0;
}
