// The message pump: drains the window's messages, waits while the window is inactive,
// replays the activation messages that arrived meanwhile and does the media layer's
// per-pass housekeeping.
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
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "media/input/key_input.h"
#include "media/network/network.h"
#include "media/sound/sound_handle.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::win;

bool inactive() { return !Win.Status.Active || Win.Status.Minimized; }

// The cursor is clipped to the client area while the active windowed window holds it.
void clipCursorToClient() {
  WindowStatus& s = Win.Status;
  if (!Win.Settings.CursorClipFlag || inactive() || !Win.Settings.WindowModeFlag || s.CursorClipped) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  const RECT& r = s.ClientRect;
  if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
    s.CursorClipped = 1;
    ClipCursor(&r);
  }
}

// A look at everything queued for the thread, then the take. The narrower looks at the
// thread's own messages and at the main window's would see a subset of what the first
// saw, so an idle pass stops after one look.
bool takeMessage(MSG* msg) {
  return PeekMessageW(msg, nullptr, 0, 0, PM_NOREMOVE) && PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE);
}

// One drain of the queue; false when a message arrived after the window was closed.
bool drain(int* handledNothing) {
  MSG msg;
  while (takeMessage(&msg)) {
    if (msg.message == WM_ACTIVATEAPP && Win.Settings.WindowModeFlag) Win.Status.Active = LOWORD(msg.wParam) != 0;
    if (Win.Status.WindowClosed) {
      if (IsMainThread()) UpdateFullScreenMenu();
      return false;
    }
    if (msg.message == WM_QUIT) {
      Win.Status.WindowClosed = 1;
      SetEndRequestFlag();
    }
    if (TranslateAcceleratorW(Win.Status.MainWindow, nullptr, &msg) == 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    *handledNothing = 0;
  }
  return true;
}

// Sound and posted main-thread calls: without a sound thread the pump feeds the streams.
void serviceSoundAndRequests() {
  if (SystemInfo.ProcessorNum < 2) {
    ProcessStreamSounds();
    ProcessSoftSoundPlayers();
    ProcessPlayingSoundList();
  }
  ProcessPlayEndSounds();
  Graphics_Hardware_SysMemCache_ReleaseUnused();
  if (!Win.Status.WindowClosed) ProcessASyncLoadRequestMainThread();
}

void serviceWhileInactive() {
  MemUpdateTime();
  ProcessNetworkEvents(1);
  serviceSoundAndRequests();
  Thread_Sleep(24);
}

void service() {
  serviceSoundAndRequests();
  ProcessMusicHandles();
  RefreshKeyboardInput(0);
  ProcessJoypadEffectTimers();
  ProcessNetworkEvents(1);
  MemUpdateTime();
  Library.TextInputGuard = 1;
  ProcessKeyInputString();
  Library.TextInputGuard = 0;
}

// False when a message came after the close: the closing pass skips the menu update.
bool innerLoop() {
  WindowStatus& s = Win.Status;
  int passes = 0, handledNothing = 0;
  for (;;) {
    bool mayLeave = s.CloseRequested || s.ActivationCount > 0 || !inactive();
    if ((handledNothing || s.WindowClosed) && mayLeave) return true;
    if (inactive()) {
      if (!s.InactiveStartSet) {
        s.InactiveStartTime = GetMillisecondCount();
        s.InactiveStartSet = 1;
      }
      Thread_Sleep(1);
      int now = GetMillisecondCount();
      if (s.RefreshPending && now - s.LastRefreshTime > 64) {
        RefreshScreenFlip();
        s.LastRefreshTime = now;
        s.RefreshPending = 0;
      }
    }
    handledNothing = 1;
    if (!drain(&handledNothing)) return false;
    if (inactive()) serviceWhileInactive();
    if (s.WindowClosed || !IsMainThread()) return true;
    ++passes;
    if (s.ClosingState != 0 && passes >= 10) return true;
  }
}

}  // namespace

int IsMainThread() { return CheckMainThread(); }

int ProcessWindowMessagesCore() {
  if (Library.TextInputGuard) return 0;
  Library.PumpRunning = 1;
  clipCursorToClient();
  WindowStatus& s = Win.Status;
  if (s.MainWindow) {
    if (innerLoop() && IsMainThread()) UpdateFullScreenMenu();
    // Activation changes wait until the queue is drained, so that pausing and
    // resuming never run in the middle of another message.
    while (!s.CloseRequested && s.ActivationCount > 0) {
      ActivationEntry e = s.Activations[s.ActivationRead];
      s.ActivationRead = (s.ActivationRead + 1) % kActivationQueueSize;
      --s.ActivationCount;
      HandleWindowActivation(e.Word, e.Second, e.FromActivateApp, 0);
    }
  }
  service();
  Library.PumpRunning = 0;
  return s.WindowClosed ? -1 : 0;
}

int ProcessWindowMessages() {
  LibraryLockAcquire();
  int result = ProcessWindowMessagesCore();
  LibraryLockRelease();
  return result;
}

// A full pass takes the library lock, reads the clock several times and looks at every
// module; between two script steps hardly anything can have changed. A pass is needed
// again once a message was queued (a window closing after its last frame, a post from
// another thread) or the coarse clock has moved on; while the window is not plainly
// active every pass is full, as its waiting happens there. Without a window there is
// no waiting to do (a program run headless, the script runner), so the same short
// cut holds.
int ProcessWindowMessagesWhenDue() {
  struct LastPass {
    bool made = false;
    DWORD tick = 0;
    DWORD queueChanges = 0;
  };
  thread_local LastPass last;
  const WindowStatus& s = Win.Status;
  const bool waitsHere = s.MainWindow && inactive();
  if (last.made && GetQueueChangeCount() == last.queueChanges && GetTickCount() == last.tick && !waitsHere &&
      !s.CloseRequested && s.ActivationCount == 0 && s.ClosingState == 0)
    return s.WindowClosed ? -1 : 0;
  const int result = ProcessWindowMessages();
  last.made = true;
  last.queueChanges = GetQueueChangeCount();
  last.tick = GetTickCount();
  return result;
}

}  // namespace ZaDod
