// Test support: instruction records as text, one line per record, with the
// operands that matter to the compiler's tests.
#pragma once

#include <string>
#include <vector>

#include "runtime/vm/code.h"
#include "runtime/vm/function.h"

namespace kv::test {

std::string kindName(int32_t kind);
std::string listRecord(const CodeNode* node);
std::vector<std::string> listCode(const CodeVector* code);
// The function made by the n-th MakeClosure of a code vector (0-based).
const FunctionRecord* nestedFunction(const CodeVector* code, int n = 0);

}  // namespace kv::test
