// XAudio2 sound buffers: the shared wave-data block, the callback that feeds a voice
// from it, creation and release of the voices, and the stereo copy of mono data.
#include <algorithm>
#include <cstring>
#include <new>

#include "media/base/memory.h"
#include "media/sound/buffer_internal.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

constexpr std::size_t kAlign = 16;

std::uintptr_t alignUp(std::uintptr_t p) { return (p + kAlign - 1) & ~(kAlign - 1); }

}  // namespace

// The data starts at the first 16-byte boundary after the header, and the stereo copy
// at the next boundary after the data; the block has room for both paddings whatever
// the allocator's alignment.
SoundBufferMemory* AllocSoundBufferMemory(std::size_t size, int withStereoCopy) {
  const std::size_t copy = withStereoCopy ? 2 * size + (kAlign - 1) : 0;
  const std::size_t total = sizeof(SoundBufferMemory) + (kAlign - 1) + size + copy;
  void* memory = MemAlloc(total, "SoundBuffer", __LINE__);
  if (memory == nullptr) return nullptr;
  auto* block = new (memory) SoundBufferMemory{};
  const std::uintptr_t data = alignUp(reinterpret_cast<std::uintptr_t>(memory) + sizeof(SoundBufferMemory));
  block->Data = reinterpret_cast<void*>(data);
  block->StereoCopy = withStereoCopy ? reinterpret_cast<void*>(alignUp(data + size)) : nullptr;
  block->Size = size;
  block->RefCount.store(1);
  return block;
}

int AddSoundBufferMemoryRef(SoundBufferMemory* block) {
  if (block == nullptr) return -1;
  block->RefCount.fetch_add(1);
  return 0;
}

int SubSoundBufferMemoryRef(SoundBufferMemory* block) {
  if (block == nullptr) return 0;
  if (block->RefCount.fetch_sub(1) == 1) {
    block->~SoundBufferMemory();
    MemFree(block);
  }
  return 0;
}

void SOUNDBUFFER_CALLBACK::OnVoiceProcessingPassStart(pa::UINT32 bytesRequired) {
  SoundBuffer* b = Buffer;
  const std::int32_t chunk = static_cast<std::int32_t>(b->Format.nSamplesPerSec / 60);
  const std::uint32_t frameSize = static_cast<std::uint32_t>(b->Format.wBitsPerSample) * b->VoiceChannels / 8;
  const auto* data = static_cast<const pa::BYTE*>(b->Wave->StereoCopy != nullptr ? b->Wave->StereoCopy
                                                                                   : b->Wave->Data);
  const std::int32_t frames = b->SampleNum;
  std::int32_t p = b->CompPos.load();
  if (bytesRequired == 0 || frameSize == 0) {
    b->CompPos.store(p);
    return;
  }
  // A looping buffer shorter than a submission would need more submissions a pass
  // than the voice queues and fall silent between them: it plays from copies of itself
  // laid end to end, so each submission is a whole one.
  std::int32_t span = frames;
  const bool unrolled = b->Loop.load() && frames > 0 && frames < chunk;
  if (unrolled) {
    const std::size_t one = static_cast<std::size_t>(frames) * frameSize;
    const std::size_t copies = static_cast<std::size_t>(chunk / frames) + 2;
    Unrolled.resize(copies * one);
    for (std::size_t k = 0; k < copies; ++k) std::memcpy(Unrolled.data() + k * one, data, one);
    data = Unrolled.data();
    span = static_cast<std::int32_t>(copies) * frames;
  }
  std::uint32_t count = 0;
  for (;;) {
    if (p >= frames) {
      if (!b->Loop.load()) {
        // Everything is submitted. When it has all been heard too (or there was
        // nothing), stop now; otherwise the end of the last buffer stops the voice.
        if (b->PlayPos.load() >= frames) {
          b->Playing.store(0);
          b->XA2SourceVoice->Stop(0, pa::XAUDIO2_COMMIT_NOW);
        }
        break;
      }
      p = 0;
    }
    std::int32_t n = std::min(chunk, span - p);
    std::uint32_t bytes = static_cast<std::uint32_t>(n) * frameSize;
    const std::uint32_t left = bytesRequired - count;
    if (bytes > left) {
      n = static_cast<std::int32_t>(left / frameSize);
      bytes = static_cast<std::uint32_t>(n) * frameSize;
    }
    // Nothing to submit (an empty looping buffer, a request under one frame): done.
    if (n == 0) break;
    pa::XAUDIO2_BUFFER submit{};
    submit.AudioBytes = bytes;
    submit.pAudioData = data + static_cast<std::size_t>(p) * frameSize;
    submit.pContext = b;
    if (b->XA2SourceVoice->SubmitSourceBuffer(&submit, nullptr) < 0) break;
    p += n;
    if (unrolled) p %= frames;
    count += bytes;
    if (count >= bytesRequired) break;
  }
  b->CompPos.store(p);
}

void SOUNDBUFFER_CALLBACK::OnBufferEnd(void* context) {
  auto* b = static_cast<SoundBuffer*>(context);
  if (b == nullptr) return;
  const std::int32_t submitted = b->CompPos.load();
  b->PlayPos.store(submitted);
  // The last piece of a buffer played once has been heard: the voice stops here, so
  // the sound ends with its last sample.
  if (!b->Loop.load() && submitted >= b->SampleNum && b->Playing.load()) {
    pa::XAUDIO2_VOICE_STATE state{};
    b->XA2SourceVoice->GetState(&state, 0);
    if (state.BuffersQueued == 0) {
      b->Playing.store(0);
      b->XA2SourceVoice->Stop(0, pa::XAUDIO2_COMMIT_NOW);
    }
  }
}

void ReleaseXAudio2Objects(SoundBuffer* buffer) {
  if (buffer->XA2SourceVoice != nullptr) buffer->XA2SourceVoice->DestroyVoice();
  buffer->XA2SourceVoice = nullptr;
  if (buffer->XA2SubmixVoice != nullptr) buffer->XA2SubmixVoice->DestroyVoice();
  buffer->XA2SubmixVoice = nullptr;
  if (buffer->XA2ReverbEffect != nullptr) buffer->XA2ReverbEffect->Release();
  buffer->XA2ReverbEffect = nullptr;
  delete buffer->XA2Callback;
  buffer->XA2Callback = nullptr;
}

int CreateXAudio2Buffer(SoundBuffer* buffer, std::uint32_t bytes, const pa::WAVEFORMATEX& format, SoundBuffer* source,
                        int is3D) {
  SoundOutputState& s = SoundOutput;
  pa::IXAudio2* engine8 = s.XAudio2;
  pa::IXAudio2_7* engine7 = s.XAudio2_7;
  if (engine8 == nullptr && engine7 == nullptr) return -1;
  if (format.nBlockAlign == 0) return -1;
  pa::WAVEFORMATEX voiceFormat = format;
  bool widened = false;
  auto fail = [&] {
    ReleaseXAudio2Objects(buffer);
    return -1;
  };

  if (!is3D) {
    if (format.nChannels == 1) {
      voiceFormat.nChannels = 2;
      voiceFormat.nBlockAlign = static_cast<pa::WORD>(format.wBitsPerSample * 2 / 8);
      voiceFormat.nAvgBytesPerSec = voiceFormat.nBlockAlign * voiceFormat.nSamplesPerSec;
      widened = true;
    }
  } else {
    void* effect = nullptr;
    if (s.XAudio2Version == 8) {
      plat::win::IUnknown* made = nullptr;
      if (s.CreateAudioReverbFunc == nullptr || s.CreateAudioReverbFunc(&made) < 0) return fail();
      effect = made;
    } else if (CoCreateInstanceASync(pa::CLSID_AudioReverb_2_7, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                                     plat::win::IID_IUnknown, &effect, 0) < 0) {
      return fail();
    }
    buffer->XA2ReverbEffect = static_cast<plat::win::IUnknown*>(effect);
    pa::XAUDIO2_EFFECT_DESCRIPTOR descriptor{buffer->XA2ReverbEffect, 1, format.nChannels};
    pa::XAUDIO2_EFFECT_CHAIN chain{1, &descriptor};
    const plat::win::HRESULT hr = engine8 != nullptr
                             ? engine8->CreateSubmixVoice(&buffer->XA2SubmixVoice, format.nChannels,
                                                          s.OutputSampleRate, 0, 0, nullptr, &chain)
                             : engine7->CreateSubmixVoice(&buffer->XA2SubmixVoice, format.nChannels,
                                                          s.OutputSampleRate, 0, 0, nullptr, &chain);
    if (hr < 0) return fail();
    buffer->ReverbParam = s.ReverbPresets[0];
    const pa::UINT32 size = s.XAudio2Version == 7 ? pa::kReverbParameters27Size
                                                  : sizeof(pa::XAUDIO2FX_REVERB_PARAMETERS);
    buffer->XA2SubmixVoice->SetEffectParameters(0, &buffer->ReverbParam, size, pa::XAUDIO2_COMMIT_NOW);
    buffer->XA2SubmixVoice->DisableEffect(0, pa::XAUDIO2_COMMIT_NOW);
  }

  buffer->VoiceChannels = voiceFormat.nChannels;
  if (source != nullptr && source->Wave != nullptr) {
    AddSoundBufferMemoryRef(source->Wave);
    buffer->Wave = source->Wave;
  } else {
    buffer->Wave = AllocSoundBufferMemory(bytes, widened ? 1 : 0);
  }
  if (buffer->Wave == nullptr) return fail();
  buffer->Format = format;
  buffer->SampleNum = static_cast<std::int32_t>(bytes / format.nBlockAlign);

  buffer->XA2Callback = new (std::nothrow) SOUNDBUFFER_CALLBACK(buffer);
  if (buffer->XA2Callback == nullptr) return fail();
  pa::XAUDIO2_SEND_DESCRIPTOR sends[2] = {};
  pa::XAUDIO2_VOICE_SENDS sendList{2, sends};
  if (is3D) {
    sends[0] = {pa::XAUDIO2_SEND_USEFILTER, s.XAudio2Version == 7 ? s.MasteringVoice27 : s.MasteringVoice};
    sends[1] = {pa::XAUDIO2_SEND_USEFILTER, buffer->XA2SubmixVoice};
  }
  const plat::win::HRESULT hr =
      engine8 != nullptr
          ? engine8->CreateSourceVoice(&buffer->XA2SourceVoice, &voiceFormat, 0, 2.0f, buffer->XA2Callback,
                                       is3D ? &sendList : nullptr, nullptr)
          : engine7->CreateSourceVoice(&buffer->XA2SourceVoice, &voiceFormat, 0, 2.0f, buffer->XA2Callback,
                                       is3D ? &sendList : nullptr, nullptr);
  if (hr < 0) {
    buffer->XA2SourceVoice = nullptr;
    return fail();
  }
  buffer->PlayPos.store(0);
  buffer->CompPos.store(0);
  buffer->Playing.store(0);
  if (source != nullptr) TakeSourceSettings(buffer, source);
  return 0;
}

void FillStereoCopy(SoundBuffer* buffer, const void* range, pa::DWORD bytes) {
  if (range == nullptr || bytes == 0 || buffer->Wave == nullptr || buffer->Wave->StereoCopy == nullptr) return;
  const auto* data = static_cast<const pa::BYTE*>(buffer->Wave->Data);
  const auto* from = static_cast<const pa::BYTE*>(range);
  if (from < data || from + bytes > data + buffer->Wave->Size) return;
  const std::size_t offset = static_cast<std::size_t>(from - data);
  auto* copy = static_cast<pa::BYTE*>(buffer->Wave->StereoCopy);
  if (buffer->Format.wBitsPerSample == 8) {
    for (std::size_t k = 0; k < bytes; ++k) {
      const std::uint16_t v = static_cast<std::uint16_t>(from[k] * 257u);
      std::memcpy(copy + 2 * (offset + k), &v, 2);
    }
  } else {
    // The sample is taken unsigned, so a negative one is the same in both halves.
    for (std::size_t k = 0; k + 2 <= bytes; k += 2) {
      std::uint16_t s;
      std::memcpy(&s, from + k, 2);
      const std::uint32_t v = static_cast<std::uint32_t>(s) * 65537u;
      std::memcpy(copy + 2 * (offset + k), &v, 4);
    }
  }
}

}  // namespace ZaDod
