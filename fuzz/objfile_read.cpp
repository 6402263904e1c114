// Arbitrary bytes read as an object file through the file layer: every input
// ends with a loaded program or a logged error, never a crash, a hang, a leak
// or memory out of proportion to the input. A loaded program's records are
// walked, so whatever the reader built is really there.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/input_file.h"
#include "runtime/compiler/objfile.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/code.h"
#include "runtime/vm/errors.h"

namespace {

std::string gPath;

void walk(const kv::CodeVector& code, int depth) {
  if (depth > 16) std::abort();  // nesting is bounded by the reader
  for (const kv::CodeNode* n : code)
    if (n->kind == kv::MakeClosure) walk(*n->second.function->body.code, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The log writes every line to standard output; keep the fuzzer's own
  // output readable and fast.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  // A memory-backed folder where there is one: the input is written each run.
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  gPath = std::string(folder) + "/kv-fuzz-objfile-" + std::to_string(getpid()) + ".obj";
  std::atexit([] { std::remove(gPath.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzinput::writeInputFile(gPath, data, size);
  kv::initAtomTables();  // names interned by one input do not pile up
  kv::resetObjAtomTable();
  std::optional<kv::LoadedProgram> p = kv::readObjFile(gPath.c_str(), true);
  if (p) {
    const kv::CodeVector& main = *p->main->code;
    if (main.empty() || main.back()->kind != kv::End) std::abort();
    walk(main, 0);
  }
  kv::releaseLoadedProgramsForTests();
  return 0;
}
