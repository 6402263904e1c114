// Temporary: what the window and life-cycle code uses of graphics modules that have not
// landed yet (display areas, the mask flag, the on-screen log's text drawing); the screen and
// draw-state functions come from the graphics headers included here.
#pragma once
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/window.h"

namespace ZaDod {

int GetDisplayArea(int displayIndex, plat::win::RECT* area);  // desktop rectangle
int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area);

// The mask flag.
int GetUseMaskScreenFlag();
int SetUseMaskScreenFlag(int flag);

// Text of the on-screen log; the string-drawing module replaces it.
int DrawStringToHandleW(int x, int y, const char16_t* text, int color, int font, int edgeColor, int vertical);

}  // namespace ZaDod
