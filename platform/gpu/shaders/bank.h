// The shader bank: every shader a face can select is a C++ function registered here under
// the name its token carries, with the parameters the name stands for. Vertex functions map
// one fetched vertex to a clip position and varyings; pixel functions map interpolated
// varyings, through the bound constants and textures, to a colour or a discard.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/resource.h"
#include "platform/gpu/sampler.h"
#include "platform/gpu/shaders/constants.h"

namespace plat::gpu {

inline constexpr int kConstantSlots = 14;
inline constexpr int kResourceSlots = 128;
inline constexpr int kSamplerSlots = 16;

enum class Semantic : uint8_t { position, normal, colour, texcoord, tangent, binormal };

struct Interpolator;  // the rasteriser's plane set of one primitive

// One fetched vertex: the values of the vertex function's declared inputs, in its order.
// An input the layout does not provide reads (0, 0, 0, 1).
struct VertexIn {
  Float4 in[16];
};

struct VertexOut {
  Float4 pos;  // clip space
  float v[shader::kVaryingCount];
};

// What a pixel function writes beside its colour, when its entry says it does: colours for
// render targets 1 and up, and a depth that replaces the interpolated one.
inline constexpr int kPixelMoreTargets = 7;
struct PixelOutputs {
  Float4 colour[kPixelMoreTargets];
  float depth;
};

// One pixel: its centre, depth, facing and interpolated varyings, and where it lies in its
// primitive (for the level of detail of texture reads). `more` is where the function puts
// its other outputs (null for functions that have none).
struct PixelIn {
  float x, y, z;
  bool front;
  const float* v;
  const Interpolator* interp;
  PixelOutputs* more = nullptr;
};

// The bound constants, textures and samplers of one stage for one draw. Constants are read
// by byte offset or as 16-byte registers; reads past a buffer's end give 0.
class ShaderEnv {
 public:
  float constant(int slot, int byteOffset) const;
  int32_t constantInt(int slot, int byteOffset) const;
  // Inline for the common case, a whole register inside the buffer: the span forms read
  // their constants a run.
  Float4 reg(int slot, int index) const {
    Float4 r;
    if (slot >= 0 && slot < kConstantSlots && cb[slot] && index >= 0 && size_t(index) * 16 + 16 <= cbSize[slot]) {
      std::memcpy(&r[0], cb[slot] + size_t(index) * 16, 16);
      return r;
    }
    return regSlow(slot, index);
  }
  // Texture slot i is read through sampler slot i. The level of detail comes from how the
  // texture-coordinate pair `pair` changes across the pixel's 2x2 quad.
  Float4 sample(int slot, float u, float v, const PixelIn& in, int pair) const;
  const View* view(int slot) const { return slot >= 0 && slot < kResourceSlots ? views[slot] : nullptr; }

  const uint8_t* cb[kConstantSlots] = {};
  size_t cbSize[kConstantSlots] = {};
  const View* views[kResourceSlots] = {};
  const SamplerDesc* samplerDescs[kSamplerSlots] = {};
  TextureSampler samplers[kSamplerSlots];  // bound to texture slot i and sampler slot i

 private:
  Float4 regSlow(int slot, int index) const;
};

// A run of one row for a span function: n pixels (at most kSpanRun), their texture-
// coordinate pairs 0 and 1 exactly as the pixel function would read them, and the level of
// detail of texture k read through pair k (one value along a row of an affine primitive).
// `draw` names the draw the run belongs to: within one draw the textures read do not change.
inline constexpr int kSpanRun = 512;
// `uRun[k]` names pair k's first coordinates when they are the same on every row: two runs
// with equal names (and n) have the same coordinates bit for bit, each (a0 + aA ((x + i +
// 0.5) - x0)) up to the sign of a zero. A named pair's u[k] is null for a function that
// does not read around (it reads the texel-run check alone).
struct SpanRunName {
  bool named = false;
  uint32_t a0 = 0, aA = 0, x0 = 0;
  int x = 0;
  bool operator==(const SpanRunName&) const = default;
};
namespace shader {
struct SpanTexture;
}
struct SpanIn {
  int n = 0;
  const float* u[2] = {};
  const float* v[2] = {};
  float lod[2] = {};
  uint64_t draw = 0;
  SpanRunName uRun[2];
  // Every v[k] of the run is the same: for a function that does not read around, v[k]
  // holds the first alone.
  bool vSame[2] = {};
  // The level texture k reads through pair k at lod[k], found once for the row (its base
  // null when a span form reads none there); null has each run look it up.
  const shader::SpanTexture* texture[2] = {};
  // The target keeps blue first: a form whose entry has `spanBgra` stores the run so.
  bool bgra = false;
};

struct ShaderEntry;
using VertexFn = void (*)(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out);
// The same function over `count` fetched vertices at once, for functions whose per-vertex
// work is small beside a call and the reads of the draw's constants.
using VertexRunFn = void (*)(const VertexIn* in, int count, const ShaderEnv& env, const ShaderEntry& self,
                             VertexOut* out);
// Returns false to discard the pixel.
using PixelFn = bool (*)(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out);

// Writes the run's n colours as red, green, blue, alpha bytes: what an 8-bit UNORM target
// stores for the colours the pixel function gives these pixels. The bytes may be the
// target's own, read by the run: each pixel's texels are read before any is written.
// False, with nothing written, when the run is not one it serves (a texture read that is
// not the kind it handles); the caller then runs the pixel function over the run instead.
// A texture that is not bound has no coordinates in the run.
using PixelSpanFn = bool (*)(const SpanIn& in, const ShaderEnv& env, const ShaderEntry& self, uint8_t* rgba);

enum class ShaderStage : uint8_t { vertex, pixel };

// The specialised spans a pixel function is equal to; the draw picks one only when the
// rest of the state allows it too.
enum class FastPath : uint8_t { none, flatColour, textureDiffuse, textureDiffuseNoAlpha };
inline constexpr uint8_t kFastColourUnread = 1, kFastAlphaUnread = 2;

struct VertexInput {
  Semantic semantic;
  uint8_t index;
};

struct ShaderEntry {
  std::string name;
  ShaderStage stage;
  VertexFn vertex = nullptr;
  VertexRunFn vertexRun = nullptr;  // optional: gives what `vertex` gives, vertex by vertex
  PixelFn pixel = nullptr;
  int param[4] = {0, 0, 0, 0};
  std::vector<VertexInput> inputs;  // vertex functions: the inputs they read
  int varyings = 0;                 // vertex functions: floats of varyings they write
  FastPath fast = FastPath::none;
  // With a textured FastPath: the diffuse channels the function does not read (the vertex
  // stage feeds them as 1 and the spans leave them out of the product).
  uint8_t fastUnread = 0;
  // With a FastPath, what the function does after the product, in this order: saturate
  // the colour, add the specular colour (colour 1) and saturate again, blend toward
  // `fastFogColour` (red, green, blue) by the fog factor in varying kExtra, as the
  // Direct3D 9 face's fixed stages and its fog do.
  bool fastSaturates = false;
  bool fastSpecular = false;
  const float* fastFogColour = nullptr;
  const void* data = nullptr;  // entries a face builds per draw: the plan their function reads
  // Pixel functions: render targets 1.. they write (bit t - 1 for target t), and whether
  // they write the depth; PixelIn::more receives both.
  uint8_t moreTargets = 0;
  bool writesDepth = false;
  // Pixel functions that never discard: the same colours a run at a time, over the
  // texture's bytes. `spanReadsAround`: the span reads texels of other pixels too (and may
  // keep them for the draw), so it must not run while its target is one of its textures.
  PixelSpanFn span = nullptr;
  bool spanReadsAround = false;
  // The span form also stores blue-first bytes when SpanIn::bgra asks (functions that
  // treat red, green and blue alike, or name them by position in the run).
  bool spanBgra = false;
};

// Every registered shader, in registration order; faces look them up by name.
const std::vector<ShaderEntry>& shaderBank();
const ShaderEntry* findShaderByName(std::string_view name, ShaderStage stage);

// The level of detail (log2 of texels per pixel) of a texture of the given size read with
// the texture-coordinate pair `pair` at this pixel; -infinity where nothing changes.
float textureLod(const PixelIn& in, int pair, float width, float height);

// Registration of the built-in families, in package order.
void addBuiltin2D(std::vector<ShaderEntry>& bank);
void addBuiltin3D(std::vector<ShaderEntry>& bank);
void addBuiltinMaskCopy(std::vector<ShaderEntry>& bank);
// The graph-filter and graph-blend shaders, packed by file name.
void addFilterColour(std::vector<ShaderEntry>& bank);
void addFilterSampling(std::vector<ShaderEntry>& bank);
void addBlends(std::vector<ShaderEntry>& bank);

}  // namespace plat::gpu
