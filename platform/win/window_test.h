// Test facility of the window stand-in: events injected in process take the same road
// as the display's own events, and a few switches make the screen and window creation
// behave as a test needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/win_window.h"

namespace plat::win {

// One event of the window system, as the SDL back end reports it. Keys are named by
// their USB HID usage (SDL's scan codes); mouse buttons are 1 left, 2 middle, 3 right;
// mouse positions are client co-ordinates.
struct WindowEvent {
  enum class Kind {
    KeyDown,
    KeyUp,
    Text,
    MouseMove,
    ButtonDown,
    ButtonUp,
    Wheel,
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Close,
    Exposed,
    Moved,
    Resized,
    Drop,
    Editing,
    Candidates,
    FingerDown,
    FingerMove,
    FingerUp
  };
  Kind kind = Kind::Close;
  int key = 0;          // KeyDown, KeyUp: HID usage; ButtonDown, ButtonUp: button
  bool repeat = false;  // KeyDown: auto-repeat
  // mouse position; Moved: new client origin; Resized: client size; Editing: x is the
  // composition cursor in characters
  int x = 0, y = 0;
  float wheelX = 0, wheelY = 0;    // Wheel: steps, positive away from the user and right
  std::string text;                // Text: UTF-8 text; Editing: the composition (empty ends it)
  std::vector<std::string> files;  // Drop: UTF-8 paths; Candidates: the input method's list
  // Finger*: key is the finger, stable while it touches; the position is a share of the
  // client's width and height (0 to 1), as touch screens report it.
  float touchX = 0, touchY = 0;
};

// Delivers an event to a window as if the window system had reported it.
void InjectWindowEvent(HWND hwnd, const WindowEvent& event);

// True when windows are headless records (no display, or HALVORINE_HEADLESS=1).
bool IsHeadlessWindowSystem();

// Makes GetDeviceCaps report this many bits per pixel for the screen; 0 restores 32.
void SetScreenBitsForTest(int bits);
// While set, CreateWindowExW fails.
void SetWindowCreationFailsForTest(bool fails);

// State the stand-in records without a Win32 query for it.
bool IsWindowFullScreen(HWND hwnd);
bool IsImeEnabled(HWND hwnd);
// The region last given to SetWindowRgn, as rectangles (empty without one); false for
// a window that is not live.
bool GetWindowRegionRects(HWND hwnd, std::vector<RECT>* rects);
int GetPresentCount(HWND hwnd);
bool GetCursorClip(RECT* rect);
int GetCursorDisplayCount();
// The last frame kept for HALVORINE_FRAME_DUMP (XRGB rows), while that variable is set.
std::vector<uint32_t> GetKeptFrameForTest(int* width, int* height);

}  // namespace plat::win
