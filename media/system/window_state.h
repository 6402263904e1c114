// The state of the main window and of the library's life cycle, shared by the files of
// this folder. Settings survive the reset at window start-up; the status does not.
#pragma once
#include <cstdint>

#include "media/system/system.h"
#include "platform/win/win_window.h"

namespace ZaDod {

constexpr int kActivationQueueSize = 512;
constexpr int kDroppedFileMax = 1000;
constexpr int kMouseInputLogMax = 32;

struct ActivationEntry {
  unsigned int Word;
  long long Second;
  int FromActivateApp;
  int NoRepaint;
};

struct MouseInputLogEntry {
  int Button;
  int X, Y;
};

// Settings: changed by the program (mostly before start-up) and kept across the
// window start-up's reset.
struct WindowSettings {
  int WindowModeFlag = 0;  // 1 windowed, 0 full screen
  int CursorClipFlag = 0;  // keep the cursor inside the client area while active
  int WindowPosSet = 0;
  int WindowPosX = 0, WindowPosY = 0;
  double StretchRateX = 1.0, StretchRateY = 1.0;
  // The window may be sized freely and the scaled screen sits in the middle of its client
  // area (the flips paint the borders). Nothing in this system turns it on.
  int CentreLayout = 0;
  // The window is shown as a layered window: 1 by colour key, 2 by per-pixel alpha.
  // Nothing in this system sets it.
  int LayeredMode = 0;
  // Which pair of the windowed style tables the window takes (0 to 11); a toolbar
  // switches it to 6.
  int WindowStyleIndex = 0;
  int TitleSet = 0;
  char16_t Title[256] = {};
  char16_t ClassName[256] = {};
};

// Status: zero at every window start-up.
struct WindowStatus {
  plat::win::HWND MainWindow = nullptr;
  plat::win::HINSTANCE Instance = nullptr;
  uint32_t MainThreadId = 0;
  int WindowClosed = 0, CloseRequested = 0, WindowDestroyed = 0;
  int ClosingState = 0;  // 0 running, 1 library shut-down, 4 closed by the user
  int Creating = 0, Active = 0, Minimized = 0, Restyling = 0, Moving = 0;
  plat::win::RECT ClientRect{}, WindowRect{};  // desktop co-ordinates
  int CaptionHeight = 0;
  int CursorVisibleWish = 0, CursorShown = 0, CursorClipped = 0;
  int WheelV = 0, WheelH = 0;
  int RefreshPending = 0, LastRefreshTime = 0;
  int DisplayChanged = 0;
  int Resized = 0;  // the client area changed size since the flip last looked
  int InactiveStartTime = 0, InactiveStartSet = 0;
  int Painting = 0;
  int ShownInWindowedMode = 0;
  int DisplayChangeClosePosted = 0;
  int AsyncLoadStarted = 0;
  ActivationEntry Activations[kActivationQueueSize] = {};
  int ActivationWrite = 0, ActivationRead = 0, ActivationCount = 0;
  char16_t* DroppedFiles[kDroppedFileMax] = {};
  int DroppedFileNum = 0;
  MouseInputLogEntry MouseInputLog[kMouseInputLogMax] = {};
  int MouseInputLogNum = 0;
};

// The life cycle (process-wide, zero at process start).
struct LibraryState {
  int Initialized = 0;
  int Initializing = 0;
  int PumpRunning = 0;
  int TextInputGuard = 0;
  int ComStarted = 0;
  char16_t InitialDir[1536] = {};
};

struct WindowData {
  WindowSettings Settings;
  WindowStatus Status;
};

extern WindowData Win;
extern LibraryState Library;

// Internal steps shared across the folder.
int IsMainThread();
int ClientWidth();
int ClientHeight();
// The window's client rectangle in desktop co-ordinates, read from the window.
void ReadClientRect(plat::win::HWND hwnd);
plat::win::LRESULT SizingWindow(plat::win::WPARAM edge, plat::win::RECT* dragged);

}  // namespace ZaDod
