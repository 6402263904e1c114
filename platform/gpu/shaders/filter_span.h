// What the filter and blend span functions share: the texture level a run's reads take,
// the check that each pixel of a run reads one texel alone (a pass drawn 1:1, point or
// bilinear on texel centres), texel bytes in red, green, blue, alpha order, the UNORM
// store of a float, and rows of a texture as floats kept for the draw.
#pragma once
#include <cstdint>

#include "platform/gpu/shaders/filter_common.h"

namespace plat::gpu {
// Whether the eight-pixel runs are on: the processor has AVX2 and no test switched them
// off (setWideSpans, span_fast.cpp).
bool wideSpans();
// Whether the sixteen-pixel runs are on: the wide runs are, the processor has AVX-512 (the
// foundation and byte and word instructions), and no test switched them off
// (setSixteenSpans).
bool sixteenSpans();
// Whether Mono's wide runs take the integer steps (with the float steps for the pixels
// near a rounding step) rather than the float steps throughout; on unless a test switched
// them off.
void setMonoFixedSpans(bool on);
bool monoFixedSpans();
}  // namespace plat::gpu

namespace plat::gpu::shader {

// One level of an 8-bit four-channel texture, as the sampler reads it for one run.
struct SpanTexture {
  const uint8_t* base = nullptr;
  size_t pitch = 0;
  int width = 0, height = 0;
  float fwidth = 0.0f, fheight = 0.0f;
  int order = 0;  // bytes of a texel: 0 red first, 1 blue first, 2 blue first with no alpha
  bool linear = false;
  bool clamped = false;  // both address modes clamp
};

// The level the sampler in `slot` reads alone at this level of detail and its filter; false
// when it would blend two levels, or the view is missing, a cube, or not 8-bit RGBA, BGRA
// or BGRX.
bool spanTexture(const ShaderEnv& env, int slot, float lod, SpanTexture& out);

// The texel each pixel of the run reads through `slot` and pair `slot`, when every read is
// one texel alone, pixel i's the i-th after pixel 0's in one row: the first one's bytes, or
// null when the run does not read so.
const uint8_t* texelRun(const SpanIn& in, const ShaderEnv& env, int slot, int& order);

inline Bytes4 texelBytes(const uint8_t* p, int order) {
  if (order == 0) return Bytes4{{p[0], p[1], p[2], p[3]}};
  return Bytes4{{p[2], p[1], p[0], order == 1 ? p[3] : 255}};
}
inline Float4 texelFloats(const uint8_t* p, int order) { return floatsOf(texelBytes(p, order)); }

// The byte an 8-bit UNORM target stores for a colour channel.
inline uint8_t storedByte(float x) {
  if (!(x > 0.0f)) return 0;
  if (x >= 1.0f) return 255;
  return uint8_t(x * 255.0f + 0.5f);
}
inline void storeFloats(const Float4& c, uint8_t* out) {
  for (int k = 0; k < 4; ++k) out[k] = storedByte(c[k]);
}
inline void storeBytes(const Bytes4& b, uint8_t* out) {
  for (int k = 0; k < 4; ++k) out[k] = uint8_t(clampByte(b.c[k]));
}

// A bank entry whose pixel function has a span form.
inline ShaderEntry spanEntry(const char* name, PixelFn fn, PixelSpanFn span, std::initializer_list<int> params = {}) {
  ShaderEntry e = pixelEntry(name, fn, params);
  e.span = span;
  return e;
}

// Texels of a run (n at most kSpanRun) in red, green, blue, alpha order.
void runBytes(const uint8_t* p, int order, int n, uint8_t* out);

// Texels of a run in blue, green, red, alpha order.
void runBytesBgra(const uint8_t* p, int order, int n, uint8_t* out);

// The run's texels red first (blue first with `bgra`): the texture's own bytes when they
// are so and do not overlap the run's output elsewhere than pixel for pixel, else a copy in
// `buffer`.
inline const uint8_t* runView(const uint8_t* p, int order, int n, const uint8_t* out, uint8_t* buffer,
                              bool bgra = false) {
  const size_t bytes = size_t(n) * 4;
  if (order == (bgra ? 1 : 0) && (p == out || p + bytes <= out || out + bytes <= p)) return p;
  if (bgra) runBytesBgra(p, order, n, buffer);
  else runBytes(p, order, n, buffer);
  return buffer;
}

// A span of a function that reads the source texel under each pixel alone: `colour` maps
// a texel's bytes (red first) to the bytes stored for it. False when the run does not
// read so.
template <class Colour>
bool texelSpan(const SpanIn& in, const ShaderEnv& env, uint8_t* rgba, Colour&& colour) {
  int order = 0;
  const uint8_t* p = texelRun(in, env, 0, order);
  if (p == nullptr) return false;
  uint8_t buffer[kSpanRun * 4];
  const uint8_t* s = runView(p, order, in.n, rgba, buffer);
  for (int i = 0; i < 4 * in.n; i += 4) colour(s + i, rgba + i);
  return true;
}

// The runs of texels under the span in both textures (slot 1 read through pair 1), in the
// order the run is stored in, viewed through sb and bb where they must be copied; false
// when either is no run.
inline bool pairRuns(const SpanIn& in, const ShaderEnv& env, const uint8_t* rgba, uint8_t* sb, uint8_t* bb,
                     const uint8_t*& s, const uint8_t*& b) {
  int so = 0, bo = 0;
  const uint8_t* sp = texelRun(in, env, 0, so);
  const uint8_t* bp = sp != nullptr ? texelRun(in, env, 1, bo) : nullptr;
  if (bp == nullptr) return false;
  s = runView(sp, so, in.n, rgba, sb, in.bgra);
  b = runView(bp, bo, in.n, rgba, bb, in.bgra);
  return true;
}

// The same over the texels under each pixel in both textures.
template <class Colour>
bool pairSpan(const SpanIn& in, const ShaderEnv& env, uint8_t* rgba, Colour&& colour) {
  uint8_t sb[kSpanRun * 4], bb[kSpanRun * 4];
  const uint8_t *s = nullptr, *b = nullptr;
  if (!pairRuns(in, env, rgba, sb, bb, s, b)) return false;
  for (int i = 0; i < 4 * in.n; i += 4) colour(s + i, b + i, rgba + i);
  return true;
}

inline Bytes4 bytesAt(const uint8_t* p) { return Bytes4{{p[0], p[1], p[2], p[3]}}; }

// Row y of a texture level as four floats a texel (the sampler's values, red first), made
// at most once a draw on this thread while the rows in use stay within 128 of each other;
// null for levels wider than 4,096 texels.
const float* floatRow(const SpanTexture& t, uint64_t draw, int y);

}  // namespace plat::gpu::shader
