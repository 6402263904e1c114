// The input state tables, shared by the front and the device layer.
#include "media/input/input_state.h"

#include <iterator>

namespace ZaDod {

InputData Input;

void ResetInputStatus() {
  Input.Status = InputStatus{};
  Input.Status.TouchDevice = Input.Status.TouchID = Input.Status.TouchIndex = -1;
  Input.Status.KeyboardReadTime = -1;
}

void SetDefaultPadKeyAssignment() {
  // Pad 1: directions on the arrows and the numeric pad, buttons 1-10 on
  // Z X C A S D Q W Escape Space.
  static constexpr int kPadOne[][2] = {
      {0x50, 0xD0}, {0x4B, 0xCB}, {0x4D, 0xCD}, {0x48, 0xC8}, {0x2C, 0}, {0x2D, 0}, {0x2E, 0},
      {0x1E, 0},    {0x1F, 0},    {0x20, 0},    {0x10, 0},    {0x11, 0}, {0x01, 0}, {0x39, 0},
  };
  auto& table = Input.Settings.PadKeyAssignment;
  for (auto& pad : table)
    for (auto& bit : pad)
      for (int& key : bit) key = 0;
  for (int b = 0; b < static_cast<int>(std::size(kPadOne)); ++b) {
    table[0][b][0] = kPadOne[b][0];
    table[0][b][1] = kPadOne[b][1];
  }
}

int SetInputFlagFromMessage(unsigned int message, int on) {
  if (message == 0x46F) Input.Settings.DirectInputEverywhere = on ? 1 : 0;
  else if (message == 0x470) Input.Settings.ExclusiveKeyboard = on ? 1 : 0;
  return 0;
}

}  // namespace ZaDod
