// Iterators that for-of walks, and tuples: fixed groups of up to nine values
// held in the property table, so the ordinary table collection keeps them.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

class KVIter : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVIter); }
  void forwardReferences() override { target = forwardObject(target); }
  void markReferences() override { markObject(target); }
  bool isIter() const override { return true; }
  bool finished() { return finishedHook(this); }
  void step() { stepHook(this); }

  int32_t position = 0;
  KVobj* target = nullptr;
  IterFinishedHook finishedHook = nullptr;
  IterStepHook stepHook = nullptr;
};

// An iterator over target at position 0; targets that cannot be iterated
// raise RuntimeError 23.
KVIter* newKVIter(KVobj* target);

constexpr int32_t kMaxTupleItems = 9;

class KVTuple : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVTuple); }
  bool isTuple() const override { return true; }
  // Item n (1-based) or null beyond the count.
  Value* item(int32_t n) { return n >= 1 && n <= count ? props.cells[n] : nullptr; }
  int32_t count = 0;
};

// A tuple of the first min(count, 9) values.
KVTuple* newKVTuple(int32_t count, const Value* const* values);
// Root visitor of the values of a tuple under construction.
void visitTupleScratch(bool full, void*);

}  // namespace kv
