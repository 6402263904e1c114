// Generators: a restarter keeps a suspended generator run (its cells,
// operands and references between steps), and a pair reports each step as
// {done, value}.
#pragma once

#include <cstdint>

#include "runtime/vm/context.h"
#include "runtime/vm/object.h"

namespace kv {

// The result record of a step: "done" in slot 1, "value" in slot 2.
class YieldPair : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(YieldPair); }
  bool done() const { return props.cells[1]->tag == kBool && props.cells[1]->i; }
  void set(bool done, const Value& value) {
    props.cells[1]->setBool(done);
    *props.cells[2] = value;
  }
};

class KVrestarter : public KVobj {
 public:
  ~KVrestarter() override { delete[] saved.cells; }
  size_t byteSize() const override { return sizeof(KVrestarter); }
  void forwardReferences() override;
  void markReferences() override;
  bool isRestarter() const override { return true; }
  // Every saved cell undefined, no saved values or references.
  void reset();
  // A run that ended keeps nothing.
  void release() {
    delete[] saved.cells;
    saved.cells = nullptr;
    saved.cellCount = saved.valueCount = saved.refCount = 0;
    saved.objectLiteralCount = saved.arrayLiteralCount = 0;
  }

  KVfobj* function = nullptr;
  YieldPair* pair = nullptr;
  SavedFrame saved;  // cells outside the heap, released with the restarter
  int32_t resumePc = 0;
  int32_t operandBase = 0;  // the caller's operand top while a step runs
  uint8_t started = 0;
  uint8_t running = 0;
  uint8_t finished = 0;
};

// A restarter for fn with its first n cells set from values, the rest undefined.
KVrestarter* newKVrestarter(KVfobj* fn, const Value* values, int32_t n);

class KVgenerator : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVgenerator); }
  void forwardReferences() override { state = static_cast<KVrestarter*>(forwardObject(state)); }
  void markReferences() override { markObject(state); }
  bool isGenerator() const override { return true; }
  KVrestarter* state = nullptr;
};

KVgenerator* newKVgenerator(KVrestarter* state);

}  // namespace kv
