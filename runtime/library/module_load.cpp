// Modules imported while a script runs.
#include "runtime/library/module_load.h"

#include <cstring>
#include <optional>
#include <string>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/compiler/objfile.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

// Locks the atom table again however the load is left.
struct AtomTableOpen {
  AtomTableOpen() { atomTable().sealed = false; }
  ~AtomTableOpen() { atomTable().sealed = true; }
};

bool compileModule(const char* name, ModuleProgram* out) {
  try {
    resetCompilerState();
    compileSourceFile(name, false);
  } catch (const CompileError& e) {
    logCompileError(e);
    logSystem("compile error occured in runtime loading.");
    return out->code != nullptr;
  }
  const CompileResults& r = compileResults();
  out->code = r.program ? r.program->body.code : nullptr;
  out->firstCount = r.builtinCount;
  out->secondCount = r.globalCount;
  return out->code != nullptr;
}

bool readModule(const char* name, ModuleProgram* out) {
  std::optional<LoadedProgram> p = readObjFile(name, true);
  if (!p) {
    logObjFile("failed in loading OBJ-file.");
    resetObjAtomTable();
    return false;
  }
  logObjFile("succeeded in loading OBJ-file.");
  out->code = p->main->code;
  out->firstCount = p->firstCount;
  out->secondCount = p->secondCount;
  return true;
}

}  // namespace

bool isSourceModuleName(const char* name) {
  size_t n = std::strlen(name);
  return n >= 4 && std::strcmp(name + n - 4, ".kvj") == 0;
}

bool runtimeLoad(const char* name, ModuleProgram* out) {
  if (!name) name = "";
  logModule((std::string("runtime loading '") + name + "'.").c_str());
  AtomTableOpen open;
  return isSourceModuleName(name) ? compileModule(name, out) : readModule(name, out);
}

}  // namespace kv
