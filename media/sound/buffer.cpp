// Sound buffer operations: each branches on the output kind, DirectSound buffer or
// XAudio2 source voice.
#include "media/sound/buffer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "media/sound/buffer_internal.h"

namespace ZaDod {

namespace {
bool xa() { return SoundOutput.UseXAudio2Flag != 0; }
}  // namespace

int SoundBuffer_Initialize(SoundBuffer* buffer) {
  new (buffer) SoundBuffer{};
  return 0;
}

int SoundBuffer_Create(SoundBuffer* buffer, std::uint32_t bytes, const pa::WAVEFORMATEX* format, SoundBuffer* source,
                       int is3D) {
  buffer->DSBuffer = nullptr;
  buffer->XA2SourceVoice = nullptr;
  buffer->XA2SubmixVoice = nullptr;
  buffer->XA2ReverbEffect = nullptr;
  buffer->XA2Callback = nullptr;
  pa::WAVEFORMATEX wave;
  if (source != nullptr) {
    wave = source->Format;
    bytes = static_cast<std::uint32_t>(source->Format.nBlockAlign) * static_cast<std::uint32_t>(source->SampleNum);
  } else {
    if (format == nullptr) return -1;
    wave = *format;
  }
  if (xa()) return CreateXAudio2Buffer(buffer, bytes, wave, source, is3D);

  if (SoundOutput.DirectSound == nullptr) return -1;
  const pa::DWORD location = SoundOutput.SoftwareMixFlag ? pa::DSBCAPS_LOCSOFTWARE : pa::DSBCAPS_STATIC;
  pa::DSBUFFERDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = location | pa::DSBCAPS_GETCURRENTPOSITION2 | pa::DSBCAPS_GLOBALFOCUS | pa::DSBCAPS_CTRLFREQUENCY |
                 pa::DSBCAPS_CTRLPAN | pa::DSBCAPS_CTRLVOLUME;
  desc.dwBufferBytes = bytes;
  desc.lpwfxFormat = &wave;
  if (SoundOutput.DirectSound->CreateSoundBuffer(&desc, &buffer->DSBuffer, nullptr) < 0) {
    desc.dwFlags = location | pa::DSBCAPS_CTRLPAN | pa::DSBCAPS_CTRLVOLUME;
    if (SoundOutput.DirectSound->CreateSoundBuffer(&desc, &buffer->DSBuffer, nullptr) < 0) {
      buffer->DSBuffer = nullptr;
      return -1;
    }
  }
  buffer->Format = wave;
  if (wave.nBlockAlign != 0) buffer->SampleNum = static_cast<std::int32_t>(bytes / wave.nBlockAlign);
  if (source != nullptr) TakeSourceSettings(buffer, source);
  return 0;
}

void TakeSourceSettings(SoundBuffer* buffer, const SoundBuffer* source) {
  for (int i = 0; i < 8; ++i) buffer->Volume[i] = source->Volume[i];
  buffer->Frequency = source->Frequency;
  buffer->Pan = source->Pan;
  SoundBuffer_ApplyVolume(buffer);
  if (buffer->Frequency > 0) SoundBuffer_SetFrequency(buffer, static_cast<pa::DWORD>(buffer->Frequency));
}

int SoundBuffer_Release(SoundBuffer* buffer) {
  if (buffer->DSBuffer != nullptr) buffer->DSBuffer->Release();
  buffer->DSBuffer = nullptr;
  ReleaseXAudio2Objects(buffer);
  SubSoundBufferMemoryRef(buffer->Wave);
  buffer->Wave = nullptr;
  return 0;
}

int SoundBuffer_Play(SoundBuffer* buffer, int loop) {
  if (xa()) {
    if (buffer->XA2SourceVoice == nullptr) return -1;
    buffer->Loop.store(loop != 0 ? 1 : 0);
    buffer->Playing.store(1);
    if (buffer->XA2SourceVoice->Start(0, pa::XAUDIO2_COMMIT_NOW) < 0) return -1;
    if (buffer->XA2SubmixVoice != nullptr) buffer->XA2SubmixVoice->EnableEffect(0, pa::XAUDIO2_COMMIT_NOW);
    buffer->ReverbState = 1;
    buffer->ReverbTime = 0;
    return 0;
  }
  if (buffer->DSBuffer == nullptr) return -1;
  return buffer->DSBuffer->Play(0, 0, loop != 0 ? pa::DSBPLAY_LOOPING : 0) < 0 ? -1 : 0;
}

int SoundBuffer_Stop(SoundBuffer* buffer, int disableReverb) {
  if (xa()) {
    if (buffer->XA2SourceVoice != nullptr) buffer->XA2SourceVoice->Stop(0, pa::XAUDIO2_COMMIT_NOW);
    if (buffer->XA2SubmixVoice != nullptr && disableReverb) {
      buffer->XA2SubmixVoice->DisableEffect(0, pa::XAUDIO2_COMMIT_NOW);
    }
    buffer->Playing.store(0);
    return 0;
  }
  if (buffer->DSBuffer != nullptr) buffer->DSBuffer->Stop();
  return 0;
}

int SoundBuffer_IsPlaying(SoundBuffer* buffer) {
  if (xa()) return buffer->Playing.load();
  if (buffer->DSBuffer == nullptr) return -1;
  pa::DWORD status = 0;
  if (buffer->DSBuffer->GetStatus(&status) < 0) return -1;
  return (status & pa::DSBSTATUS_PLAYING) != 0 ? 1 : 0;
}

int SoundBuffer_IsValid(SoundBuffer* buffer) {
  return buffer->DSBuffer != nullptr || buffer->XA2SourceVoice != nullptr ? 1 : 0;
}

int SoundBuffer_GetCurrentPosition(SoundBuffer* buffer, pa::DWORD* play, pa::DWORD* write) {
  if (xa()) return 2;
  if (buffer->DSBuffer == nullptr || buffer->DSBuffer->GetCurrentPosition(play, write) < 0) return -1;
  return 0;
}

int SoundBuffer_SetCurrentPosition(SoundBuffer* buffer, pa::DWORD bytePosition) {
  if (xa()) {
    // A position past the data is refused, as the DirectSound output does, so the
    // mixer never reads beyond the buffer.
    const std::int64_t frame = buffer->Format.nBlockAlign != 0 ? bytePosition / buffer->Format.nBlockAlign : 0;
    if (frame >= buffer->SampleNum) return -1;
    buffer->PlayPos.store(static_cast<std::int32_t>(frame));
    buffer->CompPos.store(static_cast<std::int32_t>(frame));
    if (buffer->XA2SourceVoice != nullptr) buffer->XA2SourceVoice->FlushSourceBuffers();
    return 0;
  }
  if (buffer->DSBuffer == nullptr || buffer->DSBuffer->SetCurrentPosition(bytePosition) < 0) return -1;
  return 0;
}

int SoundBuffer_GetFrequency(SoundBuffer* buffer, pa::DWORD* frequency) {
  if (xa()) return 2;
  if (buffer->DSBuffer == nullptr || buffer->DSBuffer->GetFrequency(frequency) < 0) return -1;
  return 0;
}

int SoundBuffer_SetFrequency(SoundBuffer* buffer, pa::DWORD frequency) {
  if (xa()) {
    if (buffer->XA2SourceVoice == nullptr) return -1;
    const float ratio = frequency == 0 ? 1.0f
                                       : static_cast<float>(frequency) /
                                             static_cast<float>(buffer->Format.nSamplesPerSec);
    buffer->XA2SourceVoice->SetFrequencyRatio(ratio, pa::XAUDIO2_COMMIT_NOW);
    return 0;
  }
  if (buffer->DSBuffer == nullptr || buffer->DSBuffer->SetFrequency(frequency) < 0) return -1;
  return 0;
}

int SoundBuffer_Lock(SoundBuffer* buffer, pa::DWORD offset, pa::DWORD bytes, void** first, pa::DWORD* firstBytes,
                     void** second, pa::DWORD* secondBytes) {
  if (xa()) return 2;
  if (buffer->DSBuffer == nullptr ||
      buffer->DSBuffer->Lock(offset, bytes, first, firstBytes, second, secondBytes, 0) < 0) {
    return -1;
  }
  return 0;
}

int SoundBuffer_Unlock(SoundBuffer* buffer, void* first, pa::DWORD firstBytes, void* second, pa::DWORD secondBytes) {
  if (xa()) {
    FillStereoCopy(buffer, first, firstBytes);
    FillStereoCopy(buffer, second, secondBytes);
    return 0;
  }
  if (buffer->DSBuffer == nullptr || buffer->DSBuffer->Unlock(first, firstBytes, second, secondBytes) < 0) return -1;
  return 0;
}

int SoundBuffer_ApplyVolume(SoundBuffer* buffer) {
  const int channels = buffer->Format.nChannels < 8 ? buffer->Format.nChannels : 8;
  if (xa()) {
    float factors[8];
    for (int i = 0; i < 8; ++i) factors[i] = std::pow(10.0f, static_cast<float>(buffer->Volume[i]) / 100.0f / 20.0f);
    if (channels <= 2) {
      const std::int32_t p = buffer->Pan;
      if (p < 0) factors[1] *= std::pow(10.0f, static_cast<float>(p) / 100.0f / 20.0f);
      if (p > 0) factors[0] *= std::pow(10.0f, static_cast<float>(-p) / 100.0f / 20.0f);
    }
    if (buffer->XA2SourceVoice != nullptr) {
      buffer->XA2SourceVoice->SetChannelVolumes(static_cast<pa::UINT32>(buffer->VoiceChannels), factors,
                                                pa::XAUDIO2_COMMIT_NOW);
    }
    return 0;
  }
  if (buffer->DSBuffer == nullptr) return 0;
  if (channels >= 3) {
    buffer->DSBuffer->SetVolume(std::clamp(buffer->Volume[0], -10000, 0));
    buffer->DSBuffer->SetPan(buffer->Pan);
    return 0;
  }
  const DirectSoundLevels levels = ComputeDirectSoundLevels(buffer);
  buffer->DSBuffer->SetPan(levels.pan);
  buffer->DSBuffer->SetVolume(levels.volume);
  return 0;
}

DirectSoundLevels ComputeDirectSoundLevels(const SoundBuffer* buffer) {
  std::int32_t l = buffer->Volume[0];
  std::int32_t r = buffer->Format.nChannels >= 2 ? buffer->Volume[1] : buffer->Volume[0];
  if (buffer->Is3D) {
    float lf = std::pow(10.0f, static_cast<float>(l) / 100.0f / 20.0f);
    float rf = std::pow(10.0f, static_cast<float>(r) / 100.0f / 20.0f);
    // A source on the listener's left (negative pan) quietens the right side.
    const float q = buffer->Pan3D;
    if (q < 0.0f) rf *= 1.0f + q;
    if (q > 0.0f) lf *= 1.0f - q;
    lf *= buffer->Volume3DFactor;
    rf *= buffer->Volume3DFactor;
    l = lf > 0.0f ? static_cast<std::int32_t>(std::lround(2000.0 * std::log10(lf))) : -10000;
    r = rf > 0.0f ? static_cast<std::int32_t>(std::lround(2000.0 * std::log10(rf))) : -10000;
  }
  l = std::clamp(l, -10000, 0);
  r = std::clamp(r, -10000, 0);
  const std::int32_t p = buffer->Pan;
  const std::int32_t leftScale = p < 0 ? 10000 : 10000 - p;
  const std::int32_t rightScale = p < 0 ? p + 10000 : 10000;
  const std::int32_t lp = (l + 10000) * leftScale / 10000;
  const std::int32_t rp = (r + 10000) * rightScale / 10000;
  DirectSoundLevels out{};
  if (rp < lp) {
    out.volume = lp - 10000;
    out.pan = static_cast<std::int32_t>(std::round(10000.0 / lp * rp)) - 10000;
  } else if (lp < rp) {
    out.volume = rp - 10000;
    out.pan = 10000 - static_cast<std::int32_t>(std::round(10000.0 / rp * lp));
  } else {
    out.volume = lp - 10000;
    out.pan = 0;
  }
  return out;
}

}  // namespace ZaDod
