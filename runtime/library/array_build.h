// Building script functions straight from instruction records at start-up:
// the list being built, the emitters that append to it, and the step that
// links it into a function object. The Array methods that take a callback
// and the sort are made this way, so they run on the interpreter like any
// compiled function and may call, wait and throw through ordinary calls.
#pragma once

#include <cstdint>

#include "runtime/vm/code.h"
#include "runtime/vm/function.h"

namespace kv {

// The list the emitters append to; null outside a build. Builders are not
// re-entrant.
extern NodeList* currentBuildList;

// Starts a build on a new empty list.
void beginBuild();
// Links the list (no folding), resets currentBuildList and answers the
// function record that holds the code vector.
FunctionRecord* finishBuild(int32_t params, int32_t locals);
// A function object on the young heap over the record.
KVfobj* newBuiltMethod(const FunctionRecord* rec);

// A label not placed yet (position -1); jumping to a label never placed
// ends the run of the function.
LabelSlot* newBuildLabel();

// Appends one record, stamped with source position 0: nothing was read at
// start-up, so warnings raised by these records read F:0 L:0.
void emitNode(CodeNode* node);

void emitLoadLocal(int32_t i);
void emitLoadLocalRef(int32_t i);
// Local i as reference and value, the form IncrementInPlace and
// CompoundAssign work on.
void emitLoadLocalBoth(int32_t i);
void emitLoadParam(int32_t n);  // n counts from 1
void emitPostIncrementLocal(int32_t i);
void emitLabel(LabelSlot* label);
void emitJumpIf(LabelSlot* label, int32_t sense);
void emitJumpIfFalse(LabelSlot* label);
void emitJump(LabelSlot* label);
// The loop's back jump: to head, with exit placed just after it.
void emitLoopJump(LabelSlot* head, LabelSlot* exit);
void emitPushInt(int32_t n);
void emitPushInt32(int32_t n);
void emitPushUndefined();
void emitPushThis();
void emitCall();
void emitJumpToLabelIfReceiver(LabelSlot* label);
void emitPop();
void emitAssign();
void emitReturn();
void emitForOf(int32_t operand);
void emitGetMember(const char* name);
void emitGreater();
void emitGreaterOrEqual();
void emitLess();
void emitEqual();
void emitAdd();
void emitCallIntrinsic(int32_t op);

// The six walking methods and the sort, each a new function object.
KVfobj* buildForEachMethod();
KVfobj* buildReduceMethod();
KVfobj* buildMapMethod();
KVfobj* buildFindMethod();
KVfobj* buildFindIndexMethod();
KVfobj* buildFilterMethod();
KVfobj* buildSortMethod();
// sortRange, made by buildSortMethod in the static area; the sort's
// CallIntrinsic 15 pushes it.
KVfobj* buildSortRangeFunction();

// The code records of the last build of each method, for tests that check
// what was linked: forEach, reduce, map, find, findIndex, filter, sort,
// sortRange.
enum BuiltMethod : int32_t { kBuiltForEach, kBuiltReduce, kBuiltMap, kBuiltFind, kBuiltFindIndex, kBuiltFilter,
                             kBuiltSort, kBuiltSortRange, kBuiltCount };
const FunctionRecord* builtMethodRecord(BuiltMethod which);
void rememberBuiltRecord(BuiltMethod which, const FunctionRecord* rec);

// Fills the Array class's builder slots with the builders above.
void installArrayMethodBuilders();

}  // namespace kv
