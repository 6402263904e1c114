// The WAVE converter: formats it takes and refuses, float conversion, sizes that the
// file overstates, and moves.
#include "tests/media/sound/converter_fixture.h"
#include "tests/media/sound/sound_system_fixture.h"

#include "media/base/memory.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace halvorine_test {
namespace {

using namespace ZaDod;

using Opened = Converter;

TEST(SoundWave, AcceptsAndRefusesFormats) {
  const std::int16_t pcm[4] = {1, -2, 3, -4};
  const std::uint64_t f64[2] = {0, 0};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    int result;
    int bits;
    std::int32_t size;
  } cases[] = {
      {"plain 16-bit stereo", makeWave(1, 2, 44100, 16, pcm, 8), 0, 16, 8},
      {"odd LIST chunk first", makeWave(1, 2, 44100, 16, pcm, 8, {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0}), 0, 16, 8},
      {"16-byte fmt with wrong bits", makeWave(1, 2, 44100, 8, pcm, 8, {}, -1, 16, 4), 0, 16, 8},
      {"24-bit stereo", makeWave(1, 2, 44100, 24, pcm, 6), 0, 24, 6},
      {"32-bit integer", makeWave(1, 1, 44100, 32, pcm, 8), 0, 32, 8},
      {"64-bit float", makeWave(3, 1, 44100, 64, f64, 16), -1, 0, 0},
      {"no channels", makeWave(1, 0, 44100, 16, pcm, 8, {}, -1, 16, 2), -1, 0, 0},
      {"no rate", makeWave(1, 1, 0, 16, pcm, 8), -1, 0, 0},
      {"block align 0", makeWave(1, 1, 44100, 16, pcm, 8, {}, -1, 18, 0), -1, 0, 0},
      {"block align disagrees", makeWave(1, 2, 44100, 16, pcm, 8, {}, -1, 18, 3), -1, 0, 0},
      {"fmt under 16 bytes", makeWave(1, 1, 44100, 16, pcm, 8, {}, -1, 14), -1, 0, 0},
      {"pipe size 0xFFFFFFFF", makeWave(1, 1, 8000, 16, pcm, 8, {}, 0xFFFFFFFF), 0, 16, 8},
      {"pipe size 0x7FFFF000", makeWave(1, 1, 8000, 16, pcm, 8, {}, 0x7FFFF000), 0, 16, 8},
      {"not RIFF", std::vector<std::uint8_t>(40, 'x'), -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o(c.file);
    ASSERT_EQ(o.result, c.result);
    if (c.result != 0) continue;
    EXPECT_EQ(o.convert.OutFormat.wBitsPerSample, c.bits);
    EXPECT_EQ(GetSoundConvertDestSize(&o.convert), c.size);
    pa::WAVEFORMATEX format;
    void* data = nullptr;
    std::uint32_t size = 0;
    const std::size_t before = MemGetTotalAllocSize();
    ASSERT_EQ(SoundConvertToMemory(&o.convert, &format, &data, &size), 0);
    EXPECT_LE(MemGetTotalAllocSize() - before, c.file.size() + 64);  // no allocation from the size field
    EXPECT_EQ(size, static_cast<std::uint32_t>(c.size));
    EXPECT_EQ(std::memcmp(data, pcm, size), 0);
    MemFree(data);
  }
}

TEST(SoundWave, FloatBecomesSixteenBitsInHalfTheBytes) {
  const float f[4] = {1.5f, -2.0f, 0.5f, -0.5f};
  Opened o(makeWave(3, 2, 44100, 32, f, 16, {}, -1, 18));
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(GetSoundConvertDestSize(&o.convert), 8);
  std::int16_t out[4] = {};
  EXPECT_EQ(RunSoundConvert(&o.convert, out, 8), 8);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[2], 16384);
  EXPECT_EQ(out[3], -16384);
  EXPECT_EQ(RunSoundConvert(&o.convert, out, 8), 0);
  EXPECT_EQ(o.convert.EndFlag, 1);
}

// Float data longer than a piece (one second) gives the same samples whether it is read
// in one call, in odd small reads, or in reads of a piece and more mixed with odd ones
// around a move back.
TEST(SoundWave, LongFloatDataReadsTheSameInAnyPieces) {
  const int frames = 8000 * 5 / 2 + 3;  // two and a half seconds at 8 kHz stereo, and a bit
  std::vector<float> f(static_cast<std::size_t>(frames) * 2);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<float>(static_cast<int>(i * 37 % 2501) - 1250) / 1000.0f;
  std::vector<std::int16_t> want(f.size());
  for (std::size_t i = 0; i < f.size(); ++i)
    want[i] = static_cast<std::int16_t>(std::clamp(f[i] * 32768.0f, -32768.0f, 32767.0f));
  const std::vector<std::uint8_t> file =
      makeWave(3, 2, 8000, 32, f.data(), static_cast<std::uint32_t>(f.size() * 4), {}, -1, 18);
  const int bytes = static_cast<int>(want.size() * 2);
  for (const std::vector<int>& pieces : {std::vector<int>{bytes}, std::vector<int>{6, 1000, 4}, std::vector<int>{32000, 7, 64001, 2}}) {
    Opened o(file);
    ASSERT_EQ(o.result, 0);
    std::vector<std::int16_t> got(want.size());
    auto* out = reinterpret_cast<std::uint8_t*>(got.data());
    int at = 0;
    for (std::size_t k = 0; at < bytes; ++k) {
      const int n = RunSoundConvert(&o.convert, out + at, std::min(pieces[k % pieces.size()], bytes - at));
      ASSERT_GT(n, 0) << at;
      at += n;
    }
    EXPECT_EQ(got, want) << pieces[0];
    EXPECT_EQ(RunSoundConvert(&o.convert, out, 4), 0);
    // Back to frame 1000, then a piece and more in one read.
    ASSERT_EQ(SetSoundConvertPosition(&o.convert, 1000), 0);
    std::vector<std::int16_t> again(want.size() - 2000);
    ASSERT_EQ(RunSoundConvert(&o.convert, again.data(), static_cast<int>(again.size() * 2)),
              static_cast<int>(again.size() * 2));
    EXPECT_TRUE(std::equal(again.begin(), again.end(), want.begin() + 2000)) << pieces[0];
  }
}

TEST(SoundWave, PiecesMovesAndTheEnd) {
  const std::vector<std::int16_t> s = ramp(1000);
  Opened o(makeWave(1, 1, 8000, 16, s.data(), 2000));
  ASSERT_EQ(o.result, 0);
  std::vector<std::int16_t> got(1000);
  // Reads in odd pieces come back whole.
  int at = 0;
  for (int piece = 3; at < 2000; piece += 4) at += RunSoundConvert(&o.convert, reinterpret_cast<char*>(got.data()) + at, piece);
  EXPECT_EQ(got, s);
  EXPECT_EQ(o.convert.EndFlag, 1);
  // A move to where the data stands changes nothing, the end flag included; a move of
  // a few frames is a move all the same.
  EXPECT_EQ(SetSoundConvertPosition(&o.convert, 1000), 0);
  EXPECT_EQ(o.convert.EndFlag, 1);
  std::int16_t v = 0;
  for (const int frame : {995, 500, 999}) {
    EXPECT_EQ(SetSoundConvertPosition(&o.convert, frame), 0);
    EXPECT_EQ(o.convert.EndFlag, 0);
    EXPECT_EQ(RunSoundConvert(&o.convert, &v, 2), 2);
    EXPECT_EQ(v, s[frame]) << frame;
  }
}

TEST(SoundWave, PipeWrittenFilesLoadWhole) {
  struct Case {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::int32_t samples;
  };
  std::vector<Case> cases;
  // The layout a stream writer uses: a LIST chunk first and an unknown data size.
  const std::vector<std::int16_t> s = ramp(8820);
  const std::vector<std::uint8_t> list = {'L', 'I', 'S', 'T', 26, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T',
                                          14, 0, 0, 0, 'h', 'a', 'l', 'v', 'o', 'r', 'i', 'n', 'e', ' ', 'p', 'i', 'p', 0};
  cases.push_back({"stream writer", makeWave(1, 1, 44100, 16, s.data(), 8820 * 2, list, 0xFFFFFFFF), 8820});
  // In the test's own folder, which goes with the test.
  const std::string sox = "sox_pipe.wav";
  ASSERT_EQ(std::system(("sox -n -r 8000 -c 1 -b 16 -t wav - synth 0.1 sine 440 > " + sox + " 2>/dev/null").c_str()), 0);
  FILE* f = std::fopen(sox.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> bytes;
  for (int ch; (ch = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(ch));
  std::fclose(f);
  cases.push_back({"sox to a pipe", bytes, 800});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o(c.bytes);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(GetSoundConvertDestSize(&o.convert) / o.convert.OutFormat.nBlockAlign, c.samples);
    pa::WAVEFORMATEX format;
    void* data = nullptr;
    std::uint32_t size = 0;
    const std::size_t before = MemGetTotalAllocSize();
    ASSERT_EQ(SoundConvertToMemory(&o.convert, &format, &data, &size), 0);
    EXPECT_LE(MemGetTotalAllocSize() - before, c.bytes.size() + 64);
    EXPECT_EQ(size / 2, static_cast<std::uint32_t>(c.samples));
    MemFree(data);
  }
}

// Float data in memory is converted where it lies; through a stream of another kind it is
// read out first. Both give the same samples for any value (NaN, infinities, tiny and
// huge), channel count, odd placement of the data, short last frame, piece size and move.
TEST(SoundWave, FloatInMemoryReadsAsThroughAnyStream) {
  std::mt19937 rng(11);
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 1e-40f, -0.0f, 0.99999f, -1.0f, 1e30f};
  StreamFunctions other = *GetMemStreamFunctions();
  other.Read = [](void* buffer, std::size_t size, std::size_t count, void* data) {
    return GetMemStreamFunctions()->Read(buffer, size, count, data);
  };
  for (int channels : {1, 2, 3}) {
    const int frames = 4000 + channels * 777;
    std::vector<float> f(static_cast<std::size_t>(frames) * channels);
    for (float& v : f)
      v = rng() % 7 == 0 ? specials[rng() % 8] : static_cast<float>(static_cast<int>(rng() % 5001) - 2500) / 1000.0f;
    const std::uint32_t bytes = static_cast<std::uint32_t>(f.size() * 4) + 2;  // and half a sample
    std::vector<std::uint8_t> data(bytes);
    std::memcpy(data.data(), f.data(), f.size() * 4);
    // An odd chunk first puts the samples at an odd address.
    const std::vector<std::uint8_t> file =
        makeWave(3, channels, 8000, 32, data.data(), bytes, {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'x', 'y', 'z', 0}, -1, 18);
    std::vector<std::vector<std::int16_t>> results;
    for (const StreamFunctions* functions : {GetMemStreamFunctions(), static_cast<const StreamFunctions*>(&other)}) {
      MemStream* stream = MemStreamOpen(file.data(), static_cast<std::uint32_t>(file.size()));
      StreamData source{*functions, stream};
      SoundConvert convert{};
      ASSERT_EQ(SetupSoundConvert(&convert, &source, 0, 2, 0), 0);
      const int total = GetSoundConvertDestSize(&convert);
      ASSERT_EQ(total, frames * channels * 2);
      std::vector<std::int16_t> got(static_cast<std::size_t>(total));  // room for a second pass
      auto* out = reinterpret_cast<std::uint8_t*>(got.data());
      int at = 0;
      for (int piece = 5; at < total; piece = piece * 3 % 20011 + 1) {
        const int n = RunSoundConvert(&convert, out + at, std::min(piece, total - at));
        ASSERT_GT(n, 0) << at;
        at += n;
      }
      EXPECT_EQ(RunSoundConvert(&convert, out, 4), 0);
      // Back to frame 500 and the rest again, after the first pass.
      ASSERT_EQ(SetSoundConvertPosition(&convert, 500), 0);
      const int rest = total - 500 * channels * 2;
      ASSERT_EQ(RunSoundConvert(&convert, out + total, rest), rest);
      results.push_back(got);
      CloseSoundConvert(&convert);
      MemStreamClose(stream);
    }
    EXPECT_EQ(results[0], results[1]) << channels;
    std::vector<std::int16_t> want(f.size());
    for (std::size_t i = 0; i < f.size(); ++i)
      want[i] = std::isnan(f[i]) ? 32767 : static_cast<std::int16_t>(std::clamp(f[i] * 32768.0f, -32768.0f, 32767.0f));
    EXPECT_TRUE(std::equal(want.begin(), want.end(), results[0].begin())) << channels;
    EXPECT_TRUE(std::equal(want.begin() + 500 * channels, want.end(), results[0].begin() + f.size())) << channels;
  }
}

}  // namespace
}  // namespace halvorine_test
