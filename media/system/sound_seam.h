// TEMPORARY SEAM (replaced by the soft-sound module): what the pump uses of soft-sound
// players. Each call is recorded.
#pragma once
#include "media/sound/sound_handle.h"

namespace ZaDod {

int ProcessSoftSoundPlayers();

}  // namespace ZaDod
