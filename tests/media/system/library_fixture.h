// Shared by the media/system tests: headless windows, a temporary folder per test, the
// media log captured line by line, and the library shut down after each test.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/system/seam_record.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/win/window_test.h"

namespace halvorine_test {

inline std::vector<std::u16string>& logLines() {
  static std::vector<std::u16string> lines;
  return lines;
}

inline void captureLine(const char16_t* line) { logLines().push_back(line); }

// True when the texts appear in the log in this order (each matched as a substring).
inline bool logHasInOrder(const std::vector<std::u16string>& texts) {
  size_t next = 0;
  for (const std::u16string& line : logLines())
    if (next < texts.size() && line.find(texts[next]) != std::u16string::npos) ++next;
  return next == texts.size();
}

inline int logCount(const std::u16string& text) {
  int n = 0;
  for (const std::u16string& line : logLines()) n += line.find(text) != std::u16string::npos;
  return n;
}

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("HALVORINE_HEADLESS", "1", 1); }

  void SetUp() override {
    home_ = std::filesystem::current_path();
    char pattern[] = "/tmp/halvorine-system-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
    logLines().clear();
    ZaDod::SetLogTestHook(captureLine);
    ZaDod::SetLogFileOutput(1);
    ZaDod::TakeSeamCalls();
    ZaDod::Win.Settings = ZaDod::WindowSettings{};
  }

  void TearDown() override {
    ZaDod::TerminateLibrary();
    ZaDod::SetLogTestHook(nullptr);
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

  std::filesystem::path home_, dir_;
};

}  // namespace halvorine_test
