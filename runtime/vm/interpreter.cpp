// The code loop. Dispatch is threaded: every handler ends by fetching the
// next record and jumping through a two-level table (kind -> handler index ->
// label), so each step costs one predictable indirect branch. The program
// counter lives in a register; the operand stack stays in the context,
// which the collector and the out-of-line steps see. The cheap kinds run
// inline; anything that may allocate, call or warn goes to interp_ops.cpp
// with ctx->pc current.
#include "runtime/vm/interpreter.h"

#include <new>
#include <stdexcept>
#include <string>

#include "runtime/vm/context.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/log.h"

namespace kv {
namespace {

// The rethrown form of a failure already logged by an inner run, so that
// outer runs pass it on without logging it again.
class AbortedRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Shared by all contexts and never reset: the pump runs once per 258 steps
// however the steps are spread over threads.
uint32_t gStepCounter = 0;
constexpr uint32_t kStepsBetweenPumps = 257;

[[gnu::noinline, gnu::cold]] void pumpMessages() {
  MessagePumpHook hook = messagePumpHook();
  if (hook && hook() == -1) throw RuntimeError(kErrWindowClosed);
}

[[noreturn, gnu::noinline, gnu::cold]] void operandUnderflow() { throw RuntimeError(kErrUnexpected); }
[[noreturn, gnu::noinline, gnu::cold]] void unknownOpcode() { throw KVUnexpected("unknown opcode"); }

// Handler numbers; several kinds share one.
enum Handler : uint8_t {
  hUnknown, hPushInt, hPushDouble, hPushString, hPushBool, hPushNull, hPushNaN, hPushUndefined,
  hPushFrameObject, hNew, hPop, hAssign, hCompoundAssign, hJumpIfFalse, hJump, hNop, hAndThen, hOrElse,
  hToBool, hBitAnd, hBitOr, hBitXor, hGreater, hLess, hEqual, hNotEqual, hIn, hInstanceOf, hShiftLeft,
  hShiftRight, hConcat, hAdd, hSub, hMul, hDiv, hMod, hNegate, hToInt, hToFloat, hDelete, hTypeOf,
  hIncrement, hDecrement, hBitNot, hNot, hIncrementInPlace, hDecrementInPlace, hLoadVariable,
  hLoadGlobal, hGetMember, hGetIndexed, hBeginObject, hDefineMember, hEndObject, hSwitch, hReturn,
  hReturnUndefined, hBranch, hPopAndJump, hJumpPast, hStoreCaught128, hStoreCaught129, hJumpIfThrown,
  hThrow, hJumpToHandler, hImport, hImportEnd, hCall, hWait, hEnterScope, hMakeClosure, hJumpIf,
  hCallIntrinsic, hWaitForbidden, hCallGuarded, hEnd, hHooked, hCount
};

struct KindTable {
  uint8_t at[kLastKind - kFirstKind + 1] = {};
  constexpr void set(int32_t kind, Handler h) { at[kind - kFirstKind] = h; }
  constexpr KindTable() {
    set(PushInt, hPushInt); set(PushInt138, hPushInt); set(PushDouble, hPushDouble);
    set(PushString, hPushString); set(PushBool, hPushBool); set(PushNull, hPushNull); set(PushNaN, hPushNaN);
    set(PushUndefined, hPushUndefined); set(PushFrameObject, hPushFrameObject); set(New, hNew);
    set(Pop49, hPop); set(Pop123, hPop); set(Pop137, hPop);
    set(Assign, hAssign); set(AssignThroughReference, hAssign); set(CompoundAssign, hCompoundAssign);
    for (int32_t k : {JumpIfFalse53, JumpIfFalse107, JumpIfFalse109, JumpIfFalse121}) set(k, hJumpIfFalse);
    for (int32_t k : {Jump54, Jump108, Jump110, Jump117, Jump118, Jump122, Jump126, Jump165}) set(k, hJump);
    for (int32_t k : {Nop55, Nop111, Nop112, Nop114, Nop115, Nop116, Nop130, Nop143}) set(k, hNop);
    set(AndThen, hAndThen); set(OrElse, hOrElse); set(ToBool58, hToBool); set(ToBool59, hToBool);
    set(BitAnd, hBitAnd); set(BitOr, hBitOr); set(BitXor, hBitXor); set(Greater, hGreater); set(Less, hLess);
    set(Equal, hEqual); set(NotEqual, hNotEqual); set(In, hIn); set(InstanceOf, hInstanceOf);
    set(ShiftLeft, hShiftLeft); set(ShiftRight, hShiftRight); set(Concat, hConcat); set(Add, hAdd);
    set(Sub, hSub); set(Mul, hMul); set(Div, hDiv); set(Mod, hMod); set(Negate, hNegate); set(ToInt, hToInt);
    set(ToFloat, hToFloat); set(Delete, hDelete); set(TypeOf, hTypeOf); set(Increment, hIncrement);
    set(Decrement, hDecrement); set(BitNot, hBitNot); set(Not, hNot); set(IncrementInPlace, hIncrementInPlace);
    set(DecrementInPlace, hDecrementInPlace); set(LoadVariable, hLoadVariable); set(LoadGlobal, hLoadGlobal);
    set(GetMember, hGetMember); set(GetIndexed, hGetIndexed); set(BeginObject, hBeginObject);
    set(DefineMember, hDefineMember); set(EndObject, hEndObject); set(Switch, hSwitch); set(Return, hReturn);
    set(ReturnUndefined, hReturnUndefined); set(Branch, hBranch); set(PopAndJump, hPopAndJump);
    set(JumpPast, hJumpPast); set(StoreCaught128, hStoreCaught128); set(StoreCaught129, hStoreCaught129);
    set(JumpIfThrown, hJumpIfThrown); set(Throw, hThrow); set(JumpToHandlerIfThrown, hJumpToHandler);
    set(Import, hImport); set(ImportEnd, hImportEnd); set(Call, hCall); set(Wait, hWait);
    set(EnterScope, hEnterScope); set(MakeClosure, hMakeClosure); set(JumpIf, hJumpIf);
    set(CallIntrinsic, hCallIntrinsic); set(WaitForbidden, hWaitForbidden); set(CallGuarded, hCallGuarded);
    set(End, hEnd);
    // Served by the classes that install step hooks with themselves.
    for (int32_t k : {BeginArray, AppendElement, EndArray, ForOf, Yield, GeneratorReturn}) set(k, hHooked);
  }
};
constexpr KindTable kKinds;

int32_t labelPosition(const LabelSlot* s) { return s ? s->position : -1; }

void runLoop(KVContext* ctx, const CodeVector& vec) {
  static void* const handlers[hCount] = {
      &&unknown, &&pushInt, &&pushDouble, &&pushString, &&pushBool, &&pushNull, &&pushNaN, &&pushUndefined,
      &&pushFrameObject, &&opNew, &&pop, &&assign, &&compoundAssign, &&jumpIfFalse, &&jump, &&nop, &&andThen,
      &&orElse, &&toBool, &&bitAnd, &&bitOr, &&bitXor, &&greater, &&less, &&equal, &&notEqual, &&in,
      &&instanceOf, &&shiftLeft, &&shiftRight, &&concat, &&add, &&sub, &&mul, &&div, &&mod, &&negate, &&toInt,
      &&toFloat, &&opDelete, &&typeOf, &&increment, &&decrement, &&bitNot, &&opNot, &&incrementInPlace,
      &&decrementInPlace, &&loadVariable, &&loadGlobal, &&getMember, &&getIndexed, &&beginObject,
      &&defineMember, &&endObject, &&opSwitch, &&opReturn, &&returnUndefined, &&branch, &&popAndJump,
      &&jumpPast, &&storeCaught128, &&storeCaught129, &&jumpIfThrown, &&opThrow, &&jumpToHandler, &&opImport,
      &&importEnd, &&call, &&wait, &&enterScope, &&makeClosure, &&jumpIf, &&callIntrinsic, &&waitForbidden,
      &&callGuarded, &&end, &&hooked};

  CodeNode* const* const code = vec.data();
  const uint32_t n = static_cast<uint32_t>(vec.size());
  Value* const ops = ctx->operands;
  KVobj** const opRefs = ctx->operandRefs;
  int32_t pc = ctx->pc;
  CodeNode* node;

// Fetch and dispatch the record at pc. An index outside the vector (the end,
// or a negative target such as a function-exit label) ends the run.
#define NEXT goto next
#define ADVANCE \
  ++pc;         \
  NEXT
#define SYNC ctx->pc = pc
#define NEED(k) \
  if (ctx->top < (k)) [[unlikely]] operandUnderflow()
#define TOP ops[ctx->top - 1]
#define SET_TOP(v)               \
  do {                           \
    ops[ctx->top - 1] = (v);     \
    opRefs[ctx->top - 1] = nullptr; \
  } while (0)
// Runs an out-of-line step and follows its answer.
#define OUT_OF_LINE(call)                    \
  SYNC;                                      \
  switch (call) {                            \
    case StepResult::Advance: pc = ctx->pc + 1; break; \
    case StepResult::Jump: pc = ctx->pc; break;        \
    case StepResult::Leave: return;                    \
  }                                          \
  NEXT
#define BINARY(fn)                                   \
  {                                                  \
    NEED(2);                                         \
    int32_t t = --ctx->top;                          \
    ops[t - 1] = *fn(&ops[t - 1], &ops[t]);          \
    opRefs[t - 1] = nullptr;                         \
    ADVANCE;                                         \
  }
#define INT_FAST(op, wrapped, slow)                                       \
  {                                                                       \
    NEED(2);                                                              \
    int32_t t = --ctx->top;                                               \
    Value& a = ops[t - 1];                                                \
    const Value& b = ops[t];                                              \
    if (a.tag == kInt && b.tag == kInt) a.i = wrapped;                    \
    else a = *slow(&a, &b);                                               \
    opRefs[t - 1] = nullptr;                                              \
    ADVANCE;                                                              \
  }
#define COMPARE(op, slow)                                                 \
  {                                                                       \
    NEED(2);                                                              \
    int32_t t = --ctx->top;                                               \
    Value& a = ops[t - 1];                                                \
    const Value& b = ops[t];                                              \
    if (a.tag == kInt && b.tag == kInt) a.setBool(a.i op b.i);            \
    else a = *slow(&a, &b);                                               \
    opRefs[t - 1] = nullptr;                                              \
    ADVANCE;                                                              \
  }

next:
  if (static_cast<uint32_t>(pc) >= n) [[unlikely]] {
    SYNC;
    return;
  }
  if (gStepCounter++ > kStepsBetweenPumps - 1) [[unlikely]] {
    gStepCounter = 0;
    SYNC;
    pumpMessages();
  }
  node = code[pc];
  gRunPosition.file = node->fileIndex;
  gRunPosition.line = node->line;
  {
    uint32_t k = static_cast<uint32_t>(node->kind - kFirstKind);
    if (k > static_cast<uint32_t>(kLastKind - kFirstKind)) [[unlikely]] goto unknown;
    goto* handlers[kKinds.at[k]];
  }

unknown:
  SYNC;
  unknownOpcode();

pushInt:
  ctx->pushSlot() = Value::makeInt(node->operand.i);
  ADVANCE;
pushDouble:
  ctx->pushSlot() = Value::makeFloat(node->operand.d);
  ADVANCE;
pushString:
  ctx->pushSlot() = Value::makeString(node->first.text);
  ADVANCE;
pushBool:
  ctx->pushSlot() = Value::makeBool(node->operand.i != 0);
  ADVANCE;
pushNull:
  ctx->pushSlot() = Value::makeNull();
  ADVANCE;
pushNaN:
  ctx->pushSlot() = Value::makeNaN();
  ADVANCE;
pushUndefined:
  ctx->pushSlot() = Value();
  ADVANCE;
pushFrameObject: {
  KVobj* self = ctx->frame->receiver;
  ctx->pushSlot() = self ? Value::makeObject(self) : Value::makeNull();
  ADVANCE;
}
opNew:
  OUT_OF_LINE(newStep(ctx));
pop:
  NEED(1);
  --ctx->top;
  ADVANCE;
assign:
  NEED(1);
  SYNC;
  assignThroughReference(ctx);
  ADVANCE;
compoundAssign:
  SYNC;
  compoundAssign(ctx, node->operand.i);
  ADVANCE;
jumpIfFalse:
  NEED(1);
  pc = valueIsTrue(ops[--ctx->top]) ? pc + 1 : node->operand.i;
  NEXT;
jump:
  pc = node->operand.i;
  NEXT;
nop:
  ADVANCE;
andThen:
  NEED(1);
  if (valueIsTrue(TOP)) {
    --ctx->top;
    ADVANCE;
  }
  SET_TOP(Value::makeBool(false));
  pc = node->operand.i;
  NEXT;
orElse:
  NEED(1);
  if (!valueIsTrue(TOP)) {
    --ctx->top;
    ADVANCE;
  }
  SET_TOP(Value::makeBool(true));
  pc = node->operand.i;
  NEXT;
toBool:
  NEED(1);
  SET_TOP(Value::makeBool(valueIsTrue(TOP)));
  ADVANCE;
bitAnd:
  BINARY(valueBitAnd)
bitOr:
  BINARY(valueBitOr)
bitXor:
  BINARY(valueBitXor)
shiftLeft:
  BINARY(valueShiftLeft)
shiftRight:
  BINARY(valueShiftRight)
mul:
  BINARY(valueMul)
div:
  BINARY(valueDiv)
mod:
  BINARY(valueMod)
add:
  INT_FAST(+, wrapInt(static_cast<uint32_t>(a.i) + static_cast<uint32_t>(b.i)), valueAdd)
sub:
  INT_FAST(-, wrapInt(static_cast<uint32_t>(a.i) - static_cast<uint32_t>(b.i)), valueSub)
greater:
  if (node->operand.i) COMPARE(>=, valueGreaterEqual)
  COMPARE(>, valueGreater)
less:
  if (node->operand.i) COMPARE(<=, valueLessEqual)
  COMPARE(<, valueLess)
equal:
  BINARY(valueEquals)
notEqual:
  BINARY(valueNotEquals)
in:
  NEED(2);
  SYNC;
  inTest(ctx);
  ADVANCE;
instanceOf:
  NEED(2);
  SYNC;
  instanceOfTest(ctx);
  ADVANCE;
concat:
  NEED(2);
  SYNC;
  concatTop(ctx);
  ADVANCE;
negate:
  NEED(1);
  SET_TOP(*valueNegate(&TOP));
  ADVANCE;
toInt:
  NEED(1);
  if (TOP.tag == kFloat) SET_TOP(Value::makeInt(doubleToInt32(TOP.d)));
  ADVANCE;
toFloat:
  NEED(1);
  if (TOP.tag == kInt) SET_TOP(Value::makeFloat(TOP.i));
  ADVANCE;
opDelete:
  SYNC;
  deleteReference(ctx);
  ADVANCE;
typeOf:
  NEED(1);
  SYNC;
  typeOfTop(ctx);
  ADVANCE;
increment:
  NEED(1);
  SYNC;
  stepThroughReference(ctx, 1, true);
  ADVANCE;
decrement:
  NEED(1);
  SYNC;
  stepThroughReference(ctx, -1, true);
  ADVANCE;
incrementInPlace:
  SYNC;
  stepThroughReference(ctx, 1, false);
  ADVANCE;
decrementInPlace:
  SYNC;
  stepThroughReference(ctx, -1, false);
  ADVANCE;
bitNot:
  NEED(1);
  if (TOP.tag != kNaN) SET_TOP(Value::makeInt(~bitOperand(TOP)));
  ADVANCE;
opNot:
  NEED(1);
  SET_TOP(Value::makeInt(valueIsTrue(TOP) ? 0 : 1));
  ADVANCE;
loadVariable: {
  const VariableRef* var = node->second.var;
  Value* cell;
  if (var->depth == 0) {
    ActivationObject* a = ctx->frame->activation;
    int32_t at = var->index < 0 ? -1 - var->index : a->argCount + var->index;
    if (at >= a->cellCount) [[unlikely]] {
      SYNC;
      operandUnderflow();
    }
    cell = a->cells + at;
  } else {
    SYNC;
    cell = variableCell(ctx, var);
  }
  if (node->flags & kPushValue) ctx->pushSlot() = *cell;
  if (node->flags & kPushReference) {
    ActivationObject* owner = var->depth == 0 ? ctx->frame->activation : nullptr;
    Value* base = owner ? owner->cells : cell;
    ctx->pushCellRef(base, static_cast<int32_t>(cell - base));
  }
  ADVANCE;
}
loadGlobal:
  SYNC;
  loadGlobal(ctx, node);
  ADVANCE;
getMember: {
  NEED(1);
  // The inline cache: the class seen first and the member's slot in it,
  // used only when the object really has that slot.
  Value& o = TOP;
  const MemberCache* mc = node->second.cache;
  if (node->flags == kPushValue && o.tag == kObject && o.obj && mc && o.obj->classId == mc->classId &&
      static_cast<uint32_t>(mc->slot) < static_cast<uint32_t>(o.obj->props.count)) {
    KVobj* obj = o.obj;
    o = *obj->props.cells[mc->slot];
    opRefs[ctx->top - 1] = obj;
    ADVANCE;
  }
  SYNC;
  getMember(ctx, node->operand.i, node->flags, node->second.cache);
  ADVANCE;
}
getIndexed:
  NEED(2);
  SYNC;
  getIndexed(ctx, node->flags);
  ADVANCE;
beginObject:
  SYNC;
  beginObjectLiteral();
  ADVANCE;
defineMember:
  NEED(1);
  SYNC;
  defineLiteralMember(ctx, node->operand.i);
  ADVANCE;
endObject:
  SYNC;
  endObjectLiteral(ctx);
  ADVANCE;
opSwitch:
  NEED(1);
  pc = switchTarget(ctx, node->second.cases);
  NEXT;
opReturn:
  SYNC;
  return;
returnUndefined:
  ctx->pushSlot() = Value();
  SYNC;
  return;
branch:
  NEED(1);
  pc = valueIsTrue(ops[--ctx->top]) ? labelPosition(node->second.triple->second)
                                     : labelPosition(node->second.triple->third);
  NEXT;
popAndJump:
  NEED(1);
  --ctx->top;
  pc = node->operand.i;
  NEXT;
jumpPast:
  pc = node->operand.i + 1;
  NEXT;
storeCaught128:
  ctx->exception = nullptr;
  ADVANCE;
storeCaught129:
  SYNC;
  storeCaught(ctx, node->second.var);
  ADVANCE;
jumpIfThrown:
  pc = ctx->exception ? node->operand.i : pc + 1;
  NEXT;
opThrow:
  NEED(1);
  SYNC;
  throwStep(ctx, node->operand.i != 0);
  pc = node->first.label ? node->first.label->position : pc + 1;
  NEXT;
jumpToHandler:
  pc = ctx->exception && node->first.label ? node->first.label->position : pc + 1;
  NEXT;
opImport:
  OUT_OF_LINE(importStep(ctx, node));
importEnd:
  NEED(1);
  SYNC;
  importEnd(ctx);
  ADVANCE;
call:
  OUT_OF_LINE(callStep(ctx, node->operand.i != 0));
callGuarded:
  OUT_OF_LINE(callGuarded(ctx));
wait:
  ctx->pc = pc + 1;
  ctx->state |= KVContext::kSuspended;
  return;
waitForbidden:
  ctx->pc = pc + 1;
  ctx->state |= KVContext::kSuspended;
  throw RuntimeError(kErrWaitInImport);
enterScope:
  SYNC;
  enterScope(ctx);
  ADVANCE;
makeClosure:
  SYNC;
  makeClosure(ctx, node->second.function);
  ADVANCE;
jumpIf:
  NEED(1);
  pc = valueIsTrue(ops[--ctx->top]) == (node->operand.i != 0) ? labelPosition(node->first.label) : pc + 1;
  NEXT;
callIntrinsic:
  OUT_OF_LINE(intrinsicStep(ctx, node->operand.i));
end:
  SYNC;
  exportModuleVariables(ctx, node->second.exports);
  return;
hooked: {
  StepHook hook = stepHook(node->kind);
  if (!hook) goto unknown;
  OUT_OF_LINE(hook(ctx, node));
}

#undef NEXT
#undef ADVANCE
#undef SYNC
#undef NEED
#undef TOP
#undef SET_TOP
#undef OUT_OF_LINE
#undef BINARY
#undef INT_FAST
#undef COMPARE
}

std::string abortLine(const KVContext* ctx) {
  return "Aborting..." + std::to_string(gRunPosition.file) + ":" + std::to_string(gRunPosition.line) + ":" +
         std::to_string(ctx->pc);
}

}  // namespace

void runFunction(const Callable& fn) {
  KVContext* ctx = gCurrentContext;
  try {
    if (fn.native) fn.native(ctx);
    else if (fn.code) runLoop(ctx, *fn.code);
  } catch (const RuntimeError&) {
    throw;
  } catch (const CompileError&) {
    throw;
  } catch (const AbortedRun&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory);
  } catch (const std::exception& e) {
    logSystem(e.what());
    logSystem(abortLine(ctx).c_str());
    throw AbortedRun(e.what());
  }
}

}  // namespace kv
