// ArrayBuffer byte blocks and the typed views over them.
#include "runtime/vm/arraybuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

// Host order is little-endian on every target we build for; memcpy keeps
// unaligned offsets legal.
template <class T>
T load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
void store(uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

// The value's number as the element's bytes; false for a value that is no number.
bool encode(const KVArrayView* view, const Value& v, uint64_t& bits) {
  double d;
  int32_t i;
  if (v.tag == kInt || v.tag == kBool) {
    i = v.i;
    d = v.i;
  } else if (v.tag == kFloat) {
    d = v.d;
    i = doubleToInt32(v.d);
  } else {
    return false;
  }
  if (view->isFloat) {
    if (view->elementSize == 4) {
      uint32_t u;
      float f = static_cast<float>(d);
      std::memcpy(&u, &f, 4);
      bits = u;
    } else {
      std::memcpy(&bits, &d, 8);
    }
  } else {
    bits = static_cast<uint32_t>(i);
  }
  return true;
}

void put(uint8_t* at, int32_t size, uint64_t bits) {
  switch (size) {
    case 1: *at = static_cast<uint8_t>(bits); break;
    case 2: store<uint16_t>(at, static_cast<uint16_t>(bits)); break;
    case 4: store<uint32_t>(at, static_cast<uint32_t>(bits)); break;
    default: store<uint64_t>(at, bits); break;
  }
}

void disposeNative(KVContext* ctx) {
  static_cast<KVArrayBuffer*>(requireReceiver(ctx, &KVobj::isArrayBuffer))->dispose();
  ctx->pushUndefined();
}

void viewFillNative(KVContext* ctx) {
  static_cast<KVArrayView*>(requireReceiver(ctx, &KVobj::isArrayView))->fill(*ctx->arg(0));
  ctx->pushUndefined();
}

}  // namespace

void KVArrayBuffer::dispose() {
  if (data) releaseExternalBytes(size);
  std::free(data);
  data = nullptr;
  size = 0;
}

KVArrayBuffer* newKVArrayBuffer(int64_t bytes) {
  if (bytes > kMaxArrayBufferSize) {
    raiseRuntimeWarning(kWarnBufferSize);
    bytes = kMaxArrayBufferSize;
  }
  if (bytes < 0) bytes = 0;
  reserveNursery(objectBytes<KVArrayBuffer>(1));
  KVArrayBuffer* b = placeYoungObject<KVArrayBuffer>(1, gBuiltins.arrayBufferProto, kArrayBufferClassId);
  b->data = static_cast<uint8_t*>(std::calloc(bytes > 0 ? static_cast<size_t>(bytes) : 1, 1));
  if (!b->data) throw std::bad_alloc();
  b->size = static_cast<uint32_t>(bytes);
  registerOwner(b);
  noteExternalBytes(static_cast<size_t>(bytes));
  return b;
}

KVArrayView* newKVArrayView(KVArrayBuffer* buffer, int32_t elementSize, int32_t length, int64_t offset,
                            bool isFloat, bool isUnsigned) {
  if (offset < 0) offset = 0;
  if (length < 1) length = 1;
  // 64-bit arithmetic: a length near 2^31 cannot wrap the check.
  if (static_cast<int64_t>(length) * elementSize + offset > static_cast<int64_t>(buffer->size)) {
    raiseRuntimeWarning(kWarnViewAccess);
    return nullptr;
  }
  ObjectRoot root(buffer);
  reserveNursery(objectBytes<KVArrayView>(1));
  KVArrayView* v = placeYoungObject<KVArrayView>(1, gBuiltins.typedArrayProto, kArrayViewClassId);
  v->buffer = static_cast<KVArrayBuffer*>(root.get());
  v->elementSize = elementSize;
  v->length = length;
  v->offset = static_cast<uint32_t>(offset);
  v->isFloat = isFloat;
  v->isUnsigned = isUnsigned;
  return v;
}

Value* KVArrayView::readElement(int32_t i) {
  if (!holds(i)) {
    raiseRuntimeWarning(kWarnViewAccess);
    return &gUndefinedCell;
  }
  const uint8_t* at = buffer->data + offset + static_cast<size_t>(i) * elementSize;
  if (isFloat) {
    gResultCell.setFloat(elementSize == 4 ? static_cast<double>(load<float>(at)) : load<double>(at));
    return &gResultCell;
  }
  int32_t r;
  switch (elementSize) {
    case 1: r = isUnsigned ? static_cast<int32_t>(*at) : static_cast<int32_t>(static_cast<int8_t>(*at)); break;
    case 2:
      r = isUnsigned ? static_cast<int32_t>(load<uint16_t>(at)) : static_cast<int32_t>(load<int16_t>(at));
      break;
    default: r = load<int32_t>(at); break;
  }
  gResultCell.setInt(r);
  return &gResultCell;
}

void KVArrayView::writeElement(int32_t i, const Value& v) {
  if (!buffer->data) return;
  if (!holds(i)) {
    raiseRuntimeWarning(kWarnViewAccess);
    return;
  }
  uint64_t bits;
  if (!encode(this, v, bits)) {
    raiseRuntimeWarning(kWarnWrongArgument);
    return;
  }
  put(buffer->data + offset + static_cast<size_t>(i) * elementSize, elementSize, bits);
}

void KVArrayView::fill(const Value& v) {
  uint64_t bits;
  if (!buffer->data || !encode(this, v, bits)) return;
  uint32_t n = buffer->size / elementSize;
  for (uint32_t k = 0; k < n; ++k) put(buffer->data + static_cast<size_t>(k) * elementSize, elementSize, bits);
}

void setupArrayBufferClass() {
  KVobj::defineNativeMethod(gBuiltins.arrayBufferProto, "dispose", NativeArgTypes(), &disposeNative);
  KVobj::buildPropertyIndex(gBuiltins.arrayBufferProto, kArrayBufferProtoClassId);
}

void setupTypedArrayClass() {
  KVobj::defineNativeMethod(gBuiltins.typedArrayProto, "fill", NativeArgTypes(1, 0), &viewFillNative);
  KVobj::buildPropertyIndex(gBuiltins.typedArrayProto, kTypedArrayProtoClassId);
}

}  // namespace kv
