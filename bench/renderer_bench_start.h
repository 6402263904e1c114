// Start of the benchmarks that run one scene on each renderer in the same run: the whole
// library, headless, windowed at 640 x 480 x 32, on the renderer that the stand-ins named
// missing leave first (null: every stand-in present).
#pragma once
#include <cstdlib>
#include <random>

#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"

// False when the library could not start.
inline bool startOnRenderer(const char* missing) {
  setenv("HALVORINE_HEADLESS", "1", 1);
  if (missing != nullptr)
    setenv("HALVORINE_MISSING", missing, 1);
  else
    unsetenv("HALVORINE_MISSING");
  ZaDod::SetLogFileOutput(0);
  ZaDod::ChangeWindowMode(1);
  ZaDod::SetScreenMode(640, 480, 32, 0);
  return ZaDod::InitializeLibrary() == 0;
}

// A 32x32 graph of random colour and alpha drawn from rng; -1 when it cannot be made.
inline int makeRandomSpriteGraph(std::mt19937& rng) {
  ZaDod::BaseImage image{};
  ZaDod::CreateARGB8ColorBaseImage(32, 32, &image);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ZaDod::SetBaseImagePixel(&image, x, y, int(rng() & 255), int(rng() & 255), int(rng() & 255), int(rng() & 255));
  const int graph = ZaDod::CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ZaDod::ReleaseBaseImage(&image);
  return graph;
}
