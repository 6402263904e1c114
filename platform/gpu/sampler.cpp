// Sampling: the format's texel fetch is chosen at bind time; per sample only the
// coordinates, the address modes and the level choice are worked out.
#include "platform/gpu/sampler.h"

#include <cmath>

#include "platform/gpu/journal.h"

namespace plat::gpu {

namespace {

// Texel fetches by format, inlined into the filters: the common 8-bit layouts read bytes
// through the UNORM table, everything else goes through the format's row routine.
struct FetchRGBA8 {
  static Float4 get(Format, const uint8_t* base, size_t pitch, int x, int y) {
    const uint8_t* p = base + size_t(y) * pitch + size_t(x) * 4;
    return Float4{kUnorm8[p[0]], kUnorm8[p[1]], kUnorm8[p[2]], kUnorm8[p[3]]};
  }
};
struct FetchBGRA8 {
  static Float4 get(Format, const uint8_t* base, size_t pitch, int x, int y) {
    const uint8_t* p = base + size_t(y) * pitch + size_t(x) * 4;
    return Float4{kUnorm8[p[2]], kUnorm8[p[1]], kUnorm8[p[0]], kUnorm8[p[3]]};
  }
};
struct FetchBGRX8 {
  static Float4 get(Format, const uint8_t* base, size_t pitch, int x, int y) {
    const uint8_t* p = base + size_t(y) * pitch + size_t(x) * 4;
    return Float4{kUnorm8[p[2]], kUnorm8[p[1]], kUnorm8[p[0]], 1.0f};
  }
};
struct FetchAny {
  static Float4 get(Format f, const uint8_t* base, size_t pitch, int x, int y) { return loadTexel(f, base, pitch, x, y); }
};

// A texel index inside 0..n-1 by the address mode; -1 for a border texel.
inline int address(Address mode, int i, int n) {
  if (i >= 0 && i < n) return i;
  switch (mode) {
    case Address::wrap: {
      const int m = i % n;
      return m < 0 ? m + n : m;
    }
    case Address::mirror: {
      const int64_t p = int64_t(2) * n;
      int64_t m = i % p;
      if (m < 0) m += p;
      return int(m < n ? m : p - 1 - m);
    }
    case Address::clamp: return i < 0 ? 0 : n - 1;
    case Address::border: return -1;
    case Address::mirrorOnce: {
      const int64_t j = i < 0 ? -1 - int64_t(i) : i;
      return int(j < n ? j : n - 1);
    }
  }
  return 0;
}

}  // namespace

Status createSamplerState(const SamplerDesc& desc, Ref<SamplerState>& out) {
  if (!journalCall("CreateSamplerState", [] { return std::string(); })) return Status::injectedFailure;
  if (desc.maxAnisotropy < 1 || desc.maxAnisotropy > 16) return Status::invalidArgument;
  if (!(desc.minLod <= desc.maxLod)) return Status::invalidArgument;
  out = Ref<SamplerState>::adopt(new SamplerState(desc));
  return Status::ok;
}

bool TextureSampler::bind(const SamplerDesc& desc, const View* view) {
  levels_.clear();
  levelCount_ = 0;
  fetch_ = Fetch::any;
  desc_ = desc;
  if (desc_.anisotropic) {
    desc_.minFilter = desc_.magFilter = Filter::linear;
    desc_.mipFilter = MipFilter::linear;
  }
  if (!view || view->desc().kind != ViewKind::shaderResource) return false;
  const ViewDesc& vd = view->desc();
  format_ = readFormat(vd.format);
  switch (format_) {
    case Format::R8G8B8A8: fetch_ = Fetch::rgba8; break;
    case Format::B8G8R8A8: fetch_ = Fetch::bgra8; break;
    case Format::B8G8R8X8: fetch_ = Fetch::bgrx8; break;
    default: fetch_ = Fetch::any; break;
  }
  levelCount_ = vd.levelCount;
  const int faces = vd.cube ? 6 : 1;
  Texture& t = view->texture();
  for (int face = 0; face < faces; ++face) {
    for (int level = 0; level < levelCount_; ++level) {
      const int sub = view->subresource(level, face);
      const Subresource& s = t.sub(sub);
      levels_.push_back(Level{t.data(sub), s.pitch, s.width, s.height, float(s.width), float(s.height)});
    }
  }
  return true;
}

template <bool Cmp, class F>
Float4 TextureSampler::filter2D(const Level& l, float u, float v, Filter f, Address au, Address av, float ref) const {
  auto tap = [&](int x, int y) -> Float4 {
    if (x < 0 || y < 0) return Cmp ? Float4{compare(desc_.compareFunc, ref, desc_.border[0]) ? 1.0f : 0.0f} : desc_.border;
    const Float4 t = F::get(format_, l.base, l.pitch, x, y);
    if (Cmp) return Float4{compare(desc_.compareFunc, ref, t[0]) ? 1.0f : 0.0f, 0.0f, 0.0f, 0.0f};
    return t;
  };
  if (f == Filter::point) {
    return tap(address(au, sampleFloor(u * l.fwidth), l.width), address(av, sampleFloor(v * l.fheight), l.height));
  }
  const float x = u * l.fwidth - 0.5f, y = v * l.fheight - 0.5f;
  const int x0 = sampleFloor(x), y0 = sampleFloor(y);
  const int wx = sampleWeight256(x - float(x0)), wy = sampleWeight256(y - float(y0));
  const int ax = address(au, x0, l.width), bx = address(au, x0 + 1, l.width);
  const int ay = address(av, y0, l.height), by = address(av, y0 + 1, l.height);
  return bilerp(tap(ax, ay), tap(bx, ay), tap(ax, by), tap(bx, by), wx, wy);
}

template <bool Cmp, class F>
Float4 TextureSampler::sampleFace(int face, float u, float v, float lod, Address au, Address av, float ref) const {
  if (levelCount_ == 0) return Float4{0.0f, 0.0f, 0.0f, 0.0f};
  float l = lod + desc_.mipLodBias;
  if (!(l == l)) l = 0.0f;
  if (l < desc_.minLod) l = desc_.minLod;
  if (l > desc_.maxLod) l = desc_.maxLod;
  const Level* levels = levels_.data() + size_t(face) * size_t(levelCount_);
  const int last = levelCount_ - 1;
  if (l <= 0.0f || desc_.mipFilter == MipFilter::none) {
    const Filter f = l <= 0.0f ? desc_.magFilter : desc_.minFilter;
    return filter2D<Cmp, F>(levels[0], u, v, f, au, av, ref);
  }
  if (l > 64.0f) l = 64.0f;
  if (desc_.mipFilter == MipFilter::point) {
    int n = int(std::floor(l + 0.5f));
    if (n > last) n = last;
    return filter2D<Cmp, F>(levels[n], u, v, desc_.minFilter, au, av, ref);
  }
  const float fl = std::floor(l);
  const int n = int(fl);
  if (n >= last) return filter2D<Cmp, F>(levels[last], u, v, desc_.minFilter, au, av, ref);
  const Float4 a = filter2D<Cmp, F>(levels[n], u, v, desc_.minFilter, au, av, ref);
  const int w = sampleWeight256(l - fl);
  if (w == 0) return a;
  const Float4 b = filter2D<Cmp, F>(levels[n + 1], u, v, desc_.minFilter, au, av, ref);
  const float wb = float(w) * (1.0f / 256.0f), wa = float(256 - w) * (1.0f / 256.0f);
  Float4 r;
  for (int k = 0; k < 4; ++k) r[k] = a[k] * wa + b[k] * wb;
  return r;
}

template <bool Cmp>
Float4 TextureSampler::dispatch(int face, float u, float v, float lod, Address au, Address av, float ref) const {
  switch (fetch_) {
    case Fetch::rgba8: return sampleFace<Cmp, FetchRGBA8>(face, u, v, lod, au, av, ref);
    case Fetch::bgra8: return sampleFace<Cmp, FetchBGRA8>(face, u, v, lod, au, av, ref);
    case Fetch::bgrx8: return sampleFace<Cmp, FetchBGRX8>(face, u, v, lod, au, av, ref);
    case Fetch::any: break;
  }
  return sampleFace<Cmp, FetchAny>(face, u, v, lod, au, av, ref);
}

Float4 TextureSampler::sample(float u, float v, float lod) const {
  return dispatch<false>(0, u, v, lod, desc_.addressU, desc_.addressV, 0.0f);
}

float TextureSampler::sampleCompare(float u, float v, float lod, float reference) const {
  return dispatch<true>(0, u, v, lod, desc_.addressU, desc_.addressV, reference)[0];
}

Float4 TextureSampler::texel(int x, int y, int level) const {
  if (level < 0 || level >= levelCount_ || size_t(level) >= levels_.size()) return Float4{0.0f, 0.0f, 0.0f, 0.0f};
  const Level& l = levels_[size_t(level)];
  if (x < 0 || y < 0 || x >= l.width || y >= l.height) return Float4{0.0f, 0.0f, 0.0f, 0.0f};
  return FetchAny::get(format_, l.base, l.pitch, x, y);
}

bool TextureSampler::levelSize(int level, int& width, int& height) const {
  width = height = 0;
  if (level < 0 || level >= levelCount_ || size_t(level) >= levels_.size()) return false;
  width = levels_[size_t(level)].width;
  height = levels_[size_t(level)].height;
  return true;
}

int TextureSampler::cubeFace(float x, float y, float z, float& u, float& v) {
  const float ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
  int face;
  float sc, tc, ma;
  if (ax >= ay && ax >= az) {
    face = x >= 0.0f ? 0 : 1;
    ma = ax;
    sc = x >= 0.0f ? -z : z;
    tc = -y;
  } else if (ay >= az) {
    face = y >= 0.0f ? 2 : 3;
    ma = ay;
    sc = x;
    tc = y >= 0.0f ? z : -z;
  } else {
    face = z >= 0.0f ? 4 : 5;
    ma = az;
    sc = z >= 0.0f ? x : -x;
    tc = -y;
  }
  if (!(ma > 0.0f)) {  // no direction (or NaN): the centre of +X
    u = v = 0.5f;
    return 0;
  }
  u = (sc / ma + 1.0f) * 0.5f;
  v = (tc / ma + 1.0f) * 0.5f;
  return face;
}

Float4 TextureSampler::sampleCube(float x, float y, float z, float lod) const {
  if (levelCount_ == 0 || int(levels_.size()) < 6 * levelCount_) return Float4{0.0f, 0.0f, 0.0f, 0.0f};
  float u, v;
  const int face = cubeFace(x, y, z, u, v);
  return dispatch<false>(face, u, v, lod, Address::clamp, Address::clamp, 0.0f);
}

}  // namespace plat::gpu
