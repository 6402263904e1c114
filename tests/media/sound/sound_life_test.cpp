// Sounds through their life at the edges of their ranges (made, played, paused by a
// lost activation, resumed, stopped, freed, made again), the mixed output compared
// sample by sample with what the source PCM says it must be.
#include "media/base/memory.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

constexpr std::uint32_t kTick = 441;

// The loop and position tests run on both outputs (the bool: XAudio2).
class SoundLife : public SoundSystemTest, public testing::WithParamInterface<bool> {
  bool xaudio2() override { return GetParam(); }
};
using SoundLifeTest = SoundSystemTest;

// A mono 16-bit 44.1-kHz memory sound (kind 0) or stream sound (kind 2), optionally
// playing through the stream buffer of `source`.
int loadSound(const std::vector<std::int16_t>& src, int kind, std::vector<std::uint8_t>* image, int source = -1) {
  *image = makeWave(1, 1, 44100, 16, src.data(), static_cast<std::uint32_t>(src.size() * 2));
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = kind;
  return LoadSoundMemByMemImageWithParams(&s, 1, -1, image->data(), static_cast<std::uint32_t>(image->size()), 1,
                                          source, 0, 0);
}

// `count` samples of src[0, end) and then src[start, end) over and over.
std::vector<std::int16_t> looped(const std::vector<std::int16_t>& src, std::size_t start, std::size_t end,
                                 std::size_t count) {
  std::vector<std::int16_t> want;
  for (std::size_t i = 0; want.size() < count; i = i + 1 < end ? i + 1 : start) want.push_back(src[i]);
  return want;
}

// Left channel of `frames` played; a pause of `paused` frames first, which must be silent.
std::vector<std::int16_t> heard(std::uint32_t frames, std::uint32_t paused = 0) {
  if (paused > 0) {
    SetSoundMemPauseAll(1);
    const std::vector<std::int16_t> quiet = mixFrames(paused);
    SetSoundMemPauseAll(0);
    EXPECT_EQ(firstSound(quiet), quiet.size()) << "sound while paused";
  }
  return left(mixFrames(frames));
}

void append(std::vector<std::int16_t>* to, const std::vector<std::int16_t>& more) {
  to->insert(to->end(), more.begin(), more.end());
}

// Loop ends and starts on a refill boundary (the first fill is 33075 samples, later
// refills 5512, the decoder reads 44100 at a time) and one sample either side, loops
// shorter than a refill, and short sounds played looping: each must sound exactly like
// its source looped, report the sample under the cursor, and go silent when stopped.
TEST_P(SoundLife, LoopSeamsAndShortLoops) {
  struct Case {
    int kind, length;
    int start, end;  // start -1: the whole sound with the loop type
  } cases[] = {{2, 60000, 1000, 33074}, {2, 60000, 1000, 33075}, {2, 60000, 1000, 33076}, {2, 60000, 1000, 38587},
               {2, 60000, 1000, 44100}, {2, 60000, 1000, 44101}, {2, 60000, 33074, 50000}, {2, 60000, 33075, 50000},
               {2, 60000, 33076, 50000}, {2, 60000, 44100, 50000}, {2, 60000, 100, 101},   {2, 60000, 100, 107},
               {2, 60000, 100, 108},    {2, 60000, 0, 5512},     {2, 60000, 0, 5513},     {2, 300, -1, 300},
               {2, 5, -1, 5},           {2, 5511, -1, 5511},     {0, 1, -1, 1},           {0, 5, -1, 5},
               {0, 300, -1, 300}};
  const auto allocations = MemGetAllocNum();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", " << c.length << " samples, loop " << c.start << ".."
                                    << c.end);
    const std::vector<std::int16_t> src = ramp(static_cast<std::size_t>(c.length), 13);
    const std::size_t start = c.start < 0 ? 0 : static_cast<std::size_t>(c.start), end = c.end;
    for (int life = 0; life < 2; ++life) {
      std::vector<std::uint8_t> image;
      const int h = loadSound(src, c.kind, &image);
      ASSERT_NE(h, -1);
      if (c.start >= 0) {
        ASSERT_EQ(SetSoundMemLoopSamplePos(c.start, c.end, h), 0);
      }
      ASSERT_EQ(PlaySoundMem(h, c.start < 0 ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1), 0);
      std::vector<std::int16_t> got = heard(kTick * 70);
      if (life == 0) append(&got, heard(kTick * 90, kTick * 7));
      const std::size_t at = firstSound(got), played = got.size() - at;
      ASSERT_LT(at, kTick * 2u);
      EXPECT_EQ(mismatch(got, at, looped(src, start, end, played)), -1) << "life " << life;
      const std::size_t under = played < end ? played : start + (played - end) % (end - start);
      EXPECT_EQ(GetSoundMemCurrentPosition(h), static_cast<int>(under * 2));
      EXPECT_EQ(StopSoundMem(h), 0);
      EXPECT_EQ(CheckSoundMemPlaying(h), 0);
      const std::vector<std::int16_t> after = heard(kTick * 3);
      EXPECT_EQ(firstSound(after), after.size()) << "sound after the stop";
      EXPECT_EQ(DeleteSoundMem(h), 0);
    }
  }
  EXPECT_EQ(MemGetAllocNum(), allocations);
}

// Play positions at 0, the last sample, the length and past it: an accepted one plays
// from there to the end; a refused one answers -1 and leaves the position (no wrap).
TEST_P(SoundLife, PlayPositionsAtAndPastTheEnd) {
  constexpr int kLength = 4410, kBefore = 100;
  const std::vector<std::int16_t> src = ramp(kLength, 11);
  struct Case {
    int position, memoryResult, streamResult;
  } cases[] = {{0, 0, 0},    {kLength - 1, 0, 0}, {kLength, -1, 0},     {kLength + 1, -1, -1},
               {-1, -1, -1}, {1 << 29, -1, -1},   {0x7FFFFFFF, -1, -1}};
  for (const int kind : {0, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " position " << c.position);
      std::vector<std::uint8_t> image;
      const int h = loadSound(src, kind, &image);
      ASSERT_EQ(SetSoundMemCurrentPosition(kBefore, h), 0);
      const int result = kind == 0 ? c.memoryResult : c.streamResult;
      EXPECT_EQ(SetSoundMemCurrentPosition(c.position, h), result);
      const int from = result == 0 ? c.position : kBefore;
      EXPECT_EQ(GetSoundMemCurrentPosition(h), from * 2);
      ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 0), 0);
      std::vector<std::int16_t> want(src.begin() + from, src.end());
      want.resize(kTick * 20 - kTick);  // then silence
      const std::vector<std::int16_t> got = heard(kTick * 20);
      EXPECT_EQ(mismatch(got, firstSound(got) == got.size() ? 0 : firstSound(got), want), -1);
      EXPECT_EQ(CheckSoundMemPlaying(h), 0);
      EXPECT_EQ(DeleteSoundMem(h), 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, SoundLife, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "XAudio2" : "DirectSound"; });

// A stream playing through another's buffer plays on, sample for sample, when that
// owner is deleted under it, and its pan and frequency reach that buffer.
TEST_F(SoundLifeTest, SharedBufferUserPlaysOnWhenItsOwnerIsDeleted) {
  const std::vector<std::int16_t> a = ramp(30000, 3), b = ramp(20000, 17);
  const auto allocations = MemGetAllocNum();
  for (int life = 0; life < 2; ++life) {
    std::vector<std::uint8_t> imageA, imageB;
    const int owner = loadSound(a, 2, &imageA);
    const int user = loadSound(b, 2, &imageB, owner);
    ASSERT_EQ(GetSoundRecord(user)->BufferSourceHandle, owner);
    if (life == 1) {  // the owner plays first and the user takes its buffer over
      ASSERT_EQ(PlaySoundMem(owner, DX_PLAYTYPE_LOOP, 1), 0);
      heard(kTick * 5);
    }
    ASSERT_EQ(PlaySoundMem(user, DX_PLAYTYPE_LOOP, 1), 0);
    EXPECT_EQ(CheckSoundMemPlaying(owner), 0);
    std::vector<std::int16_t> got = heard(kTick * 30);
    EXPECT_EQ(DeleteSoundMem(owner), 0);
    EXPECT_EQ(CheckSoundMemPlaying(user), 1);
    append(&got, heard(kTick * 60, kTick * 4));
    const std::size_t at = firstSound(got);
    EXPECT_EQ(mismatch(got, at, looped(b, 0, b.size(), got.size() - at)), -1) << life;
    ASSERT_EQ(SetSoundMemPan(-10000, user), 0);
    ASSERT_EQ(SetSoundMemFrequency(22050, user), 0);
    EXPECT_EQ(GetSoundMemFrequency(user), 22050);
    const std::vector<std::int16_t> panned = run(kTick * 2);
    for (std::size_t i = 0; i < panned.size(); i += 2) ASSERT_EQ(panned[i + 1], 0) << "right channel at " << i / 2;
    EXPECT_EQ(DeleteSoundMem(user), 0);
    EXPECT_EQ(GetHandleInfo(owner), nullptr);
  }
  EXPECT_EQ(MemGetAllocNum(), allocations);
}

// Volume, pan and frequency at and past their limits: what is heard follows the gains
// (hundredths of a decibel) and the rate; a rate the output cannot play is refused
// with -1 and the sound keeps the one it had.
TEST_F(SoundLifeTest, LevelsAtTheirLimits) {
  const std::vector<std::int16_t> src = ramp(8820, 29);
  enum Kind { kVolume, kHundredths, kPan, kFrequency };
  struct Case {
    Kind kind;
    int value, result;
    double left, right;
    int rate;
  } cases[] = {{kVolume, 0, 0, -10000, -10000, 33000},   {kVolume, 300, 0, 0, 0, 33000},
               {kHundredths, 20000, 0, 0, 0, 33000},     {kPan, -20000, 0, 0, -10000, 33000},
               {kPan, 10000, 0, -10000, 0, 33000},       {kPan, 1, 0, -1, 0, 33000},
               {kFrequency, 100, 0, 0, 0, 100},          {kFrequency, 200000, 0, 0, 0, 200000},
               {kFrequency, -1, 0, 0, 0, 44100},         {kFrequency, 99, -1, 0, 0, 33000},
               {kFrequency, 200001, -1, 0, 0, 33000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " value " << c.value);
    std::vector<std::uint8_t> image;
    const int h = loadSound(src, 0, &image);
    ASSERT_EQ(SetSoundMemFrequency(33000, h), 0);
    int (*const set[])(int, int) = {ChangeSoundMemVolume, SetSoundMemVolumeHundredths, SetSoundMemPan,
                                    SetSoundMemFrequency};
    EXPECT_EQ(set[c.kind](c.value, h), c.result);
    EXPECT_EQ(GetSoundMemFrequency(h), c.rate);
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
    const std::vector<std::int16_t> got = run(kTick * 10);
    const auto gain = [](double db) { return db <= -10000 ? 0.0 : std::pow(10.0, db / 2000); };
    // The mixer steps rate / 44100 source samples a frame, interpolating linearly.
    const std::uint64_t step = (static_cast<std::uint64_t>(c.rate) << 32) / 44100;
    std::uint64_t phase = 0;
    for (std::size_t k = 0; k < got.size() / 2 && (phase >> 32) + 1 < src.size(); ++k, phase += step) {
      const std::size_t i = static_cast<std::size_t>(phase >> 32);
      const double v = src[i] + (src[i + 1] - src[i]) * static_cast<double>(static_cast<std::uint32_t>(phase)) / 0x1p32;
      ASSERT_NEAR(got[2 * k], v * gain(c.left), 1.5) << "left, frame " << k;
      ASSERT_NEAR(got[2 * k + 1], v * gain(c.right), 1.5) << "right, frame " << k;
    }
    EXPECT_EQ(DeleteSoundMem(h), 0);
  }
}

// A level signal of odd length stays level to its last sample through the stretcher
// (longer, shorter, steps that do not fit); loaded with a stretch or a pitch and
// played looping, one pass meets the next without a drop.
template <typename T>
long stretchedLevel(int channels, int from, int to, T level) {
  const int bits = sizeof(T) * 8;
  const int src = MakeSoftSound(channels, bits, 44100, from, bits == 32);
  const int dst = MakeSoftSound(channels, bits, 44100, to, bits == 32);
  std::fill_n(static_cast<T*>(GetSoftSoundData(src)->Wave), from * channels, level);
  long bad = TimeStretchSoftSound(src, dst) == 0 ? -1 : 0;
  const T* out = static_cast<const T*>(GetSoftSoundData(dst)->Wave);
  for (int i = 0; i < to * channels && bad < 0; ++i) bad = out[i] == level ? -1 : i / channels;
  DeleteSoftSound(src);
  DeleteSoftSound(dst);
  return bad;
}

TEST_F(SoundLifeTest, StretchAndPitchOfOddLengthsKeepTheirEnds) {
  EXPECT_EQ(stretchedLevel<std::int16_t>(1, 4411, 8821, 12345), -1);
  EXPECT_EQ(stretchedLevel<std::int16_t>(2, 44101, 22051, 12345), -1);
  EXPECT_EQ(stretchedLevel<std::int16_t>(1, 44101, 443, 12345), -1);
  EXPECT_EQ(stretchedLevel<std::int16_t>(1, 4411, 5, 12345), -1);
  EXPECT_EQ(stretchedLevel<std::uint8_t>(1, 4411, 22051, 200), -1);
  EXPECT_EQ(stretchedLevel<float>(1, 441, 4409, 0.25f), -1);
  EXPECT_EQ(stretchedLevel<float>(2, 1, 2, 0.25f), -1);

  constexpr int kLength = 4411, kLevel = 8000;
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
    ASSERT_EQ(GetSoundMemTotalSample(h), c.samples);
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_LOOP, 1), 0);
    const std::vector<std::int16_t> got = heard(static_cast<std::uint32_t>(c.samples) * 2 + kTick);
    const std::size_t at = firstSound(got);
    for (int i = 0; i < c.samples * 2; ++i) {
      const int k = i % c.samples, v = got[at + static_cast<std::size_t>(i)];
      if (k < 64 || k >= c.samples - 64) {
        ASSERT_GT(v, kLevel / 2) << "a drop at " << k << " of the pass";
      } else {
        ASSERT_LE(std::abs(v - kLevel), kLevel * c.tolerance) << k;
      }
    }
    EXPECT_EQ(DeleteSoundMem(h), 0);
  }
}

}  // namespace
}  // namespace halvorine_test
