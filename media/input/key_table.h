// The window system's virtual keys and the scan codes the key state is indexed by.
#pragma once
#include <cstdint>

namespace ZaDod {

struct VirtualKeyToKeyCode {
  uint16_t VirtualKey;  // 0xFFFF ends the table
  uint16_t KeyCode;     // scan code
  uint16_t Extended;    // extended-key flag; not read
};

// 109 rows and the end row. One virtual key may serve two rows (both Enter keys).
extern const VirtualKeyToKeyCode VirtualKeyToKeyCodeTable[110];

}  // namespace ZaDod
