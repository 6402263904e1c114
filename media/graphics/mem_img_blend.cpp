// Lookup tables of software blending: they replace divisions by 255 and 63 in the
// blending loops, and map a blend graph's value to a coverage.
#include <algorithm>

#include "media/graphics/mem_img.h"

namespace ZaDod {

int32_t MemImgSignedProductTable[256][512];
int32_t MemImgProductTable[256][256];
uint8_t MemImgMix6Table[64][64][64];
uint8_t MemImgBlendGraphTable[256];

void InitMemImgBlendTables() {
    for (int a = 0; a < 256; ++a) {
        for (int j = 0; j < 511; ++j) MemImgSignedProductTable[a][j] = a * (j - 255) / 255;
        MemImgSignedProductTable[a][511] = 0;
        for (int b = 0; b < 256; ++b) MemImgProductTable[a][b] = a * b / 255;
    }
    for (int k = 0; k < 64; ++k)
        for (int r = 0; r < 64; ++r)
            for (int c = 0; c < 64; ++c) MemImgMix6Table[k][r][c] = static_cast<uint8_t>((r * k + c * (63 - k)) / 63);
}

void CreateMemImgBlendGraphTable(int border, int range) {
    const int d = range + 1;
    const int s = 65536 / d;
    const int offset = 256 - ((s + 256) * border) / 256;
    for (int i = 0; i < 256; ++i) MemImgBlendGraphTable[i] = static_cast<uint8_t>(std::clamp(i * 256 / d + offset, 0, 255));
}

}  // namespace ZaDod
