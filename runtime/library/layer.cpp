// Layers, the layer list and the frame draw.
#include "runtime/library/layer.h"

#include <algorithm>

#include "media/graphics/render_settings.h"
#include "runtime/library/native_args.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

constexpr int32_t kLayerCells = 3;
constexpr int32_t kMinOpacity = 1;
constexpr int32_t kMaxOpacity = 255;

std::vector<KVLayer*> gLayers;
KVobj* gLayerProto = nullptr;
int32_t gLiveMemberLists = 0;

LayerDrawCalls gDrawCalls{&ZaDod::SetDrawBlendMode, &ZaDod::SetDrawArea, &ZaDod::SetDrawBright,
                          &ZaDod::SetDrawAreaFull};

// The display-list root: a minor collection forwards each listed layer, a
// full one marks it (its members through its markReferences).
void visitLayerList(bool full, void*) {
  for (KVLayer*& l : gLayers) {
    KVobj* o = l;
    visitObject(o, full);
    l = static_cast<KVLayer*>(o);
  }
}

KVLayer* receiverLayer(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->isLayer() ? static_cast<KVLayer*>(self) : nullptr;
}

void setClippingMethod(KVContext* ctx) {
  if (KVLayer* l = receiverLayer(ctx)) {
    ClipRecord r{intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, gRuntime.screenWidth),
                 intArg(ctx, 3, gRuntime.screenHeight)};
    if (l->clip) *l->clip = r;
    else l->clip = new ClipRecord(r);
  }
  ctx->pushUndefined();
}

void setPriorityMethod(KVContext* ctx) {
  if (KVLayer* l = receiverLayer(ctx)) {
    removeLayerFromList(l);
    l->priority = intArg(ctx, 0, 0);
    insertLayerByPriority(l);
  }
  ctx->pushUndefined();
}

void getPriorityMethod(KVContext* ctx) {
  if (KVLayer* l = receiverLayer(ctx)) ctx->pushInt(l->priority);
  else ctx->pushUndefined();
}

void setBrightMethod(KVContext* ctx) {
  if (KVLayer* l = receiverLayer(ctx)) {
    l->brightRed = static_cast<uint8_t>(intArg(ctx, 0, 0));
    l->brightGreen = static_cast<uint8_t>(intArg(ctx, 1, 0));
    l->brightBlue = static_cast<uint8_t>(intArg(ctx, 2, 0));
    l->brightSet = 1;
  }
  ctx->pushUndefined();
}

// A mode the blend table has no row for keeps the layer's mode; the
// parameter is taken all the same.
void setBlendModeMethod(KVContext* ctx) {
  if (KVLayer* l = receiverLayer(ctx)) {
    int32_t mode = intArg(ctx, 0, 1);
    if (mode >= 0 && mode < kBlendModeCount) l->blendMode = mode;
    l->props.cells[kLayerSlotOpacity]->setInt(intArg(ctx, 1, 255));
  }
  ctx->pushUndefined();
}

}  // namespace

KVLayer::~KVLayer() {
  if (members) --gLiveMemberLists;
  delete members;
  delete clip;
}

void KVLayer::forwardReferences() {
  for (GraphicalFactor*& m : *members) m = static_cast<GraphicalFactor*>(forwardObject(m));
}

void KVLayer::markReferences() {
  for (GraphicalFactor* m : *members) markObject(m);
}

void KVLayer::addMember(GraphicalFactor* obj) { members->push_back(obj); }

void KVLayer::removeMember(KVobj* obj) {
  auto it = std::find(members->begin(), members->end(), obj);
  if (it != members->end()) members->erase(it);
}

void KVLayer::drawLayer() {
  const LayerDrawCalls& calls = gDrawCalls;
  calls.setBlendMode(blendMode, memberIntOf(*props.cells[kLayerSlotOpacity]));
  if (clip) calls.setArea(clip->x1, clip->y1, clip->x2, clip->y2);
  if (brightSet) calls.setBright(brightRed, brightGreen, brightBlue);
  // A member's draw never allocates, so nothing moves during the walk.
  for (GraphicalFactor* m : *members)
    if (memberVisible(m, kSlotVisible)) m->draw();
  if (brightSet) calls.setBright(255, 255, 255);
  calls.setAreaFull();
}

KVLayer* newLayer(int32_t priority, int32_t opacity, bool visible) {
  reserveNursery(objectBytes<KVLayer>(kLayerCells));
  auto* l = placeYoungObject<KVLayer>(kLayerCells, gLayerProto, kLayerClassId);
  l->priority = priority;
  l->members = new std::vector<GraphicalFactor*>();
  ++gLiveMemberLists;
  registerOwner(l);
  l->props.cells[kLayerSlotOpacity]->setInt(std::clamp(opacity, kMinOpacity, kMaxOpacity));
  l->props.cells[kLayerSlotVisible]->setBool(visible);
  insertLayerByPriority(l);
  return l;
}

void insertLayerByPriority(KVLayer* layer) {
  auto at = std::find_if(gLayers.begin(), gLayers.end(),
                         [&](const KVLayer* l) { return l->priority >= layer->priority; });
  gLayers.insert(at, layer);
}

void removeLayerFromList(KVLayer* layer) { std::erase(gLayers, layer); }

const std::vector<KVLayer*>& layerList() { return gLayers; }

void resetLayerList() {
  gLayers.clear();
  unregisterRoot(&visitLayerList, nullptr);
  registerRoot(RootRank::DisplayList, &visitLayerList, nullptr);
}

void drawAllLayers() {
  for (KVLayer* l : gLayers)
    if (!l->members->empty() && memberVisible(l, kLayerSlotVisible)) l->drawLayer();
}

LayerDrawCalls& layerDrawCalls() { return gDrawCalls; }
int32_t liveMemberLists() { return gLiveMemberLists; }

void layerConstructor(KVContext* ctx) {
  const Value* shown = ctx->arg(2);
  bool visible = shown->tag == kUndefined ? gRuntime.defaultLayerVisible != 0 : valueIsTrue(*shown);
  ctx->pushObject(newLayer(intArg(ctx, 0, 0), intArg(ctx, 1, 255), visible));
}

void setupLayerClass(KVfobj* ctor) {
  gLayerProto = newStaticObject(1, gCore.objectProto, kLayerClassId + 1);
  KVobj::defineNativeMethod(gLayerProto, "setClipping", NativeArgTypes(4, 0), &setClippingMethod);
  KVobj::defineNativeMethod(gLayerProto, "setPriority", NativeArgTypes(1, 0), &setPriorityMethod);
  KVobj::defineNativeMethod(gLayerProto, "getPriority", NativeArgTypes(), &getPriorityMethod);
  KVobj::defineNativeMethod(gLayerProto, "setBright", NativeArgTypes(3, 0), &setBrightMethod);
  KVobj::defineNativeMethod(gLayerProto, "setBlendMode", NativeArgTypes(2, 0), &setBlendModeMethod);
  KVobj::buildPropertyIndex(gLayerProto, kLayerClassId + 1);
  linkConstructorPrototype(ctor, gLayerProto);
}

}  // namespace kv
