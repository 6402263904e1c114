// Receiving: length prefixes and message bodies from the socket into the receive ring,
// and complete messages handed out one by one.
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

// Takes the next prefix once all 4 bytes are in: 1 taken, 0 not yet, -1 refused. Prefix
// bytes that come in pieces are kept in the record, so each piece is read only once.
int takePrefix(NetworkHandleRecord* r) {
  int n = WinAPI.recvFunc(r->Socket, reinterpret_cast<char*>(r->RecvPrefix + r->RecvPrefixHave), 4 - r->RecvPrefixHave, 0);
  if (n <= 0) return 0;
  r->RecvPrefixHave += n;
  if (r->RecvPrefixHave < 4) return 0;
  r->RecvPrefixHave = 0;
  const uint8_t* prefix = r->RecvPrefix;
  uint32_t size = prefix[0] | (prefix[1] << 8) | (prefix[2] << 16) | (static_cast<uint32_t>(prefix[3]) << 24);
  if (size > NetworkMessageMax || RingBufferReserve(&r->RecvBuffer, size) != 0 ||
      RingBufferReserve(&r->MessageSizes, 4) != 0)
    return refuseMessage(r, size);
  r->RecvMessageSize = size;
  r->RecvRemain = size;
  r->RecvInMessage = 1;
  return 1;
}

// Receives up to `want` bytes at the write offset: the count, or -1.
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

void completeMessage(NetworkHandleRecord* r) {
  r->RecvInMessage = 0;
  r->RecvCompleteSize += r->RecvMessageSize;
  uint32_t size = r->RecvMessageSize;
  NetworkRingPut(&r->MessageSizes, &size, 4);
}

}  // namespace

int RecvSocket(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = BeginTransfer(handle, &Network.RecvRunning, &NetworkHandleRecord::RecvPending, u"RecvSocket");
  if (!r) return -1;
  int result = 0;
  while (result == 0 && r->LengthPrefixFlag) {
    r->RecvPending = 0;
    bool received = false;
    if (!r->RecvInMessage) {
      int taken = takePrefix(r);
      if (taken < 0) {
        result = -1;
        break;
      }
      if (taken == 0) break;
      received = true;
    }
    if (r->RecvRemain > 0) {
      int n = receiveInto(r, r->RecvRemain);
      if (n > 0) {
        r->RecvRemain -= static_cast<uint32_t>(n);
        received = true;
      }
    }
    if (r->RecvInMessage && r->RecvRemain == 0) completeMessage(r);
    ProcessNetworkEvents(0);
    r = NetworkRecord(handle);
    if (!r) break;
    if (!(received && !r->RecvInMessage) && !r->RecvPending) break;
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
  if (size > 0 && RingBufferRead(&r->RecvBuffer, buffer, static_cast<int>(size), 0) != 0) return -1;
  RingBufferRead(&r->MessageSizes, &size, 4, 0);
  r->RecvCompleteSize -= size;
  return static_cast<int>(size);
}

}  // namespace ZaDod
