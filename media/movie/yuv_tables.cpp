// The YUV to RGB tables and the two frame converters built on them.
#include "media/movie/yuv_tables.h"

namespace ZaDod {

YUVToRGBTables YUVTables;

namespace {
// (v - base) x 255 / span + offset, rounded half away from zero, clamped to a byte.
constexpr std::uint8_t widenSample(int v, int base, int span, int offset) {
  const int num = (v - base) * 255 * 2, den = span * 2;
  const int q = num >= 0 ? (num + span) / den : -((-num + span) / den);
  const int r = q + offset;
  return static_cast<std::uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
}

constexpr YUVRangeTables makeRangeTables() {
  YUVRangeTables t{};
  for (int i = 0; i < 256; ++i) {
    t.luma[i] = widenSample(i, 16, 219, 0);
    t.chroma[i] = widenSample(i, 128, 224, 128);
  }
  return t;
}
}  // namespace

constinit const YUVRangeTables YUVFullRange = makeRangeTables();
static_assert(makeRangeTables().luma[16] == 0 && makeRangeTables().luma[235] == 255);
static_assert(makeRangeTables().chroma[128] == 128 && makeRangeTables().chroma[16] == 0 &&
              makeRangeTables().chroma[240] == 255);

int SetupYUVToRGBTables() {
  YUVToRGBTables& t = YUVTables;
  for (int i = -512; i < 768; ++i) t.clamp[i + 512] = static_cast<std::uint8_t>(i < 0 ? 0 : i > 255 ? 255 : i);
  for (int i = 0; i < 256; ++i) {
    t.y[i] = 19070 * (i - 16);
    t.rv[i] = 26148 * (i - 128);
    t.gu[i] = -6406 * (i - 128);
    t.gv[i] = -13320 * (i - 128);
    t.bu[i] = 33062 * (i - 128);
  }
  return 0;
}

namespace {

inline void putPixel(std::uint8_t* out, const std::uint8_t* clamp, int y, int r, int g, int b) {
  out[0] = clamp[(y + b) >> 14];
  out[1] = clamp[(y + g) >> 14];
  out[2] = clamp[(y + r) >> 14];
  out[3] = 255;
}

}  // namespace

void ConvertYUVToARGBTable(const YUVRegion& region, std::uint8_t* dest, int destPitch) {
  // Tables and the clamp row are read through locals so the loops keep them in registers;
  // the clamp table is biased so that a shifted sum indexes it directly.
  const std::int32_t* const ty = YUVTables.y;
  const std::int32_t* const trv = YUVTables.rv;
  const std::int32_t* const tgu = YUVTables.gu;
  const std::int32_t* const tgv = YUVTables.gv;
  const std::int32_t* const tbu = YUVTables.bu;
  const std::uint8_t* const clamp = YUVTables.clamp + 512;
  const int width = region.width;
  const bool pairs = region.xShift == 1 && (region.xOffset & 1) == 0;
  for (int row = 0; row < region.height; ++row) {
    const std::uint8_t* luma = region.luma + static_cast<std::ptrdiff_t>(row) * region.lumaPitch;
    const std::uint8_t* chroma =
        region.chroma + static_cast<std::ptrdiff_t>((row + region.yOffset) >> region.yShift) * region.chromaPitch;
    std::uint8_t* out = dest + static_cast<std::ptrdiff_t>(row) * destPitch;
    if (pairs) {
      // One chroma sample serves two neighbouring pixels.
      const std::uint8_t* uv = chroma + (region.xOffset >> 1) * 2;
      int x = 0;
      for (; x + 1 < width; x += 2, uv += 2, out += 8) {
        const int u = uv[0], v = uv[1];
        const int r = trv[v], g = tgu[u] + tgv[v], b = tbu[u];
        putPixel(out, clamp, ty[luma[x]], r, g, b);
        putPixel(out + 4, clamp, ty[luma[x + 1]], r, g, b);
      }
      if (x < width) {
        const int u = uv[0], v = uv[1];
        putPixel(out, clamp, ty[luma[x]], trv[v], tgu[u] + tgv[v], tbu[u]);
      }
      continue;
    }
    const int xShift = region.xShift, xOffset = region.xOffset;
    for (int x = 0; x < width; ++x, out += 4) {
      const std::uint8_t* uv = chroma + ((x + xOffset) >> xShift) * 2;
      const int u = uv[0], v = uv[1];
      putPixel(out, clamp, ty[luma[x]], trv[v], tgu[u] + tgv[v], tbu[u]);
    }
  }
}

namespace {

inline std::uint8_t clampFloat(double v) {
  const int i = static_cast<int>(v);  // truncated toward zero, then clamped
  return static_cast<std::uint8_t>(i < 0 ? 0 : i > 255 ? 255 : i);
}

}  // namespace

void ConvertYUVToARGBFloat(const YUVRegion& region, std::uint8_t* dest, int destPitch) {
  for (int row = 0; row < region.height; ++row) {
    const std::uint8_t* luma = region.luma + static_cast<std::ptrdiff_t>(row) * region.lumaPitch;
    const std::uint8_t* chroma =
        region.chroma + static_cast<std::ptrdiff_t>((row + region.yOffset) >> region.yShift) * region.chromaPitch;
    std::uint8_t* out = dest + static_cast<std::ptrdiff_t>(row) * destPitch;
    for (int x = 0; x < region.width; ++x, out += 4) {
      const std::uint8_t* uv = chroma + ((x + region.xOffset) >> region.xShift) * 2;
      const double c = 1.164 * (luma[x] - 16);
      const double u = uv[0] - 128.0, v = uv[1] - 128.0;
      out[0] = clampFloat(c + 2.018 * u);
      out[1] = clampFloat(c - 0.391 * u - 0.813 * v);
      out[2] = clampFloat(c + 1.596 * v);
      out[3] = 255;
    }
  }
}

}  // namespace ZaDod
