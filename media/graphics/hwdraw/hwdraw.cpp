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

WipeFactor ComputeWipeFactor(int p, int n) {
    // A narrower border range steepens the ramp: the blend graph's alpha is scaled by 4, 2
    // or 1 and offset so that the parameter sweeps the graph from all shown to none.
    const int factor = n <= 64 ? 1280 : n <= 128 ? 768 : 512;
    WipeFactor f{n <= 64 ? 4 : n <= 128 ? 2 : 1, 0, 0};
    const int k = factor - p * factor / 255;
    if (k >= factor - 256) {
        f.alpha = n <= 64 ? (k - 1024) * 64 / 256 : n <= 128 ? (k - 512) * 128 / 256 : (k - 256) * 255 / 256;
    } else {
        f.alpha = 255 - k * 255 / (factor - 256);
        f.subtract = 1;
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
    const WipeFactor f = ComputeWipeFactor(p, n);
    w.scale = float(f.scale);
    w.offset = float(f.alpha) / (f.subtract ? -255.0f : 255.0f);
    return w;
}

}  // namespace ZaDod
