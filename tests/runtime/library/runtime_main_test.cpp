// Tests of runtime/library/runtime_main: the program's spine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "media/system/fatal.h"
#include "runtime/library/runtime_main.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace {

std::string endingOf(const std::function<void()>& body, int& status) {
  kv::closeLogFile();
  testing::internal::CaptureStdout();
  status = kv::runEndingInOrder(body);
  return testing::internal::GetCapturedStdout();
}

TEST(RuntimeMain, ThrowingBodyEndsInOrderWithStatusOne) {
  int status = 0;
  std::string out = endingOf([] { throw std::runtime_error("out of luck"); }, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "out of luck\nSystem: closing logfile.\n");
  out = endingOf([] { throw kv::CompileError(33); }, status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("ERROR: (Ec0033)"), std::string::npos);
  EXPECT_NE(out.find("System: closing logfile.\n"), std::string::npos);
  out = endingOf([] { throw kv::RuntimeError(20); }, status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("(Ex2020)"), std::string::npos);
  EXPECT_NE(out.find("System: runtime error occured; the program was aborted.\nSystem: closing logfile.\n"),
            std::string::npos);
}

TEST(RuntimeMain, BodyThatReturnsEndsWithStatusZero) {
  int status = 1;
  std::string out = endingOf([] {}, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "System: closing logfile.\n");
}

// A fatal end inside the media layer is never silent: its reason reaches the
// runtime log and standard error, and the status is 1.
TEST(RuntimeMainDeathTest, FatalEndOfTheMediaLayerReachesTheLog) {
  kv::closeLogFile();
  EXPECT_EXIT(
      {
        kv::openLogFile("kvlog.txt");
        kv::logMediaFatalErrors();
        ZaDod::FatalErrorExit(u"画面モードを作れません\n");
      },
      testing::ExitedWithCode(1), "画面モードを作れません");
  std::ifstream in("kvlog.txt");
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("System: 画面モードを作れません\n"), std::string::npos) << log;
}

}  // namespace
