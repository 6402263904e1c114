// Sound buffers: one playable copy of a sound, a DirectSound secondary buffer or an
// XAudio2 source voice fed from the buffer's own wave data by SOUNDBUFFER_CALLBACK;
// the shared wave-data block those voices read; the listener software 3D reads.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/sound/output.h"

namespace ZaDod {

// Shared wave data of XAudio2 buffers: the data and, for a mono buffer played as
// stereo, the stereo copy, both 16-byte aligned, in one tracked allocation.
struct SoundBufferMemory {
  void* Data;
  void* StereoCopy;  // null without
  std::size_t Size;
  std::atomic<std::int32_t> RefCount;
};

SoundBufferMemory* AllocSoundBufferMemory(std::size_t size, int withStereoCopy);
int AddSoundBufferMemoryRef(SoundBufferMemory* block);
// Drops one reference; the block is freed at zero. Null is ignored.
int SubSoundBufferMemoryRef(SoundBufferMemory* block);

// The listener of the software 3D path (the sound handles keep it up to date).
struct SoundListenerState {
  float Position[3];
  float Front[3];
  float Velocity[3];
  float Side[3];
  float InnerAngle;
  float OuterAngle;
  float InnerVolume;
  float OuterVolume;
};
extern SoundListenerState SoundListener;
void SetSoundListenerDefaults();

struct SoundBuffer;

// Feeds a buffer's voice from its wave data on the XAudio2 thread.
class SOUNDBUFFER_CALLBACK final : public pa::IXAudio2VoiceCallback {
 public:
  explicit SOUNDBUFFER_CALLBACK(SoundBuffer* owner) : Buffer(owner) {}
  void OnVoiceProcessingPassStart(pa::UINT32 bytesRequired) override;
  void OnVoiceProcessingPassEnd() override {}
  void OnStreamEnd() override {}
  void OnBufferStart(void*) override {}
  void OnBufferEnd(void* context) override;
  void OnLoopEnd(void*) override {}
  void OnVoiceError(void*, plat::win::HRESULT) override {}

  SoundBuffer* Buffer;
  // Copies of a looping buffer shorter than a submission laid end to end (the engine
  // thread's alone).
  std::vector<std::uint8_t> Unrolled;
};

struct SoundBuffer {
  int Valid;
  std::int32_t Pan;
  std::int32_t Volume[8];
  std::int32_t Frequency;
  std::int32_t SampleNum;  // frames of wave data
  pa::WAVEFORMATEX Format;
  SoundBufferMemory* Wave;

  // XAudio2: written by the engine-thread callbacks as well, hence atomic.
  std::atomic<int> Playing;
  std::atomic<std::int32_t> PlayPos;  // frames
  std::atomic<std::int32_t> CompPos;  // frames submitted
  std::atomic<int> Loop;

  int ReverbState;  // 0 idle, 1 just started, 2 stopped and timing
  std::uint32_t ReverbTime;

  int Is3D;
  float Pos3D[3];
  float Radius3D;
  float Volume3DFactor;
  float Pan3D;

  pa::IDirectSoundBuffer* DSBuffer;
  pa::IXAudio2SourceVoice* XA2SourceVoice;
  pa::IXAudio2SubmixVoice* XA2SubmixVoice;
  plat::win::IUnknown* XA2ReverbEffect;
  SOUNDBUFFER_CALLBACK* XA2Callback;
  pa::XAUDIO2FX_REVERB_PARAMETERS ReverbParam;
  int VoiceChannels;

  pa::X3DAUDIO_EMITTER Emitter;
  pa::X3DAUDIO_CONE EmitterCone;
  float ChannelAzimuths[8];
};

// Results: 0 done, -1 failure, 2 not available on this output (use the buffer's fields).
int SoundBuffer_Initialize(SoundBuffer* buffer);  // zeroes a record before first use
int SoundBuffer_Create(SoundBuffer* buffer, std::uint32_t bytes, const pa::WAVEFORMATEX* format,
                       SoundBuffer* source, int is3D);
int SoundBuffer_Release(SoundBuffer* buffer);
int SoundBuffer_Play(SoundBuffer* buffer, int loop);
int SoundBuffer_Stop(SoundBuffer* buffer, int disableReverb = 0);
int SoundBuffer_IsPlaying(SoundBuffer* buffer);
int SoundBuffer_IsValid(SoundBuffer* buffer);
int SoundBuffer_GetCurrentPosition(SoundBuffer* buffer, pa::DWORD* play, pa::DWORD* write);
int SoundBuffer_SetCurrentPosition(SoundBuffer* buffer, pa::DWORD bytePosition);
int SoundBuffer_GetFrequency(SoundBuffer* buffer, pa::DWORD* frequency);
int SoundBuffer_SetFrequency(SoundBuffer* buffer, pa::DWORD frequency);
int SoundBuffer_Lock(SoundBuffer* buffer, pa::DWORD offset, pa::DWORD bytes, void** first, pa::DWORD* firstBytes,
                     void** second, pa::DWORD* secondBytes);
int SoundBuffer_Unlock(SoundBuffer* buffer, void* first, pa::DWORD firstBytes, void* second, pa::DWORD secondBytes);
int SoundBuffer_ApplyVolume(SoundBuffer* buffer);
int SoundBuffer_Init3D(SoundBuffer* buffer, SoundBuffer* source, int flag);
int SoundBuffer_Set3DPosition(SoundBuffer* buffer, const float* position);
int SoundBuffer_Set3DVelocity(SoundBuffer* buffer, const float* velocity);
int SoundBuffer_Set3DDistanceScale(SoundBuffer* buffer, float scale);
void SoundBuffer_Update3D(SoundBuffer* buffer);
int SoundBuffer_CheckReverbIdle(SoundBuffer* buffer);

}  // namespace ZaDod
