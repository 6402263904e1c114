// SoftImage objects over the media layer's soft-image handles. The media
// layer keeps the image until it ends; the object holds only the handle.
#include "runtime/library/soft_image_object.h"

#include "media/graphics/soft_image.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

constexpr int32_t kDefaultSide = 32;

KVobj* gSoftImageProto = nullptr;

// The receiver's handle; -1 for anything that is not a soft image, which
// the media layer refuses.
int32_t receiverHandle(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->classId == kSoftImageClassId ? static_cast<KVSoftImage*>(self)->handle : -1;
}

void getPixelMethod(KVContext* ctx) {
  // A refused pixel or handle leaves the outputs alone: they start at 0.
  int red = 0, green = 0, blue = 0, alpha = 0;
  ZaDod::GetPixelSoftImage(receiverHandle(ctx), intArg(ctx, 0, 0), intArg(ctx, 1, 0), &red, &green, &blue,
                           &alpha);
  uint32_t argb = (static_cast<uint32_t>(alpha & 0xFF) << 24) | (static_cast<uint32_t>(red & 0xFF) << 16) |
                  (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
  ctx->pushInt(static_cast<int32_t>(argb));
}

void drawPixelMethod(KVContext* ctx) {
  ZaDod::DrawPixelSoftImage(receiverHandle(ctx), intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 0),
                            intArg(ctx, 3, 0), intArg(ctx, 4, 0), intArg(ctx, 5, 0));
  ctx->pushUndefined();
}

}  // namespace

void softImageConstructor(KVContext* ctx) {
  int32_t width = intArg(ctx, 0, kDefaultSide);
  int32_t height = intArg(ctx, 1, kDefaultSide);
  int handle = ZaDod::MakeARGB8ColorSoftImage(width, height);
  // A size the media layer refuses (negative, or more than memory gives) still makes an
  // object, one that reads and draws nothing; the game hears of it.
  if (handle == -1) raiseRuntimeWarning(kWarnConstructorFailed);
  reserveNursery(objectBytes<KVSoftImage>(1));
  auto* image = placeYoungObject<KVSoftImage>(1, gSoftImageProto, kSoftImageClassId);
  image->handle = handle;
  ctx->pushObject(image);
}

void setupSoftImageClass(KVfobj* ctor) {
  gSoftImageProto = newStaticObject(1, gCore.objectProto, kSoftImageProtoClassId);
  KVobj::defineNativeMethod(gSoftImageProto, "getPixel", NativeArgTypes(2, 0), &getPixelMethod);
  KVobj::defineNativeMethod(gSoftImageProto, "drawPixel", NativeArgTypes(6, 0), &drawPixelMethod);
  KVobj::buildPropertyIndex(gSoftImageProto, kSoftImageProtoClassId);
  if (ctor) *ctor->props.cells[1] = Value::makeObject(gSoftImageProto);
}

}  // namespace kv
