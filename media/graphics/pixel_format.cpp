// Pixel layouts: the descriptor table, format selection and colour packing.
#include "media/graphics/pixel_format.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/pixel_widen.h"

namespace ZaDod {

namespace {

// Location of the lowest set bit and the length of the run of set bits from there.
void maskPlace(uint32_t mask, uint8_t* loc, uint8_t* width) {
    if (mask == 0) {
        *loc = 0;
        *width = 0;
        return;
    }
    int l = std::countr_zero(mask);
    *loc = static_cast<uint8_t>(l);
    *width = static_cast<uint8_t>(std::countr_one(mask >> l));
}

uint32_t depthMask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

struct PixelFormatTable {
    PixelFormatDesc rows[kPixelFormatTableSize];

    PixelFormatTable() {
        std::memset(rows, 0, sizeof rows);
        auto packed = [&](int i, int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
            CreateColorData(&rows[i], bits, r, g, b, a);
        };
        auto channels = [&](int i, int count, int bits, int isFloat) {
            CreateColorData(&rows[i], 0, 0, 0, 0, 0, count, bits, isFloat);
        };
        packed(6, 16, 0xF800, 0x07E0, 0x001F, 0);
        packed(7, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
        packed(8, 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
        packed(9, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
        packed(10, 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
        packed(11, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
        for (int i = 12; i <= 20; ++i) {
            packed(i, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
            rows[i].formatCode = static_cast<uint8_t>(i - 11);
            rows[i].colorBits = i == 12 ? 4 : 8;
        }
        // Rows 22..32 and their drawable twins 36..46 share one list.
        static const int kChannelRows[11][3] = {
            {4, 16, 0}, {4, 16, 1}, {4, 32, 1}, {1, 8, 0},  {1, 16, 0}, {1, 16, 1},
            {1, 32, 1}, {2, 8, 0},  {2, 16, 0}, {2, 16, 1}, {2, 32, 1},
        };
        for (int k = 0; k < 11; ++k) {
            channels(22 + k, kChannelRows[k][0], kChannelRows[k][1], kChannelRows[k][2]);
            channels(36 + k, kChannelRows[k][0], kChannelRows[k][1], kChannelRows[k][2]);
        }
        rows[33] = rows[6];
        rows[34] = rows[7];
        rows[35] = rows[9];
    }
};

// Expands or narrows an 8-bit component to `width` bits at `loc`.
uint32_t placeComponent(int value, int width, int loc) {
    if (width == 0) return 0;
    uint32_t v = static_cast<uint32_t>(value) & 0xFF;
    v = width <= 8 ? v >> (8 - width) : v << (width - 8);
    return v << loc;
}

}  // namespace

const PixelFormatDesc* GetPixelFormatDesc(int index) {
    static const PixelFormatTable table;
    if (index < 0 || index >= kPixelFormatTableSize) return nullptr;
    return &table.rows[index];
}

int SelectPixelFormatIndex(const GraphFormatRequest* req) {
    const int b = req->channelBits;
    const int c = req->colorBits;
    const bool drawable = req->drawable != 0;
    const bool isFloat = req->floatFlag != 0;
    if (req->blockKind >= 1 && req->blockKind <= 9) return 11 + req->blockKind;

    if (req->channelCount == 1 || req->channelCount == 2) {
        const int bits = b != 0 ? b : c;
        int variant;  // 0: 8-bit, 1: 16-bit, 2: 16-bit float, 3: 32-bit float
        if (req->channelCount == 1) {
            variant = isFloat ? (bits < 32 ? 2 : 3) : (bits < 16 ? 0 : 1);
        } else if (!isFloat) {
            variant = (b != 0 ? b < 16 : c < 32) ? 0 : 1;
        } else {
            variant = (b != 0 ? b < 32 : c < 64) ? 2 : 3;
        }
        const int base = req->channelCount == 1 ? 25 : 29;
        return base + variant + (drawable ? 14 : 0);
    }
    if (c == 4) return req->alphaChannel ? 2 : req->alphaTest ? 4 : 0;
    if (c == 8) return req->alphaChannel ? 3 : req->alphaTest ? 5 : 1;

    const bool wideFloat = b != 0 ? b >= 32 : c >= 128;
    if (!drawable) {
        if (isFloat) return wideFloat ? 24 : 23;
        if (b >= 9) return 22;
        if (req->alphaChannel) return c == 16 ? 8 : 9;
        if (!req->alphaTest) return c == 16 ? 6 : 7;
        return c == 16 ? 10 : 11;
    }
    if (isFloat) return wideFloat ? 38 : 37;
    if (b >= 9) return 36;
    if (req->alphaChannel || req->alphaTest) return 35;
    return c == 16 ? 33 : 34;
}

const PixelFormatDesc* GetPixelFormatDescByFlags(int alphaChannel, int alphaTest, int bits32, int drawable) {
    GraphFormatRequest req{};
    req.alphaChannel = alphaChannel != 0;
    req.alphaTest = alphaTest != 0;
    req.drawable = drawable != 0;
    req.colorBits = bits32 ? 32 : 16;
    return GetPixelFormatDesc(SelectPixelFormatIndex(&req));
}

int CreateColorData(PixelFormatDesc* desc, int colorBits, uint32_t redMask, uint32_t greenMask,
                    uint32_t blueMask, uint32_t alphaMask, int channelCount, int channelBits, int floatFlag) {
    std::memset(desc, 0, sizeof *desc);
    if (channelCount != 0 && channelBits != 0) {
        desc->channelCount = static_cast<uint8_t>(channelCount);
        desc->channelBits = static_cast<uint8_t>(channelBits);
        desc->bytesPerPixel = static_cast<uint8_t>(channelCount * channelBits / 8);
        desc->floatFlag = floatFlag != 0;
        return 0;
    }
    desc->colorBits = static_cast<uint8_t>(colorBits);
    desc->bytesPerPixel = static_cast<uint8_t>(colorBits / 8);
    desc->redMask = redMask;
    desc->greenMask = greenMask;
    desc->blueMask = blueMask;
    desc->alphaMask = alphaMask;
    desc->unusedMask = depthMask(colorBits) & ~(redMask | greenMask | blueMask | alphaMask);
    maskPlace(redMask, &desc->redLoc, &desc->redWidth);
    maskPlace(greenMask, &desc->greenLoc, &desc->greenWidth);
    maskPlace(blueMask, &desc->blueLoc, &desc->blueWidth);
    maskPlace(alphaMask, &desc->alphaLoc, &desc->alphaWidth);
    maskPlace(desc->unusedMask, &desc->unusedLoc, &desc->unusedWidth);
    return 0;
}

int CreateARGB8ColorData(PixelFormatDesc* desc) {
    return CreateColorData(desc, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
}

int CreateXRGB8ColorData(PixelFormatDesc* desc) {
    return CreateColorData(desc, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

int CreateFullColorData(PixelFormatDesc* desc) {
    return CreateColorData(desc, 24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

int CreatePal8ColorData(PixelFormatDesc* desc) {
    // The channel fields describe the palette entries (X8R8G8B8).
    CreateXRGB8ColorData(desc);
    desc->colorBits = 8;
    desc->bytesPerPixel = 1;
    desc->maxPaletteIndex = 255;
    return 0;
}

int CreateGrayPal8ColorData(PixelFormatDesc* desc) {
    CreatePal8ColorData(desc);
    for (int i = 0; i < 256; ++i) {
        auto v = static_cast<uint8_t>(i);
        desc->palette[i] = PaletteEntry{v, v, v, 0};
    }
    return 0;
}

int SetColorDataUnusedMask(PixelFormatDesc* desc) {
    const int used = desc->redWidth + desc->greenWidth + desc->blueWidth + desc->alphaWidth;
    if (used == desc->colorBits) {
        desc->unusedMask = 0;
    } else {
        desc->unusedMask = depthMask(desc->colorBits) &
                           ~(desc->redMask | desc->greenMask | desc->blueMask | desc->alphaMask);
    }
    return 0;
}

uint32_t PackColorDataPixel(const PixelFormatDesc* desc, int red, int green, int blue, int alpha) {
    if (desc->bytesPerPixel == 1) {
        // Nearest palette entry; the lowest index wins ties.
        int best = 0x00FFFFFF;
        uint32_t bestIndex = 0;
        for (uint32_t i = 0; i < 256; ++i) {
            const PaletteEntry& e = desc->palette[i];
            const int dr = e.red - red, dg = e.green - green, db = e.blue - blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                bestIndex = i;
            }
        }
        return bestIndex;
    }
    uint32_t v = placeComponent(red, desc->redWidth, desc->redLoc) |
                 placeComponent(green, desc->greenWidth, desc->greenLoc) |
                 placeComponent(blue, desc->blueWidth, desc->blueLoc) | desc->unusedMask;
    if (desc->alphaWidth != 0) v |= placeComponent(alpha, desc->alphaWidth, desc->alphaLoc);
    return v;
}

void UnpackColorDataPixel(const PixelFormatDesc* desc, uint32_t pixel, int* red, int* green, int* blue,
                          int* alpha) {
    auto field = [&](uint32_t mask, int loc) { return (pixel & mask) >> loc; };
    auto scaled = [&](uint32_t mask, int loc, int width) {
        return width == 0 ? 0 : static_cast<int>(pixel::scaleTo255(field(mask, loc), width));
    };
    int r, g, b;
    if (desc->redWidth == 8 && desc->greenWidth == 8 && desc->blueWidth == 8) {
        r = static_cast<int>(field(desc->redMask, desc->redLoc));
        g = static_cast<int>(field(desc->greenMask, desc->greenLoc));
        b = static_cast<int>(field(desc->blueMask, desc->blueLoc));
    } else {
        r = scaled(desc->redMask, desc->redLoc, desc->redWidth);
        g = scaled(desc->greenMask, desc->greenLoc, desc->greenWidth);
        b = scaled(desc->blueMask, desc->blueLoc, desc->blueWidth);
    }
    // An absent alpha always reads as 0, whatever the colour widths.
    const int a = scaled(desc->alphaMask, desc->alphaLoc, desc->alphaWidth);
    if (red) *red = r;
    if (green) *green = g;
    if (blue) *blue = b;
    if (alpha) *alpha = a;
}

uint32_t ReadPixelAsARGB8(const BaseImage* image, int x, int y) {
    const PixelFormatDesc& f = image->format;
    if (image->pixels == nullptr || x < 0 || y < 0 || x >= image->width || y >= image->height) return 0;
    const int bpp = f.bytesPerPixel;
    if (f.formatCode != kPixelPlain || f.channelCount != 0 || bpp < 2 || bpp > 4) return 0;
    const uint8_t* p = static_cast<const uint8_t*>(image->pixels) + static_cast<ptrdiff_t>(y) * image->pitch +
                       static_cast<ptrdiff_t>(x) * bpp;
    uint32_t v = 0;
    std::memcpy(&v, p, static_cast<size_t>(bpp));
    // Each channel's top bit lands on bit 7 of its byte; low bits stay clear.
    auto channel = [&](uint32_t mask, int loc, int width, int top) -> uint32_t {
        if (width == 0) return 0;
        uint32_t c = (v & mask) >> loc;
        return width <= top ? c << (top - width) : c >> (width - top);
    };
    uint32_t out = channel(f.blueMask, f.blueLoc, f.blueWidth, 8) |
                   channel(f.greenMask, f.greenLoc, f.greenWidth, 16) |
                   channel(f.redMask, f.redLoc, f.redWidth, 24);
    if (f.alphaWidth != 0) out |= channel(f.alphaMask, f.alphaLoc, f.alphaWidth, 32);
    return out;
}

uint32_t PackARGB8Color(int red, int green, int blue, int alpha) {
    return (static_cast<uint32_t>(alpha & 0xFF) << 24) | (static_cast<uint32_t>(red & 0xFF) << 16) |
           (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
}

float* MakeFloat4(float* out, float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
    return out;
}

float Float16ToFloat32(uint16_t half) {
    const uint32_t sign = static_cast<uint32_t>(half & 0x8000) << 16;
    const uint32_t exponent = (half >> 10) & 0x1F;
    const uint32_t mantissa = half & 0x3FF;
    uint32_t bits;
    if (exponent == 0) {
        bits = sign;  // zero; half subnormals are not produced and read as zero
    } else if (exponent == 31) {
        bits = sign | 0x7F800000u | (mantissa << 13);  // infinity or NaN
    } else {
        bits = sign | ((exponent + 112) << 23) | (mantissa << 13);
    }
    return std::bit_cast<float>(bits);
}

uint16_t Float32ToFloat16(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const auto sign = static_cast<uint16_t>((bits >> 16) & 0x8000);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const uint32_t mantissa = bits & 0x7FFFFF;
    if (biased == 255) {
        if (mantissa == 0) return sign | 0x7C00;
        return static_cast<uint16_t>(sign | 0x7E00 | (mantissa >> 13));
    }
    const int exponent = biased - 112;
    if (exponent <= 0) return sign;  // zero and underflow keep their sign
    if (exponent >= 31) return sign | 0x7C00;
    return static_cast<uint16_t>(sign | (exponent << 10) | (mantissa >> 13));
}

}  // namespace ZaDod
