// TEMPORARY SEAM (string drawing): what the window and life-cycle code uses of the
// string-drawing module until it lands (the on-screen log's text); the display, screen,
// draw-state, mask and font functions come from the graphics headers included here.
#pragma once
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/window.h"

namespace ZaDod {

// Text of the on-screen log; the string-drawing module replaces it.
int DrawStringToHandleW(int x, int y, const char16_t* text, int color, int font, int edgeColor, int vertical);

}  // namespace ZaDod
