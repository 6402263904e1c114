// Tests of platform/win/process: the own process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "platform/win/win_handle.h"
#include "platform/win/process.h"

namespace {

using namespace plat::win;

TEST(Process, OwnProcessOpensUnlessMissing) {
  unsetenv("HALVORINE_MISSING");
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CloseHandle(h), TRUE);
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId() + 1), nullptr);
  setenv("HALVORINE_MISSING", "dsound,process", 1);
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId()), nullptr);
  unsetenv("HALVORINE_MISSING");
}

}  // namespace
