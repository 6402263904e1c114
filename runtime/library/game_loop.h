// The frame loop: one scheduler tick, the layers and one flip per frame
// until the window closes or Escape is pressed.
#pragma once

namespace kv {

// From the first tick on. Returns when the run ends in order; a script's
// RuntimeError leaves it.
void runGame();

}  // namespace kv
