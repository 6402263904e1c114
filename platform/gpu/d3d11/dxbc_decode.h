// The Direct3D 11 face's decoder of shader-model 4.0, 4.1 and 5.0 vertex and pixel
// programs into the shader machine's instruction form. The container is checked first;
// then each token is checked before the next is read, never past its instruction's length.
// What the machine does not run (other program kinds, unordered-access views, gathers,
// doubles, class linkage, streams, texture kinds this system never makes) is refused with a
// reason naming the byte offset in the program and the opcode.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/d3d11/dxbc_container.h"
#include "platform/gpu/shaders/vm/program.h"

namespace plat::gpu::dxbc {

enum class ResourceKind : uint8_t { none, texture2d, texture2dArray, textureCube };

inline constexpr int kResourceSlots = 16, kSamplerSlots = 16, kBufferSlots = 14;
inline constexpr uint8_t kNoSampler = 0xFF;

// The machine's sampler k reads texture slot `texture` through sampler slot `sampler`
// (kNoSampler: whole-texel and size reads, which filter nothing).
struct TexturePair {
  uint8_t texture, sampler;
};

// How a pixel input is interpolated.
enum class Interpolation : uint8_t { linear, constant, noPerspective };

struct Shader {
  vm::Program program;
  std::vector<SignatureElement> inputs, outputs;  // the container's signatures
  std::vector<TexturePair> pairs;                 // by machine sampler
  ResourceKind resources[kResourceSlots] = {};
  bool comparison[kSamplerSlots] = {};            // sampler declared for comparison
  bool samplerDeclared[kSamplerSlots] = {};
  uint32_t bufferRegs[kBufferSlots] = {};         // declared size of each constant buffer (0: none)
  Interpolation interpolation[vm::kMaxInputs] = {};
};

// Checks the container and decodes its program. On failure `reason` says why and `out`
// holds nothing of the refused program.
bool decodeShader(const void* data, size_t size, Shader& out, std::string& reason);

}  // namespace plat::gpu::dxbc
