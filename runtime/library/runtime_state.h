// Process-wide state of the running game that the start-up, the game loop
// and the natives share.
#pragma once

#include <cstdint>

namespace kv {

struct RuntimeState {
  int32_t versionMajor = 0, versionMinor = 1, versionPatch = 44;
  int32_t screenWidth = 640, screenHeight = 480;
  uint8_t loopRunning = 0;      // set when the game loop starts or by set_graph_mode
  int32_t sixtyFrames = 0;      // 0..59
  int32_t totalFrames = 0;      // never reset
  uint8_t defaultLayerVisible = 1;
  int32_t defaultFont = -1;
  char windowTitle[256] = {};
};
extern RuntimeState gRuntime;

// The font name of the default font handle.
extern const char* const kDefaultFontName;
// Makes the default font handle afresh.
void createDefaultFont();

}  // namespace kv
