// The texture sampler of the software GPU: point and bilinear filters, mip selection from
// a level of detail the caller supplies, LOD bias and limits, five address modes with a
// border colour, cube maps by major axis and comparison sampling.
#pragma once
#include <cfloat>
#include <vector>

#include "platform/gpu/resource.h"

namespace plat::gpu {

// Comparison functions of depth tests, alpha tests and comparison samplers: the first
// operand is the new value (or the reference), the second the stored one.
enum class Compare : uint8_t { never, less, equal, lessEqual, greater, notEqual, greaterEqual, always };

template <class T>
inline bool compare(Compare f, T a, T b) {
  switch (f) {
    case Compare::never: return false;
    case Compare::less: return a < b;
    case Compare::equal: return a == b;
    case Compare::lessEqual: return a <= b;
    case Compare::greater: return a > b;
    case Compare::notEqual: return a != b;
    case Compare::greaterEqual: return a >= b;
    case Compare::always: return true;
  }
  return false;
}

// Floor of a texel coordinate as an integer, with NaN as 0 and far values held where the
// address arithmetic cannot overflow.
inline int sampleFloor(float x) {
  if (!(x == x)) return 0;
  if (x < -1073741824.0f) return -1073741824;
  if (x > 1073741824.0f) return 1073741824;
  const int i = int(x);  // truncates towards zero
  return float(i) > x ? i - 1 : i;
}

// The share of the second texel in steps of 1/256, rounded: a coordinate a hair either
// side of a texel centre reads that texel alone, so a pixel centre laid on a texel centre
// through float arithmetic reads exactly that texel. Far-off coordinates held by
// sampleFloor leave fractions outside 0..1, hence the bounds before converting.
inline int sampleWeight256(float frac) {
  if (!(frac > 0.0f)) return 0;
  if (frac >= 1.0f) return 256;
  return int(frac * 256.0f + 0.5f);
}

enum class Filter : uint8_t { point, linear };
enum class MipFilter : uint8_t { none, point, linear };
enum class Address : uint8_t { wrap, mirror, clamp, border, mirrorOnce };

struct SamplerDesc {
  Filter minFilter = Filter::point, magFilter = Filter::point;
  MipFilter mipFilter = MipFilter::point;
  bool anisotropic = false;  // sampled as bilinear with linear mips
  int maxAnisotropy = 1;     // 1..16; kept for the faces, no effect on samples
  bool comparison = false;   // sampleCompare filters pass/fail results instead of texels
  Compare compareFunc = Compare::never;
  Address addressU = Address::clamp, addressV = Address::clamp, addressW = Address::clamp;
  float mipLodBias = 0.0f;
  Float4 border{0.0f, 0.0f, 0.0f, 0.0f};
  float minLod = -FLT_MAX, maxLod = FLT_MAX;
};

class SamplerState final : public Object {
 public:
  const SamplerDesc& desc() const { return desc_; }

 private:
  friend Status createSamplerState(const SamplerDesc&, Ref<SamplerState>&);
  explicit SamplerState(const SamplerDesc& d) : desc_(d) {}
  SamplerDesc desc_;
};

// Refuses an anisotropy outside 1..16 and a minimum LOD above the maximum.
Status createSamplerState(const SamplerDesc& desc, Ref<SamplerState>& out);

// One sampler description bound to one shader-resource view: everything that does not
// change per sample (levels, format, address modes) is settled by bind. The view must
// outlive the binding. Unbound, every sample is (0, 0, 0, 0).
class TextureSampler {
 public:
  // False (and unbound) when the view is missing or not a shader-resource view.
  bool bind(const SamplerDesc& desc, const View* view);
  // Texel centres lie at (i + 0.5) / size. lod is log2 of texels per pixel, before bias.
  Float4 sample(float u, float v, float lod) const;
  // A direction picks a cube face by its major axis (ties: x before y before z). Faces
  // clamp at their edges. A view that is not a cube samples as (0, 0, 0, 0).
  Float4 sampleCube(float x, float y, float z, float lod) const;
  // Each tap gives 1 where compare(reference, texel red) holds, else 0; taps are filtered.
  float sampleCompare(float u, float v, float lod, float reference) const;

  // Whole-texel reads and sizes, for programs that address texels themselves: a texel
  // outside the level (or a level outside the view) reads as zeros.
  Float4 texel(int x, int y, int level) const;
  int levels() const { return levelCount_; }
  bool levelSize(int level, int& width, int& height) const;

  // The cube face (0..5: +X, -X, +Y, -Y, +Z, -Z) and face coordinates of a direction.
  static int cubeFace(float x, float y, float z, float& u, float& v);

  struct Level {
    const uint8_t* base;
    size_t pitch;
    int width, height;
    float fwidth, fheight;
  };

 private:
  enum class Fetch : uint8_t { rgba8, bgra8, bgrx8, any };
  template <bool Cmp>
  Float4 dispatch(int face, float u, float v, float lod, Address au, Address av, float ref) const;
  template <bool Cmp, class F>
  Float4 sampleFace(int face, float u, float v, float lod, Address au, Address av, float ref) const;
  template <bool Cmp, class F>
  Float4 filter2D(const Level& level, float u, float v, Filter f, Address au, Address av, float ref) const;

  std::vector<Level> levels_;  // face-major: face x levelCount_ + level
  int levelCount_ = 0;
  Format format_ = Format::Unknown;
  Fetch fetch_ = Fetch::any;
  SamplerDesc desc_;
};

}  // namespace plat::gpu
