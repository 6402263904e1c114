// Canvas: a script object owning a drawable graph for the direct-paint
// functions, and the process-wide painting state those functions share.
#pragma once

#include <cstdint>

#include "runtime/vm/object.h"

namespace kv {

class KVCanvas : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVCanvas); }
  bool isCanvas() const override { return true; }
  int32_t width = 0;
  int32_t height = 0;
  int32_t graph = -1;  // -1 until made, and again once painted
};

// The alpha flag of graphs made to be drawn on: the software renderer draws
// only onto graphs without an alpha channel, so there they have none (with
// one, setting them as the target is refused and the draws meant for them
// land on the screen instead).
int drawableAlphaFlag();

// A canvas of the given size with a drawable graph.
KVCanvas* newCanvas(int32_t width, int32_t height);

// Painting: the canvas being painted (a display-list root) and the flag.
struct PaintingState {
  uint8_t painting = 0;
  KVCanvas* canvas = nullptr;
};
PaintingState& paintingState();
void resetPaintingState();

// The default colour of shapes and direct draws: white packed for the
// screen format in force now, so it stays white after a mode change.
uint32_t defaultWhite();

}  // namespace kv
