#include "media/system/sysinfo_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/system/winapi.h"
#include "tests/media/log_capture.h"

namespace ZaDod {
namespace {

TEST(SystemInfoLogTest, LinesInOrderAndValuesKept) {
  LoadWinAPI();
  halvorine_test::LogCapture log;
  OutputSystemInfoLog();
  std::u16string text = log.all();

  std::vector<std::u16string> expected = {u"システムの情報を出力します", u"ＺａＤｏｄライブラリ Ver3.16d",
                                          u"論理プロセッサの数", u"ＯＳ  Windows10\n"};
#if defined(__x86_64__)
  expected.push_back(u"現時点のＣＰＵ動作速度");
  expected.push_back(u"ＭＭＸ命令を使用します");
  expected.push_back(u"ＳＳＥ命令が使用可能です");
  expected.push_back(u"ＳＳＥ２命令が使用可能です");
  expected.push_back(u"ＣＰＵベンダ：");
#endif
  size_t at = 0;
  for (const std::u16string& piece : expected) {
    size_t found = text.find(piece, at);
    ASSERT_NE(found, std::u16string::npos) << "missing or out of order: piece " << &piece - expected.data();
    at = found + piece.size();
  }

  EXPECT_EQ(SystemInfo.WindowsVersion, 0x10C);
  EXPECT_EQ(SystemInfo.DirectXVersion, 0x70000);
  EXPECT_GE(SystemInfo.ProcessorNum, 1);
  EXPECT_EQ(std::u16string(SystemInfo.OSString), u"Windows10");
#if defined(__x86_64__)
  EXPECT_EQ(SystemInfo.UseMMX, 1);
  EXPECT_EQ(SystemInfo.UseSSE, 1);
  EXPECT_EQ(SystemInfo.UseSSE2, 1);
  EXPECT_GT(SystemInfo.CpuSpeedMHz, 0);
#endif
  ReleaseWinAPI();
}

TEST(SystemInfoLogTest, VersionTestsGiveTheSameAnswerWithoutRtlGetVersion) {
  LoadWinAPI();
  auto rtl = WinAPI.RtlGetVersionFunc;
  WinAPI.RtlGetVersionFunc = nullptr;
  halvorine_test::LogCapture log;
  OutputSystemInfoLog();
  WinAPI.RtlGetVersionFunc = rtl;
  EXPECT_EQ(SystemInfo.WindowsVersion, 0x10C);
  EXPECT_EQ(std::u16string(SystemInfo.OSString), u"Windows10");
  ReleaseWinAPI();
}

}  // namespace
}  // namespace ZaDod
