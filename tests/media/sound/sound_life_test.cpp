// Sounds through their whole life at the edges of their ranges: made, played, paused
// by a lost activation and resumed, stopped, freed and made again, with the mixed
// output compared sample by sample with what the source PCM says it must be. Covers
// loop seams on refill boundaries, short loops, play positions at and past the end,
// a shared stream buffer that outlives its owner, and levels at their limits.
#include "media/base/memory.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

using SoundLifeTest = SoundSystemTest;

// The life tests again on the XAudio2 output, whose voices keep their own positions.
class SoundLifeXAudio2Test : public SoundSystemTest {
  bool xaudio2() override { return true; }
};

constexpr std::uint32_t kTick = 441;

// A mono 16-bit 44.1-kHz sound: a memory sound (kind 0) or a stream sound kept in
// memory (kind 2), optionally playing through the stream buffer of `source`.
int loadSound(const std::vector<std::int16_t>& src, int kind, std::vector<std::uint8_t>* image, int source = -1) {
  *image = makeWave(1, 1, 44100, 16, src.data(), static_cast<std::uint32_t>(src.size() * 2));
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = kind;
  return LoadSoundMemByMemImageWithParams(&s, 1, -1, image->data(), static_cast<std::uint32_t>(image->size()), 1,
                                          source, 0, 0);
}

// `count` samples of src[0, end) followed by src[start, end) over and over.
std::vector<std::int16_t> looped(const std::vector<std::int16_t>& src, std::size_t start, std::size_t end,
                                 std::size_t count) {
  std::vector<std::int16_t> want(src.begin(), src.begin() + static_cast<std::ptrdiff_t>(std::min(end, count)));
  while (want.size() < count) {
    const std::size_t n = std::min(end - start, count - want.size());
    want.insert(want.end(), src.begin() + static_cast<std::ptrdiff_t>(start),
                src.begin() + static_cast<std::ptrdiff_t>(start + n));
  }
  return want;
}

class LifeRun {
 public:
  // Plays for `frames`, keeping the left channel.
  void play(std::uint32_t frames) {
    const std::vector<std::int16_t> l = left(run(frames));
    heard.insert(heard.end(), l.begin(), l.end());
  }
  // The window loses activation for `frames`: everything must fall silent and stay
  // where it was.
  void pauseFor(std::uint32_t frames) {
    SetSoundMemPauseAll(1);
    const std::vector<std::int16_t> quiet = run(frames);
    SetSoundMemPauseAll(0);
    for (std::size_t i = 0; i < quiet.size(); ++i) ASSERT_EQ(quiet[i], 0) << "sound while paused at " << i;
  }
  std::vector<std::int16_t> heard;

 private:
  std::vector<std::int16_t> run(std::uint32_t frames) {
    std::vector<std::int16_t> all;
    for (std::uint32_t done = 0; done < frames; done += kTick) {
      ProcessStreamSounds();
      plat::audio::AdvanceAudioForTest(kTick);
      const std::vector<std::int16_t> piece = plat::audio::TakeCapturedAudioForTest();
      all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
  }
};

// Loop seams where the loop end or loop start falls on a refill boundary or one sample
// either side, loops shorter than one refill, and whole short sounds played looping:
// every sound is made, played through a pause, stopped, freed, made and played again,
// and must sound exactly like its source looped, with no lost, repeated or stale block.
void loopSeamsAndShortLoopsThroughTheirLife() {
  // Mono 16-bit at 44.1 kHz: the first fill writes 33075 samples, later refills 5512,
  // and the decoder reads the data one second (44100 samples) at a time.
  struct Case {
    const char* name;
    int kind;        // 0 memory, 2 stream
    int length;      // samples
    int start, end;  // loop points; start -1 plays the whole sound with the loop type
  } cases[] = {
      {"end one before the first fill's end", 2, 60000, 1000, 33074},
      {"end on the first fill's end", 2, 60000, 1000, 33075},
      {"end one after the first fill's end", 2, 60000, 1000, 33076},
      {"end on the second refill's end", 2, 60000, 1000, 38587},
      {"end on the decoder block", 2, 60000, 1000, 44100},
      {"end one after the decoder block", 2, 60000, 1000, 44101},
      {"start one before the first fill's end", 2, 60000, 33074, 50000},
      {"start on the first fill's end", 2, 60000, 33075, 50000},
      {"start one after the first fill's end", 2, 60000, 33076, 50000},
      {"start on the decoder block", 2, 60000, 44100, 50000},
      {"a one-sample loop", 2, 60000, 100, 101},
      {"a seven-sample loop", 2, 60000, 100, 107},
      {"an eight-sample loop", 2, 60000, 100, 108},
      {"a loop of one refill", 2, 60000, 0, 5512},
      {"a loop of one refill and one sample", 2, 60000, 0, 5513},
      {"a stream of 300 samples looping", 2, 300, -1, 300},
      {"a stream of 5 samples looping", 2, 5, -1, 5},
      {"a stream of one refill less one looping", 2, 5511, -1, 5511},
      {"a memory sound of 1 sample looping", 0, 1, -1, 1},
      {"a memory sound of 5 samples looping", 0, 5, -1, 5},
      {"a memory sound of 300 samples looping", 0, 300, -1, 300},
  };
  const auto allocations = MemGetAllocNum();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::int16_t> src = ramp(static_cast<std::size_t>(c.length), 13);
    const bool whole = c.start < 0;
    const std::size_t start = whole ? 0 : static_cast<std::size_t>(c.start);
    const std::size_t end = static_cast<std::size_t>(c.end);
    for (int life = 0; life < 2; ++life) {
      std::vector<std::uint8_t> image;
      const int h = loadSound(src, c.kind, &image);
      ASSERT_NE(h, -1);
      if (!whole) {
        ASSERT_EQ(SetSoundMemLoopSamplePos(c.start, c.end, h), 0);
      }
      ASSERT_EQ(PlaySoundMem(h, whole ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1), 0);
      LifeRun run;
      run.play(kTick * 70);
      if (life == 0) {
        run.pauseFor(kTick * 7);
        EXPECT_EQ(CheckSoundMemPlaying(h), 1);
        run.play(kTick * 90);
      }
      const std::size_t at = firstSound(run.heard);
      ASSERT_LT(at, kTick * 2u);
      const std::vector<std::int16_t> want = looped(src, start, end, run.heard.size() - at);
      const long bad = mismatch(run.heard, at, want);
      EXPECT_EQ(bad, -1) << "life " << life << ": heard " << (bad >= 0 ? run.heard[at + bad] : 0) << " for "
                         << (bad >= 0 ? want[bad] : 0);
      // The position reported is the sample under the cursor, jumps and runs of jumps
      // included.
      const std::size_t played = run.heard.size() - at;
      const std::size_t under = played < end ? played : start + (played - end) % (end - start);
      EXPECT_EQ(GetSoundMemCurrentPosition(h), static_cast<int>(under * 2));
      EXPECT_EQ(StopSoundMem(h), 0);
      EXPECT_EQ(CheckSoundMemPlaying(h), 0);
      LifeRun after;
      after.play(kTick * 3);
      EXPECT_EQ(firstSound(after.heard), after.heard.size()) << "sound after the stop";
      EXPECT_EQ(DeleteSoundMem(h), 0);
      EXPECT_EQ(CheckSoundMemPlaying(h), -1);
    }
  }
  EXPECT_EQ(MemGetAllocNum(), allocations);
}

// Play positions at 0, the last sample, the length and past it, on memory and stream
// sounds: an accepted position plays from there to the end, a refused one answers -1
// and leaves the position where it was (no wrap to the start).
void playPositionsAtAndPastTheEnd() {
  constexpr int kLength = 4410;
  const std::vector<std::int16_t> src = ramp(kLength, 11);
  constexpr int kBefore = 100;  // the position set before each case
  struct Case {
    int position;
    int memoryResult, streamResult;
  } cases[] = {{0, 0, 0},   {kLength - 1, 0, 0},  {kLength, -1, 0},      {kLength + 1, -1, -1},
               {-1, -1, -1}, {1 << 29, -1, -1}, {0x7FFFFFFF, -1, -1}};
  for (const int kind : {0, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (kind == 0 ? "memory" : "stream") << " position " << c.position);
      std::vector<std::uint8_t> image;
      const int h = loadSound(src, kind, &image);
      ASSERT_NE(h, -1);
      ASSERT_EQ(SetSoundMemCurrentPosition(kBefore, h), 0);
      const int result = kind == 0 ? c.memoryResult : c.streamResult;
      EXPECT_EQ(SetSoundMemCurrentPosition(c.position, h), result);
      const int from = result == 0 ? c.position : kBefore;
      EXPECT_EQ(GetSoundMemCurrentPosition(h), from * 2);
      ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 0), 0);
      LifeRun run;
      run.play(kTick * 20);
      const std::vector<std::int16_t> want(src.begin() + from, src.end());
      const std::size_t at = firstSound(run.heard);
      if (want.empty()) {
        EXPECT_EQ(at, run.heard.size());
      } else {
        EXPECT_EQ(mismatch(run.heard, at, want), -1);
        for (std::size_t i = at + want.size(); i < run.heard.size(); ++i) ASSERT_EQ(run.heard[i], 0) << i;
      }
      EXPECT_EQ(CheckSoundMemPlaying(h), 0);
      EXPECT_EQ(DeleteSoundMem(h), 0);
    }
  }
}

TEST_F(SoundLifeTest, LoopSeamsAndShortLoopsThroughTheirLife) { loopSeamsAndShortLoopsThroughTheirLife(); }
TEST_F(SoundLifeXAudio2Test, LoopSeamsAndShortLoopsThroughTheirLife) { loopSeamsAndShortLoopsThroughTheirLife(); }
TEST_F(SoundLifeTest, PlayPositionsAtAndPastTheEnd) { playPositionsAtAndPastTheEnd(); }
TEST_F(SoundLifeXAudio2Test, PlayPositionsAtAndPastTheEnd) { playPositionsAtAndPastTheEnd(); }

// A stream that plays through another's buffer keeps playing, sample for sample, when
// that owner is deleted under it; the owner's record goes with the last user.
TEST_F(SoundLifeTest, SharedBufferUserPlaysOnWhenItsOwnerIsDeleted) {
  const std::vector<std::int16_t> a = ramp(30000, 3), b = ramp(20000, 17);
  const auto allocations = MemGetAllocNum();
  for (int life = 0; life < 2; ++life) {
    SCOPED_TRACE(life);
    std::vector<std::uint8_t> imageA, imageB;
    const int owner = loadSound(a, 2, &imageA);
    const int user = loadSound(b, 2, &imageB, owner);
    ASSERT_NE(user, -1);
    ASSERT_EQ(GetSoundRecord(user)->BufferSourceHandle, owner);
    LifeRun run;
    if (life == 1) {  // the owner plays first and the user takes its buffer over
      ASSERT_EQ(PlaySoundMem(owner, DX_PLAYTYPE_LOOP, 1), 0);
      run.play(kTick * 5);
      run.heard.clear();
    }
    ASSERT_EQ(PlaySoundMem(user, DX_PLAYTYPE_LOOP, 1), 0);
    if (life == 1) {
      EXPECT_EQ(CheckSoundMemPlaying(owner), 0);
    }
    run.play(kTick * 30);
    EXPECT_EQ(DeleteSoundMem(owner), 0);
    EXPECT_EQ(CheckSoundMemPlaying(user), 1);
    run.play(kTick * 30);
    run.pauseFor(kTick * 4);
    run.play(kTick * 60);
    const std::size_t at = firstSound(run.heard);
    EXPECT_EQ(mismatch(run.heard, at, looped(b, 0, b.size(), run.heard.size() - at)), -1);
    // Pan and frequency set while it plays reach the buffer it plays through.
    ASSERT_EQ(SetSoundMemPan(-10000, user), 0);
    ASSERT_EQ(SetSoundMemFrequency(22050, user), 0);
    EXPECT_EQ(GetSoundMemFrequency(user), 22050);
    const std::vector<std::int16_t> panned = SoundSystemTest::run(kTick * 2);
    for (std::size_t i = 0; i < panned.size(); i += 2) ASSERT_EQ(panned[i + 1], 0) << "right channel at " << i / 2;
    EXPECT_NE(firstSound(left(panned)), panned.size() / 2);
    EXPECT_EQ(StopSoundMem(user), 0);
    EXPECT_EQ(DeleteSoundMem(user), 0);
    EXPECT_EQ(GetHandleInfo(owner), nullptr);
  }
  EXPECT_EQ(MemGetAllocNum(), allocations);
}

// Volume, pan and frequency at and past their limits: the samples heard follow the
// gains and the rate, a value past a limit is clamped or refused with -1, never taken
// with success while nothing changes.
TEST_F(SoundLifeTest, LevelsAtTheirLimits) {
  const std::vector<std::int16_t> src = ramp(8820, 29);
  enum Kind { kVolume, kHundredths, kPan, kFrequency };
  struct Case {
    Kind kind;
    int value;
    int result;
    double left, right;  // gains in hundredths of a decibel (-10000 silent)
    int rate;            // the rate the data plays at
  } cases[] = {
      {kVolume, 255, 0, 0, 0, 44100},          {kVolume, 0, 0, -10000, -10000, 44100},
      {kVolume, 1, 0, -10000, -10000, 44100},   {kVolume, -5, 0, -10000, -10000, 44100},
      {kVolume, 300, 0, 0, 0, 44100},           {kHundredths, 10000, 0, 0, 0, 44100},
      {kHundredths, 0, 0, -10000, -10000, 44100}, {kHundredths, 20000, 0, 0, 0, 44100},
      {kPan, -10000, 0, 0, -10000, 44100},      {kPan, 10000, 0, -10000, 0, 44100},
      {kPan, -20000, 0, 0, -10000, 44100},      {kPan, 1, 0, -1, 0, 44100},
      {kFrequency, 22050, 0, 0, 0, 22050},      {kFrequency, 88200, 0, 0, 0, 88200},
      {kFrequency, 100, 0, 0, 0, 100},          {kFrequency, 200000, 0, 0, 0, 200000},
      {kFrequency, 0, 0, 0, 0, 44100},          {kFrequency, -1, 0, 0, 0, 44100},
      {kFrequency, 99, -1, 0, 0, 33000},        {kFrequency, 200001, -1, 0, 0, 33000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " value " << c.value);
    std::vector<std::uint8_t> image;
    const int h = loadSound(src, 0, &image);
    ASSERT_NE(h, -1);
    if (c.kind == kFrequency) {
      ASSERT_EQ(SetSoundMemFrequency(33000, h), 0);  // what a refusal keeps
    }
    int result = 0;
    switch (c.kind) {
      case kVolume: result = ChangeSoundMemVolume(c.value, h); break;
      case kHundredths: result = SetSoundMemVolumeHundredths(c.value, h); break;
      case kPan: result = SetSoundMemPan(c.value, h); break;
      case kFrequency: result = SetSoundMemFrequency(c.value, h); break;
    }
    EXPECT_EQ(result, c.result);
    if (c.kind == kFrequency) {
      EXPECT_EQ(GetSoundMemFrequency(h), c.rate);
    }
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
    const std::vector<std::int16_t> stereo = run(kTick * 10);
    const auto gain = [](double hundredths) { return hundredths <= -10000 ? 0.0 : std::pow(10.0, hundredths / 2000); };
    const double gl = gain(c.left), gr = gain(c.right);
    // The mixer interpolates linearly at rate / 44100 source samples an output frame.
    const std::uint64_t step = (static_cast<std::uint64_t>(c.rate) << 32) / 44100;
    std::size_t at = 0;
    while (at < stereo.size() / 2 && stereo[2 * at] == 0 && stereo[2 * at + 1] == 0) ++at;
    if (gl == 0 && gr == 0) {
      EXPECT_EQ(at, stereo.size() / 2) << "sound at silent levels";
      DeleteSoundMem(h);
      continue;
    }
    std::uint64_t phase = 0;
    int bad = 0;
    for (std::size_t k = at; k < stereo.size() / 2 && (phase >> 32) + 1 < src.size() && bad < 3; ++k, phase += step) {
      const std::size_t i = static_cast<std::size_t>(phase >> 32);
      const double f = static_cast<double>(static_cast<std::uint32_t>(phase)) / 4294967296.0;
      const double v = src[i] + (src[i + 1] - src[i]) * f;
      if (std::abs(stereo[2 * k] - v * gl) > 1.5 || std::abs(stereo[2 * k + 1] - v * gr) > 1.5) {
        ADD_FAILURE() << "frame " << k - at << ": " << stereo[2 * k] << "," << stereo[2 * k + 1] << " for " << v * gl
                      << "," << v * gr;
        ++bad;
      }
    }
    EXPECT_EQ(DeleteSoundMem(h), 0);
  }
}

// Time stretch and pitch of odd lengths: a level signal stays level to its last sample
// through the stretcher (8, 16 and float, mono and stereo, longer and shorter, steps
// that do not fit), and through a load with pitch or stretch, played looping, where the
// end of one pass meets the start of the next without a drop.
TEST_F(SoundLifeTest, StretchAndPitchOfOddLengthsKeepTheirEnds) {
  struct Stretch {
    int bits, channels, from, to;
  } stretches[] = {{16, 1, 4411, 8821}, {16, 2, 44101, 22051}, {32, 1, 441, 4409}, {8, 1, 4411, 22051},
                   {16, 1, 44101, 443}, {16, 1, 4411, 5},      {32, 2, 1, 2}};
  for (const Stretch& c : stretches) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels, " << c.from << " to " << c.to);
    const int src = MakeSoftSound(c.channels, c.bits, 44100, c.from, c.bits == 32);
    const int dst = MakeSoftSound(c.channels, c.bits, 44100, c.to, c.bits == 32);
    void* in = GetSoftSoundData(src)->Wave;
    const void* out = GetSoftSoundData(dst)->Wave;
    const double level = c.bits == 8 ? 200 : c.bits == 16 ? 12345 : 0.25;
    auto sample = [&](const void* w, int i) -> double {
      if (c.bits == 8) return static_cast<const std::uint8_t*>(w)[i];
      if (c.bits == 16) return static_cast<const std::int16_t*>(w)[i];
      return static_cast<const float*>(w)[i];
    };
    for (int i = 0; i < c.from * c.channels; ++i) {
      if (c.bits == 8) static_cast<std::uint8_t*>(in)[i] = 200;
      if (c.bits == 16) static_cast<std::int16_t*>(in)[i] = 12345;
      if (c.bits == 32) static_cast<float*>(in)[i] = 0.25f;
    }
    ASSERT_EQ(TimeStretchSoftSound(src, dst), 0);
    for (int i = 0; i < c.to * c.channels; ++i) ASSERT_EQ(sample(out, i), level) << "frame " << i / c.channels;
    DeleteSoftSound(src);
    DeleteSoftSound(dst);
  }

  constexpr int kLength = 4411;
  constexpr std::int16_t kLevel = 8000;
  const std::vector<std::int16_t> src(kLength, kLevel);
  image = makeWave(1, 1, 44100, 16, src.data(), kLength * 2);
  struct Load {
    float pitch, stretch;
    int samples;
    double tolerance;  // of the level, away from the first and last 64 samples
  } loads[] = {{1.0f, 2.0f, 8822, 0}, {1.0f, 0.5f, 2205, 0}, {1.5f, 1.0f, kLength, 0.01}, {3.0f, 1.0f, kLength, 0.01}};
  for (const Load& c : loads) {
    SCOPED_TRACE(testing::Message() << "pitch " << c.pitch << " stretch " << c.stretch);
    LoadSoundSettings s;
    InitLoadSoundSettings(&s);
    s.EnablePitchRate = c.pitch != 1.0f;
    s.PitchRate = c.pitch;
    s.EnableTimeStretch = c.stretch != 1.0f;
    s.TimeStretchRate = c.stretch;
    const int h = LoadSoundMemByMemImageWithParams(&s, 1, -1, image.data(), static_cast<std::uint32_t>(image.size()),
                                                   1, -1, 0, 0);
    ASSERT_NE(h, -1);
    ASSERT_EQ(GetSoundMemTotalSample(h), c.samples);
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_LOOP, 1), 0);
    LifeRun run;
    run.play(static_cast<std::uint32_t>(c.samples) * 2 + kTick);
    const std::size_t at = firstSound(run.heard);
    ASSERT_LT(at, kTick);
    for (std::size_t i = 0; i < static_cast<std::size_t>(c.samples) * 2; ++i) {
      const int k = static_cast<int>(i) % c.samples;
      const int heard = run.heard[at + i];
      if (k < 64 || k >= c.samples - 64) {
        ASSERT_GT(heard, kLevel / 2) << "a drop at " << k << " of the pass";
      } else {
        ASSERT_LE(std::abs(heard - kLevel), kLevel * c.tolerance) << k;
      }
    }
    EXPECT_EQ(DeleteSoundMem(h), 0);
  }
}

}  // namespace
}  // namespace halvorine_test
