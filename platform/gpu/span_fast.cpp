// Specialised spans for the common 2D draws: a flat or Gouraud colour, or an 8-bit texture
// (point or bilinear, clamped) times the vertex colour (each of colour and alpha may be
// the texture's alone), with blending off or ONE / ZERO, SRC_ALPHA / INV_SRC_ALPHA,
// SRC_ALPHA / ONE added or reverse-subtracted, or ZERO / SRC_COLOR, into an R8G8B8A8 or
// B8G8R8A8 target, under an alpha test of GREATER, GREATEREQUAL or ALWAYS. Each is one
// template instance chosen once per draw; per pixel it does the same float operations, in
// the same order, as the pixel function and the output merger, so the bytes are the same,
// or whole-byte arithmetic shown to give those bytes (white or one constant colour). The
// lit and fogged 3D draws of the Direct3D 9 face take spans of their own that add the
// specular colour and blend the fog per pixel, in the fixed stages' and the fog's order.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "platform/gpu/raster_internal.h"
#include "platform/gpu/span_bytes.h"
#include "platform/gpu/span_colour.h"
#include "platform/gpu/shaders/builtin_common.h"
#include "platform/gpu/shaders/fixed_function.h"

namespace plat::gpu {

namespace {

std::atomic<bool> gWideSpans{true};
std::atomic<bool> gSixteenSpans{true};

using namespace fastbytes;

enum class Tex { none, point, linear };

// floor(saturate(x) * 255 + 0.5), as the UNORM store does it.
inline uint32_t unorm8(float x) {
  if (!(x > 0.0f)) return 0;
  if (x >= 1.0f) return 255;
  return uint32_t(x * 255.0f + 0.5f);
}

template <Layout L>
inline Float4 texel(const uint8_t* base, size_t pitch, int x, int y) {
  const uint8_t* p = base + size_t(y) * pitch + size_t(x) * 4;
  if constexpr (L == Layout::rgba) return Float4{kUnorm8[p[0]], kUnorm8[p[1]], kUnorm8[p[2]], kUnorm8[p[3]]};
  else if constexpr (L == Layout::bgra) return Float4{kUnorm8[p[2]], kUnorm8[p[1]], kUnorm8[p[0]], kUnorm8[p[3]]};
  else return Float4{kUnorm8[p[2]], kUnorm8[p[1]], kUnorm8[p[0]], 1.0f};
}

inline int clampIndex(int i, int n) { return i < 0 ? 0 : i >= n ? n - 1 : i; }

template <Tex T, Layout L>
inline Float4 fetch(const FastTarget& t, float u, float v) {
  if constexpr (T == Tex::point) {
    return texel<L>(t.texture, t.texturePitch, clampIndex(sampleFloor(u * t.fwidth), t.textureWidth),
                    clampIndex(sampleFloor(v * t.fheight), t.textureHeight));
  } else {
    const float x = u * t.fwidth - 0.5f, y = v * t.fheight - 0.5f;
    const int x0 = sampleFloor(x), y0 = sampleFloor(y);
    const int wx = sampleWeight256(x - float(x0)), wy = sampleWeight256(y - float(y0));
    const int ax = clampIndex(x0, t.textureWidth), bx = clampIndex(x0 + 1, t.textureWidth);
    const int ay = clampIndex(y0, t.textureHeight), by = clampIndex(y0 + 1, t.textureHeight);
    return bilerp(texel<L>(t.texture, t.texturePitch, ax, ay), texel<L>(t.texture, t.texturePitch, bx, ay),
                  texel<L>(t.texture, t.texturePitch, ax, by), texel<L>(t.texture, t.texturePitch, bx, by), wx, wy);
  }
}


// One row of a white, affine, point-sampled span whose texture coordinate v does not vary
// along the row and whose ends both land inside the texture: every pixel between does
// too (each coordinate is a monotonic float function of x), so the floor is a truncation
// with no clamp and one texture row serves the whole span.
struct RowPlan {
  const uint8_t* row;
  float u0, uA, uBdy, x0f;
  bool linear;  // the triangle's columns are pixel x + base throughout
  int base;
};

// Bilinear reads whose coordinate less half a texel lies this close above a whole texel
// take that texel alone (its share rounds to 0 in 1/256 steps): exactly a point read.
inline bool onCentre(float g) { return (g - float(int(g))) * 256.0f < 0.5f; }

// Centres: bilinear sampling whose columns (set up by setupColumns<true>) and row all land
// on texel centres, which reads as point sampling does.
template <bool Centres = false>
inline bool planRow(const FastTarget& ft, const Interpolator& I, int y, int x0, int x1, RowPlan& r) {
  constexpr int U = shader::texcoord(0);
  const float u0 = I.a0[U], uA = I.aA[U], uB = I.aB[U], v0 = I.a0[U + 1], vA = I.aA[U + 1], vB = I.aB[U + 1];
  if (vA != 0.0f) return false;
  const float dy = float(y) + 0.5f - I.y0;
  r.u0 = u0;
  r.uA = uA;
  r.uBdy = uB * dy;
  r.x0f = I.x0;
  if (I.columnsLinear) {
    float vRow = planeAt(v0, vA, vB, float(x0) + 0.5f - I.x0, dy) * ft.fheight;
    if constexpr (Centres) vRow -= 0.5f;
    if (!(vRow >= 0.0f && vRow < float(ft.textureHeight))) return false;
    if (Centres && !onCentre(vRow)) return false;
    r.row = ft.texture + size_t(int(vRow)) * ft.texturePitch;
    r.linear = true;
    r.base = I.columnBase;
    return true;
  }
  if (Centres) return false;
  r.linear = false;
  const float fw = ft.fwidth, tw = float(ft.textureWidth);
  const float uFirst = planeAt(u0, uA, uB, float(x0) + 0.5f - I.x0, dy) * fw;
  const float uLast = planeAt(u0, uA, uB, float(x1 - 1) + 0.5f - I.x0, dy) * fw;
  const float vRow = planeAt(v0, vA, vB, float(x0) + 0.5f - I.x0, dy) * ft.fheight;
  if (!(uFirst >= 0.0f && uLast >= 0.0f && uFirst < tw && uLast < tw && vRow >= 0.0f &&
        vRow < float(ft.textureHeight)))
    return false;
  r.row = ft.texture + size_t(int(vRow)) * ft.texturePitch;
  return true;
}

// Per triangle: whether the columns of an affine triangle of one byte colour whose u
// does not depend on y and whose v does not depend on x are pixel x plus one base over all
// of columns px0..px1-1, each inside the texture (a texture drawn 1:1, the common sprite).
// Its rows then read runs of texels with no per-pixel column arithmetic.
// With Centres, for bilinear sampling: the columns less half a texel, each on a texel
// centre.
template <bool Centres>
void setupColumns(const DrawContext& c, Interpolator& I, int px0, int px1) {
  I.columnsLinear = false;
  constexpr int U = shader::texcoord(0);
  if (!I.byteColour || I.aB[U] != 0.0f || I.aA[U + 1] != 0.0f) return;
  const FastTarget& ft = c.fastTarget;
  const float u0 = I.a0[U], uA = I.aA[U], fw = ft.fwidth, tw = float(ft.textureWidth);
  // The row term uB dy is a zero of either sign, which changes no sum below.
  auto at = [&](int px) {
    const float f = (u0 + uA * (float(px) + 0.5f - I.x0)) * fw;
    return Centres ? f - 0.5f : f;
  };
  const float first = at(px0);
  if (!(first >= 0.0f && first < tw) || (Centres && !onCentre(first))) return;
  const int base = int(first) - px0;
  int px = px0 + 1;
#if defined(__SSE2__)
  const __m128 u0v = _mm_set1_ps(u0), uAv = _mm_set1_ps(uA), fwv = _mm_set1_ps(fw), twv = _mm_set1_ps(tw);
  const __m128 origin = _mm_set1_ps(I.x0), half = _mm_set1_ps(0.5f), zero = _mm_setzero_ps();
  for (; px + 4 <= px1; px += 4) {
    const __m128i pxv = _mm_add_epi32(_mm_set1_epi32(px), _mm_setr_epi32(0, 1, 2, 3));
    __m128 f = _mm_mul_ps(
        _mm_add_ps(u0v, _mm_mul_ps(uAv, _mm_sub_ps(_mm_add_ps(_mm_cvtepi32_ps(pxv), half), origin))), fwv);
    if constexpr (Centres) f = _mm_sub_ps(f, half);
    __m128 inside = _mm_and_ps(_mm_cmpge_ps(f, zero), _mm_cmplt_ps(f, twv));
    const __m128i whole = _mm_cvttps_epi32(f);
    if constexpr (Centres)
      inside = _mm_and_ps(inside, _mm_cmplt_ps(_mm_mul_ps(_mm_sub_ps(f, _mm_cvtepi32_ps(whole)), _mm_set1_ps(256.0f)),
                                               _mm_set1_ps(1.0f)));
    const __m128i same = _mm_cmpeq_epi32(whole, _mm_add_epi32(pxv, _mm_set1_epi32(base)));
    if (_mm_movemask_epi8(_mm_and_si128(_mm_castps_si128(inside), same)) != 0xFFFF) return;
  }
#endif
  for (; px < px1; ++px) {
    const float f = at(px);
    if (!(f >= 0.0f && f < tw) || int(f) != base + px || (Centres && !onCentre(f))) return;
  }
  I.columnsLinear = true;
  I.columnBase = base;
}

// The texel column of pixel px: int(((u0 + uA dx) + uB dy) * fw), dx = (px + 0.5) - x0.
inline int columnAt(const RowPlan& r, int px, float fw) {
  return int(((r.u0 + r.uA * (float(px) + 0.5f - r.x0f)) + r.uBdy) * fw);
}

#if defined(__SSE2__)
// columnAt for four pixels: the same float operations in the same order, each lane rounding
// as the scalar instruction does.
struct Columns {
  __m128 u0, uA, uBdy, origin;
  explicit Columns(const RowPlan& r)
      : u0(_mm_set1_ps(r.u0)), uA(_mm_set1_ps(r.uA)), uBdy(_mm_set1_ps(r.uBdy)), origin(_mm_set1_ps(r.x0f)) {}
  __m128i at(__m128i px, __m128 fw) const {
    const __m128 dx = _mm_sub_ps(_mm_add_ps(_mm_cvtepi32_ps(px), _mm_set1_ps(0.5f)), origin);
    return _mm_cvttps_epi32(_mm_mul_ps(_mm_add_ps(_mm_add_ps(u0, _mm_mul_ps(uA, dx)), uBdy), fw));
  }
};

// Pixels x..x1-1 of one texture row, four at a time; pixels before xm take their columns
// from `left`, the others from `right` (two triangles meeting in the row).
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M, bool Test>
void rowFour(uint8_t* p, const uint8_t* row, int x, int xm, int x1, const Columns& left, const Columns& right,
             float fw, int reference) {
  const __m128 fwv = _mm_set1_ps(fw);
  const __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
  __m128i px = _mm_add_epi32(_mm_set1_epi32(x), steps);
  for (; x < x1; x += 4, p += 16) {
    __m128i tx;
    if (x + 4 <= xm) {
      tx = left.at(px, fwv);
    } else if (x >= xm) {
      tx = right.at(px, fwv);
    } else {
      const __m128i isLeft = _mm_cmplt_epi32(px, _mm_set1_epi32(xm));
      tx = _mm_or_si128(_mm_and_si128(isLeft, left.at(px, fwv)), _mm_andnot_si128(isLeft, right.at(px, fwv)));
    }
    px = _mm_add_epi32(px, _mm_set1_epi32(4));
    const int n = x1 - x < 4 ? x1 - x : 4;
    const int t0 = _mm_cvtsi128_si32(tx);
    __m128i src;
    if (n == 4 && _mm_movemask_epi8(_mm_cmpeq_epi32(tx, _mm_add_epi32(_mm_set1_epi32(t0), steps))) == 0xFFFF) {
      src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(t0) * 4));  // four adjacent texels
    } else {
      // Lanes past the span's end may lie outside the texture: they stay zero.
      alignas(16) int32_t t[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(t), tx);
      uint32_t w[4] = {0, 0, 0, 0};
      for (int i = 0; i < n; ++i) std::memcpy(&w[i], row + size_t(t[i]) * 4, 4);
      src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w));
    }
    src = sourceFour<BgraTarget, L, IgnoreAlpha>(src);
    if (n == 4) {
      blendFour<M, Test>(p, src, reference);
    } else {  // the last one to three pixels, through a copy so nothing past the span is touched
      uint8_t tail[16] = {};
      std::memcpy(tail, p, size_t(n) * 4);
      blendFour<M, Test>(tail, src, reference);
      std::memcpy(p, tail, size_t(n) * 4);
    }
  }
}
#endif


// Starts fetching n texels from column `column` of texture row `row`. A glyph cache's or
// an atlas's rows lie a power-of-two pitch apart, so the rows of one small picture share
// cache sets and are rarely still there when drawn again.
inline void prefetchTexels([[maybe_unused]] const FastTarget& ft, [[maybe_unused]] int row,
                           [[maybe_unused]] int column, [[maybe_unused]] int n) {
#if defined(__SSE2__)
  const uint8_t* t = ft.texture + size_t(row) * ft.texturePitch + size_t(column) * 4;
  _mm_prefetch(reinterpret_cast<const char*>(t), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(t + size_t(n) * 4 - 1), _MM_HINT_T0);
#endif
}

// A run of n texels from column `column` of each given texture row over n pixels from x0
// of each target row from y0.
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M>
void blitRows(const FastTarget& ft, int x0, int n, int y0, const int* rows, int count, int column) {
  uint8_t* p = ft.base + size_t(y0) * ft.pitch + size_t(x0) * 4;
  const int reference = ft.alphaReference;
  for (int i = 0; i < count; ++i, p += ft.pitch) {
    const uint8_t* src = ft.texture + size_t(rows[i]) * ft.texturePitch + size_t(column) * 4;
#if defined(__SSE2__)
    if (i + 2 < count) {  // the target row two below and its texels: start fetching them now
      _mm_prefetch(reinterpret_cast<const char*>(p + 2 * ft.pitch), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(p + 2 * ft.pitch + size_t(n) * 4 - 1), _MM_HINT_T0);
      prefetchTexels(ft, rows[i + 2], column, n);
    }
    int done = 0;
#if defined(HALVORINE_SPAN_AVX2)
    if (ft.avx2)
      done = reference < 0 ? blitEight<BgraTarget, L, IgnoreAlpha, M, false>(p, src, n, reference)
                           : blitEight<BgraTarget, L, IgnoreAlpha, M, true>(p, src, n, reference);
#endif
    if (reference < 0) blitFour<BgraTarget, L, IgnoreAlpha, M, false>(p + done * 4, src + done * 4, n - done, reference);
    else blitFour<BgraTarget, L, IgnoreAlpha, M, true>(p + done * 4, src + done * 4, n - done, reference);
#else
    for (int x = 0; x < n; ++x) {
      const uint32_t w = sourceWord<BgraTarget, L, IgnoreAlpha>(src + size_t(x) * 4);
      if (int(w >> 24) > reference) blendWord<M>(p + size_t(x) * 4, w);
    }
#endif
  }
}

// Blends pixels x0..x1-1 of row y from one texture row; columns before xm from `left`.
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M>
void blendRow(const FastTarget& ft, int y, int x0, int xm, int x1, const RowPlan& left, const RowPlan& right) {
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const int reference = ft.alphaReference;
#if defined(__SSE2__)
  // The target row below is likely the next span's: start fetching it now.
  _mm_prefetch(reinterpret_cast<const char*>(p + ft.pitch), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(p + ft.pitch + size_t(x1 - x0) * 4 - 1), _MM_HINT_T0);
  if (left.linear && right.linear && left.base == right.base) {  // one run of texels
    const uint8_t* src = left.row + size_t(left.base + x0) * 4;
    int n = x1 - x0;
#if defined(HALVORINE_SPAN_AVX2)
    if (ft.avx2) {
      const int done = reference < 0 ? blitEight<BgraTarget, L, IgnoreAlpha, M, false>(p, src, n, reference)
                                     : blitEight<BgraTarget, L, IgnoreAlpha, M, true>(p, src, n, reference);
      p += size_t(done) * 4;
      src += size_t(done) * 4;
      n -= done;
    }
#endif
    if (reference < 0) blitFour<BgraTarget, L, IgnoreAlpha, M, false>(p, src, n, reference);
    else blitFour<BgraTarget, L, IgnoreAlpha, M, true>(p, src, n, reference);
    return;
  }
  const Columns l(left), r(right);
  if (reference < 0) rowFour<BgraTarget, L, IgnoreAlpha, M, false>(p, left.row, x0, xm, x1, l, r, ft.fwidth, reference);
  else rowFour<BgraTarget, L, IgnoreAlpha, M, true>(p, left.row, x0, xm, x1, l, r, ft.fwidth, reference);
#else
  for (int x = x0; x < x1; ++x, p += 4) {
    const RowPlan& plan = x < xm ? left : right;
    const int tx = plan.linear ? plan.base + x : columnAt(plan, x, ft.fwidth);
    const uint32_t src = sourceWord<BgraTarget, L, IgnoreAlpha>(left.row + size_t(tx) * 4);
    if (int(src >> 24) > reference) blendWord<M>(p, src);
  }
#endif
}

// The tables of the colours drawn last on this thread. Sprites come in runs of one colour,
// but edged text alternates two (edge and body) glyph by glyph, and a table costs more to
// make than a glyph to draw: a few entries, the least recently used replaced, keep each
// colour's table made once a run. A ByteColour holds its table only while its triangle
// is drawn, so replacing an older entry never pulls a table from under a draw.
struct ColourTables {
  static constexpr int kEntries = 6;
  std::unique_ptr<ColourTable> entry[kEntries];
  uint64_t used[kEntries] = {};
  uint64_t clock = 0;
  int last = 0;
};
thread_local ColourTables tColourTables;

const ColourTable* colourTableFor(const uint32_t c[4]) {
  ColourTables& ts = tColourTables;
  ColourTable* hit = ts.entry[ts.last].get();
  if (hit == nullptr || std::memcmp(hit->colour, c, sizeof hit->colour) != 0) {
    int k = 0;
    while (k < ColourTables::kEntries &&
           !(ts.entry[k] && std::memcmp(ts.entry[k]->colour, c, sizeof ts.entry[k]->colour) == 0))
      ++k;
    if (k == ColourTables::kEntries) {  // not held: make it in the empty or least recently used entry
      k = 0;
      for (int i = 1; i < ColourTables::kEntries; ++i)
        if (ts.used[i] < ts.used[k]) k = i;
      if (!ts.entry[k]) ts.entry[k] = std::make_unique<ColourTable>();
      makeColourTable(*ts.entry[k], c);
    }
    ts.last = k;
    hit = ts.entry[k].get();
  }
  ts.used[ts.last] = ++ts.clock;
  return hit;
}

// The triangle's constant colour in the target's byte order, a channel the pixel function
// leaves out of the product as 255 (1), with its table where the blend reads one.
template <bool BgraTarget, Mode M>
inline ByteColour byteColourOf(const FastTarget& ft, const Interpolator& I) {
  ByteColour bc;
  constexpr int order[4] = {BgraTarget ? 2 : 0, 1, BgraTarget ? 0 : 2, 3};
  for (int k = 0; k < 4; ++k) {
    const int from = order[k];
    const bool unread = (from == 3 ? ft.unread & kFastAlphaUnread : ft.unread & kFastColourUnread) != 0;
    bc.c[k] = unread ? 255 : I.colour[from];
    bc.f[k] = unread ? 1.0f : I.a0[from];
  }
  if constexpr (M == Mode::alpha || M == Mode::add || M == Mode::subtract) {
    bc.table = colourTableFor(bc.c);
  }
  return bc;
}

inline bool sameColour(const Interpolator& a, const Interpolator& b) {
  return a.byteColour && b.byteColour && std::memcmp(a.colour, b.colour, 4) == 0;
}

// Pixels x0..x1-1 of one target row from one texture row under a constant byte colour, in
// whole bytes; columns before xm from `left`, the rest from `right`.
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M>
void colourRow(const FastTarget& ft, uint8_t* p, int x0, int xm, int x1, const RowPlan& left, const RowPlan& right,
               const ByteColour& bc) {
  const int reference = ft.alphaReference;
#if defined(__SSE2__)
  // The target row below is likely the next span's: start fetching it now.
  _mm_prefetch(reinterpret_cast<const char*>(p + ft.pitch), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(p + ft.pitch + size_t(x1 - x0) * 4 - 1), _MM_HINT_T0);
#endif
  if (left.linear && right.linear && left.base == right.base) {  // one run of texels
    const uint8_t* src = left.row + size_t(left.base + x0) * 4;
    int x = x0;
#if defined(__SSE2__)
    if constexpr (M == Mode::alpha || M == Mode::add || M == Mode::subtract) {
      const bool opaque = bc.c[3] == 255;
      const __m128i colour = colourWide(bc), whole = _mm_set1_epi32(int(wholeChannels(bc)));
      for (; x + 4 <= x1; x += 4, p += 16, src += 16) {
        const __m128i four = sourceFour<BgraTarget, L, IgnoreAlpha>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
        __m128i product;
        if (opaque && productFour(four, colour, whole, product)) {
          if (reference < 0) blendFour<M, false>(p, product, reference);
          else blendFour<M, true>(p, product, reference);
          continue;
        }
        if (colourFour<M>(p, four, bc, reference)) continue;
        for (int i = 0; i < 4; ++i) colourPixel<M>(p + 4 * i, sourceWord<BgraTarget, L, IgnoreAlpha>(src + 4 * i), bc, reference);
      }
    }
#endif
    for (; x < x1; ++x, p += 4, src += 4)
      colourPixel<M>(p, sourceWord<BgraTarget, L, IgnoreAlpha>(src), bc, reference);
    return;
  }
  for (int x = x0; x < x1; ++x, p += 4) {
    const RowPlan& plan = x < xm ? left : right;
    const int tx = plan.linear ? plan.base + x : columnAt(plan, x, ft.fwidth);
    colourPixel<M>(p, sourceWord<BgraTarget, L, IgnoreAlpha>(left.row + size_t(tx) * 4), bc, reference);
  }
}

// An untextured span of one colour throughout is that colour times a texel of 255s, so
// it takes the textured spans' whole-byte blends (the float operations near a half); left
// unblended it is the colour's word stored across the span, and so is an alpha blend of
// an opaque colour (s * 1 + d * 0 is s exactly). Rows y0..y1-1, pixels x0..x1-1.
template <bool BgraTarget, Mode M>
void flatRows(const FastTarget& ft, const ByteColour& bc, int y0, int y1, int x0, int x1) {
  const int reference = ft.alphaReference;
  if (M == Mode::off || (M == Mode::alpha && bc.c[3] == 255)) {
    if (!(int(bc.c[3]) > reference)) return;
    const uint32_t word = bc.c[0] | bc.c[1] << 8 | bc.c[2] << 16 | bc.c[3] << 24;
    for (int y = y0; y < y1; ++y) {
      uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
      for (int x = x0; x < x1; ++x, p += 4) std::memcpy(p, &word, 4);
    }
    return;
  }
  constexpr uint32_t kWhite = 0xFFFFFFFFu;
  for (int y = y0; y < y1; ++y) {
    uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
    int x = x0;
#if defined(__SSE2__)
    if constexpr (M == Mode::alpha || M == Mode::add || M == Mode::subtract) {
      const __m128i white = _mm_set1_epi32(-1);
      for (; x + 4 <= x1; x += 4, p += 16) {
        if (colourFour<M>(p, white, bc, reference)) continue;
        for (int i = 0; i < 4; ++i) colourPixel<M>(p + 4 * i, kWhite, bc, reference);
      }
    }
#endif
    for (; x < x1; ++x, p += 4) colourPixel<M>(p, kWhite, bc, reference);
  }
}

template <bool BgraTarget, Mode M>
void flatRow(const FastTarget& ft, const Interpolator& I, int y, int x0, int x1) {
  flatRows<BgraTarget, M>(ft, byteColourOf<BgraTarget, M>(ft, I), y, y + 1, x0, x1);
}

// A white, unperspective colour times a point-sampled texel is the texel itself, so the
// blend works on bytes. The texel coordinates still come from the same float planes.
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M>
void byteSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1) {
  const FastTarget& ft = c.fastTarget;
  RowPlan plan;
  if (planRow(ft, I, y, x0, x1, plan)) return blendRow<BgraTarget, L, IgnoreAlpha, M>(ft, y, x0, x1, x1, plan, plan);
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const float dy = float(y) + 0.5f - I.y0;
  constexpr int U = shader::texcoord(0);
  const float u0 = I.a0[U], uA = I.aA[U], uB = I.aB[U], v0 = I.a0[U + 1], vA = I.aA[U + 1], vB = I.aB[U + 1];
  const int tw = ft.textureWidth, th = ft.textureHeight, reference = ft.alphaReference;
  for (int x = x0; x < x1; ++x, p += 4) {
    const float dx = float(x) + 0.5f - I.x0;
    const int tx = clampIndex(sampleFloor(planeAt(u0, uA, uB, dx, dy) * ft.fwidth), tw);
    const int ty = clampIndex(sampleFloor(planeAt(v0, vA, vB, dx, dy) * ft.fheight), th);
    const uint32_t src = sourceWord<BgraTarget, L, IgnoreAlpha>(ft.texture + size_t(ty) * ft.texturePitch + size_t(tx) * 4);
    if (int(src >> 24) > reference) blendWord<M>(p, src);
  }
}

#if defined(__SSE2__)
// One pixel's unsaturated colour, lanes R, G, B, A, tested and blended over the target
// pixel at p: each lane does the scalar span's float operations in its order (the clamps
// as saturate and unorm8 do them: NaN to 0, then 0..1, then * 255 + 0.5 truncated).
template <bool BgraTarget, Mode M>
inline void blendPixel(uint8_t* p, __m128 col, int reference) {
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  auto saturate = [&](__m128 v) { return _mm_min_ps(_mm_max_ps(v, zero), one); };  // max gives 0 for NaN
  auto bytes = [&](__m128 v) {  // of saturated lanes
    return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
  };
  // Lanes R, G, B, A to and from the target's byte order.
  auto order = [](__m128i v) { return BgraTarget ? _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 0, 1, 2)) : v; };
  const __m128 s = saturate(col);
  __m128i out = bytes(s);
  if (!(_mm_cvtsi128_si32(_mm_shuffle_epi32(out, _MM_SHUFFLE(3, 3, 3, 3))) > reference)) return;
  if constexpr (M != Mode::off) {
    int32_t word;
    std::memcpy(&word, p, 4);
    const __m128i zi = _mm_setzero_si128();
    const __m128i di = order(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zi), zi));
    const __m128 d = _mm_div_ps(_mm_cvtepi32_ps(di), _mm_set1_ps(255.0f));  // kUnorm8's values
    const __m128 a = _mm_shuffle_ps(s, s, _MM_SHUFFLE(3, 3, 3, 3));
    __m128 r;
    if constexpr (M == Mode::alpha) r = _mm_add_ps(_mm_mul_ps(s, a), _mm_mul_ps(d, _mm_sub_ps(one, a)));
    else if constexpr (M == Mode::add) r = _mm_add_ps(_mm_mul_ps(s, a), _mm_mul_ps(d, one));
    else if constexpr (M == Mode::subtract) r = _mm_sub_ps(_mm_mul_ps(d, one), _mm_mul_ps(s, a));
    else r = _mm_add_ps(_mm_mul_ps(s, zero), _mm_mul_ps(d, s));  // ZERO / SRCCOLOR
    out = bytes(saturate(r));
  }
  out = order(out);
  const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(out, out), _mm_setzero_si128()));
  std::memcpy(p, &word, 4);
}

// A span without perspective, one pixel's four channels in one register: the vertex
// colour, or the texel (read as the scalar span reads it) times it, where an unread
// diffuse channel is the texel's own.
template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void registerSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1) {
  const FastTarget& ft = c.fastTarget;
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const float dy = float(y) + 0.5f - I.y0;
  const __m128 a0 = _mm_loadu_ps(&I.a0[0]), aA = _mm_loadu_ps(&I.aA[0]);
  const __m128 bdy = _mm_mul_ps(_mm_loadu_ps(&I.aB[0]), _mm_set1_ps(dy));
  constexpr int U = shader::texcoord(0);
  const float u0 = I.a0[U], uA = I.aA[U], uBdy = I.aB[U] * dy, v0 = I.a0[U + 1], vA = I.aA[U + 1],
              vBdy = I.aB[U + 1] * dy;
  const int reference = ft.alphaReference;
  const __m128 unread = _mm_castsi128_ps(_mm_setr_epi32(
      ft.unread & kFastColourUnread ? -1 : 0, ft.unread & kFastColourUnread ? -1 : 0,
      ft.unread & kFastColourUnread ? -1 : 0, ft.unread & kFastAlphaUnread ? -1 : 0));
  for (int x = x0; x < x1; ++x, p += 4) {
    const float dx = float(x) + 0.5f - I.x0;
    const __m128 d = _mm_add_ps(_mm_add_ps(a0, _mm_mul_ps(aA, _mm_set1_ps(dx))), bdy);
    if constexpr (T == Tex::none) {
      blendPixel<BgraTarget, M>(p, d, reference);
    } else {
      Float4 t = fetch<T, L>(ft, (u0 + uA * dx) + uBdy, (v0 + vA * dx) + vBdy);
      if constexpr (IgnoreAlpha) t[3] = 1.0f;
      const __m128 tv = _mm_loadu_ps(t.c);
      blendPixel<BgraTarget, M>(p, _mm_or_ps(_mm_and_ps(unread, tv), _mm_andnot_ps(unread, _mm_mul_ps(tv, d))),
                                reference);
    }
  }
}
#endif

// The scalar spans' colour at (dx, dy): the vertex colour, or the texel times it, where an
// unread channel is the texel's own (under perspective the diffuse fed as 1 may
// interpolate to a hair less). f is the perspective factor there.
template <Tex T, Layout L, bool IgnoreAlpha>
inline Float4 productAt(const FastTarget& ft, const Interpolator& I, float dx, float dy, float f) {
  constexpr int U = shader::texcoord(0);
  Float4 col{varyingAt(I, 0, dx, dy, f), varyingAt(I, 1, dx, dy, f), varyingAt(I, 2, dx, dy, f),
             varyingAt(I, 3, dx, dy, f)};
  if constexpr (T != Tex::none) {
    Float4 t = fetch<T, L>(ft, varyingAt(I, U, dx, dy, f), varyingAt(I, U + 1, dx, dy, f));
    if constexpr (IgnoreAlpha) t[3] = 1.0f;
    const bool colourUnread = (ft.unread & kFastColourUnread) != 0, alphaUnread = (ft.unread & kFastAlphaUnread) != 0;
    for (int k = 0; k < 3; ++k) col[k] = colourUnread ? t[k] : t[k] * col[k];
    col[3] = alphaUnread ? t[3] : t[3] * col[3];
  }
  return col;
}

// One pixel's colour at p: the built-in alpha test (GREATER), saturation, and the output
// merger's blend term by term in its order.
template <bool BgraTarget, Mode M>
inline void storePixel(uint8_t* p, const Float4& col, int reference) {
  constexpr int R = BgraTarget ? 2 : 0, B = BgraTarget ? 0 : 2;
  if (!(int(unorm8(col[3])) > reference)) return;
  Float4 s;
  for (int k = 0; k < 4; ++k) s[k] = shader::saturate(col[k]);
  if constexpr (M == Mode::off) {
    p[R] = uint8_t(unorm8(s[0]));
    p[1] = uint8_t(unorm8(s[1]));
    p[B] = uint8_t(unorm8(s[2]));
    p[3] = uint8_t(unorm8(s[3]));
  } else {
    const float d[4] = {kUnorm8[p[R]], kUnorm8[p[1]], kUnorm8[p[B]], kUnorm8[p[3]]};
    float r[4];
    for (int k = 0; k < 4; ++k) {
      if constexpr (M == Mode::alpha) r[k] = s[k] * s[3] + d[k] * (1.0f - s[3]);
      else if constexpr (M == Mode::add) r[k] = s[k] * s[3] + d[k] * 1.0f;
      else if constexpr (M == Mode::subtract) r[k] = d[k] * 1.0f - s[k] * s[3];
      else r[k] = s[k] * 0.0f + d[k] * s[k];
    }
    p[R] = uint8_t(unorm8(r[0]));
    p[1] = uint8_t(unorm8(r[1]));
    p[B] = uint8_t(unorm8(r[2]));
    p[3] = uint8_t(unorm8(r[3]));
  }
}

template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void span(const DrawContext& c, const Interpolator& I, int y, int x0, int x1) {
  if constexpr (T == Tex::none) {
    if (I.byteColour) return flatRow<BgraTarget, M>(c.fastTarget, I, y, x0, x1);
  }
  if constexpr (T == Tex::point) {
    if (I.whiteAffine) return byteSpan<BgraTarget, L, IgnoreAlpha, M>(c, I, y, x0, x1);
  } else if constexpr (T == Tex::linear) {
    RowPlan plan;
    if (I.whiteAffine && I.columnsLinear && planRow<true>(c.fastTarget, I, y, x0, x1, plan))
      return blendRow<BgraTarget, L, IgnoreAlpha, M>(c.fastTarget, y, x0, x1, x1, plan, plan);
  }
  if constexpr (T != Tex::none) {
    // Another constant colour: whole bytes where the texels read as points.
    RowPlan plan;
    const FastTarget& ft = c.fastTarget;
    if (I.byteColour && (T == Tex::point ? planRow<false>(ft, I, y, x0, x1, plan)
                                         : I.columnsLinear && planRow<true>(ft, I, y, x0, x1, plan)))
      return colourRow<BgraTarget, L, IgnoreAlpha, M>(ft, ft.base + size_t(y) * ft.pitch + size_t(x0) * 4, x0, x1,
                                                      x1, plan, plan, byteColourOf<BgraTarget, M>(ft, I));
  }
#if defined(__SSE2__)
  if (!I.perspective) return registerSpan<BgraTarget, T, L, IgnoreAlpha, M>(c, I, y, x0, x1);
#endif
  const FastTarget& ft = c.fastTarget;
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const float dy = float(y) + 0.5f - I.y0;
  for (int x = x0; x < x1; ++x, p += 4) {
    const float dx = float(x) + 0.5f - I.x0;
    storePixel<BgraTarget, M>(p, productAt<T, L, IgnoreAlpha>(ft, I, dx, dy, perspectiveFactor(I, dx, dy)),
                              ft.alphaReference);
  }
}

// Spans of a function that goes on after the product (ShaderEntry::fastSaturates and the
// rest): the colour as the span above makes it, then those steps in the function's order.
// Specular and fog vary per pixel, so no byte path serves them.
#if defined(__SSE2__)
// extraSpan without perspective: colour and specular each in one register, lane by lane the
// scalar operations in their order; the alpha lane passes the colour steps untouched.
template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void extraRegisterSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1) {
  const FastTarget& ft = c.fastTarget;
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const float dy = float(y) + 0.5f - I.y0;
  constexpr int U = shader::texcoord(0), S = shader::kColour1, F = shader::kExtra;
  const __m128 dyv = _mm_set1_ps(dy);
  const __m128 a0 = _mm_loadu_ps(&I.a0[0]), aA = _mm_loadu_ps(&I.aA[0]), bdy = _mm_mul_ps(_mm_loadu_ps(&I.aB[0]), dyv);
  const __m128 s0 = _mm_loadu_ps(&I.a0[S]), sA = _mm_loadu_ps(&I.aA[S]), sdy = _mm_mul_ps(_mm_loadu_ps(&I.aB[S]), dyv);
  const float f0 = ft.fog ? I.a0[F] : 0.0f, fA = ft.fog ? I.aA[F] : 0.0f, fBdy = ft.fog ? I.aB[F] * dy : 0.0f;
  const float u0 = I.a0[U], uA = I.aA[U], uBdy = I.aB[U] * dy, v0 = I.a0[U + 1], vA = I.aA[U + 1],
              vBdy = I.aB[U + 1] * dy;
  const int reference = ft.alphaReference;
  const __m128 unread = _mm_castsi128_ps(_mm_setr_epi32(
      ft.unread & kFastColourUnread ? -1 : 0, ft.unread & kFastColourUnread ? -1 : 0,
      ft.unread & kFastColourUnread ? -1 : 0, ft.unread & kFastAlphaUnread ? -1 : 0));
  const __m128 colourLanes = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  const __m128 fogColour = _mm_setr_ps(ft.fogColour[0], ft.fogColour[1], ft.fogColour[2], 0.0f);
  auto colourOnly = [&](__m128 changed, __m128 kept) {
    return _mm_or_ps(_mm_and_ps(colourLanes, changed), _mm_andnot_ps(colourLanes, kept));
  };
  auto saturate = [&](__m128 v) { return _mm_min_ps(_mm_max_ps(v, zero), one); };  // max gives 0 for NaN
  for (int x = x0; x < x1; ++x, p += 4) {
    const float dx = float(x) + 0.5f - I.x0;
    const __m128 dxv = _mm_set1_ps(dx);
    __m128 col = _mm_add_ps(_mm_add_ps(a0, _mm_mul_ps(aA, dxv)), bdy);
    if constexpr (T != Tex::none) {
      Float4 t = fetch<T, L>(ft, (u0 + uA * dx) + uBdy, (v0 + vA * dx) + vBdy);
      if constexpr (IgnoreAlpha) t[3] = 1.0f;
      const __m128 tv = _mm_loadu_ps(t.c);
      col = _mm_or_ps(_mm_and_ps(unread, tv), _mm_andnot_ps(unread, _mm_mul_ps(tv, col)));
    }
    if (ft.saturates) col = colourOnly(saturate(col), col);
    if (ft.specular)
      col = colourOnly(saturate(_mm_add_ps(col, _mm_add_ps(_mm_add_ps(s0, _mm_mul_ps(sA, dxv)), sdy))), col);
    if (ft.fog) {
      const float g = shader::clamp01((f0 + fA * dx) + fBdy);
      col = colourOnly(_mm_add_ps(_mm_mul_ps(col, _mm_set1_ps(g)), _mm_mul_ps(fogColour, _mm_set1_ps(1.0f - g))), col);
    }
    blendPixel<BgraTarget, M>(p, col, reference);
  }
}
#endif

template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void extraSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1) {
#if defined(__SSE2__)
  if (!I.perspective) return extraRegisterSpan<BgraTarget, T, L, IgnoreAlpha, M>(c, I, y, x0, x1);
#endif
  const FastTarget& ft = c.fastTarget;
  uint8_t* p = ft.base + size_t(y) * ft.pitch + size_t(x0) * 4;
  const float dy = float(y) + 0.5f - I.y0;
  const int reference = ft.alphaReference;
  constexpr int S = shader::kColour1, F = shader::kExtra;
  for (int x = x0; x < x1; ++x, p += 4) {
    const float dx = float(x) + 0.5f - I.x0;
    const float f = perspectiveFactor(I, dx, dy);
    Float4 col = productAt<T, L, IgnoreAlpha>(ft, I, dx, dy, f);
    if (ft.saturates)
      for (int k = 0; k < 3; ++k) col[k] = shader::saturate(col[k]);
    if (ft.specular)
      for (int k = 0; k < 3; ++k) col[k] = shader::saturate(col[k] + varyingAt(I, S + k, dx, dy, f));
    if (ft.fog) shader::applyFog(shader::clamp01(varyingAt(I, F, dx, dy, f)), ft.fogColour, col.c);
    storePixel<BgraTarget, M>(p, col, reference);
  }
}

template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void extraPair(const DrawContext& c, const Interpolator& left, const Interpolator& right, int y, int x0, int xm,
               int x1) {
  extraSpan<BgraTarget, T, L, IgnoreAlpha, M>(c, left, y, x0, xm);
  extraSpan<BgraTarget, T, L, IgnoreAlpha, M>(c, right, y, xm, x1);
}

bool noRect(const DrawContext&, const Interpolator&, const Interpolator&, int, int, int, int) { return false; }

// Two triangles meeting in a row: pixels x0..xm-1 from `left`, xm..x1-1 from `right`.
// Each pixel still takes its own triangle's planes; when both byte spans read one texture
// row they run as one.
template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
void spanPair(const DrawContext& c, const Interpolator& left, const Interpolator& right, int y, int x0, int xm,
              int x1) {
  if constexpr (T != Tex::none) {
    constexpr bool Centres = T == Tex::linear;
    RowPlan a, b;
    if (left.whiteAffine && right.whiteAffine && planRow<Centres>(c.fastTarget, left, y, x0, xm, a) &&
        planRow<Centres>(c.fastTarget, right, y, xm, x1, b) && a.row == b.row)
      return blendRow<BgraTarget, L, IgnoreAlpha, M>(c.fastTarget, y, x0, xm, x1, a, b);
    const FastTarget& ft = c.fastTarget;
    if (sameColour(left, right) && (!Centres || (left.columnsLinear && right.columnsLinear)) &&
        planRow<Centres>(ft, left, y, x0, xm, a) && planRow<Centres>(ft, right, y, xm, x1, b) && a.row == b.row)
      return colourRow<BgraTarget, L, IgnoreAlpha, M>(ft, ft.base + size_t(y) * ft.pitch + size_t(x0) * 4, x0, xm,
                                                      x1, a, b, byteColourOf<BgraTarget, M>(ft, left));
  }
  span<BgraTarget, T, L, IgnoreAlpha, M>(c, left, y, x0, xm);
  span<BgraTarget, T, L, IgnoreAlpha, M>(c, right, y, xm, x1);
}

// Two triangles making up the pixel rectangle x0..x1-1 by y0..y1-1: when both read their
// texel columns as pixel x plus one base and agree on the texture row of every row, which
// triangle owns a pixel changes nothing, and each row is one run of texels. False (nothing
// drawn) otherwise.
template <bool BgraTarget, Tex T, Layout L, bool IgnoreAlpha, Mode M>
bool spanRect(const DrawContext& c, const Interpolator& a, const Interpolator& b, int x0, int x1, int y0, int y1) {
  if constexpr (T == Tex::none) {
    // One colour over both halves: every pixel of the rectangle gets the same bytes
    // whichever half owns it, so the rows are filled without walking the edges.
    if (!sameColour(a, b)) return false;
    flatRows<BgraTarget, M>(c.fastTarget, byteColourOf<BgraTarget, M>(c.fastTarget, a), y0, y1, x0, x1);
    return true;
  } else {
    constexpr int V = shader::texcoord(0) + 1;
    if (!a.columnsLinear || !b.columnsLinear || a.columnBase != b.columnBase || a.aA[V] != 0.0f || b.aA[V] != 0.0f ||
        !sameColour(a, b))
      return false;
    // planRow's texture row for pixel x0, which with vA = 0 serves every pixel of the row.
    const FastTarget& ft = c.fastTarget;
    const float fh = ft.fheight, th = float(ft.textureHeight), x = float(x0) + 0.5f;
    const float av0 = a.a0[V], avA = a.aA[V], avB = a.aB[V], adx = x - a.x0, ay = a.y0;
    const float bv0 = b.a0[V], bvA = b.aA[V], bvB = b.aB[V], bdx = x - b.x0, by = b.y0;
    int rows[256];  // texture row of each pixel row
    if (y1 - y0 > 256) return false;
    for (int y = y0; y < y1; ++y) {
      const float yc = float(y) + 0.5f;
      float va = planeAt(av0, avA, avB, adx, yc - ay) * fh, vb = planeAt(bv0, bvA, bvB, bdx, yc - by) * fh;
      if constexpr (T == Tex::linear) va -= 0.5f, vb -= 0.5f;  // bilinear rows on texel centres
      if (!(va >= 0.0f && va < th && vb >= 0.0f && vb < th) || int(va) != int(vb)) return false;
      if (T == Tex::linear && !(onCentre(va) && onCentre(vb))) return false;
      rows[y - y0] = int(va);
    }
    if (a.whiteAffine) {
      blitRows<BgraTarget, L, IgnoreAlpha, M>(ft, x0, x1 - x0, y0, rows, y1 - y0, a.columnBase + x0);
      return true;
    }
    const ByteColour bc = byteColourOf<BgraTarget, M>(ft, a);
    RowPlan plan{};
    plan.linear = true;
    plan.base = a.columnBase;
    for (int y = y0; y < y1; ++y) {
      plan.row = ft.texture + size_t(rows[y - y0]) * ft.texturePitch;
      if (y + 2 < y1) prefetchTexels(ft, rows[y + 2 - y0], plan.base + x0, x1 - x0);  // two rows on
      colourRow<BgraTarget, L, IgnoreAlpha, M>(ft, ft.base + size_t(y) * ft.pitch + size_t(x0) * 4, x0, x1, x1, plan,
                                               plan, bc);
    }
    return true;
  }
}

struct FastSpans {
  FastSpanFn span = nullptr;
  FastPairFn pair = nullptr;
  FastRectFn rect = nullptr;
};

template <bool Bgra, Tex T, Layout L, bool IgnoreAlpha, Mode M>
FastSpans spansOf(bool extras) {
  if (extras) return {extraSpan<Bgra, T, L, IgnoreAlpha, M>, extraPair<Bgra, T, L, IgnoreAlpha, M>, noRect};
  return {span<Bgra, T, L, IgnoreAlpha, M>, spanPair<Bgra, T, L, IgnoreAlpha, M>, spanRect<Bgra, T, L, IgnoreAlpha, M>};
}

template <bool Bgra, Tex T, Layout L, bool IgnoreAlpha>
FastSpans pickMode(Mode m, bool x) {
  switch (m) {
    case Mode::off: return spansOf<Bgra, T, L, IgnoreAlpha, Mode::off>(x);
    case Mode::alpha: return spansOf<Bgra, T, L, IgnoreAlpha, Mode::alpha>(x);
    case Mode::add: return spansOf<Bgra, T, L, IgnoreAlpha, Mode::add>(x);
    case Mode::subtract: return spansOf<Bgra, T, L, IgnoreAlpha, Mode::subtract>(x);
    case Mode::multiply: return spansOf<Bgra, T, L, IgnoreAlpha, Mode::multiply>(x);
  }
  return {};
}

template <bool Bgra, Tex T>
FastSpans pickTexture(Layout l, bool ignoreAlpha, Mode m, bool x) {
  if (T == Tex::none) return pickMode<Bgra, Tex::none, Layout::rgba, false>(m, x);
  switch (l) {
    case Layout::rgba: return ignoreAlpha ? pickMode<Bgra, T, Layout::rgba, true>(m, x) : pickMode<Bgra, T, Layout::rgba, false>(m, x);
    case Layout::bgra: return ignoreAlpha ? pickMode<Bgra, T, Layout::bgra, true>(m, x) : pickMode<Bgra, T, Layout::bgra, false>(m, x);
    case Layout::bgrx: return ignoreAlpha ? pickMode<Bgra, T, Layout::bgrx, true>(m, x) : pickMode<Bgra, T, Layout::bgrx, false>(m, x);
  }
  return {};
}

// x: the shader goes on after the product (the extra spans).
template <bool Bgra>
FastSpans pick(Tex t, Layout l, bool ignoreAlpha, Mode m, bool x) {
  switch (t) {
    case Tex::none: return pickTexture<Bgra, Tex::none>(l, ignoreAlpha, m, x);
    case Tex::point: return pickTexture<Bgra, Tex::point>(l, ignoreAlpha, m, x);
    case Tex::linear: return pickTexture<Bgra, Tex::linear>(l, ignoreAlpha, m, x);
  }
  return {};
}

bool blendMode(const DrawState& s, Mode& m) {
  if (!s.blend) {
    m = Mode::off;
    return true;
  }
  const TargetBlend& t = s.blend->desc().target[0];
  if (t.writeMask != 15) return false;
  if (!t.enable) {
    m = Mode::off;
    return true;
  }
  if (t.op != t.opAlpha || t.src != t.srcAlpha) return false;
  const bool add = t.op == BlendOp::add;
  if (t.src == Blend::srcAlpha && t.dst == t.dstAlpha) {
    if (add && t.dst == Blend::invSrcAlpha) m = Mode::alpha;
    else if (add && t.dst == Blend::one) m = Mode::add;
    else if (t.op == BlendOp::revSubtract && t.dst == Blend::one) m = Mode::subtract;
    else return false;
    return true;
  }
  if (add && t.src == Blend::one && t.dst == Blend::zero && t.dstAlpha == Blend::zero) {
    m = Mode::off;  // source times one plus nothing is the source
    return true;
  }
  // Both alpha factors read the source alpha.
  if (add && t.src == Blend::zero && t.dst == Blend::srcColor &&
      (t.dstAlpha == Blend::srcColor || t.dstAlpha == Blend::srcAlpha)) {
    m = Mode::multiply;
    return true;
  }
  return false;
}

}  // namespace

void setWideSpans(bool on) { gWideSpans.store(on, std::memory_order_relaxed); }
void setSixteenSpans(bool on) { gSixteenSpans.store(on, std::memory_order_relaxed); }

bool sixteenSpans() {
#if defined(HALVORINE_SPAN_AVX2)
  static const bool avx512 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  }();
  return avx512 && wideSpans() && gSixteenSpans.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

bool wideSpans() {
#if defined(HALVORINE_SPAN_AVX2)
  static const bool avx2 = hasAvx2();
  return avx2 && gWideSpans.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

FastSpanFn chooseFastSpan(const DrawState& s, DrawContext& c) {
  const FastPath kind = s.ps.shader ? s.ps.shader->fast : FastPath::none;
  if (kind == FastPath::none || !fastSpans()) return nullptr;
  const View* target = s.targets[0].get();
  if (!target) return nullptr;
  for (int i = 1; i < kMaxTargets; ++i)
    if (s.targets[i]) return nullptr;
  const Format tf = target->format();
  if (tf != Format::R8G8B8A8 && tf != Format::B8G8R8A8) return nullptr;
  if (s.depthView && (!s.depthStencil || s.depthStencil->desc().depthEnable)) return nullptr;
  // The output merger's alpha test folds into the spans' own GREATER test when it is one.
  int reference = shader::alphaReference(*c.env);
  if (s.alphaTest.enable) {
    switch (s.alphaTest.func) {
      case Compare::always: break;
      case Compare::greater: reference = std::max(reference, s.alphaTest.reference); break;
      case Compare::greaterEqual: reference = std::max(reference, s.alphaTest.reference - 1); break;
      default: return nullptr;
    }
  }
  Mode mode;
  if (!blendMode(s, mode)) return nullptr;
  const bool textured = kind != FastPath::flatColour;
  if (c.varyings < (textured ? shader::texcoord(1) : 4)) return nullptr;
  const ShaderEntry& ps = *s.ps.shader;
  if (ps.fastSpecular && c.varyings < shader::kColour1 + 4) return nullptr;
  if (ps.fastFogColour != nullptr && c.varyings <= shader::kExtra) return nullptr;

  FastTarget ft;
  const int sub = target->subresource(0, 0);
  ft.base = target->texture().data(sub);
  ft.pitch = target->texture().sub(sub).pitch;
  ft.alphaReference = reference;
  ft.avx2 = wideSpans();
  Tex tex = Tex::none;
  Layout layout = Layout::rgba;
  if (textured) {
    const View* v = c.env->views[0];
    const SamplerDesc* d = c.env->samplerDescs[0];
    if (!v || !d || v->desc().kind != ViewKind::shaderResource || v->desc().cube) return nullptr;
    switch (readFormat(v->format())) {
      case Format::R8G8B8A8: layout = Layout::rgba; break;
      case Format::B8G8R8A8: layout = Layout::bgra; break;
      case Format::B8G8R8X8: layout = Layout::bgrx; break;
      default: return nullptr;
    }
    if (d->anisotropic || d->comparison || d->minFilter != d->magFilter) return nullptr;
    if (v->desc().levelCount != 1 && d->mipFilter != MipFilter::none) return nullptr;
    if (d->addressU != Address::clamp || d->addressV != Address::clamp) return nullptr;
    tex = d->minFilter == Filter::point ? Tex::point : Tex::linear;
    const int tsub = v->subresource(0, 0);
    const Subresource& ts = v->texture().sub(tsub);
    ft.texture = v->texture().data(tsub);
    ft.texturePitch = ts.pitch;
    ft.textureWidth = ts.width;
    ft.textureHeight = ts.height;
    ft.fwidth = float(ts.width);
    ft.fheight = float(ts.height);
    ft.unread = s.ps.shader->fastUnread;
  }
  ft.saturates = ps.fastSaturates;
  ft.specular = ps.fastSpecular;
  ft.fog = ps.fastFogColour != nullptr;
  for (int k = 0; k < 3 && ft.fog; ++k) ft.fogColour[k] = ps.fastFogColour[k];
  c.fastTarget = ft;
  const bool ignore = kind == FastPath::textureDiffuseNoAlpha;
  const bool extras = ft.specular || ft.fog;
  const FastSpans f = tf == Format::B8G8R8A8 ? pick<true>(tex, layout, ignore, mode, extras)
                                             : pick<false>(tex, layout, ignore, mode, extras);
  c.fastPair = f.pair;
  c.fastRect = f.rect;
  c.fastSetup = extras ? nullptr : tex == Tex::point ? setupColumns<false> : tex == Tex::linear ? setupColumns<true> : nullptr;
  return f.span;
}

}  // namespace plat::gpu
