// Playback control of sound handles: play, stop, the playing test, volume, pan,
// frequency, positions and lengths, and loop points. Memory sounds play their buffers
// in turn; stream sounds go to the stream functions.
#include <algorithm>
#include <cmath>

#include "media/base/log.h"
#include "media/sound/sound_handle.h"
#include "media/system/system.h"
#include "media/system/window.h"

namespace ZaDod {

namespace {

SoundHandleRecord* ready(int handle, int asyncFlag = 0) {
  return IsSoundOutputReady() ? GetSoundRecord(handle, asyncFlag) : nullptr;
}

// The buffer that answers getters: the current one of a memory sound, the stream's.
SoundBuffer* answering(int handle, SoundHandleRecord* r) {
  if (!r->StreamFlag) return &r->Buffer[std::clamp(r->CurrentBuffer, 0, kMaxSoundBuffers - 1)];
  SoundBuffer* b = nullptr;
  return AcquireStreamBuffer(handle, r, &b, 0) == 0 ? b : nullptr;
}

// 0 ready, 1 the next buffer plays and no restart was asked for, -1 failure.
int prepareSoundMemPlay(SoundHandleRecord* r, int restartFlag) {
  std::uint32_t previous = 0;
  if (r->Buffer[r->CurrentBuffer].Valid) SoundBufferFront_GetCurrentPosition(&r->Buffer[r->CurrentBuffer], &previous, nullptr);
  int next = r->CurrentBuffer + 1;
  if (next >= r->BufferNum) next = 0;
  r->CurrentBuffer = next;
  SoundBuffer* b = &r->Buffer[next];
  if (!b->Valid) return -1;
  if (SoundBufferFront_IsPlaying(b) == 1) {
    if (!restartFlag) return 1;
    SoundBufferFront_Stop(b, 0);
  }
  SoundBufferFront_SetCurrentPosition(b, restartFlag ? 0 : previous);
  ApplySoundPlaySettings(r, b);
  SoundBufferFront_RefreshVolume(b);
  return 0;
}

// Runs `set` on every buffer the sound plays through: its own, and for a stream that
// plays through another stream's buffer, that buffer while it is this sound's to use.
// Answers -1 when a buffer refuses the value.
template <typename Set>
int setOnEveryBuffer(SoundHandleRecord* r, Set set) {
  int result = 0;
  for (int i = 0; i < r->BufferNum; ++i) {
    if (r->Buffer[i].Valid && set(&r->Buffer[i]) != 0) result = -1;
  }
  if (r->StreamFlag && r->BufferSourceHandle != -1) {
    SoundBuffer* b = nullptr;
    if (AcquireStreamBuffer(r->Header.Handle, r, &b, 0) == 0 && b != &r->Buffer[0] && set(b) != 0) result = -1;
  }
  return result;
}

int setVolumeEverywhere(SoundHandleRecord* r, std::int32_t v) {
  setOnEveryBuffer(r, [v](SoundBuffer* b) { return SoundBufferFront_SetVolumeAll(b, v); });
  for (std::int32_t& stored : r->Volume) stored = v;
  return 0;
}

std::int64_t mulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;
  return static_cast<std::int64_t>(static_cast<__int128>(a) * b / c);
}
}  // namespace

std::int32_t ConvertSamplesToMs(std::int32_t rate, std::int32_t samples) {
  return static_cast<std::int32_t>(mulDiv(samples, 1000, rate));
}

std::int32_t ConvertMsToSamples(std::int32_t rate, std::int32_t ms) {
  return static_cast<std::int32_t>(mulDiv(ms, rate, 1000));
}

int PlaySoundMem(int handle, int playType, int restartFlag) {
  if (!IsSoundOutputReady()) return -1;
  WaitWhileWindowInactive();
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr) return -1;
  if (r->StreamFlag) {
    if (PlayStreamSoundMem(handle, playType, restartFlag) != 0) return -1;
  } else {
    const int prepared = prepareSoundMemPlay(r, restartFlag);
    if (prepared == 1) return 0;
    if (prepared < 0) return -1;
    if (SoundBufferFront_Play(&r->Buffer[r->CurrentBuffer], playType == DX_PLAYTYPE_LOOP) != 0) return -1;
    if (r->Is3DSound && !r->AddPlayListFlag) {
      CriticalSection_Lock(&SoundSys.PlayListLock, __FILE__, __LINE__);
      AddHandleList(&SoundSys.PlayFirst, &r->PlayList, handle, r);
      r->AddPlayListFlag = 1;
      CriticalSection_Unlock(&SoundSys.PlayListLock);
    }
  }
  if (playType != DX_PLAYTYPE_NORMAL) return 0;
  while (ProcessWindowMessages() == 0 && CheckSoundMemPlaying(handle) == 1) Thread_Sleep(1);
  return 0;
}

int StopSoundMem(int handle) {
  SoundHandleRecord* r = GetSoundRecord(handle, 1);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return StopStreamSoundMem(handle);
  for (int i = 0; i < r->BufferNum; ++i) {
    SoundBuffer* b = &r->Buffer[i];
    r->BufferPauseFlag[i] = 0;
    r->BufferPlayStateBackupFlag[i] = 0;
    const int playing = SoundBufferFront_IsPlaying(b);
    if (playing < 0) return -1;
    if (playing) SoundBufferFront_Stop(b, 1);
  }
  return 0;
}

int CheckSoundMemPlaying(int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return CheckStreamSoundMemPlaying(handle);
  // A paused voice counts by whether it played when paused; any one playing voice
  // makes the sound play (the first paused voice alone does not decide).
  for (int i = 0; i < r->BufferNum; ++i) {
    if (r->BufferPauseFlag[i] ? r->BufferPlayStateBackupFlag[i] != 0 : SoundBufferFront_IsPlaying(&r->Buffer[i]) == 1) {
      return 1;
    }
  }
  return 0;
}

int ChangeSoundMemVolume(int volume, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  std::int32_t v = -10000;
  if (volume > 0) {
    const double factor = SoundSys.VolumeModeFlag ? 10.0 : 50.0;
    v = static_cast<std::int32_t>(std::log10(volume / 255.0) * factor * 100.0);
    v = std::max(v, -10000);
  }
  return setVolumeEverywhere(r, v);
}

int SetSoundMemVolumeHundredths(int volume, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  return setVolumeEverywhere(r, std::max(volume - 10000, -10000));
}

int SetSoundMemPan(int pan, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  pan = std::clamp(pan, -10000, 10000);
  setOnEveryBuffer(r, [pan](SoundBuffer* b) { return SoundBufferFront_SetPan(b, pan); });
  r->Pan = pan;
  return 0;
}

int SetSoundMemFrequency(int frequency, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  if (frequency == -1) frequency = 0;
  std::int32_t f = frequency;
  if (r->FrequencyScaleFlag && f > 0) f = static_cast<std::int32_t>(static_cast<float>(f) * r->FrequencyScale);
  // A rate the output cannot play (below 100 Hz or above 200 kHz) is refused and the
  // sound keeps the rate it had.
  const auto hz = static_cast<std::uint32_t>(std::max(f, 0));
  if (setOnEveryBuffer(r, [hz](SoundBuffer* b) { return SoundBufferFront_SetFrequency(b, hz); }) != 0) return -1;
  r->Frequency = frequency;
  return 0;
}

int GetSoundMemChannelVolume(int channel, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr || channel < 0 || channel > 7) return -1;
  SoundBuffer* b = answering(handle, r);
  std::int32_t v = 0;
  if (b == nullptr || SoundBufferFront_GetVolume(b, channel, &v) != 0) return -1;
  return v + 10000;
}

int GetSoundMemFrequency(int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  SoundBuffer* b = answering(handle, r);
  std::uint32_t f = 0;
  if (b == nullptr || SoundBufferFront_GetFrequency(b, &f) != 0) return -1;
  return static_cast<int>(f);
}

int GetSoundMemPan(int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  SoundBuffer* b = answering(handle, r);
  std::int32_t pan = 0;
  if (b == nullptr || SoundBufferFront_GetPan(b, &pan) != 0) return -1;
  return pan;
}

int GetSoundMemCurrentPosition(int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return GetStreamSoundMemCurrentPosition(handle);
  std::uint32_t p = 0;
  if (SoundBufferFront_GetCurrentPosition(&r->Buffer[r->CurrentBuffer], &p, nullptr) != 0) return -1;
  return static_cast<int>(p);
}

int GetSoundMemCurrentTime(int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return GetStreamSoundMemCurrentTime(handle);
  const int bytes = GetSoundMemCurrentPosition(handle);
  if (bytes < 0) return -1;
  return ConvertSamplesToMs(static_cast<std::int32_t>(r->WaveFormat.nSamplesPerSec),
                            bytes / std::max<int>(1, r->WaveFormat.nBlockAlign));
}

int GetSoundMemTotalSampleBase(int handle, int asyncFlag) {
  SoundHandleRecord* r = ready(handle, asyncFlag);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return r->TotalSample;
  return static_cast<int>(r->WaveSize / std::max<std::uint32_t>(1, r->WaveFormat.nBlockAlign));
}

int GetSoundMemTotalSample(int handle) { return GetSoundMemTotalSampleBase(handle, 0); }

int GetSoundMemTotalTime(int handle) {
  const int samples = GetSoundMemTotalSample(handle);
  if (samples < 0) return -1;
  return ConvertSamplesToMs(static_cast<std::int32_t>(GetSoundRecord(handle)->WaveFormat.nSamplesPerSec), samples);
}

int SetSoundMemCurrentPosition(int samples, int handle) {
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr) return -1;
  // The byte position is computed wide: a sample position near 2^30 times four bytes
  // a frame is past every byte position a sound can have, and is refused as such, as
  // is every position before the start.
  const std::int64_t bytes = static_cast<std::int64_t>(samples) * r->WaveFormat.nBlockAlign;
  if (bytes < 0 || bytes > 0x7FFFFFFF) return -1;
  return SetSoundMemBytePosition(static_cast<int>(bytes), handle);
}

int SetSoundMemBytePosition(int bytes, int handle) {
  SoundHandleLock lock;
  SoundHandleRecord* r = ready(handle);
  if (r == nullptr || bytes < 0) return -1;
  if (r->StreamFlag) return SetStreamSoundMemBytePosition(bytes, handle, 0);
  return SoundBufferFront_SetCurrentPosition(&r->Buffer[r->CurrentBuffer], static_cast<std::uint32_t>(bytes));
}

int SetSoundMemLoopSamplePos(int start, int end, int handle, int asyncFlag) {
  SoundHandleLock lock;
  if (start >= end) return -1;
  if (SetLoopStartSampleBase(start, handle, asyncFlag) != 0) return -1;
  return SetLoopEndSampleBase(end, handle, asyncFlag);
}

int SetSoundMemLoopTimePos(int startMs, int endMs, int handle, int asyncFlag) {
  SoundHandleLock lock;
  if (startMs >= endMs) return -1;
  if (SetLoopStartTimeBase(startMs, handle, asyncFlag) != 0) return -1;
  return SetLoopEndTimeBase(endMs, handle, asyncFlag);
}

int SetSoundMemLoopStartTime(int ms, int handle) { return SetLoopStartTimeBase(ms, handle, 0); }
int SetSoundMemLoopStartSample(int sample, int handle) { return SetLoopStartSampleBase(sample, handle, 0); }

namespace {
// The stream record a loop point goes to: a memory sound becomes a stream first; a
// sound of several sources is refused with the message given.
SoundHandleRecord* loopRecord(int handle, int asyncFlag, const char16_t* refusal) {
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (r != nullptr && !r->StreamFlag) {
    if (asyncFlag || ConvertSoundMemToStream(handle) != 0) return nullptr;
    r = GetSoundRecord(handle);
  }
  if (r != nullptr && r->EntryCount >= 2) {
    LogAddTextUtf16(refusal);
    return nullptr;
  }
  return r;
}
}  // namespace

int SetLoopStartSampleBase(int sample, int handle, int asyncFlag) {
  SoundHandleLock lock;
  SoundHandleRecord* r = ready(handle, asyncFlag);
  if (r == nullptr || sample >= GetSoundMemTotalSampleBase(handle, asyncFlag)) return -1;
  if (sample == -1) {
    if (r->StreamFlag) {
      r->Entries[0].LoopStartSamplePosition = 0;
      r->Entries[0].LoopNum = 0;
    }
    return 0;
  }
  if (sample < 0) return -1;
  r = loopRecord(handle, asyncFlag,
                 u"二つ以上の音声ファイルから作成されたサウンドハンドルにループポイントを指定する事は出来ません\n");
  if (r == nullptr) return -1;
  r->Entries[0].LoopStartSamplePosition = sample;
  r->Entries[0].LoopNum = 255;
  return 0;
}

int SetLoopEndSampleBase(int sample, int handle, int asyncFlag) {
  SoundHandleLock lock;
  SoundHandleRecord* r = ready(handle, asyncFlag);
  if (r == nullptr || sample >= GetSoundMemTotalSampleBase(handle, asyncFlag)) return -1;
  if (sample == -1) {
    if (r->StreamFlag) r->Entries[0].LoopEndSamplePosition = -1;
    return 0;
  }
  if (sample < 0) return -1;
  r = loopRecord(handle, asyncFlag,
                 u"二つ以上の音声ファイルから作成されたサウンドハンドルにループ開始位置を指定する事は出来ません\n");
  if (r == nullptr) return -1;
  r->Entries[0].LoopEndSamplePosition = sample;
  const int b = std::max<int>(1, r->WaveFormat.nBlockAlign);
  if (r->CurrentEntry == 0 && r->CompFileSize > sample * b) {
    UpdateStreamSoundPlayPosition(handle, -1, asyncFlag);
    SetStreamSoundMemBytePosition(r->PlayPosition, handle, asyncFlag);
  }
  return 0;
}

int SetLoopStartTimeBase(int ms, int handle, int asyncFlag) {
  SoundHandleRecord* r = ready(handle, asyncFlag);
  if (r == nullptr) return -1;
  const int sample = ms == -1 ? -1 : ConvertMsToSamples(static_cast<std::int32_t>(r->WaveFormat.nSamplesPerSec), ms);
  return SetLoopStartSampleBase(sample, handle, asyncFlag);
}

int SetLoopEndTimeBase(int ms, int handle, int asyncFlag) {
  SoundHandleRecord* r = ready(handle, asyncFlag);
  if (r == nullptr) return -1;
  const int sample = ms == -1 ? -1 : ConvertMsToSamples(static_cast<std::int32_t>(r->WaveFormat.nSamplesPerSec), ms);
  return SetLoopEndSampleBase(sample, handle, asyncFlag);
}

}  // namespace ZaDod
