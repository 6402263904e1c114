// Temporary: what the window and life-cycle code uses of graphics modules that have not
// landed yet (display areas, the on-screen log's font); the screen and
// draw-state functions come from the graphics headers included here.
#pragma once
#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/window.h"

namespace ZaDod {

int GetDisplayArea(int displayIndex, plat::win::RECT* area);  // desktop rectangle
int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area);

// Fonts of the on-screen log.
int CreateFontHandleW(const void* createParam, const char16_t* name, int size, int thickness, int fontType,
                      int charSet, int edgeSize, int italic, int wantedHandle, int async);
int DeleteFontHandle(int font);
int GetFontSizeToHandle(int font);
int DrawStringToHandleW(int x, int y, const char16_t* text, int color, int font, int edgeColor, int vertical);

}  // namespace ZaDod
