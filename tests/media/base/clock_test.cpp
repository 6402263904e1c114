// Tests of media/base/clock: the media layer's three clocks.
#include "media/base/clock.h"

#include <gtest/gtest.h>

#include "media/base/thread.h"
#include "media/system/winapi.h"
#include "platform/win/win_clock.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

struct HeldClock : ::testing::Test {
  // The microsecond clock reads the multimedia timer only once the table is loaded.
  void SetUp() override { LoadWinAPI(); }
  void TearDown() override {
    win::ReleaseClockForTest();
    ClearPerformanceCounterFlag();
  }
};

}  // namespace

TEST_F(HeldClock, MillisecondsMaskBit31AndNeverGoNegative) {
  win::HoldClockForTest(0x80000005LL * 1000000);  // past 2^31 ms
  EXPECT_EQ(GetMillisecondCount(), 5);
  win::HoldClockForTest(0xFFFFFFFFLL * 1000000);  // 32-bit timer at its top
  EXPECT_EQ(GetMillisecondCount(), 0x7FFFFFFF);
  win::StepClockForTest(1000000);
  EXPECT_EQ(GetMillisecondCount(), 0);
}

TEST_F(HeldClock, MicrosecondsFollowTheMillisecondTimerWithoutPerformanceCounter) {
  win::HoldClockForTest(1234567891LL);
  EXPECT_EQ(GetPerformanceCounterFlag(), 0);
  EXPECT_EQ(GetMicrosecondCount(), 1234LL * 1000);
}

TEST_F(HeldClock, PerformanceCounterScalesExactlyIn128Bits) {
  ASSERT_EQ(SetupPerformanceCounter(), 1);
  EXPECT_EQ(GetPerformanceCounterFrequency(), 1000000000LL);
  win::HoldClockForTest(3000000000000LL);
  EXPECT_EQ(GetMicrosecondCount(), 3000000000LL);
  // Far beyond where counter x 1e6 fits 64 bits.
  win::HoldClockForTest(9000000000000000000LL);
  EXPECT_EQ(GetMicrosecondCount(), 9000000000000000LL);
  win::StepClockForTest(999);
  EXPECT_EQ(GetMicrosecondCount(), 9000000000000000LL);
  win::StepClockForTest(1);
  EXPECT_EQ(GetMicrosecondCount(), 9000000000000001LL);
  ClearPerformanceCounterFlag();
  win::HoldClockForTest(3000000000000LL);
  EXPECT_EQ(GetMicrosecondCount(), 3000000LL * 1000);
}

TEST(Clock, RunningClocksAdvanceAndDateIsPlausible) {
  int first = GetMillisecondCount();
  ASSERT_GE(first, 0);
  long long microFirst = GetMicrosecondCount();
  Thread_Sleep(3);
  EXPECT_GT(GetMillisecondCount(), first);
  EXPECT_GT(GetMicrosecondCount(), microFirst);

  DATEDATA date;
  EXPECT_EQ(GetLocalDateTime(&date), 0);
  EXPECT_GE(date.Year, 2020);
  EXPECT_TRUE(date.Mon >= 1 && date.Mon <= 12);
  EXPECT_TRUE(date.Day >= 1 && date.Day <= 31);
  EXPECT_TRUE(date.Hour >= 0 && date.Hour <= 23);
  EXPECT_TRUE(date.Min >= 0 && date.Min <= 59);
  EXPECT_TRUE(date.Sec >= 0 && date.Sec <= 59);
}
