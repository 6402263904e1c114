#include "media/system/onscreen_log.h"

#include <algorithm>
#include <cstring>

#include "media/system/graphics_seam.h"

namespace ZaDod {
namespace {

constexpr int kLineMax = 80, kLineLength = 255;

struct OnScreenLogState {
  int Initialized;
  int FontSize;
  int FontHandle;  // -1 none, -2 creation failed
  int FontMustCreate;
  int DrawFlag;
  int LineNum;
  char16_t Lines[kLineMax][kLineLength];
};
OnScreenLogState state;

}  // namespace

int OnScreenLogReset() {
  if (state.Initialized) return 0;
  if (!Graphics_Hardware_IsDisplayObjectReady()) return -1;
  std::memset(&state, 0, sizeof state);
  state.FontSize = 16;
  state.FontHandle = -1;
  state.FontMustCreate = 1;
  state.Initialized = 1;
  return 0;
}

int CreateOnScreenLogFont() {
  if (!state.FontMustCreate) return 0;
  int font = CreateFontHandleW(nullptr, nullptr, state.FontSize, 4, 1, -1, -1, 0, -1, 0);
  state.FontHandle = font < 0 ? -2 : font;
  state.FontMustCreate = 0;
  return 0;
}

int DrawOnScreenLog() {
  if (!state.Initialized && OnScreenLogReset() < 0) return 0;
  plat::win::RECT area{};
  GetDrawArea(&area);
  if (area.right <= area.left || area.bottom <= area.top) {
    int w, h;
    GetMainScreenSize(&w, &h);
    area = plat::win::RECT{0, 0, w, h};
  }
  CreateOnScreenLogFont();
  int lineHeight = 16;
  int shown = std::min({(area.bottom - area.top) / lineHeight, kLineMax, state.LineNum});
  int white = PackScreenColor(255, 255, 255), black = PackScreenColor(0, 0, 0);
  for (int i = 0; i < shown; ++i)
    DrawStringToHandleW(area.left, area.top + i * lineHeight, state.Lines[i], white, state.FontHandle, black, 0);
  return 0;
}

int GetOnScreenLogFlag() { return state.DrawFlag; }

int OnScreenLogEnd() {
  if (state.FontHandle >= 0) DeleteFontHandle(state.FontHandle);
  std::memset(&state, 0, sizeof state);
  state.FontHandle = -1;
  return 0;
}

}  // namespace ZaDod
