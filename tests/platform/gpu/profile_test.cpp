// The profile and the journal: refused formats, told failures, limits and call counts.
#include <thread>

#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

class GpuProfile : public GpuTest {};

TEST_F(GpuProfile, RefusedFormatsAndLimits) {
  TextureDesc d;
  d.width = d.height = 4;
  d.format = Format::B5G6R5;
  d.bind = kBindShaderResource | kBindRenderTarget;
  Ref<Texture> t;
  ASSERT_EQ(createTexture(d, nullptr, t), Status::ok);
  Profile p = defaultProfile();
  p.refuse(Format::B5G6R5);
  p.support[int(Format::R16)] &= ~uint32_t(kSupportRenderTarget);
  setProfile(p);
  EXPECT_EQ(createTexture(d, nullptr, t), Status::unsupported);
  EXPECT_EQ(formatSupport(Format::B5G6R5), 0u);
  d.format = Format::R16;
  EXPECT_EQ(createTexture(d, nullptr, t), Status::unsupported);  // no render target
  d.bind = kBindShaderResource;
  EXPECT_EQ(createTexture(d, nullptr, t), Status::ok);
  resetProfile();

  struct Case {
    int width, height, samples, levels;
    Status want;
  } cases[] = {
      {16384, 1, 1, 1, Status::ok},
      {16385, 1, 1, 1, Status::invalidArgument},
      {4, 4, 2, 1, Status::ok},
      {4, 4, 3, 1, Status::unsupported},  // no fixed positions for 3 samples
      {4, 4, 1, 4, Status::invalidArgument},  // past the 1x1 level
      {0, 4, 1, 1, Status::invalidArgument},
  };
  for (const Case& c : cases) {
    TextureDesc e;
    e.width = c.width;
    e.height = c.height;
    e.samples = c.samples;
    e.levels = c.levels;
    e.format = Format::R8;
    EXPECT_EQ(createTexture(e, nullptr, t), c.want) << c.width << "x" << c.height;
  }
  EXPECT_EQ(multisampleQualityLevels(Format::R8G8B8A8, 1), 1);
  EXPECT_EQ(multisampleQualityLevels(Format::R8G8B8A8, 4), 1);

  // The depth formats a device survey falls back over.
  p = defaultProfile();
  p.refuse(Format::D24S8);
  setProfile(p);
  d.format = Format::R24G8Typeless;
  d.bind = kBindDepthStencil;
  EXPECT_EQ(createTexture(d, nullptr, t), Status::unsupported);
  d.format = Format::D16;
  EXPECT_EQ(createTexture(d, nullptr, t), Status::ok);
}

TEST_F(GpuProfile, ToldFailureHitsOnlyItsCallAndTheJournalCounts) {
  Profile p = defaultProfile();
  p.failOnCall["CreateTexture"] = 2;
  p.failOnCall["Map"] = 1;
  setProfile(p);
  setTracing(true);
  TextureDesc d;
  d.width = d.height = 2;
  d.format = Format::R8G8B8A8;
  Ref<Texture> t;
  const Status want[] = {Status::ok, Status::injectedFailure, Status::ok, Status::ok};
  for (Status w : want) EXPECT_EQ(createTexture(d, nullptr, t), w);
  EXPECT_EQ(callCount("CreateTexture"), 4);
  BufferDesc bd;
  bd.size = 64;
  bd.usage = Usage::Dynamic;
  bd.cpuAccess = kCpuWrite;
  bd.bind = kBindVertexBuffer;
  Ref<Buffer> b;
  ASSERT_EQ(createBuffer(bd, nullptr, b), Status::ok);
  Mapped m;
  EXPECT_EQ(map(*b, 0, MapMode::writeDiscard, m), Status::injectedFailure);
  EXPECT_EQ(map(*b, 0, MapMode::writeDiscard, m), Status::ok);
  EXPECT_EQ(m.data, b->data());
  EXPECT_EQ(unmap(*b, 0), Status::ok);
  EXPECT_EQ(callCount("Map"), 2);
  EXPECT_EQ(callCount("Unmap"), 1);
  EXPECT_EQ(callCount("Present"), 0);
  const auto lines = trace();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "CreateTexture(2x2 R8G8B8A8 levels 1 slices 1 samples 1)");
  EXPECT_EQ(lines[5], "Map(0 mode 3)");
  resetJournal();
  EXPECT_EQ(callCount("CreateTexture"), 0);
  EXPECT_TRUE(trace().empty());
}

// Threads creating and dropping textures and views at once: counts stay exact and every
// object goes when its last reference does.
TEST_F(GpuProfile, ThreadsShareTheJournalAndReferences) {
  Ref<Texture> shared = makeTexture(Format::R8G8B8A8, 4, 4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&shared, t] {
      for (int round = 0; round < 200; ++round) {
        Ref<Texture> own = makeTexture(Format::R8, 2 + t, 2);
        Ref<View> a = makeView(*shared, ViewKind::shaderResource);
        Ref<View> b = makeView(*own, ViewKind::shaderResource);
        own = Ref<Texture>();
        if (round % 2) std::swap(a, b);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(callCount("CreateTexture"), 801);
  EXPECT_EQ(callCount("CreateView"), 1600);
  EXPECT_EQ(shared->refCount(), 1u);
}

TEST_F(GpuProfile, BufferRules) {
  struct Case {
    size_t size;
    Usage usage;
    uint32_t bind, cpu;
    Status want;
  } cases[] = {
      {64, Usage::Default, kBindIndexBuffer, 0, Status::ok},
      {0, Usage::Default, kBindIndexBuffer, 0, Status::invalidArgument},
      {20, Usage::Default, kBindConstantBuffer, 0, Status::invalidArgument},  // not whole 16-byte rows
      {64, Usage::Default, kBindRenderTarget, 0, Status::invalidArgument},
      {64, Usage::Dynamic, kBindVertexBuffer, kCpuRead, Status::invalidArgument},
      {64, Usage::Staging, 0, kCpuRead | kCpuWrite, Status::ok},
      {64, Usage::Staging, kBindVertexBuffer, kCpuRead, Status::invalidArgument},
  };
  for (const Case& c : cases) {
    BufferDesc d{c.size, c.usage, c.bind, c.cpu};
    Ref<Buffer> b;
    EXPECT_EQ(createBuffer(d, nullptr, b), c.want) << c.size << " " << c.bind;
  }
  const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  BufferDesc d{8, Usage::Default, kBindVertexBuffer, 0};
  Ref<Buffer> b;
  ASSERT_EQ(createBuffer(d, bytes, b), Status::ok);
  const Box part{2, 0, 4, 1}, past{4, 0, 9, 1};
  const uint8_t two[2] = {9, 9};
  EXPECT_EQ(updateBuffer(*b, &part, two), Status::ok);
  EXPECT_EQ(updateBuffer(*b, &past, bytes), Status::invalidArgument);
  EXPECT_EQ((std::vector<uint8_t>(b->data(), b->data() + 8)), (std::vector<uint8_t>{1, 2, 9, 9, 5, 6, 7, 8}));
}

}  // namespace
}  // namespace gputest
