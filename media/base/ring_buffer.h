// A growable byte queue: network handles keep their received and outgoing bytes in
// one each, and the soft-sound players their samples. Offsets wrap at the buffer end.
#pragma once
#include <cstdint>

namespace ZaDod {

struct RingBuffer {
  unsigned char* DataBuffer;
  int Start;       // read offset
  int End;         // write offset
  int DataLength;  // bytes held
  int BufferSize;
};

int RingBufferInitialize(RingBuffer* ring);
int RingBufferTerminate(RingBuffer* ring);
// Makes room for `addSize` more bytes beside those held. On failure the ring keeps its
// block and its bytes, and -1 is returned.
int RingBufferReserve(RingBuffer* ring, uint32_t addSize);
// Copies `size` bytes from the read offset; without peek they are taken out. -1, with
// nothing changed, when fewer are held.
int RingBufferRead(RingBuffer* ring, void* buffer, int size, int peek);

}  // namespace ZaDod
