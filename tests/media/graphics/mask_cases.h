// Mask-screen cases both hardware back ends' tests run: a checkerboard mask and a box
// drawn through it, sampled around the box.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/graphics/draw.h"
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

// Draws a box through the mask and samples the target around it.
inline std::vector<unsigned> maskedBox(uint8_t blocking = 255) {
  using namespace ZaDod;
  EXPECT_EQ(CreateMaskScreen(1, 640, 480), 0);
  checkerboard(blocking);
  EXPECT_EQ(SetUseMaskScreenFlag(1), 0);
  DrawBox(100, 100, 300, 250, PackScreenColor(200, 50, 30), 1);
  EXPECT_EQ(SetUseMaskScreenFlag(0), 0);
  std::vector<unsigned> frame;
  for (int y = 90; y < 260; y += 3)
    for (int x = 90; x < 310; x += 3) frame.push_back(GetDrawTargetPixel(x, y) & 0xFFFFFFu);
  return frame;
}

}  // namespace maskcases
