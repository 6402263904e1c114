// Tests of media/system/fatal: the fatal-error exit.
#include "media/system/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "media/file/async_load.h"
#include "platform/win/win_thread.h"
#include "tests/media/log_capture.h"

namespace ZaDod {
namespace {

int failOnWorker(AsyncLoadJob*) { FatalErrorExit(u"ワーカーで致命的なエラー"); }

void hookToStderr(const char* utf8) { std::fprintf(stderr, "[hook:%s]", utf8); }

// Without any log of its own echoed, the message still reaches standard error, and
// the program's log hook gets it as UTF-8 without the line break.
TEST(FatalErrorExitDeathTest, EndsTheProcessFromTheMainThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetFatalErrorHook(hookToStderr);
        FatalErrorExit(u"致命的なエラー\n");
      },
      ::testing::ExitedWithCode(1), "致命的なエラー\n\\[hook:致命的なエラー\\]");
  EXPECT_EXIT(FatalErrorExit(nullptr), ::testing::ExitedWithCode(1), "");
}

TEST(FatalErrorExitDeathTest, EndsTheProcessFromAWorker) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        halvorine_test::LogCapture::echoToStderr();
        InitializeASyncLoad(plat::win::GetCurrentThreadId());
        SetupASyncLoadThread(2);
        AsyncLoadJob* job = AllocASyncLoadData(0);
        job->ProcessFunction = failOnWorker;
        AddASyncLoadData(job);
        for (;;) {
          ProcessASyncLoadRequestMainThread();
          plat::win::Sleep(1);
        }
      },
      ::testing::ExitedWithCode(1), "ワーカーで致命的なエラー");
}

}  // namespace
}  // namespace ZaDod
