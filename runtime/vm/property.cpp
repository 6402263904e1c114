// Members of script objects: fixed slots and the member lists after them.
#include "runtime/vm/property.h"

#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_set>

#include "runtime/vm/atoms.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

constexpr uint32_t kFreshAttrWord = 0x77777777u;

int32_t clampSlots(int32_t n) {
  if (n > kMaxSlots) {
    raiseRuntimeWarning(kWarnTooManyProperties);
    return kMaxSlots;
  }
  return n < 1 ? 1 : n;
}

int32_t attrWords(int32_t n) { return n / 8 + 1; }

bool inStaticArea(const void* p) { return inHeap(p) && heapOffset(p) >= kStaticOffset; }

Value* staticValueCell() {
  auto* c = static_cast<Value*>(gcAllocStatic(sizeof(Value)));
  *c = Value();
  return c;
}

inline void forgetKeyNode(const PropList* list, int32_t key) {
  ListCacheEntry& e = listCacheEntry(list, key);
  if (e.list == list && e.key == key) e.list = nullptr;
}

// The object's newest node under key, after its slots missed the key.
PropNode* findKeyNode(const KVobj* obj, int32_t key) {
  const PropList* list = obj->list;
  if (!list) return nullptr;
  if (PropNode* n = cachedKeyNode(list, key)) return n;
  for (PropNode* n = list->head; n; n = n->next) {
    if (n->key != key) continue;
    listCacheEntry(list, key) = ListCacheEntry{list, n, key, gHeap.memberEpoch};
    return n;
  }
  return nullptr;
}

template <class Match>
PropNode* findNode(const KVobj* obj, Match match) {
  for (PropNode* n = obj->list ? obj->list->head : nullptr; n; n = n->next)
    if (match(n)) return n;
  return nullptr;
}

// Unlinks the matching node: true when it was unlinked or is absent, false
// when it may not be deleted.
template <class Match>
bool unlinkNode(KVobj* obj, Match match) {
  if (!obj->list) return true;
  for (PropNode** link = &obj->list->head; *link; link = &(*link)->next) {
    PropNode* n = *link;
    if (!match(n)) continue;
    if (!(n->attrs & kAttrDeletable)) return false;
    *link = n->next;
    return true;
  }
  return true;
}

Value* grant(Value* cell, uint32_t attrs, int32_t& mode) {
  uint32_t want = static_cast<uint32_t>(mode) & kAttrAll;
  if ((attrs & want) == want) return cell;
  mode = kAccessDenied;
  return nullptr;
}

// A new node at the head of the object's list, its cell holding init. The
// object and the value are parked across the one reservation that may collect.
template <class Node>
Value* addNode(KVobj* obj, int32_t key, const char* name, const Value& init) {
  ObjectRoot objRoot(obj);
  ValueRoot valueRoot(init);
  reserveNursery(blockBytes(sizeof(Node)) + blockBytes(sizeof(Value)) + (obj->list ? 0 : blockBytes(sizeof(PropList))));
  obj = objRoot.get();
  if (!obj->list) {
    obj->list = static_cast<PropList*>(gcAllocYoungExact(sizeof(PropList)));
    obj->list->head = nullptr;
    obj->list->spare = nullptr;
  }
  Node* node = newYoungObject<Node>();
  node->cell = newValueCellCopy(valueRoot.get());
  node->key = key;
  if constexpr (std::is_same_v<Node, PNodeStr>) node->name = name;
  node->attrs = kAttrAll;
  node->next = obj->list->head;
  obj->list->head = node;
  if constexpr (std::is_same_v<Node, PNodeKey>) forgetKeyNode(obj->list, key);
  return node->cell;
}

}  // namespace

ListCacheEntry gListCache[kListCacheSize];

const char* pooledName(const char* text) {
  static std::unordered_set<std::string> pool;
  return pool.emplace(text).first->c_str();
}

size_t tableBytes(int32_t n) {
  n = n > kMaxSlots ? kMaxSlots : (n < 1 ? 1 : n);
  return blockBytes(sizeof(Value*) * n) + blockBytes(sizeof(uint32_t) * attrWords(n)) + n * blockBytes(sizeof(Value));
}

// Lays out a table of n slots with blocks from `block` and cells from `cell`.
template <class Block, class Cell>
void layOutTable(PropertyTable& t, int32_t n, Block block, Cell cell) {
  n = clampSlots(n);
  t.cells = static_cast<Value**>(block(sizeof(Value*) * n));
  t.attrs = static_cast<uint32_t*>(block(sizeof(uint32_t) * attrWords(n)));
  for (int32_t i = 0; i < n; ++i) t.cells[i] = cell();
  for (int32_t i = 0; i < attrWords(n); ++i) t.attrs[i] = kFreshAttrWord;
  t.count = n;
  setSlotAttrs(t, 0, 0);
}

void PropertyTable::init(int32_t n) { layOutTable(*this, n, gcAllocYoungExact, newValueCell); }

void PropertyTable::initStatic(int32_t n) { layOutTable(*this, n, gcAllocStatic, staticValueCell); }

int32_t PropertyTable::grow(int32_t extra) {
  int32_t n = clampSlots(count + extra);
  bool fixed = inStaticArea(cells);
  auto* newCells = static_cast<Value**>(fixed ? gcAllocStatic(sizeof(Value*) * n) : gcAllocYoungExact(sizeof(Value*) * n));
  auto* newAttrs = static_cast<uint32_t*>(fixed ? gcAllocStatic(sizeof(uint32_t) * attrWords(n))
                                                : gcAllocYoungExact(sizeof(uint32_t) * attrWords(n)));
  int32_t oldWords = attrWords(count);
  for (int32_t i = 0; i < n; ++i) newCells[i] = i < count ? cells[i] : nullptr;
  for (int32_t i = 0; i < attrWords(n); ++i) newAttrs[i] = i < oldWords ? attrs[i] : kFreshAttrWord;
  cells = newCells;
  attrs = newAttrs;
  count = n;
  return n;
}

KVobj::KVobj(KVfobj* ctor) {
  props.init((ctor->instanceMembers > 0 ? ctor->instanceMembers : 0) + 1);
  KVobj* proto = ctor->constructorPrototype();
  *props.cells[0] = proto ? Value::makeObject(proto) : Value::makeNull();
  classId = ctor->instanceClassId;
}

Value* getPropertyCell(KVobj* obj, int32_t atom, int32_t& mode) {
  if ((mode & kAttrWritable) && obj->sealed) {
    mode = kAccessDenied;
    return nullptr;
  }
  if (atom == kAtomProto)
    return obj->props.count > 0 ? grant(obj->props.cells[0], slotAttrs(obj->props, 0), mode) : nullptr;
  if (obj->list) {
    if (PropNode* n = cachedKeyNode(obj->list, atom)) return grant(n->cell, n->attrs, mode);
  }
  for (KVobj* o = obj; o; o = prototypeOf(o)) {
    int32_t slot = slotIndexOf(o->classId, atom);
    // Classes share ids with others of fewer slots (plain objects and
    // function objects), so the slot must also lie inside this object.
    if (slot >= 0 && slot < o->props.count) return grant(o->props.cells[slot], slotAttrs(o->props, slot), mode);
    if (PropNode* n = findKeyNode(o, atom)) return grant(n->cell, n->attrs, mode);
  }
  return nullptr;
}

Value* getPropertyCellByName(KVobj* obj, const char* text, int32_t& mode) {
  int32_t atom = lookupAtom(text);
  if (atom != kAtomNotFound) {
    if (Value* c = getPropertyCell(obj, atom, mode)) return c;
    if (mode == kAccessDenied) return nullptr;
  }
  if (PropNode* n = findNode(obj, TextNodeMatch{text})) return grant(n->cell, n->attrs, mode);
  return nullptr;
}

Value* findProperty(KVobj* obj, const char* text) {
  int32_t atom = lookupAtom(text);
  if (atom == kAtomNotFound) {
    PropNode* n = findNode(obj, TextNodeMatch{text});
    return n ? n->cell : nullptr;
  }
  if (atom == kAtomProto) return obj->props.count > 0 ? obj->props.cells[0] : nullptr;
  int32_t slot = slotIndexOf(obj->classId, atom);
  if (slot >= 0 && slot < obj->props.count) return obj->props.cells[slot];
  PropNode* n = findKeyNode(obj, atom);
  return n ? n->cell : nullptr;
}

Value* findPropertyInChain(KVobj* obj, const char* text) {
  if (Value* c = findProperty(obj, text)) return c;
  for (KVobj* p = prototypeOf(obj); p && prototypeOf(p); p = prototypeOf(p))
    if (Value* c = findProperty(p, text)) return c;
  return nullptr;
}

bool hasInPrototypeChain(KVobj* obj, KVobj* other) {
  for (KVobj* p = prototypeOf(obj); p && prototypeOf(p); p = prototypeOf(p))
    if (p == other) return true;
  return false;
}

Value* addKeyProperty(KVobj* obj, int32_t atom) {
  if (atom == kAtomNotFound) return nullptr;  // the "not found" atom never names a member
  return addNode<PNodeKey>(obj, atom, nullptr, Value());
}

Value* addStringProperty(KVobj* obj, const char* text) {
  return addNode<PNodeStr>(obj, PropNode::kTextKey, pooledName(text), Value());
}

bool deletePropertyByAtom(KVobj* obj, int32_t atom) {
  int32_t slot = slotIndexOf(obj->classId, atom);
  if (slot >= 0 && slot < obj->props.count) {
    if (!(slotAttrs(obj->props, slot) & kAttrDeletable)) return false;
    *obj->props.cells[slot] = Value();
    return true;
  }
  if (obj->list) forgetKeyNode(obj->list, atom);
  return unlinkNode(obj, KeyNodeMatch{atom});
}

bool deletePropertyByName(KVobj* obj, const char* text) { return unlinkNode(obj, TextNodeMatch{text}); }

KVfobj* KVobj::defineNativeMethod(KVobj* obj, const char* name, const NameVector& argTypes, NativeFunction native) {
  int32_t atom = internAtom(name);
  ObjectRoot root(obj);
  KVfobj* fn = newKVfobj(permanentCallable(Callable{nullptr, nullptr, native}), permanentNames(argTypes), emptyNames());
  Value* cell = addNode<PNodeKey>(root.get(), atom, nullptr, Value::makeObject(fn));
  return static_cast<KVfobj*>(cell->obj);
}

KVfobj* KVobj::defineNativeNext(KVobj* obj, const NameVector& argTypes, NativeFunction native) {
  KVfobj* fn = defineNativeMethod(obj, "next", argTypes, native);
  fn->restarterNext = 1;
  return fn;
}

void KVobj::defineObjectProperty(KVobj* obj, const char* name, KVobj* value) {
  addNode<PNodeKey>(obj, internAtom(name), nullptr, Value::makeObject(value));
}

int32_t KVobj::buildPropertyIndex(KVobj* obj, int32_t classId) {
  int32_t n = 0;
  for (PropNode* p = obj->list ? obj->list->head : nullptr; p; p = p->next) ++n;
  if (n == 0) return 0;
  int32_t old = obj->props.count;
  if (!inStaticArea(obj->props.cells)) {
    int32_t total = old + n > kMaxSlots ? kMaxSlots : old + n;
    ObjectRoot root(obj);
    reserveNursery(blockBytes(sizeof(Value*) * total) + blockBytes(sizeof(uint32_t) * attrWords(total)));
    obj = root.get();
  }
  int32_t total = obj->props.grow(n);
  // The object's slots now answer keys its list did.
  ++gHeap.memberEpoch;
  PropNode* node = obj->list->head;
  int32_t k = 0;
  for (; node && old + k < total; node = node->next, ++k) {
    int32_t slot = old + k;
    obj->props.cells[slot] = node->cell;
    setSlotAttrs(obj->props, slot, node->attrs);
    int32_t atom = node->isKey() ? node->key : internAtomUnchecked(static_cast<PNodeStr*>(node)->name);
    setSlotIndexOfAtom(classId, atom, slot);
  }
  // Members past the slot limit stay in the list.
  if (node) obj->list->head = node;
  else obj->list = nullptr;
  return k;
}

KVobj* newObjectFrom(KVfobj* ctor) {
  ObjectRoot root(ctor);
  reserveNursery(objectBytes<KVobj>((ctor->instanceMembers > 0 ? ctor->instanceMembers : 0) + 1));
  return newYoungObject<KVobj>(static_cast<KVfobj*>(root.get()));
}

KVobj* newPlainObject() {
  reserveNursery(objectBytes<KVobj>(1));
  return placeYoungObject<KVobj>(1, gCore.objectF->constructorPrototype(), gCore.objectF->instanceClassId);
}

KVobj* newStaticObject(int32_t n, KVobj* proto, int32_t classId) {
  return placeStaticObject<KVobj>(n, proto, classId);
}

}  // namespace kv
