// Soft sounds: the PCM/float conversions, resampling and time stretching (lengths,
// rates and pitch measured on sines), pitch and stretch applied by a load, and the
// player refill with its end-of-data note, queued data and pause.
#include <cmath>

#include "media/base/memory.h"
#include "tests/media/sound/sound_system_fixture.h"
#include "tests/platform/codec/codec_files.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

using SoftSoundTest = SoundSystemTest;

template <typename T>
T* wave(int h) { return static_cast<T*>(GetSoftSoundData(h)->Wave); }

int floatSound(const std::vector<float>& v, int channels = 1, int rate = 44100) {
  const int h = MakeSoftSound(channels, 32, rate, static_cast<int>(v.size()) / channels, 1);
  if (h != -1) std::memcpy(wave<float>(h), v.data(), v.size() * 4);
  return h;
}

std::vector<float> sine(double hz, int samples, int rate = 44100, float level = 0.5f) {
  std::vector<float> v(static_cast<std::size_t>(samples));
  for (int i = 0; i < samples; ++i) v[i] = level * static_cast<float>(std::sin(2 * M_PI * hz * i / rate));
  return v;
}

// The frequency with the most energy between lo and hi (0.25-Hz steps, Goertzel).
template <typename T>
double peakHz(const T* s, std::size_t n, double lo, double hi, int rate = 44100, int stride = 1) {
  double best = 0, bestHz = 0;
  for (double hz = lo; hz <= hi; hz += 0.25) {
    const double k = 2 * std::cos(2 * M_PI * hz / rate);
    double a = 0, b = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double c = static_cast<double>(s[i * stride]) + k * a - b;
      b = a;
      a = c;
    }
    const double power = a * a + b * b - k * a * b;
    if (power > best) {
      best = power;
      bestHz = hz;
    }
  }
  return bestHz;
}

TEST_F(SoftSoundTest, ConversionsClampAndRound) {
  const std::vector<float> in = {1.0f, 1.5f, 0.99999f, -1.0f, -2.0f, 0.5f, 0.0f};
  const int f = floatSound(in);
  const int p16 = MakeSoftSound(1, 16, 44100, 7, 0);
  const int p8 = MakeSoftSound(1, 8, 44100, 7, 0);
  ASSERT_EQ(ConvertSoftSoundFloatToPcm(f, p16), 0);
  ASSERT_EQ(ConvertSoftSoundFloatToPcm(f, p8), 0);
  const std::int16_t want16[] = {32767, 32767, 32767, -32768, -32768, 16384, 0};
  const std::uint8_t want8[] = {255, 255, 254, 0, 0, 191, 127};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(wave<std::int16_t>(p16)[i], want16[i]) << in[i];
    EXPECT_EQ(wave<std::uint8_t>(p8)[i], want8[i]) << in[i];
  }
  const std::uint8_t bytes[] = {0, 127, 255, 128, 1, 200, 64};
  std::memcpy(wave<std::uint8_t>(p8), bytes, 7);
  ASSERT_EQ(ConvertSoftSoundPcmToFloat(p8, f), 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(wave<float>(f)[i], (bytes[i] - 127) * 0.0078125f);
  ASSERT_EQ(ConvertSoftSoundPcmToFloat(p16, f), 0);
  EXPECT_EQ(wave<float>(f)[5], 0.5f);
  // Mismatched handles change nothing.
  const int other = MakeSoftSound(2, 16, 44100, 7, 0);
  const int copy = MakeSoftSound(1, 16, 22050, 7, 0);
  EXPECT_EQ(ConvertSoftSoundFloatToPcm(f, other), -1);
  EXPECT_EQ(ConvertSoftSoundFloatToPcm(p16, f), -1);
  EXPECT_EQ(CopySoftSoundData(p8, p16), -1);
  EXPECT_EQ(CopySoftSoundData(p16, copy), 0);
  EXPECT_EQ(wave<std::int16_t>(copy)[0], 32767);
  int channels, bits, rate, isFloat;
  EXPECT_EQ(GetSoftSoundFormat(f, &channels, &bits, &rate, &isFloat), 0);
  EXPECT_EQ(channels * 1000 + bits + isFloat, 1033);
  EXPECT_EQ(GetSoftSoundSampleCount(p8), 7);
  const int shaped = MakeSoftSoundHandle(0, 0, 0, 0, 3, 0, copy, 0);  // format from another handle
  EXPECT_EQ(GetSoftSoundFormat(shaped, &channels, &bits, &rate, &isFloat), 0);
  EXPECT_EQ(rate, 22050);
  EXPECT_EQ(MakeSoftSound(1, 12, 44100, 7, 0), -1);
  EXPECT_EQ(DeleteSoftSound(shaped), 0);
  EXPECT_EQ(GetSoftSoundSampleCount(shaped), -1);
}

TEST_F(SoftSoundTest, ResampleKeepsLevelsAndRefusesEqualLengths) {
  const int src = floatSound(std::vector<float>(1000, 0.5f));
  const int dst = MakeSoftSound(1, 32, 44100, 1500, 1);
  ASSERT_EQ(ResampleSoftSound(src, dst), 0);
  for (int i = 100; i < 1400; ++i) {
    ASSERT_GE(wave<float>(dst)[i], 0.4991f) << i;
    ASSERT_LE(wave<float>(dst)[i], 0.5014f) << i;
  }
  const int same = MakeSoftSound(1, 32, 44100, 1000, 1);
  EXPECT_EQ(ResampleSoftSound(src, same), -1);
  // Integer stereo goes through float and keeps the tone: 1 s of 440 Hz squeezed into
  // 0.5 s reads as 880 Hz.
  const int pcm = MakeSoftSound(2, 16, 44100, 44100, 0);
  const std::vector<float> s = sine(440, 44100);
  for (int i = 0; i < 44100; ++i) {
    wave<std::int16_t>(pcm)[2 * i] = wave<std::int16_t>(pcm)[2 * i + 1] = static_cast<std::int16_t>(s[i] * 32767);
  }
  const int half = MakeSoftSound(2, 16, 44100, 22050, 0);
  ASSERT_EQ(ResampleSoftSound(pcm, half), 0);
  EXPECT_NEAR(peakHz(wave<std::int16_t>(half) + 2000, 16000, 860, 900, 44100, 2), 880, 1);
}

TEST_F(SoftSoundTest, TimeStretchKeepsPitch) {
  const int src = floatSound(sine(440, 44100));
  // Lengths within 1/512 of each other are resampled, never divided by zero.
  const int nearly = MakeSoftSound(1, 32, 44100, 44050, 1);
  EXPECT_EQ(TimeStretchSoftSound(src, nearly), 0);
  struct Case {
    int length;
  } cases[] = {{88200}, {30000}, {22050}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const int dst = MakeSoftSound(1, 32, 44100, c.length, 1);
    ASSERT_EQ(TimeStretchSoftSound(src, dst), 0);
    EXPECT_NEAR(peakHz(wave<float>(dst) + 1000, static_cast<std::size_t>(c.length) - 3000, 420, 460), 440, 2);
    DeleteSoftSound(dst);
  }
  // 8- and 16-bit stereo take the same path.
  for (int bits : {8, 16}) {
    const int pcm = MakeSoftSound(2, bits, 44100, 44100, 0);
    const int f2 = floatSound([] {
      std::vector<float> v(88200);
      const std::vector<float> s = sine(440, 44100);
      for (int i = 0; i < 44100; ++i) v[2 * i] = v[2 * i + 1] = s[i];
      return v;
    }(), 2);
    ASSERT_EQ(ConvertSoftSoundFloatToPcm(f2, pcm), 0);
    const int out = MakeSoftSound(2, bits, 44100, 66150, 0);
    ASSERT_EQ(TimeStretchSoftSound(pcm, out), 0);
    const int back = MakeSoftSound(2, 32, 44100, 66150, 1);
    ASSERT_EQ(ConvertSoftSoundPcmToFloat(out, back), 0);
    EXPECT_NEAR(peakHz(wave<float>(back) + 2000, 60000, 420, 460, 44100, 2), 440, 2) << bits;
  }
}

TEST_F(SoftSoundTest, LoadWithPitchAndStretch) {
  const std::vector<float> s = sine(440, 44100);
  std::vector<std::int16_t> pcm(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) pcm[i] = static_cast<std::int16_t>(s[i] * 32767);
  image = makeWave(1, 1, 44100, 16, pcm.data(), static_cast<std::uint32_t>(pcm.size() * 2));
  struct Case {
    int pitch;
    float pitchRate;
    int stretch;
    float stretchRate;
    int samples;
    double hz;
  } cases[] = {{1, 1.5f, 0, 1.0f, 44100, 660}, {1, 3.0f, 0, 1.0f, 44100, 1320}, {0, 1.0f, 1, 0.5f, 22050, 440},
               {1, 0.0f, 0, 1.0f, -1, 0},      {0, 1.0f, 1, 1e-6f, -1, 0},     {0, 1.0f, 1, -2.0f, -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitchRate * 100 + c.stretchRate);
    LoadSoundSettings settings;
    InitLoadSoundSettings(&settings);
    settings.EnablePitchRate = c.pitch;
    settings.PitchRate = c.pitchRate;
    settings.EnableTimeStretch = c.stretch;
    settings.TimeStretchRate = c.stretchRate;
    const int h = LoadSoundMemByMemImageWithParams(&settings, 1, -1, image.data(),
                                                   static_cast<std::uint32_t>(image.size()), 1, -1, 0, 0);
    if (c.samples < 0) {
      EXPECT_EQ(h, -1);
      continue;
    }
    ASSERT_NE(h, -1);
    EXPECT_EQ(GetSoundMemTotalSample(h), c.samples);
    const auto* out = static_cast<const std::int16_t*>(GetSoundRecord(h)->WaveData);
    EXPECT_NEAR(peakHz(out + 1000, static_cast<std::size_t>(c.samples) - 3000, c.hz - 20, c.hz + 20), c.hz, 3);
    DeleteSoundMem(h);
  }
}

// 24- and 32-bit integer PCM load as soft sounds with their samples as they are; a
// sound, whose buffers take 8 and 16 bits, refuses them, in memory and as a stream.
TEST_F(SoftSoundTest, DeepPcmLoadsAsASoftSoundOnly) {
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(bits / 8) * 2 * 100);
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<std::uint8_t> image =
        makeWave(1, 2, 22050, bits, pcm.data(), static_cast<std::uint32_t>(pcm.size()));
    LoadSoundSettings settings;
    InitLoadSoundSettings(&settings);
    const int soft = LoadSoftSound(&settings, nullptr, image.data(), static_cast<std::uint32_t>(image.size()), 0);
    ASSERT_NE(soft, -1);
    int channels, got, rate, isFloat;
    ASSERT_EQ(GetSoftSoundFormat(soft, &channels, &got, &rate, &isFloat), 0);
    EXPECT_EQ(channels * 100000 + got * 1000 + isFloat, 200000 + bits * 1000);
    EXPECT_EQ(GetSoftSoundSampleCount(soft), 100);
    EXPECT_EQ(std::memcmp(wave<std::uint8_t>(soft), pcm.data(), pcm.size()), 0);
    DeleteSoftSound(soft);
    for (int kind : {0, 2}) {
      settings.CreateSoundDataType = kind;
      EXPECT_EQ(LoadSoundMemByMemImageWithParams(&settings, 1, -1, image.data(),
                                                 static_cast<std::uint32_t>(image.size()), 1, -1, 0, 0),
                -1)
          << kind;
    }
  }
}

void queue(SoftSoundHandleRecord* r, const std::vector<std::int16_t>& samples) {
  const int bytes = static_cast<int>(samples.size() * 2);
  ASSERT_EQ(RingBufferReserve(&r->Queue, static_cast<std::uint32_t>(bytes)), 0);
  const auto* p = reinterpret_cast<const std::uint8_t*>(samples.data());
  for (int i = 0; i < bytes; ++i) {
    if (r->Queue.End >= r->Queue.BufferSize) r->Queue.End = 0;
    r->Queue.DataBuffer[r->Queue.End++] = p[i];
  }
  r->Queue.DataLength += bytes;
  r->QueuedSamples += static_cast<std::int32_t>(samples.size());
}

TEST_F(SoftSoundTest, PlayersWriteQueuedDataThenSilenceAndNoteTheEndOnce) {
  for (int round = 0; round < 3; ++round) {
    const int players[2] = {MakeSoftSoundHandle(1, 1, 16, 44100, 0, 0, -1, 0),
                            MakeSoftSoundHandle(1, 1, 8, 22050, 0, 0, -1, 0)};
    ASSERT_NE(players[0], -1);
    ASSERT_NE(players[1], -1);
    EXPECT_EQ(GetSoftSoundSampleCount(players[0]), -1);
    SoftSoundHandleRecord* r = GetSoftSoundPlayer(players[0]);
    SoftSoundHandleRecord* r8 = GetSoftSoundPlayer(players[1]);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->BufferBytes, 88200u);
    EXPECT_EQ(r->Lead, 4136u);
    for (SoftSoundHandleRecord* p : {r, r8}) {
      p->Started = 1;
      SoundBufferFront_Play(&p->Buffer, 1);
    }
    // Nothing queued: silence, and the end noted once.
    int notes = 0;
    std::int32_t lastEnd = -1;
    for (int step = 0; step < 20; ++step) {
      ProcessSoftSoundPlayers();
      if (r->EndOffset != lastEnd) ++notes;
      lastEnd = r->EndOffset;
      run(441);
    }
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(r->Ended, 1);
    EXPECT_EQ(r8->Ended, 1);
    // Queued data clears the flag and plays. The 8-bit player's silence (127) is not
    // zero, so it is stopped to leave the capture to the 16-bit one.
    SoundBufferFront_Stop(&r8->Buffer, 0);
    const std::vector<std::int16_t> tone = ramp(8820, 11);
    queue(r, tone);
    std::vector<std::int16_t> capture;
    for (int step = 0; step < 40; ++step) {
      ProcessSoftSoundPlayers();
      if (step == 0) {
        EXPECT_EQ(r->Ended, 0);
      }
      if (step == 1) {
        EXPECT_EQ(r->EndOffset, -1);
      }
      ZaDod::ProcessStreamSounds();
      plat::audio::AdvanceAudioForTest(441);
      std::vector<std::int16_t> part = plat::audio::TakeCapturedAudioForTest();
      capture.insert(capture.end(), part.begin(), part.end());
    }
    EXPECT_EQ(r->QueuedSamples, 0);
    EXPECT_EQ(r->Ended, 1);
    std::size_t at = 0;
    while (at < capture.size() && capture[at] == 0) at += 2;
    ASSERT_LT(at, capture.size());
    std::size_t same = 0;
    for (std::size_t i = 0; i < tone.size() && at + 2 * i < capture.size(); ++i) same += capture[at + 2 * i] == tone[i];
    EXPECT_EQ(same, tone.size());
    // Pause stops the buffers and resume plays them again.
    EXPECT_EQ(SetSoftSoundPlayersPause(1), 0);
    EXPECT_EQ(SoundBufferFront_IsPlaying(&r->Buffer), 0);
    EXPECT_EQ(SetSoftSoundPlayersPause(0), 0);
    EXPECT_EQ(SoundBufferFront_IsPlaying(&r->Buffer), 1);
    EXPECT_EQ(DeleteSoftSound(players[round % 2]), 0);
    EXPECT_EQ(DeleteSoftSound(players[1 - round % 2]), 0);
    EXPECT_EQ(ProcessSoftSoundPlayers(), 0);
  }
}

class SoftSoundThreadTest : public SoundSystemTest {
  int processors() override { return 2; }
};

// The sound thread refills players and compressed streams while the main thread
// makes, feeds, pauses and deletes players and plays, moves and deletes Ogg Vorbis and
// MP3 streams.
TEST_F(SoftSoundThreadTest, PlayersAndCompressedStreamsWhileTheThreadRuns) {
  ASSERT_EQ(SoundSys.HasThread, 1);
  InitializeSoundConvert();
  std::vector<std::vector<std::uint8_t>> files;
  if (haveTool("oggenc") && haveTool("lame")) {
    HALVORINE_NEED_FILE("oggenc", "thread.ogg",
                        "sox -n -r 44100 -c 2 -b 16 th.wav synth 0.5 sine 440 vol 0.5 && "
                        "oggenc -Q -c LOOPSTART=1000 -c LOOPLENGTH=5000 -o thread.ogg th.wav && "
                        "lame --quiet -b 96 th.wav thread.mp3");
    files = {readBytes("thread.ogg"), readBytes("thread.mp3")};
  }
  TrackedCriticalSection* lock = &HandleManageArray[HANDLETYPE_SOFTSOUND].CriticalSection;
  LoadSoundSettings settings;
  InitLoadSoundSettings(&settings);
  settings.CreateSoundDataType = 2;
  for (int round = 0; round < 12; ++round) {
    const int player = MakeSoftSoundHandle(1, 2, 16, 44100, 0, 0, -1, 0);
    ASSERT_NE(player, -1);
    CriticalSection_Lock(lock, __FILE__, __LINE__);
    SoftSoundHandleRecord* r = GetSoftSoundPlayer(player);
    queue(r, ramp(4410));
    r->Started = 1;
    SoundBufferFront_Play(&r->Buffer, 1);
    CriticalSection_Unlock(lock);
    int stream = -1;
    if (!files.empty()) {
      const std::vector<std::uint8_t>& f = files[round % 2];
      stream = LoadSoundMemByMemImageWithParams(&settings, 1, -1, f.data(), static_cast<std::uint32_t>(f.size()), 1,
                                                -1, 0, 0);
      ASSERT_NE(stream, -1);
      PlaySoundMem(stream, DX_PLAYTYPE_LOOP, 1);
    }
    for (int i = 0; i < 6; ++i) {
      plat::audio::AdvanceAudioForTest(441);
      if (i == 2) SetSoftSoundPlayersPause(1);
      if (i == 3) SetSoftSoundPlayersPause(0);
      if (i == 4 && stream != -1) SetSoundMemCurrentPosition(500, stream);
      Thread_Sleep(1);
    }
    if (stream != -1) DeleteSoundMem(stream);
    DeleteSoftSound(player);
  }
  EXPECT_EQ(StopSoundThread(), 0);
  TerminateSoundConvert();
}

}  // namespace
}  // namespace halvorine_test
