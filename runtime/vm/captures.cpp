// Closures' own captured cells: which outer variables a function's code
// reads, worked out once per function record when its first closure is
// made, and the cells a closure takes from the frame that makes it.
//
// A closure sees the values its outer variables had when it was made, and
// its own writes to them stay with it. Holding one cell per variable its
// code (or a function made inside it) reads gives it exactly that, where a
// copy of every enclosing activation gave it the same and more. Variables
// of the global object are read through the scope chain as before.
#include "runtime/vm/captures.h"

#include <vector>

#include "runtime/vm/code.h"

namespace kv {
namespace {

using Source = FunctionRecord::CaptureSource;

struct Target {
  int32_t depth;
  int32_t index;
};

// Nesting beyond this is left to the copying closures.
constexpr int32_t kMaxNesting = 64;

int32_t findTarget(const std::vector<Target>& targets, int32_t depth, int32_t index) {
  for (size_t i = 0; i < targets.size(); ++i)
    if (targets[i].depth == depth && targets[i].index == index) return static_cast<int32_t>(i);
  return -1;
}

void addTarget(std::vector<Target>& targets, int32_t depth, int32_t index) {
  if (findTarget(targets, depth, index) < 0) targets.push_back(Target{depth, index});
}

const VariableRef* variableOf(const CodeNode* n) {
  switch (n->kind) {
    case LoadVariable:
    case StoreCaught129:
    case Import:
      return n->second.var;
    default:
      return nullptr;
  }
}

// The outer variables rec's closures need: what its code reads of enclosing
// functions, and what the functions made in it need from beyond it, as
// depth (counted from rec's code) and index. False when the nesting is too
// deep to follow.
bool collectTargets(const FunctionRecord* rec, std::vector<Target>& out, int32_t level) {
  if (level > kMaxNesting) return false;
  const CodeVector* code = rec->body.code;
  if (!code) return true;
  for (const CodeNode* n : *code) {
    if (!n) continue;
    if (const VariableRef* v = variableOf(n)) {
      if (v->depth >= 1) addTarget(out, v->depth, v->index);
    } else if (n->kind == MakeClosure && n->second.function) {
      std::vector<Target> inner;
      if (!collectTargets(n->second.function, inner, level + 1)) return false;
      for (const Target& t : inner)
        if (t.depth >= 2) addTarget(out, t.depth - 1, t.index);
    }
  }
  return true;
}

// Works out rec for closures made over a scope of this shape, by a maker
// that holds makerTargets (null: a maker without captured cells), and the
// functions made in rec's code in turn.
void workOut(const FunctionRecord* rec, const std::vector<uint8_t>& shape, const std::vector<Target>* makerTargets,
             int32_t level) {
  if (rec->captureState != 0) return;
  std::vector<Target> all, targets;
  if (!rec->body.code || !collectTargets(rec, all, level)) {
    rec->captureState = -1;
    return;
  }
  // Variables of the global object stay in the chain.
  for (const Target& t : all) {
    const size_t at = static_cast<size_t>(t.depth - 1);
    if (at < shape.size() && shape[at]) continue;
    targets.push_back(t);
  }
  rec->captureSources.clear();
  for (const Target& t : targets) {
    const int32_t captured = t.depth >= 2 && makerTargets ? findTarget(*makerTargets, t.depth - 1, t.index) : -1;
    rec->captureSources.push_back(Source{t.depth - 1, t.index, captured});
  }
  rec->scopeShape = shape;
  rec->captureState = 1;
  std::vector<uint8_t> innerShape;
  innerShape.reserve(shape.size() + 1);
  innerShape.push_back(0);
  innerShape.insert(innerShape.end(), shape.begin(), shape.end());
  for (CodeNode* n : *rec->body.code) {
    if (!n) continue;
    if (VariableRef* v = const_cast<VariableRef*>(variableOf(n))) {
      if (v->depth >= 1) v->captured = findTarget(targets, v->depth, v->index);
    } else if (n->kind == MakeClosure && n->second.function) {
      workOut(n->second.function, innerShape, &targets, level + 1);
    }
  }
}

// Whether entry i of the chain inner + outer is the global object.
bool entryGlobal(const ActivationObject* inner, const ScopeChain* outer, int32_t i) {
  return (i == 0 ? inner : outer->entries[i - 1])->isGlobal();
}

}  // namespace

bool capturesOwnCellsFirst(const FunctionRecord* rec, const ActivationObject* inner, const ScopeChain* outer) {
  const int32_t n = 1 + (outer ? outer->count : 0);
  if (rec->captureState == 0) {
    std::vector<uint8_t> shape(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) shape[static_cast<size_t>(i)] = entryGlobal(inner, outer, i) ? 1 : 0;
    workOut(rec, shape, nullptr, 0);
  }
  if (rec->captureState != 1 || static_cast<size_t>(n) != rec->scopeShape.size()) return false;
  for (int32_t i = 0; i < n; ++i)
    if (entryGlobal(inner, outer, i) != (rec->scopeShape[static_cast<size_t>(i)] != 0)) return false;
  rec->capturedScope = sharedScopeChain(rec->scopeShape.data(), n);
  rec->capturedScopeGeneration = sharedScopeGeneration();
  return true;
}

}  // namespace kv
