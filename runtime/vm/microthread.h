// Script handles of micro-threads (class "MicroThread"): a registry index
// and the slot's generation, so a handle outliving its thread goes stale
// instead of reaching whichever thread took the slot next.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

class KVWeakContext : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVWeakContext); }
  // The live context the handle names, or null.
  KVContext* context() const;

  int32_t index = -1;  // -1 after dispose
  uint32_t generation = 0;
};

// Registers ctx and answers its handle.
KVWeakContext* newKVWeakContext(KVContext* ctx);

}  // namespace kv
