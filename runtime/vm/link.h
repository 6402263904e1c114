// Linking a function's record list into the vector the interpreter runs,
// with optional folding of constant integer arithmetic.
#pragma once

#include "runtime/vm/code.h"

namespace kv {

// Folds when fold is set, drops the Label records, places every label and
// writes each jump's target index into its operand. The list keeps its
// records; the vector shares them. A jump out of the function's records
// (to a label placed in another function) is refused with KVUnexpected.
CodeVector* linkCode(NodeList& list, bool fold);
// Whether every place the record may jump to lies within a function of
// `count` records or at their end; a negative target ends the frame. The
// code loop tests only a target's sign, so every vector it runs keeps to
// this: linkCode and the object-file reader see to it.
bool jumpTargetsInside(const CodeNode* record, int32_t count);
// Replaces each foldable run of integer constants and operators by one push.
void foldConstants(NodeList& list);

}  // namespace kv
