// Script closures, natives and class functions as objects.
#include "runtime/vm/function.h"

#include <cstring>
#include <deque>
#include <memory>

#include "runtime/vm/captures.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

int32_t gNextClassId = kFirstScriptClassId;
std::deque<Callable> gCallables;
std::deque<NameVector> gNameVectors;

// The fresh plain object of a function's "prototype" slot; room reserved.
KVobj* placePrototypeObject() {
  return placeYoungObject<KVobj>(1, gCore.objectProto, gCore.objectF->instanceClassId);
}

// A closure's function object: one block holding the body, the captured
// cells it keeps there (left for the caller to write) and, after them, the
// table of its one slot (its own prototype); a loop that makes a closure
// makes one on every turn. Its "prototype" object is made when first
// needed (makeOwnPrototype). `flags` and `captured` are its kOwnCaptures
// and its count of captured cells. Room is reserved.
[[gnu::always_inline]] inline KVfobj* placeClosureObject(uint8_t flags = 0, uint8_t captured = 0) {
  const int32_t inlineCells =
      (flags & KVfobj::kOwnCaptures) && captured <= KVfobj::kInlineCaptureLimit ? captured : -1;
  auto* fn = new (gcAllocYoungRaw(closureBodyBytes(inlineCells))) KVfobj();
  // The flags and count first: they tell where the table lies.
  fn->callFlags = flags;
  fn->capturedCells = captured;
  fn->tableInline = kTableAfterFields;
  fn->props.cells.base = fn->tableAfterFields();
  fn->props.count = 1;
  fn->props.smallAttrs = kFreshSmallAttrs;
  fn->classId = kFunctionClassId;
  KVobj* objectProto = gCore.objectProto;
  new (fn->props.cells.base) Value(objectProto ? Value::makeObject(objectProto) : Value::makeNull());
  return fn;
}

// What natives and class constructors share: a class of their own, the
// global scope, and a "prototype" slot that can be neither written nor deleted.
void setUpNative(KVfobj* fn, const Callable* callable, const NameVector* first, const NameVector* second) {
  setSlotAttrs(fn->props, 1, 0);
  fn->instanceClassId = nextInstanceClassId();
  fn->callable = callableWithCells(callable, first, second);
  fn->environment = globalScopeChain();
}

}  // namespace

KVfobj::~KVfobj() {
  if (!ownCaptures()) releaseScopeChain(environment);
  else if (!inlineCaptures() && captures) giveClosureBlock(captures, sizeof(Value) * static_cast<size_t>(capturedCount()));
  if (instanceMembers >= 0) forgetClassSlots(instanceClassId);
}

namespace {

// Every closure has a class number of its own for its instances; one that
// can die gives its slots back with it.
bool mortal(const KVfobj* fn) { return inHeap(fn) && heapOffset(fn) < kStaticOffset; }

}  // namespace

void trackInstanceClass(const KVfobj* fn) {
  if (mortal(fn)) trackClassSlots(fn->instanceClassId);
}

void releaseInstanceClassWith(KVfobj* fn) {
  if (!mortal(fn)) return;
  // A closure keeping its chain or its captured cells outside the heap was
  // registered when it was made.
  const bool owner = fn->ownCaptures() ? !fn->inlineCaptures() && fn->captures : ownedScopeChain(fn->environment);
  if (!owner) registerOwner(fn);
}

KVobj* KVfobj::constructorPrototype() {
  if (ownPrototypeLater(this)) makeOwnPrototype(this);
  if (props.count < 2) return nullptr;
  const Value* c = props.cells[1];
  return c->tag == kObject ? c->obj : nullptr;
}

void KVfobj::forwardReferences() {
  if (!ownCaptures()) {
    environment = forwardScopeChain(environment);
    return;
  }
  Value* const cells = captureCells();
  for (int32_t i = 0, n = cells ? capturedCount() : 0; i < n; ++i) visitValue(cells[i], false);
}

void KVfobj::markReferences() {
  if (!ownCaptures()) return markScopeChain(environment);
  Value* const cells = captureCells();
  for (int32_t i = 0, n = cells ? capturedCount() : 0; i < n; ++i) visitValue(cells[i], true);
}

bool TextNodeMatch::operator()(const PropNode* n) const {
  return n->isString() && std::strcmp(n->name, text) == 0;
}

void makeOwnPrototype(KVfobj* fn) {
  // Both blocks come from the old space, which never collects to make room:
  // the callers (member look-ups, `new`) may hold raw pointers. When it has
  // no room, a full collection (which moves nothing) runs first with fn
  // kept; a table block taken before is left to it, holding nothing.
  constexpr size_t kTableBytes = tableBlockBytes(2);
  constexpr size_t kProtoBytes = sizeof(KVobj) + tableBlockBytes(1);
  void* table = gcTryAllocOld(kTableBytes);
  void* body = table ? gcTryAllocOld(kProtoBytes) : nullptr;
  if (!body) {
    if (table) new (table) Value(), new (static_cast<Value*>(table) + 1) Value();
    ObjectRoot keep(fn);
    fullCollect();
    fn = static_cast<KVfobj*>(keep.get());
    table = gcAllocOld(kTableBytes);
    body = gcAllocOld(kProtoBytes);
  }
  // The plain object placePrototypeObject lays out, in the old space.
  auto* proto = new (body) KVobj();
  proto->tableInline = 1;
  proto->props.cells.base = proto->inlineTable();
  proto->props.count = 1;
  proto->props.smallAttrs = kFreshSmallAttrs;
  proto->classId = gCore.objectF->instanceClassId;
  KVobj* objectProto = gCore.objectProto;
  new (proto->props.cells.base) Value(objectProto ? Value::makeObject(objectProto) : Value::makeNull());
  // The function's table grows by the slot, whose attributes the fresh
  // table already gave it.
  auto* cells = static_cast<Value*>(table);
  new (cells) Value(*fn->props.cells[0]);
  new (cells + 1) Value(Value::makeObject(proto));
  fn->props.cells.base = cells;
  fn->props.count = 2;
  fn->tableInline = 0;
}

bool markPlainCallee(KVobj* obj, bool native) {
  // A function noted for the other kind is no callee of this one.
  if (obj->callKind || !obj->isFunction()) return false;
  auto* fn = static_cast<KVfobj*>(obj);
  const Callable* body = fn->callable;
  if (!body || (native ? (body->code || !body->native) : (!body->code || body->native)) ||
      (fn->callFlags & ~(KVfobj::kOwnCaptures | KVfobj::kHasName)))
    return false;
  const size_t params = body->first ? body->first->size() : 0;
  const size_t cells = params + (body->second ? body->second->size() : 0);
  if (cells > UINT8_MAX) return false;
  fn->frameParams = static_cast<uint8_t>(params);
  fn->frameCells = static_cast<uint8_t>(cells);
  fn->callKind = native ? kPlainNative : kPlainScript;
  return true;
}

int32_t nextInstanceClassId() {
  if (gNextClassId == INT32_MAX) throw RuntimeError(kErrUnexpected);
  return gNextClassId++;
}

void resetInstanceClassIds() { gNextClassId = kFirstScriptClassId; }

const Callable* permanentCallable(const Callable& c) { return &gCallables.emplace_back(c); }

const Callable* callableWithCells(const Callable* c, const NameVector* first, const NameVector* second) {
  if (c->first == first && c->second == second) return c;
  if (!c->first && !c->second) {
    // As nameCallable: the callable is not const to its store.
    auto* own = const_cast<Callable*>(c);
    own->first = first;
    own->second = second;
    return c;
  }
  Callable copy = *c;
  copy.first = first;
  copy.second = second;
  return permanentCallable(copy);
}
// The store's callables are not const; callers see them as const so that
// nothing but this changes a callable once it is made.
void nameCallable(const Callable* c, const char* name) { const_cast<Callable*>(c)->name = name; }
const NameVector* permanentNames(const NameVector& v) { return &gNameVectors.emplace_back(v); }

PermanentStoresMark markPermanentStores() { return {gCallables.size(), gNameVectors.size()}; }

void releasePermanentStoresTo(const PermanentStoresMark& mark) {
  if (gCallables.size() > mark.callables) gCallables.erase(gCallables.begin() + mark.callables, gCallables.end());
  if (gNameVectors.size() > mark.names) gNameVectors.erase(gNameVectors.begin() + mark.names, gNameVectors.end());
}
const NameVector* emptyNames() {
  static const NameVector empty;
  return &empty;
}

KVfobj* newCoreConstructor(int32_t classId, int32_t slots) {
  KVfobj* fn = placeStaticObject<KVfobj>(slots, nullptr, classId);
  fn->environment = globalScopeChain();
  return fn;
}

namespace {

// What every closure of rec starts with: its instance class, its call kinds
// and, noted now as markPlainCallee notes it at the first call, how the
// short call path calls it (a closure made per turn of a loop is usually
// called at once).
[[gnu::always_inline]] inline void setUpClosure(KVfobj* fn, const FunctionRecord* rec) {
  fn->instanceClassId = nextInstanceClassId();
  fn->callFlags |= static_cast<uint8_t>((rec->generator ? KVfobj::kGenerator : 0) | (rec->hasName ? KVfobj::kHasName : 0));
  fn->callable = &rec->body;
  uint32_t layout = rec->closureLayout;
  if (!layout) [[unlikely]] {
    layout = FunctionRecord::kNoPlainLayout;
    if (!rec->generator && rec->body.code && !rec->body.native) {
      const size_t params = rec->params.size(), cells = params + rec->locals.size();
      if (cells <= UINT8_MAX) layout = FunctionRecord::kPlainLayout | static_cast<uint32_t>(params) | static_cast<uint32_t>(cells) << 8;
    }
    rec->closureLayout = layout;
  }
  if (layout & FunctionRecord::kPlainLayout) {
    fn->frameParams = static_cast<uint8_t>(layout);
    fn->frameCells = static_cast<uint8_t>(layout >> 8);
    fn->callKind = kPlainScript;
  }
}

// A closure holding its own captured cells, taken from the making frame
// (inner, outer, maker); null when a source names no cell, and the closure
// then copies activations instead.
KVfobj* closureWithCaptures(const FunctionRecord* rec, ActivationObject* inner, ScopeChain* outer,
                            const KVfobj* maker) {
  const size_t n = rec->captureSources.size();
  // The count lives in one byte of the closure; more cells copy activations.
  if (n > UINT8_MAX) return nullptr;
  const bool inlineCells = n <= static_cast<size_t>(KVfobj::kInlineCaptureLimit);
  const size_t payload = closureBodyBytes(inlineCells ? static_cast<int32_t>(n) : -1);
  // Room first: a collection may move the maker and the young chain (and the
  // maker's cells in its body), but not the cells the sources name once it
  // is over. With room already there nothing below collects, and nothing
  // needs holding.
  if (gHeap.nurseryLimit - gHeap.nurseryCursor < static_cast<ptrdiff_t>(nurseryNeed(roundUp8(payload))))
      [[unlikely]] {
    ScopeRoot outerRoot(outer);
    ObjectRoot makerRoot(const_cast<KVfobj*>(maker));
    reserveNursery(blockBytes(payload));
    outer = outerRoot.get();
    maker = static_cast<const KVfobj*>(makerRoot.get());
  }
  const Value* from[KVfobj::kInlineCaptureLimit];
  if (inlineCells) {
    // Every source is found before the closure is placed, so a missing one
    // leaves nothing behind.
    for (size_t i = 0; i < n; ++i)
      if (!(from[i] = captureSourceCell(rec->captureSources[i], inner, outer, maker))) return nullptr;
    KVfobj* fn = placeClosureObject(KVfobj::kOwnCaptures, static_cast<uint8_t>(n));
    Value* cells = fn->inlineCaptureCells();
    for (size_t i = 0; i < n; ++i) new (&cells[i]) Value(*from[i]);
    setUpClosure(fn, rec);
    return fn;
  }
  auto* cells = static_cast<Value*>(takeClosureBlock(sizeof(Value) * n));
  for (size_t i = 0; i < n; ++i) {
    const Value* cell = captureSourceCell(rec->captureSources[i], inner, outer, maker);
    if (!cell) {
      giveClosureBlock(cells, sizeof(Value) * n);
      return nullptr;
    }
    new (&cells[i]) Value(*cell);
  }
  KVfobj* fn = placeClosureObject(KVfobj::kOwnCaptures, static_cast<uint8_t>(n));
  fn->captures = cells;
  setUpClosure(fn, rec);
  registerOwner(fn);
  return fn;
}

// The closure over a copied chain, which it owns when it is a block of copies.
KVfobj* closureOverCopy(const FunctionRecord* rec, ScopeChain* copy) {
  // The block of copies is released if making the function object fails.
  std::unique_ptr<ScopeChain, void (*)(ScopeChain*)> owned(ownedScopeChain(copy) ? copy : nullptr, &releaseScopeChain);
  ScopeRoot root(copy);
  reserveNursery(blockBytes(kClosureBodyBytes));
  copy = root.get();
  KVfobj* fn = placeClosureObject();
  setUpClosure(fn, rec);
  fn->environment = copy;
  if (owned) {
    owned.release();
    registerOwner(fn);
  }
  return fn;
}

}  // namespace

KVfobj* newClosure(const FunctionRecord* rec, ScopeChain* scope) { return closureOverCopy(rec, copyScopeChain(scope)); }

KVfobj* newClosureOver(const FunctionRecord* rec, ActivationObject* inner, ScopeChain* outer, const KVfobj* maker) {
  if (capturesOwnCells(rec, inner, outer))
    if (KVfobj* fn = closureWithCaptures(rec, inner, outer, maker)) return fn;
  return closureOverCopy(rec, copyScopeChainWith(inner, outer));
}

KVfobj* newKVfobj(const Callable* callable, const NameVector* first, const NameVector* second) {
  reserveNursery(objectBytes<KVfobj>(2) + objectBytes<KVobj>(1));
  KVobj* proto = placePrototypeObject();
  KVfobj* fn = placeYoungObject<KVfobj>(2, gCore.objectProto, 1);
  *fn->props.cells[1] = Value::makeObject(proto);
  setUpNative(fn, callable, first, second);
  return fn;
}

KVfobj* newClassConstructor(const Callable* callable, const NameVector* first, int32_t classId,
                            int32_t staticMembers) {
  KVfobj* fn = placeStaticObject<KVfobj>(2 + (staticMembers > 0 ? staticMembers : 0), gCore.objectProto, classId);
  setUpNative(fn, callable, first, emptyNames());
  return fn;
}

KVfobj* newStaticNative(const Callable* callable) {
  KVfobj* fn = newClassConstructor(callable, emptyNames(), 1, 0);
  fn->callFlags = KVfobj::kStaticNative;
  return fn;
}

}  // namespace kv
