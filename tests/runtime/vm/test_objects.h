// Script objects for collector tests and the heap fuzzer: a node with two
// object links, a text and a boxed value, an owner that counts its releases,
// and a root set the collector visits.
#pragma once

#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kvtest {

class TestNode : public kv::KVobj {
 public:
  size_t byteSize() const override { return sizeof(TestNode); }
  void forwardReferences() override {
    for (auto& l : links) l = kv::forwardObject(l);
    text = static_cast<char*>(kv::forwardBlock(text));
    cell = kv::forwardValueCell(cell);
  }
  void markReferences() override {
    for (auto* l : links) kv::markObject(l);
    kv::markBlock(text);
    kv::markValueCell(cell);
  }
  kv::KVobj* links[2] = {nullptr, nullptr};
  char* text = nullptr;
  kv::Value* cell = nullptr;
  int64_t serial = 0;
};

// Storage outside the heap that must be released once, when the node dies.
class OwnerNode : public TestNode {
 public:
  explicit OwnerNode(int* released) : releasedCount(released) {}
  ~OwnerNode() override { ++*releasedCount; }
  size_t byteSize() const override { return sizeof(OwnerNode); }
  int* releasedCount;
};

struct Roots {
  std::vector<kv::KVobj*> objects;
  std::vector<void*> blocks;
  std::vector<kv::Value*> cells;

  static void visit(bool full, void* data) {
    auto* r = static_cast<Roots*>(data);
    for (auto& o : r->objects) kv::visitObject(o, full);
    for (auto& b : r->blocks) kv::visitBlockRoot(b, full);
    for (auto& c : r->cells) {
      if (full) kv::markValueCell(c);
      else c = kv::forwardValueCell(c);
    }
  }
  void attach(kv::RootRank rank = kv::RootRank::LibraryClasses) { kv::registerRoot(rank, &Roots::visit, this); }
};

// A fresh heap, constants, limiter and log, with the roots attached.
inline void startOver(Roots& roots) {
  kv::initGcHeap();
  kv::initValueConstants();
  kv::closeLogFile();
  kv::resetWarningLimiter();
  roots = Roots{};
  roots.attach();
}

}  // namespace kvtest
