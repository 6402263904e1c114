// The codec stand-in: G.711 expansion, IMA and MS ADPCM against sox's own decode of
// sox-made files, queued output across small destinations, whole-block use, sizes
// and the format suggestion.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/codec/acm.h"
#include "tests/platform/codec/codec_files.h"

namespace halvorine_test {
namespace {

using namespace plat::codec;

struct WaveParts {
  std::vector<std::uint8_t> format;  // the "fmt " body, at least 18 bytes
  std::vector<std::uint8_t> data;
};

WaveParts splitWave(const std::vector<std::uint8_t>& f) {
  WaveParts w;
  for (std::size_t p = 12; p + 8 <= f.size();) {
    std::uint32_t size;
    std::memcpy(&size, &f[p + 4], 4);
    const std::size_t end = std::min<std::size_t>(f.size(), p + 8 + size);
    if (std::memcmp(&f[p], "fmt ", 4) == 0) w.format.assign(f.begin() + p + 8, f.begin() + end);
    if (std::memcmp(&f[p], "data", 4) == 0) w.data.assign(f.begin() + p + 8, f.begin() + end);
    p += 8 + size + (size & 1);
  }
  if (w.format.size() < 18) w.format.resize(18);
  return w;
}

const WAVEFORMATEX* formatOf(const WaveParts& w) { return reinterpret_cast<const WAVEFORMATEX*>(w.format.data()); }

WAVEFORMATEX pcmFor(const WAVEFORMATEX* src) {
  WAVEFORMATEX out{};
  EXPECT_EQ(acmFormatSuggest(nullptr, src, &out, sizeof(out), ACM_FORMATSUGGESTF_WFORMATTAG), MMSYSERR_NOERROR);
  return out;
}

// Converts `src` in pieces of `srcPiece` bytes into destinations of `dstPiece` bytes,
// draining what the stream keeps at the end.
std::vector<std::int16_t> convertAll(const WAVEFORMATEX* format, const std::vector<std::uint8_t>& src,
                                     std::size_t srcPiece, std::size_t dstPiece) {
  WAVEFORMATEX out = pcmFor(format);
  HACMSTREAM s = nullptr;
  EXPECT_EQ(acmStreamOpen(&s, nullptr, format, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), MMSYSERR_NOERROR);
  if (s == nullptr) return {};
  std::vector<std::uint8_t> dst(dstPiece);
  std::vector<std::int16_t> pcm;
  std::size_t offset = 0;
  for (;;) {
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof(h);
    h.pbSrc = const_cast<std::uint8_t*>(src.data() + offset);
    h.cbSrcLength = static_cast<DWORD>(std::min(srcPiece, src.size() - offset));
    h.pbDst = dst.data();
    h.cbDstLength = static_cast<DWORD>(dst.size());
    EXPECT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    offset += h.cbSrcLengthUsed;
    const std::size_t n = h.cbDstLengthUsed / 2;
    pcm.insert(pcm.end(), reinterpret_cast<std::int16_t*>(dst.data()), reinterpret_cast<std::int16_t*>(dst.data()) + n);
    if (h.cbDstLengthUsed == 0 && (h.cbSrcLengthUsed == 0 || offset >= src.size())) break;
  }
  acmStreamClose(s, 0);
  return pcm;
}

TEST(AcmCodecs, MuLawAndALawExpansion) {
  const std::uint8_t mu[4] = {0x00, 0x80, 0xFF, 0xD1};
  WAVEFORMATEX f{WAVE_FORMAT_MULAW, 1, 8000, 8000, 1, 8, 0};
  const std::vector<std::int16_t> got = convertAll(&f, std::vector<std::uint8_t>(mu, mu + 4), 4, 64);
  EXPECT_EQ(got, (std::vector<std::int16_t>{-32124, 32124, 0, 844}));
  HALVORINE_NEED_FILE("sox", "alaw.wav",
                      "sox -n -r 8000 -c 1 -e a-law alaw.wav synth 0.5 sine 300 vol 0.8 && "
                      "sox alaw.wav -t raw -e signed -b 16 alaw.raw");
  const WaveParts w = splitWave(readBytes("alaw.wav"));
  ASSERT_EQ(formatOf(w)->wFormatTag, WAVE_FORMAT_ALAW);
  EXPECT_EQ(convertAll(formatOf(w), w.data, 2048, 4096), readSamples("alaw.raw"));
}

TEST(AcmCodecs, AdpcmMatchesSoxDecode) {
  HALVORINE_NEED_FILE("sox", "ima.wav",
                      "sox -n -r 22050 -c 1 -e ima-adpcm ima.wav synth 1 sine 440:2000 vol 0.7 && "
                      "sox ima.wav -t raw -e signed -b 16 ima.raw && "
                      "sox -n -r 22050 -c 2 -e ms-adpcm ms.wav synth 1 sine 440:2000 sine 300 vol 0.7 && "
                      "sox ms.wav -t raw -e signed -b 16 ms.raw");
  struct Case {
    const char* wave;
    const char* raw;
    std::uint16_t tag;
    std::size_t frames;
    int channels;
  } cases[] = {{"ima.wav", "ima.raw", WAVE_FORMAT_IMA_ADPCM, 22220, 1},
               {"ms.wav", "ms.raw", WAVE_FORMAT_ADPCM, 22264, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wave);
    const WaveParts w = splitWave(readBytes(c.wave));
    ASSERT_EQ(formatOf(w)->wFormatTag, c.tag);
    const std::vector<std::int16_t> reference = readSamples(c.raw);
    ASSERT_GE(reference.size(), 22050u * c.channels);
    // Big pieces, pieces of one block, and destinations smaller than a block: the
    // queue keeps every sample in order.
    const std::size_t sizes[][2] = {{2048, 8192}, {formatOf(w)->nBlockAlign, 100000}, {2048, 6}};
    for (const auto& size : sizes) {
      const std::vector<std::int16_t> got = convertAll(formatOf(w), w.data, size[0], size[1]);
      ASSERT_EQ(got.size(), c.frames * c.channels);
      EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + 22050 * c.channels, got.begin()));
    }
    WAVEFORMATEX out = pcmFor(formatOf(w));
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, formatOf(w), &out, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    DWORD bytes = 0;
    ASSERT_EQ(acmStreamSize(s, static_cast<DWORD>(w.data.size()), &bytes, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, c.frames * c.channels * 2);
    // Less than one block converts nothing with the block-align flag.
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof(h);
    std::vector<std::uint8_t> dst(65536);
    h.pbSrc = const_cast<std::uint8_t*>(w.data.data());
    h.cbSrcLength = formatOf(w)->nBlockAlign - 1u;
    h.pbDst = dst.data();
    h.cbDstLength = static_cast<DWORD>(dst.size());
    EXPECT_EQ(acmStreamConvert(s, &h, 0), ACMERR_UNPREPARED);
    ASSERT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(h.cbSrcLengthUsed, 0u);
    EXPECT_EQ(h.cbDstLengthUsed, 0u);
    acmStreamClose(s, 0);
  }
}

TEST(AcmCodecs, SuggestionsMetricsAndRefusals) {
  WAVEFORMATEX ima{WAVE_FORMAT_IMA_ADPCM, 2, 22050, 22311, 1024, 4, 2};
  WAVEFORMATEX out = pcmFor(&ima);
  EXPECT_EQ(out.wFormatTag, 1);
  EXPECT_EQ(out.nChannels, 2);
  EXPECT_EQ(out.nSamplesPerSec, 22050u);
  EXPECT_EQ(out.wBitsPerSample, 16);
  EXPECT_EQ(out.nBlockAlign, 4);
  EXPECT_EQ(out.nAvgBytesPerSec, 88200u);
  WAVEFORMATEX unknown{0x161, 2, 44100, 16000, 2048, 16, 0};
  EXPECT_EQ(acmFormatSuggest(nullptr, &unknown, &out, sizeof(out), ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
  DWORD max = 0;
  EXPECT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &max), MMSYSERR_NOERROR);
  EXPECT_EQ(max, 50u);
  HACMSTREAM s = reinterpret_cast<HACMSTREAM>(1);
  // Records no decoder can use: MS ADPCM without coefficients, IMA blocks without
  // whole nibble groups, and an output that is not the suggested PCM.
  WAVEFORMATEX msBare{WAVE_FORMAT_ADPCM, 1, 22050, 11000, 256, 4, 0};
  WAVEFORMATEX imaOdd{WAVE_FORMAT_IMA_ADPCM, 1, 22050, 11000, 7, 4, 2};
  EXPECT_EQ(acmStreamOpen(&s, nullptr, &msBare, &out, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(acmStreamOpen(&s, nullptr, &imaOdd, &out, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  WAVEFORMATEX wrong = out;
  wrong.nSamplesPerSec = 8000;
  EXPECT_EQ(acmStreamOpen(&s, nullptr, &ima, &wrong, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
}

}  // namespace
}  // namespace halvorine_test
