// LZ encoder for the stream format that DecompressLZ reads (see docs/lz-stream.md).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvorine::pack {

// The whole stream, header included.
std::vector<std::uint8_t> encodeLZ(const std::uint8_t* data, std::size_t size);

}  // namespace halvorine::pack
