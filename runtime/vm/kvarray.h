// Arrays: growable at both ends, elements keyed start..last. The element
// values live in one plain block outside the heap (a body moved by byte copy
// keeps only the pointer); the collector visits them through the array, and
// the block is released when the array dies.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

class KVContext;

class KVArray : public KVobj {
 public:
  KVArray() { kind = kElementsKind; }
  ~KVArray() override;
  Value* elementAt(int32_t index) override {
    // Past the end a read finds the shared undefined cell and creates nothing.
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(count) ? &data[head + index] : &gUndefinedCell;
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
  Value* elementForWrite(int32_t i) {
    return static_cast<uint32_t>(i) < static_cast<uint32_t>(count) ? &data[head + i] : nullptr;
  }
  // The element under a key, or null when the key is outside start..last.
  Value* elementAtKey(int32_t key) {
    int64_t i = static_cast<int64_t>(key) - start;
    return i >= 0 && i < count ? &data[head + i] : nullptr;
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

  int32_t start = 0;
  int32_t last = -1;
  Value* data = nullptr;  // element i at data[head + i]
  int32_t head = 0;
  int32_t count = 0;
  int32_t capacity = 0;
  uint8_t owned = 0;  // registered with the collector as owning storage
  Value* sortBuf = nullptr;
  int32_t sortSize = 0;
  // The sort call that made the buffer (see sort_owner.h).
  KVContext* sortContext = nullptr;  // compared, never read: it may be gone
  int32_t sortThread = -1;            // its slot in the live-contexts table
  uint32_t sortGeneration = 0;
  int32_t sortFrame = -1;
  int32_t sortMark = 0;

  // Room for `front` more elements before the first and `back` after the last.
  void reserve(int32_t front, int32_t back);

 private:
  void setLengthCell() { props.cells[1]->setInt(count); }
  void releaseData();
  void own();
};

// A new array of n undefined elements, start 0.
KVArray* newKVArray(int32_t n);

}  // namespace kv
