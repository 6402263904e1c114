// The global functions that put display objects into layers and containers,
// and make canvases.
#include "runtime/library/display_natives.h"

#include "runtime/library/canvas.h"
#include "runtime/library/layer.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"

namespace kv {
namespace {

constexpr int32_t kDefaultCanvasSide = 32;

void unlink(GraphicalFactor* obj) {
  if (obj->layer) static_cast<KVLayer*>(obj->layer)->removeMember(obj);
  obj->layer = nullptr;
}

}  // namespace

// An object moves between layers: it leaves the one it was in first, so it
// is drawn once and unlayer finds it.
void enlayerNative(KVContext* ctx) {
  auto* obj = static_cast<GraphicalFactor*>(objectArg(ctx, 0, &KVobj::isGraphic));
  auto* layer = static_cast<KVLayer*>(objectArg(ctx, 1, &KVobj::isLayer));
  if (!obj || !layer) {
    raiseRuntimeWarning(kWarnWrongArgument);
  } else if (obj->layer != layer) {
    unlink(obj);
    obj->layer = layer;
    layer->addMember(obj);
  }
  ctx->pushUndefined();
}

void unlayerNative(KVContext* ctx) {
  if (auto* obj = static_cast<GraphicalFactor*>(objectArg(ctx, 0, &KVobj::isGraphic))) unlink(obj);
  else raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

void encontainerNative(KVContext* ctx) {
  auto* obj = static_cast<GraphicalFactor*>(objectArg(ctx, 0, &KVobj::isGraphic));
  KVobj* container = objectArg(ctx, 1, &KVobj::isContainer);
  if (obj && container) obj->container = container;
  else raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

void decontainerNative(KVContext* ctx) {
  if (auto* obj = static_cast<GraphicalFactor*>(objectArg(ctx, 0, &KVobj::isGraphic))) obj->container = nullptr;
  else raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

void makeCanvasNative(KVContext* ctx) {
  KVCanvas* c = newCanvas(intArg(ctx, 0, kDefaultCanvasSide), intArg(ctx, 1, kDefaultCanvasSide));
  if (c->graph < 1) raiseRuntimeWarning(kWarnConstructorFailed);
  ctx->pushObject(c);
}

}  // namespace kv
