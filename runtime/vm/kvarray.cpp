// Arrays growable at both ends, and their element store.
#include "runtime/vm/kvarray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

constexpr int32_t kMaxLength = 2147483647;
constexpr int32_t kMaxSortLength = 1024;
constexpr int32_t kWarnArrayIndexLimit = 1;
constexpr int32_t kWarnImplementationLimit = 25;

void arrayStep(KVIter* it) { ++it->position; }

void fillUndefined(Value* from, Value* to) {
  for (Value* v = from; v < to; ++v) *v = Value();
}

}  // namespace

bool arrayIterationFinished(KVIter* it) { return it->position > static_cast<KVArray*>(it->target)->last(); }

KVArray::~KVArray() {
  releaseData();
  dropSort();
}

void KVArray::releaseData() {
  if (elems) releaseExternalBytes(static_cast<size_t>(capacity) * sizeof(Value));
  std::free(block());
  elems = nullptr;
}

void KVArray::own() {
  if (!owned) {
    owned = 1;
    registerOwner(this);
  }
}

// Makes room for `front` more elements before the first and `back` after the
// last, growing the block geometrically so that both ends push in amortised
// constant time. An array growing at one end keeps the room it had at the
// other (up to half the new spare room) and the rest goes to the growing end;
// when the first element stays where it is the block is resized in place,
// which spares the copy and, for large blocks, the fresh pages.
void KVArray::reserve(int32_t front, int32_t back) {
  if (head >= front && capacity - head - count >= back) return;
  int64_t need = static_cast<int64_t>(count) + front + back;
  int64_t cap = std::max<int64_t>({need + need / 2, 8});
  int64_t spare = cap - need;
  int64_t newHead;
  if (front == 0)
    newHead = std::min<int64_t>(head, spare / 2);
  else if (back == 0)
    newHead = front + spare - std::min<int64_t>(capacity - head - count, spare / 2);
  else
    newHead = front + spare / 2;
  moveData(cap, newHead);
}

void KVArray::moveData(int64_t cap, int64_t newHead) {
  Value* moved;
  if (elems && newHead == head) {
    moved = static_cast<Value*>(std::realloc(static_cast<void*>(block()), static_cast<size_t>(cap) * sizeof(Value)));
    if (!moved) throw std::bad_alloc();
    releaseExternalBytes(static_cast<size_t>(capacity) * sizeof(Value));
  } else {
    moved = static_cast<Value*>(std::malloc(static_cast<size_t>(cap) * sizeof(Value)));
    if (!moved) throw std::bad_alloc();
    if (count > 0) std::memcpy(static_cast<void*>(moved + newHead), elems, sizeof(Value) * count);
    releaseData();
  }
  elems = moved + newHead;
  head = static_cast<int32_t>(newHead);
  capacity = static_cast<int32_t>(cap);
  own();
  noteExternalBytes(static_cast<size_t>(cap) * sizeof(Value));
}

void KVArray::fitCapacity() {
  if (head != 0 || capacity <= count) return;
  if (count == 0) {
    releaseData();
    capacity = 0;
    return;
  }
  // Shrinking in place keeps the elements where they are; only the bytes
  // given back leave the count, so the fit adds nothing toward collection.
  auto* block = static_cast<Value*>(std::realloc(static_cast<void*>(elems), sizeof(Value) * static_cast<size_t>(count)));
  if (!block) return;  // the larger block stays, which is as sound
  releaseExternalBytes(sizeof(Value) * static_cast<size_t>(capacity - count));
  elems = block;
  capacity = count;
}

void KVArray::push(const Value& v) {
  if (count == kMaxLength) {
    raiseRuntimeWarning(kWarnArrayIndexLimit);
    return;
  }
  if (head + count == capacity) {
    Value copy = v;  // v may live in the block being replaced
    reserve(0, 1);
    elems[count] = copy;
  } else {
    elems[count] = v;
  }
  ++count;
  setLengthCell();
}

void KVArray::unshift(const Value& v) {
  if (count == kMaxLength) {
    raiseRuntimeWarning(kWarnArrayIndexLimit);
    return;
  }
  Value copy = v;
  if (head == 0) reserve(1, 0);
  --head;
  *--elems = copy;
  ++count;
  --start;
  setLengthCell();
}

bool KVArray::pop(Value& out) {
  if (count == 0) return false;
  out = elems[--count];
  setLengthCell();
  return true;
}

bool KVArray::shift(Value& out) {
  if (count == 0) return false;
  out = *elems++;
  ++head;
  --count;
  ++start;
  setLengthCell();
  return true;
}

void KVArray::fill(const Value& v) {
  Value copy = v;
  std::fill(elems, elems + count, copy);
}

void KVArray::clear() {
  Value* const b = block();
  count = 0;
  start = 0;
  head = capacity / 2;
  if (b) elems = b + head;
  setLengthCell();
}

bool KVArray::beginSort() {
  if (count > kMaxSortLength) {
    raiseRuntimeWarning(kWarnImplementationLimit, "Array.prototype.sort");
    return false;
  }
  if (sortBuf || count < 2) return false;
  static_assert(sizeof(ArraySortState) % alignof(Value) == 0);
  void* block = std::malloc(sizeof(ArraySortState) + sizeof(Value) * 2 * count);
  if (!block) throw std::bad_alloc();
  auto* state = new (block) ArraySortState;
  state->size = 2 * count;
  sortBuf = reinterpret_cast<Value*>(state + 1);
  std::memcpy(static_cast<void*>(sortBuf), elems, sizeof(Value) * count);
  fillUndefined(sortBuf + count, sortBuf + 2 * count);
  own();
  noteExternalBytes(sizeof(Value) * 2 * count);
  return true;
}

void KVArray::endSort() {
  if (!sortBuf) return;
  // The elements may have changed while the sort ran script code.
  int32_t n = std::min(count, sortSize() / 2);
  if (n > 0) std::memcpy(static_cast<void*>(elems), sortBuf, sizeof(Value) * n);
  dropSort();
}

void KVArray::dropSort() {
  if (!sortBuf) return;
  releaseExternalBytes(sizeof(Value) * static_cast<size_t>(sortSize()));
  std::free(&sortState());
  sortBuf = nullptr;
}

void KVArray::forwardReferences() {
  for (int32_t i = 0; i < count; ++i) visitValue(elems[i], false);
  for (int32_t i = 0, n = sortSize(); i < n; ++i) visitValue(sortBuf[i], false);
}

void KVArray::markReferences() {
  for (int32_t i = 0; i < count; ++i) visitValue(elems[i], true);
  for (int32_t i = 0, n = sortSize(); i < n; ++i) visitValue(sortBuf[i], true);
}

KVobj* KVArray::getIterator() {
  // A fresh iterator per iteration: nested loops over one array each keep
  // their own position.
  int32_t from = start;
  KVIter* it = newKVIter(this);
  it->position = from;
  return it;
}

void KVArray::getIterationHooks(IterFinishedHook& finished, IterStepHook& step) {
  finished = &arrayIterationFinished;
  step = &arrayStep;
}

KVArray* newKVArray(int32_t n) {
  if (n < 0) n = 0;
  reserveNursery(objectBytes<KVArray>(2));
  KVArray* a = placeYoungObject<KVArray>(2, gBuiltins.arrayProto, kArrayClassId);
  if (n > 0) {
    // The length is known: the block holds exactly the elements until the
    // first growth.
    a->moveData(n, 0);
    fillUndefined(a->elems, a->elems + n);
    a->count = n;
  }
  a->props.cells[1]->setInt(n);
  return a;
}

}  // namespace kv
