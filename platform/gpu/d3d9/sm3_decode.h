// The Direct3D 9 face's decoder of shader-model 2.0, 2.x and 3.0 programs into the shader
// machine's instruction form. It reads word by word from the version token to the end
// token, never past the given count and never past the first word that cannot belong to a
// valid stream, and refuses what the machine does not run with a reason naming the byte
// offset and the opcode.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gpu/shaders/vm/program.h"

namespace plat::gpu::sm3 {

// Decodes the stream at `words`, at most `count` words long. On success `wordsUsed` is the
// stream's length up to and including its end token.
bool decode(const uint32_t* words, size_t count, vm::Program& out, std::string& reason, size_t* wordsUsed = nullptr);

}  // namespace plat::gpu::sm3
