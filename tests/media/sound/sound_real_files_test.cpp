// Files as real writers make them, made at test time by sox, lame, oggenc and opusenc:
// header fields that lie, data that only looks like MPEG audio, MP3 of one frame and
// MP3 inside WAVE. Each is either played as its reference decode says or refused.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"
#include "tests/media/sound/converter_fixture.h"
#include "tests/media/sound/reference_decode.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

using RealFilesTest = CompressedTest;

// The offset of a RIFF chunk's body; 0 when there is none.
std::size_t chunkBody(const std::vector<std::uint8_t>& f, const char* id) {
  for (std::size_t p = 12; p + 8 <= f.size();) {
    std::uint32_t size;
    std::memcpy(&size, &f[p + 4], 4);
    if (std::memcmp(&f[p], id, 4) == 0) return p + 8;
    p += 8 + size + (size & 1);
  }
  return 0;
}

// Frames that hold sound, and where the first and last of them are.
struct Loud {
  std::size_t first = 0, last = 0, count = 0;
};
Loud loudFrames(const std::vector<std::int16_t>& stereo) {
  Loud l;
  for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
    if (std::abs(stereo[i]) < 200 && std::abs(stereo[i + 1]) < 200) continue;
    if (l.count++ == 0) l.first = i / 2;
    l.last = i / 2;
  }
  return l;
}

TEST_F(RealFilesTest, WaveWithAWrongBytesPerSecondFieldPlaysItsSecondAndEnds) {
  HALVORINE_NEED_FILE("sox", "tone8k.wav", "sox -n -r 8000 -c 1 -b 16 tone8k.wav synth 1 sine 440 vol 0.8");
  const std::vector<std::uint8_t> good = readBytes("tone8k.wav");
  const std::size_t fmt = chunkBody(good, "fmt ");
  ASSERT_NE(fmt, 0u);
  for (std::uint32_t field : {80u, 0u, 1u, 16000u * 1000u}) {
    for (int kind : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "field " << field << " kind " << kind);
      std::vector<std::uint8_t> bad = good;
      std::memcpy(&bad[fmt + 8], &field, 4);
      const int h = load(bad, kind);
      ASSERT_NE(h, -1);
      EXPECT_EQ(GetSoundMemTotalSample(h), 8000);
      EXPECT_EQ(GetSoundRecord(h)->WaveFormat.nAvgBytesPerSec, 16000u);
      ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
      const std::vector<std::int16_t> out = run(44100 * 2);
      const Loud l = loudFrames(out);
      // One second of tone at the output rate, then silence to the end of the run.
      EXPECT_LT(l.first, 4410u);
      EXPECT_NEAR(static_cast<double>(l.last - l.first), 44100.0, 441.0);
      EXPECT_EQ(CheckSoundMemPlaying(h), 0);
      DeleteSoundMem(h);
    }
  }
}

// MP3 frames in a RIFF WAVE, with the 30-byte MPEG layer-3 format record that common
// writers make: its block-size field holds the samples per frame.
std::vector<std::uint8_t> mp3InWave(const std::vector<std::uint8_t>& mp3, int channels, int rate, int kbps,
                                    std::uint16_t blockSize) {
  std::vector<std::uint8_t> w;
  auto put = [&](const void* p, std::size_t n) {
    w.insert(w.end(), static_cast<const std::uint8_t*>(p), static_cast<const std::uint8_t*>(p) + n);
  };
  auto put32 = [&](std::uint32_t v) { put(&v, 4); };
  auto put16 = [&](std::uint16_t v) { put(&v, 2); };
  put("RIFF", 4);
  put32(0);
  put("WAVEfmt ", 8);
  put32(30);
  put16(0x55);
  put16(static_cast<std::uint16_t>(channels));
  put32(static_cast<std::uint32_t>(rate));
  put32(static_cast<std::uint32_t>(kbps * 125));
  put16(1);
  put16(0);
  put16(12);
  put16(1);      // MPEG
  put32(2);      // padding off
  put16(blockSize);
  put16(1);      // frames per block
  put16(1393);   // codec delay
  put("fact", 4);
  put32(4);
  put32(0);
  put("data", 4);
  put32(static_cast<std::uint32_t>(mp3.size()));
  put(mp3.data(), mp3.size());
  const std::uint32_t riff = static_cast<std::uint32_t>(w.size() - 8);
  std::memcpy(w.data() + 4, &riff, 4);
  return w;
}

// One Ogg page holding body as one packet, or with the lacing values given, its
// checksum filled in.
std::vector<std::uint8_t> oggPage(std::uint8_t flags, std::uint32_t sequence, const std::vector<std::uint8_t>& body,
                                  std::vector<std::uint8_t> lacing = {}) {
  std::vector<std::uint8_t> page = {'O', 'g', 'g', 'S', 0, flags, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
  for (int i = 0; i < 4; ++i) page.push_back(static_cast<std::uint8_t>(sequence >> (8 * i)));
  page.insert(page.end(), 4, 0);
  if (lacing.empty()) {
    lacing.assign(body.size() / 255, 255);
    lacing.push_back(static_cast<std::uint8_t>(body.size() % 255));
  }
  page.push_back(static_cast<std::uint8_t>(lacing.size()));
  page.insert(page.end(), lacing.begin(), lacing.end());
  page.insert(page.end(), body.begin(), body.end());
  std::uint32_t crc = 0;
  for (std::uint8_t b : page) {
    crc ^= static_cast<std::uint32_t>(b) << 24;
    for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
  return page;
}

// Bytes full of 0xFF runs with a layer-III header (128 kbit/s, 44.1 kHz: 417-byte
// frames) every 417 bytes, the first one after a run: the headers confirm each other
// everywhere but at the start.
std::vector<std::uint8_t> syncRuns(std::size_t size) {
  std::vector<std::uint8_t> b(size, 0xFF);
  for (std::size_t at = 100; at + 4 <= size; at += 417) b[at + 1] = 0xFB, b[at + 2] = 0x90, b[at + 3] = 0x64;
  return b;
}

TEST_F(RealFilesTest, DataThatOnlyLooksLikeMpegAudioIsRefused) {
  if (!haveTool("sox") || !haveTool("opusenc")) GTEST_SKIP() << "sox or opusenc is not installed";
  ASSERT_TRUE(inFolder("sox -n -r 44100 -c 6 -b 16 six.wav synth 0.5 sine 300 vol 0.5 && "
                       "sox -n -r 44100 -c 2 -b 24 deep24.wav synth 0.5 sine 300 vol 0.5 && "
                       "sox -n -r 44100 -c 2 -b 32 deep32.wav synth 0.5 sine 300 vol 0.5 && "
                       "sox -n -r 48000 -c 4 -b 16 four.wav synth 0.5 sine 300 vol 0.5 && "
                       "opusenc --quiet four.wav four.opus && "
                       "sox -n -r 48000 -c 9 -b 16 nine.wav synth 0.5 sine 300 vol 0.5 && "
                       "opusenc --quiet nine.wav nine.opus"));
  auto save = [](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(codecFolder() + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  // Opus with channel mapping family 255, which the Opus library refuses: nine
  // channels as the encoder writes them, and four whose header names family 255.
  std::vector<std::uint8_t> four255 = readBytes("four.opus");
  ASSERT_GT(four255.size(), 100u);
  ASSERT_EQ(std::memcmp(&four255[28], "OpusHead", 8), 0);
  ASSERT_EQ(four255[28 + 18], 1);
  std::vector<std::uint8_t> head(four255.begin() + 28, four255.begin() + 28 + four255[27]);
  head[18] = 255;
  std::vector<std::uint8_t> first = oggPage(2, 0, head);
  const std::size_t firstEnd = 27 + four255[26] + four255[27];
  four255.erase(four255.begin(), four255.begin() + static_cast<std::ptrdiff_t>(firstEnd));
  four255.insert(four255.begin(), first.begin(), first.end());
  save("four255.opus", four255);
  // Family 255 written by hand, with audio pages of 768 bytes whose lacing values
  // (3, 255, 247, 232) read as an MPEG-2 layer-I header of a 768-byte frame, so that
  // each page's header confirms the last one's.
  std::vector<std::uint8_t> lacing255 =
      oggPage(2, 0, {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 2, 0x38, 1, 0x80, 0xBB, 0, 0, 0, 0, 255, 2, 0, 0, 1});
  const std::vector<std::uint8_t> tags = oggPage(0, 1, {'O', 'p', 'u', 's', 'T', 'a', 'g', 's', 0, 0, 0, 0, 0, 0, 0, 0});
  lacing255.insert(lacing255.end(), tags.begin(), tags.end());
  for (std::uint32_t page = 2; page < 40; ++page) {
    const std::vector<std::uint8_t> audio = oggPage(0, page, std::vector<std::uint8_t>(737, 0x08), {3, 255, 247, 232});
    EXPECT_EQ(audio.size(), 768u);
    lacing255.insert(lacing255.end(), audio.begin(), audio.end());
  }
  save("lacing255.opus", lacing255);
  // An Ogg FLAC stream: its mapping header, then audio packets whose lacing is all 0xFF.
  std::vector<std::uint8_t> flacHead = {0x7F, 'F', 'L', 'A', 'C', 1, 0, 0, 1, 'f', 'L', 'a', 'C', 0x80, 0, 0, 34};
  flacHead.resize(flacHead.size() + 34, 0x11);
  std::vector<std::uint8_t> oggFlac = oggPage(2, 0, flacHead);
  for (std::uint32_t page = 1; page < 8; ++page) {
    std::vector<std::uint8_t> audio = oggPage(0, page, syncRuns(4000));
    oggFlac.insert(oggFlac.end(), audio.begin(), audio.end());
  }
  save("flac.oga", oggFlac);
  // A PNG whose picture data holds the same headers.
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0,    0,   1,   0,   0,    0,    1,    0,    8, 6, 0, 0, 0, 1, 2, 3, 4,
                                   0,    0,   0x40, 0,  'I',  'D',  'A',  'T'};
  const std::vector<std::uint8_t> idat = syncRuns(0x4000);
  png.insert(png.end(), idat.begin(), idat.end());
  save("runs.png", png);
  save("runs.bin", syncRuns(0x10000));
  // MPEG audio in WAVE that holds random bytes, or PCM.
  std::vector<std::uint8_t> random(0x10000);
  std::mt19937 generator(55);
  for (auto& b : random) b = static_cast<std::uint8_t>(generator());
  save("tag55_random.wav", mp3InWave(random, 2, 44100, 128, 1152));
  std::vector<std::uint8_t> pcm(0x10000);
  for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
    const auto v = static_cast<std::int16_t>(12000 * std::sin(static_cast<double>(i) * 0.01));
    pcm[i] = static_cast<std::uint8_t>(v), pcm[i + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  save("tag55_pcm.wav", mp3InWave(pcm, 2, 44100, 128, 1152));
  // The same 24- and 32-bit samples under the plain PCM tag, as some writers make them.
  for (const char* deep : {"deep24.wav", "deep32.wav"}) {
    std::vector<std::uint8_t> plain = readBytes(deep);
    const std::size_t fmt = chunkBody(plain, "fmt ");
    ASSERT_NE(fmt, 0u);
    plain[fmt] = 1, plain[fmt + 1] = 0;
    std::ofstream(codecFolder() + "/plain_" + deep, std::ios::binary)
        .write(reinterpret_cast<const char*>(plain.data()), static_cast<std::streamsize>(plain.size()));
  }
  for (const char* name : {"six.wav", "deep24.wav", "deep32.wav", "plain_deep24.wav", "plain_deep32.wav", "four.opus",
                           "nine.opus", "four255.opus", "lacing255.opus", "flac.oga", "runs.png", "runs.bin", "tag55_random.wav",
                           "tag55_pcm.wav"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> file = readBytes(name);
    ASSERT_GT(file.size(), 1000u);
    // Neither the codec's MP3 path nor the filter graph's may take it.
    Converter graphOnly(file, SOUNDCONVERT_NO_WAVE | SOUNDCONVERT_NO_OGG | SOUNDCONVERT_NO_OPUS |
                                  SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3);
    EXPECT_EQ(graphOnly.result, -1);
    // Under the plain PCM tag the WAVE method takes deep samples (for soft sounds); the
    // MP3 path never does.
    const bool plainPcm = std::string(name).rfind("plain_", 0) == 0;
    if (std::string(name) != "four.opus") {
      Converter codecOnly(file, SOUNDCONVERT_NO_DSMP3 | (plainPcm ? SOUNDCONVERT_NO_WAVE : 0));
      EXPECT_EQ(codecOnly.result, -1);
    }
    EXPECT_EQ(load(file), -1);
    EXPECT_EQ(load(file, 2), -1);
    // Soft sounds keep four channels; the rest no method takes.
    if (!plainPcm && std::string(name) != "four.opus") {
      LoadSoundSettings settings;
      InitLoadSoundSettings(&settings);
      EXPECT_EQ(LoadSoftSound(&settings, nullptr, file.data(), static_cast<std::uint32_t>(file.size()), 0), -1);
    }
  }
}

// Half a second of MPEG-1 stereo at 44.1 kHz and of MPEG-2 mono at 22.05 kHz.
#define NEED_TONE_MP3()                                                                            \
  HALVORINE_NEED_FILE("lame", "tone.mp3",                                                          \
                      "sox -n -r 44100 -c 2 -b 16 tonem.wav synth 0.5 sine 440 sine 550 vol 0.6 && " \
                      "lame --quiet -t -b 128 tonem.wav tone.mp3 && "                              \
                      "sox -n -r 22050 -c 1 -b 16 tonem22.wav synth 0.5 sine 440 vol 0.6 && "     \
                      "lame --quiet -t -b 64 tonem22.wav tone22.mp3")

// The first frame of an MP3.
std::vector<std::uint8_t> firstFrame(const std::vector<std::uint8_t>& mp3) {
  MPEGAudioFrameInfo info;
  if (mp3.size() < 4 || ParseMPEGAudioFrameHeader(mp3.data(), &info) != 0) return {};
  return std::vector<std::uint8_t>(mp3.begin(), mp3.begin() + info.FrameBytes);
}

TEST_F(RealFilesTest, Mp3OfOneFrameDecodesAndNothingIsRefused) {
  NEED_TONE_MP3();
  struct Case {
    const char* file;
    int channels, samples;
  } cases[] = {{"tone.mp3", 2, 1152}, {"tone22.mp3", 1, 576}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    const std::vector<std::uint8_t> mp3 = readBytes(k.file);
    // The first frame needs no bytes of earlier frames, so alone it decodes to the
    // same samples as at the head of the whole file.
    MPEGAudioFrameInfo info;
    ASSERT_EQ(ParseMPEGAudioFrameHeader(mp3.data(), &info), 0);
    const std::vector<std::uint8_t> lone = firstFrame(mp3);
    ASSERT_FALSE(lone.empty());
    const std::vector<std::int16_t> whole = mpg123Reference(mp3, info.SampleRate, k.channels);
    ASSERT_GE(whole.size(), static_cast<std::size_t>(k.samples * k.channels));
    const std::vector<std::int16_t> want(whole.begin(), whole.begin() + k.samples * k.channels);
    for (int flags : {SOUNDCONVERT_NO_DSMP3, SOUNDCONVERT_NO_ACM_MP3}) {
      SCOPED_TRACE(flags);
      Converter c(lone, flags);
      ASSERT_EQ(c.result, 0);
      EXPECT_EQ(c.all(), want);
    }
    const int h = load(lone);
    ASSERT_NE(h, -1);
    EXPECT_EQ(GetSoundMemTotalSample(h), k.samples);
    DeleteSoundMem(h);
  }
  // A frame whose body is cut short decodes to nothing: refused, not a silent sound.
  std::vector<std::uint8_t> cut = firstFrame(readBytes("tone.mp3"));
  cut.resize(cut.size() / 3);
  EXPECT_EQ(load(cut), -1);
}

TEST_F(RealFilesTest, Mp3InWaveKeepsAllItsFrames) {
  NEED_TONE_MP3();
  struct Case {
    const char* file;
    int channels, rate, kbps;
  } cases[] = {{"tone.mp3", 2, 44100, 128}, {"tone22.mp3", 1, 22050, 64}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    const std::vector<std::uint8_t> mp3 = readBytes(k.file);
    const std::vector<std::int16_t> reference = mpg123Reference(mp3, k.rate, k.channels);
    for (std::uint16_t blockSize : {std::uint16_t{1152}, std::uint16_t{0}, std::uint16_t{60000}}) {
      SCOPED_TRACE(blockSize);
      const std::vector<std::uint8_t> wave = mp3InWave(mp3, k.channels, k.rate, k.kbps, blockSize);
      Converter c(wave);
      ASSERT_EQ(c.result, 0);
      EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_ACM);
      EXPECT_EQ(GetSoundConvertDestSize(&c.convert), static_cast<std::int32_t>(reference.size() * 2));
      EXPECT_EQ(c.all(), reference);
      const int h = load(wave);
      ASSERT_NE(h, -1);
      EXPECT_EQ(GetSoundMemTotalSample(h), static_cast<int>(reference.size()) / k.channels);
      DeleteSoundMem(h);
    }
  }
}

// Flips bytes inside the Ogg page that holds the byte at share (0-1) of the file.
std::vector<std::uint8_t> damagePage(std::vector<std::uint8_t> ogg, double share) {
  std::vector<std::size_t> pages;
  for (std::size_t i = 0; i + 4 <= ogg.size(); ++i)
    if (std::memcmp(&ogg[i], "OggS", 4) == 0) pages.push_back(i);
  std::size_t at = pages.front();
  for (std::size_t p : pages)
    if (p <= static_cast<std::size_t>(share * static_cast<double>(ogg.size()))) at = p;
  for (std::size_t k = at + 40; k < at + 60 && k < ogg.size(); ++k) ogg[k] ^= 0x55;
  return ogg;
}

TEST_F(RealFilesTest, ChainedAndDamagedVorbisPlayWhatTheyHold) {
  HALVORINE_NEED_FILE("oggenc", "short_then_long.ogg",
                      "sox -n -r 44100 -c 2 -b 16 first.wav synth 0.7 sine 440 vol 0.5 && "
                      "sox -n -r 44100 -c 2 -b 16 second.wav synth 0.5 sine 660 vol 0.5 && "
                      "oggenc -Q -s 101 -o first.ogg first.wav && oggenc -Q -s 202 -o second.ogg second.wav && "
                      "cat first.ogg second.ogg > short_then_long.ogg && "
                      "sox -n -r 44100 -c 2 -b 16 noise.wav synth 3 pinknoise vol 0.5 && "
                      "oggenc -Q -o noise.ogg noise.wav && "
                      "sox -n -r 44100 -c 2 -b 16 tone3.wav synth 3 sine 440 vol 0.5 && oggenc -Q -o tone3.ogg tone3.wav");
  // Each link as the library decodes it alone, one after the other. (The links are given
  // serial numbers of their own: two encodes may otherwise pick the same one, and a
  // chain of one serial is no chain.)
  std::vector<std::int16_t> links = vorbisReference("first.ogg");
  const std::vector<std::int16_t> second = vorbisReference("second.ogg");
  links.insert(links.end(), second.begin(), second.end());
  ASSERT_EQ(links.size(), 52920u * 2);
  for (int build : {0, 1}) {
    SCOPED_TRACE(build);
    Converter c(readBytes("short_then_long.ogg"), 0, 2, build);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(GetSoundConvertDestSize(&c.convert), 52920 * 4);
    EXPECT_EQ(c.all(), links);
  }
  const int h = load(readBytes("short_then_long.ogg"));
  ASSERT_NE(h, -1);
  EXPECT_EQ(GetSoundMemTotalSample(h), 52920);
  // One damaged page, in the middle of noise or holding the first sound of a tone: the
  // rest plays, and what is claimed is what plays.
  struct Case {
    const char* file;
    double share;
  } cases[] = {{"noise.ogg", 0.5}, {"tone3.ogg", 0.45}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    const std::vector<std::uint8_t> whole = readBytes(k.file);
    const std::vector<std::uint8_t> damaged = damagePage(whole, k.share);
    Converter c(damaged);
    ASSERT_EQ(c.result, 0);
    const std::vector<std::int16_t> got = c.all();
    const std::size_t loud = static_cast<std::size_t>(
        std::count_if(got.begin(), got.end(), [](std::int16_t v) { return std::abs(v) > 100; }));
    EXPECT_GT(got.size(), 132300u * 2 / 4);
    EXPECT_LE(got.size(), static_cast<std::size_t>(GetSoundConvertDestSize(&c.convert) / 2));
    EXPECT_GT(loud, got.size() / 2);
  }
}

}  // namespace
}  // namespace halvorine_test
