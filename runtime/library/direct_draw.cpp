// Direct drawing: painting onto a canvas between begin_direct_paint and
// end_direct_paint, and the shapes drawn at once onto the current target.
#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/render_settings.h"
#include "media/sound/sound_handle.h"
#include "runtime/library/canvas.h"
#include "runtime/library/display_natives.h"
#include "runtime/library/font_object.h"
#include "runtime/library/graphical.h"
#include "runtime/library/labels.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"

namespace kv {
namespace {

constexpr int32_t kWarnRecursivePaint = 9;
constexpr int32_t kWarnEndWithoutBegin = 10;
constexpr int kBackBuffer = -2;

// A colour argument: an integer, else white for the current screen.
uint32_t colorArg(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  return v->tag == kInt ? static_cast<uint32_t>(v->i) : defaultWhite();
}

}  // namespace

void beginDirectPaintNative(KVContext* ctx) {
  PaintingState& p = paintingState();
  if (p.painting) {
    raiseRuntimeWarning(kWarnRecursivePaint);
  } else if (auto* canvas = static_cast<KVCanvas*>(objectArg(ctx, 0, &KVobj::isCanvas))) {
    p.canvas = canvas;
    ZaDod::SetDrawTarget(canvas->graph);
    p.painting = 1;
  } else {
    raiseRuntimeWarning(kWarnWrongArgument);
  }
  ctx->pushUndefined();
}

// The canvas's graph goes with the end of painting: a canvas paints once.
void endDirectPaintNative(KVContext* ctx) {
  PaintingState& p = paintingState();
  if (!p.painting) {
    raiseRuntimeWarning(kWarnEndWithoutBegin);
  } else {
    ZaDod::DeleteAnyHandle(p.canvas->graph, 0);
    p.canvas->graph = -1;
    p.canvas = nullptr;
    ZaDod::SetDrawTarget(kBackBuffer);
    p.painting = 0;
  }
  ctx->pushUndefined();
}

void directBoxNative(KVContext* ctx) {
  int32_t x = intArg(ctx, 0, 0), y = intArg(ctx, 1, 0);
  ZaDod::DrawBox(x, y, wrapAdd(x, intArg(ctx, 2, 32)), wrapAdd(y, intArg(ctx, 3, 32)), colorArg(ctx, 4),
                 flagArg(ctx, 5));
  ctx->pushUndefined();
}

void directTriangleNative(KVContext* ctx) {
  ZaDod::DrawTriangle(intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 0), intArg(ctx, 3, 32), intArg(ctx, 4, 32),
                      intArg(ctx, 5, 0), colorArg(ctx, 6), flagArg(ctx, 7));
  ctx->pushUndefined();
}

void directCircleNative(KVContext* ctx) {
  ZaDod::DrawCircle(intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 32), colorArg(ctx, 3), flagArg(ctx, 4), 1);
  ctx->pushUndefined();
}

void directOvalNative(KVContext* ctx) {
  ZaDod::DrawOval(intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 32), intArg(ctx, 3, 64), colorArg(ctx, 4),
                  flagArg(ctx, 5), 1);
  ctx->pushUndefined();
}

void directLineNative(KVContext* ctx) {
  ZaDod::DrawLine(intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 32), intArg(ctx, 3, 32), colorArg(ctx, 4), 1);
  ctx->pushUndefined();
}

void directPixelNative(KVContext* ctx) {
  ZaDod::DrawPixel(intArg(ctx, 0, 0), intArg(ctx, 1, 0), colorArg(ctx, 2));
  ctx->pushUndefined();
}

// Without a font (or with one that could not be made) the text draws in the
// default label font, the one font every default use shares.
void directLabelNative(KVContext* ctx) {
  if (const char* text = textArg(ctx, 0)) {
    int32_t handle = fontHandleOf(fontArg(ctx, 3));
    const int x = intArg(ctx, 1, 0), y = intArg(ctx, 2, 0);
    // Without a font of its own the text goes in the media layer's default font, which
    // falls back to the built-in bitmap font on a machine without usable faces.
    if (handle >= 0)
      ZaDod::DrawStringToHandle(x, y, text, colorArg(ctx, 4), handle, colorArg(ctx, 5), 0);
    else
      ZaDod::DrawString(x, y, text, colorArg(ctx, 4), colorArg(ctx, 5));
  }
  ctx->pushUndefined();
}

}  // namespace kv
