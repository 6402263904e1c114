// Arrays: growable at both ends, elements keyed start..last(). The element
// values live in one plain block outside the heap (a body moved by byte copy
// keeps only the pointer); the collector visits them through the array, and
// the block is released when the array dies. The body holds only what every
// array needs: what a sort in progress needs lies in front of its buffer.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

class KVContext;
class KVIter;

// The finished test of an iterator over an array: its hook, by whose
// address a code loop knows such an iterator (whose step adds one to the
// position) without calling either hook.
bool arrayIterationFinished(KVIter* it);

// What a sort in progress keeps, in front of its buffer's values (see
// sort_owner.h for the owner fields).
struct ArraySortState {
  int32_t size = 0;  // values in the buffer
  int32_t thread = -1;  // the sort call's slot in the live-contexts table
  KVContext* context = nullptr;  // compared, never read: it may be gone
  uint32_t generation = 0;
  int32_t frame = -1;
  int32_t mark = 0;
};

class KVArray : public KVobj {
 public:
  KVArray() { kind = kElementsKind; }
  ~KVArray() override;
  [[gnu::always_inline]] Value* elementAt(int32_t index) override {
    // Past the end a read finds the shared undefined cell and creates nothing.
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(count) ? &elems[index] : &gUndefinedCell;
  }
  size_t byteSize() const override { return sizeof(KVArray); }
  void forwardReferences() override;
  void markReferences() override;
  bool isArray() const override { return true; }
  bool isIndexable() const override { return true; }
  KVobj* getIterator() override;
  void getIterationHooks(IterFinishedHook& finished, IterStepHook& step) override;

  int32_t length() const { return count; }
  // The cell of element i for a write, or null when i is not below the length.
  [[gnu::always_inline]] Value* elementForWrite(int32_t i) {
    return static_cast<uint32_t>(i) < static_cast<uint32_t>(count) ? &elems[i] : nullptr;
  }
  // The key of the last element (start - 1 when there is none).
  int32_t last() const { return static_cast<int32_t>(static_cast<int64_t>(start) + count - 1); }
  // The element under a key, or null when the key is outside start..last().
  Value* elementAtKey(int32_t key) {
    int64_t i = static_cast<int64_t>(key) - start;
    return i >= 0 && i < count ? &elems[i] : nullptr;
  }

  // Element operations; pop and shift answer false on an empty array.
  void push(const Value& v);
  void unshift(const Value& v);
  bool pop(Value& out);
  bool shift(Value& out);
  void fill(const Value& v);
  void clear();

  // The sort buffer: 2 x length entries, the elements in the lower half.
  // beginSort makes it (false when there is one already, or fewer than 2 or
  // more than 1024 elements); endSort writes it back and frees it; dropSort
  // frees it and leaves the elements as they were.
  bool beginSort();
  void endSort();
  void dropSort();
  // The sort buffer's size and owner; only while there is a buffer.
  ArraySortState& sortState() { return reinterpret_cast<ArraySortState*>(sortBuf)[-1]; }
  const ArraySortState& sortState() const { return reinterpret_cast<const ArraySortState*>(sortBuf)[-1]; }
  int32_t sortSize() const { return sortBuf ? sortState().size : 0; }

  // Declared first so that it lies in the base's tail padding.
  uint8_t owned = 0;  // registered with the collector as owning storage
  int32_t start = 0;
  int32_t head = 0;
  // Element i at elems[i]; the block begins head values before the first
  // (room for unshift), so an element's read needs no offset.
  Value* elems = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
  Value* sortBuf = nullptr;  // after its ArraySortState, in one block

  // Room for `front` more elements before the first and `back` after the last.
  void reserve(int32_t front, int32_t back);
  // Gives back the room after the last element when nothing is before the
  // first: a literal's block ends up the size of its elements.
  void fitCapacity();

 private:
  friend KVArray* newKVArray(int32_t n);
  // The element block's start, or null.
  Value* block() const { return elems ? elems - head : nullptr; }
  void setLengthCell() { props.cells[1]->setInt(count); }
  // Moves the elements to a block of `cap` values, the first at `newHead`.
  void moveData(int64_t cap, int64_t newHead);
  void releaseData();
  void own();
};

static_assert(sizeof(KVArray) == 80, "an array of eight integers is 272 heap bytes");

// A new array of n undefined elements, start 0.
KVArray* newKVArray(int32_t n);

}  // namespace kv
