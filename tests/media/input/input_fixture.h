// Shared by the input tests: a headless library per test in a temporary folder, the
// media log captured piece by piece, a held clock that each read steps on, and key,
// button and pointer events injected into the window.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/input/input.h"
#include "media/input/input_devices.h"
#include "media/input/input_state.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/input/joystick_test.h"
#include "platform/win/win_clock.h"
#include "platform/win/window_test.h"

namespace halvorine_test {

// Keys by their USB HID usage, as the window system reports them.
enum Hid {
  kHidA = 4, kHidC = 6, kHidX = 27, kHidZ = 29, kHidReturn = 40, kHidEscape = 41, kHidSpace = 44,
  kHidRight = 79, kHidLeft = 80, kHidDown = 81, kHidUp = 82, kHidPadEnter = 88, kHidPad2 = 90,
  kHidLeftShift = 225, kHidRightShift = 229,
};

inline std::vector<std::u16string>& logPieces() {
  static std::vector<std::u16string> pieces;
  return pieces;
}

inline void capturePiece(const char16_t* piece) { logPieces().push_back(piece); }

class InputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("HALVORINE_HEADLESS", "1", 1); }

  void SetUp() override {
    // The multimedia-joystick path unless a test asks for DirectInput.
    setenv("HALVORINE_MISSING", directInput_ ? "" : "dinput", 1);
    ZaDod::Input.Settings.NoDirectInput = 0;  // a failed start of an earlier test sticks
    // The media log goes to the test's own folder (tests/support/own_folder.cpp), which a
    // death test's child shares and which is removed after the test.
    logPieces().clear();
    ZaDod::SetLogTestHook(capturePiece);
    ZaDod::SetLogFileOutput(1);
    ZaDod::Win.Settings = ZaDod::WindowSettings{};
  }

  void TearDown() override {
    releaseAll();
    ZaDod::TerminateLibrary();
    ZaDod::TerminateInput();
    plat::input::DetachAllVirtualJoysticks();
    ZaDod::SetLogTestHook(nullptr);
    ZaDod::SetLogFileOutput(0);
    plat::win::ReleaseClockForTest();
    unsetenv("HALVORINE_MISSING");
  }

  // Start-up measures the processor against the running clock; the clock is held
  // only afterwards.
  static int startLibrary() {
    ZaDod::ChangeWindowMode(1);
    const int result = ZaDod::InitializeLibrary();
    plat::win::HoldClockForTest(1'000'000'000LL);
    return result;
  }

  // Moves the held clock on by a millisecond, so that the next read is not skipped.
  void tick() { plat::win::StepClockForTest(1'000'000); }

  static void send(plat::win::WindowEvent e) { plat::win::InjectWindowEvent(ZaDod::GetMainWindowHandle(), e); }

  // The window system's key state outlives the window: a test lets go of what it held
  // while its window is there.
  static void releaseAll() {
    if (ZaDod::GetMainWindowHandle()) {
      for (int hid : heldKeys()) key(hid, false);
      for (int which : {1, 2, 3}) button(which, false);
      ZaDod::ProcessWindowMessages();
    }
    heldKeys().clear();
  }

  static std::vector<int>& heldKeys() {
    static std::vector<int> keys;
    return keys;
  }

  static void key(int hid, bool down) {
    if (down) heldKeys().push_back(hid);
    plat::win::WindowEvent e;
    e.kind = down ? plat::win::WindowEvent::Kind::KeyDown : plat::win::WindowEvent::Kind::KeyUp;
    e.key = hid;
    send(e);
  }

  static void button(int which, bool down) {
    plat::win::WindowEvent e;
    e.kind = down ? plat::win::WindowEvent::Kind::ButtonDown : plat::win::WindowEvent::Kind::ButtonUp;
    e.key = which;
    send(e);
  }

  static void pointer(int x, int y) {
    plat::win::WindowEvent e;
    e.kind = plat::win::WindowEvent::Kind::MouseMove;
    e.x = x;
    e.y = y;
    send(e);
  }

  int keyDown(int code) {
    tick();
    return ZaDod::CheckKeyDown(code);
  }

  int pad(int inputType) {
    tick();
    return ZaDod::GetJoypadInputState(inputType);
  }

  static bool logged(const std::u16string& text) {
    for (const std::u16string& p : logPieces())
      if (p.find(text) != std::u16string::npos) return true;
    return false;
  }

  bool directInput_ = false;
};

}  // namespace halvorine_test
