// Compressed sounds through the converter: Ogg Vorbis with loop comments and both
// builds, Opus, chained files, MP3 through the codec stand-in (ID3 tags, the frame
// walk, the loop-ahead swap, noise refused) and compressed WAVE, each checked against
// the libraries' or sox's own decode.
#include <algorithm>
#include <random>

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"
#include "tests/media/sound/sound_system_fixture.h"
#include "tests/media/sound/converter_fixture.h"
#include "tests/media/sound/reference_decode.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

// Chained files take streams of set serial numbers: two encodes a moment apart can draw
// the same one, and a chain of one serial is no chain.
#define NEED_VORBIS_FILES()                                                                                         \
  HALVORINE_NEED_FILE("oggenc", "loop.ogg",                                                                         \
                      "sox -n -r 44100 -c 2 -b 16 src3.wav synth 3 sine 440 sine 660 vol 0.6 && "                  \
                      "oggenc -Q -s 11 -c LOOPSTART=44100 -c LOOPLENGTH=88200 -o loop.ogg src3.wav && "              \
                      "oggenc -Q -s 12 -c LOOPSTART=0 -o start0.ogg src3.wav && "                                   \
                      "oggenc -Q -c LOOPSTART=5 -c LOOPLENGTH=7 -c LOOPSTART=22050 -c LOOPLENGTH=44100 "             \
                      "-o short.ogg src3.wav && "                                                                   \
                      "sox -n -r 22050 -c 1 -b 16 src22.wav synth 1 sine 300 vol 0.5 && "                           \
                      "oggenc -Q -s 13 -o other.ogg src22.wav && cat loop.ogg other.ogg > mixed.ogg && "             \
                      "cat loop.ogg start0.ogg > same.ogg")

TEST_F(CompressedTest, VorbisTotalsLoopCommentsAndWidths) {
  NEED_VORBIS_FILES();
  const std::vector<std::int16_t> reference = vorbisReference("loop.ogg");
  ASSERT_EQ(reference.size(), 132300u * 2);
  for (int build : {0, 1}) {
    SCOPED_TRACE(build);
    Converter c(readBytes("loop.ogg"), 0, 2, build);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_OGG);
    EXPECT_EQ(GetSoundConvertDestSize(&c.convert), 132300 * 4);
    std::int32_t start = 0, end = 0;
    EXPECT_EQ(GetSoundConvertLoopPoints(&c.convert, &start, &end), 0);
    EXPECT_EQ(start, 44100);
    EXPECT_EQ(end, 132300);
    EXPECT_EQ(c.all(), reference);
    // A move back lands on the same samples.
    ASSERT_EQ(SetSoundConvertPosition(&c.convert, 1000), 0);
    std::vector<std::uint8_t> again = c.read(400);
    ASSERT_EQ(again.size(), 400u);
    EXPECT_EQ(std::memcmp(again.data(), reference.data() + 2000, 400), 0);
  }
  struct Case {
    const char* file;
    std::int32_t start, end;
  } cases[] = {{"start0.ogg", -1, -1}, {"short.ogg", 22050, 66150}};
  for (const Case& k : cases) {
    Converter c(readBytes(k.file));
    std::int32_t start = 0, end = 0;
    GetSoundConvertLoopPoints(&c.convert, &start, &end);
    EXPECT_EQ(start, k.start) << k.file;
    EXPECT_EQ(end, k.end) << k.file;
  }
  // Width 1: unsigned 8-bit, within one step of the 16-bit decode.
  Converter narrow(readBytes("loop.ogg"), 0, 1);
  ASSERT_EQ(narrow.result, 0);
  EXPECT_EQ(narrow.convert.OutFormat.wBitsPerSample, 8);
  EXPECT_EQ(narrow.convert.OutFormat.nBlockAlign, 2);
  std::vector<std::uint8_t> bytes = narrow.read(132300 * 2);
  ASSERT_EQ(bytes.size(), 132300u * 2);
  for (std::size_t i = 0; i < bytes.size(); i += 97) {
    EXPECT_NEAR((bytes[i] - 128) * 256.0, reference[i], 300.0) << i;
  }
  // A file with no loop comment stays a memory sound; one with them becomes a stream.
  const int plain = load(readBytes("start0.ogg"));
  const int looped = load(readBytes("loop.ogg"));
  ASSERT_NE(plain, -1);
  ASSERT_NE(looped, -1);
  EXPECT_EQ(GetSoundRecord(plain)->StreamFlag, 0);
  EXPECT_EQ(GetSoundRecord(looped)->StreamFlag, 1);
  EXPECT_EQ(GetSoundMemTotalSample(looped), 132300);
}

TEST_F(CompressedTest, ChainedFilesOfOneFormatPlayWholeOthersAreRefused) {
  NEED_VORBIS_FILES();
  Converter mixed(readBytes("mixed.ogg"));
  EXPECT_EQ(mixed.result, -1);
  Converter same(readBytes("same.ogg"));
  ASSERT_EQ(same.result, 0);
  EXPECT_EQ(GetSoundConvertDestSize(&same.convert), 2 * 132300 * 4);
  EXPECT_EQ(same.all().size(), 2u * 132300 * 2);
}

TEST_F(CompressedTest, VorbisStreamLoopsFromItsLoopStart) {
  NEED_VORBIS_FILES();
  const std::vector<std::int16_t> dec = vorbisReference("short.ogg");
  const int h = load(readBytes("short.ogg"));
  ASSERT_NE(h, -1);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_LOOP, 1), 0);
  const std::vector<std::int16_t> capture = run(66150 + 44100 * 2 + 4410);
  std::size_t at = 0;
  while (at < capture.size() && capture[at] == 0 && capture[at + 1] == 0) at += 2;
  // Expected: dec[0..66150), then dec[22050..66150) again and again.
  std::size_t frame = 0;
  for (std::size_t i = at; i + 1 < capture.size(); i += 2, ++frame) {
    const std::size_t src = frame < 66150 ? frame : 22050 + (frame - 66150) % 44100;
    ASSERT_NEAR(capture[i], dec[2 * src], 1) << "frame " << frame;
    ASSERT_NEAR(capture[i + 1], dec[2 * src + 1], 1) << "frame " << frame;
  }
  EXPECT_GT(frame, 66150u + 44100);
}

// The page checksum of Ogg: CRC-32 with polynomial 0x04C11DB7, unreflected, over the
// page with its checksum field zeroed.
void resealOggPage(std::vector<std::uint8_t>& file, std::size_t page, std::size_t bytes) {
  std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(page + 22), 4, 0);
  std::uint32_t crc = 0;
  for (std::size_t i = page; i < page + bytes; ++i) {
    crc ^= static_cast<std::uint32_t>(file[i]) << 24;
    for (int b = 0; b < 8; ++b) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  for (int i = 0; i < 4; ++i) file[page + 22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}

TEST_F(CompressedTest, DamagedSetupHeadersAreRefusedOrDecodeWithoutEndingTheProgram) {
  NEED_VORBIS_FILES();
  const std::vector<std::uint8_t> good = readBytes("other.ogg");
  // The setup header sits on the second page, after the comment header.
  std::size_t page = 0, pageBytes = 0;
  for (std::size_t at = 0, n = 0; at + 27 < good.size() && n < 2; ++n) {
    std::size_t body = 0;
    for (int i = 0; i < good[at + 26]; ++i) body += good[at + 27 + i];
    page = at;
    pageBytes = 27 + good[at + 26] + body;
    at += pageBytes;
  }
  const char kSetup[] = "\x05vorbis";
  const auto setup = std::search(good.begin() + static_cast<std::ptrdiff_t>(page), good.end(), kSetup, kSetup + 7);
  ASSERT_NE(setup, good.end());
  const std::size_t from = static_cast<std::size_t>(setup - good.begin()) + 7;
  int refused = 0, played = 0;
  for (std::size_t at = from; at < std::min(page + pageBytes, from + 480); ++at) {
    for (std::uint8_t value : {std::uint8_t{0}, std::uint8_t{0xFF}}) {
      std::vector<std::uint8_t> bad = good;
      bad[at] = value;
      resealOggPage(bad, page, pageBytes);
      Converter c(bad);
      if (c.result != 0) {
        ++refused;
        continue;
      }
      // Decoding, moving back and decoding again is what a loop does.
      for (int pass = 0; pass < 3; ++pass) {
        c.read(4096);
        SetSoundConvertPosition(&c.convert, 100 * pass);
      }
      c.all();
      ++played;
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(played, 0);
}

TEST_F(CompressedTest, OpusDecodesAt48000) {
  HALVORINE_NEED_FILE("opusenc", "one.opus",
                      "sox -n -r 44100 -c 2 -b 16 src1.wav synth 1 sine 440 vol 0.5 && "
                      "opusenc --quiet src1.wav one.opus");
  Converter c(readBytes("one.opus"));
  ASSERT_EQ(c.result, 0);
  EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_OPUS);
  EXPECT_EQ(GetSoundConvertDestSize(&c.convert), 192000);
  EXPECT_EQ(c.all().size(), 96000u);
  const int h = load(readBytes("one.opus"));
  ASSERT_NE(h, -1);
  EXPECT_EQ(GetSoundMemTotalSample(h), 48000);
  EXPECT_EQ(GetSoundMemFrequency(h), 48000);
  EXPECT_EQ(GetSoundMemTotalTime(h), 1000);
}

std::vector<std::uint8_t> withId3(std::vector<std::uint8_t> mp3, std::uint32_t bodyBytes) {
  std::vector<std::uint8_t> tag = {'I', 'D', '3', 4, 0, 0,
                                   static_cast<std::uint8_t>(bodyBytes >> 21 & 127),
                                   static_cast<std::uint8_t>(bodyBytes >> 14 & 127),
                                   static_cast<std::uint8_t>(bodyBytes >> 7 & 127),
                                   static_cast<std::uint8_t>(bodyBytes & 127)};
  tag.resize(10 + bodyBytes, 0);
  mp3.insert(mp3.begin(), tag.begin(), tag.end());
  return mp3;
}

#define NEED_MP3()                                                                            \
  HALVORINE_NEED_FILE("lame", "one.mp3",                                                      \
                      "sox -n -r 44100 -c 2 -b 16 srcm.wav synth 1 sine 440 sine 550 vol 0.6 && " \
                      "lame --quiet -t -b 128 srcm.wav one.mp3")

TEST_F(CompressedTest, Mp3FrameWalkTagsAndDecode) {
  NEED_MP3();
  const std::vector<std::uint8_t> mp3 = readBytes("one.mp3");
  // Count the frames the way any reader does: header to header.
  int frames = 0;
  for (std::size_t p = 0; p + 4 <= mp3.size(); ++frames) {
    MPEGAudioFrameInfo info;
    ASSERT_EQ(ParseMPEGAudioFrameHeader(&mp3[p], &info), 0) << p;
    p += static_cast<std::size_t>(info.FrameBytes);
  }
  const std::vector<std::int16_t> reference = mpg123Reference(mp3, 44100, 2);
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(frames) * 1152 * 2);
  std::vector<std::uint8_t> tagV1(128, 0xFF);
  std::memcpy(tagV1.data(), "TAG", 3);
  std::vector<std::uint8_t> trailed = mp3;
  trailed.insert(trailed.end(), tagV1.begin(), tagV1.end());
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    std::int32_t offset;
  } cases[] = {{"bare", mp3, 0},
               {"empty ID3v2", withId3(mp3, 0), 10},
               {"35-byte ID3v2", withId3(mp3, 35), 45},
               {"ID3v1 trailer", trailed, 0}};
  for (Case& k : cases) {
    SCOPED_TRACE(k.name);
    Converter c(k.file, SOUNDCONVERT_NO_DSMP3);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_ACM);
    EXPECT_EQ(c.convert.DataOffset, k.offset);
    EXPECT_EQ(GetSoundConvertDestSize(&c.convert), frames * 1152 * 4);
    EXPECT_EQ(c.all(), reference);
  }
  // Memory sound and kind-2 stream agree on the length.
  for (int kind : {0, 2}) {
    const int h = load(mp3, kind);
    ASSERT_NE(h, -1);
    EXPECT_EQ(GetSoundMemTotalSample(h), frames * 1152) << kind;
    DeleteSoundMem(h);
  }
}

TEST_F(CompressedTest, Mp3LoopAheadSwapGivesTheSameBytes) {
  NEED_MP3();
  const std::vector<std::uint8_t> mp3 = readBytes("one.mp3");
  Converter fresh(mp3);
  ASSERT_EQ(fresh.result, 0);
  const std::vector<std::uint8_t> whole = fresh.read(GetSoundConvertDestSize(&fresh.convert));
  for (std::int32_t loopStart : {20000, 3000}) {
    SCOPED_TRACE(loopStart);
    Converter c(mp3);
    ASSERT_EQ(c.result, 0);
    SetSoundConvertLoopAheadPosition(&c.convert, loopStart);
    // Play well past the loop start, in pieces as a stream would, then jump back.
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < 12; ++i) c.read(16384);
      ASSERT_EQ(SetSoundConvertPosition(&c.convert, loopStart), 0);
      EXPECT_EQ(c.convert.DestDataCompSizeAll, loopStart * 4);
      const std::vector<std::uint8_t> after = c.read(40000);
      ASSERT_EQ(after.size(), 40000u);
      EXPECT_EQ(std::memcmp(after.data(), whole.data() + loopStart * 4, 40000), 0) << round;
    }
  }
}

TEST_F(CompressedTest, NoiseWithOneSyncPatternIsRefused) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> noise(6000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random() % 255);  // never 0xFF
  const std::uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x64};
  std::memcpy(noise.data() + 100, header, 4);
  Converter c(noise);
  EXPECT_EQ(c.result, -1);
  // A lone frame that fills the data to its end is taken.
  MPEGAudioFrameInfo info;
  ASSERT_EQ(ParseMPEGAudioFrameHeader(header, &info), 0);
  EXPECT_EQ(info.FrameBytes, 417);
  EXPECT_EQ(info.SampleNum, 1152);
  std::vector<std::uint8_t> lone(417, 0);
  std::memcpy(lone.data(), header, 4);
  Converter one(lone, SOUNDCONVERT_NO_DSMP3);
  EXPECT_EQ(one.result, 0);
  const std::uint8_t bad[][4] = {{0xFF, 0xF9, 0x90, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xFF, 0xFB, 0x9C, 0}, {0xFE, 0xFB, 0x90, 0}};
  const int want[] = {-1, -1, -1, -2};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ParseMPEGAudioFrameHeader(bad[i], &info), want[i]) << i;
}

TEST_F(CompressedTest, CompressedWaveThroughTheCodecs) {
  HALVORINE_NEED_FILE("sox", "cima.wav",
                      "sox -n -r 22050 -c 1 -e ima-adpcm cima.wav synth 1 sine 440 vol 0.7 && "
                      "sox cima.wav -t raw -e signed -b 16 cima.raw");
  const std::vector<std::uint8_t> ima = readBytes("cima.wav");
  const std::vector<std::int16_t> reference = readSamples("cima.raw");
  Converter c(ima);
  ASSERT_EQ(c.result, 0);
  EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_ACM);
  EXPECT_EQ(GetSoundConvertDestSize(&c.convert), 22220 * 2);
  const std::vector<std::int16_t> got = c.all();
  ASSERT_EQ(got.size(), 22220u);
  EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + 22050, got.begin()));
  // "fmt " may follow "bext" only.
  auto chunkFirst = [&](const char* id) {
    std::vector<std::uint8_t> f(ima.begin(), ima.begin() + 12);
    const std::uint8_t chunk[12] = {static_cast<std::uint8_t>(id[0]), static_cast<std::uint8_t>(id[1]),
                                    static_cast<std::uint8_t>(id[2]), static_cast<std::uint8_t>(id[3]), 4, 0, 0, 0,
                                    'a', 'b', 'c', 'd'};
    f.insert(f.end(), chunk, chunk + 12);
    f.insert(f.end(), ima.begin() + 12, ima.end());
    return f;
  };
  Converter bext(chunkFirst("bext"), SOUNDCONVERT_NO_ACM_MP3 | SOUNDCONVERT_NO_DSMP3);
  EXPECT_EQ(bext.result, 0);
  Converter list(chunkFirst("LIST"), SOUNDCONVERT_NO_ACM_MP3 | SOUNDCONVERT_NO_DSMP3);
  EXPECT_EQ(list.result, -1);
  // Without the codec library compressed files fail and plain WAVE still loads.
  TerminateSoundConvert();
  setenv("HALVORINE_MISSING", "acm", 1);
  EXPECT_EQ(InitializeSoundConvert(), -1);
  EXPECT_EQ(load(ima), -1);
  EXPECT_NE(loadMono16(ramp(100)), -1);
}

}  // namespace
}  // namespace halvorine_test
