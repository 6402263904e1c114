// Filters that read more than the source texel under the pixel: the separable Gauss
// blur, the down-scale averages, the gradient map, Y/UV to RGB and the 4- and 6-tap
// resamplers. Constants come through the filter accessor; second textures from slot 1.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/shaders/filter_span.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plat::gpu {

using namespace shader;

namespace {

Float4 sourceAt(const PixelIn& in, const ShaderEnv& env, float u, float v) { return env.sample(0, u, v, in, 0); }

void addScaled(Float4& acc, const Float4& t, float w) {
  for (int k = 0; k < 4; ++k) acc[k] += t[k] * w;
}

// param: taps per side including the centre (4, 8 or 16). c1..c4 the weights, c5 + k the
// offset of tap k in texture coordinates; each tap reads the pair of texels it straddles
// on both sides of the centre.
bool pixelGauss(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const float u = in.v[texcoord(0)], v = in.v[texcoord(0) + 1];
  float c[21][4];
  filterRows(env, 5 + self.param[0], c);
  const float* w = c[1];  // c1..c4 as 16 weights
  const SourceTaps tap(in, env);
  Float4 acc{0, 0, 0, 0};
  addScaled(acc, tap(u, v), w[0]);
  for (int k = 1; k < self.param[0]; ++k) {
    const float* o = c[5 + k];
    addScaled(acc, tap(u + o[0], v + o[1]), w[k]);
    addScaled(acc, tap(u - o[0], v - o[1]), w[k]);
  }
  for (int k = 0; k < 4; ++k) acc[k] = saturate(acc[k]);
  out = acc;
  return true;
}

#if defined(__SSE2__)
// One axis of the sampler's bilinear read of a clamped level at coordinate c: the first
// texel, the next (both clamped), and the next one's share in 1/256 steps.
struct AxisRead {
  int a, b, w;
};
inline AxisRead axisRead(float c, float size, int n) {
  const float x = c * size - 0.5f;
  const int x0 = sampleFloor(x);
  return AxisRead{x0 < 0 ? 0 : x0 >= n ? n - 1 : x0, x0 + 1 < 0 ? 0 : x0 + 1 >= n ? n - 1 : x0 + 1,
                  sampleWeight256(x - float(x0))};
}
// axisRead over a run of coordinates c[i] + d (sign 1), c[i] - d (sign -1) or c[i] (sign
// 0), four lanes at a time doing each step as the scalar one does. Each read leaves the
// float offsets of its two texels in a row and their shares as floats. Lanes that reach
// past 2^30 (or are NaN) take the scalar steps, which hold them there.
struct ColumnRun {
  int first[kSpanRun], next[kSpanRun], share256[kSpanRun];
  float rest[kSpanRun], share[kSpanRun];
};
void axisRun(const float* c, int n, float d, int sign, float size, int limit, ColumnRun& out) {
  int i = 0;
  const __m128 dv = _mm_set1_ps(d), sz = _mm_set1_ps(size), half = _mm_set1_ps(0.5f);
  const __m128 far = _mm_set1_ps(1073741824.0f), near = _mm_set1_ps(-1073741824.0f);
  const __m128 steps = _mm_set1_ps(256.0f), most = _mm_set1_ps(256.0f), unit = _mm_set1_ps(1.0f / 256.0f);
  const __m128 last = _mm_set1_ps(float(limit - 1)), zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  for (; i + 4 <= n; i += 4) {
    __m128 x = _mm_loadu_ps(c + i);
    if (sign > 0) x = _mm_add_ps(x, dv);
    else if (sign < 0) x = _mm_sub_ps(x, dv);
    x = _mm_sub_ps(_mm_mul_ps(x, sz), half);
    if (_mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(x, near), _mm_cmple_ps(x, far))) != 15) break;
    __m128i x0 = _mm_cvttps_epi32(x);
    x0 = _mm_add_epi32(x0, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(x0), x)));  // truncation to floor
    const __m128 x0f = _mm_cvtepi32_ps(x0);
    const __m128 frac = _mm_sub_ps(x, x0f);
    const __m128i w = _mm_and_si128(_mm_cvttps_epi32(_mm_min_ps(_mm_add_ps(_mm_mul_ps(frac, steps), half), most)),
                                    _mm_castps_si128(_mm_cmpgt_ps(frac, zero)));
    _mm_storeu_ps(out.rest + i, _mm_mul_ps(_mm_cvtepi32_ps(_mm_sub_epi32(_mm_set1_epi32(256), w)), unit));
    _mm_storeu_ps(out.share + i, _mm_mul_ps(_mm_cvtepi32_ps(w), unit));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.share256 + i), w);
    // Clamped in floats, where every texel number up to 2^30 is whole.
    const __m128i a = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(x0f, zero), last));
    const __m128i b = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_add_ps(x0f, one), zero), last));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.first + i), _mm_slli_epi32(a, 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.next + i), _mm_slli_epi32(b, 2));
  }
  for (; i < n; ++i) {
    const AxisRead r = axisRead(sign > 0 ? c[i] + d : sign < 0 ? c[i] - d : c[i], size, limit);
    out.first[i] = r.a * 4, out.next[i] = r.b * 4, out.share256[i] = r.w;
    out.rest[i] = float(256 - r.w) * (1.0f / 256.0f);
    out.share[i] = float(r.w) * (1.0f / 256.0f);
  }
}

inline __m128 shareOf(int w) { return _mm_set1_ps(float(w) * (1.0f / 256.0f)); }
inline __m128 restOf(int w) { return _mm_set1_ps(float(256 - w) * (1.0f / 256.0f)); }

// Pixel i's two texels of a row of floats mixed by the sampler's sum; a share of 0 leaves
// the next out: times 0 it adds +0 to a sum of texels, which changes no bit.
inline __m128 mixRow(const float* row, const ColumnRun& x, int i) {
  const __m128 ta = _mm_loadu_ps(row + x.first[i]);
  if (x.share256[i] == 0) return ta;
  return _mm_add_ps(_mm_mul_ps(ta, _mm_set1_ps(x.rest[i])),
                    _mm_mul_ps(_mm_loadu_ps(row + x.next[i]), _mm_set1_ps(x.share[i])));
}

// pixelGauss a run at a time, for bilinear reads of a clamped source along a row of one v
// (a pass drawn as an upright quad): tap by tap over the run, each pixel's sum taking its
// taps in the pixel function's order, from rows kept as floats for the draw.
bool spanGauss(const SpanIn& in, const ShaderEnv& env, const ShaderEntry& self, uint8_t* rgba) {
  SpanTexture t;
  const float* const u = in.u[0];
  const float v = in.v[0][0];
  if (!spanTexture(env, 0, in.lod[0], t) || !t.linear || !t.clamped) return false;
  for (int i = 1; i < in.n; ++i)
    if (std::memcmp(&in.v[0][i], &v, 4) != 0) return false;
  float c[21][4];
  filterRows(env, 5 + self.param[0], c);
  const float* weights = c[1];  // c1..c4 as 16 weights
  // Taps whose u offset is 0 read the columns of the centre: u + 0 differs from u at most
  // in the sign of a zero, which no step after tells apart.
  bool fixedColumns = true;
  for (int k = 1; k < self.param[0]; ++k) fixedColumns = fixedColumns && c[5 + k][0] == 0.0f;
  ColumnRun columns;
  __m128 acc[kSpanRun];
  for (int i = 0; i < in.n; ++i) acc[i] = _mm_setzero_ps();
  const int taps = 2 * self.param[0] - 1;
  for (int tap = 0; tap < taps; ++tap) {
    const int k = (tap + 1) / 2;
    const float sign = tap == 0 ? 0.0f : tap & 1 ? 1.0f : -1.0f;
    const float du = c[5 + k][0], dv = c[5 + k][1];
    const AxisRead y = axisRead(tap == 0 ? v : sign > 0 ? v + dv : v - dv, t.fheight, t.height);
    const float* top = floatRow(t, in.draw, y.a);
    const float* bottom = y.w != 0 ? floatRow(t, in.draw, y.b) : top;
    if (top == nullptr || bottom == nullptr) return false;
    const __m128 w = _mm_set1_ps(weights[k]), ayw = restOf(y.w), byw = shareOf(y.w);
    if (tap == 0 || !fixedColumns)
      axisRun(u, in.n, du, tap == 0 ? 0 : sign > 0 ? 1 : -1, t.fwidth, t.width, columns);
    if (y.w == 0) {
      for (int i = 0; i < in.n; ++i) acc[i] = _mm_add_ps(acc[i], _mm_mul_ps(mixRow(top, columns, i), w));
    } else {
      for (int i = 0; i < in.n; ++i) {
        const __m128 r =
            _mm_add_ps(_mm_mul_ps(mixRow(top, columns, i), ayw), _mm_mul_ps(mixRow(bottom, columns, i), byw));
        acc[i] = _mm_add_ps(acc[i], _mm_mul_ps(r, w));
      }
    }
  }
  // saturate: NaN and below 0 to 0 (max gives its second operand for NaN), above 1 to 1;
  // then the UNORM store's * 255 + 0.5, truncated.
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  for (int i = 0; i < in.n; ++i, rgba += 4) {
    const __m128 s = _mm_min_ps(_mm_max_ps(acc[i], zero), one);
    const __m128i b = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(s, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
    const int word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(b, b), _mm_setzero_si128()));
    std::memcpy(rgba, &word, 4);
  }
  return true;
}
#endif

// param: registers of offsets (1, 4 or 16); the result is the mean of the linear reads.
bool pixelDownScale(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const float u = in.v[texcoord(0)], v = in.v[texcoord(0) + 1];
  const SourceTaps tap(in, env);
  Float4 acc{0, 0, 0, 0};
  const int n = self.param[0];
  for (int i = 0; i < n; ++i) {
    const Float4 o = filterReg(env, i);
    addScaled(acc, tap(u + o[0], v + o[1]), 1.0f / float(n));
  }
  out = acc;
  return true;
}

// param: reverse. c0 weights, c1.x the gradient graph's width. The luminance picks the
// gradient's column as the software table does.
bool pixelGradientMap(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const int y = lumaFixed(bytesOf(sourceTexel(in, env)), filterReg(env, 0)) >> 12;
  const int i = self.param[0] ? 255 - y : y;
  const int width = std::max(int(filterReg(env, 1)[0] + 0.5f), 1);
  out = texelAt(in, env, 1, (i * width) >> 8, 0);
  return true;
}

// The movie-frame conversion in 15-bit fixed point.
int yuvChannel(int v) { return v < 0 ? 0 : v > 8355840 ? 255 : v >> 15; }

// param: colour-and-alpha halves, UV graph given. Y is the blue byte of the Y graph; U and
// V the blue and green bytes of the UV graph, read at the Y coordinates scaled by c0.xy.
// The alpha half lies c0.z (Y) and c0.w (UV) to the right.
bool pixelYuv(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const float u = in.v[texcoord(0)], v = in.v[texcoord(0) + 1];
  const Float4 c = filterReg(env, 0);
  const int y15 = toByte(sourceAt(in, env, u, v)[2]) << 15;
  int cu = 0, cv = 0;
  if (self.param[1]) {
    const Float4 t = env.sample(1, u * c[0], v * c[1], in, 0);
    cu = toByte(t[2]) - 128, cv = toByte(t[1]) - 128;
  }
  Bytes4 d{{yuvChannel(y15 + 45940 * cv), yuvChannel(y15 - 11272 * cu - 23396 * cv), yuvChannel(y15 + 58064 * cu),
            255}};
  if (self.param[0]) {
    const int ya = toByte(sourceAt(in, env, u + c[2], v)[2]) << 15;
    const int va = self.param[1] ? toByte(env.sample(1, u * c[0] + c[3], v * c[1], in, 0)[1]) - 128 : 0;
    d.c[3] = yuvChannel(ya + 45940 * va);
  }
  out = floatsOf(d);
  return true;
}

float cubicWeight(float x) {
  x = std::fabs(x);
  if (x < 1.0f) return (1.5f * x - 2.5f) * x * x + 1.0f;
  if (x < 2.0f) return ((-0.5f * x + 2.5f) * x - 4.0f) * x + 2.0f;
  return 0.0f;
}

float lanczosWeight(float x) {
  x = std::fabs(x);
  if (x < 1e-6f) return 1.0f;
  if (x >= 3.0f) return 0.0f;
  const float px = 3.14159265f * x;
  return 3.0f * std::sin(px) * std::sin(px / 3.0f) / (px * px);
}

// param: taps (4 bicubic, 6 Lanczos-3). Pair k holds the coordinate shifted by
// k - taps / 2 + 0.5 texels on both axes; c0 = (texture width, height).
bool pixelResample(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const int taps = self.param[0], centre = taps / 2 - 1;
  const Float4 c = filterReg(env, 0);
  const float pu = in.v[texcoord(centre)] * c[0], pv = in.v[texcoord(centre) + 1] * c[1];
  const float fu = pu - std::floor(pu), fv = pv - std::floor(pv);
  float wu[6], wv[6], su = 0, sv = 0;
  for (int k = 0; k < taps; ++k) {
    const float d = float(k - centre);
    wu[k] = taps == 4 ? cubicWeight(d - fu) : lanczosWeight(d - fu);
    wv[k] = taps == 4 ? cubicWeight(d - fv) : lanczosWeight(d - fv);
    su += wu[k], sv += wv[k];
  }
  const SourceTaps tap(in, env);
  Float4 acc{0, 0, 0, 0};
  for (int j = 0; j < taps; ++j)
    for (int i = 0; i < taps; ++i) addScaled(acc, tap(in.v[texcoord(i)], in.v[texcoord(j) + 1]), wu[i] * wv[j] / (su * sv));
  for (int k = 0; k < 4; ++k) acc[k] = saturate(acc[k]);
  out = acc;
  return true;
}

}  // namespace

void addFilterSampling(std::vector<ShaderEntry>& bank) {
  static const char* const kGauss[3] = {"Gauss_08Pixel_PS", "Gauss_16Pixel_PS", "Gauss_32Pixel_PS"};
  for (int i = 0; i < 3; ++i) {
#if defined(__SSE2__)
    ShaderEntry e = spanEntry(kGauss[i], pixelGauss, spanGauss, {4 << i});
    e.spanReadsAround = true;
#else
    ShaderEntry e = pixelEntry(kGauss[i], pixelGauss, {4 << i});
#endif
    bank.push_back(e);
  }
  bank.push_back(pixelEntry("DownScaleX2", pixelDownScale, {1}));
  bank.push_back(pixelEntry("DownScaleX4", pixelDownScale, {4}));
  bank.push_back(pixelEntry("DownScaleX8", pixelDownScale, {16}));
  bank.push_back(pixelEntry("GradientMap", pixelGradientMap, {0}));
  bank.push_back(pixelEntry("GradientMapRev", pixelGradientMap, {1}));
  bank.push_back(pixelEntry("Y2uv2ToRgb", pixelYuv, {0, 0}));
  bank.push_back(pixelEntry("Y2uv1ToRgb", pixelYuv, {0, 1}));
  bank.push_back(pixelEntry("Y2uv2ToRgb_RRA", pixelYuv, {1, 0}));
  bank.push_back(pixelEntry("Y2uv1ToRgb_RRA", pixelYuv, {1, 1}));
  bank.push_back(pixelEntry("Bicubic", pixelResample, {4}));
  bank.push_back(pixelEntry("Lanczos3", pixelResample, {6}));
}

}  // namespace plat::gpu
