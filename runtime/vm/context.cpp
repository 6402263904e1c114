// One script thread's value area, call frames and operand stacks.
#include "runtime/vm/context.h"

#include <algorithm>

#include "runtime/vm/function.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/property.h"

namespace kv {

KVContext* gCurrentContext = nullptr;

namespace {

constexpr int32_t kWarnArrayWritePastEnd = 2;  // "bad key"

void visitContextRoot(bool full, void* data) { markContext(static_cast<KVContext*>(data), full); }

int32_t paramCount(const KVfobj* fn) {
  const NameVector* v = fn->firstCells();
  return v ? static_cast<int32_t>(v->size()) : 0;
}
int32_t localCount(const KVfobj* fn) {
  const NameVector* v = fn->secondCells();
  return v ? static_cast<int32_t>(v->size()) : 0;
}

// Fills the frame and its activation for fn; the cells start at `cells`.
void fillFrame(CallFrame* f, KVfobj* fn, Value* cells, KVobj* receiver, int32_t refDepth, int32_t cellCount) {
  ActivationObject* a = f->activation;
  f->scope = fn->callScope();
  f->receiver = receiver;
  f->callee = fn;
  f->refDepth = refDepth;
  f->passed = 0;
  f->constructs = false;
  a->argCount = paramCount(fn);
  a->cells = cells;
  a->cellCount = cellCount;
}

// The cells a call of fn with `passed` arguments takes, and how many
// arguments it keeps: a static native keeps every one passed.
int32_t keptArguments(const KVfobj* fn, int32_t passed) {
  int32_t p = fn->staticNative() ? passed : std::min(passed, paramCount(fn));
  return p < 0 ? 0 : p;
}

// Texts become string objects as they enter a call's cells, so parameters
// always hold objects for texts. Room for all of them is reserved before the
// arguments are copied (their source is visited by the collector, the new
// cells may not be), and the conversion then cannot collect.
int32_t countTexts(const Value* args, int32_t n) {
  int32_t texts = 0;
  for (int32_t i = 0; i < n; ++i) texts += args[i].tag == kString;
  return texts;
}
void reserveForTexts(const Value* args, int32_t n) {
  if (int32_t texts = countTexts(args, n); texts > 0) reserveNursery(texts * objectBytes<KVstring>(1));
}

// Every frame layout asks this before it writes a cell: the frame's cells
// must lie inside the value area the context owns.
void checkFrameRoom(const Value* areaStart, const Value* cells, int64_t count) {
  if (count < 0 || cells < areaStart || (cells - areaStart) + count > KVContext::kCells)
    throw RuntimeError(kErrStackOverflow);
}

void textsToObjects(Value* cells, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (cells[i].tag == kString) cells[i] = Value::makeObject(placeKVstring(const_cast<char*>(cells[i].str)));
}

}  // namespace

KVContext::KVContext() : cells(new Value[kCells]) {
  for (int32_t i = 0; i < kFrames; ++i) {
    frames[i].activation = &ownActivations[i];
    ownActivations[i].cells = cells;
  }
  registerRoot(RootRank::Contexts, &visitContextRoot, this);
}

KVContext::~KVContext() {
  unregisterRoot(&visitContextRoot, this);
  delete[] cells;
}

void KVContext::pushRef(int32_t kind, void* container, int32_t key, const char* text) {
  if (refDepth >= kRefs) throw RuntimeError(kErrSecondaryOverflow);
  RefRecord& r = refs[refDepth++];
  r.kind = kind;
  r.container = container;
  r.key = key;
  r.text = text;
}

RefRecord KVContext::popRef() {
  if (refDepth <= 0) throw RuntimeError(kErrUnexpected);
  return refs[--refDepth];
}

Value* KVContext::resolveReference(int32_t mode) {
  RefRecord r = popRef();
  if (r.kind == kRefNone) return nullptr;
  if (r.kind != kRefMember && r.kind != kRefNamed) throw RuntimeError(kErrUnexpected);
  auto* obj = static_cast<KVobj*>(r.container);
  if (!obj) return nullptr;
  bool write = (mode & kAttrWritable) != 0;
  if (write && obj->sealed) return nullptr;
  Value* cell;
  if (r.kind == kRefMember) {
    if (r.key == RefRecord::kAtomNotFoundKey) return nullptr;
    if (r.key >= 0 && obj->isArrayView()) {
      viewTarget = obj;
      viewIndex = r.key;
      return nullptr;
    }
    if (r.key >= 0 && obj->isArray()) {
      cell = obj->elementAt(r.key);
      // Past the end an array answers the shared undefined cell, which is
      // never handed to a writer: a write there stores and creates nothing.
      if (write && cell == &gUndefinedCell) {
        raiseRuntimeWarning(kWarnArrayWritePastEnd);
        return nullptr;
      }
      return cell;
    }
    cell = getPropertyCell(obj, r.key, mode);
  } else {
    cell = getPropertyCellByName(obj, r.text, mode);
  }
  if (cell || mode == kAccessDenied || obj->sealed) return cell;
  return r.kind == kRefMember ? addKeyProperty(obj, r.key) : addStringProperty(obj, r.text);
}

Value* KVContext::resolveForWrite() {
  if (refDepth > 0 && refs[refDepth - 1].kind == kRefCell) {
    RefRecord r = popRef();
    return static_cast<Value*>(r.container) + r.key;
  }
  return resolveReference(kAttrWritable);
}

Value* KVContext::stepThroughRef(int32_t delta) {
  Value* cell = resolveReference(kAttrWritable);
  if (cell) cell->i = static_cast<int32_t>(static_cast<uint32_t>(cell->i) + static_cast<uint32_t>(delta));
  return cell;
}

Value* KVContext::incrementThroughRef() { return stepThroughRef(1); }
Value* KVContext::decrementThroughRef() { return stepThroughRef(-1); }

bool KVContext::deleteThroughRef() {
  RefRecord r = popRef();
  auto* obj = static_cast<KVobj*>(r.container);
  if ((r.kind != kRefMember && r.kind != kRefNamed) || !obj || obj->sealed) return false;
  return r.kind == kRefMember ? deletePropertyByAtom(obj, r.key) : deletePropertyByName(obj, r.text);
}

void KVContext::pushConstructing(KVobj* obj) {
  if (constructingDepth >= kConstructing) throw RuntimeError(kErrNewNesting);
  constructing[constructingDepth++] = obj;
}

KVobj* KVContext::popConstructing() {
  if (constructingDepth <= 0) throw RuntimeError(kErrNewNesting);
  KVobj* obj = constructing[--constructingDepth];
  constructing[constructingDepth] = nullptr;
  return obj;
}

ActivationObject* KVContext::frameActivation(int32_t k) {
  return k == 0 ? frame->activation : scopeChainAt(frame->scope, k);
}

void KVContext::followCapturedCellRefs(const KVobj* from, const KVobj* to) {
  // A running closure that keeps its captured cells in its body moved, and
  // its cells with it: the cell references its code made into them follow.
  // Such references are made only by code running in the closure, so they
  // lie in the closure's own cells, which no other object shares.
  if (!to->isFunction()) return;
  const auto* fn = static_cast<const KVfobj*>(to);
  if (!fn->inlineCaptures() || fn->capturedCount() == 0) return;
  const char* const start = reinterpret_cast<const char*>(from) + KVfobj::kInlineCellsAt;
  const char* const end = start + sizeof(Value) * static_cast<size_t>(fn->capturedCount());
  const ptrdiff_t moved = reinterpret_cast<const char*>(to) - reinterpret_cast<const char*>(from);
  for (int32_t i = 0; i < refDepth; ++i) {
    RefRecord& r = refs[i];
    const char* const at = static_cast<const char*>(r.container);
    if (r.kind == kRefCell && at >= start && at < end) r.container = const_cast<char*>(at) + moved;
  }
}

void KVContext::visit(bool full) {
  // The value area up to the end of the current activation: the globals of
  // the main program and the cells of every frame in use.
  const ActivationObject* cur = frame->activation;
  int32_t end = static_cast<int32_t>(cur->cells - cells) + cur->cellCount;
  end = std::clamp(end, 0, kCells);
  for (int32_t i = 0; i < end; ++i) visitValue(cells[i], full);
  for (int32_t i = 0; i < depth; ++i) {
    CallFrame& f = frames[i];
    if (full) {
      f.activation->markReferences();
      markScopeChain(f.scope);
    } else {
      f.activation->forwardReferences();
      f.scope = forwardScopeChain(f.scope);
    }
    visitObject(f.receiver, full);
    KVobj* const before = f.callee;
    visitObject(f.callee, full);
    if (f.callee != before) followCapturedCellRefs(before, f.callee);
  }
  for (int32_t i = 0; i < kOperands; ++i) {
    if (i >= top) {
      // Stale operands above the top hold nothing alive.
      operands[i] = Value();
      operandRefs[i] = nullptr;
      continue;
    }
    visitValue(operands[i], full);
    visitObject(operandRefs[i], full);
  }
  for (int32_t i = 0; i < refDepth; ++i) visitRefRecord(refs[i], full);
  for (int32_t i = 0; i < constructingDepth; ++i) visitObject(constructing[i], full);
  for (int32_t i = 0; i < objectLiteralDepth; ++i) visitObject(objectLiterals[i], full);
  for (int32_t i = 0; i < arrayLiteralDepth; ++i) visitObject(arrayLiterals[i], full);
  for (int32_t i = 0; i < scopeDepth; ++i) {
    if (full) markScopeChain(savedScopes[i]);
    else savedScopes[i] = forwardScopeChain(savedScopes[i]);
  }
  visitObject(exception, full);
  visitObject(viewTarget, full);
}

void markContext(KVContext* ctx, bool full) { ctx->visit(full); }

void visitRefRecord(RefRecord& r, bool full) {
  if (r.kind != kRefMember && r.kind != kRefNamed) return;
  KVobj* obj = static_cast<KVobj*>(r.container);
  visitObject(obj, full);
  r.container = obj;
  // A name taken from a string object's text moves with its block.
  void* text = const_cast<char*>(r.text);
  visitBlockRoot(text, full);
  r.text = static_cast<const char*>(text);
}

KVContext* createMainContext() {
  auto* ctx = new KVContext;
  ctx->spawned = 0;
  ctx->frames[0].activation = gGlobalObject;
  gGlobalObject->cells = ctx->cells;
  gGlobalObject->cellCount = 0;
  newScopeEpoch();
  registerThread(ctx);
  return ctx;
}

const Callable* setupMainProgram(KVContext* ctx, const Callable* program, int32_t globals, int32_t locals) {
  ActivationObject* cur = ctx->frame->activation;
  int32_t end = std::clamp(static_cast<int32_t>(cur->cells - ctx->cells) + cur->cellCount, 0, KVContext::kCells);
  int32_t total = globals + locals;
  if (globals < 0 || locals < 0 || total > KVContext::kCells) throw RuntimeError(kErrStackOverflow);
  std::fill(ctx->cells, ctx->cells + std::max(end, total), Value());
  ctx->depth = 1;
  CallFrame& f = ctx->frames[0];
  ctx->frame = &f;
  ActivationObject* g = f.activation;
  g->cells = ctx->cells;
  g->cellCount = total;
  g->argCount = globals;
  newScopeEpoch();
  f.scope = nullptr;
  f.receiver = nullptr;
  f.callee = nullptr;
  f.refDepth = -1;
  f.passed = 0;
  ctx->top = 0;
  ctx->refDepth = 0;
  ctx->objectLiteralDepth = 0;
  ctx->arrayLiteralDepth = 0;
  ctx->scopeDepth = 0;
  ctx->importNesting = 0;
  recordFrameLevels(&f, ctx);
  f.savedProgram = program;
  f.savedPc = 0;
  ctx->program = program;
  ctx->argCount = globals;
  ctx->top = 0;
  ctx->pc = 0;
  return program;
}

void destroyContext(KVContext* ctx) {
  if (gCurrentContext == ctx) gCurrentContext = nullptr;
  // The global variables live in the main context's value area.
  if (gGlobalObject && gGlobalObject->cells == ctx->cells) {
    gGlobalObject->cells = nullptr;
    gGlobalObject->cellCount = 0;
    newScopeEpoch();
  }
  unregisterContext(ctx);
  delete ctx;
}

void enterFrameWithCells(CallFrame* frame, KVfobj* fn, KVContext* ctx, Value* cells, KVobj* receiver) {
  checkFrameRoom(ctx->cells, cells, int64_t{paramCount(fn)} + localCount(fn));
  fillFrame(frame, fn, cells, receiver, ctx->refDepth, paramCount(fn) + localCount(fn));
  recordFrameLevels(frame, ctx);
  if (fn->hasName() && frame->activation->cellCount > paramCount(fn)) cells[paramCount(fn)] = Value::makeObject(fn);
}

void callFunction(KVContext* ctx, KVfobj* fn, KVobj* receiver) {
  if (ctx->depth >= KVContext::kFrames) throw RuntimeError(kErrStackOverflow);
  const int32_t top = ctx->top;
  const int32_t passed = std::clamp(ctx->argCount, 0, top > 0 ? top - 1 : 0);
  const int32_t params = paramCount(fn);
  const int32_t kept = fn->staticNative() ? passed : std::min(passed, params);
  const ActivationObject* cur = ctx->frame->activation;
  Value* cells = cur->cells + cur->cellCount;
  const int32_t cellCount = std::max(kept, params) + localCount(fn);
  checkFrameRoom(ctx->cells, cells, cellCount);
  const Value* args = ctx->operands + (top - passed);
  const int32_t texts = countTexts(args, kept);
  if (texts > 0) [[unlikely]] {
    ObjectRoot fnRoot(fn);
    ObjectRoot receiverRoot(receiver);
    reserveNursery(texts * objectBytes<KVstring>(1));
    fn = static_cast<KVfobj*>(fnRoot.get());
    receiver = receiverRoot.get();
  }
  CallFrame* f = &ctx->frames[ctx->depth];
  fillFrame(f, fn, cells, receiver, ctx->refDepth, cellCount);
  // Missing parameters and the locals start undefined; nothing above the
  // operand stack top is read. The counts are small: plain loops beat a
  // library call.
  for (int32_t i = 0; i < kept; ++i) cells[i] = args[i];
  for (int32_t i = kept; i < cellCount; ++i) cells[i] = Value();
  if (texts > 0) [[unlikely]] textsToObjects(cells, kept);
  if (fn->hasName() && cellCount > params) cells[params] = Value::makeObject(fn);
  f->passed = kept;
  ctx->frame = f;
  ++ctx->depth;
  ctx->top = std::max(top - passed - 1, 0);
  recordFrameLevels(f, ctx);
}

void enterCallFrame(CallFrame* frame, KVfobj* fn, KVContext* ctx, Value* cells, int32_t count) {
  const ActivationObject* from = ctx->frame->activation;
  int32_t available = std::max(from->cellCount - 1, 0);
  int32_t kept = std::min(keptArguments(fn, count), available);
  int32_t cellCount = std::max(kept, paramCount(fn)) + localCount(fn);
  // The frame opens a fresh value area of its own.
  checkFrameRoom(cells, cells, cellCount);
  {
    ObjectRoot fnRoot(fn);
    ObjectRoot receiverRoot(frame->receiver);
    reserveForTexts(from->cells + 1, kept);
    fn = static_cast<KVfobj*>(fnRoot.get());
    frame->receiver = receiverRoot.get();
  }
  // The new thread starts with every stack empty.
  fillFrame(frame, fn, cells, frame->receiver, 0, cellCount);
  frame->operandBase = frame->objectLiteralBase = frame->arrayLiteralBase = frame->scopeBase = 0;
  frame->importBase = 0;
  std::fill(cells, cells + cellCount, Value());
  std::copy(from->cells + 1, from->cells + 1 + kept, cells);
  textsToObjects(cells, kept);
  if (fn->hasName() && cellCount > paramCount(fn)) cells[paramCount(fn)] = Value::makeObject(fn);
  frame->passed = kept;
}

namespace {

inline void popFrame(KVContext* ctx) {
  if (ctx->depth <= 1) throw RuntimeError(kErrUnexpected);
  CallFrame& left = ctx->frames[--ctx->depth];
  left.activation->clear();
  left.scope = nullptr;
  left.receiver = nullptr;
  left.callee = nullptr;
  left.refDepth = -1;
  left.passed = 0;
  left.constructs = false;
  ctx->frame = &ctx->frames[ctx->depth - 1];
}

inline void restoreLevels(KVContext* ctx) {
  const CallFrame* f = ctx->frame;
  // Only ever down: a level above the current one was never pushed.
  ctx->top = std::min(ctx->top, f->operandBase);
  ctx->refDepth = std::min(ctx->refDepth, std::max(f->refDepth, 0));
  for (int32_t i = f->objectLiteralBase; i < ctx->objectLiteralDepth; ++i) ctx->objectLiterals[i] = nullptr;
  ctx->objectLiteralDepth = std::min(ctx->objectLiteralDepth, f->objectLiteralBase);
  for (int32_t i = f->arrayLiteralBase; i < ctx->arrayLiteralDepth; ++i) ctx->arrayLiterals[i] = nullptr;
  ctx->arrayLiteralDepth = std::min(ctx->arrayLiteralDepth, f->arrayLiteralBase);
  ctx->scopeDepth = std::min(ctx->scopeDepth, f->scopeBase);
  ctx->importNesting = std::min(ctx->importNesting, f->importBase);
  ctx->viewTarget = nullptr;
}

inline void settleResult(KVContext* ctx) {
  const int32_t base = ctx->frame->operandBase;
  if (ctx->exception || ctx->top <= base) {
    restoreLevels(ctx);
    if (ctx->exception) ctx->pushUndefined();
    return;
  }
  Value result = ctx->operands[ctx->top - 1];
  KVobj* resultRef = ctx->operandRefs[ctx->top - 1];
  restoreLevels(ctx);
  ctx->operands[ctx->top] = result;
  ctx->operandRefs[ctx->top] = resultRef;
  ++ctx->top;
}

}  // namespace

void leaveCallFrame(KVContext* ctx) { popFrame(ctx); }

void recordFrameLevels(CallFrame* frame, const KVContext* ctx) {
  frame->refDepth = ctx->refDepth;
  frame->operandBase = ctx->top;
  frame->objectLiteralBase = ctx->objectLiteralDepth;
  frame->arrayLiteralBase = ctx->arrayLiteralDepth;
  frame->scopeBase = ctx->scopeDepth;
  frame->importBase = ctx->importNesting;
}

void restoreFrameLevels(KVContext* ctx) { restoreLevels(ctx); }

void settleFrameResult(KVContext* ctx) { settleResult(ctx); }

void leaveEnteredCall(KVContext* ctx) {
  settleResult(ctx);
  popFrame(ctx);
  ctx->program = ctx->frame->savedProgram;
  ctx->pc = ctx->frame->savedPc;
}

std::unique_ptr<Value[]> collectArguments(KVfobj* fn, int32_t& count) {
  KVContext* ctx = gCurrentContext;
  count = std::min({count, paramCount(fn), ctx ? ctx->top : 0});
  if (count < 1) return nullptr;
  auto out = std::make_unique<Value[]>(count);
  std::copy(ctx->operands + ctx->top - count, ctx->operands + ctx->top, out.get());
  return out;
}

}  // namespace kv
