// The shaders' span forms (the filter and blend functions): when a draw's state stores the
// pixel function's colours unchanged as bytes, a run's texture coordinates go to the span
// form, which reads the textures' bytes and gives the stored bytes for the whole run.
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gpu/raster_internal.h"
#include "platform/gpu/shaders/filter_span.h"

namespace plat::gpu {

namespace {

// Blending off, or ONE / ZERO on colour and alpha, every channel written.
bool storesSource(const BlendState* blend) {
  if (blend == nullptr) return true;
  const TargetBlend& t = blend->desc().target[0];
  if (t.writeMask != 15) return false;
  return !t.enable || (t.op == BlendOp::add && t.opAlpha == BlendOp::add && t.src == Blend::one &&
                       t.srcAlpha == Blend::one && t.dst == Blend::zero && t.dstAlpha == Blend::zero);
}

bool readsTexture(const ShaderEnv& env, const Texture& t) {
  for (int slot = 0; slot < 2; ++slot)
    if (env.views[slot] != nullptr && &env.views[slot]->texture() == &t) return true;
  return false;
}

// The varying at index k of pixels x..x+n-1 of row y, as the general span computes it for
// an affine primitive; 0 past what the vertex function writes.
void varyingRun(const Interpolator& I, int k, int x, int n, float dy, float* out) {
  if (k >= I.n) {
    for (int i = 0; i < n; ++i) out[i] = 0.0f;
    return;
  }
  const float a0 = I.a0[k], aA = I.aA[k], bdy = I.aB[k] * dy;
  if (aA == 0.0f) {  // one value along the row (up to the sign of a zero, which no read tells apart)
    const float v = (a0 + aA * ((float(x) + 0.5f) - I.x0)) + bdy;
    for (int i = 0; i < n; ++i) out[i] = v;
    return;
  }
  int i = 0;
#if defined(__SSE2__)
  const __m128 a0v = _mm_set1_ps(a0), aAv = _mm_set1_ps(aA), bdyv = _mm_set1_ps(bdy);
  const __m128 origin = _mm_set1_ps(I.x0), half = _mm_set1_ps(0.5f);
  const __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
  for (; i + 4 <= n; i += 4) {
    const __m128 px = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(x + i), steps));
    const __m128 dx = _mm_sub_ps(_mm_add_ps(px, half), origin);
    _mm_storeu_ps(out + i, _mm_add_ps(_mm_add_ps(a0v, _mm_mul_ps(aAv, dx)), bdyv));
  }
#endif
  for (; i < n; ++i) out[i] = (a0 + aA * ((float(x + i) + 0.5f) - I.x0)) + bdy;
}

}  // namespace

void chooseShaderSpan(const DrawState& s, DrawContext& c) {
  const ShaderEntry& ps = *s.ps.shader;
  if (ps.moreTargets != 0 || ps.writesDepth) return;
  const View* target = s.targets[0].get();
  if (target == nullptr) return;
  for (int i = 1; i < kMaxTargets; ++i)
    if (s.targets[i]) return;
  const Format tf = target->format();
  if (tf != Format::R8G8B8A8 && tf != Format::B8G8R8A8) return;
  if (s.depthView &&
      (!s.depthStencil || s.depthStencil->desc().depthEnable || s.depthStencil->desc().stencilEnable))
    return;
  if (s.alphaTest.enable && s.alphaTest.func != Compare::always) return;
  if (!storesSource(s.blend.get())) return;
  if (ps.spanReadsAround && readsTexture(*c.env, target->texture())) return;
  const int sub = target->subresource(0, 0);
  c.spanBase = target->texture().data(sub);
  c.spanPitch = target->texture().sub(sub).pitch;
  c.spanBgra = tf == Format::B8G8R8A8;
  c.span = ps.span;
}

SpanRow::SpanRow(const DrawContext& c, const Interpolator& I, int y) : y(y), dy(float(y) + 0.5f - I.y0) {
  PixelIn at{};
  at.interp = &I;
  for (int pair = 0; pair < 2; ++pair) {
    // The level of detail the sampler would be given for texture `pair` read through pair
    // `pair`: one value for an affine primitive. A pair whose texture is not bound is read
    // by no span form.
    const View* v = c.env->views[pair];
    bound[pair] = v != nullptr;
    if (v == nullptr) continue;
    const Subresource& s = v->texture().sub(v->subresource(0, 0));
    lod[pair] = textureLod(at, pair, float(s.width), float(s.height));
    if (!shader::spanTexture(*c.env, pair, lod[pair], texture[pair])) texture[pair].base = nullptr;
    in.lod[pair] = lod[pair];
    in.texture[pair] = &texture[pair];
  }
  in.draw = c.drawId;
  in.bgra = c.spanBgra && c.ps->spanBgra;
}

bool shadeRunBySpan(const DrawContext& c, const Interpolator& I, SpanRow& r, int x, int n) {
  if (I.perspective || n > kSpanRun) return false;
  float uv[4][kSpanRun];
  SpanIn& in = r.in;  // the run's own fields written over the last run's
  in.n = n;
  for (int pair = 0; pair < 2; ++pair) {
    if (!r.bound[pair]) continue;
    const int k = shader::texcoord(pair);
    // With no change down the primitive, a run's first coordinates depend on the row's
    // start alone: the texel-run check is then made once for all rows, and a function that
    // reads nothing else of them goes without them.
    in.u[pair] = uv[2 * pair];
    if (k < I.n && I.aB[k] == 0.0f) {
      SpanRunName& name = in.uRun[pair];
      name.named = true;
      std::memcpy(&name.a0, &I.a0[k], 4);
      std::memcpy(&name.aA, &I.aA[k], 4);
      std::memcpy(&name.x0, &I.x0, 4);
      name.x = x;
      if (!c.ps->spanReadsAround) in.u[pair] = nullptr;
    } else {
      in.uRun[pair].named = false;
    }
    if (in.u[pair] != nullptr) varyingRun(I, k, x, n, r.dy, uv[2 * pair]);
    const int kv = k + 1;
    in.vSame[pair] = kv >= I.n || I.aA[kv] == 0.0f;  // varyingRun's one value along the row
    varyingRun(I, kv, x, in.vSame[pair] && !c.ps->spanReadsAround ? 1 : n, r.dy, uv[2 * pair + 1]);
    in.v[pair] = uv[2 * pair + 1];
  }
  const int y = r.y;
  uint8_t* row = c.spanBase + size_t(y) * c.spanPitch + size_t(x) * 4;
  if (!c.spanBgra || in.bgra) return c.span(in, *c.env, *c.ps, row);
  uint8_t rgba[kSpanRun * 4];
  if (!c.span(in, *c.env, *c.ps, rgba)) return false;
  shader::runBytes(rgba, 1, n, row);  // red and blue trade places either way
  return true;
}

}  // namespace plat::gpu
