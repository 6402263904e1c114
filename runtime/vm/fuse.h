// Fused records: which run of records starting at a position the code loop
// may execute as one step. The records themselves are never changed (the
// object file and every jump into the middle of a run see them as they
// are); the loop only notes per record which fused step its run allows.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"

namespace kv {

enum class Fused : uint8_t {
  None,
  // local (< <= > >= == !=) (constant | local | outer variable), then Branch,
  // JumpIfFalse, JumpIf, && or ||; == and != also against null, undefined
  // and booleans.
  CompareBranch,
  // local++ or local-- as a statement: the value-and-reference load, the
  // in-place step and the pop (or pop-and-jump) of the old value.
  StepLocal,
  // A store through a reference followed by a pop of the stored value.
  AssignPop,
  // An integer constant pushed and combined with the top operand.
  ConstAdd, ConstSub, ConstMul, ConstMod,
  // A frame local pushed and combined with the top operand.
  LocalAdd, LocalSub, LocalMul,
  // Two frame locals pushed one after the other.
  LoadTwo,
  // `local = <integer expression>;`: the local's reference, an expression
  // of frame locals, integer constants and + - * % & | ^, the store and the
  // pop (CodeNode::run records).
  ExprStore,
  // Two such expressions compared (< <= > >= == !=), then Branch or
  // JumpIfFalse or JumpIf (CodeNode::run records).
  ExprBranch,
  // A Jump to a `local++` / `local--` statement ending in PopAndJump (a
  // loop's step): the jump and the three records of the step.
  JumpStep,
  // Member steps beginning with a frame local or a variable of an enclosing
  // scope (memberRun):
  // local.name read, and its reference pushed (the left side of a store).
  LocalMember, LocalMemberRef,
  // local[local] read, and its reference pushed.
  LocalElement, LocalElementRef,
  // local.name and local[local] read and combined with the top operand by
  // + - or *, and then, where they follow, with an integer constant by + -
  // * or % (CodeNode::run records).
  LocalMemberOp, LocalElementOp,
  // `local = local OP <such a read and operation>;`: the reference, the
  // local, the read with its operations, the store and the pop
  // (CodeNode::run records).
  ReadOpStore,
  // this.name read, and its reference pushed.
  FrameMember, FrameMemberRef,
  // `local.name = <integer expression>;` and `local[local] = <integer
  // expression>;`: the reference, an expression as ExprStore's, the store
  // and the pop (CodeNode::run records). MemberExprStore also stands for
  // `this.name = ...;`.
  MemberExprStore, ElementExprStore,
  // Not a run: a Call whose script callee runs in the caller's code loop
  // rather than a nested one (the same records, steps and frames).
  EnterCall,
  // A call's argument count pushed, then the Call (entered as EnterCall).
  CountCall,
  // A frame local pushed and returned (`return local;`).
  LocalReturn,
  // A frame local pushed, then an integer constant combined with it by
  // + - or * (`local - 1` as an argument or an operand).
  LocalConstOp,
  // LocalConstOp's records as a call's one argument, then the count pushed
  // and the Call (`f(local - 1)`; the call entered as EnterCall). Here the
  // operation may also be % by a constant other than 0 and -1 (`f(i % 8)`).
  LocalConstCall,
  // A variable of an enclosing scope pushed (a function's own name, say).
  OuterValue,
  // The two top operands added and the sum returned (`return a + b;`).
  AddReturn,
  // `local = v;`, `local.name = v;` (or `this.name = v;`) and
  // `local[local] = v;` where v is one pushed value: a constant other than
  // a text or a frame local (the reference, the push, the store and the
  // pop).
  LocalValueStore, MemberValueStore, ElementValueStore,
  // `local OP= <integer expression>;`, `local.name OP= ...;` and
  // `local[local] OP= ...;` under + - * & | ^: the target's value and
  // reference, an expression as ExprStore's, the compound store and the pop
  // (or pop-and-jump, a loop's step) (CodeNode::run records).
  CompoundStore, MemberCompoundStore, ElementCompoundStore,
  // A comparison of the two top operands (< <= > >= == !=), then Branch,
  // JumpIfFalse, JumpIf, && or ||.
  CompareJump,
  // `local = object.name;` and `local = object[local];`, the object a frame
  // local or an outer variable: the reference, the read, the store and the pop.
  MemberLoadStore, ElementLoadStore,
  // A negation, then a branch on it or && or || after it, with, when it
  // ends an && or || operand, that value's conversion between them.
  NotBranch,
  // A Jump to a CompoundStore ending in PopAndJump (a loop's step such as
  // `j += i`): the jump and the step's records.
  JumpCompound,
  // Element steps whose key is an integer expression of frame locals and
  // constants (`object[i + 1]`, the object a frame local or an outer
  // variable): the element read, its reference pushed, and `object[e] = v;`
  // of one pushed value as the value stores take it (CodeNode::run records;
  // the key's records noted as an ExprStore's).
  IndexExprElement, IndexExprElementRef, IndexExprValueStore,
  // `object[e] = other.name;` and `object[e] = other[local or constant];`.
  IndexExprReadStore,
  // The value of && or || converted to a truth value (ToBool), then a
  // branch on it or && or || after it.
  ToBoolBranch,
  // An integer constant compared with the top operand (< <= > >= == !=), or
  // null, undefined or a boolean (== !=), then Branch, JumpIfFalse, JumpIf,
  // && or ||.
  ConstCompareJump,
  // A read operand (`object.name`, `object[local]`, `object[integer
  // constant]`, the object a frame local or an outer variable) compared with
  // a constant, a local or an outer variable (ReadCompare), a local or outer
  // variable compared with a read operand (LocalReadCompare), and
  // `this.name` compared with a constant, a local or an outer variable
  // (FrameMemberCompare), then Branch, JumpIfFalse, JumpIf, && or || with
  // or without the answer's conversion to a truth value (`dom[w] == 0`,
  // `j < l.length`, `this.tail == null`; CodeNode::run records).
  ReadCompare, LocalReadCompare, FrameMemberCompare,
  // `base.name = base.name;`: the reference, the read as LocalMember reads
  // it, the store and the pop.
  MemberMemberStore,
  // ExprStore, StepLocal and CompoundStore for a variable of an enclosing
  // scope (the expression may read such variables).
  OuterExprStore, StepOuter, OuterCompoundStore,
  // A comparison of the two top operands, then Return.
  CompareReturn,
  // `object.push(v);` as a statement, the object a frame local or an outer
  // variable and v one pushed value as the value stores take it: the
  // member read, the value, the count, the method call, its throw check and
  // the pop of its result (served when the method is the built-in push on
  // a plain array).
  PushStatement,
  // `object[local]` tested: its truth then Branch, JumpIfFalse or JumpIf
  // (`if (flags[i])`), the object a frame local or an outer variable (its
  // comparisons are ReadCompare's).
  ElementBranch,
  // `object[local] = object[local];`, each object a frame local or an outer
  // variable: the reference, the read, the store and the pop.
  ElementCopyStore,
  // `!object[local]` and `!object[e]` (e an integer expression as
  // IndexExprElement's) tested: the element read, its negation, then Branch,
  // JumpIfFalse, JumpIf, && or ||, with the answer's conversion to a truth
  // value between them where it closes an && or || (`!cols[c] && !d1[row +
  // c]`); the object a frame local or an outer variable (CodeNode::run
  // records).
  ElementNotBranch, IndexExprNotBranch,
  // A call of the function a variable holds (a frame local or a variable of
  // an enclosing scope, globals among them) passing no receiver: the
  // callee's read, then LocalConstCall's records (`f(local - 1)`), run by
  // that step with the callee taken from its variable rather than pushed.
  VarCall,
  // `this.name` read and returned (`return this.name;`).
  FrameMemberReturn,
  // A method call with no argument or one frame local, the object a frame
  // local or a variable of an enclosing scope (`list.next()`,
  // `c.add(i)`): the object, the member read, the argument, the count and
  // the Call (CodeNode::run records).
  MethodCall,
};

// The fused step the run at `pc` of `code` allows, judged only from the
// records' kinds, flags and side records (the values are checked when the
// step runs; anything unexpected runs the records one by one).
// `length` receives the records the step covers (for JumpStep the
// records at the jump's target, after the jump itself).
Fused fusedAt(const CodeVector& code, uint32_t pc, uint32_t* length = nullptr);
// How the records of an ExprStore or ExprBranch expression are evaluated
// (CodeNode::micro): a local or constant pushed alone, or with the integer
// operation of the next record (which the step then skips), or an operation
// on the two top values. The operations: + - * % & | ^ << >> / in that order.
// A float constant is always pushed alone; the integer steps give up on it
// and on `/`, which only the number steps take. A member or element read is
// one operand, noted on its first record: `object.name` (2 records),
// `this.name` (2), `object[local]` and `object[integer constant]` (3), the
// object a frame local or a variable of an enclosing scope.
enum ExprMicro : uint8_t {
  kMicroLocal = 1,
  kMicroConst = 2,
  kMicroDouble = 3,
  kMicroMember = 4,
  kMicroThisMember = 5,
  kMicroElement = 6,
  kMicroElementConst = 7,
  // A variable of an enclosing scope pushed alone (element keys only).
  kMicroOuter = 8,
  // `object[key expression]`: the object (a frame local or a variable of an
  // enclosing scope), whose key's records follow with their own codes, and
  // the GetIndexed that reads the element.
  kMicroIndexBase = 9,
  kMicroIndex = 10,
  kMicroStackOp = 16,
  kMicroLocalOp = 32,
  kMicroConstOp = 48,
  // A read operand whose value the next record's operation combines with
  // the value below it at once: kMicroReadOp + 16 * (read code -
  // kMicroMember) + operation (the operation's record keeps its own code,
  // which the number steps follow).
  kMicroReadOp = 64,
};
constexpr uint8_t kMicroOps = 10;
// The read code (kMicroMember to kMicroElementConst) of a read operand's
// micro code m, with or without its operation.
constexpr uint8_t readMicro(uint8_t m) {
  return m >= kMicroReadOp ? static_cast<uint8_t>(kMicroMember + ((m - kMicroReadOp) >> 4)) : m;
}
// CodeNode::reads of a fused expression step's first record. An expression
// that reads members or elements notes how its values were found the first
// time it served: when they were numbers with a float, it is evaluated as
// numbers at once from then on.
enum ExprReads : uint8_t {
  kReadsNone = 0,
  kReadsUntried = 1,
  kReadsIntegers = 2,
  kReadsNumbers = 3,
};
// Notes CodeNode::micro on the `count` expression records from `from`.
void noteExprMicro(const CodeVector& code, uint32_t from, uint32_t count);
// The records of a read operand at `at` (kMicroMember and its kin), 0 when
// the records there are none.
uint32_t readOperandAt(const CodeVector& code, uint32_t at);

// The deepest operand stack an ExprStore or ExprBranch expression builds.
constexpr int32_t kFusedExprDepth = 8;
// On by default. Records that have run keep the step chosen for them, so a
// change applies to code that has not run yet (tests compare the two forms).
void setRecordFusion(bool on);
// Whether the switch is on. Off, the loop also runs member steps out of
// line, and steps that look ahead when they run (a concatenation followed by
// a constant text and another) run their records one by one.
bool recordFusion();

}  // namespace kv
