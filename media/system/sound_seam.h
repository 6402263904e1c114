// Temporary: what the life-cycle code, the pump and activation use of the sound and
// movie modules, until they land. sound_seam.cpp records each call.
#pragma once

namespace ZaDod {

int SetupYUVToRGBTables();
int InitializeSoundConvert();
int InitializeSoundSystem();
int InitializeMovie();
int TerminateMusicPlayback();
int TerminateMovie();
int TerminateSoundSystem();
int TerminateSoundConvert();
int ProcessStreamSounds();
int ProcessSoftSoundPlayers();
int ProcessPlayingSoundList();
int ProcessPlayEndSounds();
int ProcessMusicHandles();
int SuspendPlayingMovies();
int ResumeSuspendedMovies();
int SetSoundMemPauseAll(int pause);
int SetSoftSoundPlayersPause(int pause);

}  // namespace ZaDod
