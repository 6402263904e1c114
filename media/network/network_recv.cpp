// Receiving: length prefixes and message bodies from the socket into the receive ring,
// and complete messages handed out one by one.
#include <cstring>

#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

// A message the ring cannot take (too long, or no memory) puts the handle in error and
// nothing more is taken from the socket: the pump closes it.
int refuseMessage(NetworkHandleRecord* r, uint32_t size) {
  LogFormatUtf16(u"受信データを保存するリングバッファのリサイズに失敗しました(データサイズ %u byte)", size);
  r->ErrorFlag = 1;
  return -1;
}

// A read between messages, or near the end of one, takes up to this many bytes at once:
// a small message and its prefix, and the next ones, come in one call.
constexpr uint32_t kReadChunk = 8192;

// Starts the message whose prefix is complete: 0, or -1 refused.
int beginMessage(NetworkHandleRecord* r) {
  r->RecvPrefixHave = 0;
  const uint8_t* prefix = r->RecvPrefix;
  uint32_t size = prefix[0] | (prefix[1] << 8) | (prefix[2] << 16) | (static_cast<uint32_t>(prefix[3]) << 24);
  if (size > NetworkMessageMax || RingBufferReserve(&r->RecvBuffer, size) != 0 ||
      RingBufferReserve(&r->MessageSizes, 4) != 0)
    return refuseMessage(r, size);
  // An empty ring starts again at its beginning, so that a body lies in one piece.
  if (r->RecvBuffer.DataLength == 0) r->RecvBuffer.Start = r->RecvBuffer.End = 0;
  r->RecvMessageSize = size;
  r->RecvRemain = size;
  r->RecvInMessage = 1;
  return 0;
}

void completeMessage(NetworkHandleRecord* r) {
  r->RecvInMessage = 0;
  r->RecvPrefixOnly = r->RecvMessageSize >= kReadChunk;
  r->RecvCompleteSize += r->RecvMessageSize;
  uint32_t size = r->RecvMessageSize;
  NetworkRingPut(&r->MessageSizes, &size, 4);
}

// Runs bytes read from the socket through the framing: prefix bytes into the record
// (a prefix may come in pieces), bodies into the receive ring. 0, or -1 refused.
int takeBytes(NetworkHandleRecord* r, const uint8_t* data, uint32_t n) {
  while (n > 0) {
    if (!r->RecvInMessage) {
      uint32_t k = 4 - static_cast<uint32_t>(r->RecvPrefixHave);
      if (k > n) k = n;
      std::memcpy(r->RecvPrefix + r->RecvPrefixHave, data, k);
      r->RecvPrefixHave += static_cast<int>(k);
      data += k;
      n -= k;
      if (r->RecvPrefixHave < 4) break;
      if (beginMessage(r) != 0) return -1;
    }
    uint32_t k = r->RecvRemain < n ? r->RecvRemain : n;
    NetworkRingPut(&r->RecvBuffer, data, k);
    data += k;
    n -= k;
    r->RecvRemain -= k;
    if (r->RecvRemain == 0) completeMessage(r);
  }
  return 0;
}

// Receives up to `want` body bytes straight into the ring at its write offset: the
// count, or -1.
int receiveInto(NetworkHandleRecord* r, uint32_t want) {
  RingBuffer& ring = r->RecvBuffer;
  if (ring.End >= ring.BufferSize) ring.End = 0;
  uint32_t first = static_cast<uint32_t>(ring.BufferSize - ring.End);
  if (first > want) first = want;
  int n = WinAPI.recvFunc(r->Socket, reinterpret_cast<char*>(ring.DataBuffer + ring.End), static_cast<int>(first), 0);
  if (n <= 0) return -1;
  ring.End += n;
  int got = n;
  if (static_cast<uint32_t>(n) == first && first < want) {
    ring.End = 0;
    int m = WinAPI.recvFunc(r->Socket, reinterpret_cast<char*>(ring.DataBuffer), static_cast<int>(want - first), 0);
    if (m > 0) {
      ring.End = m;
      got += m;
    }
  }
  ring.DataLength += got;
  return got;
}

// The most of a body one read takes, so that a pass keeps to its share.
constexpr uint32_t kBodyStep = 1u << 20;

// Receives the rest of the current body into the ring, a step at a time: the count, or -1.
int receiveBody(NetworkHandleRecord* r) {
  int got = receiveInto(r, r->RecvRemain < kBodyStep ? r->RecvRemain : kBodyStep);
  if (got <= 0) return got;
  r->RecvRemain -= static_cast<uint32_t>(got);
  if (r->RecvRemain == 0) completeMessage(r);
  return got;
}

// Whether the socket holds the rest of the current body and nothing after it. Bytes
// behind the body are received as ever, so that a program waiting for several messages,
// or for the peer's close, sees them.
bool bodyWaits(NetworkHandleRecord* r) {
  unsigned long queued = 0;
  return WinAPI.ioctlsocketFunc && WinAPI.ioctlsocketFunc(r->Socket, plat::net::FIONREAD, &queued) == 0 &&
         queued == r->RecvRemain;
}

// Completes the current message with the rest of its body still in the socket. A
// zero-length peek makes the socket's next read event wait for more bytes than are
// there now: those after the body, or the peer's close.
void leaveBodyInSocket(NetworkHandleRecord* r) {
  r->RecvBodyInSocket = r->RecvRemain;
  r->RecvRemain = 0;
  completeMessage(r);
  char none;
  WinAPI.recvFunc(r->Socket, &none, 0, plat::net::MSG_PEEK);
}

// Takes a body left in the socket into the ring, behind its first bytes: 0, or -1 (the
// connection failed under it; the handle is put in error).
int takeBodyInSocket(NetworkHandleRecord* r) {
  while (r->RecvBodyInSocket > 0) {
    int got = receiveInto(r, r->RecvBodyInSocket);
    if (got <= 0) {
      r->ErrorFlag = 1;
      return -1;
    }
    r->RecvBodyInSocket -= static_cast<uint32_t>(got);
  }
  return 0;
}

// Receives exactly `size` bytes that are known to be in the socket: 0, or -1.
int receiveAll(NetworkHandleRecord* r, char* into, uint32_t size) {
  while (size > 0) {
    int n = WinAPI.recvFunc(r->Socket, into, static_cast<int>(size), 0);
    if (n <= 0) return -1;
    into += n;
    size -= static_cast<uint32_t>(n);
  }
  return 0;
}

}  // namespace

int RecvSocket(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  return ReceiveOn(NetworkRecord(handle));
}

int ReceiveOn(NetworkHandleRecord* r) {
  r = BeginTransfer(r, &Network.RecvRunning, &NetworkHandleRecord::RecvPending, u"RecvSocket");
  if (!r) return -1;
  int result = 0;
  // Bytes came after a body left in the socket, or the peer is gone: the body is taken
  // into the ring first, so that what follows is received and a close is seen.
  if (r->RecvBodyInSocket > 0 && takeBodyInSocket(r) != 0) result = -1;
  // What this pump pass took from the handle's socket, over every receive it made.
  if (r->RecvPass != Network.PumpPass) {
    r->RecvPass = Network.PumpPass;
    r->RecvPassTaken = 0;
  }
  while (result == 0 && r->LengthPrefixFlag) {
    r->RecvPending = 0;
    // A full queue leaves the bytes in the socket, where they hold the peer back; a
    // pass that took its share leaves the rest to the next pump pass.
    if (r->RecvBuffer.DataLength >= static_cast<int>(NetworkRecvQueueMax)) {
      r->RecvHeld = 1;
      break;
    }
    if (r->RecvPassTaken >= NetworkRecvPassMax) {
      r->RecvPending = 1;
      break;
    }
    // A long body that is all in the socket stays there until the message is read; one
    // still coming goes straight into the ring. Prefixes and short bodies are read a
    // chunk at a time, so that one call takes several small messages.
    // The loop goes on after a chunk read that took all it asked for; a body read ends
    // at its message, and what follows brings another read event.
    bool full;
    int got;
    if (r->RecvInMessage && r->RecvRemain >= kReadChunk && bodyWaits(r)) {
      leaveBodyInSocket(r);
      break;
    }
    if (r->RecvInMessage && r->RecvRemain >= kReadChunk) {
      got = receiveBody(r);
      full = got > 0 && r->RecvInMessage;  // a long body goes on in steps
    } else {
      uint8_t chunk[kReadChunk];
      const int ask = !r->RecvInMessage && r->RecvPrefixOnly ? 4 - r->RecvPrefixHave : static_cast<int>(kReadChunk);
      got = WinAPI.recvFunc(r->Socket, reinterpret_cast<char*>(chunk), ask, 0);
      full = got == ask;
      if (got > 0 && takeBytes(r, chunk, static_cast<uint32_t>(got)) != 0) {
        result = -1;
        break;
      }
    }
    if (got <= 0) break;
    r->RecvPassTaken += static_cast<uint64_t>(got);
    r = TransferPumpStep(r);
    if (!r) break;
    if (!full && !r->RecvPending) break;
  }
  Network.RecvRunning = 0;
  return result;
}

namespace {

// The record of a handle with a complete message, and that message's size.
NetworkHandleRecord* oldestMessage(int handle, uint32_t* size) {
  NetworkHandleRecord* r = NetworkRecord(handle);
  if (!r || r->MessageSizes.DataLength < 4) return nullptr;
  RingBufferRead(&r->MessageSizes, size, 4, 1);
  return r;
}

}  // namespace

int GetNetworkMessageSize(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  uint32_t size;
  return oldestMessage(handle, &size) ? static_cast<int>(size) : -1;
}

int ReadNetworkMessage(int handle, void* buffer, uint32_t bufferSize) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  uint32_t size;
  NetworkHandleRecord* r = oldestMessage(handle, &size);
  if (!r || size > bufferSize || (size > 0 && !buffer)) return -1;
  // The message whose last bytes wait in the socket is the newest: the only one left.
  const uint32_t inSocket = r->MessageSizes.DataLength == 4 ? r->RecvBodyInSocket : 0;
  const uint32_t inRing = size - inSocket;
  if (inRing > 0 && RingBufferRead(&r->RecvBuffer, buffer, static_cast<int>(inRing), 0) != 0) return -1;
  if (inSocket > 0) {
    r->RecvBodyInSocket = 0;
    if (receiveAll(r, static_cast<char*>(buffer) + inRing, inSocket) != 0) {
      // The connection failed under the message: it goes with the handle.
      r->ErrorFlag = 1;
      return -1;
    }
  }
  RingBufferRead(&r->MessageSizes, &size, 4, 0);
  r->RecvCompleteSize -= size;
  // Room again below the cap: the next pump pass receives what the socket holds.
  if (r->RecvHeld && r->RecvBuffer.DataLength < static_cast<int>(NetworkRecvQueueMax)) {
    r->RecvHeld = 0;
    r->RecvPending = 1;
  }
  return static_cast<int>(size);
}

}  // namespace ZaDod
