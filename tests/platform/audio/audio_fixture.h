// A DirectSound device on the manual sink, and helpers to fill buffers and read what
// the mixer made of them.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio/audio_test.h"
#include "platform/audio/dsound.h"
#include "platform/audio/xaudio2.h"
#include "platform/win/com.h"

namespace halvorine_test {

namespace pa = plat::audio;

inline pa::WAVEFORMATEX pcmFormat(int channels, int bits, int rate) {
  const auto align = static_cast<pa::WORD>(channels * bits / 8);
  return {pa::WAVE_FORMAT_PCM, static_cast<pa::WORD>(channels), static_cast<pa::DWORD>(rate),
          static_cast<pa::DWORD>(rate) * align, align, static_cast<pa::WORD>(bits), 0};
}

// 16-bit stereo: a 1-kHz sine on the left and its cosine, at another level, on the right.
inline std::vector<std::int16_t> sineFrames(int frames) {
  std::vector<std::int16_t> s(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double a = 2.0 * 3.14159265358979 * 1000.0 * i / 44100.0;
    s[2 * i] = static_cast<std::int16_t>(std::lround(30000.0 * std::sin(a)));
    s[2 * i + 1] = static_cast<std::int16_t>(std::lround(20000.0 * std::cos(a)));
  }
  return s;
}

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    pa::UseManualAudioSinkForTest(true);
    void* object = nullptr;
    ASSERT_EQ(plat::win::CoCreateInstance(pa::CLSID_DirectSound, nullptr, plat::win::CLSCTX_ALL, pa::IID_IDirectSound,
                                          &object),
              0);
    device = static_cast<pa::IDirectSound*>(object);
    ASSERT_EQ(device->Initialize(nullptr), 0);
    pa::TakeAudioCallLogForTest();
    pa::TakeCapturedAudioForTest();
  }
  void TearDown() override {
    for (pa::IDirectSoundBuffer* b : buffers) b->Release();
    if (device != nullptr) device->Release();
    pa::UseManualAudioSinkForTest(false);
    pa::FailNextCreateSoundBuffersForTest(0);
  }

  pa::IDirectSoundBuffer* makeBuffer(const pa::WAVEFORMATEX& format, pa::DWORD bytes, pa::HRESULT* result = nullptr) {
    pa::WAVEFORMATEX f = format;
    pa::DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = pa::DSBCAPS_CTRLVOLUME | pa::DSBCAPS_CTRLPAN | pa::DSBCAPS_CTRLFREQUENCY;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &f;
    pa::IDirectSoundBuffer* b = nullptr;
    const pa::HRESULT hr = device->CreateSoundBuffer(&desc, &b, nullptr);
    if (result != nullptr) *result = hr;
    if (b != nullptr) buffers.push_back(b);
    return b;
  }

  static void fill(pa::IDirectSoundBuffer* b, const void* data, pa::DWORD bytes) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    pa::DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(0, bytes, &p1, &n1, &p2, &n2, 0), 0);
    std::memcpy(p1, data, n1);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), 0);
  }

  // Mixes `frames` frames and returns them (stereo samples).
  static std::vector<std::int16_t> mix(std::uint32_t frames) {
    pa::AdvanceAudioForTest(frames);
    return pa::TakeCapturedAudioForTest();
  }

  pa::IDirectSound* device = nullptr;
  std::vector<pa::IDirectSoundBuffer*> buffers;
};

}  // namespace halvorine_test
