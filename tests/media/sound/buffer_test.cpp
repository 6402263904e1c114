// Sound buffers on both outputs: volume and pan as the device sees them, the stereo
// copy, PCM in and the same PCM out, self-stopping voices, and the reverb idle check.
#include <algorithm>
#include <cmath>

#include "media/base/memory.h"
#include "platform/win/win_clock.h"
#include "tests/media/sound/sound_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

TEST_F(SoundOutputTest, ApplyVolumeGivesDeviceVolumeAndPan) {
  start(0);
  struct Case {
    std::int32_t left, right, pan;
    int is3D;
    float pan3D;
    std::int32_t wantVolume, wantPan;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0, 0, 0},
      {0, 0, -10000, 0, 0, 0, -10000},
      {0, 0, 5000, 0, 0, 0, 5000},
      {0, -2000, 0, 0, 0, 0, -2000},
      {-2000, 0, 0, 0, 0, 0, 2000},
      {-1496, -1496, 0, 0, 0, -1496, 0},
      {-1496, -1496, -3000, 0, 0, -1496, -3001},
      // Software 3D: a source on the listener's left quietens the right side.
      {0, 0, 0, 1, -0.5f, 0, -602},
      {0, 0, 0, 1, 0.5f, 0, 602},
  };
  SoundBuffer* b = makeBuffer(2, 16, 44100, 100);
  ASSERT_NE(b, nullptr);
  plat::audio::TakeAudioCallLogForTest();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.left) + " " + std::to_string(c.right) + " " + std::to_string(c.pan));
    b->Volume[0] = c.left;
    b->Volume[1] = c.right;
    b->Pan = c.pan;
    b->Is3D = c.is3D;
    b->Pan3D = c.pan3D;
    b->Volume3DFactor = 1.0f;
    ASSERT_EQ(SoundBuffer_ApplyVolume(b), 0);
    const std::vector<std::string> log = plat::audio::TakeAudioCallLogForTest();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "SetPan " + std::to_string(c.wantPan));
    EXPECT_EQ(log[1], "SetVolume " + std::to_string(c.wantVolume));
  }
}

TEST_F(SoundOutputTest, PcmPlaysBackAtItsRateAndGainOnBothOutputs) {
  constexpr int kFrames = 2205;
  std::vector<std::int16_t> mono(kFrames);
  for (int i = 0; i < kFrames; ++i) mono[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
  for (int version : {0, 8, 7}) {
    SCOPED_TRACE(version);
    start(version);
    for (int round = 0; round < 3; ++round) {
      SoundBuffer* b = makeBuffer(1, 16, 44100, kFrames);
      ASSERT_NE(b, nullptr);
      write(b, mono.data(), kFrames * 2);
      const bool quiet = round == 1;
      b->Volume[0] = b->Volume[1] = quiet ? -1496 : 0;
      SoundBuffer_ApplyVolume(b);
      ASSERT_EQ(SoundBuffer_Play(b, 0), 0);
      EXPECT_EQ(SoundBuffer_IsPlaying(b), 1);
      const std::vector<std::int16_t> out = [&] {
        plat::audio::AdvanceAudioForTest(kFrames + 2 * 441);
        return plat::audio::TakeCapturedAudioForTest();
      }();
      // The voice stops itself within one pass of its end.
      EXPECT_EQ(SoundBuffer_IsPlaying(b), 0);
      for (int i = 0; i < kFrames; ++i) {
        const int want = quiet ? static_cast<int>(std::lround(mono[i] * 0.178649)) : mono[i];
        ASSERT_NEAR(out[2 * i], want, quiet ? 1 : 0) << i;
        ASSERT_EQ(out[2 * i + 1], out[2 * i]) << i;
      }
      for (size_t i = 2 * kFrames; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
      SoundBuffer_Release(b);
      buffers.erase(std::find(buffers.begin(), buffers.end(), b));
      delete b;
    }
    TerminateSoundOutput();
    SoundOutput = SoundOutputState{};
    unsetenv("HALVORINE_MISSING");
  }
}

TEST_F(SoundOutputTest, XAudio2MonoDataIsCopiedToBothChannels) {
  start(8);
  SoundBuffer* sixteen = makeBuffer(1, 16, 22050, 4);
  const std::int16_t samples[2] = {0x1234, -2};
  write(sixteen, samples, sizeof(samples));
  std::uint32_t frames[2];
  std::memcpy(frames, sixteen->Wave->StereoCopy, sizeof(frames));
  EXPECT_EQ(frames[0], 0x12341234u);
  EXPECT_EQ(frames[1], 0xFFFEFFFEu);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(sixteen->Wave->Data) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(sixteen->Wave->StereoCopy) % 16, 0u);

  SoundBuffer* eight = makeBuffer(1, 8, 22050, 3);
  const std::uint8_t bytes[3] = {0x80, 0x00, 0xFF};
  write(eight, bytes, 3);
  std::uint16_t wide[3];
  std::memcpy(wide, eight->Wave->StereoCopy, sizeof(wide));
  EXPECT_EQ(wide[0], 0x8080);
  EXPECT_EQ(wide[1], 0x0000);
  EXPECT_EQ(wide[2], 0xFFFF);

  // Stereo data plays as it is and has no copy.
  EXPECT_EQ(makeBuffer(2, 16, 22050, 4)->Wave->StereoCopy, nullptr);
}

TEST_F(SoundOutputTest, XAudio2FrequencyPositionAndEmptyLoops) {
  start(8);
  SoundBuffer* b = makeBuffer(2, 16, 22050, 1000);
  float ratio = 0;
  SoundBuffer_SetFrequency(b, 44100);
  b->XA2SourceVoice->GetFrequencyRatio(&ratio);
  EXPECT_EQ(ratio, 2.0f);
  SoundBuffer_SetFrequency(b, 0);
  b->XA2SourceVoice->GetFrequencyRatio(&ratio);
  EXPECT_EQ(ratio, 1.0f);
  plat::audio::DWORD value = 0;
  EXPECT_EQ(SoundBuffer_GetFrequency(b, &value), 2);
  EXPECT_EQ(SoundBuffer_GetCurrentPosition(b, &value, &value), 2);
  EXPECT_EQ(SoundBuffer_SetCurrentPosition(b, 400), 0);
  EXPECT_EQ(b->PlayPos.load(), 100);
  EXPECT_EQ(b->CompPos.load(), 100);

  // An empty looping buffer and a looping buffer of one frame keep the engine going.
  SoundBuffer* empty = makeBuffer(2, 16, 44100, 0);
  ASSERT_NE(empty, nullptr);
  SoundBuffer* one = makeBuffer(1, 8, 44100, 1);
  SoundBuffer_Play(empty, 1);
  SoundBuffer_Play(one, 1);
  plat::audio::AdvanceAudioForTest(441 * 5);
  EXPECT_EQ(SoundBuffer_IsPlaying(empty), 1);
  EXPECT_EQ(SoundBuffer_IsPlaying(one), 1);
  SoundBuffer_Stop(empty);
  EXPECT_EQ(SoundBuffer_IsPlaying(empty), 0);
}

TEST_F(SoundOutputTest, ReverbIdleCheckWaitsThreeSecondsOfTheClock) {
  for (int version : {8, 7}) {
    SCOPED_TRACE(version);
    start(version);
    SoundBuffer* flat = makeBuffer(2, 16, 44100, 100);
    EXPECT_EQ(SoundBuffer_CheckReverbIdle(flat), -1);  // no submix voice
    SoundBuffer* b = makeBuffer(1, 16, 44100, 100, 1);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->XA2SubmixVoice, nullptr);
    EXPECT_EQ(b->VoiceChannels, 1);
    const float position[3] = {-3.0f, 0.0f, 1.0f};
    SoundBuffer_Set3DPosition(b, position);
    SoundBuffer_Update3D(b);
    plat::win::HoldClockForTest(5'000'000'000LL);
    SoundBuffer_Play(b, 1);
    EXPECT_EQ(b->ReverbState, 1);
    EXPECT_EQ(SoundBuffer_CheckReverbIdle(b), 0);  // still playing
    SoundBuffer_Stop(b, 0);
    EXPECT_EQ(SoundBuffer_CheckReverbIdle(b), 0);
    EXPECT_EQ(b->ReverbState, 2);
    plat::win::StepClockForTest(2'999'000'000LL);
    EXPECT_EQ(SoundBuffer_CheckReverbIdle(b), 0);
    plat::win::StepClockForTest(1'000'000LL);
    EXPECT_EQ(SoundBuffer_CheckReverbIdle(b), -1);
    EXPECT_EQ(b->ReverbState, 0);
    plat::win::ReleaseClockForTest();

    // On the left of the listener the 3D path sends more to the left channel.
    std::vector<std::int16_t> level(100, 8000);
    write(b, level.data(), 200);
    SoundBuffer_SetCurrentPosition(b, 0);
    SoundBuffer_Play(b, 1);
    plat::audio::AdvanceAudioForTest(441 * 3);
    const std::vector<std::int16_t> out = plat::audio::TakeCapturedAudioForTest();
    EXPECT_GT(std::abs(out[out.size() - 2]), std::abs(out[out.size() - 1]));
    for (SoundBuffer* x : buffers) {
      SoundBuffer_Release(x);
      delete x;
    }
    buffers.clear();
    TerminateSoundOutput();
    SoundOutput = SoundOutputState{};
    unsetenv("HALVORINE_MISSING");
  }
}

TEST_F(SoundOutputTest, DirectSoundBuffersReportAndRefuse) {
  start(0);
  SoundBuffer* b = makeBuffer(2, 16, 22050, 1000);
  plat::audio::DWORD play = 0, write = 0, frequency = 0;
  EXPECT_EQ(SoundBuffer_GetFrequency(b, &frequency), 0);
  EXPECT_EQ(frequency, 22050u);
  EXPECT_EQ(SoundBuffer_SetFrequency(b, 50), -1);
  EXPECT_EQ(SoundBuffer_SetCurrentPosition(b, 400), 0);
  EXPECT_EQ(SoundBuffer_GetCurrentPosition(b, &play, &write), 0);
  EXPECT_EQ(play, 400u);
  EXPECT_EQ(SoundBuffer_IsValid(b), 1);
  EXPECT_EQ(SoundBuffer_CheckReverbIdle(b), -1);
  // A copy takes the source's format, length, levels and frequency.
  b->Volume[0] = b->Volume[1] = -1496;
  b->Frequency = 11025;
  plat::audio::TakeAudioCallLogForTest();
  auto* copy = new SoundBuffer;
  SoundBuffer_Initialize(copy);
  ASSERT_EQ(SoundBuffer_Create(copy, 0, nullptr, b, 0), 0);
  buffers.push_back(copy);
  EXPECT_EQ(copy->SampleNum, 1000);
  const std::vector<std::string> made = plat::audio::TakeAudioCallLogForTest();
  EXPECT_EQ(made.front().substr(0, 50), "CreateSoundBuffer flags=0x180e2 bytes=4000 rate=22");
  EXPECT_NE(std::find(made.begin(), made.end(), "SetVolume -1496"), made.end());
  EXPECT_NE(std::find(made.begin(), made.end(), "SetFrequency 11025"), made.end());
  // Two failed creations: the first with every control, the retry with fewer.
  plat::audio::FailNextCreateSoundBuffersForTest(1);
  EXPECT_NE(makeBuffer(2, 16, 22050, 10), nullptr);
  plat::audio::FailNextCreateSoundBuffersForTest(2);
  EXPECT_EQ(makeBuffer(2, 16, 22050, 10), nullptr);
  const std::vector<std::string> log = plat::audio::TakeAudioCallLogForTest();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& e) { return e.rfind("CreateSound", 0) == 0; }),
            4);
}

TEST(SoundBufferMemoryTest, BlocksAreAlignedCountedAndFreed) {
  for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 4096u, 100001u}) {
    for (int copy : {0, 1}) {
      SoundBufferMemory* block = AllocSoundBufferMemory(size, copy);
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->Data) % 16, 0u);
      std::memset(block->Data, 0x5A, size);
      if (copy) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->StereoCopy) % 16, 0u);
        EXPECT_GE(static_cast<char*>(block->StereoCopy), static_cast<char*>(block->Data) + size);
        std::memset(block->StereoCopy, 0xA5, 2 * size);
      } else {
        EXPECT_EQ(block->StereoCopy, nullptr);
      }
      AddSoundBufferMemoryRef(block);
      SubSoundBufferMemoryRef(block);
      EXPECT_EQ(block->RefCount.load(), 1);
      SubSoundBufferMemoryRef(block);
    }
  }
  EXPECT_EQ(MemErrorCheck(), 0);
}

}  // namespace
}  // namespace halvorine_test
