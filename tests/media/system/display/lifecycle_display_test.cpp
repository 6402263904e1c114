// The library's window on a display: it appears through SDL with the title the runtime
// sets, SDL input arrives as messages, and closing it through SDL ends the pump.
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/win/window_test.h"

namespace {
using namespace ZaDod;

SDL_Window* sdlWindowTitled(const char* title) {
  for (Uint32 id = 1; id < 64; ++id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (w && std::strcmp(SDL_GetWindowTitle(w), title) == 0) return w;
  }
  return nullptr;
}

// Starts the library in a window on the display; the window, or null when it did
// not start there.
SDL_Window* startWindowTitled(const char* title) {
  unsetenv("HALVORINE_HEADLESS");
  SetMainWindowText(title);
  ChangeWindowMode(1);
  if (InitializeLibrary() != 0 || plat::win::IsHeadlessWindowSystem()) return nullptr;
  return sdlWindowTitled(title);
}

void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }

// Pumps until the condition holds; SDL's queue is read at most once a millisecond.
template <typename Condition>
bool pumpUntil(Condition done) {
  for (int i = 0; i < 2000; ++i) {
    ProcessWindowMessages();
    if (done()) return true;
    usleep(1000);
  }
  return false;
}

// Run in a process of its own by the test below: a second start on the same display.
TEST(LibraryOnDisplay, SecondInstance) {
  if (!std::getenv("HALVORINE_SECOND_INSTANCE")) GTEST_SKIP() << "started by SecondStartOnTheSameDisplayIsRefused";
  ChangeWindowMode(1);
  EXPECT_EQ(InitializeLibrary(), -1);
}

TEST(LibraryOnDisplay, SecondStartOnTheSameDisplayIsRefused) {
  unsetenv("HALVORINE_HEADLESS");
  ChangeWindowMode(1);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_FALSE(plat::win::IsHeadlessWindowSystem()) << "no display";
  setenv("HALVORINE_SECOND_INSTANCE", "1", 1);
  char self[] = "/proc/self/exe", filter[] = "--gtest_filter=LibraryOnDisplay.SecondInstance";
  char* argv[] = {self, filter, nullptr};
  pid_t child;
  ASSERT_EQ(posix_spawn(&child, self, nullptr, nullptr, argv, environ), 0);
  unsetenv("HALVORINE_SECOND_INSTANCE");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(TerminateLibrary(), 0);
}

TEST(LibraryOnDisplay, OpensTheWindowTakesInputAndEndsOnClose) {
  SDL_Window* window = startWindowTitled("Halvorine 0.1.44");
  ASSERT_NE(window, nullptr) << "the library did not start in a window on the display";
  int w, h;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);

  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = SDL_GetWindowID(window);
  e.wheel.y = 2;
  e.wheel.preciseY = 2.0f;
  push(e);
  int notches = 0;
  EXPECT_TRUE(pumpUntil([&] { return (notches += GetMouseWheelRotation(1)) >= 2; }));

  e = SDL_Event{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  push(e);
  EXPECT_TRUE(pumpUntil([] {
    plat::win::BYTE keys[256];
    plat::win::GetKeyboardState(keys);
    return (keys[0x1B] & 0x80) != 0;
  }));

  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(window);
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  push(e);
  int result = 0;
  for (int i = 0; i < 2000 && result == 0; ++i) {
    result = ProcessWindowMessages();
    usleep(1000);
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(ProcessWindowMessages(), -1);
  EXPECT_EQ(TerminateLibrary(), 0);
}

// Real wheel turns under X arrive as presses of buttons 4 (away) and 5 (toward). They
// are made here with the X test extension, loaded at run time, at the window's centre.
TEST(LibraryOnDisplay, WheelButtonsOfTheDisplayTurnTheWheel) {
  void* x11 = dlopen("libX11.so.6", RTLD_NOW);
  void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
  ASSERT_TRUE(x11 && xtst) << "libX11 and libXtst are needed (scripts/install-deps.sh)";
  using OpenDisplay = void* (*)(const char*);
  using Flush = int (*)(void*);
  using CloseDisplay = int (*)(void*);
  using FakeMotion = int (*)(void*, int, int, int, unsigned long);
  using FakeButton = int (*)(void*, unsigned int, int, unsigned long);
  auto openDisplay = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
  auto flush = reinterpret_cast<Flush>(dlsym(x11, "XFlush"));
  auto closeDisplay = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
  auto fakeMotion = reinterpret_cast<FakeMotion>(dlsym(xtst, "XTestFakeMotionEvent"));
  auto fakeButton = reinterpret_cast<FakeButton>(dlsym(xtst, "XTestFakeButtonEvent"));
  ASSERT_TRUE(openDisplay && flush && closeDisplay && fakeMotion && fakeButton);

  SDL_Window* window = startWindowTitled("Halvorine wheel");
  ASSERT_NE(window, nullptr) << "the library did not start in a window on the display";
  void* display = openDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  int x, y, w, h;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  fakeMotion(display, -1, x + w / 2, y + h / 2, 0);
  flush(display);
  EXPECT_TRUE(pumpUntil([&] { return (SDL_GetMouseFocus() == window); }));
  while (GetMouseWheelRotation(1) != 0) {
  }
  // Three notches away, read, then one toward; a turn is taken off as it is read.
  // (A reversal before the turn was read starts the count again, as the window
  // procedure does, so the two directions are read apart.)
  auto turn = [&](unsigned int button, int times, int expected) {
    for (int i = 0; i < times; ++i) {
      fakeButton(display, button, 1, 0);
      fakeButton(display, button, 0, 0);
    }
    flush(display);
    int notches = 0;
    EXPECT_TRUE(pumpUntil([&] { return (notches += GetMouseWheelRotation(1)) == expected; })) << button;
    EXPECT_EQ(notches, expected) << button;
  };
  turn(4, 3, 3);
  turn(5, 1, -1);
  turn(5, 2, -2);
  closeDisplay(display);
  EXPECT_EQ(TerminateLibrary(), 0);
}

}  // namespace

namespace {

// The clipboard on a display is SDL's: text goes both ways, converted from and to UTF-8.
TEST(LibraryOnDisplay, ClipboardTextIsTheDisplaysClipboard) {
  unsetenv("HALVORINE_HEADLESS");
  ChangeWindowMode(1);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_FALSE(plat::win::IsHeadlessWindowSystem()) << "no display";
  ASSERT_EQ(SetClipboardText(u"grün 世界"), 0);
  char* utf8 = SDL_GetClipboardText();
  ASSERT_NE(utf8, nullptr);
  EXPECT_STREQ(utf8, "grün 世界");
  SDL_free(utf8);
  ASSERT_EQ(SDL_SetClipboardText("back ✓"), 0);
  char16_t text[16] = {};
  ASSERT_EQ(GetClipboardText(nullptr), 15);  // 6 units and the terminator, plus one
  ASSERT_EQ(GetClipboardText(text), 0);
  EXPECT_EQ(std::u16string(text), u"back ✓");
  TerminateLibrary();
}

}  // namespace
