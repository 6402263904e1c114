// Video-range YUV to RGB conversion of movie frames: the fixed-point tables built once
// at start-up and the row converters that read them (and the floating-point fallback).
#pragma once
#include <cstdint>

namespace ZaDod {

struct YUVToRGBTables {
  std::uint8_t clamp[1280];  // index + 512 for indices -512 .. 767
  std::int32_t y[256];       // 19070 x (y - 16)
  std::int32_t rv[256];      // 26148 x (v - 128)
  std::int32_t gu[256];      // -6406 x (u - 128)
  std::int32_t gv[256];      // -13320 x (v - 128)
  std::int32_t bu[256];      // 33062 x (u - 128)
};
extern YUVToRGBTables YUVTables;

// Fills YUVTables; 0. Safe to call more than once.
int SetupYUVToRGBTables();

// One plane region handed to the converters: luma rows of width pixels and chroma
// samples interleaved as U, V pairs; chroma column = (x + xOffset) >> xShift, chroma
// row = (y + yOffset) >> yShift, where x, y count from the region's corner and the
// offsets are the region's position in the coded frame.
struct YUVRegion {
  const std::uint8_t* luma;  // first pixel of the region
  int lumaPitch;
  const std::uint8_t* chroma;  // U of the chroma sample (0, 0) of the coded frame
  int chromaPitch;
  int xOffset, yOffset;
  int xShift, yShift;
  int width, height;
};

// Video range (Y 16..235, U and V 16..240) widened to full range, rounded and clamped:
// the device-side filter converts full-range samples, so planes bound for it are
// widened on the way.
struct YUVRangeTables {
  std::uint8_t luma[256];
  std::uint8_t chroma[256];
};
extern const YUVRangeTables YUVFullRange;

// 32-bit pixels B, G, R, 255 into dest (pitch bytes between rows) through the tables.
void ConvertYUVToARGBTable(const YUVRegion& region, std::uint8_t* dest, int destPitch);
// The same in floating point (1.164, 1.596, 0.391, 0.813, 2.018; truncated, clamped).
void ConvertYUVToARGBFloat(const YUVRegion& region, std::uint8_t* dest, int destPitch);

}  // namespace ZaDod
