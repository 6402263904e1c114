// Fast paths of the colour blitter for packed layouts whose channels are at most
// 8 bits wide. Every such channel survives a trip through 8 bits exactly (widening
// repeats the top bits, narrowing keeps them), so pixels go through one 32-bit
// 0xAARRGGBB form: fused loops for the common layout pairs, a palette lookup
// table, and otherwise a fetch / alpha / store pipeline over short row chunks. The
// same chunks carry 8-bit layouts into half and float channels and back, by tables.
#include <algorithm>
#include <cstddef>
#include <array>
#include <cstring>
#include <optional>
#include <type_traits>

#include "media/graphics/color_blit_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ZaDod::blit {

namespace {

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline uint32_t load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void store16(uint8_t* p, uint32_t v) {
    auto w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
}
inline uint32_t swapRB(uint32_t c) { return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16); }
using pixel::widen4;
using pixel::widen5;
using pixel::widen6;

// Layouts with their own loops: fetch gives 0xAARRGGBB (alpha 0xFF when absent),
// store writes exactly what the per-channel path writes.
struct ARGB8888 {
    static constexpr int bpp = 4;
    static uint32_t fetch(const uint8_t* p) { return load32(p); }
    static void store(uint8_t* p, uint32_t c) { store32(p, c); }
};
struct XRGB8888 {
    static constexpr int bpp = 4;
    static uint32_t fetch(const uint8_t* p) { return load32(p) | 0xFF000000u; }
    static void store(uint8_t* p, uint32_t c) { store32(p, c | 0xFF000000u); }
};
struct ABGR8888 {
    static constexpr int bpp = 4;
    static uint32_t fetch(const uint8_t* p) { return swapRB(load32(p)); }
    static void store(uint8_t* p, uint32_t c) { store32(p, swapRB(c)); }
};
struct XBGR8888 {
    static constexpr int bpp = 4;
    static uint32_t fetch(const uint8_t* p) { return swapRB(load32(p)) | 0xFF000000u; }
    static void store(uint8_t* p, uint32_t c) { store32(p, swapRB(c) | 0xFF000000u); }
};
struct RGB888 {
    static constexpr int bpp = 3;
    static uint32_t fetch(const uint8_t* p) {
        return 0xFF000000u | uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    }
    static void store(uint8_t* p, uint32_t c) {
        p[0] = static_cast<uint8_t>(c);
        p[1] = static_cast<uint8_t>(c >> 8);
        p[2] = static_cast<uint8_t>(c >> 16);
    }
};
struct RGB565 {
    static constexpr int bpp = 2;
    static uint32_t fetch(const uint8_t* p) {
        const uint32_t v = load16(p);
        return 0xFF000000u | widen5(v >> 11) << 16 | widen6((v >> 5) & 63) << 8 | widen5(v & 31);
    }
    static void store(uint8_t* p, uint32_t c) {
        store16(p, ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
    }
};
struct XRGB1555 {
    static constexpr int bpp = 2;
    static uint32_t fetch(const uint8_t* p) {
        const uint32_t v = load16(p);
        return 0xFF000000u | widen5((v >> 10) & 31) << 16 | widen5((v >> 5) & 31) << 8 | widen5(v & 31);
    }
    static void store(uint8_t* p, uint32_t c) {
        store16(p, ((c >> 9) & 0x7C00) | ((c >> 6) & 0x03E0) | ((c >> 3) & 0x001F));
    }
};
struct ARGB1555 {
    static constexpr int bpp = 2;
    static uint32_t fetch(const uint8_t* p) {
        const uint32_t v = load16(p);
        return (XRGB1555::fetch(p) & 0x00FFFFFFu) | ((v & 0x8000) ? 0xFF000000u : 0u);
    }
    static void store(uint8_t* p, uint32_t c) {
        store16(p, ((c >> 16) & 0x8000) | ((c >> 9) & 0x7C00) | ((c >> 6) & 0x03E0) | ((c >> 3) & 0x001F));
    }
};
struct ARGB4444 {
    static constexpr int bpp = 2;
    static uint32_t fetch(const uint8_t* p) {
        const uint32_t v = load16(p);
        return widen4(v >> 12) << 24 | widen4((v >> 8) & 15) << 16 | widen4((v >> 4) & 15) << 8 | widen4(v & 15);
    }
    static void store(uint8_t* p, uint32_t c) {
        store16(p, ((c >> 16) & 0xF000) | ((c >> 12) & 0x0F00) | ((c >> 8) & 0x00F0) | ((c >> 4) & 0x000F));
    }
};

struct KnownLayout {
    int bpp;
    uint32_t r, g, b, a;
};
// Order of the layouts in the tables below.
constexpr KnownLayout kKnown[] = {
    {4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},  // 0 ARGB8888
    {4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},           // 1 XRGB8888
    {4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},  // 2 ABGR8888
    {4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0},           // 3 XBGR8888
    {2, 0xF800, 0x07E0, 0x001F, 0},                       // 4 RGB565
    {2, 0x7C00, 0x03E0, 0x001F, 0},                       // 5 XRGB1555
    {3, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},           // 6 RGB888
    {2, 0x7C00, 0x03E0, 0x001F, 0x8000},                  // 7 ARGB1555
    {2, 0x0F00, 0x00F0, 0x000F, 0xF000},                  // 8 ARGB4444
};
constexpr int kKnownCount = 9;
constexpr int kKnownDests = 6;  // the first six also have fused destination loops

int knownLayout(const PixelFormatDesc& f) {
    for (int i = 0; i < kKnownCount; ++i) {
        const KnownLayout& k = kKnown[i];
        if (f.bytesPerPixel == k.bpp && f.redMask == k.r && f.greenMask == k.g && f.blueMask == k.b &&
            f.alphaMask == k.a)
            return i;
    }
    return -1;
}

// Calls f with a value of the known layout `id`; false for an unknown id.
template <class F>
bool withKnown(int id, F&& f) {
    switch (id) {
        case 0: f(ARGB8888{}); return true;
        case 1: f(XRGB8888{}); return true;
        case 2: f(ABGR8888{}); return true;
        case 3: f(XBGR8888{}); return true;
        case 4: f(RGB565{}); return true;
        case 5: f(XRGB1555{}); return true;
        case 6: f(RGB888{}); return true;
        case 7: f(ARGB1555{}); return true;
        case 8: f(ARGB4444{}); return true;
        default: return false;
    }
}

using RowFn = void (*)(const uint8_t* s, uint8_t* d, int n, uint32_t key);

template <class S, class D, bool Trans>
void fusedRow(const uint8_t* s, uint8_t* d, int n, uint32_t key) {
    for (int i = 0; i < n; ++i) {
        uint32_t c = S::fetch(s + i * S::bpp);
        if constexpr (Trans) c = (c & 0x00FFFFFFu) == key ? c & 0x00FFFFFFu : c;
        D::store(d + i * D::bpp, c);
    }
}

template <>
void fusedRow<RGB565, XRGB1555, false>(const uint8_t* s, uint8_t* d, int n, uint32_t) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFFC0));
    const __m128i low = _mm_set1_epi16(0x001F);
    for (; i + 8 <= n; i += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i));
        const __m128i out = _mm_or_si128(_mm_srli_epi16(_mm_and_si128(p, high), 1), _mm_and_si128(p, low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * i), out);
    }
#endif
    for (; i < n; ++i) {
        const uint32_t p = load16(s + 2 * i);
        store16(d + 2 * i, ((p & 0xFFC0) >> 1) | (p & 0x001F));
    }
}

// 24-bit to 32-bit: a 4-byte load per pixel (its extra byte masked off), except
// for the last pixel of the row, which must not read past it.
template <class D>
void rgb24Row(const uint8_t* s, uint8_t* d, int n) {
    int i = 0;
    for (; i + 1 < n; ++i) D::store(d + 4 * i, load32(s + 3 * i) | 0xFF000000u);
    if (i < n) D::store(d + 4 * i, RGB888::fetch(s + 3 * i));
}
template <>
void fusedRow<RGB888, ARGB8888, false>(const uint8_t* s, uint8_t* d, int n, uint32_t) {
    rgb24Row<ARGB8888>(s, d, n);
}
template <>
void fusedRow<RGB888, XRGB8888, false>(const uint8_t* s, uint8_t* d, int n, uint32_t) {
    rgb24Row<XRGB8888>(s, d, n);
}

template <class S>
constexpr std::array<RowFn, kKnownDests * 2> fusedFor() {
    return {&fusedRow<S, ARGB8888, false>, &fusedRow<S, ARGB8888, true>, &fusedRow<S, XRGB8888, false>,
            &fusedRow<S, XRGB8888, true>,  &fusedRow<S, ABGR8888, false>, &fusedRow<S, ABGR8888, true>,
            &fusedRow<S, XBGR8888, false>, &fusedRow<S, XBGR8888, true>,  &fusedRow<S, RGB565, false>,
            &fusedRow<S, RGB565, true>,    &fusedRow<S, XRGB1555, false>, &fusedRow<S, XRGB1555, true>};
}

constexpr std::array<RowFn, kKnownDests * 2> kFused[kKnownCount] = {
    fusedFor<ARGB8888>(), fusedFor<XRGB8888>(), fusedFor<ABGR8888>(), fusedFor<XBGR8888>(), fusedFor<RGB565>(),
    fusedFor<XRGB1555>(), fusedFor<RGB888>(),   fusedFor<ARGB1555>(), fusedFor<ARGB4444>(),
};

// ---- pipeline over chunks of 0xAARRGGBB pixels ----

constexpr int kChunk = 256;


// A packed value of the layout as 0xAARRGGBB.
uint32_t decodeRaw(const PixelFormatDesc& f, uint32_t v) {
    auto ch = [&](uint32_t mask, int loc, int w, uint32_t absent) -> uint32_t {
        // A mask with gaps reaches past its run of w bits; only the run is read.
        return w != 0 ? pixel::widen8(((v & mask) >> loc) & ((1u << w) - 1), w) : absent;
    };
    return ch(f.alphaMask, f.alphaLoc, f.alphaWidth, 0xFF) << 24 | ch(f.redMask, f.redLoc, f.redWidth, 0) << 16 |
           ch(f.greenMask, f.greenLoc, f.greenWidth, 0) << 8 | ch(f.blueMask, f.blueLoc, f.blueWidth, 0);
}

struct Fetcher {
    const PixelFormatDesc* f;
    int known;
    uint32_t palette[256];

    explicit Fetcher(const PixelFormatDesc& fmt) : f(&fmt), known(knownLayout(fmt)) {
        if (pixel::isPalette(fmt))
            for (int i = 0; i < 256; ++i) palette[i] = decodeRaw(fmt, pixel::paletteValue(fmt, static_cast<uint8_t>(i)));
    }

    template <class S>
    static void run(const uint8_t* p, uint32_t* out, int n) {
        for (int i = 0; i < n; ++i) out[i] = S::fetch(p + i * S::bpp);
    }

    void fetch(const uint8_t* p, uint32_t* out, int n) const {
        if (withKnown(known, [&](auto layout) { run<decltype(layout)>(p, out, n); })) return;
        const int bpp = f->bytesPerPixel;
        if (pixel::isPalette(*f)) {
            for (int i = 0; i < n; ++i) out[i] = palette[p[i]];
        } else {
            for (int i = 0; i < n; ++i) out[i] = decodeRaw(*f, pixel::loadPacked(p + i * bpp, bpp));
        }
    }
};

struct Storer {
    const PixelFormatDesc* f;
    int known;
    uint32_t fill;
    int shift[4];    // where channel k sits in 0xAARRGGBB
    int drop[4];     // 8 - destination width
    int loc[4];
    bool used[4];
    bool dither[4];  // narrowed from 8 bits under the dither flag

    template <class D>
    static void run(const uint32_t* in, uint8_t* d, int n) {
        for (int i = 0; i < n; ++i) D::store(d + i * D::bpp, in[i]);
    }

    uint32_t pack(uint32_t c, const uint32_t* offsets) const {
        uint32_t v = fill;
        for (int k = 0; k < 4; ++k) {
            if (!used[k]) continue;
            uint32_t x = (c >> shift[k]) & 0xFF;
            if (offsets) x = std::min<uint32_t>(x + offsets[k], 255);
            v |= (x >> drop[k]) << loc[k];
        }
        return v;
    }

    void store(const uint32_t* in, uint8_t* d, int n, int x0, int y) const {
        bool anyDither = dither[0] || dither[1] || dither[2] || dither[3];
        if (!anyDither && withKnown(known, [&](auto layout) { run<decltype(layout)>(in, d, n); })) return;
        const int bpp = f->bytesPerPixel;
        if (!anyDither) {
            for (int i = 0; i < n; ++i) pixel::storePacked(d + i * bpp, bpp, pack(in[i], nullptr));
            return;
        }
        // Offsets for the four column phases of this row: entry x 2^drop / 16.
        uint32_t offsets[4][4];
        const uint8_t* row = kDither[y & 3];
        for (int col = 0; col < 4; ++col)
            for (int k = 0; k < 4; ++k) {
                const uint32_t e = row[col];
                offsets[col][k] = !dither[k] ? 0 : drop[k] >= 4 ? e << (drop[k] - 4) : e >> (4 - drop[k]);
            }
        for (int i = 0; i < n; ++i) pixel::storePacked(d + i * bpp, bpp, pack(in[i], offsets[(x0 + i) & 3]));
    }
};

bool narrowChannels(const PixelFormatDesc& f) {
    return f.redWidth <= 8 && f.greenWidth <= 8 && f.blueWidth <= 8 && f.alphaWidth <= 8;
}

// Pixels x .. x + n of row y of the source as 0xAARRGGBB, with the alpha image's alpha
// (its alpha byte, else its blue) and the transparent colour applied.
void fetchChunk(const Job& job, const Fetcher& src, const Fetcher* alpha, uint32_t key, int x, int y, int n,
                uint32_t* buf) {
    src.fetch(job.src + y * job.srcPitch + x * job.sf->bytesPerPixel, buf, n);
    if (alpha != nullptr) {
        uint32_t abuf[kChunk];
        alpha->fetch(job.alpha + y * job.alphaPitch + x * job.af->bytesPerPixel, abuf, n);
        const bool alphaByte = job.af->alphaWidth != 0;
        for (int i = 0; i < n; ++i)
            buf[i] = (buf[i] & 0x00FFFFFFu) | (alphaByte ? abuf[i] & 0xFF000000u : abuf[i] << 24);
    }
    if (job.trans)
        for (int i = 0; i < n; ++i) buf[i] = (buf[i] & 0x00FFFFFFu) == key ? buf[i] & 0x00FFFFFFu : buf[i];
}

// ---- 8-bit channels to and from half and float channels ----

// Each channel is exactly 8 bits wide or absent: its 8-bit form is its value.
bool eightBitChannels(const PixelFormatDesc& f) {
    for (const int w : {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth})
        if (w != 0 && w != 8) return false;
    return true;
}

bool floatKind(pixel::Kind k) { return k == pixel::Kind::Half || k == pixel::Kind::Float; }

// What the per-channel path makes of every 8-bit value as a float and as a half, and of
// every half as 8 bits, worked out once.
struct WideTables {
    float toFloat[256];
    uint16_t toHalf[256];
    uint8_t halfTo8[65536];
    WideTables() {
        for (int i = 0; i < 256; ++i) {
            toFloat[i] = static_cast<float>(static_cast<double>(i) / 255.0);
            toHalf[i] = Float32ToFloat16(toFloat[i]);
        }
        for (uint32_t h = 0; h < 65536; ++h)
            halfTo8[h] = static_cast<uint8_t>(pixel::floatToUnorm(Float16ToFloat32(static_cast<uint16_t>(h)), 255));
    }
};

const WideTables& wideTables() {
    static const WideTables tables;
    return tables;
}

// Channels red, green, blue, alpha of 0xAARRGGBB pixels into N half or float channels.
template <class T, int N>
void storeWide(const uint32_t* in, uint8_t* d, int n, const T* table) {
    for (int i = 0; i < n; ++i) {
        const uint32_t c = in[i];
        T v[4] = {table[c >> 16 & 0xFF], table[c >> 8 & 0xFF], table[c & 0xFF], table[c >> 24]};
        std::memcpy(d + size_t(i) * sizeof(T) * N, v, sizeof(T) * N);
    }
}

// N half or float channels into 0xAARRGGBB; absent colours are 0, an absent alpha opaque.
template <bool Half, int N>
void fetchWide(const uint8_t* s, uint32_t* out, int n, const WideTables& t) {
    constexpr int size = Half ? 2 : 4;
    constexpr int shifts[4] = {16, 8, 0, 24};
    for (int i = 0; i < n; ++i) {
        uint32_t c = N == 4 ? 0 : 0xFF000000u;
        for (int k = 0; k < N; ++k) {
            uint32_t byte;
            if constexpr (Half) {
                uint16_t h;
                std::memcpy(&h, s + size_t(i) * size * N + 2 * k, 2);
                byte = t.halfTo8[h];
            } else {
                float f;
                std::memcpy(&f, s + size_t(i) * size * N + 4 * k, 4);
                byte = pixel::floatToUnorm(f, 255);
            }
            c |= byte << shifts[k];
        }
        out[i] = c;
    }
}

using WideStoreFn = void (*)(const uint32_t*, uint8_t*, int, const WideTables&);
template <class T, int N>
void storeWideWith(const uint32_t* in, uint8_t* d, int n, const WideTables& t) {
    if constexpr (std::is_same_v<T, float>) storeWide<float, N>(in, d, n, t.toFloat);
    else storeWide<uint16_t, N>(in, d, n, t.toHalf);
}
template <class T>
WideStoreFn wideStoreFor(int channels) {
    return channels == 1 ? &storeWideWith<T, 1> : channels == 2 ? &storeWideWith<T, 2> : &storeWideWith<T, 4>;
}
using WideFetchFn = void (*)(const uint8_t*, uint32_t*, int, const WideTables&);
template <bool Half>
WideFetchFn wideFetchFor(int channels) {
    return channels == 1 ? &fetchWide<Half, 1> : channels == 2 ? &fetchWide<Half, 2> : &fetchWide<Half, 4>;
}

// Uploads of 8-bit pictures into half and float textures, and read-backs of those
// textures into 8-bit layouts: one row loop over 0xAARRGGBB chunks with table lookups,
// the loop chosen once per job.
bool wideChannels(const Job& job) {
    if (job.singleChannel) return false;
    const PixelFormatDesc& sf = *job.sf;
    const PixelFormatDesc& df = *job.df;
    const WideTables& t = wideTables();
    uint32_t buf[kChunk];
    if (job.sk == pixel::Kind::Packed && floatKind(job.dk)) {
        if (!eightBitChannels(sf) || (df.channelCount != 1 && df.channelCount != 2 && df.channelCount != 4))
            return false;
        if (job.alphaFromImage && (job.ak != pixel::Kind::Packed ||
                                   (job.af->alphaWidth != 0 ? job.af->alphaWidth : job.af->blueWidth) != 8))
            return false;
        const WideStoreFn store = job.dk == pixel::Kind::Half ? wideStoreFor<uint16_t>(df.channelCount)
                                                              : wideStoreFor<float>(df.channelCount);
        const Fetcher src(sf);
        std::optional<Fetcher> alpha;
        if (job.alphaFromImage) alpha.emplace(*job.af);
        const uint32_t key = decodeRaw(sf, job.transColor) & 0x00FFFFFFu;
        for (int y = 0; y < job.height; ++y)
            for (int x = 0; x < job.width; x += kChunk) {
                const int n = std::min(kChunk, job.width - x);
                fetchChunk(job, src, alpha ? &*alpha : nullptr, key, x, y, n, buf);
                store(buf, job.dst + y * job.dstPitch + x * df.bytesPerPixel, n, t);
            }
        return true;
    }
    if (floatKind(job.sk) && job.dk == pixel::Kind::Packed) {
        if (job.alphaFromImage || df.bytesPerPixel < 2 || pixel::isPalette(df) || !eightBitChannels(df)) return false;
        if (sf.channelCount != 1 && sf.channelCount != 2 && sf.channelCount != 4) return false;
        const WideFetchFn fetch =
            job.sk == pixel::Kind::Half ? wideFetchFor<true>(sf.channelCount) : wideFetchFor<false>(sf.channelCount);
        Storer st{};
        st.f = &df;
        st.known = knownLayout(df);
        st.fill = unusedFill(df);
        const uint8_t locs[4] = {df.redLoc, df.greenLoc, df.blueLoc, df.alphaLoc};
        const int widths[4] = {df.redWidth, df.greenWidth, df.blueWidth, df.alphaWidth};
        const int shifts[4] = {16, 8, 0, 24};
        for (int k = 0; k < 4; ++k) {
            st.used[k] = widths[k] != 0;
            st.shift[k] = shifts[k];
            st.drop[k] = 0;
            st.loc[k] = locs[k];
        }
        for (int y = 0; y < job.height; ++y)
            for (int x = 0; x < job.width; x += kChunk) {
                const int n = std::min(kChunk, job.width - x);
                fetch(job.src + y * job.srcPitch + x * sf.bytesPerPixel, buf, n, t);
                st.store(buf, job.dst + y * job.dstPitch + x * df.bytesPerPixel, n, job.dstX + x, job.dstY + y);
            }
        return true;
    }
    return false;
}

}  // namespace

bool fast(const Job& job) {
    const PixelFormatDesc& sf = *job.sf;
    const PixelFormatDesc& df = *job.df;
    if (job.sk != pixel::Kind::Packed || job.dk != pixel::Kind::Packed) return wideChannels(job);
    if (job.singleChannel) return false;
    if (df.bytesPerPixel < 2 || !narrowChannels(sf) || !narrowChannels(df)) return false;
    if (job.alphaFromImage && (job.ak != pixel::Kind::Packed || !narrowChannels(*job.af))) return false;

    // Width of what feeds each destination channel (1 for a synthesised full alpha).
    int alphaFeed = 1;
    if (job.alphaFromImage) alphaFeed = job.af->alphaWidth != 0 ? job.af->alphaWidth : job.af->blueWidth;
    else if (job.srcAlpha) alphaFeed = sf.alphaWidth;
    const int feed[4] = {sf.redWidth, sf.greenWidth, sf.blueWidth, alphaFeed};
    const int widths[4] = {df.redWidth, df.greenWidth, df.blueWidth, df.alphaWidth};
    bool ditherChannel[4] = {};
    bool anyDither = false;
    for (int k = 0; k < 4; ++k) {
        if (!job.dither || widths[k] == 0 || feed[k] <= widths[k]) continue;
        if (feed[k] != 8) return false;  // only an 8-bit feed survives the 8-bit form exactly
        ditherChannel[k] = true;
        anyDither = true;
    }

    const uint32_t key = decodeRaw(sf, job.transColor) & 0x00FFFFFFu;
    const int sk = knownLayout(sf), dk = knownLayout(df);
    if (!job.alphaFromImage && !anyDither && sk >= 0 && dk >= 0 && dk < kKnownDests) {
        const RowFn row = kFused[sk][dk * 2 + (job.trans ? 1 : 0)];
        for (int y = 0; y < job.height; ++y) row(job.src + y * job.srcPitch, job.dst + y * job.dstPitch, job.width, key);
        return true;
    }

    Storer st{};
    st.f = &df;
    st.known = dk;
    st.fill = unusedFill(df);
    const uint8_t locs[4] = {df.redLoc, df.greenLoc, df.blueLoc, df.alphaLoc};
    const int shifts[4] = {16, 8, 0, 24};
    for (int k = 0; k < 4; ++k) {
        st.used[k] = widths[k] != 0;
        st.shift[k] = shifts[k];
        st.drop[k] = 8 - widths[k];
        st.loc[k] = locs[k];
        st.dither[k] = ditherChannel[k];
    }
    const Fetcher src(sf);

    uint32_t buf[kChunk];
    if (pixel::isPalette(sf) && !job.alphaFromImage && !anyDither) {
        // Convert the palette once, then look every byte up.
        uint32_t entries[256];
        std::copy(src.palette, src.palette + 256, entries);
        if (job.trans)
            for (uint32_t& c : entries) c = (c & 0x00FFFFFFu) == key ? c & 0x00FFFFFFu : c;
        uint8_t table[256 * 4];
        st.store(entries, table, 256, 0, 0);
        const int bpp = df.bytesPerPixel;
        for (int y = 0; y < job.height; ++y) {
            const uint8_t* s = job.src + y * job.srcPitch;
            uint8_t* d = job.dst + y * job.dstPitch;
            if (bpp == 4) {
                for (int i = 0; i < job.width; ++i) std::memcpy(d + 4 * i, table + 4 * s[i], 4);
            } else if (bpp == 2) {
                for (int i = 0; i < job.width; ++i) std::memcpy(d + 2 * i, table + 2 * s[i], 2);
            } else {
                for (int i = 0; i < job.width; ++i) std::memcpy(d + 3 * i, table + 3 * s[i], 3);
            }
        }
        return true;
    }

    std::optional<Fetcher> alpha;
    if (job.alphaFromImage) alpha.emplace(*job.af);
    for (int y = 0; y < job.height; ++y) {
        uint8_t* d = job.dst + y * job.dstPitch;
        for (int x = 0; x < job.width; x += kChunk) {
            const int n = std::min(kChunk, job.width - x);
            fetchChunk(job, src, alpha ? &*alpha : nullptr, key, x, y, n, buf);
            st.store(buf, d + x * df.bytesPerPixel, n, job.dstX + x, job.dstY + y);
        }
    }
    return true;
}

}  // namespace ZaDod::blit
