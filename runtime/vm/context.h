// The state of one script thread: its value area, call frames, operand
// stack, pending references and constructions, and the result pushers
// through which every native returns its value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "runtime/vm/activation.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/value.h"

namespace kv {

struct CallFrame {
  ActivationObject* activation = nullptr;
  ScopeChain* scope = nullptr;
  KVobj* receiver = nullptr;
  // The running function: a closure made as a temporary owns the copies
  // its scope chain lists, so its frame keeps it alive while it runs.
  KVobj* callee = nullptr;
  // The stack levels at entry. Statements of the frame run at these levels,
  // so a handler, a return or a throw out of the frame puts the stacks back
  // to them. The first four lie in the order of the context's levels
  // (KVContext::refDepth on), so that one copy records them and one
  // comparison tells a return that none moved.
  int32_t refDepth = -1;  // reference depth at entry; -1 while idle
  int32_t objectLiteralBase = 0;
  int32_t arrayLiteralBase = 0;
  int32_t scopeBase = 0;
  int32_t operandBase = 0;
  int32_t importBase = 0;
  int32_t passed = 0;     // arguments copied into the cells
  // The frame runs a constructor for `new` that waited: when it ends after
  // the thread resumes, the result becomes its receiver, the made object.
  bool constructs = false;
  // The program the frame goes on with when its callee returns: saved at a
  // call made out of a code loop, noted when a loop takes the frame up.
  const Callable* savedProgram = nullptr;
  int32_t savedPc = 0;
  // What a code loop running the frame keeps of it in registers, noted
  // whenever the loop takes the frame up (its entry, the loop's start, a
  // general leave back to it), so that a return to it takes them back from
  // here, beside the resume point, instead of through the program's code
  // vector and the activation: the records (their count with them) and the
  // cells.
  uint32_t resumeCount = 0;
  CodeNode* const* resumeCode = nullptr;
  Value* resumeCells = nullptr;
  int32_t resumeCellCount = 0;
};

enum RefKind : int32_t { kRefNone = 0, kRefCell = 1, kRefMember = 2, kRefNamed = 3 };

struct RefRecord {
  int32_t kind = kRefNone;
  int32_t key = kAtomNotFoundKey;  // cell index, atom or element index
  void* container = nullptr;       // a cell base (kind 1) or an object
  const char* text = nullptr;      // member name (kind 3)
  static constexpr int32_t kAtomNotFoundKey = -4;
};

// What a generator keeps of its frame between runs.
constexpr int32_t kSavedOperands = 4;
constexpr int32_t kSavedRefs = 4;
constexpr int32_t kSavedLiterals = 4;
struct SavedFrame {
  Value* cells = nullptr;  // owned: delete[] by the owner
  int32_t cellCount = 0;
  Value values[kSavedOperands];
  KVobj* valueRefs[kSavedOperands] = {};
  int32_t valueCount = 0;
  RefRecord refs[kSavedRefs];
  // A cell reference into the frame's own cells is kept as its offset from
  // the frame's first cell (-1 for any other reference): a generator may be
  // resumed at another depth or on another thread, where its cells lie
  // elsewhere.
  int32_t refCellOffsets[kSavedRefs] = {};
  int32_t refCount = 0;
  // Object and array literals the frame had open at the Yield.
  KVobj* objectLiterals[kSavedLiterals] = {};
  int32_t objectLiteralCount = 0;
  KVobj* arrayLiterals[kSavedLiterals] = {};
  int32_t arrayLiteralCount = 0;
};
void visitSavedFrame(SavedFrame& s, bool full);
void visitRefRecord(RefRecord& r, bool full);

class KVContext {
 public:
  static constexpr int32_t kCells = 1024;
  static constexpr int32_t kFrames = 32;
  static constexpr int32_t kOperands = 32;
  static constexpr int32_t kRefs = 32;
  static constexpr int32_t kConstructing = 16;
  static constexpr int32_t kOpenLiterals = 64;
  static constexpr int32_t kSavedScopes = 64;
  static constexpr uint32_t kSuspended = 1;

  // A spawned thread's context: every frame has an activation of its own.
  KVContext();
  ~KVContext();
  KVContext(const KVContext&) = delete;
  KVContext& operator=(const KVContext&) = delete;

  // Result pushers: each writes the top operand and clears its reference.
  Value& pushSlot() {
    if (top >= kOperands) [[unlikely]]
      throw RuntimeError(kErrStackOverflow);
    operandRefs[top] = nullptr;
    return operands[top++];
  }
  void pushUndefined() { pushSlot() = Value(); }
  void pushNull() { pushSlot() = Value::makeNull(); }
  void pushNaN() { pushSlot() = Value::makeNaN(); }
  void pushValue(const Value& v) { pushSlot() = v; }
  void pushObject(KVobj* obj) { pushSlot() = Value::makeObject(obj); }
  void pushInt(int32_t v) { pushSlot() = Value::makeInt(v); }
  void pushDouble(double v) { pushSlot() = Value::makeFloat(v); }
  void pushBool(bool v) { pushSlot() = Value::makeBool(v); }
  void pushString(const char* text) { pushSlot() = Value::makeString(text); }

  // Reference pushers.
  void pushCellRef(Value* base, int32_t index) { pushRef(kRefCell, base, index, nullptr); }
  void pushMemberRef(KVobj* obj, int32_t key) { pushRef(kRefMember, obj, key, nullptr); }
  void pushNamedRef(KVobj* obj, const char* text) { pushRef(kRefNamed, obj, 0, text); }
  void pushNoRef() { pushRef(kRefNone, nullptr, RefRecord::kAtomNotFoundKey, nullptr); }

  // The cell a member or named reference stands for (mode kAttrWritable
  // asks for write access; a missing member of an unsealed object is added),
  // or null.
  Value* resolveReference(int32_t mode);
  // Any reference, for a write.
  Value* resolveForWrite();
  // Add or subtract one to the integer payload of the referenced writable
  // cell; null when there is none.
  Value* incrementThroughRef();
  Value* decrementThroughRef();
  bool deleteThroughRef();

  void pushConstructing(KVobj* obj);
  KVobj* popConstructing();

  // The activation k levels out: 0 the current one, k >= 1 the k-th of the
  // current frame's scope chain.
  ActivationObject* frameActivation(int32_t k);
  // Argument i of the running call, or the shared undefined cell.
  Value* arg(int32_t i) {
    return i >= 0 && i < frame->passed ? &frame->activation->cells[i] : &gUndefinedCell;
  }
  KVobj* receiver() const { return frame->receiver; }

  void visit(bool full);
  // After a minor collection moved a frame's callee from `from` to `to`: the
  // cell references into the captured cells in its body follow it.
  void followCapturedCellRefs(const KVobj* from, const KVobj* to);

  const Callable* program = nullptr;  // what the current frame runs
  uint32_t state = 0;
  uint8_t spawned = 1;
  uint8_t disposed = 0;
  int32_t number = -1;  // index in the live-contexts table, -1 until registered
  Value* cells;         // the value area
  CallFrame frames[kFrames];
  ActivationObject ownActivations[kFrames];
  int32_t depth = 1;
  CallFrame* frame = &frames[0];
  int32_t argCount = 0;  // arguments of the call being made
  KVobj* exception = nullptr;
  Value operands[kOperands];
  KVobj* operandRefs[kOperands] = {};
  int32_t top = 0;
  int32_t pc = 0;
  int32_t priority = 128;
  int32_t interval = 0;
  int32_t countdown = 0;
  RefRecord refs[kRefs];
  // The four stack levels a frame records at entry, side by side in the
  // order of CallFrame::refDepth and the bases after it.
  int32_t refDepth = 0;
  int32_t objectLiteralDepth = 0;
  int32_t arrayLiteralDepth = 0;
  int32_t scopeDepth = 0;
  KVobj* viewTarget = nullptr;  // a typed view whose element a reference resolved to
  int32_t viewIndex = 0;
  KVobj* constructing[kConstructing] = {};
  int32_t constructingDepth = 0;
  // Object and array literals being built, and the scopes that EnterScope
  // saved for the following MakeClosure. A wait may fall between a literal's
  // begin and end, so they belong to the thread.
  KVobj* objectLiterals[kOpenLiterals] = {};
  KVobj* arrayLiterals[kOpenLiterals] = {};
  ScopeChain* savedScopes[kSavedScopes] = {};
  // How many module top levels this thread is running: a throw out of a
  // module leaves it like any other stack level, so later imports still work.
  int32_t importNesting = 0;

 private:
  void pushRef(int32_t kind, void* container, int32_t key, const char* text);
  RefRecord popRef();
  Value* stepThroughRef(int32_t delta);
};

// The levels a call's entry copies and its return compares as one block.
constexpr size_t kFrameLevelBytes = 4 * sizeof(int32_t);
static_assert(offsetof(KVContext, objectLiteralDepth) == offsetof(KVContext, refDepth) + 4 &&
              offsetof(KVContext, arrayLiteralDepth) == offsetof(KVContext, refDepth) + 8 &&
              offsetof(KVContext, scopeDepth) == offsetof(KVContext, refDepth) + 12);
static_assert(offsetof(CallFrame, objectLiteralBase) == offsetof(CallFrame, refDepth) + 4 &&
              offsetof(CallFrame, arrayLiteralBase) == offsetof(CallFrame, refDepth) + 8 &&
              offsetof(CallFrame, scopeBase) == offsetof(CallFrame, refDepth) + 12);

// The context the interpreter and the natives work on.
extern KVContext* gCurrentContext;

// The main program's context: frame 0 is the global object, whose cells are
// the first cells of the value area. Registered in the live-contexts table.
KVContext* createMainContext();
const Callable* setupMainProgram(KVContext* ctx, const Callable* program, int32_t globals, int32_t locals);
void runContext(KVContext* ctx);
void resumeContext(KVContext* ctx);
void destroyContext(KVContext* ctx);
void markContext(KVContext* ctx, bool full);

// Calls. callFunction pushes a frame for fn with the ctx->argCount arguments
// on the operand stack below which fn lies. Text arguments become string
// objects, which may collect first: callers re-read young pointers after it.
void callFunction(KVContext* ctx, KVfobj* fn, KVobj* receiver);
// Frame 0 of a new thread: fn's cells start at `cells`, the new thread's
// value area, and take up to `count` arguments from ctx's running call.
// A layout larger than the area raises the stack-overflow error.
void enterCallFrame(CallFrame* frame, KVfobj* fn, KVContext* ctx, Value* cells, int32_t count);
// A frame for fn at `cells` of ctx's value area, its levels taken from ctx.
void enterFrameWithCells(CallFrame* frame, KVfobj* fn, KVContext* ctx, Value* cells, KVobj* receiver);
// Pops the current frame back to its idle state; the caller's frame is current.
void leaveCallFrame(KVContext* ctx);
// Takes the context's stack levels as the frame's entry levels.
void recordFrameLevels(CallFrame* frame, const KVContext* ctx);
// Puts every stack back to the current frame's entry levels: what a handler
// jump does before the caught value is stored.
void restoreFrameLevels(KVContext* ctx);
// What leaving the current frame does to the stacks: the result (the top
// operand, when there is one above the frame's base) stays alone above the
// base; with a throw pending the result is undefined.
void settleFrameResult(KVContext* ctx);
// Leaves a frame that a code loop entered itself (enterCallStep): the
// result settled, the frame left, and the caller's program and resume point
// current again, as callAndRun leaves them followed by the caller's step.
void leaveEnteredCall(KVContext* ctx);
// Copies of the arguments for a call whose operand stack will be gone;
// count is cut to the parameters; null when nothing is copied.
std::unique_ptr<Value[]> collectArguments(KVfobj* fn, int32_t& count);

// Runs fn to its end from native code; the caller's program and program
// counter are as before unless the run suspended the thread.
void callAndRun(KVfobj* fn, KVobj* receiver, KVContext* ctx);

// The result of `new` once the constructor's frame (whose operands started
// at `base`) is left: the made object unless the constructor gave an object.
void takeConstructedObject(KVContext* ctx, KVobj* made, int32_t base);

void saveFrameState(KVContext* ctx, SavedFrame& saved, int32_t valueCount);
void resumeSavedFrame(KVContext* ctx, KVfobj* fn, SavedFrame& saved, const Value& passed);

// Object pairs a native keeps across a nested run.
constexpr int32_t kCallerPairs = 32;
void pushCallerPair(KVobj* first, KVobj* second);
std::pair<KVobj*, KVobj*> popCallerPair();
void resetCallerPairs();

// The table of live contexts.
constexpr int32_t kMaxThreads = 1024;
int32_t registerThread(KVContext* ctx);
KVContext* registeredContext(int32_t index);
// Frees the context's slot (its pointer, its byte) and advances the slot's generation.
void unregisterContext(KVContext* ctx);
uint32_t threadGeneration(int32_t index);
// What dispose does: the slot's byte is cleared, its context stays.
void releaseThreadByte(int32_t index);
void resetThreadRegistry();

}  // namespace kv
