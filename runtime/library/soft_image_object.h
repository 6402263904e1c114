// SoftImage: the script object that owns a software ARGB image of the media
// layer and reads and writes its pixels one at a time.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/object.h"

namespace kv {

constexpr int32_t kSoftImageClassId = 136;
constexpr int32_t kSoftImageProtoClassId = 137;

class KVSoftImage : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVSoftImage); }
  int32_t handle = -1;  // -1 when the image could not be made
};

// new SoftImage(width, height): integers, 32 each when not given as integers.
void softImageConstructor(KVContext* ctx);
// The prototype with "getPixel" and "drawPixel", stored in the constructor.
void setupSoftImageClass(KVfobj* ctor);

}  // namespace kv
