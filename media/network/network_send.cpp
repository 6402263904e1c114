// Sending: each message goes out after its 4-byte length, in one gathered call; what
// the socket does not take now waits in the send ring for the next write event.
#include <cstring>

#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

constexpr uint32_t kShortSend = 256;

// A send that failed for good (the peer reset, or the connection is gone): no write event
// will come for what is queued, so it is dropped and the handle is closed as a peer's
// close would close it. Its received messages stay to be read; later sends answer -1.
void dropConnection(NetworkHandleRecord* r) {
  NetworkLog(u"sendに失敗しました");
  r->SendFailed = 1;
  r->ConnectedFlag = 0;
  r->ClosingFlag = 1;
  r->SendInMessage = 0;
  r->SendRemain = 0;
  r->SendPrefixRemain = 0;
  RingBufferTerminate(&r->SendBuffer);
  RingBufferTerminate(&r->SendSizes);
}

// Sends what the current message still owes in one gathered call: the rest of its prefix
// (the message's size, `size`) and `body` bytes from `from`, or from the send ring's read
// offset (wrapping once) when `from` is null. The bytes sent, 0 when none went.
uint32_t sendGathered(NetworkHandleRecord* r, uint32_t size, int prefixOwed, const void* from, uint32_t body) {
  const char prefix[4] = {static_cast<char>(size), static_cast<char>(size >> 8), static_cast<char>(size >> 16),
                          static_cast<char>(size >> 24)};
  plat::net::WSABUF pieces[3];
  plat::win::DWORD count = 0;
  // A short message goes whole from one buffer: a plain send costs less than a gathered one.
  char whole[4 + kShortSend];
  if (prefixOwed == 4 && body <= kShortSend && (from || body == 0)) {
    std::memcpy(whole, prefix, 4);
    if (body > 0) std::memcpy(whole + 4, from, body);
    pieces[count++] = {4 + body, whole};
    from = nullptr;
    body = 0;
    prefixOwed = 0;
  }
  if (prefixOwed > 0) pieces[count++] = {static_cast<uint32_t>(prefixOwed), const_cast<char*>(prefix + 4 - prefixOwed)};
  if (from && body > 0) {
    pieces[count++] = {body, static_cast<char*>(const_cast<void*>(from))};
  } else if (body > 0) {
    RingBuffer& ring = r->SendBuffer;
    if (ring.Start >= ring.BufferSize) ring.Start = 0;
    uint32_t first = static_cast<uint32_t>(ring.BufferSize - ring.Start);
    if (first > body) first = body;
    pieces[count++] = {first, reinterpret_cast<char*>(ring.DataBuffer + ring.Start)};
    if (first < body) pieces[count++] = {body - first, reinterpret_cast<char*>(ring.DataBuffer)};
  }
  plat::win::DWORD sent = 0;
  if (count == 0) return 0;
  if (WinAPI.WSASendFunc(r->Socket, pieces, count, &sent, 0, nullptr, nullptr) != 0) {
    const int error = WinAPI.WSAGetLastErrorFunc();
    if (error != plat::net::WSAEWOULDBLOCK && error != plat::net::WSAEINTR && error != plat::net::WSAENOBUFS)
      dropConnection(r);
    return 0;
  }
  return sent;
}

// Sends the rest of the current message from the ring: the bytes sent.
uint32_t sendOwed(NetworkHandleRecord* r) {
  const int owed = r->SendPrefixRemain;
  const uint32_t sent = sendGathered(r, r->SendRemain, owed, nullptr, r->SendRemain);
  const uint32_t prefixSent = sent < static_cast<uint32_t>(owed) ? sent : static_cast<uint32_t>(owed);
  r->SendPrefixRemain -= static_cast<int>(prefixSent);
  const uint32_t body = sent - prefixSent;
  RingBuffer& ring = r->SendBuffer;
  const uint32_t first = static_cast<uint32_t>(ring.BufferSize - ring.Start);
  ring.Start = body > first ? static_cast<int>(body - first) : ring.Start + static_cast<int>(body);
  ring.DataLength -= static_cast<int>(body);
  r->SendRemain -= body;
  return sent;
}

// The send loop: goes on while the socket takes bytes, with a pump pass after each send.
// `sent` is what a send made before the loop took (-1 for none). Clears the running mark.
void sendWhileTaken(NetworkHandleRecord* r, int64_t sent) {
  for (;;) {
    if (sent < 0) {
      if (!r->LengthPrefixFlag) break;
      r->SendPending = 0;
      if (!r->SendInMessage) {
        if (r->SendSizes.DataLength < 4) break;
        uint32_t size;
        RingBufferRead(&r->SendSizes, &size, 4, 0);
        r->SendRemain = size;
        r->SendPrefixRemain = 4;
        r->SendInMessage = 1;
      }
      sent = sendOwed(r);
      if (r->SendPrefixRemain == 0 && r->SendRemain == 0) r->SendInMessage = 0;
    }
    r = TransferPumpStep(r);
    if (!r) break;
    // Sending goes on while the socket takes bytes: a send that took part of a message
    // is followed by one that would block, and only that brings the next write event.
    bool more = sent > 0 && (r->SendInMessage || r->SendSizes.DataLength >= 4);
    if (!more && !r->SendPending) break;
    sent = -1;
  }
  Network.SendRunning = 0;
}

}  // namespace

int SendSocket(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  return SendOn(NetworkRecord(handle));
}

int SendOn(NetworkHandleRecord* r) {
  r = BeginTransfer(r, &Network.SendRunning, &NetworkHandleRecord::SendPending, u"SendSocket");
  if (!r) return -1;
  sendWhileTaken(r, -1);
  return 0;
}

int SendNetworkMessage(int handle, const void* data, uint32_t size) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = NetworkRecord(handle);
  if (!r || !r->IsValid || r->ErrorFlag || r->SendFailed || !r->LengthPrefixFlag || size > NetworkMessageMax ||
      (size > 0 && !data))
    return -1;
  // Every queued message costs its length too: empty messages fill the queue as well.
  const uint64_t queued = uint64_t(r->SendBuffer.DataLength) + uint64_t(r->SendSizes.DataLength);
  if (queued + size + 4 > NetworkSendQueueMax) return -1;
  if (RingBufferReserve(&r->SendBuffer, size) != 0 || RingBufferReserve(&r->SendSizes, 4) != 0) return -1;
  const bool idle = !Network.SendRunning && !r->SendInMessage && r->SendSizes.DataLength == 0;
  if (!idle) {
    NetworkRingPut(&r->SendBuffer, data, size);
    NetworkRingPut(&r->SendSizes, &size, 4);
    SendOn(r);
    r = NetworkRecord(handle);
    return r && r->SendFailed ? -1 : 0;
  }
  // Nothing queued: the message goes from the caller's bytes, and only what the socket
  // does not take now is queued, as the message under way. The sockets are looked at
  // after the send rather than before: a close or error that came earlier is seen by
  // that look, as it would be by one before.
  NetworkHandleRecord* ready =
      BeginTransfer(r, &Network.SendRunning, &NetworkHandleRecord::SendPending, u"SendSocket", false);
  if (!ready) {
    NetworkRingPut(&r->SendBuffer, data, size);
    NetworkRingPut(&r->SendSizes, &size, 4);
    return 0;
  }
  r->SendPending = 0;
  const uint32_t sent = sendGathered(r, size, 4, data, size);
  if (r->SendFailed) {
    Network.SendRunning = 0;
    return -1;
  }
  const uint32_t body = sent > 4 ? sent - 4 : 0;
  if (sent < 4 + size) {
    if (r->SendBuffer.DataLength == 0) r->SendBuffer.Start = r->SendBuffer.End = 0;
    NetworkRingPut(&r->SendBuffer, static_cast<const char*>(data) + body, size - body);
    r->SendRemain = size - body;
    r->SendPrefixRemain = 4 - static_cast<int>(sent - body);
    r->SendInMessage = 1;
  }
  sendWhileTaken(r, sent);
  r = NetworkRecord(handle);
  return r && r->SendFailed ? -1 : 0;
}

}  // namespace ZaDod
