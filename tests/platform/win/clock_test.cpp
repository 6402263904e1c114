// Tests of platform/win/clock: multimedia timer, performance counter and local time.
#include "platform/win/win_clock.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/win/win_thread.h"

namespace win = plat::win;

TEST(WinClock, HeldClockStandsStillAndSteps) {
  win::HoldClockForTest(5000000000LL);
  win::LARGE_INTEGER counter;
  win::Sleep(2);
  ASSERT_TRUE(win::QueryPerformanceCounter(&counter));
  EXPECT_EQ(counter.QuadPart, 5000000000LL);
  EXPECT_EQ(win::timeGetTime(), 5000u);
  win::StepClockForTest(1500000);
  EXPECT_EQ(win::timeGetTime(), 5001u);
  win::ReleaseClockForTest();

  win::LARGE_INTEGER a, b, frequency;
  win::QueryPerformanceFrequency(&frequency);
  EXPECT_EQ(frequency.QuadPart, 1000000000LL);
  win::QueryPerformanceCounter(&a);
  win::Sleep(1);
  win::QueryPerformanceCounter(&b);
  EXPECT_GT(b.QuadPart, a.QuadPart);
}

TEST(WinClock, TimerCapsAndPeriods) {
  win::TIMECAPS caps;
  ASSERT_EQ(win::timeGetDevCaps(&caps, sizeof caps), win::TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_EQ(caps.wPeriodMax, 1000000u);
  EXPECT_NE(win::timeGetDevCaps(nullptr, sizeof caps), win::TIMERR_NOERROR);
  EXPECT_EQ(win::timeBeginPeriod(1), win::TIMERR_NOERROR);
  EXPECT_EQ(win::timeEndPeriod(1), win::TIMERR_NOERROR);
}

TEST(WinClock, LocalTimeMatchesTheCLibrary) {
  win::SYSTEMTIME st;
  time_t before = time(nullptr);
  win::GetLocalTime(&st);
  tm local;
  localtime_r(&before, &local);
  EXPECT_EQ(st.wYear, local.tm_year + 1900);
  EXPECT_EQ(st.wMonth, local.tm_mon + 1);
  EXPECT_LT(st.wMilliseconds, 1000);
  EXPECT_LT(st.wDayOfWeek, 7);
}
