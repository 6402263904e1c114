// The device side of MIDI music: MCI playback state and notification, DirectMusic
// segments on the performance.
#include "media/sound/output.h"

#include <vector>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/winapi.h"
#include "platform/win/file.h"

namespace ZaDod {

namespace {

pa::MCIERROR sendMci(pa::MCIDEVICEID device, plat::win::UINT message, std::uintptr_t flags, void* parameters) {
  if (!WinmmFunctionsLoaded(1) || WinAPI.mciSendCommandWFunc == nullptr) return pa::MCIERR_DEVICE_NOT_INSTALLED;
  auto send = reinterpret_cast<decltype(&pa::mciSendCommandW)>(WinAPI.mciSendCommandWFunc);
  return send(device, message, flags, reinterpret_cast<std::uintptr_t>(parameters));
}

bool directMusicMode() { return SoundOutput.MusicMode == 1 || SoundOutput.MusicMode == 2; }

}  // namespace

int GetMusicPlayState(MusicPlayRecord* music) {
  if (SoundOutput.MusicMode == 0) return SoundOutput.MciPlaying;
  if (directMusicMode() && music != nullptr) return music->PlayFlag;
  return -1;
}

int RefreshMusicPlayState(MusicPlayRecord* music) {
  if (!directMusicMode() || music == nullptr || SoundOutput.MusicPerformance == nullptr) return 0;
  const bool playing = SoundOutput.MusicPerformance->IsPlaying(music->Segment, nullptr) != plat::win::S_FALSE;
  if (music->StartedFlag) music->PlayFlag = playing ? 1 : 0;
  else if (playing) music->StartedFlag = 1;
  return 0;
}

int StopMusicPlayback(MusicPlayRecord* music) {
  SoundOutputState& s = SoundOutput;
  if (s.MusicMode == 0) {
    ProcessMusicMciNotify(0, 0);
    for (int i = 0; i < 5; ++i) ProcessWindowMessagesCore();
  } else if (directMusicMode() && music != nullptr && s.MusicPerformance != nullptr) {
    s.MusicPerformance->Stop(music->Segment, nullptr, 0, 0);
  }
  if (s.TempMidiFileExists) {
    plat::win::DeleteFileW(s.TempMidiPath);
    s.TempMidiFileExists = 0;
  }
  return 0;
}

int ReleaseMusicSegment(MusicPlayRecord* music) {
  if (music == nullptr || music->Segment == nullptr) return 0;
  SoundOutputState& s = SoundOutput;
  if (s.MusicPerformance != nullptr) music->Segment->Unload(s.MusicPerformance);
  if (s.MusicLoader != nullptr) s.MusicLoader->ReleaseObjectByUnknown(music->Segment);
  music->Segment->Release();
  music->Segment = nullptr;
  return 0;
}

bool ReadMidiThroughFileFunctions(const char16_t* path, std::vector<std::uint8_t>* bytes) {
  void* image = nullptr;
  std::uint32_t size = 0;
  if (LoadWholeFile(path, &image, &size, 0) != 0) return false;
  const auto* data = static_cast<const std::uint8_t*>(image);
  bytes->assign(data, data + size);
  MemFree(image);
  return true;
}

int CloseMusicMciDevice() {
  SoundOutputState& s = SoundOutput;
  if (!s.MciPlaying) return 0;
  sendMci(s.MciDeviceId, pa::MCI_CLOSE, 0, nullptr);
  s.MciPlaying = 0;
  return 0;
}

int ProcessMusicMciNotify(unsigned long long, long long) {
  SoundOutputState& s = SoundOutput;
  if (s.MciLoop) {
    pa::MCI_PLAY_PARMS play{reinterpret_cast<std::uintptr_t>(GetMainWindowHandle()), 0, 0};
    // Playing only when the device took the command; a device that will not play again
    // is closed as at the end of a single play.
    if (sendMci(s.MciDeviceId, pa::MCI_PLAY, pa::MCI_NOTIFY | pa::MCI_FROM, &play) == 0) {
      s.MciPlaying = 1;
      return 0;
    }
    sendMci(s.MciDeviceId, pa::MCI_CLOSE, 0, nullptr);
    s.MciPlaying = 0;
  } else if (s.MciPlaying) {
    sendMci(s.MciDeviceId, pa::MCI_CLOSE, 0, nullptr);
    s.MciPlaying = 0;
  }
  return 0;
}

}  // namespace ZaDod
