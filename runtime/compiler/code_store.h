// Ownership of what code generation allocates besides the records and labels
// (which come from the records' own arena): variable references, case tables,
// function records, linked vectors and export lists. Compiled code lives for
// the run, so the store only grows; tests and the fuzz target empty it between
// programs.
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
// Links a finished list with folding and keeps the vector.
CodeVector* linkKept(NodeList& list);

// Frees everything kept. Only tests and the fuzz target call this, when no
// compiled code can run any more.
void releaseCompiledCodeForTests();

}  // namespace kv
