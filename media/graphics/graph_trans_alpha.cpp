// Transparent colour to alpha.
#include "media/graphics/graph_trans_alpha.h"

#include <cstring>

#include "media/base/memory.h"

namespace ZaDod {

int ConvertTransColorToAlpha(const BaseImage* image, uint32_t transColor, BaseImage* out) {
    if (CreateARGB8ColorBaseImage(image->width, image->height, out) != 0) return -1;
    if (BltBaseImage(0, 0, const_cast<BaseImage*>(image), out) != 0) {
        ReleaseBaseImage(out);
        return -1;
    }
    const int width = out->width;
    const int height = out->height;
    // Which pixels were of the transparent colour before any colour was spread.
    auto* keyed = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width) * height, __FILE__, __LINE__));
    if (keyed == nullptr) {
        ReleaseBaseImage(out);
        return -1;
    }
    const bool hasAlpha = image->format.alphaWidth != 0;
    auto row = [out](int y) { return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out->pixels) + y * out->pitch); };
    for (int y = 0; y < height; ++y) {
        uint32_t* pixels = row(y);
        for (int x = 0; x < width; ++x) {
            const bool key = (pixels[x] & 0xFFFFFF) == (transColor & 0xFFFFFF);
            keyed[y * width + x] = key ? 1 : 0;
            if (key) {
                pixels[x] &= 0xFFFFFF;
            } else if (!hasAlpha) {
                pixels[x] |= 0xFF000000u;
            }
        }
    }
    static const int kNeighbour[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (keyed[y * width + x]) continue;
            const uint32_t colour = row(y)[x] & 0xFFFFFF;
            for (const auto& step : kNeighbour) {
                const int nx = x + step[0];
                const int ny = y + step[1];
                if (nx < 0 || ny < 0 || nx >= width || ny >= height || !keyed[ny * width + nx]) continue;
                row(ny)[nx] = colour;
            }
        }
    }
    MemFree(keyed);
    return 0;
}

uint32_t GetTopLeftTransColor(const BaseImage* image) { return ReadPixelAsARGB8(image, 0, 0) & 0xFFFFFF; }

}  // namespace ZaDod
