// Filters that read more than the source texel under the pixel: the separable Gauss
// blur, the down-scale averages, the gradient map, Y/UV to RGB and the 4- and 6-tap
// resamplers. Constants come through the filter accessor; second textures from slot 1.
#include <algorithm>
#include <cmath>

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
// The sampler's bilinear read at (u, v) of a clamped level, from rows kept as floats: the
// same coordinate steps and the same sums, the four channels in one register. A share of
// 0 leaves its texels out: times 0 they add +0 to a sum of texels, which changes no bit.
struct FloatTaps {
  const SpanTexture& t;
  uint64_t draw;
  bool missing = false;

  __m128 at(const float* row, int x) const { return _mm_loadu_ps(row + size_t(x) * 4); }
  __m128 operator()(float u, float v) {
    const float x = u * t.fwidth - 0.5f, y = v * t.fheight - 0.5f;
    const int x0 = sampleFloor(x), y0 = sampleFloor(y);
    const int wx = sampleWeight256(x - float(x0)), wy = sampleWeight256(y - float(y0));
    const int ax = clampTexel(x0, t.width), bx = clampTexel(x0 + 1, t.width);
    const float* top = floatRow(t, draw, clampTexel(y0, t.height));
    if (top == nullptr) {
      missing = true;
      return _mm_setzero_ps();
    }
    const __m128 bxw = _mm_set1_ps(float(wx) * (1.0f / 256.0f)), axw = _mm_set1_ps(float(256 - wx) * (1.0f / 256.0f));
    const __m128 t00 = at(top, ax);
    const __m128 upper = wx == 0 ? t00 : _mm_add_ps(_mm_mul_ps(t00, axw), _mm_mul_ps(at(top, bx), bxw));
    if (wy == 0) return upper;
    const float* bottom = floatRow(t, draw, clampTexel(y0 + 1, t.height));
    const __m128 t01 = at(bottom, ax);
    const __m128 lower = wx == 0 ? t01 : _mm_add_ps(_mm_mul_ps(t01, axw), _mm_mul_ps(at(bottom, bx), bxw));
    const __m128 byw = _mm_set1_ps(float(wy) * (1.0f / 256.0f)), ayw = _mm_set1_ps(float(256 - wy) * (1.0f / 256.0f));
    return _mm_add_ps(_mm_mul_ps(upper, ayw), _mm_mul_ps(lower, byw));
  }
  static int clampTexel(int i, int n) { return i < 0 ? 0 : i >= n ? n - 1 : i; }
};

// pixelGauss a run at a time, for bilinear reads of a clamped source.
bool spanGauss(const SpanIn& in, const ShaderEnv& env, const ShaderEntry& self, uint8_t* rgba) {
  SpanTexture t;
  if (!spanTexture(env, 0, in.lod[0], t) || !t.linear || !t.clamped) return false;
  float c[21][4];
  filterRows(env, 5 + self.param[0], c);
  const float* weights = c[1];  // c1..c4 as 16 weights
  __m128 w[16];
  for (int k = 0; k < 16; ++k) w[k] = _mm_set1_ps(weights[k]);
  FloatTaps tap{t, in.draw};
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  for (int i = 0; i < in.n; ++i, rgba += 4) {
    const float u = in.u[0][i], v = in.v[0][i];
    __m128 acc = _mm_add_ps(zero, _mm_mul_ps(tap(u, v), w[0]));
    for (int k = 1; k < self.param[0]; ++k) {
      const float* o = c[5 + k];
      acc = _mm_add_ps(acc, _mm_mul_ps(tap(u + o[0], v + o[1]), w[k]));
      acc = _mm_add_ps(acc, _mm_mul_ps(tap(u - o[0], v - o[1]), w[k]));
    }
    // saturate: NaN and below 0 to 0 (max gives its second operand for NaN), above 1 to 1;
    // then the UNORM store's * 255 + 0.5, truncated.
    acc = _mm_min_ps(_mm_max_ps(acc, zero), one);
    const __m128i b = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(acc, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(b, b), _mm_setzero_si128());
    const int word = _mm_cvtsi128_si32(packed);
    std::memcpy(rgba, &word, 4);
  }
  return !tap.missing;
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
