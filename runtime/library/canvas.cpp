// Canvases and the painting state.
#include "runtime/library/canvas.h"

#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "runtime/library/graphical.h"
#include "runtime/library/picture.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

PaintingState gPainting;

void visitPaintingCanvas(bool full, void*) {
  KVobj* o = gPainting.canvas;
  visitObject(o, full);
  gPainting.canvas = static_cast<KVCanvas*>(o);
}

}  // namespace

int drawableAlphaFlag() { return ZaDod::GraphicsSys.hardware ? 1 : 0; }

KVCanvas* newCanvas(int32_t width, int32_t height) {
  int graph = ZaDod::MakeDrawableGraph(width, height, drawableAlphaFlag());
  takeScriptGraph(graph, "make_canvas", "a canvas");
  reserveNursery(objectBytes<KVCanvas>(1));
  // No prototype and no members: a canvas is only handed to the paint functions.
  auto* c = placeYoungObject<KVCanvas>(1, nullptr, 0);
  c->width = width;
  c->height = height;
  c->graph = graph;
  return c;
}

PaintingState& paintingState() { return gPainting; }

void resetPaintingState() {
  gPainting = PaintingState{};
  unregisterRoot(&visitPaintingCanvas, nullptr);
  registerRoot(RootRank::DisplayList, &visitPaintingCanvas, nullptr);
}

uint32_t defaultWhite() { return ZaDod::PackScreenColor(255, 255, 255); }

}  // namespace kv
