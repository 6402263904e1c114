// The compiler's view of the built-in class table: a name no script scope
// declares compiles to a LoadGlobal of the class or global function it names.
#pragma once

#include <cstdint>

namespace kv {

// Index of the built-in class or global function with exactly this name, or
// -1 when there is none.
int32_t findBuiltinClassByName(const char* name);

}  // namespace kv
