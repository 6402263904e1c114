// Activation and deactivation of the main window (pausing and resuming sound, movies
// and the device), the queue that holds activation messages while the pump runs, the
// wait while the window is inactive, and painting.
#include <cmath>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/input/input.h"
#include "media/input/input_devices.h"
#include "media/input/key_input.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::win;

void resumeMedia() {
  ResumeSuspendedMovies();
  SetSoundMemPauseAll(0);
  SetSoftSoundPlayersPause(0);
}

void pauseMedia() {
  SuspendPlayingMovies();
  SetSoundMemPauseAll(1);
  SetSoftSoundPlayersPause(1);
}

void releaseCursorClip() {
  if (!Win.Settings.CursorClipFlag) return;
  ClipCursor(nullptr);
  Win.Status.CursorClipped = 0;
}

}  // namespace

int HandleWindowActivation(unsigned int word, long long, int fromActivateApp, int) {
  WindowStatus& s = Win.Status;
  if (s.Creating) {
    s.Active = LOWORD(word) != 0;
    return 0;
  }
  // A minimised activation counts as a deactivation.
  int active = word <= 0xFFFF && LOWORD(word) != 0;
  if (active == s.Active) return 0;
  s.Active = active;
  if (active) {
    if (Win.Settings.WindowModeFlag) {
      Graphics_Hardware_RestoreIfDeviceLost();
    } else if (Library.Initialized) {
      RestoreGraphicsDevice();
    }
    resumeMedia();
    ReacquireInputDevices();
    if (GetIMEEnabledFlag() && GetIMEOpenFlag()) SetIMERefreshStep(1);
  } else {
    if (Win.Settings.WindowModeFlag) {
      pauseMedia();
      ReacquireInputDevices();
    } else {
      Graphics_Hardware_ReleaseDeviceObjects();
      ShowWindow(s.MainWindow, SW_MINIMIZE);
      pauseMedia();
    }
    releaseCursorClip();
  }
  RefreshJoypadEffects();
  (void)fromActivateApp;  // no activation callback is ever installed here
  return 0;
}

int QueueWindowActivation(unsigned int word, long long second, int fromActivateApp, int noRepaint) {
  WindowStatus& s = Win.Status;
  if (!Library.PumpRunning || s.Creating || s.ActivationCount >= kActivationQueueSize)
    return HandleWindowActivation(word, second, fromActivateApp, noRepaint);
  s.Activations[s.ActivationWrite] = ActivationEntry{word, second, fromActivateApp, noRepaint};
  s.ActivationWrite = (s.ActivationWrite + 1) % kActivationQueueSize;
  ++s.ActivationCount;
  return 0;
}

int CheckWaitWhileInactive() {
  WindowStatus& s = Win.Status;
  if (IsScreenModeChanging() || s.Painting) return 0;
  if (s.Active && !s.Minimized) return 0;
  return 1;
}

// 0 when no wait was needed or the window came back, -1 when it closed meanwhile.
int WaitWhileWindowInactive() {
  WindowStatus& s = Win.Status;
  if (!CheckWaitWhileInactive()) return 0;
  if (s.WindowClosed) return -1;
  if (!s.MainWindow) return 0;
  s.InactiveStartTime = GetMillisecondCount();
  s.InactiveStartSet = 1;
  int result;
  do {
    result = ProcessWindowMessagesCore();
  } while (result == 0 && (!s.Active || s.Minimized));
  return result;
}

int PaintWindow(HDC dc, const RECT* rect, int force) {
  WindowStatus& s = Win.Status;
  if (!Library.Initialized || force) {
    FillRect(dc, rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (!force) return 0;
  }
  if (!Library.Initialized || GetDrawTarget() != -2) return 0;
  int wait = GetWaitVSyncFlag();
  SetWaitVSyncFlag(0);
  int now = GetMillisecondCount();
  bool whole = rect && rect->left <= 0 && rect->top <= 0 && rect->right >= s.ClientRect.right - s.ClientRect.left &&
               rect->bottom >= s.ClientRect.bottom - s.ClientRect.top;
  if (whole) {
    RefreshScreenFlip();
    s.LastRefreshTime = now;
  } else {
    if (!s.RefreshPending) s.RefreshPending = 1;
    if (now - s.LastRefreshTime >= 65) {
      RefreshScreenFlip();
      s.LastRefreshTime = now;
      s.RefreshPending = 0;
    }
  }
  SetWaitVSyncFlag(wait);
  return 0;
}

int ConvDesktopPosToScreenPos(int x, int y, int* screenX, int* screenY) {
  if (!Win.Settings.WindowModeFlag) {
    if (ConvClientPosToScreenPos(x, y, screenX, screenY) < 0) *screenX = x, *screenY = y;
    return 0;
  }
  double rx, ry;
  GetWindowStretchRate(&rx, &ry);
  *screenX = static_cast<int>(std::lround((x - Win.Status.ClientRect.left) / rx));
  *screenY = static_cast<int>(std::lround((y - (Win.Status.ClientRect.top + GetToolbarHeight())) / ry));
  return 0;
}

}  // namespace ZaDod
