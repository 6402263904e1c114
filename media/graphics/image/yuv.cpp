// Full-range BT.601 in 15-bit fixed point: Y is used as it stands (no offset of
// 16), the chroma terms are computed once per chroma sample.
#include "media/graphics/image/yuv.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/graphics/base_image.h"

namespace ZaDod {

namespace {

struct Chroma {
    int32_t b, g, r;
};

inline Chroma chroma(uint32_t U, uint32_t V) {
    const int32_t u = static_cast<int32_t>(U) - 128, v = static_cast<int32_t>(V) - 128;
    return {58064 * u, -11272 * u - 23396 * v, 45940 * v};
}

// Negative gives 0; above 255 x 32768 gives 255 (every value up to 2^23 - 1 shifts to 255).
inline uint32_t channel(int32_t x) { return static_cast<uint32_t>(std::clamp(x, 0, 8388607)) >> 15; }

inline uint32_t pixelOf(uint32_t Y, const Chroma& c) {
    const int32_t y = static_cast<int32_t>(Y) << 15;
    return 0xFF000000u | channel(y + c.r) << 16 | channel(y + c.g) << 8 | channel(y + c.b);
}

inline void put(uint8_t* row, int x, uint32_t v) { std::memcpy(row + 4 * x, &v, 4); }

struct Target {
    uint8_t* pixels;
    ptrdiff_t pitch;
    int w, h;  // area to convert: the frame cut to the image
};

bool target(const BaseImage* image, int w, int h, Target* t) {
    if (image == nullptr || image->pixels == nullptr || image->format.bytesPerPixel != 4 ||
        image->format.formatCode != kPixelPlain || image->format.channelCount != 0)
        return false;
    t->pixels = static_cast<uint8_t*>(image->pixels);
    t->pitch = image->pitch;
    t->w = std::max(0, std::min(w, image->width));
    t->h = std::max(0, std::min(h, image->height));
    return true;
}

// 4:2:0: one chroma sample for each 2 x 2 block; `at` gives the block's U and V.
template <class ChromaAt>
int convert420(const uint8_t* src, int w, const Target& t, ChromaAt at) {
    for (int by = 0; by < t.h / 2; ++by) {
        const uint8_t* y0 = src + ptrdiff_t{2 * by} * w;
        const uint8_t* y1 = y0 + w;
        uint8_t* d0 = t.pixels + 2 * by * t.pitch;
        uint8_t* d1 = d0 + t.pitch;
        for (int bx = 0; bx < t.w / 2; ++bx) {
            uint32_t U, V;
            at(bx, by, &U, &V);
            const Chroma c = chroma(U, V);
            put(d0, 2 * bx, pixelOf(y0[2 * bx], c));
            put(d0, 2 * bx + 1, pixelOf(y0[2 * bx + 1], c));
            put(d1, 2 * bx, pixelOf(y1[2 * bx], c));
            put(d1, 2 * bx + 1, pixelOf(y1[2 * bx + 1], c));
        }
    }
    return 0;
}

// Packed 4:2:2: every 4 bytes give two pixels; Y0, Y1, U, V at these offsets.
template <int Y0, int Y1, int U, int V>
int convert422(const uint8_t* src, int w, const Target& t) {
    for (int y = 0; y < t.h; ++y) {
        const uint8_t* s = src + ptrdiff_t{y} * 2 * w;
        uint8_t* d = t.pixels + y * t.pitch;
        for (int i = 0; i < t.w / 2; ++i, s += 4) {
            const Chroma c = chroma(s[U], s[V]);
            put(d, 2 * i, pixelOf(s[Y0], c));
            put(d, 2 * i + 1, pixelOf(s[Y1], c));
        }
    }
    return 0;
}

template <int Y0, int Y1, int U, int V>
int buffers422(const uint8_t* src, int w, int h, uint8_t* yBuf, uint8_t* uvBuf) {
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = src + ptrdiff_t{y} * 2 * w;
        uint8_t* yr = yBuf + ptrdiff_t{y} * w;
        uint8_t* uv = uvBuf + ptrdiff_t{y} * w;
        for (int i = 0; i < w / 2; ++i, s += 4) {
            yr[2 * i] = s[Y0];
            yr[2 * i + 1] = s[Y1];
            uv[2 * i] = s[U];
            uv[2 * i + 1] = s[V];
        }
    }
    return 0;
}

const uint8_t* bytes(const void* p) { return static_cast<const uint8_t*>(p); }
uint8_t* bytes(void* p) { return static_cast<uint8_t*>(p); }

}  // namespace

int ConvertYV12ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* vPlane = s + ptrdiff_t{w} * h;
    const uint8_t* uPlane = vPlane + ptrdiff_t{w} * h / 4;
    const int chromaPitch = w / 2;
    return convert420(s, w, t, [&](int bx, int by, uint32_t* U, uint32_t* V) {
        *U = uPlane[by * chromaPitch + bx];
        *V = vPlane[by * chromaPitch + bx];
    });
}

int ConvertNV12ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* uv = s + ptrdiff_t{w} * h;
    return convert420(s, w, t, [&](int bx, int by, uint32_t* U, uint32_t* V) {
        *U = uv[ptrdiff_t{by} * w + 2 * bx];
        *V = uv[ptrdiff_t{by} * w + 2 * bx + 1];
    });
}

int ConvertYUY2ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<0, 2, 1, 3>(bytes(source), w, t) : -1;
}

int ConvertUYVYToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<1, 3, 0, 2>(bytes(source), w, t) : -1;
}

int ConvertYVYUToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    return target(image, w, h, &t) ? convert422<0, 2, 3, 1>(bytes(source), w, t) : -1;
}

// 4:1:1: one U, V pair for each group of four pixels of a row.
int ConvertNV11ToARGB8(const void* source, int w, int h, BaseImage* image) {
    Target t;
    if (!target(image, w, h, &t)) return -1;
    const uint8_t* s = bytes(source);
    const uint8_t* uvPlane = s + ptrdiff_t{w} * h;
    const int uvPitch = w / 2;
    for (int y = 0; y < t.h; ++y) {
        const uint8_t* yr = s + ptrdiff_t{y} * w;
        const uint8_t* uv = uvPlane + ptrdiff_t{y} * uvPitch;
        uint8_t* d = t.pixels + y * t.pitch;
        for (int g = 0; g < t.w / 4; ++g) {
            const Chroma c = chroma(uv[2 * g], uv[2 * g + 1]);
            for (int k = 0; k < 4; ++k) put(d, 4 * g + k, pixelOf(yr[4 * g + k], c));
        }
    }
    return 0;
}

int ConvertYV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    const uint8_t* vPlane = s + ptrdiff_t{w} * h;
    const uint8_t* uPlane = vPlane + ptrdiff_t{w} * h / 4;
    const int chromaPitch = w / 2;
    for (int y = 0; y < h / 2; ++y) {
        uint8_t* uv = bytes(uvBuffer) + ptrdiff_t{y} * w;
        for (int i = 0; i < chromaPitch; ++i) {
            uv[2 * i] = uPlane[y * chromaPitch + i];
            uv[2 * i + 1] = vPlane[y * chromaPitch + i];
        }
    }
    return 0;
}

int ConvertNV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    std::memcpy(uvBuffer, s + ptrdiff_t{w} * h, size_t(w) * size_t(h / 2));
    return 0;
}

int ConvertYUY2ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<0, 2, 1, 3>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertUYVYToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<1, 3, 0, 2>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertYVYUToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    return buffers422<0, 2, 3, 1>(bytes(source), w, h, bytes(yBuffer), bytes(uvBuffer));
}

int ConvertNV11ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer) {
    if (w <= 0 || h <= 0) return 0;
    const uint8_t* s = bytes(source);
    std::memcpy(yBuffer, s, size_t(w) * size_t(h));
    std::memcpy(uvBuffer, s + ptrdiff_t{w} * h, size_t(w / 2) * size_t(h));
    return 0;
}

}  // namespace ZaDod
