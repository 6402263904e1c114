#include "media/system/fatal.h"

#include <gtest/gtest.h>

#include "media/file/async_load.h"
#include "platform/win/thread.h"
#include "tests/media/log_capture.h"

namespace ZaDod {
namespace {

int failOnWorker(AsyncLoadJob*) { FatalErrorExit(u"ワーカーで致命的なエラー"); }

TEST(FatalErrorExitDeathTest, EndsTheProcessFromTheMainThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        halvorine_test::LogCapture::echoToStderr();
        FatalErrorExit(u"致命的なエラー");
      },
      ::testing::ExitedWithCode(255), "致命的なエラー");
  EXPECT_EXIT(FatalErrorExit(nullptr), ::testing::ExitedWithCode(255), "");
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
      ::testing::ExitedWithCode(255), "ワーカーで致命的なエラー");
}

}  // namespace
}  // namespace ZaDod
