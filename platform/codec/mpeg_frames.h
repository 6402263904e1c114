// Where a stream of MPEG audio frames starts: one rule for every path that takes MPEG
// audio from a file (the conversion codec's MP3 and MP3-in-WAVE readers and the filter
// graph's decoder), so that they take and refuse the same data.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::codec {

// The length in bytes of the frame whose four header bytes are at h; 0 when they are no
// usable header (free-format frames have no length of their own and are not taken).
std::int64_t mpegFrameLength(const std::uint8_t* h);

// Whether the header at b can follow the one at a in one stream: same version, layer
// and rate.
bool mpegFramesAgree(const std::uint8_t* a, const std::uint8_t* b);

// The offset of the first frame of the data [0, size), which are the first bytes of a
// stream of total bytes: right at the start, or right after an ID3v2 tag there, and
// only when that frame ends where another header that agrees with it begins, or at
// the end of the stream (or of its ID3v1 tag). -1 otherwise: bytes between a tag and
// the first frame, or before it, are not searched, so data of another kind (Ogg pages,
// RIFF chunks, pictures, runs of 0xFF) never passes for MPEG audio by chance.
std::int64_t mpegStreamStart(const std::uint8_t* data, std::size_t size, std::uint64_t total);

}  // namespace plat::codec
