// Tests of the presenter's XRGB rows: the word-wide conversion against the per-byte rule
// for every presentable layout and row length, and the kept rows of an unchanged texture
// shown again while every kind of write (draw, fill, update, copy, mapping, a new
// texture) makes the next present convert, also with other threads writing meanwhile.
#include <random>
#include <thread>

#include "draw_fixture.h"
#include "platform/gpu/copy.h"
#include "platform/gpu/window_present.h"

namespace gputest {
namespace {

// What a presented pixel must be, byte by byte.
uint32_t referenceXrgb(Format f, const uint8_t* p) {
  if (f == Format::R8G8B8A8) return 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

std::vector<uint32_t> freshRows(const Texture& t) {
  std::vector<uint32_t> rows;
  xrgbRows(t, 0, rows);
  return rows;
}

void fillRandom(Texture& t, std::mt19937& rng) {
  const Subresource& s = t.sub(0);
  std::vector<uint8_t> bytes(s.size);
  for (uint8_t& b : bytes) b = uint8_t(rng());
  ASSERT_EQ(updateSubresource(t, 0, nullptr, bytes.data(), s.pitch), Status::ok);
}

TEST(WindowPresent, XrgbRowsFollowTheByteRuleForEveryLayoutAndWidth) {
  std::mt19937 rng(7);
  for (Format f : {Format::R8G8B8A8, Format::B8G8R8A8, Format::B8G8R8X8}) {
    for (int width : {1, 2, 3, 4, 5, 7, 8, 17, 640, 641}) {
      Ref<Texture> t = makeTexture(f, width, 3);
      fillRandom(*t, rng);
      const Texture& view = *t;
      const std::vector<uint32_t> rows = freshRows(view);
      ASSERT_EQ(rows.size(), size_t(width) * 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(rows[size_t(y) * width + x],
                    referenceXrgb(f, view.data(0) + size_t(y) * view.sub(0).pitch + size_t(x) * 4))
              << "format " << int(f) << " width " << width << " at " << x << "," << y;
    }
  }
}

// One kind of write into the shown texture (or a new texture in its place).
enum class Write { draw, fill, update, copy, mapped, remade };

TEST(WindowPresent, KeptRowsAreShownUntilAnyWriteAndNeverAfter) {
  std::mt19937 rng(11);
  Scene scene(40, 24);
  Ref<Texture> source = makeTexture(Format::R8G8B8A8, 40, 24);
  Ref<Texture> staging;
  {
    TextureDesc d;
    d.width = 40;
    d.height = 24;
    d.format = Format::R8G8B8A8;
    d.usage = Usage::Staging;
    d.cpuAccess = kCpuRead | kCpuWrite;
    ASSERT_EQ(createTexture(d, nullptr, staging), Status::ok);
  }
  ShownRows shown;
  const Write writes[] = {Write::draw, Write::fill, Write::update, Write::copy, Write::mapped, Write::remade};
  for (int round = 0; round < 3000; ++round) {
    const Write w = writes[round % 6];
    // The texture this round shows: the mapping writes a staging texture, the rest the target.
    Ref<Texture> shownTexture = w == Write::mapped ? staging : scene.target;
    const Texture& t = *shownTexture;
    refreshRows(t, 0, shown);
    ASSERT_EQ(shown.pixels, freshRows(t)) << "round " << round;

    // Nothing written: the kept rows come back as they are (a marked word stays marked).
    shown.pixels[5] ^= 1u;
    refreshRows(t, 0, shown);
    ASSERT_EQ(shown.pixels[5], freshRows(t)[5] ^ 1u) << "round " << round;

    const uint8_t c = uint8_t(rng() | 1);
    const Float4 colour{float(c) / 255.0f, 0.5f, 0.25f, 1.0f};
    switch (w) {
      case Write::draw: {
        scene.s.ps.shader = shaderNamed("untex_ps_k0_a0", ShaderStage::pixel);
        const uint32_t rgba = uint32_t(c) << 24 | 0x4020FFu;
        ASSERT_EQ(scene.draw(std::vector<Vertex0>{v0(0, 0, rgba), v0(40, 0, rgba), v0(0, 24, rgba), v0(40, 24, rgba)},
                             Topology::triangleStrip),
                  Status::ok);
        break;
      }
      case Write::fill: {
        const Box b{1, 1, 9, 5};
        ASSERT_EQ(fillRect(*scene.target, 0, &b, colour), Status::ok);
        break;
      }
      case Write::update: {
        const uint8_t texel[4] = {c, uint8_t(c + 1), uint8_t(c + 2), 255};
        const Box b{3, 2, 4, 3};
        ASSERT_EQ(updateSubresource(*scene.target, 0, &b, texel, 4), Status::ok);
        break;
      }
      case Write::copy: {
        fillRandom(*source, rng);
        const Box b{0, 0, 40, 24};
        ASSERT_EQ(copyRegion(*scene.target, 0, 0, 0, *source, 0, &b), Status::ok);
        break;
      }
      case Write::mapped: {
        Mapped m;
        ASSERT_EQ(map(*staging, 0, MapMode::write, m), Status::ok);
        // A present while the mapping is open, then bytes written through it.
        refreshRows(t, 0, shown);
        for (size_t i = 0; i < m.depthPitch; ++i) m.data[i] = uint8_t(c + i);
        ASSERT_EQ(unmap(*staging, 0), Status::ok);
        break;
      }
      case Write::remade: {
        // The old target goes; a new one (often at the same address) takes its place.
        Ref<Texture> fresh = makeTexture(Format::R8G8B8A8, 40, 24, 1, kBindRenderTarget | kBindShaderResource);
        fillRandom(*fresh, rng);
        scene.s.targets[0] = Ref<View>();
        scene.rtv = Ref<View>();
        scene.target = Ref<Texture>();
        shownTexture = Ref<Texture>();
        scene.target = fresh;
        scene.rtv = makeView(*scene.target, ViewKind::renderTarget);
        scene.s.targets[0] = scene.rtv;
        break;
      }
    }
    const Texture& after = w == Write::mapped ? *staging : *scene.target;
    refreshRows(after, 0, shown);
    ASSERT_EQ(shown.pixels, freshRows(after)) << "round " << round << " write " << int(w);
  }
}

TEST(WindowPresent, WritesOnOtherThreadsMakeTheNextPresentConvert) {
  Ref<Texture> shownTexture = makeTexture(Format::B8G8R8A8, 64, 32);
  std::mt19937 rng(3);
  fillRandom(*shownTexture, rng);
  const Texture& t = *shownTexture;
  ShownRows shown;
  std::vector<std::thread> workers;
  for (int k = 0; k < 4; ++k)
    workers.emplace_back([k] {
      Ref<Texture> own = makeTexture(Format::R8G8B8A8, 16, 16);
      for (int i = 0; i < 2000; ++i) {
        const Box b{0, 0, 16, 16};
        fillRect(*own, 0, &b, Float4{float(i % 255) / 255.0f, float(k) / 4.0f, 0.0f, 1.0f});
      }
    });
  for (int i = 0; i < 2000; ++i) {
    refreshRows(t, 0, shown);
    ASSERT_EQ(shown.pixels.size(), size_t(64) * 32);
  }
  for (std::thread& w : workers) w.join();
  // Their writes count as writes: the kept rows are converted again, and still right.
  shown.pixels[0] ^= 1u;
  const uint64_t before = texelWrites();
  fillRandom(*shownTexture, rng);
  EXPECT_NE(texelWrites(), before);
  refreshRows(t, 0, shown);
  EXPECT_EQ(shown.pixels, freshRows(t));
}

}  // namespace
}  // namespace gputest
