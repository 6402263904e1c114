// The SDL back end on a display: the window appears with its title and client size,
// and SDL's own events arrive as window messages.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/win/win_window.h"
#include "platform/win/window_test.h"

namespace {
using namespace plat::win;

std::vector<MSG> got;

LRESULT proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  got.push_back(MSG{hwnd, msg, w, l, 0, {}});
  if (msg == WM_CLOSE) return 0;  // the test closes it itself
  return DefWindowProcW(hwnd, msg, w, l);
}

// Pumps until a message arrives; SDL's queue is read at most once a millisecond.
bool waitFor(UINT message) {
  for (int i = 0; i < 2000; ++i) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    for (const MSG& m : got)
      if (m.message == message) return true;
    usleep(1000);
  }
  return false;
}

TEST(SdlWindow, AppearsAndDeliversSdlEventsAsMessages) {
  unsetenv("HALVORINE_HEADLESS");
  ASSERT_FALSE(IsHeadlessWindowSystem()) << "no display";
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = proc;
  cls.lpszClassName = u"DisplayTest";
  ASSERT_NE(RegisterClassExW(&cls), 0);
  RECT r{0, 0, 640, 480};
  AdjustWindowRectEx(&r, 0x80CA0000, 0, 0x300);
  HWND hwnd = CreateWindowExW(0x300, u"DisplayTest", u"Halvorine 0.1.44", 0x80CA0000, 0, 0,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  PresentWindow(hwnd, nullptr, 0, 0, 0);

  SDL_Window* native = SDL_GetWindowFromID(1);
  ASSERT_NE(native, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(native), "Halvorine 0.1.44");
  int w, h;
  SDL_GetWindowSize(native, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);

  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(native);
  e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_PushEvent(&e);
  ASSERT_TRUE(waitFor(WM_KEYDOWN));
  BYTE keys[256];
  GetKeyboardState(keys);
  EXPECT_TRUE(keys[VK_ESCAPE] & 0x80);
  EXPECT_TRUE(waitFor(WM_CHAR));  // Escape translates to 0x1B

  e = SDL_Event{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = SDL_GetWindowID(native);
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = 10, e.button.y = 20;
  SDL_PushEvent(&e);
  ASSERT_TRUE(waitFor(WM_LBUTTONDOWN));
  for (const MSG& m : got) {
    if (m.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(m.lParam, MAKELPARAM(10, 20));
    }
  }

  // A finger on the window, as a touch screen reports it: a share of the client size.
  ASSERT_TRUE(RegisterTouchWindow(hwnd, 0));
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  for (Uint32 type : {SDL_FINGERDOWN, SDL_FINGERUP}) {
    got.clear();
    e = SDL_Event{};
    e.type = type;
    e.tfinger.windowID = SDL_GetWindowID(native);
    e.tfinger.touchId = 77;
    e.tfinger.fingerId = 0x123456789LL;
    e.tfinger.x = 0.5f, e.tfinger.y = 0.25f;
    SDL_PushEvent(&e);
    ASSERT_TRUE(waitFor(WM_TOUCH));
    for (const MSG& m : got) {
      if (m.message != WM_TOUCH) continue;
      ASSERT_EQ(LOWORD(m.wParam), 1);
      TOUCHINPUT input;
      auto h = reinterpret_cast<HTOUCHINPUT>(m.lParam);
      ASSERT_TRUE(GetTouchInputInfo(h, 1, &input, sizeof input));
      EXPECT_EQ(input.x, (origin.x + 320) * 100);
      EXPECT_EQ(input.y, (origin.y + 120) * 100);
      EXPECT_EQ(input.dwID, 0u);
      EXPECT_NE(input.dwFlags & (type == SDL_FINGERDOWN ? TOUCHEVENTF_DOWN : TOUCHEVENTF_UP), 0u);
      CloseTouchInputHandle(h);
    }
  }

  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(native);
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
  EXPECT_TRUE(waitFor(WM_CLOSE));
  DestroyWindow(hwnd);
  UnregisterClassW(u"DisplayTest", nullptr);
}

}  // namespace
