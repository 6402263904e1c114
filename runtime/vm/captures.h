// Closures' own captured cells (see captures.cpp).
#pragma once

#include "runtime/vm/activation.h"
#include "runtime/vm/function.h"

namespace kv {

// Works out rec's captures when its first closure is made over the chain
// inner + outer (and those of the functions made in its code), then answers
// whether a closure of rec made over this chain holds its own captured
// cells: the chain has the shape they were worked out for. Sets the
// record's shared chain.
bool capturesOwnCellsFirst(const FunctionRecord* rec, const ActivationObject* inner, const ScopeChain* outer);
inline bool capturesOwnCells(const FunctionRecord* rec, const ActivationObject* inner, const ScopeChain* outer) {
  // The common case inline: worked out, the shared chain of this
  // generation taken, and a chain of the same shape.
  const uint8_t* shape = rec->scopeShape.data();
  const size_t n = rec->scopeShape.size();
  if (rec->captureState != 1 || !rec->capturedScope || rec->capturedScopeGeneration != sharedScopeGeneration() ||
      n != 1 + static_cast<size_t>(outer ? outer->count : 0))
    return capturesOwnCellsFirst(rec, inner, outer);
  const ActivationObject* const global = gGlobalObject;
  if ((inner == global) != (shape[0] != 0)) return false;
  for (size_t i = 1; i < n; ++i)
    if ((outer->entries[i - 1] == global) != (shape[i] != 0)) return false;
  return true;
}

// The cell a capture source names in the making frame (its activation
// inner, its scope outer, the function running it maker), or null when there
// is no such cell.
inline const Value* captureSourceCell(const FunctionRecord::CaptureSource& s, const ActivationObject* inner,
                                      const ScopeChain* outer, const KVfobj* maker) {
  const ActivationObject* a;
  if (s.depth == 0) {
    a = inner;
  } else if (s.captured >= 0 && maker && maker->ownCaptures()) {
    return s.captured < maker->capturedCount() ? maker->captureCells() + s.captured : nullptr;
  } else {
    if (!outer || s.depth > outer->count) return nullptr;
    a = outer->entries[s.depth - 1];
  }
  if (!a || !a->cells) return nullptr;
  const int32_t at = s.index < 0 ? -1 - s.index : a->argCount + s.index;
  return at >= 0 && at < a->cellCount ? a->cells + at : nullptr;
}

}  // namespace kv
