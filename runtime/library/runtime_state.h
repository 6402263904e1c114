// Process-wide state of the running game that the start-up, the game loop
// and the natives share.
#pragma once

#include <cstdint>
#include <vector>

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
  // Graphs made for pictures and canvases before the screen mode is set: the mode
  // change deletes every graph, and set_graph_mode tells how many of these it took.
  std::vector<int32_t> earlyGraphs;
};
extern RuntimeState gRuntime;

// The font name of the default font handle.
extern const char* const kDefaultFontName;
// Makes the default font handle afresh.
void createDefaultFont();
// Notes a graph made for a picture or canvas while set_graph_mode may still come.
void noteScriptGraph(int32_t graph);

}  // namespace kv
