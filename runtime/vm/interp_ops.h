// The interpreter's out-of-line steps: everything that may allocate, call,
// warn or walk a chain. The loop in interpreter.cpp keeps the cheap kinds
// inline and hands the record here with the context's program counter
// current; each step answers what the loop does next (Jump: go on at
// ctx->pc).
#pragma once

#include <cstdint>

#include "runtime/vm/code.h"
#include "runtime/vm/context.h"
#include "runtime/vm/vm_hooks.h"

namespace kv {

// What the loop does after an out-of-line step (Jump: go on at ctx->pc;
// Enter: run ctx->program, whose frame was entered, from its start).
enum class StepResult { Advance, Jump, Leave, Enter };

// Runtime warning numbers the interpreter raises.
enum InterpreterWarning : int32_t {
  kWarnBadKey = 2,
  kWarnNotFunction = 6,
  kWarnNoObject = 7,
  kWarnNewNotFunction = 8,
  kWarnNegativeKey = 12,
  kWarnStepNotInteger = 16,
  kWarnRecursiveImport = 21,
  kWarnNoCell = 22,
};
// System error numbers the interpreter raises.
enum InterpreterError : int32_t {
  kErrWindowClosed = 6,
  kErrOutOfMemory = 7,
  kErrImportInThread = 15,
  kErrImportTwice = 16,
  kErrImportFailed = 17,
  kErrWaitInImport = 18,
};

// A variable of an enclosing function that the running closure holds as a
// captured cell of its own (captures.cpp), or null: the other variables are
// read through the frame's scope chain.
[[gnu::always_inline]] inline Value* capturedCellOf(const KVContext* ctx, const VariableRef* var) {
  if (var->captured < 0) return nullptr;
  const auto* fn = static_cast<const KVfobj*>(ctx->frame->callee);
  return fn && fn->ownCaptures() ? fn->captureCells() + var->captured : nullptr;
}
// The cell a resolved variable names in the running frame or its scopes.
Value* variableCell(KVContext* ctx, const VariableRef* var);

// A variable of an enclosing scope (depth > 0): its cell where the frame's
// scope chain holds it, noted on the variable for the chain and the scope
// epoch, else null. Inline where it is used: a call there has the code
// loop keep fewer of its values in registers on every path.
[[gnu::always_inline]] inline Value* findOuterCell(const KVContext* ctx, const VariableRef* var) {
  const ScopeChain* chain = ctx->frame->scope;
  ActivationObject* a;
  int32_t at;
  if (chain && static_cast<uint32_t>(var->depth - 1) < static_cast<uint32_t>(chain->count) &&
      (a = chain->entries[var->depth - 1], a->cells) &&
      (at = var->index < 0 ? -1 - var->index : a->argCount + var->index) < a->cellCount) [[likely]] {
    // Chains are never changed once made: the answer holds for this chain
    // until its address or the activations' cells may change (scopeEpoch).
    var->seenChain = chain;
    var->seenCell = a->cells + at;
    var->seenEpoch = scopeEpoch();
    return a->cells + at;
  }
  return nullptr;
}
// Whether the note on an enclosing scope's variable (VariableRef::seenCell)
// holds for the running frame: the frame runs on the chain it was made for,
// in the same scope epoch. The note's cell is never null then, so a read
// through it needs no test of the cell.
[[gnu::always_inline]] inline bool outerCellNoted(const KVContext* ctx, const VariableRef* var) {
  return ctx->frame->scope == var->seenChain && var->seenEpoch == scopeEpoch();
}
// outerCell's answer when the variable's note does not hold: the running
// closure's own captured cell, else the chain's.
[[gnu::always_inline]] inline Value* unnotedOuterCell(const KVContext* ctx, const VariableRef* var) {
  if (Value* own = capturedCellOf(ctx, var)) return own;
  return findOuterCell(ctx, var);
}
// A variable of an enclosing scope's cell, else null (variableCell then
// reports whatever is amiss): the note when the frame runs on the chain it
// was made for in the same scope epoch (a function's frames run on one
// chain however deep the recursion; another closure of it, or a
// collection, takes the long way once), the running closure's own captured
// cell (its chain then holds an empty activation there, and no variable of
// the global object is captured), else the chain.
[[gnu::always_inline]] inline Value* outerCell(const KVContext* ctx, const VariableRef* var) {
  if (outerCellNoted(ctx, var)) [[likely]]
    return var->seenCell;
  return unnotedOuterCell(ctx, var);
}

// Member read of obj under key through the record's cache (null cache: no
// cache); null when the member is missing.
Value* memberCell(KVobj* obj, int32_t key, MemberCache* cache);
// Notes in a member record's cache the first class it meets: the class's
// slot for key, or none, and whether only member lists can answer the key.
void fillMemberCache(MemberCache* cache, int32_t classId, int32_t key);
// GetMember with the object on top of the operand stack, after the cache missed.
void getMember(KVContext* ctx, int32_t key, uint16_t flags, MemberCache* cache);
void getIndexed(KVContext* ctx, uint16_t flags);

void assignThroughReference(KVContext* ctx);
void compoundAssign(KVContext* ctx, int32_t op);
// ++/-- through the innermost reference; keepTop also steps the top operand.
void stepThroughReference(KVContext* ctx, int32_t delta, bool keepTop);
void concatTop(KVContext* ctx);
// `a @ b @ "text"` as one step: the top two operands and the constant text
// joined into one new string object, no string made for `a @ b`. False, with
// nothing changed, when the text would be too long (the records then run one
// by one and report it as they do).
bool concatTopWithText(KVContext* ctx, const char* text);
void inTest(KVContext* ctx);
void instanceOfTest(KVContext* ctx);
void typeOfTop(KVContext* ctx);
void deleteReference(KVContext* ctx);
void loadGlobal(KVContext* ctx, CodeNode* node);

void beginObjectLiteral(KVContext* ctx);
void defineLiteralMember(KVContext* ctx, int32_t atom);
void endObjectLiteral(KVContext* ctx);

StepResult callStep(KVContext* ctx, bool method);
// callStep for a loop that runs script callees itself: a callee with code
// of its own has its frame entered (the caller's resume point saved as
// callAndRun saves it) and answers Enter; any other call runs as callStep
// runs it.
StepResult enterCallStep(KVContext* ctx, bool method);
StepResult callGuarded(KVContext* ctx);
StepResult newStep(KVContext* ctx);
// newStep for a loop that runs script constructors itself: the object made
// and the constructor's frame entered as enterCallStep enters a call's, the
// frame saying that it constructs (leaveEnteredConstructor leaves it); it
// answers Enter. Anything else runs as newStep runs it.
StepResult enterNewStep(KVContext* ctx);
// Leaves a constructor's frame that a code loop entered for `new`
// (enterConstructorCall) as leaveEnteredCall leaves a call's, then gives new's
// result as the nested construction does: the first construction fixes the
// instances' layout, the object made leaves the constructions under way, and
// it is the result unless the constructor gave an object.
void leaveEnteredConstructor(KVContext* ctx);
int32_t switchTarget(KVContext* ctx, const CaseTable* table);

void throwStep(KVContext* ctx, bool useValue);
void storeCaught(KVContext* ctx, const VariableRef* var);

void enterScope(KVContext* ctx);
void makeClosure(KVContext* ctx, FunctionRecord* rec);
// enterScope then makeClosure, as one: the scope the first saves the second
// takes back at once, so neither touches the saved scopes. The frame's saved
// scopes must be at or above its base and have room for one more.
void makeScopedClosure(KVContext* ctx, FunctionRecord* rec);

StepResult importStep(KVContext* ctx, const CodeNode* node);
void importEnd(KVContext* ctx);
void exportModuleVariables(KVContext* ctx, const ExportList* exports);

StepResult intrinsicStep(KVContext* ctx, int32_t operation);

// Process-wide interpreter state: the module being built and the once-only
// import flag (no wait can fall inside an import). resetInterpreterState
// forgets it all and registers its collector roots.
void resetInterpreterState();

}  // namespace kv
