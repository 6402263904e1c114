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
bool capturesOwnCells(const FunctionRecord* rec, const ActivationObject* inner, const ScopeChain* outer);

// The cell a capture source names in the making frame (its activation
// inner, its scope outer, the function running it maker), or null when there
// is no such cell.
const Value* captureSourceCell(const FunctionRecord::CaptureSource& s, const ActivationObject* inner,
                               const ScopeChain* outer, const KVfobj* maker);

}  // namespace kv
