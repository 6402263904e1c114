// Sizing the windowed window by its frame keeps the screen's aspect ratio: one side of
// the dragged rectangle decides the stretch rate, the other follows, and neither side
// of the client area goes below 128 pixels.
#include <algorithm>

#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {

using namespace plat::win;

LRESULT SizingWindow(WPARAM edge, RECT* dragged) {
  HWND hwnd = Win.Status.MainWindow;
  if (!dragged || !hwnd) return 0;
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  int frameW = (window.right - window.left) - client.right;
  int frameH = (window.bottom - window.top) - client.bottom;
  int sw, sh;
  GetMainScreenSize(&sw, &sh);
  RECT work{};
  GetDisplayWorkArea(GetUseDisplayIndex(), &work);
  int w = std::min<int>(dragged->right - dragged->left - frameW, work.right - work.left - frameW);
  int h = std::min<int>(dragged->bottom - dragged->top - frameH, work.bottom - work.top - frameH);

  bool byWidth = edge == 1 || edge == 2 ||
                 ((edge == 4 || edge == 5 || edge == 7 || edge == 8) &&
                  static_cast<double>(w) / sw > static_cast<double>(h) / sh);
  double rate;
  if (byWidth) {
    rate = static_cast<double>(w) / sw;
    h = w * sh / sw;
  } else {
    rate = static_cast<double>(h) / sh;
    w = h * sw / sh;
  }
  if (w < 128 || h < 128) {
    if (sw <= sh) w = 128, h = 128 * sh / sw;
    else h = 128, w = 128 * sw / sh;
    rate = static_cast<double>(w) / sw;
  }
  Win.Settings.StretchRateX = Win.Settings.StretchRateY = rate;

  switch (edge) {
    case 1: case 7:
      dragged->left = dragged->right - w - frameW;
      dragged->bottom = dragged->top + h + frameH;
      break;
    case 2: case 6: case 8:
      dragged->right = dragged->left + w + frameW;
      dragged->bottom = dragged->top + h + frameH;
      break;
    case 3: case 5:
      dragged->right = dragged->left + w + frameW;
      dragged->top = dragged->bottom - h - frameH;
      break;
    case 4:
      dragged->left = dragged->right - w - frameW;
      dragged->top = dragged->bottom - h - frameH;
      break;
    default: break;
  }
  return 0;
}

}  // namespace ZaDod
