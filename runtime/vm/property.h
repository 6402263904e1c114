// Members of script objects: the fixed slots a class's layout gives every
// object, the per-object list of members added at run time, attribute
// nibbles, lookups along the prototype chain, and deletion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "runtime/vm/atoms.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/object.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/value.h"

namespace kv {

class KVfobj;

// Attribute nibble bits of a slot or node. Bit 2 is carried on every member
// and has no effect.
constexpr uint32_t kAttrDeletable = 1;
constexpr uint32_t kAttrWritable = 4;
constexpr uint32_t kAttrAll = 7;
constexpr int32_t kMaxSlots = 1024;
constexpr int32_t kAccessDenied = -1;

[[gnu::always_inline]] inline uint32_t slotAttrs(const PropertyTable& t, int32_t slot) {
  return (t.words()[slot >> 3] >> (4 * (slot & 7))) & 0xF;
}
inline void setSlotAttrs(PropertyTable& t, int32_t slot, uint32_t nibble) {
  uint32_t shift = 4 * (slot & 7);
  uint32_t& word = t.words()[slot >> 3];
  word = (word & ~(0xFu << shift)) | ((nibble & 0xF) << shift);
}

// Member look-up cache: where the newest member under a key lies (a node of
// the object's list or an entry in its body), one entry per (list, key)
// hash, direct-mapped; objects without a list are not cached. An entry is made only after the
// object's slots missed the key, so a hit stands for the whole own-member
// look-up. It holds while the heap's member epoch is unchanged: collections
// move and free lists and nodes (a list's address is new to any list until
// one), and layout changes can give the key a slot. Adding a node under a
// key and deleting one forget that key's entry.
struct ListCacheEntry {
  const PropList* list;
  MemberEntry* node;  // a node of the list, or an entry in the object's body
  int32_t key;
  uint32_t epoch;
};
constexpr uint32_t kListCacheSize = 4096;
extern ListCacheEntry gListCache[kListCacheSize];

[[gnu::always_inline]] inline ListCacheEntry& listCacheEntry(const PropList* list, int32_t key) {
  // The list picks a region, the key a neighbour in it: the keys of one
  // list, integers or atoms made one after another, spread without clashes.
  auto region = static_cast<uint32_t>((reinterpret_cast<uintptr_t>(list) >> 3) * 0x9E3779B97F4A7C15ull >> 32);
  return gListCache[(region ^ static_cast<uint32_t>(key)) & (kListCacheSize - 1)];
}

[[gnu::always_inline]] inline MemberEntry* cachedKeyNode(const PropList* list, int32_t key) {
  const ListCacheEntry& e = listCacheEntry(list, key);
  return e.list == list && e.key == key && e.epoch == gHeap.memberEpoch ? e.node : nullptr;
}

// Class slot cache: slotIndexOf's answer (a slot, or -1) for a class and
// an atom, direct-mapped, while the member epoch is unchanged (every change
// of a class's slot map moves it). The code loop's stores to class slots
// read it; classSlotOf fills it.
struct SlotCacheEntry {
  int32_t classId = -1;
  int32_t atom = 0;
  int32_t slot = -1;
  uint32_t epoch = 0;
};
constexpr uint32_t kSlotCacheSize = 1024;
extern SlotCacheEntry gSlotCache[kSlotCacheSize];

inline SlotCacheEntry& slotCacheEntry(int32_t classId, int32_t atom) {
  return gSlotCache[(static_cast<uint32_t>(classId) * 0x9E3779B1u ^ static_cast<uint32_t>(atom)) & (kSlotCacheSize - 1)];
}
// The slot the class gives the atom, or -1, through the cache.
inline int32_t classSlotOf(int32_t classId, int32_t atom) {
  SlotCacheEntry& e = slotCacheEntry(classId, atom);
  if (e.classId == classId && e.atom == atom && e.epoch == gHeap.memberEpoch) return e.slot;
  int32_t slot = slotIndexOf(classId, atom);
  e = SlotCacheEntry{classId, atom, slot, gHeap.memberEpoch};
  return slot;
}

// The date of a member record's note (see gMemberStamp): one load.
[[gnu::always_inline]] inline uint64_t memberNoteDate() { return gMemberStamp; }

// Drops the cached member of the list's object under key (it changed),
// and with it every member record's note.
inline void forgetKeyNode(const PropList* list, int32_t key) {
  ++gMemberStamp;
  ListCacheEntry& e = listCacheEntry(list, key);
  if (e.list == list && e.key == key) e.list = nullptr;
}

// Lists longer than this get a hash index from atom or integer key to the
// newest node under it when a look-up misses the cache, so look-ups in long
// lists take constant time. Indexes live outside the heap, are kept in step
// with adds and deletes, and are dropped wholesale when the member epoch
// moves (nodes have moved); the next look-up builds one anew. Text members
// are not indexed. The list's order, which is the members' order, is the
// same with or without an index.
constexpr uint32_t kIndexedListLength = 8;
// The node the list's index holds under key, building the index if the list
// has none; only for lists longer than kIndexedListLength.
PropNode* indexedKeyNode(PropList* list, int32_t key);
// Whether the list has an index valid in this member epoch (for tests).
bool listHasIndex(const PropList* list);

// The stable pooled copy of a member text.
const char* pooledName(const char* text);

// Heap bytes of a block with the given payload, header included.
constexpr size_t blockBytes(size_t payload) { return sizeof(BlockHeader) + roundUp8(payload); }
// Heap bytes of a property table of n slots (cut to 1024) in a block of its
// own: the values and, from eight slots on, the attribute words.
// Inline, so that the room reserved for objects of a known size is a
// constant where they are made.
constexpr size_t tableBytes(int32_t n) {
  return blockBytes(tableBlockBytes(n > kMaxSlots ? kMaxSlots : (n < 1 ? 1 : n)));
}
// Heap bytes of an object body of type T with a table of n slots (at most:
// a plain object's table lies in its body, saving a block header).
template <class T>
constexpr size_t objectBytes(int32_t n) {
  return blockBytes(sizeof(T)) + tableBytes(n);
}
// Member entries a literal object keeps in its body.
constexpr uint8_t kLiteralInlineMembers = 2;
// Heap bytes of a literal object.
constexpr size_t kLiteralObjectBytes =
    blockBytes(sizeof(KVobj) + kLiteralInlineMembers * sizeof(MemberEntry) + tableBlockBytes(1));
// Makes sure the following allocations of `bytes` in total cannot collect.
inline void reserveNursery(size_t bytes) { ensureNurseryRoom(bytes + kNurseryReserve); }

// The object's prototype (slot 0), or null at the end of a chain.
[[gnu::always_inline]] inline KVobj* prototypeOf(const KVobj* obj) {
  const Value* c = obj->props.count > 0 ? obj->props.cells[0] : nullptr;
  return c && c->tag == kObject ? c->obj : nullptr;
}

// The newest member under key among those the object holds in its body.
[[gnu::always_inline]] inline MemberEntry* inlineMember(KVobj* obj, int32_t key) {
  MemberEntry* e = obj->inlineMembers();
  for (int32_t i = obj->inlineUsed; i-- > 0;)
    if (e[i].key == key) return &e[i];
  return nullptr;
}

// The own run-time member under an atom or integer key as far as it can be
// told without a walk: through the look-up cache while the list has nodes
// (they are newer than the entries in the body, so a walk must look at
// them first), else from the body. Only
// for keys the object's slots miss and never for the prototype key; null
// says "not known here", not "absent".
[[gnu::always_inline]] inline MemberEntry* quickOwnMember(const KVobj* obj, int32_t key) {
  if (const PropList* l = obj->list; l && l->count) return cachedKeyNode(l, key);
  // Only slot 0, the prototype's, so no class slot can answer the key.
  if (obj->props.count != 1) return nullptr;
  return inlineMember(const_cast<KVobj*>(obj), key);
}

// The entry a new member under key takes in the object's body, counted as
// used, or null when it must go to the list: the body is full, the list
// has nodes (they must stay the newest), or the key is a text's or the
// prototype's.
[[gnu::always_inline]] inline MemberEntry* takeInlineEntry(KVobj* obj, int32_t key) {
  if (obj->inlineUsed >= obj->inlineCap || key == MemberEntry::kTextKey || key == kAtomProto) return nullptr;
  if (const PropList* l = obj->list) {
    if (l->count) return nullptr;
    forgetKeyNode(l, key);  // an older entry under key may be cached
  }
  return obj->inlineMembers() + obj->inlineUsed++;
}

// Member access. mode asks for the attribute bits it holds (kAttrWritable for
// a write); a refusal sets it to kAccessDenied and answers null. Members the
// object lacks are looked for along its prototype chain.
Value* getPropertyCell(KVobj* obj, int32_t atom, int32_t& mode);
Value* getPropertyCellByName(KVobj* obj, const char* text, int32_t& mode);
// Own members only, no attribute test.
Value* findProperty(KVobj* obj, const char* text);
// The object and its prototypes, except the last object of the chain.
Value* findPropertyInChain(KVobj* obj, const char* text);
// Whether other stands in obj's prototype chain before its last object.
bool hasInPrototypeChain(KVobj* obj, KVobj* other);

// New own members at the head of the object's list; they answer the new cell.
// Both may collect; the object is kept reachable across that.
Value* addKeyProperty(KVobj* obj, int32_t atom);
Value* addStringProperty(KVobj* obj, const char* text);

// True when the member was deleted or is absent, false when it may not be deleted.
bool deletePropertyByAtom(KVobj* obj, int32_t atom);
bool deletePropertyByName(KVobj* obj, const char* text);

// Object creation. newObjectFrom makes an instance of a function object (its
// prototype and instance class id); newPlainObject an instance of Object;
// newLiteralObject one with room for kLiteralInlineMembers members in its
// body (object literals).
KVobj* newObjectFrom(KVfobj* ctor);
KVobj* newPlainObject();
KVobj* newLiteralObject();
// A plain body (exactly KVobj) with its table of n slots and room for cap
// member entries in it, on the young heap; the caller has reserved
// objectBytes<KVobj>(n) plus the entries.
KVobj* placeInlineObject(int32_t n, uint8_t cap);
// A never-moving object in the static area with n slots, recorded so that
// every collection visits it.
KVobj* newStaticObject(int32_t n, KVobj* proto, int32_t classId);

// Places an object body of type T with a table of n slots on the young heap;
// the caller has reserved objectBytes<T>(n) first.
template <class T, class... Args>
T* placeYoungObject(int32_t n, KVobj* proto, int32_t classId, Args&&... args) {
  T* obj;
  if constexpr (std::is_same_v<T, KVobj> && sizeof...(Args) == 0) {
    obj = placeInlineObject(n, 0);
  } else {
    obj = newYoungObject<T>(static_cast<Args&&>(args)...);
    obj->props.init(n);
  }
  obj->classId = classId;
  *obj->props.cells[0] = proto ? Value::makeObject(proto) : Value::makeNull();
  return obj;
}
// Attribute nibbles of a fresh table below eight slots: 7 for every slot but
// the prototype's.
constexpr uint32_t kFreshSmallAttrs = 0x77777770u;
// What placeYoungObject<T>(n, proto, classId) makes for n < 8 (the body,
// then its table block: the same blocks, the same bytes) without the
// general layout's loops, for the objects made on every turn of a loop:
// strings and closures. T's constructor must be the implicit one, so that
// value-initialising clears the body. Room is reserved.
// A fresh table of n < 8 slots at `cells` for obj: the prototype, then
// undefined values.
[[gnu::always_inline]] inline void fillSmallTable(KVobj* obj, Value* cells, int32_t n, KVobj* proto, int32_t classId) {
  new (cells) Value(proto ? Value::makeObject(proto) : Value::makeNull());
  for (int32_t i = 1; i < n; ++i) new (cells + i) Value();
  obj->props.cells.base = cells;
  obj->props.count = n;
  obj->props.smallAttrs = kFreshSmallAttrs;
  obj->classId = classId;
}
template <class T>
T* placeSmallYoungObject(int32_t n, KVobj* proto, int32_t classId) {
  static_assert(!std::is_same_v<T, KVobj>, "a plain object keeps its table in its body");
  T* obj = new (gcAllocYoungRaw(sizeof(T))) T();
  fillSmallTable(obj, static_cast<Value*>(gcAllocYoungRaw(sizeof(Value) * static_cast<size_t>(n))), n, proto, classId);
  return obj;
}
// The same for a plain object, whose table lies in its body's block (as
// placeInlineObject lays it out, without member entries).
[[gnu::always_inline]] inline KVobj* placeSmallPlainObject(int32_t n, KVobj* proto, int32_t classId) {
  KVobj* const obj = new (gcAllocYoungRaw(sizeof(KVobj) + tableBlockBytes(n))) KVobj();
  obj->tableInline = 1;
  fillSmallTable(obj, obj->inlineTable(), n, proto, classId);
  return obj;
}
// The same in the static area.
template <class T, class... Args>
T* placeStaticObject(int32_t n, KVobj* proto, int32_t classId, Args&&... args) {
  T* obj = new (gcAllocStatic(sizeof(T))) T(static_cast<Args&&>(args)...);
  obj->props.initStatic(n);
  obj->classId = classId;
  *obj->props.cells[0] = proto ? Value::makeObject(proto) : Value::makeNull();
  recordStaticObject(obj);
  return obj;
}

}  // namespace kv
