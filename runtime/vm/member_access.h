// Member reads and stores the code loop serves without leaving it: one rule
// each, shared by the member records' own handlers and the fused member
// steps (fuse.h) that begin with a local. Each answers null where the
// general path must run (it warns, fails, calls or looks further), and
// changes nothing itself, so a caller can check everything before it acts.
#pragma once

#include <cstdint>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/code.h"
#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/property.h"

namespace kv {

// A member obj holds in a slot of its class (a built-in prototype's
// methods), as the slot cache holds it; for a prototype whose run-time
// members do not hold the key. Null when the cache does not know the key
// or gives no slot inside the object.
[[gnu::always_inline]] inline const Value* cachedSlotValue(const KVobj* obj, int32_t key) {
  const SlotCacheEntry& e = slotCacheEntry(obj->classId, key);
  if (e.classId != obj->classId || e.atom != key || e.epoch != gHeap.memberEpoch || key == kAtomProto ||
      static_cast<uint32_t>(e.slot) >= static_cast<uint32_t>(obj->props.count) || ownPrototypeLater(obj))
    return nullptr;
  return obj->props.cells[e.slot];
}

// An array's element under the key of a GetMember record (`a[3]`: keys
// from 0 up name elements), as the member read finds it: the out-of-line
// read answers such a key from the array before any cache, undefined past
// the end. Null for any other key or object.
[[gnu::always_inline]] inline const Value* constantKeyElement(KVobj* obj, int32_t key) {
  if (key < 0 || obj->classId != kArrayClassId) return nullptr;
  return static_cast<KVArray*>(obj)->KVArray::elementAt(key);
}

// The member a list with nodes holds under the record's key as the look-up
// cache finds it, through the record's note of its last answer while no
// member was added or deleted under a key of a listed object and nothing
// moved since (memberNoteDate): one compare of the list and one of the date
// instead of the cache's hash and compares. Only for keys the object's
// slots miss, as for cachedKeyNode. The record's general read notes what it
// found (noteListMember), and so does a store's miss.
[[gnu::always_inline]] inline bool noteHolds(const MemberCache* mc, const PropList* list) {
  return list == mc->noteList && mc->noteStamp == memberNoteDate();
}
[[gnu::always_inline]] inline MemberEntry* notedKeyNode(const MemberCache* mc, const PropList* list, int32_t key) {
  if (noteHolds(mc, list)) return mc->note;
  return cachedKeyNode(list, key);
}

// quickOwnMember with the record's note.
[[gnu::always_inline]] inline MemberEntry* notedOwnMember(const MemberCache* mc, const KVobj* obj, int32_t key) {
  if (const PropList* l = obj->list; l && l->count) return notedKeyNode(mc, l, key);
  if (obj->props.count != 1) return nullptr;
  return inlineMember(const_cast<KVobj*>(obj), key);
}

// The value a GetMember record of the value form reads from obj.
[[gnu::always_inline]] inline const Value* inlineMemberValue(KVobj* obj, const CodeNode* node) {
  const MemberCache* const mc = node->second.cache;
  // The inline cache: the class seen first and the member's slot in it,
  // used only when the object really has that slot. An array's element
  // never fills it.
  if (!mc || obj->classId != mc->classId) return constantKeyElement(obj, node->operand.i);
  // The record's note of the member the object's own list held. A note is
  // taken only where the whole look-up answered with that list's member, and
  // holds while nothing was added, deleted or moved and no class changed its
  // layout, so it stands for the slot test below too.
  if (noteHolds(mc, obj->list)) return &mc->note->value;
  if (static_cast<uint32_t>(mc->slot) < static_cast<uint32_t>(obj->props.count)) return obj->props.cells[mc->slot];
  // No slot in the class: an own run-time member, as the member look-up
  // cache last found it or in a literal object's body. When the object
  // surely has none under the key (no list nodes, its body searched) and
  // the class is still without the slot in this member epoch, the
  // prototype's own member, as the look-up along the chain finds it.
  if (mc->slot >= 0 || !mc->listKey) return nullptr;
  const int32_t key = node->operand.i;
  const PropList* list = obj->list;
  const MemberEntry* member;
  if (list && list->count) {
    member = cachedKeyNode(list, key);
  } else {
    member = quickOwnMember(obj, key);
    if (!member && (obj->props.count == 1 || !obj->inlineUsed) && mc->missEpoch == gHeap.memberEpoch) {
      if (const KVobj* proto = prototypeOf(obj)) {
        member = notedOwnMember(mc, proto, key);
        if (!member) return cachedSlotValue(proto, key);
      }
    }
  }
  return member ? &member->value : nullptr;
}

// The value a GetIndexed record of the value form reads from obj under a
// key k >= 0: an array's element (undefined past the end, as the member
// read finds it); an integer-keyed member of an object whose integer keys
// are members, as the look-up cache holds it.
[[gnu::always_inline]] inline const Value* inlineElementValue(KVobj* obj, int32_t k) {
  if (obj->classId == kArrayClassId) return static_cast<KVArray*>(obj)->KVArray::elementAt(k);
  if (obj->kind == kMembersKind) {
    if (const MemberEntry* member = quickOwnMember(obj, k)) return &member->value;
  }
  return nullptr;
}

// The cell a store through a member reference (obj, key) of a value that
// is no text writes, where resolving the reference for a write finds: an
// array's element below its length (past the end it warns); a run-time
// member the look-up cache holds, under an atom or, in an object whose
// integer keys are members, an integer; a class slot the slot cache holds.
[[gnu::always_inline]] inline Value* inlineMemberCell(KVobj* obj, int32_t key) {
  if (!obj || obj->sealed) return nullptr;
  if (key >= 0 && obj->classId == kArrayClassId) return static_cast<KVArray*>(obj)->elementForWrite(key);
  if ((key >= 0 && obj->kind != kMembersKind) || key == RefRecord::kAtomNotFoundKey) return nullptr;
  MemberEntry* member = quickOwnMember(obj, key);
  if (member && (member->attrs & kAttrWritable)) return &member->value;
  if (key >= 0) return nullptr;
  const SlotCacheEntry& e = slotCacheEntry(obj->classId, key);
  if (e.classId == obj->classId && e.atom == key && e.epoch == gHeap.memberEpoch &&
      static_cast<uint32_t>(e.slot) < static_cast<uint32_t>(obj->props.count) &&
      (slotAttrs(obj->props, e.slot) & kAttrWritable))
    return obj->props.cells[e.slot];
  return nullptr;
}

// inlineMemberCell for the member record `node` names (a GetMember record):
// an array's element, a member in the body of an object without list nodes,
// a list member the record's note holds, a class slot of the class the
// record noted, else (out of line) as inlineMemberCell finds it.
[[gnu::noinline]] Value* recordMemberCell(KVobj* obj, const CodeNode* node);
// Notes in the record's cache the list member the look-up cache holds under
// key for a list of obj's (its own, or its prototype's when it has none),
// when that member's value is `cell`.
void noteListMember(MemberCache* mc, const KVobj* obj, int32_t key, const Value* cell);
[[gnu::always_inline]] inline Value* inlineMemberCell(KVobj* obj, const CodeNode* node) {
  if (!obj || obj->sealed) return nullptr;
  const MemberCache* const mc = node->second.cache;
  const PropList* const l = obj->list;
  // The record's note of the member the object's own list held, as for
  // inlineMemberValue.
  if (mc && noteHolds(mc, l) && (mc->note->attrs & kAttrWritable))
    return &mc->note->value;
  const int32_t key = node->operand.i;
  if (key >= 0 && obj->classId == kArrayClassId) return static_cast<KVArray*>(obj)->elementForWrite(key);
  if (!l || !l->count) {
    // No list nodes and no slot but the prototype's: a member in the body.
    if (obj->props.count == 1 && key < 0 && key != RefRecord::kAtomNotFoundKey) {
      MemberEntry* member = inlineMember(obj, key);
      if (member && (member->attrs & kAttrWritable)) return &member->value;
    }
  }
  if (mc && mc->listKey && obj->classId == mc->classId &&
      static_cast<uint32_t>(mc->slot) < static_cast<uint32_t>(obj->props.count))
    return (slotAttrs(obj->props, mc->slot) & kAttrWritable) ? obj->props.cells[mc->slot] : nullptr;
  return recordMemberCell(obj, node);
}

// The cell a reference names for a write, where the inline rules find it:
// a variable's cell, or a member cell as inlineMemberCell finds it.
[[gnu::always_inline]] inline Value* refCellForWrite(const RefRecord& r) {
  if (r.kind == kRefCell) return static_cast<Value*>(r.container) + r.key;
  if (r.kind == kRefMember) return inlineMemberCell(static_cast<KVobj*>(r.container), r.key);
  return nullptr;
}

}  // namespace kv
