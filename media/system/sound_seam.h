// TEMPORARY SEAM (replaced by the soft-sound and movie modules): what the life-cycle
// code, the pump and activation use of soft-sound players and movies. Each call is recorded.
#pragma once
#include "media/sound/sound_handle.h"

namespace ZaDod {

int SetupYUVToRGBTables();
int InitializeMovie();
int TerminateMovie();
int ProcessSoftSoundPlayers();
int SuspendPlayingMovies();
int ResumeSuspendedMovies();

}  // namespace ZaDod
