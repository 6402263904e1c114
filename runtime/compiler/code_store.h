// Ownership of everything code generation allocates: instruction records and
// their side records (labels, variable references, case tables, function
// records, linked vectors, export lists). Compiled code lives for the run, so
// the store only grows; tests and the fuzz target empty it between programs.
#pragma once

#include <utility>

#include "runtime/vm/code.h"

namespace kv {

void keepDeleter(void* p, void (*destroy)(void*));
template <class T>
T* keep(T* p) {
  keepDeleter(p, [](void* q) { delete static_cast<T*>(q); });
  return p;
}
// A record, once; the member cache of a GetMember goes with it.
CodeNode* keepNode(CodeNode* node);

inline LabelSlot* slot() { return keep(newLabelSlot()); }
inline LabelPair* pair(LabelSlot* a, LabelSlot* b) { return keep(newLabelPair(a, b)); }
inline LabelTriple* triple(LabelSlot* a, LabelSlot* b, LabelSlot* c) { return keep(newLabelTriple(a, b, c)); }

// Links a finished list with folding; the vector and the records folding
// made are kept too.
CodeVector* linkKept(NodeList& list);

// Frees every kept record. Only tests and the fuzz target call this, when no
// compiled code can run any more.
void releaseCompiledCodeForTests();

}  // namespace kv
