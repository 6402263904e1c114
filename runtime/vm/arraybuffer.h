// Raw binary data: a zero-filled byte block owned by an ArrayBuffer, and the
// typed views that read and write it as little-endian numbers.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

constexpr uint32_t kMaxArrayBufferSize = 1048576;
constexpr int32_t kWarnBufferSize = 18;
constexpr int32_t kWarnViewAccess = 19;

class KVArrayBuffer : public KVobj {
 public:
  ~KVArrayBuffer() override { dispose(); }
  size_t byteSize() const override { return sizeof(KVArrayBuffer); }
  bool isArrayBuffer() const override { return true; }
  // Releases the block at once; views then read undefined and ignore writes.
  void dispose();

  uint32_t size = 0;
  uint8_t* data = nullptr;
};

// A buffer of `bytes` zero bytes; more than 1 MB gives warning 18 and 1 MB.
KVArrayBuffer* newKVArrayBuffer(int64_t bytes);

class KVArrayView : public KVobj {
 public:
  KVArrayView() { kind = kElementsKind; }
  size_t byteSize() const override { return sizeof(KVArrayView); }
  void forwardReferences() override { buffer = static_cast<KVArrayBuffer*>(forwardObject(buffer)); }
  void markReferences() override { markObject(buffer); }
  bool isArrayView() const override { return true; }
  bool isIndexable() const override { return true; }

  // Element i lies inside both the view and the buffer's current block.
  bool holds(int32_t i) const {
    return buffer->data && i >= 0 && i < length &&
           static_cast<uint64_t>(offset) + (static_cast<uint64_t>(i) + 1) * elementSize <= buffer->size;
  }
  // The element in the shared result cell, or undefined with warning 19.
  Value* readElement(int32_t i);
  // Stores an Int, Float or Bool (0 or 1) converted to the element type;
  // outside the view warning 19, other values warning 4; a disposed buffer
  // ignores the write.
  void writeElement(int32_t i, const Value& v);
  // Every element position of the whole buffer receives v.
  void fill(const Value& v);

  KVArrayBuffer* buffer = nullptr;
  int32_t elementSize = 1;
  int32_t length = 0;
  uint32_t offset = 0;
  uint8_t isFloat = 0;
  uint8_t isUnsigned = 0;
};

// A view of length elements of elementSize bytes from offset; null with
// warning 19 when they do not fit the buffer (checked without overflow).
KVArrayView* newKVArrayView(KVArrayBuffer* buffer, int32_t elementSize, int32_t length, int64_t offset,
                            bool isFloat, bool isUnsigned);

}  // namespace kv
