// Mask-screen cases both hardware back ends' tests run: a checkerboard mask and a box
// drawn through it, sampled around the box.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/graphics/draw.h"
#include "media/graphics/base_image.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"

namespace maskcases {

// Cells of 8 x 8: odd cells hold `blocking`.
inline void checkerboard(uint8_t blocking = 255) {
  int pitch = 0, width = 0, height = 0;
  uint8_t* mask = ZaDod::GetMaskBuffer(&pitch, &width, &height);
  ASSERT_NE(mask, nullptr);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) mask[size_t(y) * pitch + x] = ((x / 8 + y / 8) & 1) ? blocking : 0;
}

// The draw target's pixels of a rectangle as 0xRRGGBB, row by row, read in one lock (a
// pixel read of a hardware target reads the target back each time).
inline std::vector<unsigned> targetPixels(int left, int top, int right, int bottom) {
  std::vector<unsigned> out;
  const ZaDod::ImageRect rect{left, top, right, bottom};
  ZaDod::BaseImage locked{};
  EXPECT_EQ(ZaDod::LockDrawTargetBuffer(&rect, &locked, -1, 0, 1), 0);
  const ZaDod::PixelFormatDesc& f = locked.format;
  EXPECT_EQ(f.bytesPerPixel, 4);
  if (locked.pixels == nullptr || f.bytesPerPixel != 4) return out;
  auto channel = [](uint32_t pixel, uint32_t mask, int loc, int width) {
    const uint32_t v = (pixel & mask) >> loc;
    return width >= 8 ? v >> (width - 8) : v * 255 / ((1u << width) - 1);
  };
  for (int y = 0; y < bottom - top; ++y)
    for (int x = 0; x < right - left; ++x) {
      const uint32_t p =
          reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pixels) + size_t(y) * size_t(locked.pitch))[x];
      out.push_back(channel(p, f.redMask, f.redLoc, f.redWidth) << 16 | channel(p, f.greenMask, f.greenLoc, f.greenWidth) << 8 |
                    channel(p, f.blueMask, f.blueLoc, f.blueWidth));
    }
  ZaDod::UnlockDrawTargetBuffer();
  return out;
}

// Draws a box through the mask and samples the target around it.
inline std::vector<unsigned> maskedBox(uint8_t blocking = 255) {
  using namespace ZaDod;
  EXPECT_EQ(CreateMaskScreen(1, 640, 480), 0);
  checkerboard(blocking);
  EXPECT_EQ(SetUseMaskScreenFlag(1), 0);
  DrawBox(100, 100, 300, 250, PackScreenColor(200, 50, 30), 1);
  EXPECT_EQ(SetUseMaskScreenFlag(0), 0);
  const std::vector<unsigned> all = targetPixels(90, 90, 310, 260);
  std::vector<unsigned> frame;
  for (int y = 0; y < 170; y += 3)
    for (int x = 0; x < 220; x += 3) frame.push_back(all.empty() ? 0xFFFFFFFFu : all[size_t(y) * 220 + size_t(x)]);
  return frame;
}

}  // namespace maskcases
