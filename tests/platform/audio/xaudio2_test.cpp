// The XAudio2 face: voices fed from callbacks, buffer ends and flushes, ratios, and
// voices made and destroyed while the mixing thread runs.
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/audio/dmusic.h"
#include "tests/platform/audio/audio_fixture.h"

namespace halvorine_test {
namespace {

// Submits the source in 1/60-s chunks whenever the engine asks, as the media layer does.
struct ChunkFeeder final : pa::IXAudio2VoiceCallback {
  pa::IXAudio2SourceVoice* voice = nullptr;
  const std::int16_t* data = nullptr;
  int frames = 0;
  int position = 0;
  int ended = 0;
  std::vector<void*> endContexts;
  void OnVoiceProcessingPassStart(pa::UINT32 bytesRequired) override {
    std::uint32_t given = 0;
    while (given < bytesRequired && position < frames) {
      const int n = std::min(735, frames - position);
      pa::XAUDIO2_BUFFER b{};
      b.AudioBytes = static_cast<pa::UINT32>(n * 4);
      b.pAudioData = reinterpret_cast<const pa::BYTE*>(data + 2 * position);
      b.pContext = reinterpret_cast<void*>(static_cast<std::uintptr_t>(position + 1));
      if (voice->SubmitSourceBuffer(&b, nullptr) != 0) break;
      position += n;
      given += b.AudioBytes;
    }
  }
  void OnVoiceProcessingPassEnd() override {}
  void OnStreamEnd() override {}
  void OnBufferStart(void*) override {}
  void OnBufferEnd(void* context) override {
    ++ended;
    endContexts.push_back(context);
  }
  void OnLoopEnd(void*) override {}
  void OnVoiceError(void*, pa::HRESULT) override {}
};

class XAudio2Test : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    ASSERT_EQ(pa::XAudio2Create(&engine, 0, pa::XAUDIO2_ANY_PROCESSOR), 0);
    ASSERT_EQ(engine->CreateMasteringVoice(&master, 0, 44100, 0, nullptr, nullptr, pa::AudioCategory_GameEffects), 0);
  }
  void TearDown() override {
    if (master != nullptr) master->DestroyVoice();
    if (engine != nullptr) engine->Release();
    AudioTest::TearDown();
  }
  pa::IXAudio2* engine = nullptr;
  pa::IXAudio2MasteringVoice* master = nullptr;
};

TEST_F(XAudio2Test, ACallbackFedVoiceReproducesItsSourceBitExact) {
  constexpr int kFrames = 44100 / 2;
  const std::vector<std::int16_t> src = sineFrames(kFrames);
  ChunkFeeder feeder;
  feeder.data = src.data();
  feeder.frames = kFrames;
  pa::WAVEFORMATEX format = pcmFormat(2, 16, 44100);
  ASSERT_EQ(engine->CreateSourceVoice(&feeder.voice, &format, 0, 2.0f, &feeder, nullptr, nullptr), 0);
  ASSERT_EQ(feeder.voice->Start(0, 0), 0);
  const std::vector<std::int16_t> out = mix(kFrames + 4410);
  for (int i = 0; i < kFrames * 2; ++i) ASSERT_EQ(out[i], src[i]) << "sample " << i;
  for (size_t i = kFrames * 2; i < out.size(); ++i) ASSERT_EQ(out[i], 0);
  EXPECT_EQ(feeder.ended, (kFrames + 734) / 735);
  pa::XAUDIO2_VOICE_STATE state{};
  feeder.voice->GetState(&state, 0);
  EXPECT_EQ(state.BuffersQueued, 0u);
  EXPECT_EQ(state.SamplesPlayed, static_cast<pa::UINT64>(kFrames));

  // Frequency ratios are clamped to [1/1024, the voice's maximum].
  float ratio = 0;
  feeder.voice->SetFrequencyRatio(5.0f, 0);
  feeder.voice->GetFrequencyRatio(&ratio);
  EXPECT_EQ(ratio, 2.0f);
  feeder.voice->SetFrequencyRatio(0.0f, 0);
  feeder.voice->GetFrequencyRatio(&ratio);
  EXPECT_EQ(ratio, 1.0f / 1024.0f);
  feeder.voice->DestroyVoice();
}

TEST_F(XAudio2Test, FlushReportsEveryBufferAndMatricesAndVolumesApply) {
  std::vector<std::int16_t> mono(4410, 1000);
  ChunkFeeder idle;  // submits nothing: frames 0
  pa::WAVEFORMATEX format = pcmFormat(1, 16, 44100);
  pa::IXAudio2SourceVoice* voice = nullptr;
  ASSERT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, &idle, nullptr, nullptr), 0);
  for (int i = 0; i < 5; ++i) {
    pa::XAUDIO2_BUFFER b{};
    b.AudioBytes = 4410 * 2;
    b.pAudioData = reinterpret_cast<const pa::BYTE*>(mono.data());
    b.pContext = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1));
    ASSERT_EQ(voice->SubmitSourceBuffer(&b, nullptr), 0);
  }
  ASSERT_EQ(voice->FlushSourceBuffers(), 0);
  mix(441);
  ASSERT_EQ(idle.ended, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(idle.endContexts[i], reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1)));

  // Mono spreads to both sides; channel volumes and the output matrix scale it.
  pa::XAUDIO2_BUFFER b{};
  b.AudioBytes = 4410 * 2;
  b.pAudioData = reinterpret_cast<const pa::BYTE*>(mono.data());
  voice->SubmitSourceBuffer(&b, nullptr);
  voice->Start(0, 0);
  const float half = 0.5f;
  voice->SetChannelVolumes(1, &half, 0);
  const float levels[2] = {1.0f, 0.25f};
  ASSERT_EQ(voice->SetOutputMatrix(nullptr, 1, 2, levels, 0), 0);
  std::vector<std::int16_t> out = mix(441);
  EXPECT_EQ(out[0], 500);
  EXPECT_EQ(out[1], 125);
  EXPECT_EQ(voice->SetOutputMatrix(nullptr, 2, 2, levels, 0), plat::win::E_INVALIDARG);
  voice->DestroyVoice();
}

// A voice that stops itself, restarts others and submits from inside its callbacks.
struct SelfStopper final : pa::IXAudio2VoiceCallback {
  pa::IXAudio2SourceVoice* voice = nullptr;
  bool destroy = false;
  std::atomic<int> passes{0};
  void OnVoiceProcessingPassStart(pa::UINT32) override {
    if (++passes != 3) return;
    if (destroy) {
      voice->DestroyVoice();
      voice = nullptr;
    } else {
      voice->Stop(0, 0);
    }
  }
  void OnVoiceProcessingPassEnd() override {}
  void OnStreamEnd() override {}
  void OnBufferStart(void*) override {}
  void OnBufferEnd(void*) override {}
  void OnLoopEnd(void*) override {}
  void OnVoiceError(void*, pa::HRESULT) override {}
};

TEST_F(XAudio2Test, StopAndDestroyInsideACallbackTakeEffect) {
  SelfStopper stopper, destroyer;
  destroyer.destroy = true;
  pa::WAVEFORMATEX format = pcmFormat(2, 16, 22050);
  ASSERT_EQ(engine->CreateSourceVoice(&stopper.voice, &format, 0, 2.0f, &stopper, nullptr, nullptr), 0);
  ASSERT_EQ(engine->CreateSourceVoice(&destroyer.voice, &format, 0, 2.0f, &destroyer, nullptr, nullptr), 0);
  stopper.voice->Start(0, 0);
  destroyer.voice->Start(0, 0);
  mix(441 * 10);
  EXPECT_EQ(stopper.passes.load(), 3);
  EXPECT_EQ(destroyer.passes.load(), 3);
  EXPECT_EQ(destroyer.voice, nullptr);
  stopper.voice->DestroyVoice();
}

// The null sink mixes on its own thread while voices and buffers come and go here.
TEST(AudioThreads, VoicesAndBuffersComeAndGoWhileTheMixerRuns) {
  unsetenv("HALVORINE_MISSING");
  setenv("HALVORINE_HEADLESS", "1", 1);
  pa::IXAudio2* engine = nullptr;
  ASSERT_EQ(pa::XAudio2Create(&engine, 0, 0), 0);
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "null");
  pa::IXAudio2MasteringVoice* master = nullptr;
  ASSERT_EQ(engine->CreateMasteringVoice(&master, 0, 44100, 0, nullptr, nullptr, 0), 0);
  void* object = nullptr;
  ASSERT_EQ(plat::win::CoCreateInstance(pa::CLSID_DirectSound, nullptr, 0, pa::IID_IDirectSound, &object), 0);
  auto* device = static_cast<pa::IDirectSound*>(object);
  ASSERT_EQ(device->Initialize(nullptr), 0);
  std::vector<std::int16_t> src = sineFrames(2000);
  const std::uint64_t before = pa::MixedAudioFramesForTest();
  for (int round = 0; round < 200; ++round) {
    ChunkFeeder feeder;
    feeder.data = src.data();
    feeder.frames = 2000;
    pa::WAVEFORMATEX format = pcmFormat(2, 16, round % 2 ? 44100 : 32000);
    ASSERT_EQ(engine->CreateSourceVoice(&feeder.voice, &format, 0, 2.0f, &feeder, nullptr, nullptr), 0);
    feeder.voice->Start(0, 0);
    pa::WAVEFORMATEX dsFormat = pcmFormat(1 + round % 2, 8 + 8 * (round % 2), 22050);
    pa::DSBUFFERDESC desc{sizeof(pa::DSBUFFERDESC), 0, 4000, 0, &dsFormat, {}};
    pa::IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), 0);
    void* p1;
    void* p2;
    pa::DWORD n1, n2;
    buffer->Lock(round * 10 % 4000, 3000, &p1, &n1, &p2, &n2, 0);
    std::memset(p1, round, n1);
    buffer->Unlock(p1, n1, p2, n2);
    buffer->SetVolume(-round * 10);
    buffer->Play(0, 0, pa::DSBPLAY_LOOPING);
    // Now and then let a few passes run over what was made.
    if (round % 20 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(15));
    feeder.voice->FlushSourceBuffers();
    feeder.voice->DestroyVoice();
    buffer->Release();
  }
  device->Release();
  master->DestroyVoice();
  engine->Release();
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "");
  EXPECT_GE(pa::MixedAudioFramesForTest(), before);
  unsetenv("HALVORINE_HEADLESS");
}

TEST(AudioSdl, TheSdlSinkOpensAndPlaysOnTheDummyDriver) {
  unsetenv("HALVORINE_HEADLESS");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  pa::IXAudio2* engine = nullptr;
  ASSERT_EQ(pa::XAudio2Create(&engine, 0, 0), 0);
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "sdl");
  const std::uint64_t before = pa::MixedAudioFramesForTest();
  // SDL's dummy device pulls in real time; wait (generously) until it has pulled a quantum.
  for (int i = 0; i < 500 && pa::MixedAudioFramesForTest() == before; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GT(pa::MixedAudioFramesForTest(), before);
  engine->Release();
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "");
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace halvorine_test
