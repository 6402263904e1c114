// The shader constants of the three shadow-map slots, as both hardware back ends write them:
// each slot's view-projection matrix transposed, and its depth parameters.
#pragma once
#include <cstring>

#include "media/graphics/shadow_map.h"

namespace ZaDod {

// Slot `slot`'s view-projection matrix, transposed (rows are the matrix's columns); zeros
// for an empty slot.
inline void ShadowMapSlotMatrix(int slot, float out[4][4]) {
    std::memset(out, 0, sizeof(float) * 16);
    const ShadowMapData* map = GetShadowMapData(ShadowMapUse.slots[slot]);
    if (map == nullptr) return;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = map->viewProjection.m[c][r];
}

// Slot `slot`'s depth bias, second bias and an enable flag (1 while a map is there), 0.
inline void ShadowMapSlotParams(int slot, float out[4]) {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    const ShadowMapData* map = GetShadowMapData(ShadowMapUse.slots[slot]);
    if (map == nullptr) return;
    out[0] = map->depthBias;
    out[1] = map->secondBias;
    out[2] = 1.0f;
}

}  // namespace ZaDod
