// Temporary: the sound and movie modules as start-up, the pump and activation see them.
#include "media/system/sound_seam.h"

#include "media/system/seam_record.h"

namespace ZaDod {

int SetupYUVToRGBTables() { RecordSeamCall("SetupYUVToRGBTables"); return 0; }
int InitializeSoundConvert() { RecordSeamCall("InitializeSoundConvert"); return 0; }
int InitializeSoundSystem() { RecordSeamCall("InitializeSoundSystem"); return 0; }
int InitializeMovie() { RecordSeamCall("InitializeMovie"); return 0; }
int TerminateMusicPlayback() { RecordSeamCall("TerminateMusicPlayback"); return 0; }
int TerminateMovie() { RecordSeamCall("TerminateMovie"); return 0; }
int TerminateSoundSystem() { RecordSeamCall("TerminateSoundSystem"); return 0; }
int TerminateSoundConvert() { RecordSeamCall("TerminateSoundConvert"); return 0; }
int ProcessStreamSounds() { RecordSeamCall("ProcessStreamSounds"); return 0; }
int ProcessSoftSoundPlayers() { RecordSeamCall("ProcessSoftSoundPlayers"); return 0; }
int ProcessPlayingSoundList() { RecordSeamCall("ProcessPlayingSoundList"); return 0; }
int ProcessPlayEndSounds() { return 0; }
int ProcessMusicHandles() { return 0; }
int SuspendPlayingMovies() { RecordSeamCall("SuspendPlayingMovies"); return 0; }
int ResumeSuspendedMovies() { RecordSeamCall("ResumeSuspendedMovies"); return 0; }
int SetSoundMemPauseAll(int pause) { RecordSeamCall(pause ? "SetSoundMemPauseAll(1)" : "SetSoundMemPauseAll(0)"); return 0; }
int SetSoftSoundPlayersPause(int pause) {
  RecordSeamCall(pause ? "SetSoftSoundPlayersPause(1)" : "SetSoftSoundPlayersPause(0)");
  return 0;
}

}  // namespace ZaDod
