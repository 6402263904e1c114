// Texel formats of the software GPU: one table with each format's size, layout, kind and
// flags, and the fixed conversions between stored texels and float4 values.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::gpu {

struct Float4 {
  float c[4];  // red, green, blue, alpha
  float& operator[](int i) { return c[i]; }
  float operator[](int i) const { return c[i]; }
};

enum class Format : uint8_t {
  Unknown,
  R8G8B8A8,
  B8G8R8A8,
  B8G8R8X8,
  B5G6R5,
  B5G5R5A1,
  B4G4R4A4,
  R8,
  R8G8,
  L8,
  A8L8,
  R16,
  R16G16,
  R16G16B16A16,
  R16F,
  R16G16F,
  R16G16B16A16F,
  R32F,
  R32G32F,
  R32G32B32F,
  R32G32B32A32F,
  BC1,
  BC2,
  BC3,
  D16,
  D24S8,
  R24G8Typeless,  // storage of a depth buffer that is also read as a texture
  R24X8,          // the depth of R24G8 read as one UNORM channel
  D32F,
  R32Typeless,  // storage of a D32F buffer that is also read as a texture
  R16UInt,
  R32UInt,
  B8G8R8,        // three bytes, blue first
  B2G3R3,        // one byte: red in the top three bits
  B2G3R3A8,      // B2G3R3 with an alpha byte above it
  B4G4R4X4,      // B4G4R4A4 with the top nibble unused
  R10G10B10A2,   // a 32-bit word, red in the low ten bits
  B10G10R10A2,   // a 32-bit word, blue in the low ten bits
  R8G8B8X8,      // R8G8B8A8 with the fourth byte unused
  L16,           // one 16-bit value read into red, green and blue
  R8G8Snorm,     // two signed bytes, -127..127 read as -1..1
};
inline constexpr int kFormatCount = static_cast<int>(Format::R8G8Snorm) + 1;

enum class FormatKind : uint8_t { Unknown, Unorm, Float, Typeless, Depth, Block, Index, Snorm };

enum FormatFlag : uint8_t {
  kHasAlpha = 1,     // a stored alpha channel
  kXIsOne = 2,       // an unused channel that reads as 1
  kLuminance = 4,    // one stored value read into red, green and blue
  kHasStencil = 8,   // depth with a stencil byte
};

// Converts n stored texels starting at src into values; the other way for stores.
using LoadRowFn = void (*)(const uint8_t* src, Float4* dst, int n);
using StoreRowFn = void (*)(const Float4* src, uint8_t* dst, int n);

struct FormatInfo {
  const char* name;
  FormatKind kind;
  uint8_t bytes;     // per texel, or per 4x4 block for block-compressed formats
  uint8_t blockDim;  // 1, or 4 for block-compressed formats
  uint8_t flags;
  char layout[5];    // channels in memory order ("BGRA", "BGRX", "L", "AL", "D", "DS" ...)
  uint8_t bits[4];   // stored bits of red, green, blue and alpha
  LoadRowFn loadRow;    // null for block-compressed formats
  StoreRowFn storeRow;  // null where texels cannot be written one by one
};

const FormatInfo& formatInfo(Format f);
inline bool isBlock(Format f) { return formatInfo(f).blockDim == 4; }
// The format whose bytes a typeless or depth format shares for texel reads (R24G8 and D24S8
// read as D24S8, R32 typeless as R32F); the format itself otherwise.
Format readFormat(Format f);
// The depth format a depth or typeless-depth storage format is written as; Unknown for others.
Format depthFormat(Format f);
// Formats that may view each other's storage: the same bytes under another name.
bool sameFamily(Format a, Format b);

// Bytes of one row of texels (or of 4x4 blocks), and the number of such rows.
size_t rowBytes(Format f, int width);
int rowCount(Format f, int height);

// The fixed numeric rules: UNORM to float is v / (2^n - 1); float to UNORM is
// floor(saturate(x) * (2^n - 1) + 0.5), NaN storing 0; half floats convert as IEEE
// with round-to-nearest-even.
float unormToFloat(uint32_t v, int bits);
uint32_t floatToUnorm(float x, int bits);
float halfToFloat(uint16_t h);
uint16_t floatToHalf(float f);
// v / 255 for every byte value (the same bits as unormToFloat(v, 8)).
extern const float kUnorm8[256];

// The bilinear blend of four texels with weights in steps of 1/256: wx and wy (0..255) are
// the shares of the second column and the second row.
inline Float4 bilerp(const Float4& t00, const Float4& t10, const Float4& t01, const Float4& t11, int wx, int wy) {
  const float bx = float(wx) * (1.0f / 256.0f), ax = float(256 - wx) * (1.0f / 256.0f);
  const float by = float(wy) * (1.0f / 256.0f), ay = float(256 - wy) * (1.0f / 256.0f);
  Float4 r;
  for (int k = 0; k < 4; ++k) r[k] = (t00[k] * ax + t10[k] * bx) * ay + (t01[k] * ax + t11[k] * bx) * by;
  return r;
}

// One texel of any format at (x, y) of an image with the given row (or block-row) pitch.
Float4 loadTexel(Format f, const uint8_t* base, size_t pitch, int x, int y);
// n texels of row y from column x; works for block-compressed formats too.
void loadTexels(Format f, const uint8_t* base, size_t pitch, int x, int y, int n, Float4* out);

// Block decoding to 0xAARRGGBB words, with the same arithmetic as the media layer's
// picture decoder: truncating endpoint widening, thirds and halves truncated, explicit
// alpha times 17, interpolated alpha in sevenths or fifths, truncated.
void decodeBlock(Format f, const uint8_t* block, uint32_t argb[16]);
uint32_t decodeBlockTexel(Format f, const uint8_t* block, int index);

}  // namespace plat::gpu
