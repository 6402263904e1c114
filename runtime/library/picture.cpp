// Pictures, part pictures and framer pictures: makers, draws and the
// Picture methods.
#include "runtime/library/picture.h"

#include <algorithm>
#include <string>

#include "media/base/handle.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/render_settings.h"
#include "media/sound/sound_handle.h"
#include "runtime/library/canvas.h"
#include "runtime/library/native_args.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

constexpr int32_t kPictureCells = 4;
constexpr int32_t kFramerCells = 6;
constexpr int32_t kMaxFramePieces = 255;

PictureProtos gProtos;

template <class T>
T* placePicture(int32_t cells, KVobj* proto, int32_t classId) {
  reserveNursery(objectBytes<T>(cells));
  T* p = placeYoungObject<T>(cells, proto, classId);
  p->props.cells[kSlotX]->setInt(0);
  p->props.cells[kSlotY]->setInt(0);
  p->props.cells[kSlotVisible]->setBool(true);
  return p;
}

// The subclasses' short copy: the source's handle and flag only.
template <class T>
T* shortCopy(KVPicture* source, int32_t cells, KVobj* proto, int32_t classId) {
  ObjectRoot keep(source);
  T* p = placePicture<T>(cells, proto, classId);
  auto* src = static_cast<KVPicture*>(keep.get());
  p->graph = src->graph;
  p->loadFailed = src->loadFailed;
  return p;
}

KVPicture* receiverPicture(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->isPicture() ? static_cast<KVPicture*>(self) : nullptr;
}

// A graph of its own: the picture drawn into a new drawable graph. The draw
// target in force (a canvas being painted, say) is put back afterwards.
void duplicateMethod(KVContext* ctx) {
  KVPicture* self = receiverPicture(ctx);
  if (!self) {
    ctx->pushUndefined();
    return;
  }
  int graph = ZaDod::MakeDrawableGraph(self->width, self->height, drawableAlphaFlag());
  takeScriptGraph(graph, "Picture.duplicate", "a picture's copy");
  int target = ZaDod::GetDrawTarget();
  // Nothing is drawn when the new graph cannot be the target: the draw would
  // land on the target in force.
  if (ZaDod::SetDrawTarget(graph) == 0) {
    ZaDod::DrawPartGraph(0, 0, 0, 0, self->width, self->height, self->graph, 1, 0);
    ZaDod::SetDrawTarget(target);
  }
  KVPicture* copy = copyPicture(self);
  copy->graph = graph;
  ctx->pushObject(copy);
}

void disposePicture(KVContext* ctx) {
  if (KVPicture* self = receiverPicture(ctx)) {
    ZaDod::DeleteAnyHandle(self->graph, 0);
    self->graph = -1;
  }
  ctx->pushUndefined();
}

void setRangeMethod(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  if (!self || self->classId != kPartPictureClassId) {
    ctx->pushUndefined();
    return;
  }
  for (int32_t i = 0; i < 4; ++i)
    if (!isIntArg(ctx, i)) {
      raiseRuntimeWarning(kWarnWrongArgument);
      ctx->pushUndefined();
      return;
    }
  auto* p = static_cast<KVPartPicture*>(self);
  p->srcX = ctx->arg(0)->i;
  p->srcY = ctx->arg(1)->i;
  p->partWidth = ctx->arg(2)->i;
  p->partHeight = ctx->arg(3)->i;
  ctx->pushUndefined();
}

}  // namespace

PictureProtos& pictureProtos() { return gProtos; }

void KVPicture::forwardReferences() {
  GraphicalFactor::forwardReferences();
  rota = forwardObject(rota);
}

void KVPicture::markReferences() {
  GraphicalFactor::markReferences();
  markObject(rota);
}

void KVPicture::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  Transform t = transformOf(rota);
  ZaDod::DrawRotatedGraph(x, y, t.cx, t.cy, t.ex, t.ey, t.rad, graph, 1, t.flip);
}

void KVPartPicture::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  ZaDod::DrawPartGraph(x, y, srcX, srcY, partWidth, partHeight, graph, 1, 0);
}

// Corners, then edges, in rows from the top; the middle piece is never drawn.
void KVFramerPicture::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  const int32_t across = std::clamp(memberInt(this, kSlotFramerWidth), 0, kMaxFramePieces);
  const int32_t down = std::clamp(memberInt(this, kSlotFramerHeight), 0, kMaxFramePieces);
  const int32_t cw = cellWidth, ch = cellHeight, h = graph;
  // Offsets wrap at 32 bits like every render position.
  auto piece = [&](int32_t dx, int32_t dy, int32_t col, int32_t row) {
    ZaDod::DrawPartGraph(wrapAdd(x, dx), wrapAdd(y, dy), wrapMul(cw, col), wrapMul(ch, row), cw, ch, h, 1, 0);
  };
  const int32_t right = wrapMul(cw, across + 1), bottom = wrapMul(ch, down + 1);
  piece(0, 0, 0, 0);
  for (int32_t i = 1; i <= across; ++i) piece(wrapMul(cw, i), 0, 1, 0);
  piece(right, 0, 2, 0);
  for (int32_t j = 1; j <= down; ++j) {
    piece(0, wrapMul(ch, j), 0, 1);
    piece(right, wrapMul(ch, j), 2, 1);
  }
  piece(0, bottom, 0, 2);
  for (int32_t i = 1; i <= across; ++i) piece(wrapMul(cw, i), bottom, 1, 2);
  piece(right, bottom, 2, 2);
}

bool warnWhenGraphHandlesRunOut(const char* maker, const char* what, const char* kind) {
  static bool warned = false;
  const ZaDod::HandleTypeManager& graphs = ZaDod::HandleManageArray[ZaDod::HANDLETYPE_GRAPH];
  if (!graphs.InitializeFlag || graphs.Num < graphs.MaxNum) return false;
  if (!warned) {
    warned = true;
    logSystemWarning((std::string(maker) + ": all " + std::to_string(graphs.MaxNum) + " graph handles are in use, so " +
                      what + " could not be made; " + kind + " that are dropped must be disposed")
                         .c_str());
  }
  return true;
}

int32_t takeScriptGraph(int32_t graph, const char* maker, const char* what) {
  if (graph < 0) warnWhenGraphHandlesRunOut(maker, what, "pictures");
  else noteScriptGraph(graph);
  return graph;
}

KVPicture* loadPicture(const char* path) {
  int graph = ZaDod::LoadGraph(path ? path : "", 0);
  noteScriptGraph(graph);
  KVPicture* p = placePicture<KVPicture>(kPictureCells, gProtos.picture, kPictureClassId);
  p->graph = graph;
  p->loadFailed = graph < 0;
  if (graph >= 0) ZaDod::GetGraphSize(graph, &p->width, &p->height);
  return p;
}

KVPicture* newBlankPicture(int32_t width, int32_t height) {
  int graph = ZaDod::MakeGraph(width, height, 0);
  takeScriptGraph(graph, "Picture", "a picture");
  KVPicture* p = placePicture<KVPicture>(kPictureCells, gProtos.picture, kPictureClassId);
  p->graph = graph;
  p->loadFailed = graph < 0;
  p->width = width;
  p->height = height;
  return p;
}

KVPicture* copyPicture(KVPicture* source) {
  ObjectRoot keep(source);
  KVPicture* p = placePicture<KVPicture>(kPictureCells, gProtos.picture, kPictureClassId);
  auto* src = static_cast<KVPicture*>(keep.get());
  p->graph = src->graph;
  p->loadFailed = src->loadFailed;
  p->width = src->width;
  p->height = src->height;
  p->props.cells[kSlotX]->setInt(memberInt(src, kSlotX));
  p->props.cells[kSlotY]->setInt(memberInt(src, kSlotY));
  return p;
}

KVPartPicture* newPartPicture(KVPicture* source, int32_t sx, int32_t sy, int32_t w, int32_t h) {
  auto* p = shortCopy<KVPartPicture>(source, kPictureCells, gProtos.part, kPartPictureClassId);
  p->srcX = sx;
  p->srcY = sy;
  p->partWidth = w;
  p->partHeight = h;
  return p;
}

KVFramerPicture* newFramerPicture(KVPicture* source, int32_t cw, int32_t ch, int32_t w, int32_t h) {
  auto* p = shortCopy<KVFramerPicture>(source, kFramerCells, gProtos.framer, kFramerPictureClassId);
  p->cellWidth = cw;
  p->cellHeight = ch;
  p->props.cells[kSlotFramerWidth]->setInt(std::clamp(w, 0, kMaxFramePieces));
  p->props.cells[kSlotFramerHeight]->setInt(std::clamp(h, 0, kMaxFramePieces));
  return p;
}

KVGlyph* newGlyph(KVPicture* source, int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t cols, int32_t rows) {
  constexpr int32_t kGlyphCells = 5;
  auto* g = shortCopy<KVGlyph>(source, kGlyphCells, gProtos.sprite, kGlyphClassId);
  g->props.cells[kSlotState]->setInt(0);
  registerOwner(g);
  g->divideFrames(sx, sy, cw, ch, cols, rows);
  return g;
}

void getRota3Method(KVContext* ctx) {
  KVPicture* self = receiverPicture(ctx);
  if (self && self->rota) ctx->pushObject(self->rota);
  else ctx->pushNull();
}

// Anything but a Rota3 changes nothing, without a warning.
void setRota3Method(KVContext* ctx) {
  KVPicture* self = receiverPicture(ctx);
  if (KVobj* r = objectArg(ctx, 0, &KVobj::isRota3); self && r) self->rota = r;
  ctx->pushUndefined();
}

void delRota3Method(KVContext* ctx) {
  if (KVPicture* self = receiverPicture(ctx)) self->rota = nullptr;
  ctx->pushUndefined();
}

void setupPictureClass(KVfobj* ctor) {
  const MethodRow* f = kFilterMethods;
  gProtos.picture = makeDisplayPrototype(
      kPictureClassId, {{"getRota3", 0, &getRota3Method}, {"setRota3", 1, &setRota3Method},
                        {"delRota3", 0, &delRota3Method}, {"duplicate", 0, &duplicateMethod},
                        f[0], f[1], f[2], f[3], f[4], f[5], {"dispose", 0, &disposePicture}});
  linkConstructorPrototype(ctor, gProtos.picture);
}

void setupPartPictureClass(KVfobj* ctor) {
  gProtos.part = makeDisplayPrototype(kPartPictureClassId,
                                      {{"getRota3", 0, &getRota3Method}, {"setRota3", 1, &setRota3Method},
                                       {"delRota3", 0, &delRota3Method}, {"setRange", 4, &setRangeMethod}});
  linkConstructorPrototype(ctor, gProtos.part);
}

void setupFramerPictureClass(KVfobj* ctor) {
  gProtos.framer = makeDisplayPrototype(kFramerPictureClassId, {{"getRota3", 0, &getRota3Method},
                                                                {"setRota3", 1, &setRota3Method},
                                                                {"delRota3", 0, &delRota3Method}});
  linkConstructorPrototype(ctor, gProtos.framer);
}

}  // namespace kv
