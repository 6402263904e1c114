// Names between UTF-8 and an archive's code page, through the C library's iconv.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvorine::pack {

// The name's bytes in codePage, without terminator; false when it cannot be written there.
bool convertName(const std::string& utf8, int codePage, std::vector<std::uint8_t>& out);
// A terminated name in codePage back to UTF-8 (bytes up to the first zero unit).
bool nameToUtf8(const std::uint8_t* text, std::size_t maxBytes, int codePage, std::string& out);

}  // namespace halvorine::pack
