// The output merger's per-span work. prepare() picks, once per state change, the depth
// routine for the buffer format and test function, the alpha-test routine, and for each
// target its load/store routines and the factor and operation routines of its blend
// equation, so that the loops over pixels carry no per-pixel decisions.
#include "platform/gpu/output_merger.h"

#include <cstring>
#include <string>

#include "platform/gpu/journal.h"

namespace plat::gpu {

namespace {

constexpr int kRun = 64;  // pixels per step

using ColourFactorFn = void (*)(const Float4* s, const Float4* d, const Float4& k, Float4* f, int n);
using AlphaFactorFn = void (*)(const Float4* s, const Float4* d, const Float4& k, float* f, int n);
using ColourOpFn = void (*)(const Float4* s, const Float4* sf, const Float4* d, const Float4* df, Float4* out, int n);
using AlphaOpFn = void (*)(const Float4* s, const float* sf, const Float4* d, const float* df, Float4* out, int n);
using DepthFn = void (*)(uint8_t* row, const float* depth, uint8_t* alive, int n);
using AlphaTestFn = void (*)(const Float4* colour, uint8_t* alive, int n, int reference);

inline float minf(float a, float b) { return a < b ? a : b; }
inline float maxf(float a, float b) { return a > b ? a : b; }

template <Blend B>
void colourFactor(const Float4* s, const Float4* d, const Float4& k, Float4* f, int n) {
  for (int i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c) {
      float v;
      if constexpr (B == Blend::zero) v = 0.0f;
      else if constexpr (B == Blend::one) v = 1.0f;
      else if constexpr (B == Blend::srcColor) v = s[i][c];
      else if constexpr (B == Blend::invSrcColor) v = 1.0f - s[i][c];
      else if constexpr (B == Blend::srcAlpha) v = s[i][3];
      else if constexpr (B == Blend::invSrcAlpha) v = 1.0f - s[i][3];
      else if constexpr (B == Blend::destAlpha) v = d[i][3];
      else if constexpr (B == Blend::invDestAlpha) v = 1.0f - d[i][3];
      else if constexpr (B == Blend::destColor) v = d[i][c];
      else if constexpr (B == Blend::invDestColor) v = 1.0f - d[i][c];
      else if constexpr (B == Blend::srcAlphaSat) v = minf(s[i][3], 1.0f - d[i][3]);
      else if constexpr (B == Blend::blendFactor) v = k[c];
      else v = 1.0f - k[c];
      f[i][c] = v;
    }
  }
}

// Alpha factors: the colour kinds act on alpha, and the saturated source alpha is 1.
template <Blend B>
void alphaFactor(const Float4* s, const Float4* d, const Float4& k, float* f, int n) {
  for (int i = 0; i < n; ++i) {
    float v;
    if constexpr (B == Blend::zero) v = 0.0f;
    else if constexpr (B == Blend::one || B == Blend::srcAlphaSat) v = 1.0f;
    else if constexpr (B == Blend::srcColor || B == Blend::srcAlpha) v = s[i][3];
    else if constexpr (B == Blend::invSrcColor || B == Blend::invSrcAlpha) v = 1.0f - s[i][3];
    else if constexpr (B == Blend::destColor || B == Blend::destAlpha) v = d[i][3];
    else if constexpr (B == Blend::invDestColor || B == Blend::invDestAlpha) v = 1.0f - d[i][3];
    else if constexpr (B == Blend::blendFactor) v = k[3];
    else v = 1.0f - k[3];
    f[i] = v;
  }
}

template <BlendOp O>
inline float combine(float s, float sf, float d, float df) {
  if constexpr (O == BlendOp::add) return s * sf + d * df;
  else if constexpr (O == BlendOp::subtract) return s * sf - d * df;
  else if constexpr (O == BlendOp::revSubtract) return d * df - s * sf;
  else if constexpr (O == BlendOp::min) return minf(s, d);  // factors do not apply
  else return maxf(s, d);
}

template <BlendOp O>
void colourOp(const Float4* s, const Float4* sf, const Float4* d, const Float4* df, Float4* out, int n) {
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) out[i][c] = combine<O>(s[i][c], sf[i][c], d[i][c], df[i][c]);
}

template <BlendOp O>
void alphaOp(const Float4* s, const float* sf, const Float4* d, const float* df, Float4* out, int n) {
  for (int i = 0; i < n; ++i) out[i][3] = combine<O>(s[i][3], sf[i], d[i][3], df[i]);
}

constexpr ColourFactorFn kColourFactor[] = {
    colourFactor<Blend::zero>,         colourFactor<Blend::one>,          colourFactor<Blend::srcColor>,
    colourFactor<Blend::invSrcColor>,  colourFactor<Blend::srcAlpha>,     colourFactor<Blend::invSrcAlpha>,
    colourFactor<Blend::destAlpha>,    colourFactor<Blend::invDestAlpha>, colourFactor<Blend::destColor>,
    colourFactor<Blend::invDestColor>, colourFactor<Blend::srcAlphaSat>,  colourFactor<Blend::blendFactor>,
    colourFactor<Blend::invBlendFactor>};
constexpr AlphaFactorFn kAlphaFactor[] = {
    alphaFactor<Blend::zero>,         alphaFactor<Blend::one>,          alphaFactor<Blend::srcColor>,
    alphaFactor<Blend::invSrcColor>,  alphaFactor<Blend::srcAlpha>,     alphaFactor<Blend::invSrcAlpha>,
    alphaFactor<Blend::destAlpha>,    alphaFactor<Blend::invDestAlpha>, alphaFactor<Blend::destColor>,
    alphaFactor<Blend::invDestColor>, alphaFactor<Blend::srcAlphaSat>,  alphaFactor<Blend::blendFactor>,
    alphaFactor<Blend::invBlendFactor>};
constexpr ColourOpFn kColourOp[] = {colourOp<BlendOp::add>, colourOp<BlendOp::subtract>,
                                    colourOp<BlendOp::revSubtract>, colourOp<BlendOp::min>, colourOp<BlendOp::max>};
constexpr AlphaOpFn kAlphaOp[] = {alphaOp<BlendOp::add>, alphaOp<BlendOp::subtract>, alphaOp<BlendOp::revSubtract>,
                                  alphaOp<BlendOp::min>, alphaOp<BlendOp::max>};

// Incoming depth is first stored by the buffer's rule, then compared with the stored value.
template <Format F, Compare C, bool Write>
void depthTest(uint8_t* row, const float* depth, uint8_t* alive, int n) {
  for (int i = 0; i < n; ++i) {
    if (!alive[i]) continue;
    uint8_t* p = row + size_t(i) * (F == Format::D16 ? 2 : 4);
    bool pass;
    if constexpr (F == Format::D16) {
      uint16_t stored;
      std::memcpy(&stored, p, 2);
      const auto q = uint16_t(floatToUnorm(depth[i], 16));
      pass = compare(C, q, stored);
      if (Write && pass) std::memcpy(p, &q, 2);
    } else if constexpr (F == Format::D24S8) {
      uint32_t word;
      std::memcpy(&word, p, 4);
      const uint32_t q = floatToUnorm(depth[i], 24);
      pass = compare(C, q, word & 0xFFFFFFu);
      if (Write && pass) {
        word = (word & 0xFF000000u) | q;
        std::memcpy(p, &word, 4);
      }
    } else {
      float stored;
      std::memcpy(&stored, p, 4);
      pass = compare(C, depth[i], stored);
      if (Write && pass) std::memcpy(p, &depth[i], 4);
    }
    alive[i] = pass;
  }
}

template <Format F, bool Write>
DepthFn depthFor(Compare c) {
  switch (c) {
    case Compare::never: return depthTest<F, Compare::never, Write>;
    case Compare::less: return depthTest<F, Compare::less, Write>;
    case Compare::equal: return depthTest<F, Compare::equal, Write>;
    case Compare::lessEqual: return depthTest<F, Compare::lessEqual, Write>;
    case Compare::greater: return depthTest<F, Compare::greater, Write>;
    case Compare::notEqual: return depthTest<F, Compare::notEqual, Write>;
    case Compare::greaterEqual: return depthTest<F, Compare::greaterEqual, Write>;
    case Compare::always: return depthTest<F, Compare::always, Write>;
  }
  return nullptr;
}

template <Format F>
DepthFn depthFor(Compare c, bool write) {
  return write ? depthFor<F, true>(c) : depthFor<F, false>(c);
}

template <Compare C>
void alphaTest(const Float4* colour, uint8_t* alive, int n, int reference) {
  for (int i = 0; i < n; ++i)
    if (alive[i]) alive[i] = compare(C, int(floatToUnorm(colour[i][3], 8)), reference);
}

AlphaTestFn alphaFor(Compare c) {
  switch (c) {
    case Compare::never: return alphaTest<Compare::never>;
    case Compare::less: return alphaTest<Compare::less>;
    case Compare::equal: return alphaTest<Compare::equal>;
    case Compare::lessEqual: return alphaTest<Compare::lessEqual>;
    case Compare::greater: return alphaTest<Compare::greater>;
    case Compare::notEqual: return alphaTest<Compare::notEqual>;
    case Compare::greaterEqual: return alphaTest<Compare::greaterEqual>;
    case Compare::always: return alphaTest<Compare::always>;
  }
  return nullptr;
}

inline float saturate(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

}  // namespace

struct OutputMerger::Plan {
  struct Target {
    uint8_t* base = nullptr;
    size_t pitch = 0, bytes = 0, plane = 0;
    LoadRowFn load = nullptr;
    StoreRowFn store = nullptr;
    bool unorm = false, blend = false, needDst = false;
    uint8_t mask = 0;
    Float4 factor{};
    ColourFactorFn srcC = nullptr, dstC = nullptr;
    AlphaFactorFn srcA = nullptr, dstA = nullptr;
    ColourOpFn opC = nullptr;
    AlphaOpFn opA = nullptr;
  };
  bool ready = false;
  Target target[kMaxTargets];
  int targetCount = 0;
  DepthFn depth = nullptr;
  uint8_t* depthBase = nullptr;
  size_t depthPitch = 0, depthBytes = 0, depthPlane = 0;
  AlphaTestFn alpha = nullptr;
  int alphaRef = 0;
};

Status createBlendState(const BlendDesc& desc, Ref<BlendState>& out) {
  if (!journalCall("CreateBlendState", [] { return std::string(); })) return Status::injectedFailure;
  if (desc.alphaToCoverage || desc.independentBlend) return Status::invalidArgument;
  for (const TargetBlend& t : desc.target) {
    for (Blend b : {t.src, t.dst, t.srcAlpha, t.dstAlpha})
      if (static_cast<unsigned>(b) > static_cast<unsigned>(Blend::invBlendFactor)) return Status::invalidArgument;
    for (BlendOp o : {t.op, t.opAlpha})
      if (static_cast<unsigned>(o) > static_cast<unsigned>(BlendOp::max)) return Status::invalidArgument;
    if (t.writeMask > 15) return Status::invalidArgument;
  }
  out = Ref<BlendState>::adopt(new BlendState(desc));
  return Status::ok;
}

Status createDepthStencilState(const DepthStencilDesc& desc, Ref<DepthStencilState>& out) {
  if (!journalCall("CreateDepthStencilState", [] { return std::string(); })) return Status::injectedFailure;
  if (desc.stencilEnable) return Status::invalidArgument;  // stencil is stored, never tested
  if (static_cast<unsigned>(desc.depthFunc) > static_cast<unsigned>(Compare::always)) return Status::invalidArgument;
  out = Ref<DepthStencilState>::adopt(new DepthStencilState(desc));
  return Status::ok;
}

OutputMerger::OutputMerger() : plan_(new Plan) {}
OutputMerger::~OutputMerger() { delete plan_; }

void OutputMerger::setTargets(View* const* targets, int count, View* depth) {
  for (int i = 0; i < kMaxTargets; ++i) targets_[i] = Ref<View>(i < count && targets ? targets[i] : nullptr);
  depth_ = Ref<View>(depth);
  plan_->ready = false;
}

void OutputMerger::setBlend(const BlendState* state, const Float4& factor) {
  blend_ = state ? state->desc() : BlendDesc{};
  factor_ = factor;
  plan_->ready = false;
}

void OutputMerger::setDepthStencil(const DepthStencilState* state) {
  depthState_ = state ? state->desc() : DepthStencilDesc{};
  plan_->ready = false;
}

void OutputMerger::setAlphaTest(const AlphaTest& test) {
  alphaTest_ = test;
  plan_->ready = false;
}

Status OutputMerger::prepare() {
  Plan p;
  width_ = height_ = 0;
  samples_ = 1;
  auto refuse = [&](Status s) {
    *plan_ = Plan{};
    width_ = height_ = 0;
    samples_ = 1;
    return s;
  };
  auto takeSize = [&](const Subresource& s, int samples) {
    if (width_ == 0 && height_ == 0) {
      width_ = s.width;
      height_ = s.height;
      samples_ = samples;
      return true;
    }
    return s.width == width_ && s.height == height_ && samples == samples_;
  };
  const TargetBlend& tb = blend_.target[0];
  for (int i = 0; i < kMaxTargets; ++i) {
    View* v = targets_[i].get();
    if (!v) continue;
    if (v->desc().kind != ViewKind::renderTarget) return refuse(Status::invalidArgument);
    const int sub = v->subresource(0, 0);
    const Subresource& s = v->texture().sub(sub);
    if (!takeSize(s, v->texture().samples())) return refuse(Status::invalidArgument);
    const FormatInfo& info = formatInfo(v->format());
    Plan::Target& t = p.target[i];
    t.base = v->texture().data(sub);
    t.pitch = s.pitch;
    t.plane = s.size;
    t.bytes = info.bytes;
    t.load = info.loadRow;
    t.store = info.storeRow;
    t.unorm = info.kind == FormatKind::Unorm;
    t.mask = tb.writeMask;
    t.blend = tb.enable;
    t.needDst = tb.enable || tb.writeMask != 15;
    t.factor = factor_;
    if (t.unorm)
      for (int c = 0; c < 4; ++c) t.factor[c] = saturate(factor_[c]);
    t.srcC = kColourFactor[int(tb.src)];
    t.dstC = kColourFactor[int(tb.dst)];
    t.srcA = kAlphaFactor[int(tb.srcAlpha)];
    t.dstA = kAlphaFactor[int(tb.dstAlpha)];
    t.opC = kColourOp[int(tb.op)];
    t.opA = kAlphaOp[int(tb.opAlpha)];
    p.targetCount = i + 1;
  }
  if (View* d = depth_.get()) {
    if (d->desc().kind != ViewKind::depthStencil) return refuse(Status::invalidArgument);
    const int sub = d->subresource(0, 0);
    const Subresource& s = d->texture().sub(sub);
    // A depth buffer may be larger than the targets it serves (a power-of-two one behind a
    // screen-sized target): the targets' top-left part is what the draw reads and writes.
    const bool fits = p.targetCount == 0 ? takeSize(s, d->texture().samples())
                                         : s.width >= width_ && s.height >= height_ && d->texture().samples() == samples_;
    if (!fits) return refuse(Status::invalidArgument);
    if (depthState_.depthEnable) {
      const bool write = depthState_.depthWrite;
      switch (d->format()) {
        case Format::D16: p.depth = depthFor<Format::D16>(depthState_.depthFunc, write); break;
        case Format::D24S8: p.depth = depthFor<Format::D24S8>(depthState_.depthFunc, write); break;
        case Format::D32F: p.depth = depthFor<Format::D32F>(depthState_.depthFunc, write); break;
        default: return refuse(Status::unsupported);
      }
      p.depthBase = d->texture().data(sub);
      p.depthPitch = s.pitch;
      p.depthPlane = s.size;
      p.depthBytes = formatInfo(d->format()).bytes;
    }
  }
  if (alphaTest_.enable) {
    p.alpha = alphaFor(alphaTest_.func);
    p.alphaRef = alphaTest_.reference;
  }
  p.ready = true;
  *plan_ = p;
  return Status::ok;
}

namespace {

// One run into sample plane `sample` of the plan's targets (0 for single-sample ones);
// inlined so that the single-sample merge stays one function.
[[gnu::always_inline]] inline void mergeRun(const OutputMerger::Plan& p, int width, int height, int x, int y, int count,
              const Float4* const* colour, const float* depth, uint8_t* mask, int sample) {
  const int width_ = width, height_ = height;
  if (!p.ready || y < 0 || y >= height_ || count <= 0) {
    if (mask && count > 0) std::memset(mask, 0, size_t(count));
    return;
  }
  // Clip the run to the targets; clipped pixels count as failed.
  const int64_t first = x < 0 ? -int64_t(x) : 0;
  const int64_t last = int64_t(width_) - x < count ? int64_t(width_) - x : count;
  if (last <= first) {
    if (mask) std::memset(mask, 0, size_t(count));
    return;
  }
  if (mask) {
    std::memset(mask, 0, size_t(first));
    std::memset(mask + last, 0, size_t(count - last));
  }
  const int skip = int(first), n = int(last - first);
  x += skip;

  uint8_t alive[kRun];
  Float4 src[kRun], dst[kRun], out[kRun], sf[kRun], df[kRun];
  float saf[kRun], daf[kRun];
  for (int done = 0; done < n; done += kRun) {
    const int m = n - done < kRun ? n - done : kRun;
    const int at = skip + done;  // index into the caller's arrays
    const int px = x + done;
    if (mask) std::memcpy(alive, mask + at, size_t(m));
    else std::memset(alive, 1, size_t(m));
    if (p.alpha && colour && colour[0]) p.alpha(colour[0] + at, alive, m, p.alphaRef);
    if (p.depth && depth)
      p.depth(p.depthBase + size_t(sample) * p.depthPlane + size_t(y) * p.depthPitch + size_t(px) * p.depthBytes,
              depth + at, alive, m);
    for (int i = 0; i < p.targetCount && colour; ++i) {
      const OutputMerger::Plan::Target& t = p.target[i];
      if (!t.base || !colour[i] || t.mask == 0) continue;
      uint8_t* row = t.base + size_t(sample) * t.plane + size_t(y) * t.pitch + size_t(px) * t.bytes;
      const Float4* s = colour[i] + at;
      if (t.unorm) {  // UNORM targets see their source saturated
        for (int k = 0; k < m; ++k)
          for (int c = 0; c < 4; ++c) src[k][c] = saturate(s[k][c]);
        s = src;
      }
      const Float4* result = s;
      if (t.needDst) {
        t.load(row, dst, m);
        if (t.blend) {
          t.srcC(s, dst, t.factor, sf, m);
          t.dstC(s, dst, t.factor, df, m);
          t.srcA(s, dst, t.factor, saf, m);
          t.dstA(s, dst, t.factor, daf, m);
          t.opC(s, sf, dst, df, out, m);
          t.opA(s, saf, dst, daf, out, m);
        } else {
          std::memcpy(out, s, sizeof(Float4) * size_t(m));
        }
        if (t.mask != 15)
          for (int k = 0; k < m; ++k)
            for (int c = 0; c < 4; ++c)
              if (!(t.mask & (1 << c))) out[k][c] = dst[k][c];
        result = out;
      }
      // Store each run of surviving pixels.
      for (int k = 0; k < m;) {
        if (!alive[k]) {
          ++k;
          continue;
        }
        int e = k + 1;
        while (e < m && alive[e]) ++e;
        t.store(result + k, row + size_t(k) * t.bytes, e - k);
        k = e;
      }
    }
    if (mask) std::memcpy(mask + at, alive, size_t(m));
  }
}

}  // namespace

void OutputMerger::mergeSpan(int x, int y, int count, const Float4* const* colour, const float* depth,
                             uint8_t* mask) {
  if (samples_ == 1) {
    mergeRun(*plan_, width_, height_, x, y, count, colour, depth, mask, 0);
    return;
  }
  // Each sample starts from the incoming coverage; the pixel lives when one sample does.
  uint8_t in[kRun], alive[kRun];
  for (int done = 0; done < count; done += kRun) {
    const int m = count - done < kRun ? count - done : kRun;
    uint8_t* out = mask ? mask + done : nullptr;
    if (out) std::memcpy(in, out, size_t(m));
    else std::memset(in, 1, size_t(m));
    const Float4* part[kMaxTargets] = {};
    for (int i = 0; i < kMaxTargets && colour; ++i) part[i] = colour[i] ? colour[i] + done : nullptr;
    uint8_t any[kRun] = {};
    for (int s = 0; s < samples_; ++s) {
      std::memcpy(alive, in, size_t(m));
      mergeRun(*plan_, width_, height_, x + done, y, m, colour ? part : nullptr, depth ? depth + done : nullptr, alive,
               s);
      for (int k = 0; k < m; ++k) any[k] |= alive[k];
    }
    if (out) std::memcpy(out, any, size_t(m));
  }
}

void OutputMerger::mergeSample(int x, int y, int count, const Float4* const* colour, const float* depth, uint8_t* mask,
                               int sample) {
  if (sample < 0 || sample >= samples_) {
    if (count > 0) std::memset(mask, 0, size_t(count));
    return;
  }
  mergeRun(*plan_, width_, height_, x, y, count, colour, depth, mask, sample);
}

}  // namespace plat::gpu
