// The per-channel path of the colour blitter: every pixel is split into its
// channels, each channel is converted on its own, and the result is packed. It
// handles every pair of layouts and defines the pixels the fast paths must give.
#include <algorithm>
#include <cstddef>

#include "media/graphics/color_blit_internal.h"

namespace ZaDod::blit {

namespace {

enum : uint8_t { kAbsent = 0, kHalf = 254, kFloat = 255 };  // other values: integer width

struct Comp {
    uint32_t v;  // integer value, or the raw bits of a half
    float f;     // value of a half or float channel
    uint8_t bits;
};

constexpr Comp kFull{1, 1.0f, 1};  // one set bit widens to full scale
constexpr Comp kZero{0, 0.0f, 1};

uint64_t fullScale(int bits) { return (uint64_t{1} << bits) - 1; }

uint32_t toInt(const Comp& c, int to, int ditherEntry) {
    switch (c.bits) {
        case kAbsent: return 0;
        case kHalf:
        case kFloat: return pixel::floatToUnorm(c.f, static_cast<uint32_t>(fullScale(to)));
        default: break;
    }
    const int from = c.bits;
    if (from == to) return c.v;
    if (from < to) return pixel::widenBits(c.v, from, to);
    uint64_t v = c.v;
    if (ditherEntry >= 0) {
        const int drop = from - to;
        const uint64_t offset = drop >= 4 ? uint64_t(ditherEntry) << (drop - 4) : uint64_t(ditherEntry) >> (4 - drop);
        v = std::min(v + offset, fullScale(from));
    }
    return static_cast<uint32_t>(v >> (from - to));
}

float toFloat(const Comp& c) {
    switch (c.bits) {
        case kAbsent: return 0.0f;
        case kHalf:
        case kFloat: return c.f;
        default: return static_cast<float>(static_cast<double>(c.v) / static_cast<double>(fullScale(c.bits)));
    }
}

uint16_t toHalf(const Comp& c) { return c.bits == kHalf ? static_cast<uint16_t>(c.v) : Float32ToFloat16(toFloat(c)); }

// Splits one pixel; `raw` receives the packed value (palette entry for palette layouts).
void readPixel(pixel::Kind kind, const PixelFormatDesc& f, const uint8_t* p, Comp out[4], uint32_t* raw) {
    for (int i = 0; i < 4; ++i) out[i] = Comp{0, 0.0f, kAbsent};
    if (kind == pixel::Kind::Packed) {
        const uint32_t v = pixel::isPalette(f) ? pixel::paletteValue(f, *p) : pixel::loadPacked(p, f.bytesPerPixel);
        *raw = v;
        const uint32_t masks[4] = {f.redMask, f.greenMask, f.blueMask, f.alphaMask};
        const uint8_t locs[4] = {f.redLoc, f.greenLoc, f.blueLoc, f.alphaLoc};
        const uint8_t widths[4] = {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth};
        for (int i = 0; i < 4; ++i)
            if (widths[i] != 0) out[i] = Comp{(v & masks[i]) >> locs[i], 0.0f, widths[i]};
        return;
    }
    *raw = 0;
    for (int i = 0; i < f.channelCount; ++i) {
        switch (kind) {
            case pixel::Kind::Int8: out[i] = Comp{p[i], 0.0f, 8}; break;
            case pixel::Kind::Int16: {
                uint16_t v;
                std::memcpy(&v, p + 2 * i, 2);
                out[i] = Comp{v, 0.0f, 16};
                break;
            }
            case pixel::Kind::Half: {
                uint16_t v;
                std::memcpy(&v, p + 2 * i, 2);
                out[i] = Comp{v, Float16ToFloat32(v), kHalf};
                break;
            }
            case pixel::Kind::Float: {
                float v;
                std::memcpy(&v, p + 4 * i, 4);
                out[i] = Comp{0, v, kFloat};
                break;
            }
            default: break;
        }
    }
}

// The alpha an alpha image gives: its alpha channel, else its blue (the grey
// level of a grey picture); one- and two-channel layouts give their first channel.
Comp alphaOf(const Job& job, const uint8_t* p) {
    Comp c[4];
    uint32_t raw;
    readPixel(job.ak, *job.af, p, c, &raw);
    if (job.ak == pixel::Kind::Packed) return job.af->alphaWidth != 0 ? c[3] : c[2];
    return job.af->channelCount == 4 ? c[3] : c[0];
}

void writePixel(const Job& job, const Comp c[4], int ditherEntry, uint8_t* p) {
    const PixelFormatDesc& f = *job.df;
    if (job.dk == pixel::Kind::Packed && pixel::isPalette(f)) {
        // Nearest palette colour; a single channel is taken as a grey level.
        const int r = static_cast<int>(toInt(c[0], 8, -1));
        const int g = job.singleChannel ? r : static_cast<int>(toInt(c[1], 8, -1));
        const int b = job.singleChannel ? r : static_cast<int>(toInt(c[2], 8, -1));
        *p = static_cast<uint8_t>(PackColorDataPixel(&f, r, g, b, 0));
        return;
    }
    if (job.dk == pixel::Kind::Packed) {
        const uint8_t widths[4] = {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth};
        const uint8_t locs[4] = {f.redLoc, f.greenLoc, f.blueLoc, f.alphaLoc};
        uint32_t v = unusedFill(f);
        const int channels = job.singleChannel ? 1 : 4;
        for (int i = 0; i < channels; ++i)
            if (widths[i] != 0) v |= toInt(c[i], widths[i], ditherEntry) << locs[i];
        pixel::storePacked(p, f.bytesPerPixel, v);
        return;
    }
    for (int i = 0; i < f.channelCount; ++i) {
        const Comp& ci = job.singleChannel && i > 0 ? Comp{0, 0.0f, kAbsent} : c[i];
        switch (job.dk) {
            case pixel::Kind::Int8: p[i] = static_cast<uint8_t>(toInt(ci, 8, ditherEntry)); break;
            case pixel::Kind::Int16: {
                auto v = static_cast<uint16_t>(toInt(ci, 16, ditherEntry));
                std::memcpy(p + 2 * i, &v, 2);
                break;
            }
            case pixel::Kind::Half: {
                uint16_t v = toHalf(ci);
                std::memcpy(p + 2 * i, &v, 2);
                break;
            }
            case pixel::Kind::Float: {
                float v = toFloat(ci);
                std::memcpy(p + 4 * i, &v, 4);
                break;
            }
            default: break;
        }
    }
}

}  // namespace

void perChannel(const Job& job) {
    const PixelFormatDesc& sf = *job.sf;
    const uint32_t colourMask = sf.redMask | sf.greenMask | sf.blueMask;
    const bool transCheck = job.trans && job.sk == pixel::Kind::Packed;
    const uint32_t transKey = job.transColor & colourMask;
    const int sbpp = sf.bytesPerPixel, dbpp = job.df->bytesPerPixel;
    const int abpp = job.alpha ? job.af->bytesPerPixel : 0;
    for (int y = 0; y < job.height; ++y) {
        const uint8_t* s = job.src + y * job.srcPitch;
        const uint8_t* a = job.alpha ? job.alpha + y * job.alphaPitch : nullptr;
        uint8_t* d = job.dst + y * job.dstPitch;
        const uint8_t* ditherRow = kDither[(job.dstY + y) & 3];
        for (int x = 0; x < job.width; ++x) {
            Comp c[4];
            uint32_t raw;
            readPixel(job.sk, sf, s + x * sbpp, c, &raw);
            if (job.alphaFromImage) {
                c[3] = alphaOf(job, a + x * abpp);
            } else if (!job.srcAlpha) {
                c[3] = kFull;
            }
            if (transCheck && (raw & colourMask) == transKey) c[3] = kZero;
            writePixel(job, c, job.dither ? ditherRow[(job.dstX + x) & 3] : -1, d + x * dbpp);
        }
    }
}

}  // namespace ZaDod::blit
