// TEMPORARY SEAM (replaced by the movie module): movies as start-up, the pump and
// activation see them.
#include "media/system/sound_seam.h"

#include "media/system/seam_record.h"

namespace ZaDod {

int SetupYUVToRGBTables() { RecordSeamCall("SetupYUVToRGBTables"); return 0; }
int InitializeMovie() { RecordSeamCall("InitializeMovie"); return 0; }
int TerminateMovie() { RecordSeamCall("TerminateMovie"); return 0; }
int SuspendPlayingMovies() { RecordSeamCall("SuspendPlayingMovies"); return 0; }
int ResumeSuspendedMovies() { RecordSeamCall("ResumeSuspendedMovies"); return 0; }

}  // namespace ZaDod
