// Decoders of the layer's packed data: the LZ streams of archives and built-in
// resources, and the printable-text blobs that carry built-in data in the source.
#pragma once
#include <cstddef>

namespace ZaDod {

// LZ stream: u32 output size, u32 stored size (this 9-byte header included), escape
// byte, codes. Returns the output size; with a destination also fills it. For
// trusted built-in data: the stream is believed to hold what its header says.
int DecompressLZ(const void* source, void* destination);

// The same for outside data: reads at most sourceSize bytes and writes at most
// destinationSize. -1, with nothing touched outside the two buffers, when the
// stream is cut, a match reaches before the output's start or past its end, or
// the output is shorter than declared. A null destination gives the size only.
int DecompressLZBounded(const void* source, std::size_t sourceSize, void* destination, std::size_t destinationSize);

// Packed-text blob (ended by any byte that is not a symbol, e.g. its terminator).
// Returns the output size; with a destination fills it. The destination may be the
// blob itself. -1 when the blob ends before its declared size.
int DecodeTextPackedData(const void* packed, void* destination);

// Bounded form: reads at most packedSize bytes, writes at most destinationSize.
int DecodeTextPackedDataBounded(const void* packed, std::size_t packedSize, void* destination,
                                std::size_t destinationSize);

}  // namespace ZaDod
