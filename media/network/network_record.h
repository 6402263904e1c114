// The record of a network handle and the library-wide network state. Internal to
// media/network (tests read it).
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/base/ring_buffer.h"
#include "platform/win/win_window.h"

namespace ZaDod {

struct NetworkHandleRecord {
  HandleEntryHeader HandleInfo;
  int IsUDP;
  int IsValid;
  int IsIPv6;
  int ErrorFlag;
  int ConnectingFlag;
  int ConnectedFlag;
  int ClosingFlag;
  int AcceptedFlag0;  // set to 0 and 1 by accept; nothing reads them
  int AcceptedFlag1;
  int LengthPrefixFlag;
  int AutoDeleteFlag;
  uintptr_t Socket;
  uint32_t RecvRemain;       // bytes still to receive of the current message
  RingBuffer RecvBuffer;
  uint32_t RecvMessageSize;  // size of the current received message
  uint64_t RecvCompleteSize; // total bytes of complete messages not yet read
  RingBuffer SendBuffer;
  uint32_t SendRemain;       // bytes still to send of the current message: its prefix
  int SendPrefixRemain;      // prefix bytes still owed
  uint8_t AddressV4[4];
  uint8_t AddressV6[16];
  uint16_t Port;             // network order, as in the socket address
  int UDPReadWaiting;
  int UDPWriteEnable;
  // The sizes of the complete messages, oldest first, as 32-bit values.
  RingBuffer MessageSizes;
  int RecvInMessage;         // a prefix has been taken and its body is under way
  // The sizes of the queued outgoing messages: each goes out with its own prefix.
  RingBuffer SendSizes;
  int SendInMessage;         // a message's prefix or body is under way
  int RecvPending;           // a read event came while a receive ran elsewhere
  int SendPending;
  uint8_t RecvPrefix[4];     // the bytes of a length prefix that came in pieces
  int RecvPrefixHave;        // how many of them are in
  // The newest complete message's last bytes, still in the socket: the body was all
  // there, and ReadNetworkMessage takes them straight into the caller's buffer. Nothing
  // more is received until then.
  uint32_t RecvBodyInSocket;
  // The last message was long: the next read takes only a prefix, so that a long body
  // after it is found whole in the socket rather than begun in a chunk.
  int RecvPrefixOnly;
  // Receiving stopped at NetworkRecvQueueMax; reading a message takes it up again.
  int RecvHeld;
  // The pump pass this handle last received in, and the bytes it took in that pass.
  uint64_t RecvPass;
  uint64_t RecvPassTaken;
  // A send failed for good: the connection is closed and sends answer -1.
  int SendFailed;
};

struct NetworkState {
  int Started;
  int ListenHandle;
  int LastAccepted;
  plat::win::HWND Window;
  int NoLengthPrefix;
  int KeepClosedHandles;
  int RecvRunning;
  int SendRunning;
  int AcceptFailing;  // the last accept failed; the next failure is not logged again
  int Dispatching;    // the pump is handing a socket event to its handle
  uint64_t PumpPass;  // counts the pump's passes, for each handle's share of a pass
};

extern NetworkState Network;

// The record of a usable TCP handle (decodes, not being loaded, not UDP), or null.
NetworkHandleRecord* NetworkRecord(int handle);

// The type's critical section, held by every operation while the network runs.
class NetworkLock {
 public:
  explicit NetworkLock(int line);
  ~NetworkLock();
  NetworkLock(const NetworkLock&) = delete;
  NetworkLock& operator=(const NetworkLock&) = delete;

 private:
  bool held_;
};

// The start of a receive or a send on the handle's record `r` (null for a handle that is
// not there): refuses a call while one of its kind runs (marking the handle to be served
// again), sets `*running`, runs the pump step (unless `look` is false) and checks the
// handle. The record, or null (with `*running` clear again) for -1.
NetworkHandleRecord* BeginTransfer(NetworkHandleRecord* r, int* running, int NetworkHandleRecord::*pending,
                                   const char16_t* name, bool look = true);

// The pump step a receive or send on `r` makes between its calls (none inside an event
// the pump dispatches: that pump looks again itself, and the record stays where it is),
// and the handle's record after it, or null. Under the type's lock.
NetworkHandleRecord* TransferPumpStep(NetworkHandleRecord* r);

// RecvSocket and SendSocket on a record already looked up (null: -1), under the type's lock.
int ReceiveOn(NetworkHandleRecord* r);
int SendOn(NetworkHandleRecord* r);

// Appends bytes at the ring's write offset, wrapping at its end; room must be reserved.
void NetworkRingPut(RingBuffer* ring, const void* data, uint32_t size);

}  // namespace ZaDod
