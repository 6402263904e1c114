// The draw key's texture-alpha flags and the wipe arithmetic, for both hardware back ends.
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {

KeyAlphaFlags DecodeKeyAlphaFlags(int key, int blendMode, int drawMode) {
    KeyAlphaFlags f{0, 0};
    if ((key & 0x8001) != 0x8001 || (key & 0x30000) == 0) return f;
    if (blendMode != 0 && blendMode != 8) {
        f.alphaChannel = 1;
    } else if ((key & 0x2) != 0 || drawMode != 1) {
        f.premultiplied = (key >> 17) & 1;
        f.alphaChannel = (key >> 16) & 1;
    } else {
        // Bilinear sampling of a premultiplied image without its own flag: blend it as alpha.
        f.alphaChannel = 1;
    }
    return f;
}

WipeSetup ComputeWipe(int p, int n, int premultiplied, int alphaChannel) {
    WipeSetup w{0, 0, 1.0f, 0.0f};
    if (n <= 1) {
        w.alphaTest = 1;
        w.reference = p == 0 && (premultiplied || alphaChannel) ? 1 : p;
        return w;
    }
    // A narrower border range steepens the ramp: the blend graph's alpha is scaled by 4, 2
    // or 1 and offset so that the parameter sweeps the graph from all shown to none.
    const int factor = n <= 64 ? 1280 : n <= 128 ? 768 : 512;
    w.scale = n <= 64 ? 4.0f : n <= 128 ? 2.0f : 1.0f;
    const int k = factor - p * factor / 255;
    if (k >= factor - 256) {
        const int alpha = n <= 64 ? (k - 1024) * 64 / 256 : n <= 128 ? (k - 512) * 128 / 256 : (k - 256) * 255 / 256;
        w.offset = float(alpha) / 255.0f;
    } else {
        w.offset = float(255 - k * 255 / (factor - 256)) / -255.0f;
    }
    return w;
}

}  // namespace ZaDod
