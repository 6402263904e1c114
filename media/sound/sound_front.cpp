// The front of every buffer operation the sound handles make: checks that the buffer
// exists, keeps its levels in the record and answers from the record where the output
// keeps no state of its own.
#include <algorithm>

#include "media/sound/sound_handle.h"

namespace ZaDod {

int SoundBufferFront_Initialize(SoundBuffer* b, std::uint32_t bytes, const pa::WAVEFORMATEX* format,
                                SoundBuffer* source, int is3D) {
  if (b->Valid) return -1;
  if (SoundBuffer_Create(b, bytes, format, source, is3D) != 0) {
    SubSoundBufferMemoryRef(b->Wave);
    b->Wave = nullptr;
    return -1;
  }
  if (source != nullptr) {
    b->Pan = source->Pan;
    for (int i = 0; i < 8; ++i) b->Volume[i] = source->Volume[i];
    b->Frequency = source->Frequency;
    b->SampleNum = source->SampleNum;
    b->Format = source->Format;
  } else {
    b->Pan = 0;
    for (int i = 0; i < 8; ++i) b->Volume[i] = 0;
    b->Frequency = -1;
    b->Format = *format;
    b->SampleNum = format->nBlockAlign != 0 ? static_cast<std::int32_t>(bytes / format->nBlockAlign) : 0;
  }
  b->Is3D = is3D;
  SoundBuffer_Init3D(b, source, is3D);
  b->Valid = 1;
  return 0;
}

int SoundBufferFront_Duplicate(SoundBuffer* b, SoundBuffer* source, int is3D) {
  return SoundBufferFront_Initialize(b, 0, nullptr, source, is3D);
}

int SoundBufferFront_Terminate(SoundBuffer* b) {
  if (!b->Valid) return -1;
  SoundBuffer_Release(b);
  b->Valid = 0;
  return 0;
}

int SoundBufferFront_IsPlaying(SoundBuffer* b) { return b->Valid ? SoundBuffer_IsPlaying(b) : -1; }

int SoundBufferFront_Play(SoundBuffer* b, int loop) {
  if (!b->Valid) return -1;
  b->Loop.store(loop);
  return SoundBuffer_Play(b, loop);
}

int SoundBufferFront_Stop(SoundBuffer* b, int reverbRelease) {
  return b->Valid ? SoundBuffer_Stop(b, reverbRelease) : -1;
}

int SoundBufferFront_GetCurrentPosition(SoundBuffer* b, std::uint32_t* play, std::uint32_t* write) {
  if (!b->Valid) return -1;
  pa::DWORD p = 0, w = 0;
  const int r = SoundBuffer_GetCurrentPosition(b, &p, &w);
  if (r < 0) return -1;
  if (r == 2) p = w = static_cast<pa::DWORD>(b->PlayPos.load()) * b->Format.nBlockAlign;
  if (play != nullptr) *play = p;
  if (write != nullptr) *write = w;
  return 0;
}

int SoundBufferFront_SetCurrentPosition(SoundBuffer* b, std::uint32_t bytes) {
  return b->Valid ? SoundBuffer_SetCurrentPosition(b, bytes) : -1;
}

int SoundBufferFront_GetFrequency(SoundBuffer* b, std::uint32_t* frequency) {
  if (!b->Valid) return -1;
  pa::DWORD f = 0;
  const int r = SoundBuffer_GetFrequency(b, &f);
  if (r < 0) return -1;
  if (r == 2) f = b->Frequency < 0 ? b->Format.nSamplesPerSec : static_cast<pa::DWORD>(b->Frequency);
  *frequency = f;
  return 0;
}

int SoundBufferFront_SetFrequency(SoundBuffer* b, std::uint32_t frequency) {
  if (!b->Valid) return -1;
  const std::int32_t before = b->Frequency;
  b->Frequency = frequency == 0 ? -1 : static_cast<std::int32_t>(frequency);
  const int result = SoundBuffer_SetFrequency(b, frequency);
  if (result < 0) b->Frequency = before;  // a rate the output refused is not kept
  return result;
}

int SoundBufferFront_GetPan(SoundBuffer* b, std::int32_t* pan) {
  if (!b->Valid) return -1;
  *pan = b->Pan;
  return 0;
}

int SoundBufferFront_SetPan(SoundBuffer* b, std::int32_t pan) {
  if (!b->Valid) return -1;
  b->Pan = std::clamp(pan, -10000, 10000);
  return SoundBuffer_ApplyVolume(b);
}

int SoundBufferFront_GetVolume(SoundBuffer* b, int channel, std::int32_t* volume) {
  if (!b->Valid || channel < 0 || channel > 7) return -1;
  *volume = b->Volume[channel];
  return 0;
}

int SoundBufferFront_SetVolume(SoundBuffer* b, int channel, std::int32_t volume) {
  if (!b->Valid || channel < 0 || channel > 7) return -1;
  b->Volume[channel] = volume;
  return SoundBuffer_ApplyVolume(b);
}

int SoundBufferFront_SetVolumeAll(SoundBuffer* b, std::int32_t volume) {
  if (!b->Valid) return -1;
  for (int i = 0; i < 8; ++i) b->Volume[i] = volume;
  return SoundBuffer_ApplyVolume(b);
}

int SoundBufferFront_RefreshVolume(SoundBuffer* b) { return b->Valid ? SoundBuffer_ApplyVolume(b) : -1; }

int SoundBufferFront_Lock(SoundBuffer* b, std::uint32_t offset, std::uint32_t bytes, void** first,
                          std::uint32_t* firstBytes, void** second, std::uint32_t* secondBytes) {
  if (!b->Valid) return -1;
  pa::DWORD n1 = 0, n2 = 0;
  const int r = SoundBuffer_Lock(b, offset, bytes, first, &n1, second, &n2);
  if (r < 0) return -1;
  if (r == 2) {
    const std::uint32_t size = static_cast<std::uint32_t>(b->SampleNum) * b->Format.nBlockAlign;
    if (b->Wave == nullptr || offset >= size || bytes > size) return -1;
    auto* data = static_cast<std::uint8_t*>(b->Wave->Data);
    *first = data + offset;
    n1 = std::min(bytes, size - offset);
    *second = n1 < bytes ? data : nullptr;
    n2 = bytes - n1;
  }
  *firstBytes = n1;
  *secondBytes = n2;
  return 0;
}

int SoundBufferFront_Unlock(SoundBuffer* b, void* first, std::uint32_t firstBytes, void* second,
                            std::uint32_t secondBytes) {
  return b->Valid ? SoundBuffer_Unlock(b, first, firstBytes, second, secondBytes) : -1;
}

}  // namespace ZaDod
