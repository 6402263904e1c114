// Statements: conditionals, loops, switch, break and continue, try, throw,
// return and wait. Jump targets are label slots that linking places.
#include <cstring>

#include "runtime/compiler/code_store.h"
#include "runtime/compiler/codegen_internal.h"
#include "runtime/compiler/parser.h"
#include "runtime/vm/errors.h"

namespace kv::gen {

namespace {

// Marks on the values of the empty rules before a `for` head's test and step,
// so that an empty part knows which one it is.
constexpr int32_t kMarkForTest = -100;
constexpr int32_t kMarkForStep = -101;


void useTopAsValue() {
  ExprEntry e;
  if (popExprEntryOrNull(e)) useAsValue(e);
}

LabelSlot* popLabel(std::vector<LabelSlot*>& stack) {
  LabelSlot* l = stack.back();
  stack.pop_back();
  return l;
}

void pushLoopEntries(int32_t kind, bool withContinue) {
  const char* label = parserState().pendingLabel;
  parserState().pendingLabel = nullptr;
  const size_t tries = st().scope().tryLabels.size();
  st().loops.breaks.push_back(JumpTargetEntry{label, nullptr, kind, tries});
  if (withContinue) st().loops.continues.push_back(JumpTargetEntry{label, nullptr, kind, tries});
}

void popLoopEntries(bool withContinue) {
  st().loops.breaks.pop_back();
  if (withContinue) st().loops.continues.pop_back();
}

// --- if ---

void ifHead() {
  LabelSlot* elseSlot = newLabelSlot();
  LabelSlot* end = newLabelSlot();
  st().ifLabels.push_back(end);
  st().ifLabels.push_back(elseSlot);
  useTopAsValue();
  appendCode(newNodeJumpIfFalse107(newLabelPair(elseSlot, end)));
}

LabelSlot* ifEnd() { return st().ifLabels[st().ifLabels.size() - 2]; }

void elseIfStart() {
  LabelSlot* previous = popLabel(st().ifLabels);
  LabelSlot* end = st().ifLabels.back();
  st().ifLabels.push_back(newLabelSlot());
  appendCode(newNodeJump108(newLabelPair(previous, end)));
}

void elseIfTest() {
  useTopAsValue();
  appendCode(newNodeJumpIfFalse109(st().ifLabels.back()));
}

void finalElse() { appendCode(newNodeJump110(newLabelPair(st().ifLabels.back(), ifEnd()))); }

void ifStatementEnd(bool withElse) {
  LabelSlot* last = popLabel(st().ifLabels);
  LabelSlot* end = popLabel(st().ifLabels);
  appendCode(withElse ? newNodeNop112(end) : newNodeNop111(newLabelPair(last, end)));
}

// --- while ---

void whileStart() {
  pushLoopEntries(kLoopWhile, true);
  LabelSlot* cond = newLabelSlot();
  st().whileLabels.push_back(cond);
  st().loops.continues.back().target = cond;
  appendCode(newNodeLabel(cond));
}

void whileHead() {
  LabelSlot* end = newLabelSlot();
  st().whileLabels.push_back(end);
  st().loops.breaks.back().target = end;
  useTopAsValue();
  appendCode(newNodeJumpIfFalse121(end));
}

void whileEnd() {
  popLoopEntries(true);
  LabelSlot* end = popLabel(st().whileLabels);
  LabelSlot* cond = popLabel(st().whileLabels);
  appendCode(newNodeJump122(newLabelPair(cond, end)));
}

// --- for ---

void forTest(SemanticValue& result) {
  pushLoopEntries(kLoopFor, true);
  ForLabels f{newLabelSlot(), newLabelSlot(), newLabelSlot(), newLabelSlot()};
  st().forLabels.push_back(f);
  st().loops.breaks.back().target = f.end;
  st().loops.continues.back().target = f.step;
  useTopAsValue();
  appendCode(newNodePop123(f.test));
  result.kind = kMarkForTest;
}

void forStep(SemanticValue& result) {
  const ForLabels& f = st().forLabels.back();
  useTopAsValue();
  appendCode(newNodeBranch(newLabelTriple(f.step, f.body, f.end)));
  result.kind = kMarkForStep;
}

void forHeadEnd() {
  const ForLabels& f = st().forLabels.back();
  useTopAsValue();
  appendCode(newNodePopAndJump(newLabelPair(f.test, f.body)));
}

void forEnd() {
  popLoopEntries(true);
  ForLabels f = st().forLabels.back();
  st().forLabels.pop_back();
  appendCode(newNodeJump126(newLabelPair(f.step, f.end)));
}

// An empty condition loops until left otherwise; empty init and step parts
// give a value that is dropped.
void emptyForPart(const SemanticValue* rhs) {
  appendCode(rhs[-1].kind == kMarkForTest ? newNodePushBool(1) : newNodePushUndefined());
}

// --- switch ---

void switchStart() {
  pushLoopEntries(kLoopSwitch, false);
  LabelSlot* end = newLabelSlot();
  auto* table = keep(new CaseTable(end));
  st().caseTables.push_back(table);
  st().loops.breaks.back().target = end;
  useTopAsValue();
  appendCode(newNodeSwitch(table));
}

void caseLabel(int32_t value) {
  LabelSlot* target = newLabelSlot();
  st().caseTables.back()->addCase(target, value);
  appendCode(newNodeNop114(target));
}

void defaultLabel() {
  LabelSlot* target = newLabelSlot();
  st().caseTables.back()->addDefault(target);
  appendCode(newNodeNop115(target));
}

void switchEnd() {
  popLoopEntries(false);
  CaseTable* table = st().caseTables.back();
  st().caseTables.pop_back();
  appendCode(newNodeNop116(table->endLabel));
}

// --- break and continue ---

const JumpTargetEntry& labelledEntry(const std::vector<JumpTargetEntry>& list, const char* label, int32_t error) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->label && std::strcmp(it->label, label) == 0) {
      if (!it->target) break;
      return *it;
    }
  }
  throw CompileError(error);
}

// A break or continue that leaves a finally block of a try statement inside
// its loop may leave an exception pending, which the end of that block would
// have passed on. It goes on at once, where the end of the innermost finally
// block left would send it (finally blocks around that one and inside the
// loop are left too, so past them), not to whatever call comes next. A loop
// inside an enclosing finally block keeps it pending for that block.
void passOnPendingThrow(const JumpTargetEntry& loop) {
  const CompileScope& s = st().scope();
  size_t at = s.tryStates.size();
  while (at > loop.tries && s.tryStates[at - 1] != kInFinally) --at;
  if (at == loop.tries) return;
  --at;
  while (at > loop.tries && s.tryStates[at - 1] == kInFinally) --at;
  LabelSlot* handler = nullptr;
  if (at == 0) handler = st().exitLabels.back();
  else if (s.tryStates[at - 1] == kInTry) handler = s.tryLabels[at - 1].catchSlot;
  else if (s.tryStates[at - 1] == kInCatch) handler = s.tryLabels[at - 1].finallySlot;
  if (handler) appendCode(newNodeJumpToHandlerIfThrown(handler));
}

void breakStatement(const char* label) {
  const auto& list = st().loops.breaks;
  if (label) {
    const JumpTargetEntry& loop = labelledEntry(list, label, kErrNoBreakLabel);
    passOnPendingThrow(loop);
    appendCode(newNodeJump117(loop.target));
    return;
  }
  if (list.empty()) return;
  LabelSlot* target = nullptr;
  switch (list.back().kind) {
    case kLoopWhile: target = st().whileLabels.back(); break;
    case kLoopFor: target = st().forLabels.back().end; break;
    default: target = st().caseTables.back()->endLabel; break;
  }
  passOnPendingThrow(list.back());
  appendCode(newNodeJump117(target));
}

void continueStatement(const char* label) {
  const auto& list = st().loops.continues;
  if (label) {
    const JumpTargetEntry& loop = labelledEntry(list, label, kErrNoContinueLabel);
    passOnPendingThrow(loop);
    appendCode(newNodeJump118(loop.target));
    return;
  }
  if (list.empty()) return;
  LabelSlot* target = list.back().kind == kLoopWhile ? st().whileLabels[st().whileLabels.size() - 2]
                                                     : st().forLabels.back().step;
  passOnPendingThrow(list.back());
  appendCode(newNodeJump118(target));
}

// --- try ---

void tryStart() {
  CompileScope& s = st().scope();
  s.tryLabels.push_back(TryLabels{newLabelSlot(), newLabelSlot(), newLabelSlot()});
  s.tryStates.push_back(kInTry);
}

void tryBlockEnd() { appendCode(newNodeJumpPast(st().scope().tryLabels.back().finallySlot)); }

void catchHead(const char* name) {
  CompileScope& s = st().scope();
  s.tryStates.back() = kInCatch;
  if (std::strcmp(name, "this") == 0) throw CompileError(kErrCatchName);
  declareVariable(name, false, kErrVariableName);
  appendCode(newNodeStoreCaught129(lookUpLocal(name), s.tryLabels.back().catchSlot));
}

void finallyStart() {
  CompileScope& s = st().scope();
  s.tryStates.back() = kInFinally;
  const TryLabels& t = s.tryLabels.back();
  appendCode(newNodeNop130(newLabelPair(t.catchSlot, t.finallySlot)));
}

// An exception still pending at the end goes to the enclosing handler. Inside
// an enclosing finally block it goes on with that block, whose own end passes
// it further out.
void tryEnd() {
  CompileScope& s = st().scope();
  TryLabels t = s.tryLabels.back();
  s.tryLabels.pop_back();
  s.tryStates.pop_back();
  LabelSlot* outer = nullptr;
  bool next = false;
  if (s.tryLabels.empty()) {
    outer = st().exitLabels.back();
  } else if (s.tryStates.back() == kInTry) {
    outer = s.tryLabels.back().catchSlot;
  } else if (s.tryStates.back() == kInCatch) {
    outer = s.tryLabels.back().finallySlot;
  } else {
    outer = newLabelSlot();
    next = true;
  }
  appendCode(newNodeJumpIfThrown(newLabelTriple(t.catchSlot, t.finallySlot, t.endSlot), outer));
  if (next) appendCode(newNodeLabel(outer));
}

// --- throw, return ---

void throwStatement(bool withValue) {
  if (withValue) useTopAsValue();
  appendCode(newNodeThrow(withValue ? 1 : 0, handlerLabel()));
}

// Inside a try or catch block a return goes through the finally slot; inside
// a finally block it leaves the function directly.
void returnStatement(bool withValue) {
  if (withValue) useTopAsValue();
  if (!st().generatorFlags.empty() && st().generatorFlags.back()) {
    appendCode(newNodeGeneratorReturn());
    return;
  }
  CompileScope& s = st().scope();
  LabelSlot* target = nullptr;
  if (s.tryLabels.empty()) target = st().exitLabels.back();
  else if (s.tryStates.back() != kInFinally) target = s.tryLabels.back().finallySlot;
  appendCode(withValue ? newNodeReturn(target) : newNodeReturnUndefined(target));
}

}  // namespace

LabelSlot* handlerLabel() {
  CompileScope& s = st().scope();
  if (s.tryLabels.empty()) return st().exitLabels.back();
  switch (s.tryStates.back()) {
    case kInTry: return s.tryLabels.back().catchSlot;
    case kInCatch: return s.tryLabels.back().finallySlot;
    default: return nullptr;
  }
}

void endExpressionStatement() {
  useTopAsValue();
  st().scope().exprStack.clear();
  appendCode(newNodePop137());
}

bool statementAction(int32_t rule, const SemanticValue* rhs, SemanticValue& result) {
  switch (rule) {
    case 17: endExpressionStatement(); return true;
    case 19: whileEnd(); return true;
    case 20: case 21: forEnd(); return true;
    case 26: breakStatement(nullptr); return true;
    case 27: breakStatement(rhs[1].text); return true;
    case 28: continueStatement(nullptr); return true;
    case 29: continueStatement(rhs[1].text); return true;
    case 31: appendCode(newNodeWait()); return true;
    case 32: returnStatement(false); return true;
    case 33: returnStatement(true); return true;
    case 34: throwStatement(false); return true;
    case 35: throwStatement(true); return true;
    case 38: case 40: ifStatementEnd(false); return true;
    case 39: case 41: ifStatementEnd(true); return true;
    case 44: ifHead(); return true;
    case 47: case 49: finalElse(); return true;
    case 55: elseIfStart(); return true;
    case 56: elseIfTest(); return true;
    case 57: switchStart(); return true;
    case 58: switchEnd(); return true;
    case 59: case 61: case 63: case 65: caseLabel(rhs[-2].intValue); return true;
    case 68: defaultLabel(); return true;
    case 70: case 71: case 72: case 73: tryEnd(); return true;
    case 74: tryStart(); return true;
    case 75: tryBlockEnd(); return true;
    case 77: finallyStart(); return true;
    case 79: catchHead(rhs[2].text); return true;
    case 98: whileStart(); return true;
    case 99: whileHead(); return true;
    case 100: forTest(result); return true;
    case 101: forStep(result); return true;
    case 102: forHeadEnd(); return true;
    case 103: emptyForPart(rhs); return true;
    default: return false;
  }
}

}  // namespace kv::gen
