// The library's window on a display: it appears through SDL with the title the runtime
// sets, SDL input arrives as messages, and closing it through SDL ends the pump.
#include <SDL2/SDL.h>
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
  unsetenv("HALVORINE_HEADLESS");
  SetMainWindowText("Halvorine 0.1.44");
  ChangeWindowMode(1);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_FALSE(plat::win::IsHeadlessWindowSystem()) << "no display";
  SDL_Window* window = sdlWindowTitled("Halvorine 0.1.44");
  ASSERT_NE(window, nullptr);
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
