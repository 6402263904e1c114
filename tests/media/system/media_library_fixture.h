// Shared by the media/system tests: headless windows, a temporary folder per test, the
// media log's messages captured (the file stays off unless a test checks it), and the
// library shut down after each test.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/win/window_test.h"
#include "tests/media/log_capture.h"

namespace halvorine_test {

// True when the texts were logged in this order.
inline bool logHasInOrder(const std::vector<std::u16string>& texts) {
  std::u16string all = LogCapture::all();
  size_t at = 0;
  for (const std::u16string& text : texts) {
    at = all.find(text, at);
    if (at == std::u16string::npos) return false;
    at += text.size();
  }
  return true;
}

inline int logCount(const std::u16string& text) {
  std::u16string all = LogCapture::all();
  int n = 0;
  for (size_t at = all.find(text); at != std::u16string::npos; at = all.find(text, at + text.size())) ++n;
  return n;
}

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("HALVORINE_HEADLESS", "1", 1); }

  void SetUp() override {
    // A fresh folder inside the test's own one, which goes with the test however the
    // test ends (a child that exits skips this TearDown).
    home_ = std::filesystem::current_path();
    dir_ = home_ / "system";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directory(dir_);
    std::filesystem::current_path(dir_);
    capture_.emplace();  // the capture sees every message, with the log file on or off
    ZaDod::SetLogFileOutput(0);
    ZaDod::Win.Settings = ZaDod::WindowSettings{};
  }

  void TearDown() override {
    ZaDod::TerminateLibrary();
    capture_.reset();
    ZaDod::SetLogFileOutput(0);
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }

  static int startWindowed() {
    ZaDod::ChangeWindowMode(1);
    return ZaDod::InitializeLibrary();
  }

  static plat::win::HWND mainWindow() { return ZaDod::GetMainWindowHandle(); }

  static void inject(plat::win::WindowEvent::Kind kind) {
    plat::win::WindowEvent e;
    e.kind = kind;
    plat::win::InjectWindowEvent(mainWindow(), e);
  }

  // Restarts the capture: what was logged so far is forgotten.
  void forgetLog() { capture_.emplace(); }

  std::optional<LogCapture> capture_;
  std::filesystem::path home_, dir_;
};

}  // namespace halvorine_test
