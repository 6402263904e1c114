// Start of the benchmarks that run one scene on each renderer in the same run: the whole
// library, headless, windowed at 640 x 480 x 32, on the renderer that the stand-ins named
// missing leave first (null: every stand-in present).
#pragma once
#include <cstdlib>

#include "media/base/log.h"
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
