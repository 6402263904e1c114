// The format table and the texel load/store routines behind it. Each format gets its own
// row routines so that copies, the sampler and the output merger pick one function per
// run of texels instead of testing the format per texel.
#include "platform/gpu/texel_format.h"

#include <cmath>
#include <cstring>

namespace plat::gpu {

namespace {

// Saturated float to an 8-bit UNORM value: the fast form of floatToUnorm(x, 8).
inline uint32_t toU8(float x) {
  if (!(x > 0.0f)) return 0;
  if (x >= 1.0f) return 255;
  return static_cast<uint32_t>(x * 255.0f + 0.5f);
}

inline float loadF32(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}
inline void storeF32(uint8_t* p, float f) { std::memcpy(p, &f, 4); }
inline uint32_t le16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
inline uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
inline void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// Bytes of 8-bit channels; each template argument names the byte holding red, green,
// blue or alpha (-1: not stored). L reads one byte into red, green and blue.
template <int N, int R, int G, int B, int A, bool L = false>
void loadU8(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += N) {
    const float r = kUnorm8[s[R]];
    d[i][0] = r;
    d[i][1] = L ? r : G >= 0 ? kUnorm8[s[G < 0 ? 0 : G]] : 0.0f;
    d[i][2] = L ? r : B >= 0 ? kUnorm8[s[B < 0 ? 0 : B]] : 0.0f;
    d[i][3] = A >= 0 ? kUnorm8[s[A < 0 ? 0 : A]] : 1.0f;
  }
}
// Each template argument names the channel stored in that byte; 4 writes 0xFF (an X byte).
template <int N, int C0, int C1 = -1, int C2 = -1, int C3 = -1>
void storeU8(const Float4* s, uint8_t* d, int n) {
  const int ch[4] = {C0, C1, C2, C3};
  for (int i = 0; i < n; ++i, d += N)
    for (int k = 0; k < N; ++k) d[k] = uint8_t(ch[k] == 4 ? 255 : toU8(s[i][ch[k]]));
}

// Words of W bytes (1, 2 or 4) of packed channels: shift and width of red, green, blue and
// alpha.
template <int W>
inline uint32_t loadWord(const uint8_t* s) {
  return W == 1 ? uint32_t{s[0]} : W == 2 ? le16(s) : le32(s);
}
template <int W, int RS, int RB, int GS, int GB, int BS, int BB, int AS, int AB>
void loadPacked(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += W) {
    const uint32_t v = loadWord<W>(s);
    d[i][0] = float((v >> RS) & ((1u << RB) - 1)) / float((1u << RB) - 1);
    d[i][1] = float((v >> GS) & ((1u << GB) - 1)) / float((1u << GB) - 1);
    d[i][2] = float((v >> BS) & ((1u << BB) - 1)) / float((1u << BB) - 1);
    d[i][3] = AB ? float((v >> AS) & ((1u << AB) - 1)) / float((1u << AB) - 1) : 1.0f;
  }
}
template <int W, int RS, int RB, int GS, int GB, int BS, int BB, int AS, int AB>
void storePacked(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += W) {
    uint32_t v = floatToUnorm(s[i][0], RB) << RS | floatToUnorm(s[i][1], GB) << GS | floatToUnorm(s[i][2], BB) << BS;
    if (AB) v |= floatToUnorm(s[i][3], AB) << AS;
    if (W == 1) d[0] = uint8_t(v);
    else if (W == 2) put16(d, v);
    else put32(d, v);
  }
}

// One 16-bit luminance value read into red, green and blue; stores keep red.
void loadL16(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 2) {
    const float l = float(le16(s)) / 65535.0f;
    d[i] = Float4{l, l, l, 1.0f};
  }
}

// Two signed bytes: -128 reads as -1 like -127; stores round and saturate to -1..1.
void loadSnorm8x2(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 2) {
    Float4 v{0.0f, 0.0f, 0.0f, 1.0f};
    for (int k = 0; k < 2; ++k) {
      const float x = float(int8_t(s[k])) / 127.0f;
      v[k] = x < -1.0f ? -1.0f : x;
    }
    d[i] = v;
  }
}
void storeSnorm8x2(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 2)
    for (int k = 0; k < 2; ++k) {
      const float x = s[i][k];
      const float c = !(x > -1.0f) ? -1.0f : x > 1.0f ? 1.0f : x;
      d[k] = uint8_t(int8_t(std::floor(c * 127.0f + 0.5f)));
    }
}

template <int N>
void loadU16(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 2 * N) {
    Float4 v{0.0f, 0.0f, 0.0f, 1.0f};
    for (int k = 0; k < N; ++k) v[k] = float(le16(s + 2 * k)) / 65535.0f;
    d[i] = v;
  }
}
template <int N>
void storeU16(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 2 * N)
    for (int k = 0; k < N; ++k) put16(d + 2 * k, floatToUnorm(s[i][k], 16));
}

template <int N>
void loadHalf(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 2 * N) {
    Float4 v{0.0f, 0.0f, 0.0f, 1.0f};
    for (int k = 0; k < N; ++k) v[k] = halfToFloat(uint16_t(le16(s + 2 * k)));
    d[i] = v;
  }
}
template <int N>
void storeHalf(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 2 * N)
    for (int k = 0; k < N; ++k) put16(d + 2 * k, floatToHalf(s[i][k]));
}

template <int N>
void loadF32Row(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 4 * N) {
    Float4 v{0.0f, 0.0f, 0.0f, 1.0f};
    for (int k = 0; k < N; ++k) v[k] = loadF32(s + 4 * k);
    d[i] = v;
  }
}
template <int N>
void storeF32Row(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 4 * N)
    for (int k = 0; k < N; ++k) storeF32(d + 4 * k, s[i][k]);
}

// Depth in the low 24 bits, stencil in the high byte (read as its integer value in green).
void loadD24S8(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 4) {
    const uint32_t v = le32(s);
    d[i] = Float4{unormToFloat(v & 0xFFFFFF, 24), float(v >> 24), 0.0f, 1.0f};
  }
}
void storeD24S8(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 4) {
    const float st = s[i][1];
    const uint32_t stencil = !(st > 0.0f) ? 0 : st >= 255.0f ? 255 : uint32_t(st + 0.5f);
    put32(d, floatToUnorm(s[i][0], 24) | stencil << 24);
  }
}
void loadR24X8(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += 4) d[i] = Float4{unormToFloat(le32(s) & 0xFFFFFF, 24), 0.0f, 0.0f, 1.0f};
}
void storeR24X8(const Float4* s, uint8_t* d, int n) {
  for (int i = 0; i < n; ++i, d += 4) put32(d, floatToUnorm(s[i][0], 24));
}

// Index values read as their integer value in red; stores round and saturate to the range.
template <int N>
void loadIndex(const uint8_t* s, Float4* d, int n) {
  for (int i = 0; i < n; ++i, s += N) d[i] = Float4{float(N == 2 ? le16(s) : le32(s)), 0.0f, 0.0f, 1.0f};
}
template <int N>
void storeIndex(const Float4* s, uint8_t* d, int n) {
  const double top = N == 2 ? 65535.0 : 4294967295.0;
  for (int i = 0; i < n; ++i, d += N) {
    const double x = s[i][0];
    const uint32_t v = !(x > 0.0) ? 0 : x >= top ? uint32_t(top) : uint32_t(std::floor(x + 0.5));
    if (N == 2) put16(d, v); else put32(d, v);
  }
}

constexpr uint8_t kA = kHasAlpha;

const FormatInfo kTable[kFormatCount] = {
    {"UNKNOWN", FormatKind::Unknown, 0, 1, 0, "", {0, 0, 0, 0}, nullptr, nullptr},
    {"R8G8B8A8", FormatKind::Unorm, 4, 1, kA, "RGBA", {8, 8, 8, 8}, loadU8<4, 0, 1, 2, 3>, storeU8<4, 0, 1, 2, 3>},
    {"B8G8R8A8", FormatKind::Unorm, 4, 1, kA, "BGRA", {8, 8, 8, 8}, loadU8<4, 2, 1, 0, 3>, storeU8<4, 2, 1, 0, 3>},
    {"B8G8R8X8", FormatKind::Unorm, 4, 1, kXIsOne, "BGRX", {8, 8, 8, 0}, loadU8<4, 2, 1, 0, -1>, storeU8<4, 2, 1, 0, 4>},
    {"B5G6R5", FormatKind::Unorm, 2, 1, 0, "BGR", {5, 6, 5, 0}, loadPacked<2, 11, 5, 5, 6, 0, 5, 0, 0>,
     storePacked<2, 11, 5, 5, 6, 0, 5, 0, 0>},
    {"B5G5R5A1", FormatKind::Unorm, 2, 1, kA, "BGRA", {5, 5, 5, 1}, loadPacked<2, 10, 5, 5, 5, 0, 5, 15, 1>,
     storePacked<2, 10, 5, 5, 5, 0, 5, 15, 1>},
    {"B4G4R4A4", FormatKind::Unorm, 2, 1, kA, "BGRA", {4, 4, 4, 4}, loadPacked<2, 8, 4, 4, 4, 0, 4, 12, 4>,
     storePacked<2, 8, 4, 4, 4, 0, 4, 12, 4>},
    {"R8", FormatKind::Unorm, 1, 1, 0, "R", {8, 0, 0, 0}, loadU8<1, 0, -1, -1, -1>, storeU8<1, 0>},
    {"R8G8", FormatKind::Unorm, 2, 1, 0, "RG", {8, 8, 0, 0}, loadU8<2, 0, 1, -1, -1>, storeU8<2, 0, 1>},
    {"L8", FormatKind::Unorm, 1, 1, kLuminance, "L", {8, 8, 8, 0}, loadU8<1, 0, -1, -1, -1, true>, storeU8<1, 0>},
    {"A8L8", FormatKind::Unorm, 2, 1, kLuminance | kA, "LA", {8, 8, 8, 8}, loadU8<2, 0, -1, -1, 1, true>,
     storeU8<2, 0, 3>},
    {"R16", FormatKind::Unorm, 2, 1, 0, "R", {16, 0, 0, 0}, loadU16<1>, storeU16<1>},
    {"R16G16", FormatKind::Unorm, 4, 1, 0, "RG", {16, 16, 0, 0}, loadU16<2>, storeU16<2>},
    {"R16G16B16A16", FormatKind::Unorm, 8, 1, kA, "RGBA", {16, 16, 16, 16}, loadU16<4>, storeU16<4>},
    {"R16F", FormatKind::Float, 2, 1, 0, "R", {16, 0, 0, 0}, loadHalf<1>, storeHalf<1>},
    {"R16G16F", FormatKind::Float, 4, 1, 0, "RG", {16, 16, 0, 0}, loadHalf<2>, storeHalf<2>},
    {"R16G16B16A16F", FormatKind::Float, 8, 1, kA, "RGBA", {16, 16, 16, 16}, loadHalf<4>, storeHalf<4>},
    {"R32F", FormatKind::Float, 4, 1, 0, "R", {32, 0, 0, 0}, loadF32Row<1>, storeF32Row<1>},
    {"R32G32F", FormatKind::Float, 8, 1, 0, "RG", {32, 32, 0, 0}, loadF32Row<2>, storeF32Row<2>},
    {"R32G32B32F", FormatKind::Float, 12, 1, 0, "RGB", {32, 32, 32, 0}, loadF32Row<3>, storeF32Row<3>},
    {"R32G32B32A32F", FormatKind::Float, 16, 1, kA, "RGBA", {32, 32, 32, 32}, loadF32Row<4>, storeF32Row<4>},
    {"BC1", FormatKind::Block, 8, 4, kA, "RGBA", {5, 6, 5, 1}, nullptr, nullptr},
    {"BC2", FormatKind::Block, 16, 4, kA, "RGBA", {5, 6, 5, 4}, nullptr, nullptr},
    {"BC3", FormatKind::Block, 16, 4, kA, "RGBA", {5, 6, 5, 8}, nullptr, nullptr},
    {"D16", FormatKind::Depth, 2, 1, 0, "D", {16, 0, 0, 0}, loadU16<1>, storeU16<1>},
    {"D24S8", FormatKind::Depth, 4, 1, kHasStencil, "DS", {24, 8, 0, 0}, loadD24S8, storeD24S8},
    {"R24G8", FormatKind::Typeless, 4, 1, kHasStencil, "DS", {24, 8, 0, 0}, loadD24S8, storeD24S8},
    {"R24X8", FormatKind::Unorm, 4, 1, 0, "DX", {24, 0, 0, 0}, loadR24X8, storeR24X8},
    {"D32F", FormatKind::Depth, 4, 1, 0, "D", {32, 0, 0, 0}, loadF32Row<1>, storeF32Row<1>},
    {"R32", FormatKind::Typeless, 4, 1, 0, "R", {32, 0, 0, 0}, loadF32Row<1>, storeF32Row<1>},
    {"R16_UINT", FormatKind::Index, 2, 1, 0, "R", {16, 0, 0, 0}, loadIndex<2>, storeIndex<2>},
    {"R32_UINT", FormatKind::Index, 4, 1, 0, "R", {32, 0, 0, 0}, loadIndex<4>, storeIndex<4>},
    {"B8G8R8", FormatKind::Unorm, 3, 1, 0, "BGR", {8, 8, 8, 0}, loadU8<3, 2, 1, 0, -1>, storeU8<3, 2, 1, 0>},
    {"B2G3R3", FormatKind::Unorm, 1, 1, 0, "BGR", {3, 3, 2, 0}, loadPacked<1, 5, 3, 2, 3, 0, 2, 0, 0>,
     storePacked<1, 5, 3, 2, 3, 0, 2, 0, 0>},
    {"B2G3R3A8", FormatKind::Unorm, 2, 1, kA, "BGRA", {3, 3, 2, 8}, loadPacked<2, 5, 3, 2, 3, 0, 2, 8, 8>,
     storePacked<2, 5, 3, 2, 3, 0, 2, 8, 8>},
    {"B4G4R4X4", FormatKind::Unorm, 2, 1, kXIsOne, "BGRX", {4, 4, 4, 0}, loadPacked<2, 8, 4, 4, 4, 0, 4, 0, 0>,
     storePacked<2, 8, 4, 4, 4, 0, 4, 0, 0>},
    {"R10G10B10A2", FormatKind::Unorm, 4, 1, kA, "RGBA", {10, 10, 10, 2}, loadPacked<4, 0, 10, 10, 10, 20, 10, 30, 2>,
     storePacked<4, 0, 10, 10, 10, 20, 10, 30, 2>},
    {"B10G10R10A2", FormatKind::Unorm, 4, 1, kA, "BGRA", {10, 10, 10, 2}, loadPacked<4, 20, 10, 10, 10, 0, 10, 30, 2>,
     storePacked<4, 20, 10, 10, 10, 0, 10, 30, 2>},
    {"R8G8B8X8", FormatKind::Unorm, 4, 1, kXIsOne, "RGBX", {8, 8, 8, 0}, loadU8<4, 0, 1, 2, -1>, storeU8<4, 0, 1, 2, 4>},
    {"L16", FormatKind::Unorm, 2, 1, kLuminance, "L", {16, 16, 16, 0}, loadL16, storeU16<1>},
    {"R8G8_SNORM", FormatKind::Snorm, 2, 1, 0, "RG", {8, 8, 0, 0}, loadSnorm8x2, storeSnorm8x2},
};

}  // namespace

const float kUnorm8[256] = {
#define U8(i) float(i) / 255.0f
#define U8x8(i) U8(i), U8(i + 1), U8(i + 2), U8(i + 3), U8(i + 4), U8(i + 5), U8(i + 6), U8(i + 7)
#define U8x64(i) U8x8(i), U8x8(i + 8), U8x8(i + 16), U8x8(i + 24), U8x8(i + 32), U8x8(i + 40), U8x8(i + 48), U8x8(i + 56)
    U8x64(0), U8x64(64), U8x64(128), U8x64(192)
#undef U8x64
#undef U8x8
#undef U8
};

const FormatInfo& formatInfo(Format f) {
  const auto i = static_cast<unsigned>(f);
  return kTable[i < unsigned(kFormatCount) ? i : 0];
}

Format depthFormat(Format f) {
  switch (f) {
    case Format::D16:
    case Format::D24S8:
    case Format::D32F: return f;
    case Format::R24G8Typeless: return Format::D24S8;
    case Format::R32Typeless: return Format::D32F;
    default: return Format::Unknown;
  }
}

Format readFormat(Format f) {
  switch (f) {
    case Format::R24G8Typeless: return Format::D24S8;
    case Format::R32Typeless: return Format::R32F;
    default: return f;
  }
}

bool sameFamily(Format a, Format b) {
  if (a == b) return true;
  auto family = [](Format f) {
    switch (f) {
      case Format::D24S8:
      case Format::R24G8Typeless:
      case Format::R24X8: return 1;
      case Format::D32F:
      case Format::R32Typeless:
      case Format::R32F: return 2;
      case Format::D16:
      case Format::R16: return 3;
      case Format::B8G8R8A8:
      case Format::B8G8R8X8: return 4;  // the X byte is the A byte left unread
      default: return 0;
    }
  };
  return family(a) != 0 && family(a) == family(b);
}

size_t rowBytes(Format f, int width) {
  const FormatInfo& info = formatInfo(f);
  if (width <= 0) return 0;
  if (info.blockDim == 4) return size_t((width + 3) / 4) * info.bytes;
  return size_t(width) * info.bytes;
}

int rowCount(Format f, int height) {
  if (height <= 0) return 0;
  return formatInfo(f).blockDim == 4 ? (height + 3) / 4 : height;
}

float unormToFloat(uint32_t v, int bits) {
  if (bits == 8) return kUnorm8[v & 255];
  const uint32_t top = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  if (bits > 24) return float(double(v) / double(top));
  return float(v) / float(top);
}

uint32_t floatToUnorm(float x, int bits) {
  const uint32_t top = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  if (!(x > 0.0f)) return 0;
  if (x >= 1.0f) return top;
  // Widths past 16 bits round in double: a float product no longer holds every step.
  if (bits > 16) return uint32_t(std::floor(double(x) * double(top) + 0.5));
  return uint32_t(std::floor(x * float(top) + 0.5f));
}

float halfToFloat(uint16_t h) {
  const uint32_t sign = uint32_t(h & 0x8000) << 16;
  const uint32_t e = (h >> 10) & 31, m = h & 0x3FF;
  uint32_t bits;
  if (e == 0) {
    const float v = float(m) * 5.9604645e-8f;  // m x 2^-24, exact
    return sign ? -v : v;
  }
  if (e == 31) bits = sign | 0x7F800000u | m << 13;
  else bits = sign | (e + 112) << 23 | m << 13;
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

uint16_t floatToHalf(float f) {
  uint32_t x;
  std::memcpy(&x, &f, 4);
  const uint32_t sign = (x >> 16) & 0x8000;
  x &= 0x7FFFFFFFu;
  if (x > 0x7F800000u) return uint16_t(sign | 0x7E00 | ((x >> 13) & 0x3FF));  // NaN stays NaN
  if (x >= 0x477FF000u) return uint16_t(sign | 0x7C00);  // 65520 and above round to infinity
  if (x < 0x38800000u) {  // below the smallest normal half: a subnormal or zero
    if (x <= 0x33000000u) return uint16_t(sign);
    const uint32_t mant = (x & 0x7FFFFF) | 0x800000;
    const uint32_t shift = 126 - (x >> 23);
    uint32_t r = mant >> shift;
    const uint32_t rem = mant & ((1u << shift) - 1), half = 1u << (shift - 1);
    if (rem > half || (rem == half && (r & 1))) ++r;
    return uint16_t(sign | r);
  }
  const uint32_t r = x - 0x38000000u;
  uint32_t h = r >> 13;
  const uint32_t rem = r & 0x1FFF;
  if (rem > 0x1000 || (rem == 0x1000 && (h & 1))) ++h;
  return uint16_t(sign | h);
}

Float4 loadTexel(Format f, const uint8_t* base, size_t pitch, int x, int y) {
  Float4 out;
  loadTexels(f, base, pitch, x, y, 1, &out);
  return out;
}

void loadTexels(Format f, const uint8_t* base, size_t pitch, int x, int y, int n, Float4* out) {
  const FormatInfo& info = formatInfo(f);
  if (info.loadRow) {
    info.loadRow(base + size_t(y) * pitch + size_t(x) * info.bytes, out, n);
    return;
  }
  if (info.blockDim != 4) {
    for (int i = 0; i < n; ++i) out[i] = Float4{0.0f, 0.0f, 0.0f, 0.0f};
    return;
  }
  const uint8_t* blockRow = base + size_t(y >> 2) * pitch;
  const int sub = (y & 3) * 4;
  for (int i = 0; i < n; ++i) {
    const int tx = x + i;
    const uint32_t v = decodeBlockTexel(f, blockRow + size_t(tx >> 2) * info.bytes, sub + (tx & 3));
    out[i] = Float4{kUnorm8[(v >> 16) & 255], kUnorm8[(v >> 8) & 255], kUnorm8[v & 255], kUnorm8[v >> 24]};
  }
}

}  // namespace plat::gpu
