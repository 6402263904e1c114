// Sound output: the one output kind chosen at sound start-up (DirectSound, XAudio2 2.8
// or 2.7, or DirectMusic over DirectSound), its device-wide objects, the converted
// reverb presets, and the device side of MIDI music (MCI or DirectMusic).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio/dmusic.h"
#include "platform/audio/dsound.h"
#include "platform/audio/xaudio2.h"
#include "platform/win/module.h"

namespace ZaDod {

namespace pa = plat::audio;

// The 2.7 native reverb block is the 2.8 one without its last word.
constexpr int kReverbPresetCount = 30;

struct SoundOutputState {
  int MusicMode;        // 0 MCI, 1 DirectMusic with reverb path, 2 DirectMusic plain stereo
  int UseXAudio2Flag;   // asks for XAudio2; cleared when it cannot be opened
  int SoftwareMixFlag;  // DirectSound buffers in software instead of static
  std::uint32_t OutputSampleRate;
  int XAudio2Version;   // 8 or 7 while XAudio2 is open

  pa::IDirectSound* DirectSound;
  pa::IXAudio2* XAudio2;       // 2.8
  pa::IXAudio2_7* XAudio2_7;   // 2.7

  pa::IDirectMusicLoader8* MusicLoader;
  pa::IDirectMusicPerformance8* MusicPerformance;
  std::int32_t MusicMasterVolume;

  plat::win::HMODULE XAudio2Module;
  decltype(&pa::XAudio2Create) XAudio2CreateFunc;
  decltype(&pa::CreateAudioVolumeMeter) CreateAudioVolumeMeterFunc;
  decltype(&pa::CreateAudioReverb) CreateAudioReverbFunc;
  decltype(&pa::X3DAudioInitialize) X3DAudioInitializeFunc;
  decltype(&pa::X3DAudioCalculate) X3DAudioCalculateFunc;
  plat::win::HMODULE X3DAudioModule;

  pa::IXAudio2MasteringVoice* MasteringVoice;    // 2.8
  pa::IXAudio2MasteringVoice* MasteringVoice27;  // 2.7
  std::uint32_t OutputChannelMask;
  int OutputChannels;
  pa::X3DAUDIO_HANDLE X3DInstance;

  pa::XAUDIO2FX_REVERB_PARAMETERS ReverbPresets[kReverbPresetCount];

  pa::X3DAUDIO_LISTENER Listener;
  pa::X3DAUDIO_CONE ListenerCone;

  pa::IDirectSoundBuffer* PrimaryBuffer;
  pa::IDirectSoundBuffer* SilentBuffer;
  pa::WAVEFORMATEX PrimaryFormat;  // what the primary buffer was set to, for the report

  // MCI music.
  int MciPlaying;
  int MciLoop;
  pa::MCIDEVICEID MciDeviceId;
  char16_t TempMidiPath[260];
  int TempMidiFileExists;

  // The sound handles' current music handle; -1 (none) after shut-down.
  int CurrentMusicHandle;
};

extern SoundOutputState SoundOutput;

// The part of a music handle the output reads and writes.
struct MusicPlayRecord {
  int PlayFlag;
  int StartedFlag;
  pa::IDirectMusicSegment8* Segment;
};

int InitializeSoundOutput();
int TerminateSoundOutput();
int IsSoundOutputReady();
// -1 while XAudio2 is not asked for; 0 for a null block; else copies the preset's
// native block (the 2.8 layout with 2.8, the 52-byte 2.7 layout with 2.7).
int GetReverbPresetParam(void* block, int preset);
int GetMusicPlayState(MusicPlayRecord* music);
int RefreshMusicPlayState(MusicPlayRecord* music);
int StopMusicPlayback(MusicPlayRecord* music);
int ReleaseMusicSegment(MusicPlayRecord* music);
// From the window procedure on the MCI notification.
int ProcessMusicMciNotify(unsigned long long wParam, long long lParam);
// Closes the MCI device while it plays, so that no music outlives the output.
int CloseMusicMciDevice();
// The music devices read MIDI files through the file functions, archives included.
bool ReadMidiThroughFileFunctions(const char16_t* path, std::vector<std::uint8_t>* bytes);

// The 30 I3DL2 presets converted to native blocks (done at start-up; tests call it).
void ConvertReverbPresets(pa::XAUDIO2FX_REVERB_PARAMETERS* out);

// The DirectSound device report (capabilities and device list) into the media log.
void LogDirectSoundReport();

}  // namespace ZaDod
