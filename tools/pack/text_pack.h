// Packer of printable-text blobs, the inverse of DecodeTextPackedData.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace halvorine::pack {

// The blob as bytes (without a terminator). Sizes above 0xFFFFFFFF cannot be packed.
std::string packText(const std::uint8_t* data, std::size_t size);

// The blob as the body of a C++ string literal: printable symbols as they are,
// the others as three-digit octal escapes, split into lines of quoted pieces.
std::string packedTextLiteral(const std::string& blob);

}  // namespace halvorine::pack
