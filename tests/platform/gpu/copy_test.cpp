// Copies, stretches, uploads, fills, maps and the refusals that keep every write inside
// its resource.
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

using Bytes = std::vector<uint8_t>;

class GpuCopy : public GpuTest {};

TEST_F(GpuCopy, PointStretchDuplicatesAndLinearKeepsOneToOne) {
  Ref<Texture> src = makeTexture(Format::R8G8B8A8, 2, 1);
  Ref<Texture> dst = makeTexture(Format::R8G8B8A8, 4, 1);
  putTexel(*src, 0, 0, 0, {10, 20, 30, 40});
  putTexel(*src, 0, 1, 0, {50, 60, 70, 80});
  ASSERT_EQ(stretchRect(*dst, 0, nullptr, *src, 0, nullptr, StretchFilter::point), Status::ok);
  const Bytes a{10, 20, 30, 40}, b{50, 60, 70, 80};
  EXPECT_EQ(texelBytes(*dst, 0, 0, 0), a);
  EXPECT_EQ(texelBytes(*dst, 0, 1, 0), a);
  EXPECT_EQ(texelBytes(*dst, 0, 2, 0), b);
  EXPECT_EQ(texelBytes(*dst, 0, 3, 0), b);

  // Same size with bilinear filtering and a format change: every texel lands unchanged.
  Ref<Texture> noise = makeTexture(Format::R8G8B8A8, 7, 5);
  std::mt19937 rng(3);
  for (size_t i = 0; i < noise->storageSize(); ++i) noise->storage()[i] = uint8_t(rng());
  Ref<Texture> bgra = makeTexture(Format::B8G8R8A8, 7, 5);
  ASSERT_EQ(stretchRect(*bgra, 0, nullptr, *noise, 0, nullptr, StretchFilter::linear), Status::ok);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const Bytes s = texelBytes(*noise, 0, x, y), d = texelBytes(*bgra, 0, x, y);
      EXPECT_EQ((Bytes{d[2], d[1], d[0], d[3]}), s);
    }
  // Bilinear 2 -> 4 blends towards the neighbour with 1/256 weights.
  ASSERT_EQ(stretchRect(*dst, 0, nullptr, *src, 0, nullptr, StretchFilter::linear), Status::ok);
  EXPECT_EQ(texelBytes(*dst, 0, 0, 0), a);
  EXPECT_EQ(texelBytes(*dst, 0, 1, 0)[0], 20);  // 10 + 40 x 1/4
  EXPECT_EQ(texelBytes(*dst, 0, 2, 0)[0], 40);
  EXPECT_EQ(texelBytes(*dst, 0, 3, 0), b);
}

TEST_F(GpuCopy, UpdateWithWidePitchAndBlockBoxes) {
  Ref<Texture> t = makeTexture(Format::R8G8B8A8, 4, 4);
  Bytes caller(64 * 2, 0xEE);
  for (int r = 0; r < 2; ++r)
    for (int i = 0; i < 8; ++i) caller[size_t(r) * 64 + size_t(i)] = uint8_t(r * 16 + i);
  const Box box{1, 1, 3, 3};
  ASSERT_EQ(updateSubresource(*t, 0, &box, caller.data(), 64), Status::ok);
  EXPECT_EQ(texelBytes(*t, 0, 1, 1), (Bytes{0, 1, 2, 3}));
  EXPECT_EQ(texelBytes(*t, 0, 2, 2), (Bytes{20, 21, 22, 23}));
  EXPECT_EQ(texelBytes(*t, 0, 0, 1), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(texelBytes(*t, 0, 3, 2), (Bytes{0, 0, 0, 0}));

  // A 6x6 BC1 texture has 2x2 blocks; its second level (3x3) one block.
  Ref<Texture> bc = makeTexture(Format::BC1, 6, 6, 2);
  const Bytes block{1, 2, 3, 4, 5, 6, 7, 8};
  const Box corner{4, 4, 6, 6};  // rounds to 4..8: the last block
  ASSERT_EQ(updateSubresource(*bc, 0, &corner, block.data(), 8), Status::ok);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), bc->data(0) + bc->sub(0).pitch + 8));
  EXPECT_EQ(bc->data(0)[0], 0);
  const Box small{0, 0, 3, 3};
  ASSERT_EQ(updateSubresource(*bc, 1, &small, block.data(), 8), Status::ok);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), bc->data(1)));
  const Box rounded{0, 0, 4, 4};  // already whole blocks past a 3x3 level's edge
  EXPECT_EQ(updateSubresource(*bc, 1, &rounded, block.data(), 8), Status::ok);
  // Block copies move whole blocks to block positions.
  Ref<Texture> bc2 = makeTexture(Format::BC1, 8, 4);
  ASSERT_EQ(copyRegion(*bc2, 0, 0, 0, *bc, 0, &corner), Status::ok);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), bc2->data(0)));
  EXPECT_EQ(copyRegion(*bc2, 0, 2, 0, *bc, 0, &corner), Status::invalidArgument);
  EXPECT_EQ(copyRegion(*bc2, 0, 8, 0, *bc, 0, &corner), Status::invalidArgument);
}

// Every refused call leaves the storage as it was.
TEST_F(GpuCopy, OutOfRangeCallsAreRefusedAndChangeNothing) {
  Ref<Texture> t = makeTexture(Format::R8G8B8A8, 4, 4, 2);
  Ref<Texture> bc = makeTexture(Format::BC2, 8, 8);
  Ref<Texture> other = makeTexture(Format::R8G8B8A8, 4, 4);
  std::mt19937 rng(9);
  for (Texture* x : {t.get(), bc.get(), other.get()})
    for (size_t i = 0; i < x->storageSize(); ++i) x->storage()[i] = uint8_t(rng());
  const Bytes data(4096, 0xAB);
  const Bytes before = snapshot(*t), beforeBc = snapshot(*bc);
  struct Case {
    const char* what;
    Status (*call)(Texture&, Texture&, Texture&, const Bytes&);
  } cases[] = {
      {"box past the right edge", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         const Box b{2, 2, 5, 4};
         return updateSubresource(t, 0, &b, d.data(), 64);
       }},
      {"negative box", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         const Box b{-1, 0, 2, 2};
         return updateSubresource(t, 0, &b, d.data(), 64);
       }},
      {"flipped box", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         const Box b{3, 0, 2, 2};
         return updateSubresource(t, 0, &b, d.data(), 64);
       }},
      {"box outside the smaller level", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         const Box b{0, 0, 3, 2};
         return updateSubresource(t, 1, &b, d.data(), 64);
       }},
      {"subresource past the last", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         return updateSubresource(t, 2, nullptr, d.data(), 64);
       }},
      {"negative subresource", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         return updateSubresource(t, -1, nullptr, d.data(), 64);
       }},
      {"pitch shorter than a row", [](Texture& t, Texture&, Texture&, const Bytes& d) {
         return updateSubresource(t, 0, nullptr, d.data(), 15);
       }},
      {"block box not on a block", [](Texture&, Texture& bc, Texture&, const Bytes& d) {
         const Box b{2, 0, 4, 4};
         return updateSubresource(bc, 0, &b, d.data(), 64);
       }},
      {"block box past the last block", [](Texture&, Texture& bc, Texture&, const Bytes& d) {
         const Box b{0, 0, 12, 4};
         return updateSubresource(bc, 0, &b, d.data(), 64);
       }},
      {"copy to a position past the edge", [](Texture& t, Texture&, Texture& o, const Bytes&) {
         return copyRegion(t, 0, 1, 0, o, 0, nullptr);
       }},
      {"copy from a subresource past the last", [](Texture& t, Texture&, Texture& o, const Bytes&) {
         return copyRegion(t, 0, 0, 0, o, 1, nullptr);
       }},
      {"copy that would encode blocks", [](Texture&, Texture& bc, Texture& o, const Bytes&) {
         return copyRegion(bc, 0, 0, 0, o, 0, nullptr);
       }},
      {"stretch outside the destination", [](Texture& t, Texture&, Texture& o, const Bytes&) {
         const Box b{0, 0, 5, 4};
         return stretchRect(t, 0, &b, o, 0, nullptr, StretchFilter::point);
       }},
      {"fill outside", [](Texture& t, Texture&, Texture&, const Bytes&) {
         const Box b{0, 3, 4, 5};
         return fillRect(t, 0, &b, Float4{1, 1, 1, 1});
       }},
      {"fill past the last subresource", [](Texture& t, Texture&, Texture&, const Bytes&) {
         return fillRect(t, 7, nullptr, Float4{1, 1, 1, 1});
       }},
      {"copy between different shapes", [](Texture& t, Texture&, Texture& o, const Bytes&) {
         return copyResource(t, o);
       }},
      {"resolve across formats", [](Texture& t, Texture&, Texture& o, const Bytes&) {
         return resolveSubresource(t, 0, o, 0, Format::B8G8R8A8);
       }},
  };
  for (const Case& c : cases) {
    EXPECT_NE(c.call(*t, *bc, *other, data), Status::ok) << c.what;
    EXPECT_EQ(snapshot(*t), before) << c.what;
    EXPECT_EQ(snapshot(*bc), beforeBc) << c.what;
  }
}

TEST_F(GpuCopy, MapWriteDiscardThenReadBackThroughStaging) {
  TextureDesc d;
  d.width = 5;
  d.height = 3;
  d.format = Format::R8G8B8A8;
  d.usage = Usage::Dynamic;
  d.cpuAccess = kCpuWrite;
  d.bind = kBindShaderResource;
  Ref<Texture> dyn, staging;
  ASSERT_EQ(createTexture(d, nullptr, dyn), Status::ok);
  d.usage = Usage::Staging;
  d.cpuAccess = kCpuRead;
  d.bind = 0;
  ASSERT_EQ(createTexture(d, nullptr, staging), Status::ok);

  for (int round = 0; round < 20; ++round) {
    Mapped m;
    ASSERT_EQ(map(*dyn, 0, MapMode::writeDiscard, m), Status::ok);
    EXPECT_EQ(map(*dyn, 0, MapMode::writeDiscard, m), Status::invalidArgument);  // already mapped
    for (int y = 0; y < 3; ++y)
      for (size_t i = 0; i < 20; ++i) m.data[size_t(y) * m.rowPitch + i] = uint8_t(round * 7 + y * 20 + int(i));
    ASSERT_EQ(unmap(*dyn, 0), Status::ok);
    ASSERT_EQ(copyResource(*staging, *dyn), Status::ok);
    Mapped r;
    ASSERT_EQ(map(*staging, 0, MapMode::read, r), Status::ok);
    for (int y = 0; y < 3; ++y)
      for (size_t i = 0; i < 20; ++i)
        ASSERT_EQ(r.data[size_t(y) * r.rowPitch + i], uint8_t(round * 7 + y * 20 + int(i)));
    ASSERT_EQ(unmap(*staging, 0), Status::ok);
  }
  Mapped m;
  EXPECT_EQ(unmap(*staging, 0), Status::notMapped);
  EXPECT_EQ(map(*dyn, 0, MapMode::read, m), Status::invalidArgument);
  EXPECT_EQ(map(*staging, 0, MapMode::writeDiscard, m), Status::invalidArgument);
  EXPECT_EQ(map(*staging, 1, MapMode::read, m), Status::invalidArgument);
}

TEST_F(GpuCopy, ConvertingCopiesFillsAndDepthClears) {
  Ref<Texture> src = makeTexture(Format::R8G8B8A8, 4, 4);
  const Float4 orange{1.0f, 0.5f, 0.0f, 1.0f};
  ASSERT_EQ(fillRect(*src, 0, nullptr, orange), Status::ok);
  const Box part{1, 1, 3, 2};
  ASSERT_EQ(fillRect(*src, 0, &part, Float4{0, 0, 1, 0}), Status::ok);
  Ref<Texture> rgb565 = makeTexture(Format::B5G6R5, 4, 4);
  ASSERT_EQ(copyRegion(*rgb565, 0, 0, 0, *src, 0, nullptr), Status::ok);
  EXPECT_EQ(texelBytes(*rgb565, 0, 0, 0), (Bytes{0x00, 0xFC}));  // 31 << 11 | 32 << 5
  EXPECT_EQ(texelBytes(*rgb565, 0, 1, 1), (Bytes{0x1F, 0x00}));
  Ref<Texture> back = makeTexture(Format::R8G8B8A8, 4, 4);
  const Box one{1, 1, 2, 2};
  ASSERT_EQ(copyRegion(*back, 0, 3, 3, *rgb565, 0, &one), Status::ok);
  EXPECT_EQ(texelBytes(*back, 0, 3, 3), (Bytes{0, 0, 255, 255}));  // no alpha in 565: 1
  EXPECT_EQ(texelBytes(*back, 0, 2, 2), (Bytes{0, 0, 0, 0}));
  // Inside one subresource, overlapping rows: each row keeps what was above it.
  Ref<Texture> strip = makeTexture(Format::R8, 1, 4);
  const uint8_t rows[4] = {1, 2, 3, 4};
  ASSERT_EQ(updateSubresource(*strip, 0, nullptr, rows, 1), Status::ok);
  const Box top3{0, 0, 1, 3};
  ASSERT_EQ(copyRegion(*strip, 0, 0, 1, *strip, 0, &top3), Status::ok);
  EXPECT_EQ((Bytes(strip->data(0), strip->data(0) + 4)), (Bytes{1, 1, 2, 3}));

  Ref<Texture> depth = makeTexture(Format::R24G8Typeless, 2, 2, 1, kBindDepthStencil | kBindShaderResource);
  Ref<View> dsv = makeView(*depth, ViewKind::depthStencil, Format::D24S8);
  ASSERT_EQ(clearDepthStencil(*dsv, true, 1.0f, true, 7), Status::ok);
  ASSERT_EQ(clearDepthStencil(*dsv, true, 0.0f, false, 0), Status::ok);
  EXPECT_EQ(texelBytes(*depth, 0, 1, 1), (Bytes{0, 0, 0, 7}));  // stencil kept
  Ref<View> srv = makeView(*depth, ViewKind::shaderResource, Format::R24X8);
  EXPECT_EQ(clearRenderTarget(*srv, orange), Status::invalidArgument);
}

// A repeated depth clear that would change nothing is skipped; interleaved with every
// kind of write (an upload, bytes written through the storage as a draw writes them, a
// clear through another view, a mapping of a staging buffer), each clear must still leave
// exactly what a plain per-texel clear leaves.
TEST_F(GpuCopy, DepthClearsMatchAPlainClearWhateverCameBetween) {
  struct Op {
    enum { clear, otherView, upload, storage } kind;
    bool depth = false, stencil = false;
    float value = 0.0f;
    uint8_t stencilValue = 0;
  };
  const Op ops[] = {
      {Op::clear, true, true, 1.0f, 7},   {Op::clear, true, true, 1.0f, 7},  {Op::clear, true, false, 1.0f, 0},
      {Op::storage},                      {Op::clear, true, false, 1.0f, 0}, {Op::clear, false, true, 0.0f, 9},
      {Op::clear, true, true, 1.0f, 9},   {Op::upload},                      {Op::clear, true, true, 1.0f, 9},
      {Op::clear, true, false, 0.5f, 0},  {Op::otherView, true, true, 0.25f, 3}, {Op::clear, true, false, 0.5f, 0},
      {Op::clear, false, true, 0.0f, 3},  {Op::clear, true, true, 0.5f, 3},  {Op::clear, true, true, -0.0f, 3},
  };
  std::mt19937 rng(5);
  for (Format f : {Format::D24S8, Format::D32F}) {
    const Format storage = f == Format::D24S8 ? Format::R24G8Typeless : Format::R32Typeless;
    Ref<Texture> depth = makeTexture(storage, 5, 3, 1, kBindDepthStencil | kBindShaderResource);
    Ref<View> dsv = makeView(*depth, ViewKind::depthStencil, f);
    Ref<View> other = makeView(*depth, ViewKind::depthStencil, f);
    const Subresource& sub = depth->sub(0);
    Bytes model(sub.size);
    std::memcpy(model.data(), depth->data(0), sub.size);
    for (int round = 0; round < 3; ++round)
      for (size_t i = 0; i < std::size(ops); ++i) {
        const Op& op = ops[i];
        SCOPED_TRACE("format " + std::to_string(int(f)) + " op " + std::to_string(i));
        if (op.kind == Op::upload || op.kind == Op::storage) {
          Bytes bytes(sub.size);
          for (uint8_t& b : bytes) b = uint8_t(rng());
          if (op.kind == Op::upload) ASSERT_EQ(updateSubresource(*depth, 0, nullptr, bytes.data(), sub.pitch), Status::ok);
          else std::memcpy(depth->data(0), bytes.data(), bytes.size());
          model = bytes;
          continue;
        }
        View& through = op.kind == Op::otherView ? *other : *dsv;
        ASSERT_EQ(clearDepthStencil(through, op.depth, op.value, op.stencil, op.stencilValue), Status::ok);
        for (int y = 0; y < sub.height; ++y)
          for (int x = 0; x < sub.width; ++x) {
            uint8_t* p = model.data() + size_t(y) * sub.pitch + size_t(x) * 4;
            uint32_t w;
            std::memcpy(&w, p, 4);
            if (f == Format::D24S8) {
              if (op.depth) w = (w & 0xFF000000u) | floatToUnorm(op.value, 24);
              if (op.stencil) w = (w & 0x00FFFFFFu) | uint32_t(op.stencilValue) << 24;
            } else if (op.depth) {
              std::memcpy(&w, &op.value, 4);
            }
            std::memcpy(p, &w, 4);
          }
        const Texture& t = *depth;
        ASSERT_EQ(Bytes(t.data(0), t.data(0) + sub.size), model);
        // The same clear through the same view right after changes nothing and is skipped.
        ASSERT_EQ(clearDepthStencil(through, op.depth, op.value, op.stencil, op.stencilValue), Status::ok);
        EXPECT_EQ(Bytes(t.data(0), t.data(0) + sub.size), model);
        const uint64_t after = depth->writes();
        ASSERT_EQ(clearDepthStencil(through, op.depth, op.value, op.stencil, op.stencilValue), Status::ok);
        EXPECT_EQ(depth->writes(), after);
      }
  }
}

TEST_F(GpuCopy, ViewsKeepTheirTextureAlive) {
  for (int round = 0; round < 50; ++round) {
    Ref<Texture> t = makeTexture(Format::R8G8B8A8, 8, 8, 0, kBindShaderResource | kBindRenderTarget);
    ASSERT_EQ(t->levels(), 4);
    Ref<View> rtv = makeView(*t, ViewKind::renderTarget);
    Ref<View> srv = makeView(*t, ViewKind::shaderResource);
    EXPECT_EQ(t->refCount(), 3u);
    Texture* raw = t.get();
    t = Ref<Texture>();
    if (round % 2) std::swap(rtv, srv);
    EXPECT_EQ(raw->refCount(), 2u);
    ASSERT_EQ(clearRenderTarget(round % 2 ? *srv : *rtv, Float4{1, 0, 0, 1}), Status::ok);
    rtv = Ref<View>();
    EXPECT_EQ(texelBytes(srv->texture(), 0, 7, 7), (Bytes{255, 0, 0, 255}));
  }
}

}  // namespace
}  // namespace gputest
