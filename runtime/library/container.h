// Container: a script object with a position and a parent link; display
// objects linked to it are drawn offset by its position and its ancestors'.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/object.h"

namespace kv {

class KVContainer : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVContainer); }
  bool isContainer() const override { return true; }
  void forwardReferences() override { parent = forwardObject(parent); }
  void markReferences() override { markObject(parent); }

  KVobj* parent = nullptr;  // another container, or null
};

// A container on the young heap at (x, y) under parent (null for none).
KVContainer* newContainer(KVobj* parent, int32_t x, int32_t y);

// new Container(x, y, parent).
void containerConstructor(KVContext* ctx);
void setupContainerClass(KVfobj* ctor);

}  // namespace kv
