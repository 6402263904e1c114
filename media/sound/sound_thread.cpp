// The sound thread: keeps streams, the playing list and soft-sound players fed every
// 10 ms while the main thread is busy. Only machines with more than one processor
// run it; otherwise the message pump does the same work.
#include "media/base/log.h"
#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"

namespace ZaDod {

namespace {
void soundThreadProc(ThreadRecord*, void*) {
  while (SoundSys.ThreadState.load() != 1 && SoundSys.InitializeFlag.load()) {
    LockSoundHandles(__LINE__);
    ProcessStreamSounds();
    ProcessPlayingSoundList();
    UnlockSoundHandles();
    CriticalSection_Lock(&HandleManageArray[HANDLETYPE_SOFTSOUND].CriticalSection, __FILE__, __LINE__);
    ProcessSoftSoundPlayers();
    CriticalSection_Unlock(&HandleManageArray[HANDLETYPE_SOFTSOUND].CriticalSection);
    Thread_Sleep(10);
  }
  SoundSys.ThreadState.store(2);
}
}  // namespace

int StartSoundThread() {
  SoundSys.HasThread = 0;
  if (SystemInfo.ProcessorNum > 1) {
    SoundSys.ThreadState.store(0);
    if (Thread_Create(&SoundSys.Thread, soundThreadProc, nullptr) == 0) {
      Thread_SetPriority(&SoundSys.Thread, 3);
      while (Thread_Resume(&SoundSys.Thread) == 0) Thread_Sleep(0);
      SoundSys.HasThread = 1;
    }
  }
  if (!SoundOutput.UseXAudio2Flag) {
    LogAddTextUtf16(u"DirectSound の初期化は正常に終了しました\n");
  } else {
    LogIndentDecrease();
    LogAddTextUtf16(u"XAudio2 の初期化は正常に終了しました\n");
  }
  return 0;
}

// Waits for the thread to leave its loop whether or not the window still exists:
// the records it walks are freed right after this returns.
int StopSoundThread() {
  if (!IsSoundOutputReady()) return -1;
  if (!SoundSys.HasThread) return 0;
  SoundSys.ThreadState.store(1);
  while (SoundSys.ThreadState.load() != 2) Thread_Sleep(2);
  Thread_Close(&SoundSys.Thread);
  SoundSys.HasThread = 0;
  return 0;
}

}  // namespace ZaDod
