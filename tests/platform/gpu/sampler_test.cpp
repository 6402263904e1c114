// The sampler: filters, address modes, border colour, mip choice and cube faces.
#include <random>

#include "platform/gpu/sampler.h"
#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

class GpuSampler : public GpuTest {};

// The red byte of a sample (the textures below store distinct reds).
int red(const Float4& v) { return int(floatToUnorm(v[0], 8)); }

TEST_F(GpuSampler, BilinearAtTexelCentresReturnsTheTexel) {
  Ref<Texture> t = makeTexture(Format::B8G8R8A8, 8, 4);
  std::mt19937 rng(5);
  for (size_t i = 0; i < t->storageSize(); ++i) t->storage()[i] = uint8_t(rng());
  Ref<View> v = makeView(*t, ViewKind::shaderResource);
  SamplerDesc d;
  d.minFilter = d.magFilter = Filter::linear;
  d.addressU = d.addressV = Address::wrap;
  for (bool aniso : {false, true}) {
    d.anisotropic = aniso;
    TextureSampler s;
    ASSERT_TRUE(s.bind(d, v.get()));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) {
        const Float4 got = s.sample((float(x) + 0.5f) / 8.0f, (float(y) + 0.5f) / 4.0f, 0.0f);
        const Float4 want = loadTexel(Format::B8G8R8A8, t->data(0), t->sub(0).pitch, x, y);
        for (int c = 0; c < 4; ++c) ASSERT_EQ(got[c], want[c]) << x << "," << y;
      }
  }
  // Half-way between two texels: the mean, to the 1/256 weights.
  TextureSampler s;
  s.bind(d, v.get());
  const Float4 mid = s.sample(1.0f / 8.0f, 0.5f / 4.0f, 0.0f);
  const Float4 a = loadTexel(Format::B8G8R8A8, t->data(0), t->sub(0).pitch, 0, 0);
  const Float4 b = loadTexel(Format::B8G8R8A8, t->data(0), t->sub(0).pitch, 1, 0);
  EXPECT_EQ(mid[0], a[0] * 0.5f + b[0] * 0.5f);
}

TEST_F(GpuSampler, AddressModesOnAFourTexelRow) {
  Ref<Texture> t = makeTexture(Format::R8G8B8A8, 4, 1);
  for (int x = 0; x < 4; ++x) putTexel(*t, 0, x, 0, {uint8_t(10 * (x + 1)), 0, 0, 255});
  Ref<View> v = makeView(*t, ViewKind::shaderResource);
  struct Case {
    Address mode;
    int atMinus, atPlus;  // red at u = -0.25 and u = 1.25; -1: the border colour
  } cases[] = {
      {Address::wrap, 40, 20},  {Address::mirror, 10, 30},     {Address::clamp, 10, 40},
      {Address::border, -1, -1}, {Address::mirrorOnce, 10, 40},
  };
  for (const Case& c : cases) {
    SamplerDesc d;
    d.addressU = d.addressV = c.mode;
    d.border = Float4{0.2f, 0.4f, 0.6f, 0.8f};
    TextureSampler s;
    ASSERT_TRUE(s.bind(d, v.get()));
    const Float4 m = s.sample(-0.25f, 0.5f, 0.0f), p = s.sample(1.25f, 0.5f, 0.0f);
    if (c.atMinus < 0) {
      for (int k = 0; k < 4; ++k) EXPECT_EQ(m[k], d.border[k]);
      for (int k = 0; k < 4; ++k) EXPECT_EQ(p[k], d.border[k]);
      EXPECT_EQ(red(s.sample(0.9f, 0.5f, 0.0f)), 40);
    } else {
      EXPECT_EQ(red(m), c.atMinus) << int(c.mode);
      EXPECT_EQ(red(p), c.atPlus) << int(c.mode);
    }
    // Far-off and non-finite coordinates stay inside the texture, with either filter.
    for (Filter f : {Filter::point, Filter::linear}) {
      d.minFilter = d.magFilter = f;
      s.bind(d, v.get());
      for (float u : {1e30f, -3e25f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()})
        EXPECT_LE(s.sample(u, 0.5f, u)[0], 1.0f);
    }
  }
}

TEST_F(GpuSampler, MipChoiceBiasAndLimits) {
  Ref<Texture> t = makeTexture(Format::R8G8B8A8, 8, 8, 0);  // 4 levels, red 10, 20, 30, 40
  for (int l = 0; l < 4; ++l) fillRect(*t, l, nullptr, Float4{float(10 * (l + 1)) / 255.0f, 0, 0, 1});
  Ref<View> v = makeView(*t, ViewKind::shaderResource);
  struct Case {
    MipFilter mip;
    float lod, bias, minLod, maxLod;
    int want;
  } cases[] = {
      {MipFilter::point, 0.0f, 0.0f, -1e9f, 1e9f, 10},  {MipFilter::point, 1.0f, 0.0f, -1e9f, 1e9f, 20},
      {MipFilter::point, 1.4f, 0.0f, -1e9f, 1e9f, 20},  {MipFilter::point, 1.6f, 0.0f, -1e9f, 1e9f, 30},
      {MipFilter::point, 9.0f, 0.0f, -1e9f, 1e9f, 40},  {MipFilter::point, 1.0f, 1.0f, -1e9f, 1e9f, 30},
      {MipFilter::point, 0.0f, 0.0f, 2.0f, 1e9f, 30},   {MipFilter::point, 3.0f, 0.0f, -1e9f, 1.0f, 20},
      {MipFilter::none, 3.0f, 0.0f, -1e9f, 1e9f, 10},   {MipFilter::linear, 1.5f, 0.0f, -1e9f, 1e9f, 25},
      {MipFilter::linear, 1.125f, 0.0f, -1e9f, 1e9f, 21}, {MipFilter::linear, 7.0f, 0.0f, -1e9f, 1e9f, 40},
  };
  for (const Case& c : cases) {
    SamplerDesc d;
    d.mipFilter = c.mip;
    d.mipLodBias = c.bias;
    d.minLod = c.minLod;
    d.maxLod = c.maxLod;
    TextureSampler s;
    ASSERT_TRUE(s.bind(d, v.get()));
    EXPECT_EQ(red(s.sample(0.3f, 0.7f, c.lod)), c.want) << "lod " << c.lod << " mip " << int(c.mip);
  }
  Ref<SamplerState> state;
  SamplerDesc bad;
  bad.maxAnisotropy = 17;
  EXPECT_EQ(createSamplerState(bad, state), Status::invalidArgument);
  bad.maxAnisotropy = 16;
  EXPECT_EQ(createSamplerState(bad, state), Status::ok);
}

TEST_F(GpuSampler, CubeFacesByMajorAxis) {
  Ref<Texture> t = makeTexture(Format::R8G8B8A8, 4, 4, 1, kBindShaderResource, 6, true);
  for (int face = 0; face < 6; ++face) fillRect(*t, face, nullptr, Float4{float(face + 1) * 10.0f / 255.0f, 0, 0, 1});
  Ref<View> v = makeView(*t, ViewKind::shaderResource, Format::Unknown, true);
  TextureSampler s;
  ASSERT_TRUE(s.bind(SamplerDesc{}, v.get()));
  struct Case {
    float x, y, z;
    int face;
  } cases[] = {
      {1.0f, 0.2f, 0.1f, 0}, {-1.0f, 0.5f, -0.5f, 1}, {0.1f, 2.0f, 0.3f, 2},  {0.0f, -1.0f, 0.0f, 3},
      {0.2f, 0.1f, 3.0f, 4}, {0.2f, 0.1f, -3.0f, 5},  {1.0f, 1.0f, 0.0f, 0}, {0.0f, 0.0f, 0.0f, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(red(s.sampleCube(c.x, c.y, c.z, 0.0f)), (c.face + 1) * 10) << c.face;
  float u, vv;
  EXPECT_EQ(TextureSampler::cubeFace(1.0f, -1.0f, 0.0f, u, vv), 0);
  EXPECT_EQ(u, 0.5f);
  EXPECT_EQ(vv, 1.0f);  // -y points down the face
}

TEST_F(GpuSampler, ComparisonAndUnbound) {
  Ref<Texture> t = makeTexture(Format::R32F, 2, 1);
  const float depths[2] = {0.25f, 0.75f};
  ASSERT_EQ(updateSubresource(*t, 0, nullptr, depths, 8), Status::ok);
  Ref<View> v = makeView(*t, ViewKind::shaderResource);
  SamplerDesc d;
  d.comparison = true;
  d.compareFunc = Compare::lessEqual;
  d.minFilter = d.magFilter = Filter::linear;
  TextureSampler s;
  ASSERT_TRUE(s.bind(d, v.get()));
  EXPECT_EQ(s.sampleCompare(0.25f, 0.5f, 0.0f, 0.5f), 0.0f);  // 0.5 <= 0.25 fails
  EXPECT_EQ(s.sampleCompare(0.75f, 0.5f, 0.0f, 0.5f), 1.0f);
  EXPECT_EQ(s.sampleCompare(0.5f, 0.5f, 0.0f, 0.5f), 0.5f);  // half of each
  TextureSampler none;
  EXPECT_FALSE(none.bind(d, nullptr));
  EXPECT_EQ(none.sample(0.5f, 0.5f, 0.0f)[3], 0.0f);
}

}  // namespace
}  // namespace gputest
