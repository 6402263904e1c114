// Sending: queued messages go out from the send ring, each after its 4-byte length;
// what the socket does not take now goes at the next write event.
#include <cstring>

#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

// A body up to this size rides in the same call as its whole prefix.
constexpr uint32_t kJoinedBodyMax = 4096 - 4;

// Sends the rest of the current prefix: the bytes sent, 0 when none went. With the whole
// prefix owed, a short body lying in one piece of the ring goes in the same call, so a
// small message costs one system call.
int sendPrefix(NetworkHandleRecord* r) {
  const uint32_t size = r->SendRemain;
  char out[4 + kJoinedBodyMax] = {static_cast<char>(size), static_cast<char>(size >> 8), static_cast<char>(size >> 16),
                                  static_cast<char>(size >> 24)};
  const int owed = r->SendPrefixRemain;
  const char* from = out + (4 - owed);
  uint32_t body = 0;
  RingBuffer& ring = r->SendBuffer;
  if (owed == 4 && size > 0 && size <= kJoinedBodyMax) {
    if (ring.Start >= ring.BufferSize) ring.Start = 0;
    if (static_cast<uint32_t>(ring.BufferSize - ring.Start) >= size) {
      std::memcpy(out + 4, ring.DataBuffer + ring.Start, size);
      body = size;
    }
  }
  int n = WinAPI.sendFunc(r->Socket, from, owed + static_cast<int>(body), 0);
  if (n <= 0) return 0;
  const int prefixSent = n < owed ? n : owed;
  r->SendPrefixRemain -= prefixSent;
  const int bodySent = n - prefixSent;
  ring.Start += bodySent;
  ring.DataLength -= bodySent;
  r->SendRemain -= static_cast<uint32_t>(bodySent);
  return n;
}

// Sends body bytes from the read offset, wrapping once: the bytes sent.
int sendBody(NetworkHandleRecord* r) {
  RingBuffer& ring = r->SendBuffer;
  if (ring.Start >= ring.BufferSize) ring.Start = 0;
  uint32_t want = r->SendRemain;
  uint32_t first = static_cast<uint32_t>(ring.BufferSize - ring.Start);
  if (first > want) first = want;
  int n = WinAPI.sendFunc(r->Socket, reinterpret_cast<const char*>(ring.DataBuffer + ring.Start),
                          static_cast<int>(first), 0);
  if (n <= 0) return 0;
  int sent = n;
  ring.Start += n;
  if (static_cast<uint32_t>(n) == first && first < want) {
    ring.Start = 0;
    int m = WinAPI.sendFunc(r->Socket, reinterpret_cast<const char*>(ring.DataBuffer), static_cast<int>(want - first), 0);
    if (m > 0) {
      ring.Start = m;
      sent += m;
    }
  }
  ring.DataLength -= sent;
  r->SendRemain -= static_cast<uint32_t>(sent);
  return sent;
}

}  // namespace

int SendSocket(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = BeginTransfer(handle, &Network.SendRunning, &NetworkHandleRecord::SendPending, u"SendSocket");
  if (!r) return -1;
  while (r->LengthPrefixFlag) {
    r->SendPending = 0;
    if (!r->SendInMessage) {
      if (r->SendSizes.DataLength < 4) break;
      uint32_t size;
      RingBufferRead(&r->SendSizes, &size, 4, 0);
      r->SendRemain = size;
      r->SendPrefixRemain = 4;
      r->SendInMessage = 1;
    }
    int sent = 0;
    if (r->SendPrefixRemain > 0) sent = sendPrefix(r);
    if (r->SendPrefixRemain == 0 && r->SendRemain > 0) sent += sendBody(r);
    if (r->SendPrefixRemain == 0 && r->SendRemain == 0) r->SendInMessage = 0;
    ProcessNetworkEvents(0);
    r = NetworkRecord(handle);
    if (!r) break;
    // Sending goes on while the socket takes bytes: a send that took part of a message
    // is followed by one that would block, and only that brings the next write event.
    bool more = sent > 0 && (r->SendInMessage || r->SendSizes.DataLength >= 4);
    if (!more && !r->SendPending) break;
  }
  Network.SendRunning = 0;
  return 0;
}

int SendNetworkMessage(int handle, const void* data, uint32_t size) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = NetworkRecord(handle);
  if (!r || !r->IsValid || r->ErrorFlag || !r->LengthPrefixFlag || size > NetworkMessageMax ||
      (size > 0 && !data))
    return -1;
  if (uint64_t(r->SendBuffer.DataLength) + size > NetworkSendQueueMax) return -1;
  if (RingBufferReserve(&r->SendBuffer, size) != 0 || RingBufferReserve(&r->SendSizes, 4) != 0) return -1;
  NetworkRingPut(&r->SendBuffer, data, size);
  NetworkRingPut(&r->SendSizes, &size, 4);
  SendSocket(handle);
  return 0;
}

}  // namespace ZaDod
