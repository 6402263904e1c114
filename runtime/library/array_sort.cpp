// Array.prototype.sort, built at start-up as instruction lists: a top-down
// merge sort over the array's sort buffer whose recursion is itself a
// script function, sortRange. The lists do the control flow and the
// comparator calls; CallIntrinsic operations read, swap and move buffer
// entries. comparator(a, b) true means a may stay before b.
#include "runtime/library/array_build.h"
#include "runtime/vm/builtin_classes.h"

namespace kv {
namespace {

// sortRange's parameters (counted from 1) and the locals the lists read;
// locals 3 and 4 (i and j) belong to the merge intrinsics alone
// (runtime/vm/interp_ext.h).
constexpr int32_t kComparator = 1, kLo = 2, kSelf = 4, kArray = 5;
constexpr int32_t kLenA = 1, kLenB = 2;
constexpr int32_t kRangeParams = 5, kRangeLocals = 5;

// The intrinsic operations the lists use.
constexpr int32_t kOpPrepare = 9, kOpSwapPair = 10, kOpEntryValue = 11, kOpUndefinedRule = 12, kOpSortRange = 15,
                  kOpFinish = 17, kOpMergeStart = 18, kOpMergeAnswered = 19, kOpRangeSetUp = 20,
                  kOpSortCount = 21;

enum class Half { First, Second };

KVfobj* gSortRange = nullptr;

// lo, or lo + lenA for the second half.
void emitHalfBase(Half half) {
  emitLoadParam(kLo);
  if (half == Half::Second) {
    emitLoadLocal(kLenA);
    emitAdd();
  }
}

// comparator(a, b) through the undefined rule: an undefined b answers true,
// an undefined a false, without a call. Leaves whether a may stay first.
void emitCompare(LabelSlot* thrown) {
  LabelSlot* decided = newBuildLabel();
  emitCallIntrinsic(kOpUndefinedRule);
  emitJumpIf(decided, 1);
  emitPushInt(2);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
  emitLabel(decided);
}

void emitRecursiveSort(Half half, LabelSlot* thrown) {
  emitLoadParam(kSelf);
  emitLoadParam(kComparator);
  emitHalfBase(half);
  emitLoadLocal(half == Half::First ? kLenA : kLenB);
  emitLoadParam(kSelf);
  emitLoadParam(kArray);
  emitPushInt(5);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
}

void emitComparePair(Half half, LabelSlot* thrown) {
  emitLoadParam(kComparator);
  emitLoadParam(kArray);
  emitHalfBase(half);
  emitCallIntrinsic(kOpEntryValue);
  emitLoadParam(kArray);
  emitHalfBase(half);
  emitPushInt32(1);
  emitAdd();
  emitCallIntrinsic(kOpEntryValue);
  emitCompare(thrown);
}

void emitSwapPair(Half half) {
  emitLoadParam(kArray);
  emitHalfBase(half);
  emitCallIntrinsic(kOpSwapPair);
}

// The merge: the intrinsic moves entries into the scratch half on its own
// and stops only for a call of the comparator, whose answer the next round
// takes; the last round copies the merged range back.
void emitMerge(LabelSlot* thrown) {
  LabelSlot *call = newBuildLabel(), *out = newBuildLabel();
  emitCallIntrinsic(kOpMergeStart);
  emitJumpIf(out, 0);
  emitLabel(call);
  emitPushInt(2);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
  emitCallIntrinsic(kOpMergeAnswered);
  emitJumpIf(call, 1);
  emitLabel(out);
}

// Sorts a half longer than 2 by recursion, or orders a half of exactly 2
// with one comparison.
void emitHalfSteps(Half half, LabelSlot* thrown, bool pairs) {
  LabelSlot* skip = newBuildLabel();
  emitLoadLocal(half == Half::First ? kLenA : kLenB);
  emitPushInt32(2);
  if (pairs) emitEqual();
  else emitGreater();
  emitJumpIf(skip, 0);
  if (pairs) {
    emitComparePair(half, thrown);
    emitJumpIf(skip, 1);
    emitSwapPair(half);
  } else {
    emitRecursiveSort(half, thrown);
  }
  emitLabel(skip);
}

FunctionRecord* buildSortRangeCode() {
  LabelSlot* thrown = newBuildLabel();
  beginBuild();
  emitCallIntrinsic(kOpRangeSetUp);
  emitHalfSteps(Half::First, thrown, false);
  emitHalfSteps(Half::Second, thrown, false);
  emitHalfSteps(Half::First, thrown, true);
  emitHalfSteps(Half::Second, thrown, true);
  emitMerge(thrown);
  return finishBuild(kRangeParams, kRangeLocals);
}

FunctionRecord* buildSortCode() {
  LabelSlot *done = newBuildLabel(), *thrown = newBuildLabel();
  beginBuild();
  emitPushThis();
  emitCallIntrinsic(kOpPrepare);
  emitJumpIf(done, 0);
  emitCallIntrinsic(kOpSortRange);
  emitLoadParam(1);
  emitPushInt32(0);
  emitPushThis();
  emitCallIntrinsic(kOpSortCount);
  emitCallIntrinsic(kOpSortRange);
  emitPushThis();
  emitPushInt(5);
  emitCall();
  emitJumpToLabelIfReceiver(thrown);
  emitLabel(done);
  emitPushThis();
  emitCallIntrinsic(kOpFinish);
  emitPushThis();
  // The one local keeps the mark by which the finish step knows this call
  // as the owner of the buffer.
  return finishBuild(1, 1);
}

}  // namespace

KVfobj* buildSortMethod() {
  // sortRange lives in the static area and is reachable from no script
  // object; its code record is filled in once built.
  static const NameVector kNoCells;
  gSortRange = newClassConstructor(permanentCallable(Callable{}), &kNoCells, 1, 0);
  FunctionRecord* range = buildSortRangeCode();
  rememberBuiltRecord(kBuiltSortRange, range);
  gSortRange->callable = &range->body;
  gBuiltins.sortRangeFunction = gSortRange;
  FunctionRecord* sort = buildSortCode();
  rememberBuiltRecord(kBuiltSort, sort);
  return newBuiltMethod(sort);
}

KVfobj* buildSortRangeFunction() { return gSortRange; }

}  // namespace kv
