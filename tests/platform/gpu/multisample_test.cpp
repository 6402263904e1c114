// Multisampled targets: coverage per sample, one shade per pixel, depth per sample, the
// averaging resolve, and what the core refuses for multisampled textures.
#include <cstring>

#include "draw_fixture.h"
#include "platform/gpu/copy.h"
#include "platform/gpu/profile.h"

namespace gputest {
namespace {

class GpuMultisample : public GpuTest {};

Ref<Texture> sampledTarget(Format f, int w, int h, int samples, uint32_t bind = kBindRenderTarget) {
  return makeTexture(f, w, h, 1, bind, 1, false, samples);
}

// The red byte of each pixel of a 32 x 32 scene after a white triangle over the diagonal
// x + y < 32 (the top-left half), drawn with `samples` per pixel and resolved.
std::vector<uint8_t> diagonal(int samples, bool withDepth) {
  Scene scene;
  Ref<Texture> drawn = scene.target;
  if (samples != 1) {
    drawn = sampledTarget(Format::R8G8B8A8, 32, 32, samples);
    scene.s.targets[0] = makeView(*drawn, ViewKind::renderTarget);
  }
  if (withDepth) {  // a far plane in every sample, so the triangle (z 0) passes
    Ref<Texture> depth = sampledTarget(Format::D32F, 32, 32, samples, kBindDepthStencil);
    scene.s.depthView = makeView(*depth, ViewKind::depthStencil);
    EXPECT_EQ(clearDepthStencil(*scene.s.depthView, true, 1.0f, false, 0), Status::ok);
  }
  EXPECT_EQ(scene.draw(std::vector<Vertex0>{v0(0, 0), v0(32, 0), v0(0, 32)}, Topology::triangleList), Status::ok);
  if (samples != 1) {
    EXPECT_EQ(resolveSubresource(*scene.target, 0, *drawn, 0, Format::R8G8B8A8), Status::ok);
  }
  std::vector<uint8_t> red;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) red.push_back(scene.pixel(x, y)[0]);
  return red;
}

TEST_F(GpuMultisample, EdgesBlendAfterTheResolveAndInteriorsStayExact) {
  const std::vector<uint8_t> single = diagonal(1, false);
  struct Case {
    int samples;
    bool depth;
    uint8_t edge;  // pixels whose centre lies on the edge: the covered share of 255 (two of
                   // the eight samples lie on the edge, outside by the top-left rule)
  } cases[] = {{1, false, 255}, {1, true, 255}, {2, false, 128}, {4, false, 128}, {4, true, 128}, {8, false, 96}};
  for (const Case& c : cases) {
    const std::vector<uint8_t> got = diagonal(c.samples, c.depth);
    if (c.samples == 1) {  // single-sampled drawing is what it always was
      EXPECT_EQ(got, single) << "depth " << c.depth;
      continue;
    }
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const uint8_t v = got[size_t(y * 32 + x)];
        if (x + y < 31) EXPECT_EQ(v, 255) << c.samples << " at " << x << "," << y;
        else if (x + y > 31) EXPECT_EQ(v, 0) << c.samples << " at " << x << "," << y;
        else EXPECT_EQ(v, c.edge) << c.samples << " at " << x << "," << y;
      }
  }
}

TEST_F(GpuMultisample, DepthIsTestedPerSample) {
  // A near triangle over the top-left half, then a far quad over everything: only the
  // samples the near one left uncovered take the far colour.
  Scene scene;
  Ref<Texture> drawn = sampledTarget(Format::R8G8B8A8, 32, 32, 4);
  scene.s.targets[0] = makeView(*drawn, ViewKind::renderTarget);
  Ref<Texture> depth = sampledTarget(Format::D32F, 32, 32, 4, kBindDepthStencil);
  scene.s.depthView = makeView(*depth, ViewKind::depthStencil);
  ASSERT_EQ(clearDepthStencil(*scene.s.depthView, true, 1.0f, false, 0), Status::ok);
  ASSERT_EQ(scene.draw(std::vector<Vertex0>{v0(0, 0), v0(32, 0), v0(0, 32)}, Topology::triangleList), Status::ok);
  auto far = [](float x, float y) {
    Vertex0 v = v0(x, y, 0x0000FFFFu);  // blue
    v.z = 0.5f;
    return v;
  };
  ASSERT_EQ(scene.draw(std::vector<Vertex0>{far(0, 0), far(32, 0), far(0, 32), far(32, 0), far(32, 32), far(0, 32)},
                       Topology::triangleList),
            Status::ok);
  ASSERT_EQ(resolveSubresource(*scene.target, 0, *drawn, 0, Format::R8G8B8A8), Status::ok);
  EXPECT_EQ(scene.pixel(5, 5)[0], 255);   // white in front
  EXPECT_EQ(scene.pixel(5, 5)[2], 255);
  EXPECT_EQ(scene.pixel(30, 30)[0], 0);   // blue behind
  EXPECT_EQ(scene.pixel(30, 30)[2], 255);
  EXPECT_EQ(scene.pixel(15, 16)[0], 128);  // half white, half blue
  EXPECT_EQ(scene.pixel(15, 16)[2], 255);
}

TEST_F(GpuMultisample, CountsFormatsCopiesAndRefusals) {
  for (int count : {2, 4, 8}) {
    EXPECT_EQ(multisampleQualityLevels(Format::R8G8B8A8, count), 1) << count;
    EXPECT_EQ(multisampleQualityLevels(Format::D24S8, count), 1) << count;
  }
  for (int count : {0, 3, 16}) EXPECT_EQ(multisampleQualityLevels(Format::R8G8B8A8, count), 0) << count;
  EXPECT_EQ(multisampleQualityLevels(Format::BC1, 4), 0);  // nothing draws into blocks

  TextureDesc d;
  d.width = d.height = 4;
  d.format = Format::R8G8B8A8;
  d.bind = kBindRenderTarget | kBindShaderResource;
  Ref<Texture> t;
  struct Case {
    int samples, levels;
    Usage usage;
    Status want;
  } cases[] = {{3, 1, Usage::Default, Status::unsupported},
               {4, 2, Usage::Default, Status::invalidArgument},
               {4, 1, Usage::Dynamic, Status::invalidArgument},
               {4, 1, Usage::Default, Status::ok}};
  for (const Case& c : cases) {
    d.samples = c.samples;
    d.levels = c.levels;
    d.usage = c.usage;
    d.cpuAccess = c.usage == Usage::Dynamic ? uint32_t(kCpuWrite) : 0u;
    d.bind = c.usage == Usage::Dynamic ? uint32_t(kBindShaderResource) : kBindRenderTarget | kBindShaderResource;
    EXPECT_EQ(createTexture(d, nullptr, t), c.want) << c.samples << " samples " << c.levels << " levels";
  }
  // Shaders read no samples; render-target views are fine.
  Ref<View> v;
  EXPECT_EQ(createView(*t, ViewDesc{}, v), Status::invalidArgument);
  ViewDesc rt;
  rt.kind = ViewKind::renderTarget;
  EXPECT_EQ(createView(*t, rt, v), Status::ok);

  // A fill reaches every sample; a single-sample source copies into every sample; samples
  // reach a single-sample texture only by a resolve (or a stretch, which resolves).
  Ref<Texture> plain = makeTexture(Format::R8G8B8A8, 4, 4, 1, kBindRenderTarget | kBindShaderResource);
  ASSERT_EQ(fillRect(*t, 0, nullptr, Float4{1, 0, 0, 1}), Status::ok);
  const Box left{0, 0, 2, 4};
  ASSERT_EQ(fillRect(*plain, 0, &left, Float4{0, 0, 1, 1}), Status::ok);
  ASSERT_EQ(copyRegion(*t, 0, 0, 0, *plain, 0, &left), Status::ok);
  EXPECT_EQ(copyRegion(*plain, 0, 0, 0, *t, 0, nullptr), Status::invalidArgument);
  EXPECT_EQ(copyResource(*plain, *t), Status::invalidArgument);
  Ref<Texture> out = makeTexture(Format::R8G8B8A8, 4, 4, 1, kBindRenderTarget | kBindShaderResource);
  ASSERT_EQ(stretchRect(*out, 0, nullptr, *t, 0, nullptr, StretchFilter::point), Status::ok);
  EXPECT_EQ(texelBytes(*out, 0, 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(texelBytes(*out, 0, 3, 3), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(updateSubresource(*t, 0, nullptr, out->data(0), out->sub(0).pitch), Status::invalidArgument);
}

}  // namespace
}  // namespace gputest
