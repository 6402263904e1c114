// TEMPORARY SEAM (replaced by the movie module): what the life-cycle code, the pump
// and activation use of movies. Each call is recorded.
#pragma once
#include "media/sound/sound_handle.h"

namespace ZaDod {

int SetupYUVToRGBTables();
int InitializeMovie();
int TerminateMovie();
int SuspendPlayingMovies();
int ResumeSuspendedMovies();

}  // namespace ZaDod
