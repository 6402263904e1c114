// Window stand-in, headless back end: classes, windows and the frame model, message
// queues, events to messages, keyboard state, dropped files, frames and the screen.
#include "platform/win/win_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/mask_channel.h"
#include "platform/win/win_clock.h"
#include "platform/win/window_frame.h"
#include "platform/win/window_test.h"

namespace {
using namespace plat::win;

const int forceHeadless = setenv("HALVORINE_HEADLESS", "1", 1);

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT recordingProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  seen.push_back({msg, w, l});
  return DefWindowProcW(hwnd, msg, w, l);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    (void)forceHeadless;
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = recordingProc;
    cls.lpszClassName = u"TestClass";
    RegisterClassExW(&cls);
    seen.clear();
  }
  void TearDown() override {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassW(u"TestClass", nullptr));
  }
  HWND create(DWORD style = 0x80CA0000, DWORD ex = 0x300) {
    RECT r{0, 0, 640, 480};
    AdjustWindowRectEx(&r, style, 0, ex);
    hwnd = CreateWindowExW(ex, u"TestClass", u"Title", style, 100, 50, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    return hwnd;
  }
  std::vector<UINT> drain() {
    std::vector<UINT> got;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      got.push_back(m.message);
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    return got;
  }
  HWND hwnd = nullptr;
};

TEST_F(WindowTest, FrameModelGivesTheClientAreaAskedFor) {
  ASSERT_TRUE(IsHeadlessWindowSystem());
  ASSERT_NE(create(), nullptr);
  RECT client, window;
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &window);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_EQ(window.left, 100);
  POINT p{0, 0};
  ClientToScreen(hwnd, &p);
  EXPECT_EQ(p.x, 100 + 5);       // 3 border + 2 client edge
  EXPECT_EQ(p.y, 50 + 5 + 23);   // and the caption
  SetWindowPos(hwnd, HWND_TOP, 10, 20, 0, 0, SWP_NOSIZE);
  p = POINT{0, 0};
  ClientToScreen(hwnd, &p);
  EXPECT_EQ(p.x, 15);
  // A captionless popup has no frame at all.
  SetWindowLongW(hwnd, GWL_STYLE, WS_POPUP);
  SetWindowLongW(hwnd, GWL_EXSTYLE, 0);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_TRUE(IsWindowFullScreen(hwnd));
}

TEST_F(WindowTest, CreationSendsCreateAndDestroySendsDestroy) {
  ASSERT_NE(create(), nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().message, WM_CREATE);
  EXPECT_FALSE(UnregisterClassW(u"TestClass", nullptr));  // still in use
  seen.clear();
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  drain();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].message, WM_CLOSE);
  EXPECT_EQ(seen[1].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(FindWindowW(u"TestClass", nullptr), nullptr);
}

TEST_F(WindowTest, ShowingActivatesAndAsksForPaint) {
  ASSERT_NE(create(), nullptr);
  seen.clear();
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].message, WM_ACTIVATEAPP);
  EXPECT_EQ(seen[1].message, WM_ACTIVATE);
  EXPECT_EQ(seen[1].wParam, WA_ACTIVE);
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  // The default procedure validates, so WM_PAINT comes once.
  std::vector<UINT> got = drain();
  EXPECT_EQ(std::count(got.begin(), got.end(), WM_PAINT), 1);
  EXPECT_TRUE(drain().empty());
}

TEST_F(WindowTest, QueueFiltersAndQuitComesLast) {
  ASSERT_NE(create(), nullptr);
  PostQuitMessage(7);
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(nullptr, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_EQ(m.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  EXPECT_FALSE(PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE));  // quit is a thread message
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, KeysFollowThePhysicalKeyAndSetBothModifierBytes) {
  ASSERT_NE(create(), nullptr);
  auto key = [&](int usage, bool down) {
    WindowEvent e;
    e.kind = down ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
    e.key = usage;
    InjectWindowEvent(hwnd, e);
  };
  key(0xE4, true);  // right control
  key(0x04, true);  // A
  seen.clear();
  drain();
  BYTE state[256];
  GetKeyboardState(state);
  EXPECT_TRUE(state[VK_RCONTROL] & 0x80);
  EXPECT_TRUE(state[VK_CONTROL] & 0x80);
  EXPECT_FALSE(state[VK_LCONTROL] & 0x80);
  EXPECT_TRUE(state['A'] & 0x80);
  // Ctrl+A translates to the control character 1.
  bool gotChar = false;
  for (const Seen& s : seen) gotChar = gotChar || (s.message == WM_CHAR && s.wParam == 1);
  EXPECT_TRUE(gotChar);
  key(0x04, false);
  key(0xE4, false);
  drain();
  GetKeyboardState(state);
  EXPECT_FALSE(state[VK_CONTROL] & 0x80);
  EXPECT_FALSE(state['A'] & 0x80);
  // Alt makes system keys; the Japanese-layout punctuation keeps its codes.
  key(0xE2, true);
  key(0x2F, true);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_SYSKEYDOWN);
  EXPECT_EQ(m.wParam, VK_MENU);
  ASSERT_TRUE(PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_SYSKEYDOWN);
  EXPECT_EQ(m.wParam, 0xC0u);
  EXPECT_EQ((m.lParam >> 16) & 0xFF, 0x1A);
  key(0x2F, false);
  key(0xE2, false);
  drain();
}

TEST_F(WindowTest, TextBecomesUtf16CharactersAndWheelStepsAre120) {
  ASSERT_NE(create(), nullptr);
  WindowEvent text;
  text.kind = WindowEvent::Kind::Text;
  text.text = "a\xF0\x9F\x98\x80";  // a, then one character outside the BMP
  InjectWindowEvent(hwnd, text);
  WindowEvent wheel;
  wheel.kind = WindowEvent::Kind::Wheel;
  wheel.wheelY = 1.0f / 12;
  InjectWindowEvent(hwnd, wheel);
  wheel.wheelY = -1;
  InjectWindowEvent(hwnd, wheel);
  seen.clear();
  drain();
  std::vector<WPARAM> chars;
  std::vector<int> deltas;
  for (const Seen& s : seen) {
    if (s.message == WM_CHAR) chars.push_back(s.wParam);
    if (s.message == WM_MOUSEWHEEL) deltas.push_back(GET_WHEEL_DELTA_WPARAM(s.wParam));
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{u'a', 0xD83D, 0xDE00}));
  EXPECT_EQ(deltas, (std::vector<int>{10, -120}));
}

TEST_F(WindowTest, MouseButtonsAreKeysAndMoveTheCursor) {
  ASSERT_NE(create(), nullptr);
  WindowEvent e;
  e.kind = WindowEvent::Kind::ButtonDown;
  e.key = 3;
  e.x = 7, e.y = 9;
  InjectWindowEvent(hwnd, e);
  drain();
  BYTE state[256];
  GetKeyboardState(state);
  EXPECT_TRUE(state[VK_RBUTTON] & 0x80);
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(p.x, r.left + 5 + 7);
  EXPECT_EQ(p.y, r.top + 28 + 9);
  e.kind = WindowEvent::Kind::ButtonUp;
  InjectWindowEvent(hwnd, e);
  drain();
  GetKeyboardState(state);
  EXPECT_FALSE(state[VK_RBUTTON] & 0x80);
}

TEST_F(WindowTest, DroppedFilesReachOnlyAWindowThatAcceptsThem) {
  ASSERT_NE(create(), nullptr);
  WindowEvent drop;
  drop.kind = WindowEvent::Kind::Drop;
  drop.files = {"/tmp/a.png", "/tmp/\xE3\x81\x82.txt"};
  InjectWindowEvent(hwnd, drop);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
  DragAcceptFiles(hwnd, 1);
  InjectWindowEvent(hwnd, drop);
  ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
  HDROP h = reinterpret_cast<HDROP>(m.wParam);
  EXPECT_EQ(DragQueryFileW(h, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(h, 1, nullptr, 0), 10u);
  char16_t name[6];
  EXPECT_EQ(DragQueryFileW(h, 1, name, 6), 5u);
  EXPECT_EQ(std::u16string(name), u"/tmp/");
  DragFinish(h);
  // A list still queued when the window goes is freed with it.
  InjectWindowEvent(hwnd, drop);
  DestroyWindow(hwnd);
}

// Every finger down on a registered window is listed in each touch message; the one
// that changed carries its flag, the first one down is primary.
TEST_F(WindowTest, FingersBecomeTouchMessagesOfARegisteredWindow) {
  ASSERT_NE(create(), nullptr);
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  auto finger = [&](WindowEvent::Kind kind, int id, float x, float y) {
    WindowEvent e;
    e.kind = kind;
    e.key = id;
    e.touchX = x;
    e.touchY = y;
    InjectWindowEvent(hwnd, e);
  };
  using K = WindowEvent::Kind;
  finger(K::FingerDown, 1, 0.5f, 0.5f);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_TOUCH, WM_TOUCH, PM_REMOVE));
  DWORD flags = 7;
  EXPECT_FALSE(IsTouchWindow(hwnd, &flags));
  ASSERT_TRUE(RegisterTouchWindow(hwnd, 0));
  EXPECT_TRUE(IsTouchWindow(hwnd, &flags));
  EXPECT_EQ(flags, 0u);
  struct Want {
    DWORD id, flags;
    LONG x, y;  // client pixels
  };
  struct Step {
    K kind;
    int id;
    float x, y;
    std::vector<Want> want;
  } steps[] = {
      {K::FingerDown, 1, 0.5f, 0.25f, {{1, TOUCHEVENTF_DOWN | TOUCHEVENTF_INRANGE | TOUCHEVENTF_PRIMARY, 320, 120}}},
      {K::FingerDown, 2, 0.0f, 1.0f,
       {{1, TOUCHEVENTF_MOVE | TOUCHEVENTF_INRANGE | TOUCHEVENTF_PRIMARY, 320, 120},
        {2, TOUCHEVENTF_DOWN | TOUCHEVENTF_INRANGE, 0, 480}}},
      {K::FingerMove, 2, 0.25f, 0.5f,
       {{1, TOUCHEVENTF_MOVE | TOUCHEVENTF_INRANGE | TOUCHEVENTF_PRIMARY, 320, 120},
        {2, TOUCHEVENTF_MOVE | TOUCHEVENTF_INRANGE, 160, 240}}},
      {K::FingerUp, 1, 0.5f, 0.25f,
       {{1, TOUCHEVENTF_UP | TOUCHEVENTF_PRIMARY, 320, 120}, {2, TOUCHEVENTF_MOVE | TOUCHEVENTF_INRANGE, 160, 240}}},
      {K::FingerUp, 2, 0.25f, 0.5f, {{2, TOUCHEVENTF_UP | TOUCHEVENTF_PRIMARY, 160, 240}}},
  };
  int step = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(step++);
    finger(s.kind, s.id, s.x, s.y);
    ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_TOUCH, WM_TOUCH, PM_REMOVE));
    ASSERT_EQ(LOWORD(m.wParam), s.want.size());
    auto h = reinterpret_cast<HTOUCHINPUT>(m.lParam);
    std::vector<TOUCHINPUT> got(s.want.size() + 1);
    EXPECT_FALSE(GetTouchInputInfo(h, 1, got.data(), 40));  // a record of another size
    ASSERT_TRUE(GetTouchInputInfo(h, static_cast<UINT>(got.size()), got.data(), sizeof(TOUCHINPUT)));
    for (std::size_t i = 0; i < s.want.size(); ++i) {
      EXPECT_EQ(got[i].dwID, s.want[i].id);
      EXPECT_EQ(got[i].dwFlags, s.want[i].flags);
      EXPECT_EQ(got[i].x, (origin.x + s.want[i].x) * 100);
      EXPECT_EQ(got[i].y, (origin.y + s.want[i].y) * 100);
    }
    EXPECT_TRUE(CloseTouchInputHandle(h));
  }
  // A lift of a finger never seen is no message; one still queued when the window goes
  // is freed with it; after unregistering, nothing comes.
  finger(K::FingerUp, 5, 0.5f, 0.5f);
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_TOUCH, WM_TOUCH, PM_NOREMOVE));
  finger(K::FingerDown, 3, 0.5f, 0.5f);
  ASSERT_TRUE(UnregisterTouchWindow(hwnd));
  finger(K::FingerMove, 3, 0.5f, 0.5f);
  EXPECT_FALSE(IsTouchWindow(hwnd, nullptr));
  EXPECT_FALSE(GetTouchInputInfo(nullptr, 1, nullptr, sizeof(TOUCHINPUT)));
  EXPECT_FALSE(CloseTouchInputHandle(nullptr));
  DestroyWindow(hwnd);
  EXPECT_FALSE(RegisterTouchWindow(hwnd, 0));
}

TEST_F(WindowTest, FrameLimitClosesTheWindowAfterTheNthPresent) {
  setenv("HALVORINE_FRAMES", "3", 1);
  ASSERT_NE(create(), nullptr);
  unsetenv("HALVORINE_FRAMES");
  MSG m;
  // Presents before the first frame flip (start-up's refreshes) do not count.
  for (int i = 0; i < 5; ++i) PresentWindow(hwnd, nullptr, 0, 0, 0);
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
  NoteFrameFlip();
  for (int i = 1; i <= 3; ++i) {
    EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << i;
    PresentWindow(hwnd, nullptr, 0, 0, 0);
  }
  EXPECT_EQ(GetPresentCount(hwnd), 8);
  ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  // The limit asks once; later presents and a long wait add no second request.
  PresentWindow(hwnd, nullptr, 0, 0, 0);
  HoldClockForTest(MonotonicNanoseconds());
  StepClockForTest(3600'000'000'000LL);
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  ReleaseClockForTest();
}

// A run that never presents still ends: after max(60 s, N/30 s) without a present the
// window asks to be closed; each counted present starts the wait again, a present
// before the first frame flip does not.
TEST_F(WindowTest, FrameLimitClosesAWindowThatPresentsNothingForTooLong) {
  struct Case {
    const char* frames;
    long long idleSeconds;
    bool presentOnTheWay;
  };
  const Case cases[] = {{"3", 60, false}, {"1800", 60, true}, {"3000", 100, false}, {"3000", 100, true}};
  constexpr long long kSecond = 1'000'000'000LL;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    HoldClockForTest(1000 * kSecond);
    setenv("HALVORINE_FRAMES", c.frames, 1);
    ASSERT_NE(create(), nullptr);
    unsetenv("HALVORINE_FRAMES");
    MSG m;
    StepClockForTest(c.idleSeconds * kSecond / 4);
    PresentWindow(hwnd, nullptr, 0, 0, 0);
    StepClockForTest(c.idleSeconds * kSecond / 4);
    if (c.presentOnTheWay) {
      NoteFrameFlip();
      PresentWindow(hwnd, nullptr, 0, 0, 0);
    }
    StepClockForTest(c.idleSeconds * kSecond / 2 - 1);
    EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    if (c.presentOnTheWay) {
      StepClockForTest(c.idleSeconds * kSecond / 2);
      EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    }
    StepClockForTest(1);
    EXPECT_TRUE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    StepClockForTest(c.idleSeconds * kSecond);
    EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DestroyWindow(hwnd);
    hwnd = nullptr;
  }
  // Without the variable a window never closes itself.
  ASSERT_NE(create(), nullptr);
  StepClockForTest(3600 * kSecond);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  ReleaseClockForTest();
}

TEST_F(WindowTest, ScreenReportsAndTestSwitches) {
  EXPECT_EQ(GetDeviceCaps(GetDC(nullptr), BITSPIXEL) * GetDeviceCaps(GetDC(nullptr), PLANES), 32);
  SetScreenBitsForTest(24);
  EXPECT_EQ(GetDeviceCaps(GetDC(nullptr), BITSPIXEL), 24);
  SetScreenBitsForTest(0);
  MEMORYSTATUSEX mem{};
  mem.dwLength = sizeof mem;
  ASSERT_TRUE(GlobalMemoryStatusEx(&mem));
  EXPECT_GT(mem.ullTotalPhys, 0u);
  EXPECT_LE(mem.ullAvailPhys, mem.ullTotalPhys);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.right, 1920);
  SetWindowCreationFailsForTest(true);
  EXPECT_EQ(create(), nullptr);
  SetWindowCreationFailsForTest(false);
}

}  // namespace

namespace {

// A fill reaches exactly the part of its rectangle inside the frame, whatever side of
// the frame the rectangle crosses, and nothing when the rectangle is empty or outside.
TEST_F(WindowTest, FillRectPaintsTheClippedRectangleOnly) {
  ASSERT_NE(create(), nullptr);
  const RECT rows[] = {
      {10, 20, 30, 25},   {-5, -5, 3, 4},     {630, 470, 700, 500}, {0, 0, 640, 480},
      {-100, 5, 1000, 6}, {5, -100, 6, 1000}, {20, 20, 20, 40},     {40, 20, 30, 30},
      {700, 10, 800, 20}, {10, 500, 20, 600}, {639, 479, 640, 480}, {-10, -10, 0, 0},
  };
  HDC dc = GetDC(hwnd);
  uint32_t colour = 0x102030;
  for (const RECT& r : rows) {
    std::vector<uint32_t> before, after;
    int w = 0, h = 0;
    HBRUSH clearing = CreateSolidBrush(0);
    const RECT whole{0, 0, 640, 480};
    ASSERT_EQ(FillRect(dc, &whole, clearing), 1);
    DeleteObject(clearing);
    ASSERT_TRUE(GetWindowFrame(hwnd, &before, &w, &h));
    colour += 0x010203;
    HBRUSH brush = CreateSolidBrush(colour);
    ASSERT_EQ(FillRect(dc, &r, brush), 1);
    DeleteObject(brush);
    ASSERT_TRUE(GetWindowFrame(hwnd, &after, &w, &h));
    const uint32_t xrgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        ASSERT_EQ(after[size_t(y) * w + x], in ? xrgb : before[size_t(y) * w + x])
            << "rect " << r.left << "," << r.top << "," << r.right << "," << r.bottom << " at " << x << "," << y;
      }
  }
  ReleaseDC(hwnd, dc);
}

}  // namespace

namespace {

// Painting a DIB into the window gives, for every frame pixel inside the clipped
// destination, the nearest source pixel widened by its masks, and leaves every other
// pixel alone: unscaled and scaled, top-down and bottom-up, 16 and 32 bits, clipped on
// every side. The reference is the plain per-pixel rule.
TEST_F(WindowTest, PaintedDibMatchesThePerPixelRule) {
  ASSERT_NE(create(), nullptr);
  HDC dc = GetDC(hwnd);
  HBRUSH grey = CreateSolidBrush(0x404040);
  const RECT whole{0, 0, 640, 480};
  ASSERT_EQ(FillRect(dc, &whole, grey), 1);
  DeleteObject(grey);
  struct Format {
    WORD bits;
    DWORD red, green, blue;
  };
  const Format formats[] = {{32, 0xFF0000, 0xFF00, 0xFF},
                            {32, 0xFF, 0xFF00, 0xFF0000},
                            {32, 0x3FF00000, 0xFFC00, 0x3FF},
                            {16, 0x7C00, 0x03E0, 0x001F},
                            {16, 0xF800, 0x07E0, 0x001F}};
  struct Place {
    int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
  };
  const Place places[] = {
      {0, 0, 37, 23, 0, 0, 37, 23},    {-5, -3, 30, 20, 2, 1, 30, 20},     {620, 470, 37, 23, 0, 0, 37, 23},
      {10, 12, 20, 9, 11, 7, 20, 9},   {3, 4, 74, 46, 0, 0, 37, 23},       {-9, 460, 13, 40, 4, 2, 26, 20},
      {630, -2, 74, 11, 1, 3, 35, 19}, {700, 10, 37, 23, 0, 0, 37, 23},
  };
  uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (const Format& f : formats)
    for (const bool topDown : {true, false})
      for (const Place& p : places) {
        const int width = 37, rows = 23;
        const size_t pitch = (size_t(width) * (f.bits / 8) + 3) & ~size_t{3};
        std::vector<uint8_t> bits(pitch * rows);
        for (uint8_t& b : bits) b = uint8_t(next() >> 24);
        const WindowDib dib{bits.data(), width, topDown ? -rows : rows, f.bits, f.red, f.green, f.blue};
        std::vector<uint32_t> before, after;
        int w = 0, h = 0;
        ASSERT_TRUE(GetWindowFrame(hwnd, &before, &w, &h));
        const int used = PaintDibOnWindow(dc, p.xDest, p.yDest, p.destWidth, p.destHeight, p.xSrc, p.ySrc,
                                          p.srcWidth, p.srcHeight, dib);
        ASSERT_TRUE(GetWindowFrame(hwnd, &after, &w, &h));
        const bool visible = p.xDest < w && p.yDest < h && p.xDest + p.destWidth > 0 && p.yDest + p.destHeight > 0;
        EXPECT_EQ(used, visible ? p.srcHeight : 0);
        const MaskChannel red(f.red), green(f.green), blue(f.blue);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            uint32_t want = before[size_t(y) * w + x];
            if (x >= p.xDest && x < p.xDest + p.destWidth && y >= p.yDest && y < p.yDest + p.destHeight) {
              const int sx = p.xSrc + (x - p.xDest) * p.srcWidth / p.destWidth;
              const int sy = p.ySrc + (y - p.yDest) * p.srcHeight / p.destHeight;
              const uint8_t* at = bits.data() + size_t(topDown ? sy : rows - 1 - sy) * pitch + sx * (f.bits / 8);
              uint32_t v = 0;
              std::memcpy(&v, at, f.bits / 8);
              want = red.widen(v) << 16 | green.widen(v) << 8 | blue.widen(v);
            }
            ASSERT_EQ(after[size_t(y) * w + x], want) << f.bits << " bits, place " << (&p - places) << " at " << x
                                                      << "," << y << (topDown ? " top-down" : " bottom-up");
          }
      }
  ReleaseDC(hwnd, dc);
}

}  // namespace
