// Modules imported while a script runs: compiled from source when the name
// ends in ".kvj" (byte for byte), read as an object file under the name as
// it stands otherwise.
#pragma once

#include "runtime/vm/vm_hooks.h"

namespace kv {

// True when a program was obtained. The atom table is open for new member
// names during the load and locked again on every way out.
bool runtimeLoad(const char* name, ModuleProgram* out);

// Whether runtimeLoad compiles the name (it ends in ".kvj").
bool isSourceModuleName(const char* name);

}  // namespace kv
