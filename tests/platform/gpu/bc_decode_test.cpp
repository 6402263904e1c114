// Block decoding against the media layer's picture decoder: the same blocks must give the
// same bytes, edge blocks of a 5x3 picture and both colour modes of BC1 included.
#include <random>

#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/image/dxt.h"
#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

// The media layer's decoding of a w x h picture, as B, G, R, A bytes per pixel.
std::vector<uint8_t> mediaDecode(int code, int w, int h, const std::vector<uint8_t>& blocks) {
  ZaDod::BaseImage img{};
  ZaDod::CreateARGB8ColorData(&img.format);
  img.format.formatCode = static_cast<uint8_t>(code);
  img.width = w;
  img.height = h;
  img.pixels = ZaDod::MemAlloc(blocks.size(), "bc test", __LINE__);
  std::memcpy(img.pixels, blocks.data(), blocks.size());
  EXPECT_EQ(ZaDod::ConvertDXTToARGB8(&img, 1), 0);
  const auto* p = static_cast<const uint8_t*>(img.pixels);
  std::vector<uint8_t> out(p, p + size_t(w) * h * 4);
  ZaDod::ReleaseBaseImage(&img);
  return out;
}

// Ours: upload the blocks, convert to B8G8R8A8 with a region copy.
std::vector<uint8_t> gpuDecode(Format f, int w, int h, const std::vector<uint8_t>& blocks) {
  Ref<Texture> bc = makeTexture(f, w, h);
  Ref<Texture> out = makeTexture(Format::B8G8R8A8, w, h);
  EXPECT_EQ(updateSubresource(*bc, 0, nullptr, blocks.data(), rowBytes(f, w)), Status::ok);
  EXPECT_EQ(copyRegion(*out, 0, 0, 0, *bc, 0, nullptr), Status::ok);
  std::vector<uint8_t> bytes;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = out->data(0) + size_t(y) * out->sub(0).pitch;
    bytes.insert(bytes.end(), row, row + size_t(w) * 4);
  }
  return bytes;
}

TEST(GpuBlockDecode, MatchesMediaDecoderByteForByte) {
  struct Kind {
    Format f;
    int code;
  } kinds[] = {{Format::BC1, ZaDod::kPixelDXT1}, {Format::BC2, ZaDod::kPixelDXT3}, {Format::BC3, ZaDod::kPixelDXT5}};
  std::mt19937 rng(47);
  for (const Kind& k : kinds) {
    const size_t blockBytes = formatInfo(k.f).bytes;
    for (int round = 0; round < 300; ++round) {
      // Two blocks for a 5x3 picture: the second is an edge block with one column used.
      std::vector<uint8_t> blocks(2 * blockBytes);
      for (auto& b : blocks) b = uint8_t(rng());
      const size_t colour = k.f == Format::BC1 ? 0 : 8;
      if (round % 3 == 1) {  // c0 <= c1: three colours and (on BC1) transparent black
        blocks[colour + 1] = 0x10;
        blocks[colour + 3] = 0x90;
      } else if (round % 3 == 2) {
        blocks[colour + 0] = blocks[colour + 2];  // equal endpoints
        blocks[colour + 1] = blocks[colour + 3];
        blocks[0] = blocks[1];  // equal alpha endpoints on BC3
      }
      if (k.f == Format::BC3 && round % 2) std::swap(blocks[0], blocks[1]);  // both alpha modes
      for (const auto& [w, h] : {std::pair{5, 3}, std::pair{4, 4}}) {
        std::vector<uint8_t> data(blocks.begin(), blocks.begin() + long(rowBytes(k.f, w)) * rowCount(k.f, h));
        ASSERT_EQ(gpuDecode(k.f, w, h, data), mediaDecode(k.code, w, h, data))
            << formatInfo(k.f).name << " round " << round << " size " << w << "x" << h;
      }
      // The single-texel path agrees with the whole-block path.
      uint32_t whole[16];
      decodeBlock(k.f, blocks.data(), whole);
      for (int i = 0; i < 16; ++i) ASSERT_EQ(decodeBlockTexel(k.f, blocks.data(), i), whole[i]);
    }
  }
}

TEST(GpuBlockDecode, OneBitAlphaBlock) {
  // c0 = 0x0000 <= c1 = 0xFFFF: index 2 is the half-way grey and index 3 the
  // same grey with alpha 0.
  const uint8_t block[8] = {0x00, 0x00, 0xFF, 0xFF, 0xE4, 0xE4, 0xE4, 0xE4};  // indices 0,1,2,3 per row
  uint32_t argb[16];
  decodeBlock(Format::BC1, block, argb);
  EXPECT_EQ(argb[0], 0xFF000000u);
  EXPECT_EQ(argb[1], 0xFFFFFFFFu);
  EXPECT_EQ(argb[2], 0xFF7F7F7Fu);
  EXPECT_EQ(argb[3], 0x007F7F7Fu);
}

}  // namespace
}  // namespace gputest
