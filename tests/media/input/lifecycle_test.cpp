#include <fstream>
#include <iterator>

#include "media/system/window_state.h"
#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

// The log file's lines, each with its indent (TABs after the time stamp's colon).
std::vector<std::pair<int, std::u16string>> logFileLines() {
  std::ifstream in("Log.txt", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  std::vector<std::pair<int, std::u16string>> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    size_t colon = line.find(u':');
    int tabs = 0;
    size_t at = colon == std::u16string::npos ? 0 : colon + 1;
    while (at < line.size() && line[at] == u'\t') ++tabs, ++at;
    lines.emplace_back(tabs, line.substr(at));
    start = end + 2;
  }
  return lines;
}

int indentOf(const std::vector<std::pair<int, std::u16string>>& lines, const std::u16string& text) {
  for (const auto& [tabs, line] : lines)
    if (line.find(text) != std::u16string::npos) return tabs;
  return -1;
}

TEST_F(InputTest, FirstKeyQueryStartsInputAndAnswersZero) {
  // As before the first start-up: an earlier test's shut-down leaves the program ending.
  // A process starts with DirectInput not yet found missing.
  Win.Status = WindowStatus{};
  Input.Settings.NoDirectInput = 0;
  ASSERT_EQ(Input.Settings.Started, 0);
  EXPECT_EQ(CheckKeyDown(1), 0);
  EXPECT_EQ(Input.Settings.Started, 1);
  ASSERT_EQ(TerminateInput(), 0);
  const auto lines = logFileLines();
  EXPECT_EQ(indentOf(lines, u"DirectInput関係初期化処理"), 0);
  EXPECT_EQ(indentOf(lines, u"XInput DLL の読み込み中... 失敗、XInputは使用しません"), 1);
  EXPECT_EQ(indentOf(lines, u"DirectInput7 の取得中... DirectInput8 の取得を試みます...取得に失敗。"
                            u"DirectInput を使用しません。"),
            1);
  EXPECT_EQ(indentOf(lines, u"パッドの数は 0 個です"), 1);
  EXPECT_EQ(indentOf(lines, u"入力関連の初期化をしました"), 0);
  EXPECT_EQ(indentOf(lines, u"入力関連の終了処理... 完了"), 0);
  EXPECT_EQ(Input.Status.Mode, InputDeviceMode::None);
}

TEST_F(InputTest, RestartKeepsTheAssignmentAndWorksAgain) {
  ASSERT_EQ(startLibrary(), 0);
  Input.Settings.PadKeyAssignment[0][20][0] = 0x30;  // B as button 17
  ASSERT_EQ(TerminateInput(), 0);
  EXPECT_EQ(Input.Settings.Started, 0);
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(Input.Settings.PadKeyAssignment[0][20][0], 0x30);
  key(kHidZ, true);
  EXPECT_EQ(pad(0x1000), PAD_INPUT_1);
  Input.Settings.PadKeyAssignment[0][20][0] = 0;
}

TEST_F(InputTest, NothingStartsWhileTheProgramEnds) {
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(TerminateInput(), 0);
  plat::win::WindowEvent close;
  close.kind = plat::win::WindowEvent::Kind::Close;
  send(close);
  ProcessWindowMessages();
  ASSERT_NE(GetWindowClosingFlag(), 0);
  EXPECT_EQ(StartInputOnDemand(), 0);
  EXPECT_EQ(CheckKeyDown(1), 0);
  EXPECT_EQ(Input.Settings.Started, 0);
}

}  // namespace
}  // namespace halvorine_test
