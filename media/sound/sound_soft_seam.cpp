// TEMPORARY SEAM (replaced by the soft-sound and compressed-formats module): soft-sound
// players, soft-sound loading and pitch and time stretch. Loading fails, so a load
// that asks for pitch or stretch logs its error.
#include "media/sound/sound_handle.h"

namespace ZaDod {

int LoadSoftSoundBase(const LoadSoundSettings*, const char16_t*, const void*, std::uint32_t) { return -1; }

int ApplySoundPitchAndStretch(const LoadSoundSettings*, int, int) { return -1; }

}  // namespace ZaDod
