// Shadow maps for the hardware back ends' tests: a handle made as a test needs one, and
// the checks made on the shadow-map constants a refresh writes (the view-projection
// behind an empty matrix, and the pixel-side biases).
#pragma once
#include <gtest/gtest.h>

#include "media/base/handle.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {

// A shadow-map handle of the given size over a 20-unit cube, with no device part yet.
inline int MakeTestShadowMap(int width, int height) {
  const int handle = AddHandle(HANDLETYPE_SHADOWMAP, 0, -1);
  ShadowMapData* map = GetShadowMapData(handle);
  map->width = width;
  map->height = height;
  map->areaMin = Vector3F{-10.0f, -10.0f, -10.0f};
  map->areaMax = Vector3F{10.0f, 10.0f, 10.0f};
  return handle;
}

// vs and ps point at the slot's first vertex and pixel constants.
inline void ExpectShadowMapConstants(const float* vs, const float* ps, const ShadowMapData* map) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(vs[16 + r * 4 + c], map->viewProjection.m[c][r]);
      EXPECT_EQ(vs[r * 4 + c], 0.0f);
    }
  EXPECT_FLOAT_EQ(ps[4], 0.004f);
  EXPECT_FLOAT_EQ(ps[5], map->secondBias);
  EXPECT_EQ(ps[6], 1.0f);
  EXPECT_EQ(ps[2], 0.0f);
}

}  // namespace ZaDod
