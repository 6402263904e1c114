// Linking a function's record list into the vector the interpreter runs,
// with optional folding of constant integer arithmetic.
#pragma once

#include "runtime/vm/code.h"

namespace kv {

// Folds when fold is set, drops the Label records, places every label and
// writes each jump's target index into its operand. The list keeps its
// records; the vector shares them.
CodeVector* linkCode(NodeList& list, bool fold);
// Replaces each foldable run of integer constants and operators by one push.
void foldConstants(NodeList& list);

}  // namespace kv
