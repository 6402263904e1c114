// The body and virtual interface every script object shares.
#include "runtime/vm/object.h"

#include <algorithm>
#include <vector>

#include "runtime/vm/errors.h"

namespace kv {
namespace {

// Objects whose hooks still have to run in the current collection.
std::vector<KVobj*> gPending;
// Objects outside the heap carry no header to flag; a full collection
// remembers which it has followed so that a cycle among them ends.
std::vector<KVobj*> gOutsideMarked;

void requireInHeap(const void* p) {
  if (p && !inHeap(p)) throw RuntimeError(kErrUnexpected);
}

}  // namespace

Value* KVobj::elementAt(int32_t) { return nullptr; }
KVobj* KVobj::constructorPrototype() { return nullptr; }
size_t KVobj::byteSize() const { return sizeof(KVobj); }
void KVobj::forwardReferences() {}
void KVobj::markReferences() {}
KVobj* KVobj::getIterator() { return nullptr; }
void KVobj::getIterationHooks(IterFinishedHook&, IterStepHook&) { throw RuntimeError(kErrUnexpected); }

void KVstring::forwardReferences() { text = static_cast<char*>(forwardBlock(text)); }
void KVstring::markReferences() { markBlock(text); }

KVobj* forwardObject(KVobj* obj) {
  if (!obj) return nullptr;
  if (!inHeap(obj)) {
    if (obj->epoch == gHeap.minorCount) return obj;
    obj->epoch = gHeap.minorCount;
    gPending.push_back(obj);
    return obj;
  }
  bool first;
  KVobj* moved = static_cast<KVobj*>(forwardSized(obj, bodyBytes(obj, obj->byteSize()), first));
  if (first) gPending.push_back(moved);
  return moved;
}

void markObject(KVobj* obj) {
  if (!obj) return;
  if (!inHeap(obj)) {
    if (gHeap.verifying) return;  // only heap references are checked
    if (std::find(gOutsideMarked.begin(), gOutsideMarked.end(), obj) != gOutsideMarked.end()) return;
    gOutsideMarked.push_back(obj);
  } else if (!markFirst(obj)) {
    return;
  }
  gPending.push_back(obj);
}

void drainObjectWork(bool full) {
  while (!gPending.empty()) {
    KVobj* obj = gPending.back();
    gPending.pop_back();
    if (full) {
      obj->markReferences();
      markPropertyTable(obj);
      markPropertyList(obj);
    } else {
      obj->epoch = gHeap.minorCount;
      obj->forwardReferences();
      forwardPropertyCells(obj);
      forwardPropertyList(obj);
    }
  }
}

void forwardPropertyCells(KVobj* obj) {
  PropertyTable& t = obj->props;
  if (obj->tableInline) {
    // The body may have moved.
    t.cells.base = obj->tableInline == kTableAfterFields ? obj->tableAfterFields() : obj->inlineTable();
  } else if (t.cells.base) {
    requireInHeap(t.cells.base);
    t.cells.base = static_cast<Value*>(forwardBlock(t.cells.base));
  }
  for (int32_t i = 0; i < t.count; ++i) visitValue(t.cells.base[i], false);
  MemberEntry* e = obj->inlineMembers();
  for (int32_t i = 0; i < obj->inlineUsed; ++i) visitValue(e[i].value, false);
}

void forwardPropertyList(KVobj* obj) {
  if (!obj->list) return;
  requireInHeap(obj->list);
  obj->list = static_cast<PropList*>(forwardBlock(obj->list));
  PropNode** link = &obj->list->head;
  while (PropNode* node = *link) {
    bool first;
    PropNode* moved = static_cast<PropNode*>(forwardSized(node, sizeof(PropNode), first));
    *link = moved;
    if (!first) break;  // the rest of the list was handled when this node was
    visitValue(moved->value, false);
    link = &moved->next;
  }
}

void markPropertyTable(KVobj* obj) {
  PropertyTable& t = obj->props;
  if (!obj->tableInline && t.cells.base) markBlock(t.cells.base);
  for (int32_t i = 0; i < t.count; ++i) visitValue(t.cells.base[i], true);
  MemberEntry* e = obj->inlineMembers();
  for (int32_t i = 0; i < obj->inlineUsed; ++i) visitValue(e[i].value, true);
}

void markPropertyList(KVobj* obj) {
  if (!obj->list || !markFirst(obj->list)) return;
  for (PropNode* node = obj->list->head; node; node = node->next) {
    if (!markFirst(node)) break;
    visitValue(node->value, true);
  }
}

void beginObjectMarking() { gOutsideMarked.clear(); }

}  // namespace kv
