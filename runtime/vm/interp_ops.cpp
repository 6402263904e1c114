// The interpreter's out-of-line steps: member access, assignment through
// references, calls and construction, switch, throw and catch.
#include "runtime/vm/interp_ops.h"

#include <algorithm>
#include <string>

#include "runtime/vm/atoms.h"
#include "runtime/vm/interp_ext.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/member_access.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

// The typed view a reference resolved to, cleared for the next reference; null
// when it resolved to none.
KVobj* takeViewTarget(KVContext* ctx) {
  KVobj* view = ctx->viewTarget;
  ctx->viewTarget = nullptr;
  return view;
}

// Pops the argument count of a call or construction and answers where the
// callee lies.
[[gnu::always_inline]] inline int32_t popCallee(KVContext* ctx, int32_t& n) {
  if (ctx->top < 1) throw RuntimeError(kErrUnexpected);
  const Value& count = ctx->operands[--ctx->top];
  n = count.tag == kInt ? count.i : 0;
  if (n < 0) throw RuntimeError(kErrUnexpected);
  const int32_t at = ctx->top - 1 - n;
  if (at < 0) throw RuntimeError(kErrUnexpected);
  return at;
}

// Drops the callee and its arguments and pushes undefined.
void abandonCall(KVContext* ctx, int32_t calleeAt) {
  ctx->top = calleeAt;
  ctx->pushUndefined();
}

Value* compoundResult(int32_t op, const Value* l, const Value* r) {
  switch (op) {
    case 1: return valueAdd(l, r);
    case 2: return valueSub(l, r);
    case 3: return valueMul(l, r);
    case 4: return valueDiv(l, r);
    case 5: return valueMod(l, r);
    case 6: return valueBitAnd(l, r);
    case 7: return valueBitOr(l, r);
    case 8: return valueBitXor(l, r);
    case 9: return valueShiftLeft(l, r);
    case 10: return valueShiftRight(l, r);
    default: throw RuntimeError(kErrUnexpected);
  }
}

KVobj* objectOf(const Value& v) { return v.tag == kObject ? v.obj : nullptr; }

// Pops the object below a key that the step has taken, and pushes what a
// failed member access gives: undefined and an empty reference, as asked.
void missingMember(KVContext* ctx, uint16_t flags) {
  --ctx->top;
  if (flags & kPushValue) ctx->pushUndefined();
  if (flags & kPushReference) ctx->pushNoRef();
}

bool inItemRange(int32_t key) {
  const AtomTable& t = atomTable();
  int32_t lo = std::min(t.firstItemId, t.lastItemId), hi = std::max(t.firstItemId, t.lastItemId);
  return key >= lo && key <= hi;
}

}  // namespace

Value* variableCell(KVContext* ctx, const VariableRef* var) {
  if (!var) throw RuntimeError(kErrUnexpected);
  if (Value* own = capturedCellOf(ctx, var)) return own;
  ActivationObject* a = ctx->frameActivation(var->depth);
  int32_t at = var->index < 0 ? -1 - var->index : a->argCount + var->index;
  if (at >= a->cellCount || !a->cells) throw RuntimeError(kErrUnexpected);
  return a->cells + at;
}

void fillMemberCache(MemberCache* cache, int32_t classId, int32_t key) {
  int32_t slot = slotIndexOf(classId, key);
  cache->classId = classId;
  cache->slot = slot >= 0 ? slot : -1;
  cache->listKey = key < 0 && !inItemRange(key);
}

// Notes in a member record's cache the first class it meets, for a record
// that stores before it reads: only for keys member lists or class slots
// answer, so that a record of an element key keeps its inline element reads.
static void noteStoreClass(MemberCache* cache, const KVobj* obj, int32_t key) {
  if (cache->classId == -1 && cache->slot == -1 && key < 0 && key != kAtomNotFound && !inItemRange(key))
    fillMemberCache(cache, obj->classId, key);
}

void noteListMember(MemberCache* mc, const KVobj* obj, int32_t key, const Value* cell) {
  const PropList* list = obj->list;
  if (!list || !list->count) {
    const KVobj* proto = prototypeOf(obj);
    list = proto ? proto->list : nullptr;
    if (!list || !list->count) return;
  }
  MemberEntry* member = cachedKeyNode(list, key);
  if (!member || &member->value != cell) return;
  mc->noteList = list;
  mc->note = member;
  mc->noteStamp = memberNoteDate();
}

Value* recordMemberCell(KVobj* obj, const CodeNode* node) {
  MemberCache* const mc = node->second.cache;
  const int32_t key = node->operand.i;
  if (!mc) return inlineMemberCell(obj, key);
  if (mc->classId == -1) noteStoreClass(mc, obj, key);
  // A list member under a key the record's class has no slot for: noted for
  // the next store.
  if (mc->listKey && mc->slot < 0 && obj->classId == mc->classId) {
    if (const PropList* l = obj->list; l && l->count) {
      MemberEntry* member = cachedKeyNode(l, key);
      if (member) noteListMember(mc, obj, key, &member->value);
      if (member && (member->attrs & kAttrWritable)) return &member->value;
    }
  }
  return inlineMemberCell(obj, key);
}

Value* memberCell(KVobj* obj, int32_t key, MemberCache* cache) {
  if (key >= 0 || inItemRange(key)) {
    Value* cell = nullptr;
    if (elementLookup(obj, key, cell)) return cell;
  }
  if (key == kAtomNotFound) return nullptr;
  if (cache) {
    if (cache->classId == -1 && cache->slot == -1) fillMemberCache(cache, obj->classId, key);
    if (cache->classId == obj->classId) {
      // Objects made before their class's layout was fixed lack the later slots.
      if (cache->slot >= 0 && cache->slot < obj->props.count) return obj->props.cells[cache->slot];
      // The class still has no slot for the key: the loop may look in the
      // object's prototype's list until the member epoch moves.
      if (cache->slot < 0 && cache->listKey && classSlotOf(obj->classId, key) < 0)
        cache->missEpoch = gHeap.memberEpoch;
    }
  }
  int32_t mode = 0;
  Value* cell = getPropertyCell(obj, key, mode);
  // A list member under a key the record's class has no slot for: noted for
  // the record's next reads.
  if (cell && cache && cache->listKey && cache->slot < 0 && cache->classId == obj->classId)
    noteListMember(cache, obj, key, cell);
  return cell;
}

void getMember(KVContext* ctx, int32_t key, uint16_t flags, MemberCache* cache) {
  KVobj* obj = objectOf(ctx->operands[ctx->top - 1]);
  --ctx->top;
  if (flags & kPushValue) {
    Value* cell = obj ? memberCell(obj, key, cache) : nullptr;
    ctx->pushValue(cell ? *cell : Value());
    ctx->operandRefs[ctx->top - 1] = obj;
  }
  if (flags & kPushReference) {
    if (obj) ctx->pushMemberRef(obj, key);
    else ctx->pushNoRef();
  }
}

void getIndexed(KVContext* ctx, uint16_t flags) {
  Value key = ctx->operands[--ctx->top];
  if (const char* text = valueText(key)) {
    int32_t atom = lookupAtom(text);
    if (atom != kAtomNotFound) return getMember(ctx, atom, flags, nullptr);
    // A name that is no atom can only be a member added under its text.
    KVobj* obj = objectOf(ctx->operands[ctx->top - 1]);
    --ctx->top;
    if (flags & kPushValue) {
      Value* cell = obj ? findProperty(obj, text) : nullptr;
      ctx->pushValue(cell ? *cell : Value());
      ctx->operandRefs[ctx->top - 1] = obj;
    }
    if (flags & kPushReference) {
      if (obj) ctx->pushNamedRef(obj, text);
      else ctx->pushNoRef();
    }
    return;
  }
  if (key.tag == kInt) {
    if (key.i >= 0) return getMember(ctx, key.i, flags, nullptr);
    // A negative key would read an atom's member.
    raiseRuntimeWarning(kWarnNegativeKey);
    return missingMember(ctx, flags);
  }
  raiseRuntimeWarning(kWarnBadKey);
  missingMember(ctx, flags);
}

void assignThroughReference(KVContext* ctx) {
  Value& v = ctx->operands[ctx->top - 1];
  if (v.tag == kString) {
    KVstring* s = newKVstringFromText(v.str);
    ctx->operands[ctx->top - 1] = Value::makeObject(s);
  }
  ctx->operandRefs[ctx->top - 1] = nullptr;
  Value* cell = ctx->resolveForWrite();
  // Re-read: resolving may have added a member, and so moved the value's object.
  const Value& stored = ctx->operands[ctx->top - 1];
  if (cell) {
    *cell = stored;
  } else if (KVobj* view = takeViewTarget(ctx)) {
    viewStore(view, ctx->viewIndex, stored);
  }
}

void compoundAssign(KVContext* ctx, int32_t op) {
  if (ctx->top < 2) throw RuntimeError(kErrUnexpected);
  if (ctx->refDepth <= std::max(ctx->frame->refDepth, 0)) {
    ctx->top -= 2;
    ctx->pushUndefined();
    return;
  }
  Value* cell = ctx->resolveForWrite();
  Value right = ctx->operands[--ctx->top];
  Value left = ctx->operands[--ctx->top];
  // A typed-view element takes the result converted to its type, as a plain store
  // does; the expression's value is the result itself. Outside the view its read has
  // warned already.
  KVobj* view = cell ? nullptr : takeViewTarget(ctx);
  Value element;
  if (view) cell = &element;
  if (!cell) {
    raiseRuntimeWarning(kWarnNoCell);
    ctx->pushUndefined();
    return;
  }
  *cell = *compoundResult(op, &left, &right);
  if (view && viewHolds(view, ctx->viewIndex)) viewStore(view, ctx->viewIndex, element);
  ctx->pushValue(*cell);
}

void stepThroughReference(KVContext* ctx, int32_t delta, bool keepTop) {
  Value* cell = ctx->resolveForWrite();
  // A typed-view element steps as a copy that is stored back converted to the
  // element type. Outside the view its read has warned already.
  KVobj* view = cell ? nullptr : takeViewTarget(ctx);
  Value element;
  if (view) {
    if (!viewHolds(view, ctx->viewIndex)) return;
    element = viewLoad(view, ctx->viewIndex);
    cell = &element;
  }
  if (!cell) {
    raiseRuntimeWarning(kWarnNoCell);
    if (keepTop) {
      ctx->operands[ctx->top - 1] = Value();
      ctx->operandRefs[ctx->top - 1] = nullptr;
    }
    return;
  }
  // Only integers step; anything else keeps its value.
  if (cell->tag != kInt) {
    raiseRuntimeWarning(kWarnStepNotInteger);
    return;
  }
  cell->i = wrapInt(static_cast<uint32_t>(cell->i) + static_cast<uint32_t>(delta));
  if (view) viewStore(view, ctx->viewIndex, element);
  if (!keepTop) return;
  Value& t = ctx->operands[ctx->top - 1];
  if (t.tag == kInt) t.i = wrapInt(static_cast<uint32_t>(t.i) + static_cast<uint32_t>(delta));
  else raiseRuntimeWarning(kWarnStepNotInteger);
}

void concatTop(KVContext* ctx) {
  // Always a new text: the operands' texts are copied, never extended, and
  // both operands stay on the stack (so rooted) until the result exists.
  const Value* parts[] = {&ctx->operands[ctx->top - 2], &ctx->operands[ctx->top - 1]};
  KVstring* s = concatValues(parts, 2);
  if (!s) throw RuntimeError(kErrUnexpected);
  ctx->top -= 2;
  ctx->pushObject(s);
}

bool concatTopWithText(KVContext* ctx, const char* text) {
  const Value tail = Value::makeString(text);
  const Value* parts[] = {&ctx->operands[ctx->top - 2], &ctx->operands[ctx->top - 1], &tail};
  KVstring* s = concatValues(parts, 3);
  if (!s) return false;
  ctx->top -= 2;
  ctx->pushObject(s);
  return true;
}

void inTest(KVContext* ctx) {
  Value container = ctx->operands[--ctx->top];
  Value key = ctx->operands[--ctx->top];
  bool found = false;
  const char* text = valueText(key);
  if (KVobj* obj = objectOf(container); obj && text) {
    int32_t mode = 0;
    Value* cell = getPropertyCellByName(obj, text, mode);
    found = cell && cell->tag != kUndefined;
  }
  ctx->pushBool(found);
}

void instanceOfTest(KVContext* ctx) {
  KVobj* right = objectOf(ctx->operands[--ctx->top]);
  KVobj* left = objectOf(ctx->operands[--ctx->top]);
  bool is = false;
  if (left && right && right->isFunction()) {
    KVobj* proto = right->constructorPrototype();
    is = proto && (prototypeOf(left) == proto || hasInPrototypeChain(left, proto));
  }
  ctx->pushBool(is);
}

void typeOfTop(KVContext* ctx) {
  KVobj* name = valueTypeOf(&ctx->operands[ctx->top - 1]);
  --ctx->top;
  if (name) ctx->pushObject(name);
  else ctx->pushUndefined();
}

void deleteReference(KVContext* ctx) { ctx->pushBool(ctx->deleteThroughRef()); }

void loadGlobal(KVContext* ctx, CodeNode* node) {
  if (!node->first.cell && gGlobalObject) node->first.cell = gGlobalObject->areaCell(node->operand.i);
  Value* cell = node->first.cell;
  ctx->pushValue(cell ? *cell : Value());
}

namespace {

// The function a Call record calls, or null when the call is answered
// already (a warning, a generator made, a restarter run), `done` saying
// what the loop does next.
[[gnu::always_inline]] inline KVfobj* prepareCall(KVContext* ctx, bool method, KVobj*& receiver, StepResult& done) {
  int32_t n;
  int32_t at = popCallee(ctx, n);
  receiver = ctx->operandRefs[at];
  done = StepResult::Advance;
  if (method && !receiver) {
    raiseRuntimeWarning(kWarnNoObject);
    abandonCall(ctx, at);
    return nullptr;
  }
  KVobj* callee = objectOf(ctx->operands[at]);
  if (!callee || !callee->isFunction()) {
    raiseRuntimeWarning(kWarnNotFunction);
    abandonCall(ctx, at);
    return nullptr;
  }
  auto* fn = static_cast<KVfobj*>(callee);
  ctx->argCount = n;
  if ((fn->callFlags & (KVfobj::kGenerator | KVfobj::kRestarterNext)) && specialCall(ctx, fn, receiver, n)) {
    if (ctx->state & KVContext::kSuspended) done = StepResult::Leave;
    return nullptr;
  }
  return fn;
}

StepResult runCall(KVContext* ctx, KVfobj* fn, KVobj* receiver) {
  callAndRun(fn, receiver, ctx);
  return (ctx->state & KVContext::kSuspended) ? StepResult::Leave : StepResult::Advance;
}

}  // namespace

StepResult callStep(KVContext* ctx, bool method) {
  KVobj* receiver;
  StepResult done;
  KVfobj* fn = prepareCall(ctx, method, receiver, done);
  return fn ? runCall(ctx, fn, receiver) : done;
}

StepResult enterCallStep(KVContext* ctx, bool method) {
  KVobj* receiver;
  StepResult done;
  KVfobj* fn = prepareCall(ctx, method, receiver, done);
  if (!fn) return done;
  const Callable* callee = fn->callable;
  if (!callee || !callee->code || callee->native) return runCall(ctx, fn, receiver);
  // What callAndRun saves for a resumption after a wait inside the callee.
  ctx->frame->savedProgram = ctx->program;
  ctx->frame->savedPc = ctx->pc + 1;
  callFunction(ctx, fn, receiver);
  ctx->program = callee;
  ctx->pc = 0;
  return StepResult::Enter;
}

StepResult callGuarded(KVContext* ctx) {
  try {
    return callStep(ctx, false);
  } catch (const RuntimeError& e) {
    throw RuntimeError(e);
  }
}

namespace {

// The first construction of a script function fixes its instances' layout
// from the members the newest object under construction was given. ctor is
// kept alive by the caller; the layout may collect.
[[gnu::noinline]] void fixInstanceLayout(KVContext* ctx, KVfobj* ctor) {
  ObjectRoot ctorRoot(ctor);
  KVobj* first = ctx->constructing[ctx->constructingDepth - 1];
  trackInstanceClass(ctor);
  KVobj::buildPropertyIndex(first, ctor->instanceClassId);
  first = ctx->constructing[ctx->constructingDepth - 1];
  ctor = static_cast<KVfobj*>(ctorRoot.get());
  ctor->instanceMembers = static_cast<int16_t>(std::min(first->props.count - 1, INT16_MAX));
  releaseInstanceClassWith(ctor);
}

}  // namespace

StepResult newStep(KVContext* ctx) {
  int32_t n;
  int32_t at = popCallee(ctx, n);
  KVobj* callee = objectOf(ctx->operands[at]);
  if (!callee || !callee->isFunction()) {
    raiseRuntimeWarning(kWarnNewNotFunction);
    abandonCall(ctx, at);
    return StepResult::Advance;
  }
  auto* fn = static_cast<KVfobj*>(callee);
  bool native = fn->callable && fn->callable->native;
  ctx->argCount = n;
  KVobj* made = native ? newPlainObject() : newObjectFrom(fn);
  ctx->pushConstructing(made);
  // The callee leaves the operand stack with the call; it is kept here for
  // its layout.
  ObjectRoot ctorRoot(ctx->operands[at].obj);
  const int32_t ctorDepth = ctx->depth;
  callAndRun(static_cast<KVfobj*>(ctorRoot.get()), made, ctx);
  if (ctx->state & KVContext::kSuspended) {
    // The thread goes on in the constructor later; its frame keeps the
    // object and hands it over as the result when it ends.
    ctx->popConstructing();
    ctx->frames[ctorDepth].constructs = true;
    return StepResult::Leave;
  }
  if (!native && static_cast<KVfobj*>(ctorRoot.get())->instanceMembers < 0)
    fixInstanceLayout(ctx, static_cast<KVfobj*>(ctorRoot.get()));
  made = ctx->popConstructing();
  takeConstructedObject(ctx, made, at);
  return StepResult::Advance;
}

StepResult enterNewStep(KVContext* ctx) {
  const int32_t top = ctx->top;
  if (top < 1 || ctx->operands[top - 1].tag != kInt) return newStep(ctx);
  const int32_t n = ctx->operands[top - 1].i;
  if (n < 0) return newStep(ctx);
  const int32_t at = top - 2 - n;
  if (at < 0) return newStep(ctx);
  KVobj* const callee = objectOf(ctx->operands[at]);
  if (!callee || !callee->isFunction()) return newStep(ctx);
  auto* fn = static_cast<KVfobj*>(callee);
  const Callable* body = fn->callable;
  // Natives, generators and restarters, and constructions that fail for
  // want of a frame or past the nesting limit, the nested way.
  if (!body || !body->code || body->native || (fn->callFlags & (KVfobj::kGenerator | KVfobj::kRestarterNext)) ||
      ctx->constructingDepth >= KVContext::kConstructing || ctx->depth >= KVContext::kFrames)
    return newStep(ctx);
  // newStep's steps up to the run, with the frame entered instead.
  ctx->top = top - 1;
  ctx->argCount = n;
  KVobj* made = newObjectFrom(fn);
  ctx->pushConstructing(made);
  // The callee, which the allocation may have moved, stays on the operand
  // stack until the frame is entered.
  fn = static_cast<KVfobj*>(ctx->operands[at].obj);
  made = ctx->constructing[ctx->constructingDepth - 1];
  ctx->frame->savedProgram = ctx->program;
  ctx->frame->savedPc = ctx->pc + 1;
  callFunction(ctx, fn, made);
  ctx->frame->constructs = true;
  ctx->program = static_cast<KVfobj*>(ctx->frame->callee)->callable;
  ctx->pc = 0;
  return StepResult::Enter;
}

void leaveEnteredConstructor(KVContext* ctx) {
  CallFrame* const f = ctx->frame;
  const int32_t base = f->operandBase;
  if (static_cast<KVfobj*>(f->callee)->instanceMembers < 0) {
    // The frame keeps the constructor alive while the layout is made.
    fixInstanceLayout(ctx, static_cast<KVfobj*>(f->callee));
  }
  leaveEnteredCall(ctx);
  KVobj* const made = ctx->popConstructing();
  takeConstructedObject(ctx, made, base);
}

int32_t switchTarget(KVContext* ctx, const CaseTable* table) {
  Value v = ctx->operands[--ctx->top];
  if (!table) throw RuntimeError(kErrUnexpected);
  const auto& entries = table->entries;
  const LabelSlot* fallback = !entries.empty() && entries.back().isDefault ? entries.back().target : table->endLabel;
  if (v.tag == kInt)
    for (const CaseEntry& e : entries)
      if (!e.isDefault && e.value == v.i) return e.target ? e.target->position : -1;
  return fallback ? fallback->position : -1;
}

void throwStep(KVContext* ctx, bool useValue) {
  KVobj* thrown = objectOf(ctx->operands[--ctx->top]);
  ctx->exception = useValue && thrown ? thrown : newPlainObject();
}

void storeCaught(KVContext* ctx, const VariableRef* var) {
  if (var) {
    Value* cell = variableCell(ctx, var);
    *cell = ctx->exception ? Value::makeObject(ctx->exception) : Value::makeNull();
  }
  ctx->exception = nullptr;
}

StepResult intrinsicStep(KVContext* ctx, int32_t operation) {
  switch (operation) {
    case 0: case 1: case 3: case 4: case 5:
      return StepResult::Advance;
    case 2:
      if (ctx->top < 1) throw RuntimeError(kErrUnexpected);
      --ctx->top;
      return StepResult::Advance;
    default:
      break;
  }
  if (operation < 9 || operation > 21) throw RuntimeError(kErrUnexpected);
  sortIntrinsic(ctx, operation);
  return StepResult::Advance;
}

}  // namespace kv
