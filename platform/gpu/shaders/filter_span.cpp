// The span functions' texture reads: which level and filter a run's samples take, whether
// a run reads one texel a pixel in a row of texels, and rows converted to floats once a draw.
#include "platform/gpu/shaders/filter_span.h"

#include <cmath>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plat::gpu::shader {

bool spanTexture(const ShaderEnv& env, int slot, float lod, SpanTexture& out) {
  const View* v = env.view(slot);
  const SamplerDesc* d = slot < kSamplerSlots ? env.samplerDescs[slot] : nullptr;
  if (v == nullptr || d == nullptr || v->desc().kind != ViewKind::shaderResource || v->desc().cube) return false;
  switch (readFormat(v->format())) {
    case Format::R8G8B8A8: out.order = 0; break;
    case Format::B8G8R8A8: out.order = 1; break;
    case Format::B8G8R8X8: out.order = 2; break;
    default: return false;
  }
  // The sampler's choice of level and filter for this level of detail.
  Filter minFilter = d->minFilter, magFilter = d->magFilter;
  MipFilter mip = d->mipFilter;
  if (d->anisotropic) minFilter = magFilter = Filter::linear, mip = MipFilter::linear;
  float l = lod + d->mipLodBias;
  if (!(l == l)) l = 0.0f;
  if (l < d->minLod) l = d->minLod;
  if (l > d->maxLod) l = d->maxLod;
  Filter f;
  if (l <= 0.0f || mip == MipFilter::none) f = l <= 0.0f ? magFilter : minFilter;
  else if (v->desc().levelCount == 1) f = minFilter;  // every mip choice ends on the one level
  else return false;
  const int sub = v->subresource(0, 0);
  const Subresource& s = v->texture().sub(sub);
  out.base = static_cast<const Texture&>(v->texture()).data(sub);
  out.pitch = s.pitch;
  out.width = s.width, out.height = s.height;
  out.fwidth = float(s.width), out.fheight = float(s.height);
  out.linear = f == Filter::linear;
  out.clamped = d->addressU == Address::clamp && d->addressV == Address::clamp;
  // A bilinear read on a texel centre still weighs the next texel by 0: a border colour
  // that is not finite would spoil it.
  if (out.linear && (d->addressU == Address::border || d->addressV == Address::border))
    for (int k = 0; k < 4; ++k)
      if (!std::isfinite(d->border[k])) return false;
  return out.width > 0 && out.height > 0;
}

namespace {

// Whether coordinate i of the run reads texel first + i alone on an axis of `size` texels:
// point reads floor(c size), bilinear ones floor(c size - 0.5) with no share of the next;
// each inside the level, so the address mode plays no part.
template <bool Linear>
bool stepsByOne(const float* c, int n, float size, int limit, int& first) {
  auto at = [size](float x) {
    const float f = x * size;
    return Linear ? f - 0.5f : f;
  };
  auto alone = [](float f, int whole) { return !Linear || (f - float(whole)) * 256.0f < 0.5f; };
  const float f0 = at(c[0]);
  if (!(f0 >= 0.0f && f0 < float(limit)) || !alone(f0, int(f0))) return false;
  first = int(f0);
  int i = 1;
#if defined(__SSE2__)
  const __m128 sz = _mm_set1_ps(size), half = _mm_set1_ps(0.5f), lim = _mm_set1_ps(float(limit));
  const __m128 zero = _mm_setzero_ps(), share = _mm_set1_ps(256.0f);
  const __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
  for (; i + 4 <= n; i += 4) {
    __m128 f = _mm_mul_ps(_mm_loadu_ps(c + i), sz);
    if (Linear) f = _mm_sub_ps(f, half);
    __m128 ok = _mm_and_ps(_mm_cmpge_ps(f, zero), _mm_cmplt_ps(f, lim));
    const __m128i whole = _mm_cvttps_epi32(f);
    if (Linear) ok = _mm_and_ps(ok, _mm_cmplt_ps(_mm_mul_ps(_mm_sub_ps(f, _mm_cvtepi32_ps(whole)), share), half));
    const __m128i same = _mm_cmpeq_epi32(whole, _mm_add_epi32(_mm_set1_epi32(first + i), steps));
    if (_mm_movemask_epi8(_mm_and_si128(_mm_castps_si128(ok), same)) != 0xFFFF) return false;
  }
#endif
  for (; i < n; ++i) {
    const float f = at(c[i]);
    if (!(f >= 0.0f && f < float(limit)) || int(f) != first + i || !alone(f, int(f))) return false;
  }
  return true;
}

// Whether every coordinate of the run has the same bits as the first.
bool allSame(const float* c, int n) {
  uint32_t first;
  std::memcpy(&first, c, 4);
  int i = 1;
#if defined(__SSE2__)
  const __m128i f = _mm_set1_epi32(int(first));
  for (; i + 4 <= n; i += 4)
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i)), f)) != 0xFFFF)
      return false;
#endif
  for (; i < n; ++i) {
    uint32_t b;
    std::memcpy(&b, c + i, 4);
    if (b != first) return false;
  }
  return true;
}

}  // namespace

namespace {

// The horizontal verdicts of named runs (the same coordinates on every row), kept for
// whole column blocks of a run's length, two a pair and block (the two triangles of a quad meet in
// one block of each row): a filter pass's rows repeat them. A run inside a block that reads
// consecutive texels reads them too, from its place in the block on.
struct ColumnVerdict {
  SpanRunName name;
  int width = 0;
  bool linear = false;
  bool ok = false;
  int first = 0;
};
thread_local ColumnVerdict columnVerdicts[2][64][2];
thread_local uint8_t columnNext[2][64];

// Coordinates of pixels x..x+n-1 as the name's rows have them.
void namedCoordinates(const SpanRunName& m, int x, int n, float* out) {
  float a0, aA, x0;
  std::memcpy(&a0, &m.a0, 4);
  std::memcpy(&aA, &m.aA, 4);
  std::memcpy(&x0, &m.x0, 4);
  for (int i = 0; i < n && i < kSpanRun; ++i) out[i] = a0 + aA * ((float(x + i) + 0.5f) - x0);
}

bool columnsStepByOne(const SpanIn& in, int slot, const SpanTexture& t, int& first) {
  float named[kSpanRun];
  auto check = [&](const float* u, int n, int& at) {
    return t.linear ? stepsByOne<true>(u, n, t.fwidth, t.width, at) : stepsByOne<false>(u, n, t.fwidth, t.width, at);
  };
  auto own = [&] {  // this run alone
    const float* u = in.u[slot];
    if (u == nullptr) {
      namedCoordinates(in.uRun[slot], in.uRun[slot].x, in.n, named);
      u = named;
    }
    return check(u, in.n, first);
  };
  if (slot < 0 || slot > 1 || !in.uRun[slot].named || in.uRun[slot].x < 0) return own();
  SpanRunName block = in.uRun[slot];
  block.x -= block.x % kSpanRun;
  const int index = (block.x / kSpanRun) & 63;
  ColumnVerdict* e = nullptr;
  for (ColumnVerdict& way : columnVerdicts[slot][index])
    if (way.name == block && way.width == t.width && way.linear == t.linear) e = &way;
  if (e == nullptr) {
    uint8_t& next = columnNext[slot][index];
    e = &columnVerdicts[slot][index][next];
    next ^= 1;
    namedCoordinates(block, block.x, kSpanRun, named);
    e->ok = check(named, kSpanRun, e->first);
    e->name = block, e->width = t.width, e->linear = t.linear;
  }
  if (e->ok) {
    first = e->first + (in.uRun[slot].x - block.x);
    return true;
  }
  return own();  // the block as a whole does not: a run of it still may
}

// The vertical verdicts of rows (a run whose v is one value along it): the runs of a row
// share it, so it is kept for the last two values read through each pair (the two
// triangles of a quad may give a row's v with different roundings). A verdict is a function
// of the value's bits, the level's height and the filter alone.
struct RowVerdict {
  uint32_t bits = 0;
  int height = 0;
  bool linear = false;
  bool used = false;
  bool ok = false;
  int first = 0;
};
thread_local RowVerdict rowVerdicts[2][2];
thread_local uint8_t rowNext[2];

bool rowStepsByOne(const float* v, int slot, const SpanTexture& t, int& first) {
  auto check = [&] {
    return t.linear ? stepsByOne<true>(v, 1, t.fheight, t.height, first)
                    : stepsByOne<false>(v, 1, t.fheight, t.height, first);
  };
  if (slot < 0 || slot > 1) return check();
  uint32_t bits;
  std::memcpy(&bits, v, 4);
  for (const RowVerdict& e : rowVerdicts[slot])
    if (e.used && e.bits == bits && e.height == t.height && e.linear == t.linear) {
      first = e.first;
      return e.ok;
    }
  RowVerdict& e = rowVerdicts[slot][rowNext[slot]];
  rowNext[slot] ^= 1;
  e.ok = check();
  e.bits = bits, e.height = t.height, e.linear = t.linear, e.used = true;
  e.first = e.ok ? first : 0;
  return e.ok;
}

}  // namespace

const uint8_t* texelRun(const SpanIn& in, const ShaderEnv& env, int slot, int& order) {
  SpanTexture own;
  const SpanTexture* found = slot >= 0 && slot < 2 ? in.texture[slot] : nullptr;
  if (found == nullptr && spanTexture(env, slot, in.lod[slot], own)) found = &own;
  if (in.n < 1 || found == nullptr || found->base == nullptr || !(in.vSame[slot] || allSame(in.v[slot], in.n)))
    return nullptr;
  const SpanTexture& t = *found;
  int x = 0, y = 0;
  const bool ok = rowStepsByOne(in.v[slot], slot, t, y) && columnsStepByOne(in, slot, t, x);
  if (!ok) return nullptr;
  order = t.order;
  return t.base + size_t(y) * t.pitch + size_t(x) * 4;
}

void runBytes(const uint8_t* p, int order, int n, uint8_t* out) {
  if (order == 0) {
    std::memcpy(out, p, size_t(n) * 4);
    return;
  }
  int i = 0;
#if defined(__SSE2__)
  const __m128i keep = _mm_set1_epi32(int(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
  const __m128i opaque = _mm_set1_epi32(order == 2 ? int(0xFF000000u) : 0);
  for (; i + 4 <= n; i += 4) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i));
    const __m128i swapped = _mm_or_si128(
        _mm_and_si128(w, keep),
        _mm_or_si128(_mm_and_si128(_mm_srli_epi32(w, 16), low), _mm_slli_epi32(_mm_and_si128(w, low), 16)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_or_si128(swapped, opaque));
  }
#endif
  for (; i < n; ++i) {
    const Bytes4 b = texelBytes(p + 4 * i, order);
    for (int k = 0; k < 4; ++k) out[4 * i + k] = uint8_t(b.c[k]);
  }
}

void runBytesBgra(const uint8_t* p, int order, int n, uint8_t* out) {
  if (order == 0) {
    runBytes(p, 1, n, out);  // the same trade of red and blue, alpha kept
    return;
  }
  std::memcpy(out, p, size_t(n) * 4);
  if (order == 2)
    for (int i = 0; i < n; ++i) out[4 * i + 3] = 255;
}

namespace {

constexpr int kFloatRows = 128;
constexpr int kFloatRowWidth = 4096;

struct FloatRowCache {
  uint64_t draw = ~uint64_t(0);
  const uint8_t* base = nullptr;
  int width = 0;
  int tag[kFloatRows];
  std::vector<float> rows;
};
thread_local FloatRowCache tFloatRows;

}  // namespace

const float* floatRow(const SpanTexture& t, uint64_t draw, int y) {
  FloatRowCache& c = tFloatRows;
  if (t.width > kFloatRowWidth) return nullptr;
  if (c.draw != draw || c.base != t.base || c.width != t.width) {
    c.draw = draw, c.base = t.base, c.width = t.width;
    for (int& g : c.tag) g = -1;
    if (c.rows.size() < size_t(kFloatRows) * size_t(t.width) * 4)
      c.rows.resize(size_t(kFloatRows) * size_t(t.width) * 4);
  }
  const int slot = y & (kFloatRows - 1);
  float* row = c.rows.data() + size_t(slot) * size_t(t.width) * 4;
  if (c.tag[slot] != y) {
    const uint8_t* p = t.base + size_t(y) * t.pitch;
    int x = 0;
#if defined(__SSE2__)
    // v / 255 rounded once, as the table holds it.
    const __m128 scale = _mm_set1_ps(255.0f);
    const __m128i opaque = _mm_set1_epi32(t.order == 2 ? int(0xFF000000u) : 0);
    for (; x < t.width; ++x, p += 4) {
      int word;
      std::memcpy(&word, p, 4);
      const __m128i bytes = _mm_or_si128(_mm_cvtsi32_si128(word), opaque);
      const __m128i wide = _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), _mm_setzero_si128());
      __m128 f = _mm_div_ps(_mm_cvtepi32_ps(wide), scale);
      if (t.order != 0) f = _mm_shuffle_ps(f, f, _MM_SHUFFLE(3, 0, 1, 2));
      _mm_storeu_ps(row + size_t(x) * 4, f);
    }
#endif
    for (; x < t.width; ++x, p += 4) {
      const Float4 f = texelFloats(p, t.order);
      std::memcpy(row + size_t(x) * 4, f.c, 16);
    }
    c.tag[slot] = y;
  }
  return row;
}

}  // namespace plat::gpu::shader
