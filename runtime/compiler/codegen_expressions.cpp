// Expressions compile to postfix code; the operand entries follow the
// run-time operand stack so that each operator knows whether its operand is a
// value, a variable or a member, and can ask it for a reference.
#include <cstdio>
#include <cstring>

#include "runtime/compiler/codegen.h"
#include "runtime/compiler/code_store.h"
#include "runtime/compiler/codegen_internal.h"
#include "runtime/compiler/parser.h"
#include "runtime/compiler/word_tables.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/errors.h"

namespace kv {

int32_t memberKeyOfText(const char* text) {
  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;
  size_t digits = std::strspn(p, "0123456789");
  if (digits >= 1 && digits <= 11 && p[digits] == '\0') {
    int64_t v = 0;
    for (size_t i = 0; i < digits; ++i) v = v * 10 + (p[i] - '0');
    if (negative) v = -v;
    if (v >= 0 && v <= INT32_MAX) return static_cast<int32_t>(v);
  }
  return internAtomUnchecked(text);
}

namespace gen {

namespace {


// The atom of an integer's decimal text.
int32_t atomOfInteger(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", v);
  return internAtomUnchecked(buf);
}

ExprEntry popValue() {
  ExprEntry e = popExprEntry();
  useAsValue(e);
  return e;
}

void pushValueOf(CodeNode* node) {
  appendCode(node);
  pushExprEntry();
}

// Operand entries of a binary operator are used as values; one value results.
void binary(CodeNode* node) {
  popValue();
  popValue();
  pushValueOf(node);
}

void unaryValue(CodeNode* node) {
  popValue();
  pushValueOf(node);
}

// ++, -- and their postfix forms read and write their operand.
template <CodeNode* (*Make)(int32_t)>
void stepOperand() {
  ExprEntry e = popExprEntry();
  setReferenceValueFlag(e);
  pushValueOf(Make(methodFlag(e)));
}

void deleteOperand() {
  ExprEntry e = popExprEntry();
  if (e.kind == kExprVariable) throw CompileError(kErrDelete);
  setReferenceFlag(e);
  pushValueOf(newNodeDelete());
}

void memberAccess(int32_t key) {
  popValue();
  CodeNode* node = newNodeGetMember(key);
  appendCode(node);
  pushExprEntry(kExprMember, nullptr, node);
}

void indexedAccess() {
  popValue();
  popValue();
  CodeNode* node = newNodeGetIndexed();
  appendCode(node);
  pushExprEntry(kExprMember, nullptr, node);
}

// An integer written as a member key: itself, or the atom of its text when
// negative.
int32_t integerKey(int32_t v) { return v >= 0 ? v : atomOfInteger(v); }

void finishArguments(int32_t count) {
  if (count > kMaxArguments) throw CompileError(kErrArguments);
  popExprEntries(count);
  appendCode(newNodePushInt138(count));
}

// The callee's entry is below the argument count; it gives the method flag.
void callOrNew(bool isNew) {
  ExprEntry callee = popValue();
  appendCode(isNew ? newNodeNew(methodFlag(callee)) : newNodeCall(methodFlag(callee)));
  appendCode(newNodeJumpToHandlerIfThrown(handlerLabel()));
  pushExprEntry();
}

void assign() {
  popValue();
  ExprEntry target = popExprEntry();
  setReferenceFlag(target);
  pushValueOf(target.kind == kExprMember ? newNodeAssignThroughReference() : newNodeAssign());
}

void compoundAssign(int32_t op) {
  popValue();
  setReferenceValueFlag(popExprEntry());
  pushValueOf(newNodeCompoundAssign(op));
}

void yieldValue() {
  if (st().generatorFlags.empty() || !st().generatorFlags.back()) throw CompileError(kErrYield);
  popValue();
  pushValueOf(newNodeYield(0));
}

// --- ?:, && and || ---

void conditionalThen() {
  ExprEntry c = popValue();
  LabelSlot* elseSlot = newLabelSlot();
  LabelSlot* end = newLabelSlot();
  st().conditionalLabels.push_back(end);
  st().conditionalLabels.push_back(elseSlot);
  appendCode(newNodeJumpIfFalse53(elseSlot, methodFlag(c)));
}

void conditionalElse() {
  ExprEntry a = popValue();
  LabelSlot* elseSlot = st().conditionalLabels.back();
  st().conditionalLabels.pop_back();
  appendCode(newNodeJump54(newLabelPair(elseSlot, st().conditionalLabels.back()), methodFlag(a)));
}

void conditionalEnd() {
  ExprEntry b = popValue();
  LabelSlot* end = st().conditionalLabels.back();
  st().conditionalLabels.pop_back();
  pushValueOf(newNodeNop55(end, methodFlag(b)));
}

void shortCircuitStart(std::vector<LabelSlot*>& stack, bool isAnd) {
  ExprEntry a = popValue();
  LabelSlot* l = newLabelSlot();
  stack.push_back(l);
  appendCode(isAnd ? newNodeAndThen(methodFlag(a), l) : newNodeOrElse(methodFlag(a), l));
}

void shortCircuitEnd(std::vector<LabelSlot*>& stack, bool isAnd) {
  ExprEntry b = popValue();
  LabelSlot* l = stack.back();
  stack.pop_back();
  pushValueOf(isAnd ? newNodeToBool58(methodFlag(b), l) : newNodeToBool59(methodFlag(b), l));
}

// --- literals ---

void defineMember(int32_t atom) {
  popValue();
  appendCode(newNodeDefineMember(atom));
}

void appendElement() {
  popValue();
  appendCode(newNodeAppendElement());
}

}  // namespace

bool expressionAction(int32_t rule, const SemanticValue* rhs, SemanticValue&) {
  switch (rule) {
    case 119: case 121: appendCode(newNodeBeginObject()); return true;
    case 120: case 122: pushValueOf(newNodeEndObject()); return true;
    case 123: case 125: appendCode(newNodeBeginArray()); return true;
    case 124: case 126: pushValueOf(newNodeEndArray()); return true;
    case 130: defineMember(internAtomUnchecked(rhs[0].text)); return true;
    case 131: defineMember(atomOfInteger(rhs[0].intValue)); return true;
    case 135: appendElement(); return true;
    case 139: popValue(); appendCode(newNodePop49()); return true;
    case 142: yieldValue(); return true;
    case 144: assign(); return true;
    case 145: case 146: case 147: case 148: case 149: case 150: case 151: case 152: case 153:
    case 154:
      compoundAssign(rule - 144);
      return true;
    case 156: conditionalThen(); return true;
    case 157: conditionalElse(); return true;
    case 158: conditionalEnd(); return true;
    case 160: shortCircuitStart(st().andLabels, true); return true;
    case 161: shortCircuitEnd(st().andLabels, true); return true;
    case 162: shortCircuitStart(st().orLabels, false); return true;
    case 163: shortCircuitEnd(st().orLabels, false); return true;
    case 165: binary(newNodeBitAnd()); return true;
    case 166: binary(newNodeBitOr()); return true;
    case 167: binary(newNodeBitXor()); return true;
    case 169: binary(newNodeEqual(0)); return true;
    case 170: binary(newNodeEqual(1)); return true;
    case 171: binary(newNodeNotEqual()); return true;
    case 173: binary(newNodeLess(0)); return true;
    case 174: binary(newNodeLess(1)); return true;
    case 175: binary(newNodeGreater(0)); return true;
    case 176: binary(newNodeGreater(1)); return true;
    case 177: binary(newNodeIn()); return true;
    case 178: binary(newNodeInstanceOf()); return true;
    case 180: binary(newNodeShiftLeft()); return true;
    case 181: binary(newNodeShiftRight()); return true;
    case 182: binary(newNodeConcat()); return true;
    case 184: binary(newNodeAdd()); return true;
    case 185: binary(newNodeSub()); return true;
    case 187: binary(newNodeMul()); return true;
    case 188: binary(newNodeDiv()); return true;
    case 189: binary(newNodeMod()); return true;
    case 191: unaryValue(newNodeToInt()); return true;
    case 192: unaryValue(newNodeToFloat()); return true;
    case 194: stepOperand<newNodeIncrement>(); return true;
    case 195: stepOperand<newNodeDecrement>(); return true;
    case 196: unaryValue(newNodeBitNot()); return true;
    case 197: unaryValue(newNodeNot()); return true;
    case 198: unaryValue(newNodeNegate()); return true;
    case 199: deleteOperand(); return true;
    case 200: unaryValue(newNodeTypeOf()); return true;
    case 202: stepOperand<newNodeIncrementInPlace>(); return true;
    case 203: stepOperand<newNodeDecrementInPlace>(); return true;
    case 208: case 223: memberAccess(memberKeyOfText(rhs[2].text)); return true;
    case 209: case 224: memberAccess(memberKeyOfText(rhs[2].text)); return true;
    case 210: memberAccess(integerKey(rhs[2].intValue)); return true;
    case 211: indexedAccess(); return true;
    case 212: callOrNew(true); return true;
    case 213: pushValueOf(newNodeLoadGlobal(builtinMemberSlot(rhs[0].intValue, rhs[2].text))); return true;
    case 220: appendCode(newNodePushInt138(0)); callOrNew(true); return true;
    case 221: case 222: callOrNew(false); return true;
    case 226: finishArguments(0); return true;
    case 228: finishArguments(parserState().argumentCount); return true;
    case 233: pushValueOf(newNodePushInt32(rhs[0].intValue)); return true;
    case 234: pushValueOf(newNodePushDouble(rhs[0].doubleValue)); return true;
    case 235: pushValueOf(newNodePushInt32(rhs[0].intValue)); return true;
    case 236: pushValueOf(newNodePushString(rhs[0].text)); return true;
    case 238: pushValueOf(newNodePushBool(rhs[0].text && rhs[0].text[0] == 't')); return true;
    case 239: pushValueOf(newNodePushNull()); return true;
    default: return false;
  }
}

}  // namespace gen
}  // namespace kv
