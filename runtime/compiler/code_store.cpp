#include "runtime/compiler/code_store.h"

#include <unordered_set>
#include <vector>

#include "runtime/vm/link.h"

namespace kv {

namespace {

struct Owned {
  void* p;
  void (*destroy)(void*);
};

struct Store {
  std::vector<Owned> sideRecords;
  std::unordered_set<CodeNode*> nodes;
};

// Never destroyed: compiled code may run until the process ends.
Store& store() {
  static Store* s = new Store;
  return *s;
}

}  // namespace

void keepDeleter(void* p, void (*destroy)(void*)) { store().sideRecords.push_back(Owned{p, destroy}); }

CodeNode* keepNode(CodeNode* node) {
  store().nodes.insert(node);
  return node;
}

CodeVector* linkKept(NodeList& list) {
  CodeVector* code = keep(linkCode(list, true));
  for (CodeNode* n : *code) keepNode(n);
  return code;
}

void releaseCompiledCodeForTests() {
  Store& s = store();
  for (CodeNode* n : s.nodes) {
    if (n->kind == GetMember) delete n->second.cache;
    delete n;
  }
  s.nodes.clear();
  for (const Owned& o : s.sideRecords) o.destroy(o.p);
  s.sideRecords.clear();
}

}  // namespace kv
