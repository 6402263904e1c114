// The output merger of the software GPU: an alpha-test hook, the depth test on D16, D24S8
// and D32F, blending with separate colour and alpha equations, and per-target write masks,
// over up to eight render targets that share one blend description.
#pragma once
#include "platform/gpu/resource.h"
#include "platform/gpu/sampler.h"

namespace plat::gpu {

inline constexpr int kMaxTargets = 8;

enum class Blend : uint8_t {
  zero,
  one,
  srcColor,
  invSrcColor,
  srcAlpha,
  invSrcAlpha,
  destAlpha,
  invDestAlpha,
  destColor,
  invDestColor,
  srcAlphaSat,
  blendFactor,
  invBlendFactor,
};
enum class BlendOp : uint8_t { add, subtract, revSubtract, min, max };

struct TargetBlend {
  bool enable = false;
  Blend src = Blend::one, dst = Blend::zero;
  BlendOp op = BlendOp::add;
  Blend srcAlpha = Blend::one, dstAlpha = Blend::zero;
  BlendOp opAlpha = BlendOp::add;
  uint8_t writeMask = 15;  // 1 red, 2 green, 4 blue, 8 alpha
};

struct BlendDesc {
  bool alphaToCoverage = false;
  bool independentBlend = false;
  TargetBlend target[kMaxTargets];  // only the first is used: one description for all
};

enum class StencilOp : uint8_t { keep, zero, replace, incrSat, decrSat, invert, incr, decr };

struct StencilFace {
  StencilOp fail = StencilOp::keep, depthFail = StencilOp::keep, pass = StencilOp::keep;
  Compare func = Compare::always;
};

struct DepthStencilDesc {
  bool depthEnable = true;
  bool depthWrite = true;
  Compare depthFunc = Compare::less;
  bool stencilEnable = false;
  uint8_t stencilReadMask = 0xFF, stencilWriteMask = 0xFF;
  StencilFace front, back;
};

class BlendState final : public Object {
 public:
  const BlendDesc& desc() const { return desc_; }

 private:
  friend Status createBlendState(const BlendDesc&, Ref<BlendState>&);
  explicit BlendState(const BlendDesc& d) : desc_(d) {}
  BlendDesc desc_;
};

class DepthStencilState final : public Object {
 public:
  const DepthStencilDesc& desc() const { return desc_; }

 private:
  friend Status createDepthStencilState(const DepthStencilDesc&, Ref<DepthStencilState>&);
  explicit DepthStencilState(const DepthStencilDesc& d) : desc_(d) {}
  DepthStencilDesc desc_;
};

// Alpha to coverage and independent blending are refused (every target shares one
// description).
Status createBlendState(const BlendDesc& desc, Ref<BlendState>& out);
// Stencil is stored but never tested: a state that enables the stencil test is refused.
Status createDepthStencilState(const DepthStencilDesc& desc, Ref<DepthStencilState>& out);

// The alpha-test hook: a pixel passes when compare(func, alpha as a byte, reference) holds,
// the byte being the alpha stored by the UNORM rule.
struct AlphaTest {
  bool enable = false;
  Compare func = Compare::always;
  int reference = 0;
};

class OutputMerger {
 public:
  OutputMerger();
  ~OutputMerger();
  OutputMerger(const OutputMerger&) = delete;
  OutputMerger& operator=(const OutputMerger&) = delete;

  // Holds a reference to each bound view. Null entries leave a slot empty.
  void setTargets(View* const* targets, int count, View* depth);
  // Null: no blending, write mask 15.
  void setBlend(const BlendState* state, const Float4& factor);
  // Null: depth test on with writes and LESS.
  void setDepthStencil(const DepthStencilState* state);
  void setAlphaTest(const AlphaTest& test);

  // Settles formats and routines for the bound state; run after any change and before
  // merging. Refuses views of the wrong kind and targets of differing sizes or sample
  // counts.
  Status prepare();
  int width() const { return width_; }
  int height() const { return height_; }
  int samples() const { return samples_; }

  // One run of `count` pixels from (x, y), clipped to the targets. colour[t] holds the
  // colours for target t (a null entry leaves that target alone); depth holds one depth per
  // pixel (unused without a depth buffer or with the test off). mask, when given, marks the
  // covered pixels on entry and keeps only those that passed the tests.
  // On multisampled targets every sample of each pixel takes the pixel's colour and depth,
  // and a pixel survives when any of its samples does.
  void mergeSpan(int x, int y, int count, const Float4* const* colour, const float* depth, uint8_t* mask);
  // The same run into one sample of multisampled targets: depth holds that sample's depths,
  // mask (required) the pixels whose sample is covered.
  void mergeSample(int x, int y, int count, const Float4* const* colour, const float* depth, uint8_t* mask,
                   int sample);

  struct Plan;

 private:
  Ref<View> targets_[kMaxTargets];
  Ref<View> depth_;
  BlendDesc blend_;
  Float4 factor_{0.0f, 0.0f, 0.0f, 0.0f};
  DepthStencilDesc depthState_;
  AlphaTest alphaTest_;
  Plan* plan_ = nullptr;
  int width_ = 0, height_ = 0, samples_ = 1;
};

}  // namespace plat::gpu
