// Tests of media/system/sysinfo_log: the system information written at start-up.
#include "media/system/sysinfo_log.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/system/winapi.h"
#include "platform/win/win_clock.h"
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

// A performance counter held still (a test's clock) cannot hold start-up up.
TEST(SystemInfoLogTest, ClockProbeEndsOnAHeldClock) {
  LoadWinAPI();
  plat::win::HoldClockForTest(5'000'000'000LL);
  OutputSystemInfoLog();
  plat::win::ReleaseClockForTest();
#if defined(__x86_64__)
  EXPECT_EQ(SystemInfo.CpuSpeedMHz, 0);
#endif
  ReleaseWinAPI();
}

// The lines of a media log file, each without its time stamp and colon.
std::vector<std::u16string> logLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::u16string> lines(1);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == u'\n') {
      lines.emplace_back();
    } else if (unit != u'\r') {
      lines.back() += unit;
    }
  }
  for (std::u16string& line : lines) line.erase(0, line.find(u':') + 1);
  return lines;
}

TEST(SystemInfoLogTest, DetailsAreOneIndentDeeperThanTheirHead) {
  std::filesystem::path home = std::filesystem::current_path();
  char pattern[] = "/tmp/halvorine-sysinfo-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::filesystem::current_path(pattern);
  LoadWinAPI();
  SetLogFileOutput(1);
  OutputSystemInfoLog();
  SetLogFileOutput(0);
  std::vector<std::u16string> lines = logLines(std::filesystem::path(pattern) / "Log.txt");
  std::filesystem::current_path(home);
  std::filesystem::remove_all(pattern);

  ASSERT_GE(lines.size(), 4u);
  size_t head = lines[0].find_first_not_of(u'\t');
  EXPECT_EQ(lines[0].substr(head), u"システムの情報を出力します");
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    EXPECT_EQ(lines[i].find_first_not_of(u'\t'), head + 1) << "line " << i;
  }
  ReleaseWinAPI();
}

}  // namespace
}  // namespace ZaDod
