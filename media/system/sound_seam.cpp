// TEMPORARY SEAM (replaced by the soft-sound module): soft-sound players as the pump
// sees them.
#include "media/system/sound_seam.h"

#include "media/system/seam_record.h"

namespace ZaDod {

int ProcessSoftSoundPlayers() { RecordSeamCall("ProcessSoftSoundPlayers"); return 0; }

}  // namespace ZaDod
