// Shader tokens: the small byte strings our shader packages carry in place of compiled
// code. A token names one entry of the shader bank; nothing else is ever run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/gpu/shaders/bank.h"

namespace plat::gpu {

// Layout, little-endian words: version (0xFFFE0300 vertex, 0xFFFF0300 pixel), the magic
// "STND", kind (0 vertex, 1 pixel), name length (1..255), the name padded with zero bytes
// to a multiple of 4, and the end word 0x0000FFFF.
inline constexpr uint32_t kTokenVertexVersion = 0xFFFE0300u;
inline constexpr uint32_t kTokenPixelVersion = 0xFFFF0300u;
inline constexpr uint32_t kTokenEnd = 0x0000FFFFu;
inline constexpr size_t kTokenMaxName = 255;

std::vector<uint8_t> makeToken(ShaderStage stage, std::string_view name);
// The entry a token names, or null for anything that is not a whole, valid token of
// exactly `length` bytes naming a registered shader of its stage.
const ShaderEntry* findShader(const void* bytes, size_t length);
// Whether `bytes` start with a token's version word and magic; `length` is then the byte
// length of the whole token when its end word lies within `size` bytes, else 0. Reads
// nothing past `size`.
bool tokenHeader(const void* bytes, size_t size, size_t& length);

}  // namespace plat::gpu
