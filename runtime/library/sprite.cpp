// Sprites: a picture cut into a grid of frames, one row per state, dancing
// through its row with the game loop's frame counter.
#include <algorithm>
#include <string>

#include "media/base/handle.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/sound/sound_handle.h"
#include "runtime/library/native_args.h"
#include "runtime/library/picture.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/context.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

constexpr int32_t kMaxDivider = 31;
constexpr int32_t kDefaultDivider = 4;
constexpr int32_t kStateMask = 15;

KVGlyph* receiverGlyph(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->classId == kGlyphClassId ? static_cast<KVGlyph*>(self) : nullptr;
}

void setDancingMethod(KVContext* ctx) {
  if (KVGlyph* g = receiverGlyph(ctx)) g->dancing = valueIsTrue(*ctx->arg(0)) ? 1 : 0;
  ctx->pushUndefined();
}

void setDividerMethod(KVContext* ctx) {
  if (KVGlyph* g = receiverGlyph(ctx))
    g->divider = isIntArg(ctx, 0) ? std::clamp(ctx->arg(0)->i, 0, kMaxDivider) : kDefaultDivider;
  ctx->pushUndefined();
}

// The frames go; the source picture's graph stays.
void disposeMethod(KVContext* ctx) {
  if (KVGlyph* g = receiverGlyph(ctx); g && g->frames) {
    for (int32_t i = 0; i < g->frameCount; ++i) ZaDod::DeleteAnyHandle(g->frames[i], 0);
    delete[] g->frames;
    g->frames = nullptr;
  }
  ctx->pushUndefined();
}

}  // namespace

void KVGlyph::divideFrames(int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t cols, int32_t rowCount) {
  rows = rowCount & 0xFF;
  columns = cols & 0xFF;
  cellWidth = cw;
  cellHeight = ch;
  srcX = sx;
  srcY = sy;
  frameCount = rows * columns;
  frames = new int32_t[frameCount > 0 ? frameCount : 1];
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c)
      frames[columns * r + c] =
          ZaDod::CreatePartGraph(graph, wrapAdd(sx, wrapMul(c, cw)), wrapAdd(sy, wrapMul(r, ch)), cw, ch);
  if (std::find(frames, frames + frameCount, -1) != frames + frameCount)
    warnWhenGraphHandlesRunOut("Sprite", "a sprite's frames", "sprites");
}

// No frame to show for a disposed sprite, a grid without columns, or a
// state whose row the grid lacks.
int32_t KVGlyph::frameToDraw(int32_t totalFrames) {
  if (!frames || columns == 0) return -1;
  if (dancing) {
    int32_t state = memberInt(this, kSlotState) & kStateMask;
    if (state >= rows) return -1;
    int32_t step = (totalFrames >> divider) % columns;
    if (step < 0) step += columns;
    current = columns * state + step;
  }
  return current >= 0 && current < frameCount ? frames[current] : -1;
}

void KVGlyph::draw() {
  int32_t frame = frameToDraw(gRuntime.totalFrames);
  if (frame < 0) return;
  int32_t x, y;
  renderPosition(this, x, y);
  Transform t = transformOf(rota);
  ZaDod::DrawRotatedGraph(x, y, t.cx, t.cy, t.ex, t.ey, t.rad, frame, 1, t.flip);
}

void setupSpriteClass(KVfobj* ctor) {
  pictureProtos().sprite = makeDisplayPrototype(
      kGlyphClassId, {{"getRota3", 0, &getRota3Method}, {"setRota3", 1, &setRota3Method},
                      {"delRota3", 0, &delRota3Method}, {"setDancing", 1, &setDancingMethod},
                      {"setDivider", 1, &setDividerMethod}, {"dispose", 0, &disposeMethod}});
  linkConstructorPrototype(ctor, pictureProtos().sprite);
}

}  // namespace kv
