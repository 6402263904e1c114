// Creation of textures, buffers and views, with every description checked against the
// profile before any memory is taken.
#include "platform/gpu/resource.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

namespace {

int fullChain(int w, int h) {
  int n = 1;
  for (int s = w > h ? w : h; s > 1; s >>= 1) ++n;
  return n;
}

bool usageAllows(Usage usage, uint32_t bind, uint32_t cpu) {
  if (cpu & ~uint32_t(kCpuRead | kCpuWrite)) return false;
  switch (usage) {
    case Usage::Default: return cpu == 0;
    case Usage::Dynamic: return cpu == kCpuWrite && (bind & (kBindRenderTarget | kBindDepthStencil)) == 0;
    case Usage::Staging: return bind == 0 && cpu != 0;
  }
  return false;
}

Storage zeroed(size_t size) {
  constexpr size_t kLine = 64;
  if (size > SIZE_MAX - kLine) return Storage();
  auto* raw = static_cast<uint8_t*>(std::calloc((size ? size : 1) + kLine, 1));
  if (raw == nullptr) return Storage();
  const size_t past = kLine - (reinterpret_cast<uintptr_t>(raw) & (kLine - 1));  // 1 to 64
  uint8_t* p = raw + past;
  p[-1] = uint8_t(past);
  return Storage(p);
}

std::string describe(const TextureDesc& d) {
  return std::to_string(d.width) + "x" + std::to_string(d.height) + " " + formatInfo(d.format).name + " levels " +
         std::to_string(d.levels) + " slices " + std::to_string(d.slices) + " samples " + std::to_string(d.samples);
}

Status checkTexture(TextureDesc& d) {
  const int maxSize = maxTextureSize();
  if (d.samples != 1) {
    if (d.samples < 1 || multisampleQualityLevels(d.format, d.samples) < 1) return Status::unsupported;
    if (d.levels != 1 || d.slices != 1 || d.cube || d.usage != Usage::Default) return Status::invalidArgument;
  }
  if (d.width < 1 || d.height < 1 || d.width > maxSize || d.height > maxSize) return Status::invalidArgument;
  if (d.slices < 1 || d.slices > 2048 || (d.cube && (d.slices != 6 || d.width != d.height))) return Status::invalidArgument;
  const int chain = fullChain(d.width, d.height);
  if (d.levels == 0) d.levels = chain;
  if (d.levels < 1 || d.levels > chain) return Status::invalidArgument;
  if (d.format == Format::Unknown || static_cast<int>(d.format) >= kFormatCount) return Status::invalidArgument;
  if (d.bind & (kBindVertexBuffer | kBindIndexBuffer | kBindConstantBuffer)) return Status::invalidArgument;
  if (!usageAllows(d.usage, d.bind, d.cpuAccess)) return Status::invalidArgument;
  const uint32_t support = formatSupport(d.format);
  if (!(support & kSupportTexture2D)) return Status::unsupported;
  if (d.cube && !(support & kSupportTextureCube)) return Status::unsupported;
  if ((d.bind & kBindRenderTarget) && !(support & kSupportRenderTarget)) return Status::unsupported;
  if (d.bind & kBindDepthStencil) {
    const Format depth = depthFormat(d.format);
    if (depth == Format::Unknown || !(formatSupport(depth) & kSupportDepthStencil)) return Status::unsupported;
  }
  if ((d.bind & kBindShaderResource) && formatInfo(d.format).kind != FormatKind::Typeless &&
      !(support & kSupportSample))
    return Status::unsupported;
  return Status::ok;
}

}  // namespace

const SamplePosition* samplePositions(int count) {
  static const SamplePosition two[] = {{4, 4}, {-4, -4}};
  static const SamplePosition four[] = {{-2, -6}, {6, -2}, {-6, 2}, {2, 6}};
  static const SamplePosition eight[] = {{1, -3}, {-1, 3}, {5, 1}, {-3, -5}, {-5, 5}, {-7, -1}, {3, 7}, {7, -7}};
  switch (count) {
    case 2: return two;
    case 4: return four;
    case 8: return eight;
    default: return nullptr;
  }
}

Status createTexture(const TextureDesc& desc, const InitialData* initial, Ref<Texture>& out) {
  if (!journalCall("CreateTexture", [&] { return describe(desc); })) return Status::injectedFailure;
  TextureDesc d = desc;
  if (const Status s = checkTexture(d); s != Status::ok) return s;
  std::vector<Subresource> subs;
  subs.reserve(size_t(d.levels) * size_t(d.slices));
  size_t offset = 0;
  for (int slice = 0; slice < d.slices; ++slice) {
    for (int level = 0; level < d.levels; ++level) {
      Subresource s;
      s.width = levelSize(d.width, level);
      s.height = levelSize(d.height, level);
      s.pitch = rowBytes(d.format, s.width);
      s.rows = rowCount(d.format, s.height);
      s.offset = offset;
      s.size = s.pitch * size_t(s.rows);
      offset += s.size * size_t(d.samples);  // sample planes follow one another
      subs.push_back(s);
    }
  }
  auto storage = zeroed(offset);
  if (!storage) return Status::outOfMemory;
  if (initial && d.samples != 1) return Status::invalidArgument;
  if (initial) {
    for (size_t i = 0; i < subs.size(); ++i) {
      const Subresource& s = subs[i];
      if (!initial[i].data || initial[i].pitch < s.pitch) return Status::invalidArgument;
      for (int r = 0; r < s.rows; ++r)
        std::memcpy(storage.get() + s.offset + size_t(r) * s.pitch,
                    static_cast<const uint8_t*>(initial[i].data) + size_t(r) * initial[i].pitch, s.pitch);
    }
  }
  out = Ref<Texture>::adopt(new Texture(d, std::move(subs), std::move(storage), offset));
  return Status::ok;
}

Status createBuffer(const BufferDesc& desc, const void* initial, Ref<Buffer>& out) {
  if (!journalCall("CreateBuffer", [&] { return std::to_string(desc.size) + " bytes bind " + std::to_string(desc.bind); }))
    return Status::injectedFailure;
  constexpr uint32_t kBufferBinds = kBindVertexBuffer | kBindIndexBuffer | kBindConstantBuffer;
  if (desc.size == 0 || desc.size > (size_t(1) << 31)) return Status::invalidArgument;
  if (desc.bind & ~kBufferBinds) return Status::invalidArgument;
  if ((desc.bind & kBindConstantBuffer) && desc.size % 16 != 0) return Status::invalidArgument;
  if (!usageAllows(desc.usage, desc.bind, desc.cpuAccess)) return Status::invalidArgument;
  auto storage = zeroed(desc.size);
  if (!storage) return Status::outOfMemory;
  if (initial) std::memcpy(storage.get(), initial, desc.size);
  out = Ref<Buffer>::adopt(new Buffer(desc, std::move(storage)));
  return Status::ok;
}

Status createView(Texture& texture, const ViewDesc& desc, Ref<View>& out) {
  if (!journalCall("CreateView", [&] {
        return std::string(formatInfo(desc.format).name) + " levels " + std::to_string(desc.firstLevel) + "+" +
               std::to_string(desc.levelCount) + " slices " + std::to_string(desc.firstSlice) + "+" +
               std::to_string(desc.sliceCount);
      }))
    return Status::injectedFailure;
  const TextureDesc& t = texture.desc();
  ViewDesc d = desc;
  if (d.format == Format::Unknown) d.format = t.format;
  if (static_cast<int>(d.format) >= kFormatCount || !sameFamily(d.format, t.format)) return Status::invalidArgument;
  if (d.firstLevel < 0 || d.firstLevel >= t.levels || d.firstSlice < 0 || d.firstSlice >= t.slices)
    return Status::invalidArgument;
  const bool single = d.kind != ViewKind::shaderResource;
  if (d.levelCount == -1) d.levelCount = single ? 1 : t.levels - d.firstLevel;
  if (d.sliceCount == -1) d.sliceCount = t.slices - d.firstSlice;
  if (d.levelCount < 1 || d.levelCount > t.levels - d.firstLevel) return Status::invalidArgument;
  if (d.sliceCount < 1 || d.sliceCount > t.slices - d.firstSlice) return Status::invalidArgument;
  const uint32_t support = formatSupport(d.format);
  switch (d.kind) {
    case ViewKind::shaderResource:
      if (!(t.bind & kBindShaderResource) || t.samples != 1) return Status::invalidArgument;
      if (!(support & kSupportSample)) return Status::unsupported;
      if (d.cube && (!t.cube || d.sliceCount != 6 || d.firstSlice % 6 != 0)) return Status::invalidArgument;
      break;
    case ViewKind::renderTarget:
      if (!(t.bind & kBindRenderTarget) || d.levelCount != 1 || d.cube) return Status::invalidArgument;
      if (!(support & kSupportRenderTarget)) return Status::unsupported;
      break;
    case ViewKind::depthStencil:
      if (!(t.bind & kBindDepthStencil) || d.levelCount != 1 || d.cube) return Status::invalidArgument;
      if (depthFormat(d.format) != d.format || !(support & kSupportDepthStencil)) return Status::unsupported;
      break;
  }
  out = Ref<View>::adopt(new View(texture, d));
  return Status::ok;
}

}  // namespace plat::gpu
