// Our own decoders of the WAVE compressions: G.711 µ-law and A-law, IMA ADPCM and
// MS ADPCM (coefficients from the format record's extension).
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/codec/decoder.h"

namespace plat::codec {

namespace {

std::int16_t le16s(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int16_t clamp16(int v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }

// Extension bytes that follow the 18-byte record, when the record says it has them.
const std::uint8_t* extension(const WAVEFORMATEX* f, std::size_t need) {
  if (f->cbSize < need) return nullptr;
  return reinterpret_cast<const std::uint8_t*>(f) + sizeof(WAVEFORMATEX);
}

class G711Decoder final : public Decoder {
 public:
  explicit G711Decoder(bool mu) {
    for (int i = 0; i < 256; ++i) table_[i] = mu ? expandMuLaw(static_cast<std::uint8_t>(i))
                                                 : expandALaw(static_cast<std::uint8_t>(i));
  }
  std::size_t blockBytes() const override { return 1; }
  void decode(const std::uint8_t* src, std::size_t bytes, std::vector<std::int16_t>& out) override {
    const std::size_t base = out.size();
    out.resize(base + bytes);
    std::int16_t* d = out.data() + base;
    for (std::size_t i = 0; i < bytes; ++i) d[i] = table_[src[i]];
  }
  std::uint64_t outputBytes(std::uint64_t bytes) const override { return bytes * 2; }

 private:
  std::array<std::int16_t, 256> table_;
};

// A codec of fixed-size blocks that each decode to the same number of frames.
class BlockDecoder : public Decoder {
 public:
  BlockDecoder(int channels, int align, int perBlock) : channels_(channels), align_(align), perBlock_(perBlock) {}
  std::size_t blockBytes() const override { return static_cast<std::size_t>(align_); }
  void decode(const std::uint8_t* src, std::size_t bytes, std::vector<std::int16_t>& out) override {
    const std::size_t blocks = bytes / static_cast<std::size_t>(align_);
    const std::size_t base = out.size();
    out.resize(base + blocks * static_cast<std::size_t>(perBlock_ * channels_));
    std::int16_t* d = out.data() + base;
    for (std::size_t b = 0; b < blocks; ++b, src += align_, d += perBlock_ * channels_) block(src, d);
  }
  std::uint64_t outputBytes(std::uint64_t bytes) const override {
    return bytes / static_cast<std::uint64_t>(align_) * static_cast<std::uint64_t>(perBlock_ * channels_ * 2);
  }

 protected:
  virtual void block(const std::uint8_t* src, std::int16_t* d) const = 0;
  int channels_, align_, perBlock_;
};

constexpr std::int16_t kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kImaIndex[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

class ImaDecoder final : public BlockDecoder {
 public:
  ImaDecoder(int channels, int align)
      : BlockDecoder(channels, align, (align - 4 * channels) * 8 / (4 * channels) + 1) {}

 private:
  // Per channel a 4-byte head (first sample, step index), then 4-byte groups of eight
  // nibbles, low nibble first, the channels' groups taking turns.
  void block(const std::uint8_t* src, std::int16_t* d) const override {
    const int ch = channels_;
    for (int c = 0; c < ch; ++c) {
      int pred = le16s(src + 4 * c);
      int index = std::min<int>(src[4 * c + 2], 88);
      d[c] = static_cast<std::int16_t>(pred);
      const std::uint8_t* data = src + 4 * ch + 4 * c;
      std::int16_t* o = d + ch + c;
      const int groups = (perBlock_ - 1) / 8;
      for (int g = 0; g < groups; ++g, data += 4 * ch) {
        for (int k = 0; k < 8; ++k) {
          const int n = (data[k >> 1] >> ((k & 1) * 4)) & 15;
          const int step = kImaSteps[index];
          int diff = step >> 3;
          if (n & 4) diff += step;
          if (n & 2) diff += step >> 1;
          if (n & 1) diff += step >> 2;
          pred = std::clamp(n & 8 ? pred - diff : pred + diff, -32768, 32767);
          index = std::clamp(index + kImaIndex[n & 7], 0, 88);
          *o = static_cast<std::int16_t>(pred);
          o += ch;
        }
      }
    }
  }
};

constexpr int kMaxMsDelta = 0x7FFFFFFF / 768;
constexpr int kMsAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

class MsAdpcmDecoder final : public BlockDecoder {
 public:
  MsAdpcmDecoder(int channels, int align, std::vector<std::array<int, 2>> coefs)
      : BlockDecoder(channels, align, (align - 7 * channels) * 2 / channels + 2), coefs_(std::move(coefs)) {}

 private:
  // Head: predictor numbers, then deltas, then the second and the first sample of every
  // channel; then nibbles, high first, taking turns over the channels.
  void block(const std::uint8_t* src, std::int16_t* d) const override {
    const int ch = channels_;
    int c1[2], c2[2], delta[2], s1[2], s2[2];
    for (int c = 0; c < ch; ++c) {
      const std::size_t k = std::min<std::size_t>(src[c], coefs_.size() - 1);
      c1[c] = coefs_[k][0];
      c2[c] = coefs_[k][1];
      delta[c] = le16s(src + ch + 2 * c);
      s1[c] = le16s(src + 3 * ch + 2 * c);
      s2[c] = le16s(src + 5 * ch + 2 * c);
      d[c] = static_cast<std::int16_t>(s2[c]);
      d[ch + c] = static_cast<std::int16_t>(s1[c]);
    }
    const std::uint8_t* data = src + 7 * ch;
    const int nibbles = (perBlock_ - 2) * ch;
    std::int16_t* o = d + 2 * ch;
    for (int i = 0; i < nibbles; ++i) {
      const int c = ch == 2 ? (i & 1) : 0;
      const int code = (data[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
      const int signedCode = code - ((code & 8) << 1);
      const int predicted = static_cast<int>((static_cast<std::int64_t>(s1[c]) * c1[c] + s2[c] * c2[c]) >> 8);
      const int sample = clamp16(predicted + signedCode * delta[c]);
      // Made-up data can grow the step without end; no real stream comes near the cap.
      delta[c] = std::clamp((kMsAdapt[code] * delta[c]) >> 8, 16, kMaxMsDelta);
      s2[c] = s1[c];
      s1[c] = sample;
      o[i] = static_cast<std::int16_t>(sample);
    }
  }
  std::vector<std::array<int, 2>> coefs_;
};

bool usableBlocks(const WAVEFORMATEX* f, int headBytesPerChannel) {
  return (f->nChannels == 1 || f->nChannels == 2) && f->nBlockAlign > headBytesPerChannel * f->nChannels;
}

}  // namespace

std::int16_t expandMuLaw(std::uint8_t code) {
  const int u = ~code & 0xFF;
  int t = ((u & 0x0F) << 3) + 0x84;
  t <<= (u & 0x70) >> 4;
  return static_cast<std::int16_t>(u & 0x80 ? 0x84 - t : t - 0x84);
}

std::int16_t expandALaw(std::uint8_t code) {
  const int a = code ^ 0x55;
  int t = (a & 0x0F) << 4;
  const int seg = (a & 0x70) >> 4;
  if (seg == 0) {
    t += 8;
  } else {
    t += 0x108;
    if (seg > 1) t <<= seg - 1;
  }
  return static_cast<std::int16_t>(a & 0x80 ? t : -t);
}

std::unique_ptr<Decoder> makeG711Decoder(const WAVEFORMATEX* f) {
  if (f->nChannels == 0 || f->nBlockAlign != f->nChannels) return nullptr;
  return std::make_unique<G711Decoder>(f->wFormatTag == WAVE_FORMAT_MULAW);
}

std::unique_ptr<Decoder> makeImaAdpcmDecoder(const WAVEFORMATEX* f) {
  // Nibble groups are 4 bytes per channel: the data part must hold whole groups.
  if (!usableBlocks(f, 4) || (f->nBlockAlign - 4 * f->nChannels) % (4 * f->nChannels) != 0) return nullptr;
  return std::make_unique<ImaDecoder>(f->nChannels, f->nBlockAlign);
}

std::unique_ptr<Decoder> makeMsAdpcmDecoder(const WAVEFORMATEX* f) {
  if (!usableBlocks(f, 7)) return nullptr;
  const std::uint8_t* ext = extension(f, 4);
  if (ext == nullptr) return nullptr;
  const std::size_t count = le16(ext + 2);
  if (count == 0 || f->cbSize < 4 + 4 * count) return nullptr;
  std::vector<std::array<int, 2>> coefs(count);
  for (std::size_t i = 0; i < count; ++i) coefs[i] = {le16s(ext + 4 + 4 * i), le16s(ext + 6 + 4 * i)};
  return std::make_unique<MsAdpcmDecoder>(f->nChannels, f->nBlockAlign, std::move(coefs));
}

}  // namespace plat::codec
