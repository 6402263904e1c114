// The Array methods that take a callback (forEach, reduce, map, find,
// findIndex, filter), built at start-up as instruction lists, and the
// emitters that the sort's builder shares with them.
#include <array>
#include <deque>
#include <memory>

#include "runtime/library/array_build.h"
#include "runtime/library/builtin_table.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/link.h"

namespace kv {

NodeList* currentBuildList = nullptr;

namespace {

// A walking method's frame: local 0 the element, local 1 the iterator (ForOf
// keeps both there), local 2 the accumulator, result array or index.
constexpr int32_t kLocalElement = 0;
constexpr int32_t kLocalThird = 2;
constexpr int32_t kParamCallback = 1;

// Everything a build makes besides the records themselves lives until the next
// start-up in the process (tests, fuzz targets) builds afresh: the code of an
// earlier object system is never run again, so that start-up drops it.
struct BuildStore {
  std::deque<VariableRef> variables;
  std::deque<FunctionRecord> records;
  std::deque<std::unique_ptr<CodeVector>> vectors;
  std::deque<NodeList> lists;
};
BuildStore& store() {
  static BuildStore s;
  return s;
}

std::array<const FunctionRecord*, kBuiltCount> gBuilt{};

const char* const kEmptyName = "";

VariableRef* variable(int32_t index) {
  return &store().variables.emplace_back(VariableRef{0, 1, kEmptyName, 0, index});
}

void loadVariable(int32_t index, uint16_t flags) {
  CodeNode* n = newNodeLoadVariable(variable(index));
  n->flags = flags;
  emitNode(n);
}

// The callback on the element: callback(element), result on the stack, or
// the method's end when it threw.
void emitCallbackOnElement(LabelSlot* thrown) {
  emitLoadParam(kParamCallback);
  emitLoadLocal(kLocalElement);
  emitPushInt(1);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
}

// local 2 = new Array(0), through the global cell of the built-in class.
void emitNewResultArray(LabelSlot* thrown) {
  emitLoadLocalRef(kLocalThird);
  emitNode(newNodeLoadGlobal(findBuiltinClassByName("Array")));
  emitPushInt32(0);
  emitPushInt(1);
  emitNode(newNodeNew(0));
  emitJumpToLabelIfReceiver(thrown);
  emitAssign();
  emitPop();
}

// this's iterator into local 1, the loop head, and the next element: the
// loop leaves through exit when there is none.
void emitWalkHead(LabelSlot* head, LabelSlot* exit, int32_t stepOperand) {
  emitPushThis();
  emitForOf(-1);
  emitLabel(head);
  emitForOf(stepOperand);
  emitJumpIfFalse(exit);
}

FunctionRecord* buildForEachCode() {
  LabelSlot *head = newBuildLabel(), *exit = newBuildLabel(), *thrown = newBuildLabel();
  beginBuild();
  emitWalkHead(head, exit, 0);
  emitCallbackOnElement(thrown);
  emitPop();
  emitLoopJump(head, exit);
  emitPushUndefined();
  return finishBuild(2, 2);
}

FunctionRecord* buildReduceCode() {
  LabelSlot *head = newBuildLabel(), *exit = newBuildLabel(), *empty = newBuildLabel(), *thrown = newBuildLabel();
  beginBuild();
  emitPushThis();
  emitForOf(-1);
  emitForOf(0);
  emitJumpIf(empty, 0);
  emitLoadLocalRef(kLocalThird);
  emitLoadLocal(kLocalElement);
  emitAssign();
  emitPop();
  emitLabel(head);
  emitForOf(0);
  emitJumpIfFalse(exit);
  emitLoadLocalRef(kLocalThird);
  emitLoadParam(kParamCallback);
  emitLoadLocal(kLocalThird);
  emitLoadLocal(kLocalElement);
  emitPushInt(2);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
  emitAssign();
  emitPop();
  emitLoopJump(head, exit);
  emitLoadLocal(kLocalThird);
  emitReturn();
  emitLabel(empty);
  emitPushUndefined();
  return finishBuild(2, 3);
}

// map keeps every callback result; filter keeps the elements whose result
// is true.
FunctionRecord* buildCollectCode(bool keepResults) {
  LabelSlot *head = newBuildLabel(), *exit = newBuildLabel(), *thrown = newBuildLabel();
  beginBuild();
  emitNewResultArray(thrown);
  emitWalkHead(head, exit, 0);
  if (keepResults) {
    emitLoadLocal(kLocalThird);
    emitGetMember("push");
    emitCallbackOnElement(thrown);
  } else {
    emitCallbackOnElement(thrown);
    emitJumpIf(head, 0);
    emitLoadLocal(kLocalThird);
    emitGetMember("push");
    emitLoadLocal(kLocalElement);
  }
  emitPushInt(1);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
  emitPop();
  emitLoopJump(head, exit);
  emitLoadLocal(kLocalThird);
  return finishBuild(2, 3);
}

// find answers the element, findIndex its index (ForOf operand 1 stores it
// in local 2); -1 or undefined when nothing matched.
FunctionRecord* buildSearchCode(bool index) {
  LabelSlot *head = newBuildLabel(), *exit = newBuildLabel(), *found = newBuildLabel(), *thrown = newBuildLabel();
  beginBuild();
  emitWalkHead(head, exit, index ? 1 : 0);
  emitCallbackOnElement(thrown);
  emitJumpIf(found, 1);
  emitLoopJump(head, exit);
  if (index) emitPushInt32(-1);
  else emitPushUndefined();
  emitReturn();
  emitLabel(found);
  emitLoadLocal(index ? kLocalThird : kLocalElement);
  return finishBuild(2, index ? 3 : 2);
}

KVfobj* wrap(BuiltMethod which, FunctionRecord* rec) {
  rememberBuiltRecord(which, rec);
  return newBuiltMethod(rec);
}

}  // namespace

void beginBuild() {
  currentBuildList = &store().lists.emplace_back();
}

FunctionRecord* finishBuild(int32_t params, int32_t locals) {
  BuildStore& s = store();
  CodeVector* code = s.vectors.emplace_back(linkCode(*currentBuildList, false)).get();
  currentBuildList = nullptr;
  FunctionRecord& rec = s.records.emplace_back();
  rec.body.code = code;
  rec.params = NameVector(params, 0);
  rec.locals = NameVector(locals, 0);
  return &rec;
}

KVfobj* newBuiltMethod(const FunctionRecord* rec) { return newKVfobj(&rec->body, &rec->params, &rec->locals); }

LabelSlot* newBuildLabel() { return newLabelSlot(); }

void emitNode(CodeNode* node) {
  node->fileIndex = 0;
  node->line = 0;
  currentBuildList->push_back(node);
}

void emitLoadLocal(int32_t i) { loadVariable(i, kPushValue); }
void emitLoadLocalRef(int32_t i) { loadVariable(i, kPushReference); }
void emitLoadLocalBoth(int32_t i) { loadVariable(i, kPushReference | kPushValue); }
void emitLoadParam(int32_t n) { loadVariable(-n, kPushValue); }
void emitPostIncrementLocal(int32_t i) {
  emitLoadLocalBoth(i);
  emitNode(newNodeIncrementInPlace(0));
}
void emitLabel(LabelSlot* label) { emitNode(newNodeLabel(label)); }
void emitJumpIf(LabelSlot* label, int32_t sense) { emitNode(newNodeJumpIf(label, sense)); }
void emitJumpIfFalse(LabelSlot* label) { emitNode(newNodeJumpIfFalse121(label)); }
void emitJump(LabelSlot* label) { emitNode(newNodeJump165(label)); }
void emitLoopJump(LabelSlot* head, LabelSlot* exit) { emitNode(newNodeJump122(newLabelPair(head, exit))); }
void emitPushInt(int32_t n) { emitNode(newNodePushInt138(n)); }
void emitPushInt32(int32_t n) { emitNode(newNodePushInt32(n)); }
void emitPushUndefined() { emitNode(newNodePushUndefined()); }
void emitPushThis() { emitNode(newNodePushFrameObject()); }
void emitCall() { emitNode(newNodeCall(0)); }
void emitJumpToLabelIfReceiver(LabelSlot* label) { emitNode(newNodeJumpToHandlerIfThrown(label)); }
void emitPop() { emitNode(newNodePop137()); }
void emitAssign() { emitNode(newNodeAssign()); }
void emitReturn() { emitNode(newNodeReturn(nullptr)); }
void emitForOf(int32_t operand) { emitNode(newNodeForOf(operand)); }
void emitGetMember(const char* name) {
  CodeNode* n = newNodeGetMember(internAtom(name));
  n->flags = kPushValue;
  emitNode(n);
}
void emitGreater() { emitNode(newNodeGreater(0)); }
void emitGreaterOrEqual() { emitNode(newNodeGreater(1)); }
void emitLess() { emitNode(newNodeLess(0)); }
void emitEqual() { emitNode(newNodeEqual(0)); }
void emitAdd() { emitNode(newNodeAdd()); }
void emitCallIntrinsic(int32_t op) { emitNode(newNodeCallIntrinsic(op)); }

const FunctionRecord* builtMethodRecord(BuiltMethod which) { return gBuilt.at(which); }
void rememberBuiltRecord(BuiltMethod which, const FunctionRecord* rec) { gBuilt.at(which) = rec; }

KVfobj* buildForEachMethod() { return wrap(kBuiltForEach, buildForEachCode()); }
KVfobj* buildReduceMethod() { return wrap(kBuiltReduce, buildReduceCode()); }
KVfobj* buildMapMethod() { return wrap(kBuiltMap, buildCollectCode(true)); }
KVfobj* buildFindMethod() { return wrap(kBuiltFind, buildSearchCode(false)); }
KVfobj* buildFindIndexMethod() { return wrap(kBuiltFindIndex, buildSearchCode(true)); }
KVfobj* buildFilterMethod() { return wrap(kBuiltFilter, buildCollectCode(false)); }

namespace {
void forgetEarlierBuilds() {
  store() = BuildStore{};
  gBuilt.fill(nullptr);
}
}  // namespace

void installArrayMethodBuilders() {
  ArrayCallbackBuilders& b = arrayCallbackBuilders();
  b.forgetEarlierBuilds = &forgetEarlierBuilds;
  b.forEach = &buildForEachMethod;
  b.reduce = &buildReduceMethod;
  b.map = &buildMapMethod;
  b.find = &buildFindMethod;
  b.findIndex = &buildFindIndexMethod;
  b.filter = &buildFilterMethod;
  b.sort = &buildSortMethod;
  b.sortRange = &buildSortRangeFunction;
}

}  // namespace kv
