// The script constructors of pictures and sprites, and the global functions
// that load pictures and paint them at once.
#include <string>

#include "media/graphics/draw.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/render_settings.h"
#include "runtime/library/canvas.h"
#include "runtime/library/native_args.h"
#include "runtime/library/picture.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"

namespace kv {
namespace {

constexpr int32_t kDefaultPictureSide = 16;
constexpr int32_t kWarnCanvasWithoutPaint = 11;
constexpr int32_t kDefaultCopySide = 32;

bool intArgs(KVContext* ctx, int32_t first, int32_t count) {
  for (int32_t i = first; i < first + count; ++i)
    if (!isIntArg(ctx, i)) return false;
  return true;
}

KVPicture* pictureArg(KVContext* ctx, int32_t i) {
  return static_cast<KVPicture*>(objectArg(ctx, i, &KVobj::isPicture));
}

}  // namespace

void pictureConstructor(KVContext* ctx) {
  if (KVPicture* src = pictureArg(ctx, 0)) ctx->pushObject(copyPicture(src));
  else ctx->pushObject(newBlankPicture(intArg(ctx, 0, kDefaultPictureSide), intArg(ctx, 1, kDefaultPictureSide)));
}

void partPictureConstructor(KVContext* ctx) {
  KVPicture* src = pictureArg(ctx, 0);
  if (!src || !intArgs(ctx, 1, 4)) return refuseConstruction(ctx);
  ctx->pushObject(newPartPicture(src, ctx->arg(1)->i, ctx->arg(2)->i, ctx->arg(3)->i, ctx->arg(4)->i));
}

void framerPictureConstructor(KVContext* ctx) {
  KVPicture* src = pictureArg(ctx, 0);
  if (!src || !intArgs(ctx, 1, 4)) return refuseConstruction(ctx);
  ctx->pushObject(newFramerPicture(src, ctx->arg(1)->i, ctx->arg(2)->i, ctx->arg(3)->i, ctx->arg(4)->i));
}

// Source x and y at least 0, cell sizes, columns and rows at least 1.
void spriteConstructor(KVContext* ctx) {
  KVPicture* src = pictureArg(ctx, 0);
  if (!src || !intArgs(ctx, 1, 6)) return refuseConstruction(ctx);
  int32_t a[6];
  for (int32_t i = 0; i < 6; ++i) a[i] = ctx->arg(i + 1)->i;
  if (a[0] < 0 || a[1] < 0 || a[2] < 1 || a[3] < 1 || a[4] < 1 || a[5] < 1) return refuseConstruction(ctx);
  ctx->pushObject(newGlyph(src, a[0], a[1], a[2], a[3], a[4], a[5]));
}

// The transparent colour is the second argument's payload as 0xRRGGBB,
// whatever its tag.
void loadPictureNative(KVContext* ctx) {
  uint32_t rgb = static_cast<uint32_t>(ctx->arg(1)->i);
  ZaDod::SetTransColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  const char* path = textArg(ctx, 0);
  if (!path) raiseRuntimeWarning(kWarnWrongArgument);
  KVPicture* p = loadPicture(path);
  // With every graph handle in use the file is not at fault: the line says so.
  if (p->loadFailed && warnWhenGraphHandlesRunOut("load_picture", "a picture", "pictures")) {
    if (raiseRuntimeWarning(kWarnFailedToLoad) && path)
      writeLogLine(("  load_picture found no free graph handle for: " + std::string(path)).c_str());
  } else if (p->loadFailed) {
    warnFailedToLoad("load_picture", path);
  }
  ctx->pushObject(p);
}

// The six numbers are the arguments' payloads as they stand.
void directPaintNative(KVContext* ctx) {
  if (KVPicture* p = pictureArg(ctx, 0))
    ZaDod::DrawPartGraph(ctx->arg(1)->i, ctx->arg(2)->i, ctx->arg(3)->i, ctx->arg(4)->i, ctx->arg(5)->i,
                         ctx->arg(6)->i, p->graph, 1, 0);
  else raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

void canvasToMemoryNative(KVContext* ctx) {
  if (!paintingState().painting) {
    raiseRuntimeWarning(kWarnCanvasWithoutPaint);
  } else if (KVPicture* p = pictureArg(ctx, 0)) {
    int32_t x = intArg(ctx, 1, 0), y = intArg(ctx, 2, 0);
    ZaDod::CopyDrawTargetRectToGraph(x, y, wrapAdd(x, intArg(ctx, 3, kDefaultCopySide)),
                                     wrapAdd(y, intArg(ctx, 4, kDefaultCopySide)), p->graph);
  } else {
    raiseRuntimeWarning(kWarnWrongArgument);
  }
  ctx->pushUndefined();
}

}  // namespace kv
