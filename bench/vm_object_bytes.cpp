// Heap bytes per object made by a script: a two-member literal object, a
// three-member object made by new of a script function, an array of eight
// integers and a closure of one captured variable, beside what lua5.4's
// collectgarbage("count") says the same objects take there.
//
// Each kind is measured as the difference of two runs that keep 1,000 and
// 3,000 objects alive: the program, its globals and the array holding the
// objects are the same in both, so what is left is the objects alone. The
// live heap is counted after the young objects moved out of the nursery and
// a full collection swept the old space: block headers and rounding
// included, storage outside the heap (array elements, the captured cells
// and copies of activations closures keep) too.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/library/library_hooks.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/scheduler.h"

namespace {

struct Kind {
  const char* name;
  const char* script;  // an expression of k
  const char* lua;     // the same in Lua
};

const Kind kKinds[] = {
    {"literal object {x, y}", "{x: k, y: k + 1}", "{x = k, y = k + 1}"},
    {"new of a script function, 3 members", "new P(k, k + 1, k + 2)", "P.new(k, k + 1, k + 2)"},
    {"array of 8 integers", "[k, 1, 2, 3, 4, 5, 6, 7]", "{k, 1, 2, 3, 4, 5, 6, 7}"},
    {"closure of one captured variable", "mk(k)", "mk(k)"},
};

// The bytes the collected heap holds now: the old space less its free runs,
// the survivor half in use, the nursery's used part, the storage heap
// objects own outside it and the closures' blocks outside it (captured
// cells, copies of activations).
double liveBytes() {
  using kv::gHeap;
  size_t old = static_cast<size_t>(gHeap.oldLimit - gHeap.oldStart) - kv::oldSpaceFree();
  size_t young = static_cast<size_t>((gHeap.fromCursor - gHeap.fromStart) + (gHeap.nurseryCursor - gHeap.nurseryStart));
  return static_cast<double>(old + young + gHeap.externalLive + kv::closureCopyBytes());
}

// Runs the program keeping `count` objects of the kind; answers the live
// bytes once they are all out of the nursery and the old space is swept,
// or a negative number when the program did not run.
double keptBytes(const std::string& folder, const Kind& kind, int count) {
  std::string path = folder + "/main.kvj";
  std::ofstream(path, std::ios::binary)
      << "function P(a, b, c) { this.a = a; this.b = b; this.c = c; }\n"
         "function mk(v) { return function () { return v; }; }\n"
         "var keep = new Array(3000), k;\n"
         "for (k = 0; k < " << count << "; k++) keep[k] = " << kind.script << ";\n"
         "while (true) { wait; }\n";
  kv::initGcHeap();
  kv::installRuntimeLibrary();
  kv::bootstrapObjectSystem();
  kv::initRuntimeConstants();
  try {
    kv::resetCompilerState();
    kv::compileSourceFile(path.c_str(), true);
  } catch (const kv::CompileError& e) {
    std::fprintf(stderr, "compile error %d\n", e.code);
    return -1;
  }
  const kv::CompileResults& r = kv::compileResults();
  if (!r.program) return -1;
  kv::KVContext* ctx = kv::createMainContext();
  kv::setupMainProgram(ctx, &r.program->body, r.builtinCount, r.globalCount);
  kv::Scheduler::addThread(ctx);
  double bytes = -1;
  try {
    for (int tick = 0; tick < 3; ++tick) kv::Scheduler::tick();
    // Enough minor collections to move every survivor into the old space.
    for (int i = 0; i < 8; ++i) kv::minorCollect();
    kv::fullCollect();
    bytes = liveBytes();
  } catch (const kv::RuntimeError& e) {
    std::fprintf(stderr, "runtime error %d\n", e.code);
  }
  kv::Scheduler::reset();
  kv::destroyContext(ctx);
  std::remove(path.c_str());
  return bytes;
}

// The same in Lua: collectgarbage("count") around making the objects, 3,000
// against 1,000 as above; a negative number when lua5.4 did not run.
double luaBytes(const std::string& folder, const Kind& kind) {
  std::string path = folder + "/objects.lua";
  std::ofstream(path, std::ios::binary)
      << "local P = {}\nP.__index = P\n"
         "function P.new(a, b, c) return setmetatable({a = a, b = b, c = c}, P) end\n"
         "local function mk(v) return function () return v end end\n"
         "local keep = {}\n"
         "local function measure(n)\n"
         "  for k = 1, 3000 do keep[k] = false end\n"
         "  collectgarbage('collect') collectgarbage('collect')\n"
         "  local before = collectgarbage('count')\n"
         "  for k = 1, n do keep[k] = " << kind.lua << " end\n"
         "  collectgarbage('collect') collectgarbage('collect')\n"
         "  return collectgarbage('count') - before\n"
         "end\n"
         "print(string.format('%.1f', (measure(3000) - measure(1000)) * 1024 / 2000))\n";
  std::string command = "lua5.4 " + path + " 2>/dev/null";
  FILE* lua = popen(command.c_str(), "r");
  if (!lua) return -1;
  double bytes = -1;
  if (std::fscanf(lua, "%lf", &bytes) != 1) bytes = -1;
  pclose(lua);
  std::remove(path.c_str());
  return bytes;
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/kv-object-bytes-XXXXXX";
  if (!mkdtemp(tmpl)) return 2;
  std::string folder = tmpl;
  kv::initGcHeap();
  if (!kv::openLogFile((folder + "/kvlog.txt").c_str())) return 2;
  std::printf("%-40s %10s %10s %8s\n", "heap bytes per object", "script", "lua5.4", "ratio");
  int failures = 0;
  for (const Kind& kind : kKinds) {
    double few = keptBytes(folder, kind, 1000), many = keptBytes(folder, kind, 3000);
    double lua = luaBytes(folder, kind);
    if (few < 0 || many < 0) {
      std::printf("%-40s failed\n", kind.name);
      ++failures;
      continue;
    }
    double ours = (many - few) / 2000;
    if (lua > 0)
      std::printf("%-40s %10.1f %10.1f %8.2f\n", kind.name, ours, lua, ours / lua);
    else
      std::printf("%-40s %10.1f %10s\n", kind.name, ours, "-");
  }
  kv::initGcHeap();
  kv::closeLogFile();
  std::remove((folder + "/kvlog.txt").c_str());
  rmdir(folder.c_str());
  return failures ? 1 : 0;
}
