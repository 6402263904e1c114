// Texel formats: the fixed UNORM and half-float rules and every format's round trips.
#include <cmath>
#include <limits>

#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

TEST(GpuFormat, UnormRulesAndEdges) {
  uint8_t texel[4];
  const Float4 half{0.5f, 0.0f, 1.0f, 2.0f};
  formatInfo(Format::R8G8B8A8).storeRow(&half, texel, 1);
  EXPECT_EQ(texel[0], 128);
  EXPECT_EQ(texel[1], 0);
  EXPECT_EQ(texel[2], 255);
  EXPECT_EQ(texel[3], 255);  // saturated
  EXPECT_EQ(floatToUnorm(std::numeric_limits<float>::quiet_NaN(), 8), 0u);
  EXPECT_EQ(floatToUnorm(-1.0f, 16), 0u);
  EXPECT_EQ(floatToUnorm(1.0f, 24), 0xFFFFFFu);
  EXPECT_EQ(floatToUnorm(0.5f, 16), 32768u);
  EXPECT_EQ(unormToFloat(31, 5), 1.0f);
  EXPECT_EQ(unormToFloat(128, 8), 128.0f / 255.0f);
}

// Every 8-bit value stored as v / 255 comes back as v in each UNORM format with at least 8
// bits in the channel, and raw bytes of the 8-bit formats survive load and store.
TEST(GpuFormat, EightBitValuesSurviveEveryUnormFormat) {
  for (int fi = 1; fi < kFormatCount; ++fi) {
    const Format f = Format(fi);
    const FormatInfo& info = formatInfo(f);
    if (info.kind != FormatKind::Unorm || !info.loadRow) continue;
    for (int v = 0; v < 256; ++v) {
      const float x = float(v) / 255.0f;
      Float4 in{x, x, x, x}, out;
      uint8_t stored[16] = {};
      info.storeRow(&in, stored, 1);
      info.loadRow(stored, &out, 1);
      for (int c = 0; c < 4; ++c) {
        if (info.bits[c] >= 8) {
          EXPECT_EQ(floatToUnorm(out[c], 8), uint32_t(v)) << info.name << " channel " << c;
        }
      }
      if (info.bits[0] == 8) {  // raw bytes too
        uint8_t raw[4], back[4];
        for (int k = 0; k < 4; ++k) raw[k] = uint8_t(v + 37 * k);
        if (info.flags & kXIsOne) raw[3] = 255;
        info.loadRow(raw, &out, 1);
        info.storeRow(&out, back, 1);
        EXPECT_EQ(std::memcmp(raw, back, info.bytes), 0) << info.name << " byte " << v;
      }
    }
  }
}

TEST(GpuFormat, PackedWordsRoundTripAndFullChannelsReadAsOne) {
  for (Format f : {Format::B5G6R5, Format::B5G5R5A1, Format::B4G4R4A4}) {
    const FormatInfo& info = formatInfo(f);
    for (uint32_t w = 0; w < 65536; ++w) {
      const uint8_t in[2] = {uint8_t(w), uint8_t(w >> 8)};
      uint8_t back[2];
      Float4 v;
      info.loadRow(in, &v, 1);
      info.storeRow(&v, back, 1);
      ASSERT_EQ(back[0] | back[1] << 8, int(w)) << info.name;
    }
  }
  const uint8_t white565[2] = {0xFF, 0xFF};  // 31 / 63 / 31
  const Float4 v = loadTexel(Format::B5G6R5, white565, 2, 0, 0);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[1], 1.0f);
  EXPECT_EQ(v[2], 1.0f);
  EXPECT_EQ(v[3], 1.0f);
}

TEST(GpuFormat, MissingAndXChannelsRead) {
  const uint8_t zeros[16] = {};
  struct Case {
    Format f;
    Float4 want;
  } cases[] = {
      {Format::B8G8R8X8, {0, 0, 0, 1}}, {Format::B5G6R5, {0, 0, 0, 1}}, {Format::R8, {0, 0, 0, 1}},
      {Format::R16G16, {0, 0, 0, 1}},   {Format::R32F, {0, 0, 0, 1}},   {Format::R24X8, {0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    const Float4 v = loadTexel(c.f, zeros, 16, 0, 0);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(v[k], c.want[k]) << formatInfo(c.f).name << " channel " << k;
  }
  const uint8_t lum[2] = {51, 204};  // A8L8: luminance, then alpha
  const Float4 l = loadTexel(Format::A8L8, lum, 2, 0, 0);
  EXPECT_EQ(l[0], 0.2f);
  EXPECT_EQ(l[2], 0.2f);
  EXPECT_EQ(l[3], 0.8f);
}

TEST(GpuFormat, HalfFloatEdges) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    uint16_t half;
    bool back;  // halfToFloat(half) gives value again
  } cases[] = {
      {1.0f, 0x3C00, true},
      {-2.0f, 0xC000, true},
      {65504.0f, 0x7BFF, true},
      {65519.0f, 0x7BFF, false},                 // below the halfway point
      {65520.0f, 0x7C00, false},                 // the tie rounds to even: infinity
      {std::ldexp(1.0f, -14), 0x0400, true},     // smallest normal
      {std::ldexp(1.0f, -24), 0x0001, true},     // smallest subnormal
      {std::ldexp(1.0f, -25), 0x0000, false},    // tie to even: zero
      {std::ldexp(3.0f, -25), 0x0002, false},    // tie to even: two
      {1.0f + std::ldexp(1.0f, -11), 0x3C00, false},
      {1.0f + std::ldexp(3.0f, -11), 0x3C02, false},
      {inf, 0x7C00, true},
      {-inf, 0xFC00, true},
      {-0.0f, 0x8000, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(floatToHalf(c.value), c.half) << c.value;
    if (c.back) {
      EXPECT_EQ(halfToFloat(c.half), c.value) << c.value;
    }
  }
  const uint16_t nan = floatToHalf(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(nan & 0x7C00, 0x7C00);
  EXPECT_NE(nan & 0x3FF, 0);
  EXPECT_TRUE(std::isnan(halfToFloat(0x7E00)));
  // Every half value survives a trip through float.
  for (uint32_t h = 0; h < 65536; ++h) {
    if ((h & 0x7C00) == 0x7C00 && (h & 0x3FF)) continue;
    ASSERT_EQ(floatToHalf(halfToFloat(uint16_t(h))), h);
  }
}

TEST(GpuFormat, DepthStencilWordAndSizes) {
  uint8_t word[4];
  const Float4 ds{1.0f, 200.0f, 0.0f, 0.0f};
  formatInfo(Format::D24S8).storeRow(&ds, word, 1);
  EXPECT_EQ(word[0] | word[1] << 8 | word[2] << 16, 0xFFFFFF);
  EXPECT_EQ(word[3], 200);
  EXPECT_EQ(loadTexel(Format::R24X8, word, 4, 0, 0)[0], 1.0f);
  EXPECT_EQ(rowBytes(Format::BC1, 5), 16u);
  EXPECT_EQ(rowBytes(Format::BC3, 5), 32u);
  EXPECT_EQ(rowCount(Format::BC2, 3), 1);
  EXPECT_EQ(rowBytes(Format::R32G32B32F, 3), 36u);
  EXPECT_TRUE(sameFamily(Format::R24G8Typeless, Format::D24S8));
  EXPECT_FALSE(sameFamily(Format::R8G8B8A8, Format::B8G8R8A8));
}

// The packed layouts of one, two and four bytes: every stored word (a spread of them for
// the 32-bit ones) loads and stores back unchanged, and a known word reads its channels
// from the right bits.
TEST(GpuFormat, NarrowAndTenBitPackedWordsRoundTrip) {
  struct Case {
    Format format;
    uint32_t word;
    Float4 reads;  // of `word`
  } cases[] = {
      {Format::B2G3R3, 0xE0, {1, 0, 0, 1}},
      {Format::B2G3R3A8, 0x8003, {0, 0, 1, 128.0f / 255.0f}},
      {Format::R10G10B10A2, 0xC00003FFu, {1, 0, 0, 1}},
      {Format::B10G10R10A2, 0x000003FFu, {0, 0, 1, 0}},
      {Format::B4G4R4X4, 0x0F00, {1, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    const FormatInfo& info = formatInfo(c.format);
    const uint32_t top = info.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * info.bytes)) - 1;
    const uint32_t step = info.bytes == 4 ? 65537u * 13u : 1u;
    const uint32_t keep = c.format == Format::B4G4R4X4 ? 0x0FFFu : top;  // the X nibble is not kept
    for (uint64_t w = 0; w <= top; w += step) {
      uint8_t in[4] = {uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)}, back[4] = {};
      Float4 v;
      info.loadRow(in, &v, 1);
      info.storeRow(&v, back, 1);
      uint32_t got = 0;
      for (int k = 0; k < info.bytes; ++k) got |= uint32_t(back[k]) << (8 * k);
      ASSERT_EQ(got, uint32_t(w) & keep) << info.name;
    }
    uint8_t word[4] = {uint8_t(c.word), uint8_t(c.word >> 8), uint8_t(c.word >> 16), uint8_t(c.word >> 24)};
    const Float4 v = loadTexel(c.format, word, 4, 0, 0);
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(v[k], c.reads[k]) << info.name << " channel " << k;
  }
  // Three bytes, blue first; L16 into red, green and blue; signed bytes with -128 as -1.
  const uint8_t bgr[3] = {0x10, 0x20, 0xFF};
  EXPECT_EQ(loadTexel(Format::B8G8R8, bgr, 3, 0, 0)[0], 1.0f);
  EXPECT_EQ(loadTexel(Format::B8G8R8, bgr, 3, 0, 0)[3], 1.0f);
  const uint8_t l16[2] = {0xFF, 0xFF};
  EXPECT_EQ(loadTexel(Format::L16, l16, 2, 0, 0)[1], 1.0f);
  const uint8_t snorm[2] = {0x80, 0x7F};
  const Float4 s = loadTexel(Format::R8G8Snorm, snorm, 2, 0, 0);
  EXPECT_EQ(s[0], -1.0f);
  EXPECT_EQ(s[1], 1.0f);
  uint8_t back[2];
  formatInfo(Format::R8G8Snorm).storeRow(&s, back, 1);
  EXPECT_EQ(back[0], 0x81);  // -1 stores as -127
  EXPECT_EQ(back[1], 0x7F);
}

}  // namespace
}  // namespace gputest
