// Sound output tests run on the manual sink with the run-time functions loaded and a
// fresh output state.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/sound/buffer.h"
#include "media/sound/output.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"
#include "tests/media/log_capture.h"

namespace halvorine_test {

class SoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    plat::audio::UseManualAudioSinkForTest(true);
    ZaDod::LoadWinAPI();
    ZaDod::SoundOutput = ZaDod::SoundOutputState{};
  }
  void TearDown() override {
    for (ZaDod::SoundBuffer* b : buffers) {
      ZaDod::SoundBuffer_Release(b);
      delete b;
    }
    ZaDod::TerminateSoundOutput();
    ZaDod::SoundOutput = ZaDod::SoundOutputState{};
    unsetenv("HALVORINE_MISSING");
    plat::audio::UseManualAudioSinkForTest(false);
  }

  // Starts the output of the given kind; 8 or 7 for XAudio2, 0 for DirectSound.
  void start(int xaudio2Version) {
    if (xaudio2Version == 7) setenv("HALVORINE_MISSING", "xaudio2_8", 1);
    ZaDod::SoundOutput.UseXAudio2Flag = xaudio2Version != 0 ? 1 : 0;
    ASSERT_EQ(ZaDod::InitializeSoundOutput(), 0);
    ASSERT_EQ(ZaDod::SoundOutput.XAudio2Version, xaudio2Version);
    plat::audio::TakeAudioCallLogForTest();
    plat::audio::TakeCapturedAudioForTest();
  }

  ZaDod::SoundBuffer* makeBuffer(int channels, int bits, int rate, std::uint32_t frames, int is3D = 0) {
    auto* b = new ZaDod::SoundBuffer;
    ZaDod::SoundBuffer_Initialize(b);
    const auto align = static_cast<plat::audio::WORD>(channels * bits / 8);
    const plat::audio::WAVEFORMATEX format{plat::audio::WAVE_FORMAT_PCM, static_cast<plat::audio::WORD>(channels),
                                           static_cast<plat::audio::DWORD>(rate),
                                           static_cast<plat::audio::DWORD>(rate) * align, align,
                                           static_cast<plat::audio::WORD>(bits), 0};
    if (ZaDod::SoundBuffer_Create(b, frames * align, &format, nullptr, is3D) != 0) {
      delete b;
      return nullptr;
    }
    ZaDod::SoundBuffer_Init3D(b, nullptr, is3D);
    buffers.push_back(b);
    return b;
  }

  // Writes bytes at the start of a buffer through the buffer's own lock on either output.
  static void write(ZaDod::SoundBuffer* b, const void* data, std::uint32_t bytes) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    plat::audio::DWORD n1 = 0, n2 = 0;
    const int locked = ZaDod::SoundBuffer_Lock(b, 0, bytes, &p1, &n1, &p2, &n2);
    if (locked == 2) {  // XAudio2: the data itself
      p1 = b->Wave->Data;
      n1 = bytes;
    }
    ASSERT_GE(locked, 0);
    std::memcpy(p1, data, n1);
    ASSERT_EQ(ZaDod::SoundBuffer_Unlock(b, p1, n1, p2, n2), 0);
  }

  std::vector<ZaDod::SoundBuffer*> buffers;
};

}  // namespace halvorine_test
