// Members of script objects: fixed slots and the member lists after them.
#include "runtime/vm/property.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

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

// A hash index of one long list: open addressing with linear probing over a
// power-of-two table, keyed by Fibonacci hashing so that runs and strides of
// integer keys spread alike.
struct IndexSlot {
  int32_t key;
  PropNode* node;  // null: empty
};
struct MemberIndex {
  const PropList* list = nullptr;
  uint32_t used = 0;
  uint32_t shift = 32;
  std::vector<IndexSlot> slots;
};

// The indexes of the current member epoch, numbered from 1 by their place
// here; entries past gIndexCount are spare tables kept for reuse.
std::vector<MemberIndex> gIndexes;
uint32_t gIndexCount = 0;
uint32_t gIndexEpoch = 0;

inline uint32_t indexHome(const MemberIndex& ix, int32_t key) {
  return static_cast<uint32_t>(static_cast<uint32_t>(key) * 0x9E3779B1u) >> ix.shift;
}

MemberIndex* indexOf(const PropList* list) {
  if (list->index == 0 || gIndexEpoch != gHeap.memberEpoch || list->index > gIndexCount) return nullptr;
  MemberIndex& ix = gIndexes[list->index - 1];
  return ix.list == list ? &ix : nullptr;
}

IndexSlot* indexFind(MemberIndex& ix, int32_t key) {
  uint32_t mask = static_cast<uint32_t>(ix.slots.size()) - 1;
  for (uint32_t i = indexHome(ix, key);; i = (i + 1) & mask) {
    IndexSlot& s = ix.slots[i];
    if (!s.node || s.key == key) return &s;
  }
}

void indexResize(MemberIndex& ix, uint32_t members) {
  uint32_t bits = 4;
  while ((1u << bits) < members * 2) ++bits;
  std::vector<IndexSlot> old;
  old.swap(ix.slots);
  ix.slots.assign(size_t{1} << bits, IndexSlot{0, nullptr});
  ix.shift = 32 - bits;
  for (const IndexSlot& s : old)
    if (s.node) *indexFind(ix, s.key) = s;
}

// Puts node under key, replacing the node held before.
void indexPut(MemberIndex& ix, int32_t key, PropNode* node) {
  if ((ix.used + 1) * 2 > ix.slots.size()) indexResize(ix, ix.used + 1);
  IndexSlot* s = indexFind(ix, key);
  if (!s->node) ++ix.used;
  *s = IndexSlot{key, node};
}

// Takes key out, shifting back the entries of its probe run that would
// otherwise be cut off from their home.
void indexRemove(MemberIndex& ix, int32_t key) {
  IndexSlot* s = indexFind(ix, key);
  if (!s->node) return;
  uint32_t mask = static_cast<uint32_t>(ix.slots.size()) - 1;
  uint32_t hole = static_cast<uint32_t>(s - ix.slots.data());
  for (uint32_t i = (hole + 1) & mask; ix.slots[i].node; i = (i + 1) & mask) {
    uint32_t home = indexHome(ix, ix.slots[i].key);
    // The entry may fill the hole when its home does not lie in (hole, i].
    if (((i - home) & mask) >= ((i - hole) & mask)) {
      ix.slots[hole] = ix.slots[i];
      hole = i;
    }
  }
  ix.slots[hole].node = nullptr;
  --ix.used;
}

MemberIndex& buildIndex(PropList* list) {
  if (gIndexEpoch != gHeap.memberEpoch) {
    gIndexCount = 0;
    gIndexEpoch = gHeap.memberEpoch;
  }
  if (gIndexCount == gIndexes.size()) gIndexes.emplace_back();
  MemberIndex& ix = gIndexes[gIndexCount++];
  ix.list = list;
  ix.used = 0;
  ix.slots.clear();  // a spare table's entries are of another list
  indexResize(ix, list->count);
  list->index = gIndexCount;
  // The walk meets the newest node under a key first, and that one stays.
  for (PropNode* n = list->head; n; n = n->next) {
    if (!n->isKey()) continue;
    IndexSlot* s = indexFind(ix, n->key);
    if (s->node) continue;
    *s = IndexSlot{n->key, n};
    ++ix.used;
  }
  return ix;
}

// The walk (or index look-up) behind a miss of the look-up cache: the list's
// nodes are newer than the entries in the body.
[[gnu::noinline]] MemberEntry* findUncachedMember(KVobj* obj, PropList* list, int32_t key) {
  MemberEntry* found = nullptr;
  if (list->count > kIndexedListLength) {
    found = indexedKeyNode(list, key);
  } else {
    for (PropNode* n = list->head; n; n = n->next) {
      if (n->key != key) continue;
      found = n;
      break;
    }
  }
  if (!found) found = inlineMember(obj, key);
  if (found) listCacheEntry(list, key) = ListCacheEntry{list, found, key, gHeap.memberEpoch};
  return found;
}

// The object's newest member under key, after its slots missed the key.
inline MemberEntry* findKeyMember(KVobj* obj, int32_t key) {
  PropList* list = obj->list;
  if (!list) return inlineMember(obj, key);
  if (MemberEntry* n = cachedKeyNode(list, key)) return n;
  return findUncachedMember(obj, list, key);
}

template <class Match>
PropNode* findNode(const KVobj* obj, Match match) {
  for (PropNode* n = obj->list ? obj->list->head : nullptr; n; n = n->next)
    if (match(n)) return n;
  return nullptr;
}

// Takes the newest entry under key out of the object's body, closing the
// gap so the entries stay oldest first: true when it was taken or is
// absent, false when it may not be deleted.
bool removeInlineMember(KVobj* obj, int32_t key) {
  MemberEntry* e = obj->inlineMembers();
  for (int32_t i = obj->inlineUsed; i-- > 0;) {
    if (e[i].key != key) continue;
    if (!(e[i].attrs & kAttrDeletable)) return false;
    // The entries from i on move or go: the cache may hold them.
    if (obj->list)
      for (int32_t j = i; j < obj->inlineUsed; ++j) forgetKeyNode(obj->list, e[j].key);
    for (int32_t j = i + 1; j < obj->inlineUsed; ++j) e[j - 1] = e[j];
    e[--obj->inlineUsed] = MemberEntry{};
    return true;
  }
  return true;
}

// Unlinks the newest matching member: true when it was unlinked or is
// absent, false when it may not be deleted. An index then holds the next
// older node under the key, if there is one. Members in the body are older
// than the list's and are matched by inlineKey (kTextKey for none).
template <class Match>
bool unlinkNode(KVobj* obj, Match match, int32_t inlineKey) {
  PropList* list = obj->list;
  if (!list) return removeInlineMember(obj, inlineKey);
  for (PropNode** link = &list->head; *link; link = &(*link)->next) {
    PropNode* n = *link;
    if (!match(n)) continue;
    if (!(n->attrs & kAttrDeletable)) return false;
    *link = n->next;
    --list->count;
    if (n->isKey()) {
      forgetKeyNode(list, n->key);
      if (MemberIndex* ix = indexOf(list)) {
        PropNode* older = n->next;
        while (older && older->key != n->key) older = older->next;
        if (older) indexPut(*ix, n->key, older);
        else indexRemove(*ix, n->key);
      }
    }
    return true;
  }
  return removeInlineMember(obj, inlineKey);
}

Value* grant(Value* cell, uint32_t attrs, int32_t& mode) {
  uint32_t want = static_cast<uint32_t>(mode) & kAttrAll;
  if ((attrs & want) == want) return cell;
  mode = kAccessDenied;
  return nullptr;
}

// A new member holding init: in the object's body while it has room there
// and its list is empty (so the member is the newest), else a new node at
// the head of the list. The object and the value are parked across the one
// reservation that may collect.
Value* addNode(KVobj* obj, int32_t key, const char* name, const Value& init) {
  if (MemberEntry* e = takeInlineEntry(obj, key)) {
    *e = MemberEntry{init, kAttrAll, key};
    return &e->value;
  }
  ObjectRoot objRoot(obj);
  ValueRoot valueRoot(init);
  reserveNursery(blockBytes(sizeof(PropNode)) + (obj->list ? 0 : blockBytes(sizeof(PropList))));
  obj = objRoot.get();
  if (!obj->list) {
    obj->list = static_cast<PropList*>(gcAllocYoungRaw(sizeof(PropList)));
    *obj->list = PropList{nullptr, 0, 0};
  }
  PropList* list = obj->list;
  auto* node = newYoungObject<PropNode>();
  node->value = valueRoot.get();
  node->key = key;
  node->name = name;
  node->attrs = kAttrAll;
  node->next = list->head;
  list->head = node;
  ++list->count;
  if (node->isKey()) {
    forgetKeyNode(list, key);
    if (MemberIndex* ix = indexOf(list)) indexPut(*ix, key, node);
  }
  return &node->value;
}

}  // namespace

ListCacheEntry gListCache[kListCacheSize];
PropList gUnnotedList{nullptr, 0, 0};
SlotCacheEntry gSlotCache[kSlotCacheSize];

PropNode* indexedKeyNode(PropList* list, int32_t key) {
  MemberIndex* ix = indexOf(list);
  if (!ix) ix = &buildIndex(list);
  return indexFind(*ix, key)->node;
}

bool listHasIndex(const PropList* list) { return indexOf(list) != nullptr; }

const char* pooledName(const char* text) {
  static std::unordered_set<std::string> pool;
  return pool.emplace(text).first->c_str();
}

void PropertyTable::layOut(int32_t n, void* at) {
  cells.base = static_cast<Value*>(at);
  count = n;
  for (int32_t i = 0; i < n; ++i) new (cells.base + i) Value();
  for (int32_t i = 0; i < attrWords(n); ++i) words()[i] = kFreshAttrWord;
  setSlotAttrs(*this, 0, 0);
}

void PropertyTable::init(int32_t n) {
  n = clampSlots(n);
  layOut(n, gcAllocYoungRaw(tableBlockBytes(n)));
}

void PropertyTable::initStatic(int32_t n) {
  n = clampSlots(n);
  layOut(n, gcAllocStatic(tableBlockBytes(n)));
}

int32_t PropertyTable::grow(int32_t extra) {
  int32_t n = clampSlots(count + extra);
  bool fixed = inStaticArea(cells.base);
  auto* fresh = static_cast<Value*>(fixed ? gcAllocStatic(tableBlockBytes(n)) : gcAllocYoungRaw(tableBlockBytes(n)));
  int32_t oldWords = attrWords(count);
  uint32_t oldAttrs[kMaxSlots / 8 + 1];
  std::memcpy(oldAttrs, words(), sizeof(uint32_t) * oldWords);
  for (int32_t i = 0; i < n; ++i) new (fresh + i) Value(i < count ? cells.base[i] : Value());
  cells.base = fresh;
  count = n;
  for (int32_t i = 0; i < attrWords(n); ++i) words()[i] = i < oldWords ? oldAttrs[i] : kFreshAttrWord;
  return n;
}

KVobj* placeInlineObject(int32_t n, uint8_t cap) {
  n = clampSlots(n);
  void* at = gcAllocYoungRaw(sizeof(KVobj) + sizeof(MemberEntry) * cap + tableBlockBytes(n));
  KVobj* obj = new (at) KVobj();
  obj->inlineCap = cap;
  obj->tableInline = 1;
  for (uint8_t i = 0; i < cap; ++i) new (obj->inlineMembers() + i) MemberEntry();
  obj->props.layOut(n, obj->inlineTable());
  return obj;
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
    if (MemberEntry* n = cachedKeyNode(obj->list, atom)) return grant(n->cell(), n->attrs, mode);
  }
  for (KVobj* o = obj; o; o = prototypeOf(o)) {
    ownPrototypeFor(o, atom);
    int32_t slot = classSlotOf(o->classId, atom);
    // Classes share ids with others of fewer slots (plain objects and
    // function objects), so the slot must also lie inside this object.
    if (slot >= 0 && slot < o->props.count) return grant(o->props.cells[slot], slotAttrs(o->props, slot), mode);
    if (MemberEntry* n = findKeyMember(o, atom)) return grant(n->cell(), n->attrs, mode);
  }
  return nullptr;
}

Value* getPropertyCellByName(KVobj* obj, const char* text, int32_t& mode) {
  int32_t atom = lookupAtom(text);
  if (atom != kAtomNotFound) {
    if (Value* c = getPropertyCell(obj, atom, mode)) return c;
    if (mode == kAccessDenied) return nullptr;
  }
  if (PropNode* n = findNode(obj, TextNodeMatch{text})) return grant(n->cell(), n->attrs, mode);
  return nullptr;
}

Value* findProperty(KVobj* obj, const char* text) {
  int32_t atom = lookupAtom(text);
  if (atom == kAtomNotFound) {
    PropNode* n = findNode(obj, TextNodeMatch{text});
    return n ? n->cell() : nullptr;
  }
  if (atom == kAtomProto) return obj->props.count > 0 ? obj->props.cells[0] : nullptr;
  ownPrototypeFor(obj, atom);
  int32_t slot = classSlotOf(obj->classId, atom);
  if (slot >= 0 && slot < obj->props.count) return obj->props.cells[slot];
  MemberEntry* n = findKeyMember(obj, atom);
  return n ? n->cell() : nullptr;
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
  return addNode(obj, atom, nullptr, Value());
}

Value* addStringProperty(KVobj* obj, const char* text) {
  return addNode(obj, PropNode::kTextKey, pooledName(text), Value());
}

bool deletePropertyByAtom(KVobj* obj, int32_t atom) {
  ownPrototypeFor(obj, atom);
  int32_t slot = slotIndexOf(obj->classId, atom);
  if (slot >= 0 && slot < obj->props.count) {
    if (!(slotAttrs(obj->props, slot) & kAttrDeletable)) return false;
    *obj->props.cells[slot] = Value();
    return true;
  }
  return unlinkNode(obj, KeyNodeMatch{atom}, atom);
}

bool deletePropertyByName(KVobj* obj, const char* text) {
  return unlinkNode(obj, TextNodeMatch{text}, MemberEntry::kTextKey);
}

KVfobj* KVobj::defineNativeMethod(KVobj* obj, const char* name, const NameVector& argTypes, NativeFunction native) {
  int32_t atom = internAtom(name);
  ObjectRoot root(obj);
  KVfobj* fn = newKVfobj(permanentCallable(Callable{nullptr, nullptr, native}), permanentNames(argTypes), emptyNames());
  Value* cell = addNode(root.get(), atom, nullptr, Value::makeObject(fn));
  return static_cast<KVfobj*>(cell->obj);
}

KVfobj* KVobj::defineNativeNext(KVobj* obj, const NameVector& argTypes, NativeFunction native) {
  KVfobj* fn = defineNativeMethod(obj, "next", argTypes, native);
  fn->callFlags = KVfobj::kRestarterNext;
  return fn;
}

void KVobj::defineObjectProperty(KVobj* obj, const char* name, KVobj* value) {
  addNode(obj, internAtom(name), nullptr, Value::makeObject(value));
}

int32_t KVobj::buildPropertyIndex(KVobj* obj, int32_t classId) {
  int32_t listed = obj->list ? static_cast<int32_t>(obj->list->count) : 0;
  int32_t n = listed + obj->inlineUsed;
  if (n == 0) return 0;
  int32_t old = obj->props.count;
  bool fixed = inStaticArea(obj->props.cells.base);
  if (!fixed) {
    int32_t total = old + n > kMaxSlots ? kMaxSlots : old + n;
    ObjectRoot root(obj);
    reserveNursery(blockBytes(tableBlockBytes(total)));
    obj = root.get();
  }
  int32_t total = obj->props.grow(n);
  obj->tableInline = 0;
  // The object's slots now answer keys its members did.
  advanceMemberEpoch();
  int32_t k = 0;
  auto place = [&](const MemberEntry& m, const char* name) {
    int32_t slot = old + k++;
    *obj->props.cells[slot] = m.value;
    setSlotAttrs(obj->props, slot, m.attrs);
    setSlotIndexOfAtom(classId, m.isKey() ? m.key : internAtomUnchecked(name), slot);
  };
  // Newest first: the list, then the entries in the body.
  PropNode* node = obj->list ? obj->list->head : nullptr;
  for (; node && old + k < total; node = node->next) place(*node, node->name);
  if (obj->list) {
    // Members past the slot limit stay in the list.
    if (node) *obj->list = PropList{node, obj->list->count - static_cast<uint32_t>(k), 0};
    else obj->list = nullptr;
  }
  MemberEntry* e = obj->inlineMembers();
  while (!node && obj->inlineUsed > 0 && old + k < total) {
    place(e[obj->inlineUsed - 1], nullptr);
    e[--obj->inlineUsed] = MemberEntry{};
  }
  return k;
}

KVobj* newObjectFrom(KVfobj* ctor) {
  ObjectRoot root(ctor);
  int32_t n = (ctor->instanceMembers > 0 ? ctor->instanceMembers : 0) + 1;
  reserveNursery(objectBytes<KVobj>(n));
  ctor = static_cast<KVfobj*>(root.get());
  return placeYoungObject<KVobj>(n, ctor->constructorPrototype(), ctor->instanceClassId);
}

KVobj* newPlainObject() {
  reserveNursery(objectBytes<KVobj>(1));
  return placeYoungObject<KVobj>(1, gCore.objectF->constructorPrototype(), gCore.objectF->instanceClassId);
}

KVobj* newLiteralObject() {
  // Nothing is held across the allocation, so it may collect. The entries
  // are written as members are added; the collector reads only those.
  void* at = gcAllocYoungExact(kLiteralObjectBytes - sizeof(BlockHeader));
  KVobj* obj = new (at) KVobj();
  obj->inlineCap = kLiteralInlineMembers;
  obj->tableInline = 1;
  PropertyTable& t = obj->props;
  t.cells.base = obj->inlineTable();
  t.count = 1;
  t.smallAttrs = kFreshAttrWord & ~0xFu;  // slot 0, the prototype's, has none
  KVobj* proto = gCore.objectF->constructorPrototype();
  new (t.cells.base) Value(proto ? Value::makeObject(proto) : Value::makeNull());
  obj->classId = gCore.objectF->instanceClassId;
  return obj;
}

KVobj* newStaticObject(int32_t n, KVobj* proto, int32_t classId) {
  return placeStaticObject<KVobj>(n, proto, classId);
}

}  // namespace kv
