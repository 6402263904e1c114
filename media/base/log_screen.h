// Internal: the state of the on-screen log, which the flip draws when drawFlag is set.
#pragma once

namespace ZaDod {

constexpr int OnScreenLogLines = 80;
constexpr int OnScreenLogLineLength = 255;

struct OnScreenLogState {
  int initialized = 0;
  int fontSize = 16;
  int fontHandle = -1;  // -1 none, -2 creation failed
  int fontMustBeCreated = 0;
  int drawFlag = 0;
  int lineCount = 0;
  char16_t lines[OnScreenLogLines][OnScreenLogLineLength] = {};
};

OnScreenLogState& onScreenLog();

}  // namespace ZaDod
