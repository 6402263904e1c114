// The software GPU over arbitrary texture descriptions and uploads: a texture is built
// from the input (format, size, levels, box, pitch, bytes), updated, sampled at input
// coordinates in every address mode and filter, and copied and stretched to R8G8B8A8.
//
// Input: format, width-1, height-1, levels, cube flag, box left/top/right/bottom (signed),
// pitch (two bytes), u, v, lod (three floats), then the upload bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/gpu/sampler.h"

using namespace plat::gpu;

namespace {

float readFloat(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 24;
  if (size < kHeader) return 0;
  TextureDesc d;
  d.format = Format(data[0] % kFormatCount);
  d.width = 1 + data[1] % 64;
  d.height = 1 + data[2] % 64;
  d.levels = data[3] % 8;
  d.cube = data[4] & 1;
  if (d.cube) {
    d.slices = 6;
    d.height = d.width;
  }
  d.bind = kBindShaderResource;
  const Box box{int8_t(data[5]), int8_t(data[6]), int8_t(data[7]), int8_t(data[8])};
  const size_t pitch = (size_t(data[9]) | size_t(data[10]) << 8) & 0xFFF;
  const float u = readFloat(data + 11), v = readFloat(data + 15), lod = readFloat(data + 19);
  const bool wholeBox = data[23] & 1;

  Ref<Texture> tex;
  if (createTexture(d, nullptr, tex) != Status::ok) {
    d.bind = 0;
    if (createTexture(d, nullptr, tex) != Status::ok) return 0;
  }
  // Caller memory large enough for any box the texture accepts at this pitch.
  std::vector<uint8_t> upload(pitch * 64 + 64 * 16, 0);
  std::memcpy(upload.data(), data + kHeader, std::min(upload.size(), size - kHeader));
  for (int sub = 0; sub < tex->subresourceCount(); ++sub)
    updateSubresource(*tex, sub, wholeBox ? nullptr : &box, upload.data(), pitch);

  if (d.bind & kBindShaderResource) {
    ViewDesc vd;
    vd.cube = d.cube;
    if (d.format == Format::R24G8Typeless) vd.format = Format::R24X8;
    if (d.format == Format::R32Typeless) vd.format = Format::R32F;
    Ref<View> view;
    if (createView(*tex, vd, view) == Status::ok) {
      for (int mode = 0; mode < 5; ++mode) {
        for (int f = 0; f < 4; ++f) {
          SamplerDesc sd;
          sd.addressU = sd.addressV = Address(mode);
          sd.minFilter = Filter(f & 1);
          sd.magFilter = Filter((f >> 1) & 1);
          sd.mipFilter = MipFilter(f % 3);
          sd.comparison = f == 3;
          sd.compareFunc = Compare::lessEqual;
          TextureSampler s;
          s.bind(sd, view.get());
          volatile float sink = s.sample(u, v, lod)[0] + s.sampleCompare(v, u, lod, u);
          if (d.cube) sink = sink + s.sampleCube(u, v, lod, lod)[1];
          (void)sink;
        }
      }
    }
  }

  TextureDesc out;
  out.width = d.width;
  out.height = d.height;
  out.format = Format::R8G8B8A8;
  Ref<Texture> rgba;
  if (createTexture(out, nullptr, rgba) != Status::ok) return 0;
  copyRegion(*rgba, 0, 0, 0, *tex, 0, wholeBox ? nullptr : &box);
  const Box half{0, 0, (d.width + 1) / 2, (d.height + 1) / 2};
  stretchRect(*rgba, 0, nullptr, *tex, 0, &half, StretchFilter(data[23] >> 1 & 1));
  return 0;
}
