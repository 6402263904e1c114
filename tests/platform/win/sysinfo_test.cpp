// Tests of platform/win/sysinfo: the system information stand-in.
#include "platform/win/sysinfo.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <cstring>

#include "platform/win/process.h"

namespace plat::win {
namespace {

// The count is of the processors the caller may run on: held to one, it sees one.
TEST(SysInfoTest, ProcessorCountFollowsTheAffinityMask) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  cpu_set_t saved;
  ASSERT_EQ(sched_getaffinity(0, sizeof(saved), &saved), 0);
  EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(CPU_COUNT(&saved)));
  int first = 0;
  while (!CPU_ISSET(first, &saved)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
  GetSystemInfo(&info);
  ASSERT_EQ(sched_setaffinity(0, sizeof(saved), &saved), 0);
  EXPECT_EQ(info.dwNumberOfProcessors, 1u);
}

TEST(SysInfoTest, VersionRecordIsFixedAndSizeChecked) {
  static_assert(sizeof(OSVERSIONINFOW) == 276 && sizeof(OSVERSIONINFOEXW) == 284);
  OSVERSIONINFOW v{};
  EXPECT_EQ(GetVersionExW(&v), 0);
  v.dwOSVersionInfoSize = sizeof(v);
  ASSERT_NE(GetVersionExW(&v), 0);
  EXPECT_EQ(v.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(v.dwMajorVersion, 10u);
  EXPECT_EQ(v.dwMinorVersion, 0u);
  EXPECT_EQ(v.dwBuildNumber, 0u);
  EXPECT_EQ(v.szCSDVersion[0], u'\0');
  OSVERSIONINFOEXW x{};
  x.dwOSVersionInfoSize = sizeof(x);
  EXPECT_EQ(RtlGetVersion(&x), STATUS_SUCCESS);
  EXPECT_EQ(x.dwMajorVersion, 10u);
}

bool verify(DWORD major, DWORD minor, BYTE condition) {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof(wanted);
  wanted.dwMajorVersion = major;
  wanted.dwMinorVersion = minor;
  ULONGLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, condition);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, condition);
  return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, mask) != 0;
}

TEST(SysInfoTest, VersionTestsAgreeWithTheRecord) {
  EXPECT_FALSE(verify(10, 0, VER_GREATER));
  EXPECT_TRUE(verify(10, 0, VER_GREATER_EQUAL));
  EXPECT_TRUE(verify(6, 4, VER_GREATER_EQUAL));
  EXPECT_TRUE(verify(6, 3, VER_GREATER));
  EXPECT_FALSE(verify(10, 1, VER_GREATER_EQUAL));
  EXPECT_TRUE(verify(10, 0, VER_EQUAL));
  EXPECT_TRUE(verify(11, 0, VER_LESS));
}

TEST(SysInfoTest, ProcessorIdentification) {
  DWORD r[4];
  Cpuid(0, r);
  if (!CpuidAvailable()) {
    EXPECT_EQ(r[0] | r[1] | r[2] | r[3], 0u);
    EXPECT_EQ(ReadTimeStampCounter(), 0u);
    return;
  }
  EXPECT_GE(r[0], 1u);
  ULONGLONG a = ReadTimeStampCounter();
  ULONGLONG b = ReadTimeStampCounter();
  EXPECT_GE(b, a);
}

TEST(ProcessDeathTest, ExitProcessFlushesAndEndsWithTheLowByte) {
  EXPECT_EXIT(
      {
        std::fputs("pending text", stderr);
        std::fputs("buffered", stdout);
        ExitProcess(static_cast<UINT>(-1));
      },
      ::testing::ExitedWithCode(255), "pending text");
}

}  // namespace
}  // namespace plat::win
