// The on-screen log: lines drawn over the screen by the flip.
#include "media/system/onscreen_log.h"

#include <algorithm>

#include "media/base/log.h"
#include "media/base/log_screen.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"

namespace ZaDod {

int OnScreenLogReset() {
  OnScreenLogState& state = onScreenLog();
  if (state.initialized) return 0;
  if (!Graphics_Hardware_IsDisplayObjectReady()) return -1;
  state = OnScreenLogState{};
  state.fontMustBeCreated = 1;
  state.initialized = 1;
  return 0;
}

int CreateOnScreenLogFont() {
  OnScreenLogState& state = onScreenLog();
  if (!state.fontMustBeCreated) return 0;
  int font = CreateFontHandleW(nullptr, nullptr, state.fontSize, 4, 1, -1, -1, 0, -1, 0);
  state.fontHandle = font < 0 ? -2 : font;
  state.fontMustBeCreated = 0;
  return 0;
}

int DrawOnScreenLog() {
  OnScreenLogState& state = onScreenLog();
  if (!state.initialized && OnScreenLogReset() < 0) return 0;
  plat::win::RECT area{};
  GetDrawArea(&area);
  if (area.right <= area.left || area.bottom <= area.top) {
    int w, h;
    GetMainScreenSize(&w, &h);
    area = plat::win::RECT{0, 0, w, h};
  }
  CreateOnScreenLogFont();
  const int lineHeight = 16;
  int shown = std::min({(area.bottom - area.top) / lineHeight, OnScreenLogLines, state.lineCount});
  int white = PackScreenColor(255, 255, 255), black = PackScreenColor(0, 0, 0);
  for (int i = 0; i < shown; ++i)
    DrawStringToHandleW(area.left, area.top + i * lineHeight, state.lines[i], white, state.fontHandle, black, 0);
  return 0;
}

int OnScreenLogEnd() {
  OnScreenLogState& state = onScreenLog();
  if (state.fontHandle >= 0) DeleteFontHandle(state.fontHandle);
  state = OnScreenLogState{};
  return 0;
}

}  // namespace ZaDod
