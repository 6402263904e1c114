// Shared set-up of the software GPU tests: a clean profile and journal per test, and
// short ways to make textures and views and read texels back.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/gpu/resource.h"

namespace gputest {

using namespace plat::gpu;

class GpuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetProfile();
    resetJournal();
    setTracing(false);
  }
  void TearDown() override {
    resetProfile();
    resetJournal();
    setTracing(false);
  }
};

inline Ref<Texture> makeTexture(Format f, int w, int h, int levels = 1, uint32_t bind = kBindShaderResource,
                                int slices = 1, bool cube = false, int samples = 1) {
  TextureDesc d;
  d.samples = samples;
  d.width = w;
  d.height = h;
  d.levels = levels;
  d.slices = slices;
  d.cube = cube;
  d.format = f;
  d.bind = bind;
  Ref<Texture> t;
  EXPECT_EQ(createTexture(d, nullptr, t), Status::ok);
  return t;
}

inline Ref<View> makeView(Texture& t, ViewKind kind, Format f = Format::Unknown, bool cube = false) {
  ViewDesc d;
  d.kind = kind;
  d.format = f;
  d.cube = cube;
  Ref<View> v;
  EXPECT_EQ(createView(t, d, v), Status::ok);
  return v;
}

// Bytes of one R8G8B8A8 or B8G8R8A8 texel.
inline std::vector<uint8_t> texelBytes(const Texture& t, int sub, int x, int y) {
  const size_t bytes = formatInfo(t.format()).bytes;
  const uint8_t* p = t.data(sub) + size_t(y) * t.sub(sub).pitch + size_t(x) * bytes;
  return std::vector<uint8_t>(p, p + bytes);
}

inline void putTexel(Texture& t, int sub, int x, int y, std::vector<uint8_t> bytes) {
  std::memcpy(t.data(sub) + size_t(y) * t.sub(sub).pitch + size_t(x) * bytes.size(), bytes.data(), bytes.size());
}

inline std::vector<uint8_t> snapshot(Texture& t) { return std::vector<uint8_t>(t.storage(), t.storage() + t.storageSize()); }

}  // namespace gputest
