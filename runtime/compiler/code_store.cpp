// What code generation allocates besides records and labels, and its release.
#include "runtime/compiler/code_store.h"

#include <vector>

#include "runtime/vm/link.h"

namespace kv {

namespace {

struct Owned {
  void* p;
  void (*destroy)(void*);
};

// Never destroyed: compiled code may run until the process ends.
std::vector<Owned>& store() {
  static auto* s = new std::vector<Owned>;
  return *s;
}

}  // namespace

void keepDeleter(void* p, void (*destroy)(void*)) { store().push_back(Owned{p, destroy}); }

CodeVector* linkKept(NodeList& list) { return keep(linkCode(list, true)); }

void releaseCompiledCodeForTests() {
  for (const Owned& o : store()) o.destroy(o.p);
  store().clear();
}

}  // namespace kv
