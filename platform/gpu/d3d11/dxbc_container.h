// Shader-model 4 and 5 bytecode containers: the outer layout (magic, version, total size,
// chunk table) is checked as a whole before any chunk is read, then the input and output
// signatures and the program chunk are taken out. Every offset, count and length is
// checked against the blob before it is followed; other chunks are skipped. The checksum
// is not verified: the structure is.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat::gpu::dxbc {

// Component types of a signature element.
enum : uint32_t { kCompUnknown = 0, kCompUint = 1, kCompSint = 2, kCompFloat = 3 };

// System values as signatures and declarations name them.
enum : uint32_t {
  kSvUndefined = 0,
  kSvPosition = 1,
  kSvVertexId = 6,
  kSvIsFrontFace = 9,
  kSvTarget = 64,
  kSvDepth = 65,
};

struct SignatureElement {
  std::string name;  // as written, compared without regard to case
  uint32_t index = 0, systemValue = 0, componentType = 0, reg = 0;
  uint8_t mask = 0;    // components the element has
  uint8_t rwMask = 0;  // inputs: components the program reads; outputs: never written
};

struct Container {
  std::vector<SignatureElement> inputs, outputs;
  std::vector<uint32_t> code;  // the program chunk's words, version token first
  bool model5Chunk = false;        // SHEX rather than SHDR
};

// True when `data` starts like a container (the magic), whatever the rest holds.
bool looksLikeContainer(const void* data, size_t size);

// Checks and reads the blob. On failure `reason` says what is wrong and where.
bool parseContainer(const void* data, size_t size, Container& out, std::string& reason);

}  // namespace plat::gpu::dxbc
