// What the Direct3D 9 and Direct3D 11 back ends share without any device call: the draw
// key's texture-alpha flags, the wipe arithmetic of blend-graph kind 1, the vertex colour
// word and the walk over a handle type.
#pragma once
#include <cstdint>

#include "media/base/handle.h"

namespace ZaDod {

// The premultiplied and alpha-channel flags a draw key gives for a blend mode and the
// front's draw mode (0 nearest, 1 bilinear, 2 anisotropic).
struct KeyAlphaFlags {
    int premultiplied;
    int alphaChannel;
};
KeyAlphaFlags DecodeKeyAlphaFlags(int key, int blendMode, int drawMode);

// Wipe by a blend graph with border parameter p (0..255) and border range n.
struct WipeSetup {
    int alphaTest;  // 1: alpha test on with `reference` and greater-or-equal (n <= 1)
    int reference;
    float scale;    // the blend texture's alpha is scaled by this and offset (n > 1)
    float offset;
};
WipeSetup ComputeWipe(int borderParam, int borderRange, int premultiplied, int alphaChannel);
// The same ramp for a border range above 1 as the fixed stages take it: the factor's alpha
// byte is added to (or, with `subtract`, taken from) the blend graph's alpha, and the sum
// is multiplied by `scale` (1, 2 or 4).
struct WipeFactor {
    int scale;
    int alpha;
    int subtract;
};
WipeFactor ComputeWipeFactor(int borderParam, int borderRange);

// The 32-bit vertex colour: bytes blue, green, red, alpha in memory when `bgra` is set
// (as the vertex records declare them), else red and blue trade places.
inline uint32_t PackVertexColor(int red, int green, int blue, int alpha, int bgra) {
    const uint32_t a = uint32_t(alpha & 0xFF) << 24, g = uint32_t(green & 0xFF) << 8;
    return bgra ? a | uint32_t(red & 0xFF) << 16 | g | uint32_t(blue & 0xFF)
                : a | uint32_t(blue & 0xFF) << 16 | g | uint32_t(red & 0xFF);
}

// Every used handle record of `type`, lowest index first: the release walk and the
// restore after a device re-creation.
template <class Fn>
void ForEachHandleRecord(int type, Fn fn) {
    const HandleTypeManager& manager = HandleManageArray[type];
    for (int index = manager.AreaMin; manager.InitializeFlag && index <= manager.AreaMax; ++index) {
        HandleEntryHeader* header = manager.Handle[index];
        if (header != nullptr) fn(header);
    }
}

}  // namespace ZaDod
