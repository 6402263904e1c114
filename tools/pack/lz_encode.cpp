// LZ encoder for the stream format that DecompressLZ reads (see docs/lz-stream.md).
#include "tools/pack/lz_encode.h"

#include <algorithm>
#include <stdexcept>

namespace halvorine::pack {

namespace {

constexpr std::size_t MinMatch = 4;
constexpr std::size_t MaxMatch = 8191 + MinMatch;  // 13 length bits
constexpr std::size_t MaxDistance = std::size_t(1) << 24;
constexpr int HashBits = 16;
constexpr int ChainDepth = 128;

std::uint32_t hash4(const std::uint8_t* p)
{
    const std::uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
    return (v * 2654435761u) >> (32 - HashBits);
}

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Writer {
    std::vector<std::uint8_t>& out;
    std::uint8_t escape;
    std::size_t previousDistance = 0;

    void literal(std::uint8_t b)
    {
        out.push_back(b);
        if (b == escape) out.push_back(b);
    }

    // Bytes a match would take; 0 when it cannot be written.
    static std::size_t cost(std::size_t length, std::size_t distance, std::size_t previous)
    {
        const std::size_t lengthField = length - MinMatch;
        const bool extended = lengthField >= 32;
        std::size_t n = 2 + extended;
        if (distance == previous + 1 && !(extended && (lengthField & 31) == 31)) return n;
        return n + (distance <= 0x100 ? 1 : distance <= 0x10000 ? 2 : 3);
    }

    void match(std::size_t length, std::size_t distance)
    {
        const std::size_t lengthField = length - MinMatch;
        const bool extended = lengthField >= 32;
        int mode;
        // A code of 0xFF could not be stored above the escape, so that one
        // combination names its distance explicitly.
        if (distance == previousDistance + 1 && !(extended && (lengthField & 31) == 31)) mode = 3;
        else mode = distance <= 0x100 ? 0 : distance <= 0x10000 ? 1 : 2;
        std::uint32_t code = std::uint32_t((lengthField & 31) << 3 | (extended ? 4 : 0) | mode);
        if (code >= escape) ++code;
        out.push_back(escape);
        out.push_back(static_cast<std::uint8_t>(code));
        if (extended) out.push_back(static_cast<std::uint8_t>(lengthField >> 5));
        const std::size_t d = distance - 1;
        if (mode <= 2) out.push_back(static_cast<std::uint8_t>(d));
        if (mode >= 1 && mode <= 2) out.push_back(static_cast<std::uint8_t>(d >> 8));
        if (mode == 2) out.push_back(static_cast<std::uint8_t>(d >> 16));
        previousDistance = distance;
    }
};

}  // namespace

std::vector<std::uint8_t> encodeLZ(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x7FFFFFFF) throw std::length_error("LZ streams hold at most 2 GB");
    // The rarest byte is the escape, so that few literals need doubling.
    std::size_t counts[256] = {};
    for (std::size_t i = 0; i < size; ++i) ++counts[data[i]];
    const auto escape = static_cast<std::uint8_t>(std::min_element(counts, counts + 256) - counts);

    std::vector<std::uint8_t> out(9);
    out.reserve(size / 2 + 16);
    out[8] = escape;
    Writer writer{out, escape};

    std::vector<std::int64_t> head(std::size_t(1) << HashBits, -1);
    std::vector<std::int64_t> chain(size, -1);
    auto insert = [&](std::size_t at) {
        if (at + MinMatch > size) return;
        const std::uint32_t h = hash4(data + at);
        chain[at] = head[h];
        head[h] = static_cast<std::int64_t>(at);
    };

    std::size_t at = 0;
    while (at < size) {
        std::size_t bestLength = 0, bestDistance = 0;
        if (at + MinMatch <= size) {
            const std::size_t limit = std::min(MaxMatch, size - at);
            std::int64_t candidate = head[hash4(data + at)];
            for (int depth = 0; candidate >= 0 && depth < ChainDepth; ++depth, candidate = chain[candidate]) {
                const std::size_t distance = at - static_cast<std::size_t>(candidate);
                if (distance > MaxDistance) break;
                std::size_t length = 0;
                while (length < limit && data[candidate + length] == data[at + length]) ++length;
                if (length > bestLength ||
                    (length == bestLength && length >= MinMatch &&
                     Writer::cost(length, distance, writer.previousDistance) <
                         Writer::cost(length, bestDistance, writer.previousDistance))) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit) break;
                }
            }
        }
        if (bestLength >= MinMatch && Writer::cost(bestLength, bestDistance, writer.previousDistance) < bestLength + 1) {
            writer.match(bestLength, bestDistance);
            for (std::size_t i = 0; i < bestLength; ++i) insert(at + i);
            at += bestLength;
        } else {
            writer.literal(data[at]);
            insert(at);
            ++at;
        }
    }
    putU32(out, 0, static_cast<std::uint32_t>(size));
    putU32(out, 4, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace halvorine::pack
