// Resources of the software GPU: reference-counted textures (levels x slices of 2-D
// images), buffers and the views that name a part of a texture in a format.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gpu/texel_format.h"

namespace plat::gpu {

// Results of the software GPU's entries; each face turns them into its own codes.
enum class Status : uint8_t {
  ok,
  invalidArgument,  // out-of-range box, pitch, subresource, size or description
  unsupported,      // a format or use the profile does not offer
  outOfMemory,
  injectedFailure,  // the profile told this call to fail
  notMapped,
};

// Moves whenever texel data anywhere may have changed: a texture made, a mutable look at
// a texture's storage (copies, fills, a draw's targets when its plan is made), a mapping
// or lock begun or ended. Reads through a mutable texture move it too; what matters to
// its reader (the window presenter) is that an unchanged count means no texel changed.
inline std::atomic<uint64_t> gTexelWrites{0};
inline void noteTexelWrite() { gTexelWrites.fetch_add(1, std::memory_order_relaxed); }
inline uint64_t texelWrites() { return gTexelWrites.load(std::memory_order_relaxed); }

// A reference-counted object: created with one reference, deleted when the last goes.
class Object {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  uint32_t addRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  uint32_t refCount() const { return refs_.load(std::memory_order_acquire); }

 protected:
  Object() = default;
  virtual ~Object() = default;

 private:
  std::atomic<uint32_t> refs_{1};
};

// Holds one reference. `adopt` takes over a reference the caller owns; the constructor
// from a pointer adds one.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->addRef();
  }
  static Ref adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() {
    if (p_) p_->release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Gives up the reference without releasing it.
  T* detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

enum class Usage : uint8_t { Default, Dynamic, Staging };

enum BindFlag : uint32_t {
  kBindVertexBuffer = 1,
  kBindIndexBuffer = 2,
  kBindConstantBuffer = 4,
  kBindShaderResource = 8,
  kBindRenderTarget = 16,
  kBindDepthStencil = 32,
};

enum CpuAccess : uint32_t { kCpuRead = 1, kCpuWrite = 2 };

// One 2-D image of a texture (a level of a slice) inside the texture's storage.
struct Subresource {
  int width, height;
  size_t pitch;  // bytes from one row (of blocks, for block formats) to the next
  int rows;      // rows of texels, or of blocks
  size_t offset;
  size_t size;
};

struct TextureDesc {
  int width = 0, height = 0;
  int levels = 1;  // 0: the whole chain down to 1x1
  int slices = 1;  // array slices; a cube has 6
  bool cube = false;
  Format format = Format::Unknown;
  int samples = 1;
  Usage usage = Usage::Default;
  uint32_t bind = 0;       // BindFlag bits
  uint32_t cpuAccess = 0;  // CpuAccess bits
};

struct BufferDesc {
  size_t size = 0;
  Usage usage = Usage::Default;
  uint32_t bind = 0;
  uint32_t cpuAccess = 0;
};

// A resource's bytes come from calloc: a large block is then fresh pages the system
// hands out zeroed on first touch, so a back buffer or depth buffer that is cleared or
// drawn over before it is read costs no pass of its own at creation. They start on a
// 64-byte line (a large block's own start lies just past a header, and the wide span
// steps would split every access across two lines); the byte before the start holds how
// far it lies past the allocation's.
struct StorageFree {
  void operator()(uint8_t* p) const {
    if (p != nullptr) std::free(p - p[-1]);
  }
};
using Storage = std::unique_ptr<uint8_t[], StorageFree>;

// Initial contents of one subresource.
struct InitialData {
  const void* data;
  size_t pitch;
};

class Resource : public Object {
 public:
  enum class Kind : uint8_t { texture, buffer };
  Kind kind() const { return kind_; }
  Usage usage() const { return usage_; }
  uint32_t bind() const { return bind_; }
  uint32_t cpuAccess() const { return cpuAccess_; }
  int subresourceCount() const { return int(mapped_.size()); }
  bool isMapped(int sub) const { return sub >= 0 && sub < subresourceCount() && mapped_[sub]; }
  // The caller writes through the mapped pointer until the mapping ends.
  void setMapped(int sub, bool on) {
    noteWrite();
    mapped_[sub] = on;
  }
  // Like the global count, but of this resource alone: unchanged means none of its bytes
  // can have changed (a clear that finds it so may skip refilling it).
  uint64_t writes() const { return writes_.load(std::memory_order_relaxed); }

 protected:
  Resource(Kind kind, Usage usage, uint32_t bind, uint32_t cpu, int subresources)
      : kind_(kind), usage_(usage), bind_(bind), cpuAccess_(cpu), mapped_(size_t(subresources), false) {}
  void noteWrite() {
    noteTexelWrite();
    writes_.fetch_add(1, std::memory_order_relaxed);
  }

 private:
  Kind kind_;
  Usage usage_;
  uint32_t bind_, cpuAccess_;
  std::vector<bool> mapped_;
  std::atomic<uint64_t> writes_{0};
};

class Texture final : public Resource {
 public:
  const TextureDesc& desc() const { return desc_; }
  Format format() const { return desc_.format; }
  int levels() const { return desc_.levels; }
  // Subresource numbers run level fastest: slice x levels + level.
  int subresourceIndex(int level, int slice) const { return slice * desc_.levels + level; }
  const Subresource& sub(int i) const { return subs_[size_t(i)]; }
  uint8_t* data(int i) {
    noteWrite();
    return storage_.get() + subs_[size_t(i)].offset;
  }
  const uint8_t* data(int i) const { return storage_.get() + subs_[size_t(i)].offset; }
  // A multisampled texture (one level, one slice) keeps each sample in a plane of its own,
  // laid out like a single-sample image: sample s of a texel lies s planes after sample 0.
  int samples() const { return desc_.samples; }
  uint8_t* plane(int i, int sample) { return data(i) + size_t(sample) * subs_[size_t(i)].size; }
  const uint8_t* plane(int i, int sample) const { return data(i) + size_t(sample) * subs_[size_t(i)].size; }
  size_t storageSize() const { return storageSize_; }
  uint8_t* storage() {
    noteWrite();
    return storage_.get();
  }

 private:
  friend Status createTexture(const TextureDesc&, const InitialData*, Ref<Texture>&);
  Texture(const TextureDesc& d, std::vector<Subresource> subs, Storage storage, size_t size)
      : Resource(Kind::texture, d.usage, d.bind, d.cpuAccess, int(subs.size())), desc_(d), subs_(std::move(subs)),
        storage_(std::move(storage)), storageSize_(size) {
    noteTexelWrite();  // a new texture may sit where a presented one was
  }
  TextureDesc desc_;
  std::vector<Subresource> subs_;
  Storage storage_;
  size_t storageSize_;
};

class Buffer final : public Resource {
 public:
  const BufferDesc& desc() const { return desc_; }
  size_t size() const { return desc_.size; }
  uint8_t* data() { return storage_.get(); }
  const uint8_t* data() const { return storage_.get(); }

 private:
  friend Status createBuffer(const BufferDesc&, const void*, Ref<Buffer>&);
  Buffer(const BufferDesc& d, Storage storage)
      : Resource(Kind::buffer, d.usage, d.bind, d.cpuAccess, 1), desc_(d), storage_(std::move(storage)) {}
  BufferDesc desc_;
  Storage storage_;
};

enum class ViewKind : uint8_t { shaderResource, renderTarget, depthStencil };

struct ViewDesc {
  ViewKind kind = ViewKind::shaderResource;
  Format format = Format::Unknown;  // Unknown: the texture's own format
  int firstLevel = 0;
  int levelCount = -1;  // -1: every level from firstLevel on
  int firstSlice = 0;
  int sliceCount = -1;  // -1: every slice from firstSlice on
  bool cube = false;    // a shader-resource view reading six slices as a cube
};

// A view keeps its texture alive for as long as it lives.
class View final : public Object {
 public:
  const ViewDesc& desc() const { return desc_; }
  Texture& texture() const { return *texture_; }
  Format format() const { return desc_.format; }
  // The subresource of the view's level `level` in its slice `slice`.
  int subresource(int level, int slice) const {
    return texture_->subresourceIndex(desc_.firstLevel + level, desc_.firstSlice + slice);
  }
  // What the last depth-stencil clear through this view filled in, and its texture's write
  // count right after: while the count stands, the same clear would change no byte.
  struct Cleared {
    uint64_t writes = ~uint64_t(0);
    bool depth = false, stencil = false;
    uint32_t depthBits = 0;
    uint8_t stencilValue = 0;
  };
  Cleared& cleared() { return cleared_; }

 private:
  friend Status createView(Texture&, const ViewDesc&, Ref<View>&);
  View(Texture& t, const ViewDesc& d) : texture_(&t), desc_(d) {}
  Ref<Texture> texture_;
  ViewDesc desc_;
  Cleared cleared_;
};

// Creation refuses sample counts the profile does not offer for the format (a multisampled
// texture has one level and one slice, default usage and no initial data), sizes past the
// profile's limit, formats the profile does not support for the asked binding, and CPU
// access that the usage does not allow. `initial` (may be null) holds one entry per
// subresource.
Status createTexture(const TextureDesc& desc, const InitialData* initial, Ref<Texture>& out);
Status createBuffer(const BufferDesc& desc, const void* initial, Ref<Buffer>& out);
// The view's format must share the texture's storage layout; its levels and slices must
// lie inside the texture, and the texture must be bound for the view's kind. Shaders read
// no multisampled texture: such a texture takes render-target and depth views only.
Status createView(Texture& texture, const ViewDesc& desc, Ref<View>& out);

// The fixed sample positions of a count (2, 4 or 8), in 1/16 pixel from the pixel's centre;
// null for any other count.
struct SamplePosition {
  int8_t x, y;
};
const SamplePosition* samplePositions(int count);

// Level sizes halve and never fall below 1.
inline int levelSize(int size, int level) {
  const int s = size >> level;
  return s > 0 ? s : 1;
}

}  // namespace plat::gpu
