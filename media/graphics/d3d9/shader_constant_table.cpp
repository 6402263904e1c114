// The constant table of Direct3D 9 shader code: a comment block right after the version
// token that starts with "CTAB". Only a table whose header, description array and every
// offset in them lie inside the comment (and the comment inside the code) is taken.
#include <cstdint>
#include <cstring>

#include "media/graphics/d3d9/d3d9_state.h"

namespace ZaDod {
namespace {

uint32_t readU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// A zero-terminated text at `offset` inside the table.
bool textInside(const uint8_t* table, uint64_t size, uint32_t offset) {
    if (offset >= size) return false;
    return std::memchr(table + offset, 0, size_t(size - offset)) != nullptr;
}

}  // namespace

int D3D9_FindConstantTable(const void* code, int size, int* start, int* count) {
    *start = *count = 0;
    if (code == nullptr || size < 12) return 0;
    const auto* bytes = static_cast<const uint8_t*>(code);
    const uint32_t comment = readU32(bytes + 4);
    if ((comment & 0xFFFFu) != 0xFFFEu || (comment & 0x80000000u)) return 0;
    const uint64_t words = (comment >> 16) & 0x7FFFu;
    if (words < 1 || 8 + words * 4 > uint64_t(size)) return 0;
    if (std::memcmp(bytes + 8, "CTAB", 4) != 0) return 0;
    // The table follows the four-character code; its offsets count from its first byte.
    const uint8_t* table = bytes + 12;
    const uint64_t tableSize = words * 4 - 4;
    constexpr uint64_t kHeader = 28, kDescription = 20, kType = 16;
    if (tableSize < kHeader) return 0;
    const uint32_t headerSize = readU32(table), creator = readU32(table + 4), n = readU32(table + 12),
                   infoAt = readU32(table + 16), target = readU32(table + 24);
    if (headerSize < kHeader || headerSize > tableSize || !textInside(table, tableSize, creator) ||
        !textInside(table, tableSize, target))
        return 0;
    if (uint64_t(infoAt) + uint64_t(n) * kDescription > tableSize) return 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* d = table + infoAt + size_t(i) * kDescription;
        const uint32_t name = readU32(d), typeAt = readU32(d + 12), defaultAt = readU32(d + 16);
        if (!textInside(table, tableSize, name) || uint64_t(typeAt) + kType > tableSize ||
            (defaultAt != 0 && defaultAt >= tableSize))
            return 0;
    }
    *start = int(12 + infoAt);
    *count = int(n);
    return 1;
}

}  // namespace ZaDod
