// TEMPORARY SEAM (mask screen, string drawing): what the window and life-cycle code uses
// of the mask and string-drawing modules until they land (the mask flag, the on-screen
// log's text); the display, screen, draw-state and font functions come from the
// graphics headers included here.
#pragma once
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/window.h"

namespace ZaDod {

// The mask flag (TEMPORARY SEAM: the mask module replaces it).
int GetUseMaskScreenFlag();
int SetUseMaskScreenFlag(int flag);

// Text of the on-screen log; the string-drawing module replaces it.
int DrawStringToHandleW(int x, int y, const char16_t* text, int color, int font, int edgeColor, int vertical);

}  // namespace ZaDod
