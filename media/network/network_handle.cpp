// Network handles: the handle type, the socket events the window procedure hands
// over, the pump's step, accept and the network's shut-down.
#include <cstring>

#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/winapi.h"

namespace ZaDod {

NetworkState Network;

namespace {

using plat::win::HIWORD;
using plat::win::LOWORD;

constexpr char kSource[] = "media/network/network_handle.cpp";

// Finds the handle of a socket (under the type's lock).
NetworkHandleRecord* recordOfSocket(uintptr_t socket) {
  HandleTypeManager& m = HandleManageArray[HANDLETYPE_NETWORK];
  if (!m.InitializeFlag || m.Num == 0) return nullptr;
  for (int i = m.AreaMin; i <= m.AreaMax; ++i) {
    auto* r = reinterpret_cast<NetworkHandleRecord*>(m.Handle[i]);
    if (r && r->Socket == socket) return r;
  }
  return nullptr;
}

// The pump deletes handles in error at once, and closed ones once their complete
// messages have been read (with auto-delete on).
int keepOnSweep(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<NetworkHandleRecord*>(header);
  if (!r->IsValid || header->ASyncLoadCount != 0) return 1;
  if (r->ErrorFlag) return 0;
  bool closed = !r->ConnectedFlag && !r->ConnectingFlag && r->ClosingFlag && r->AutoDeleteFlag;
  return closed && r->MessageSizes.DataLength == 0 ? 0 : 1;
}

// Events refused while a receive or send ran elsewhere are served now.
void servePending() {
  HandleTypeManager& m = HandleManageArray[HANDLETYPE_NETWORK];
  if (m.Num == 0) return;
  for (int i = m.AreaMin; i <= m.AreaMax; ++i) {
    auto* r = reinterpret_cast<NetworkHandleRecord*>(m.Handle[i]);
    if (!r) continue;
    int handle = r->HandleInfo.Handle;
    if (r->RecvPending && !Network.RecvRunning) {
      r->RecvPending = 0;
      RecvSocket(handle);
    }
    r = NetworkRecord(handle);
    if (r && r->SendPending && !Network.SendRunning) {
      r->SendPending = 0;
      SendSocket(handle);
    }
  }
}

}  // namespace

// Whether this thread holds the type's lock through a NetworkLock: the operations that
// one calls inside another (the pump, the event, the receive) take it once per message.
thread_local bool networkLockHeld = false;

NetworkLock::NetworkLock(int line) : held_(Network.Started != 0 && !networkLockHeld) {
  if (!held_) return;
  CriticalSection_LockNamed(&HandleManageArray[HANDLETYPE_NETWORK].CriticalSection, kSource, line);
  networkLockHeld = true;
}

NetworkLock::~NetworkLock() {
  if (!held_) return;
  networkLockHeld = false;
  CriticalSection_Release(&HandleManageArray[HANDLETYPE_NETWORK].CriticalSection);
}

NetworkHandleRecord* NetworkRecord(int handle) {
  if ((handle & HANDLE_TYPE_MASK) != (HANDLETYPE_NETWORK << HANDLE_TYPE_SHIFT)) return nullptr;
  HandleEntryHeader* header = GetHandleInfo(handle);
  if (!header || header->ASyncLoadCount != 0) return nullptr;
  auto* r = reinterpret_cast<NetworkHandleRecord*>(header);
  return r->IsUDP ? nullptr : r;
}

NetworkHandleRecord* BeginTransfer(NetworkHandleRecord* r, int* running, int NetworkHandleRecord::*pending,
                                   const char16_t* name, bool look) {
  if (!r) return nullptr;
  if (*running) {
    r->*pending = 1;
    return nullptr;
  }
  *running = 1;
  if (look) r = TransferPumpStep(r);
  if (!r || !r->IsValid) {
    LogFormatUtf16(u"有効なネットワークハンドルではありません in %s", name);
    r = nullptr;
  } else if (r->ErrorFlag) {
    LogFormatUtf16(u"このネットワークハンドルにはエラーが発生しています in %s", name);
    r = nullptr;
  }
  if (!r) *running = 0;
  return r;
}

NetworkHandleRecord* TransferPumpStep(NetworkHandleRecord* r) {
  if (Network.Dispatching) return r;
  const int handle = r->HandleInfo.Handle;
  ProcessNetworkEvents(0);
  return NetworkRecord(handle);
}

void NetworkRingPut(RingBuffer* ring, const void* data, uint32_t size) {
  if (size == 0) return;
  if (ring->End >= ring->BufferSize) ring->End = 0;
  auto* bytes = static_cast<const unsigned char*>(data);
  uint32_t first = static_cast<uint32_t>(ring->BufferSize - ring->End);
  if (first > size) first = size;
  std::memcpy(ring->DataBuffer + ring->End, bytes, first);
  std::memcpy(ring->DataBuffer, bytes + first, size - first);
  ring->End = static_cast<int>((static_cast<uint32_t>(ring->End) + size) % static_cast<uint32_t>(ring->BufferSize));
  ring->DataLength += static_cast<int>(size);
}

// A line break at the end of the text would split the line from its error code.
int NetworkLog(const char16_t* text) {
  int code = WinAPI.WSAGetLastErrorFunc ? WinAPI.WSAGetLastErrorFunc() : 0;
  char16_t line[256];
  size_t n = 0;
  for (; text[n] && n + 1 < sizeof line / sizeof line[0]; ++n) line[n] = text[n];
  while (n > 0 && line[n - 1] == u'\n') --n;
  line[n] = 0;
  LogFormatUtf16(u"ネットワークログ。%s[%d]", line, code);
  return -1;
}

int ProcessNetworkMessage(plat::win::HWND, plat::win::UINT, plat::win::WPARAM wParam, plat::win::LPARAM lParam) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = recordOfSocket(static_cast<uintptr_t>(wParam));
  if (!r) {
    LogAddTextUtf16(u"通信エラー No.1\n");
    return 0;
  }
  int event = LOWORD(static_cast<uintptr_t>(lParam));
  int error = HIWORD(static_cast<uintptr_t>(lParam));
  if (r->IsUDP) {
    if (event == plat::net::FD_READ) r->UDPReadWaiting = 1;
    if (event == plat::net::FD_WRITE) r->UDPWriteEnable = 1;
    return 1;
  }
  switch (event) {
    case plat::net::FD_READ: ReceiveOn(r); break;
    case plat::net::FD_WRITE: SendOn(r); break;
    case plat::net::FD_ACCEPT: return AcceptNetWork();
    case plat::net::FD_CONNECT:
      r->ConnectingFlag = 0;
      if (error == 0) {
        r->ConnectedFlag = 1;
        r->IsValid = 1;
      } else {
        // A connection that could not be made is reported, and the pump deletes it.
        r->IsValid = 1;
        r->ErrorFlag = 1;
      }
      break;
    case plat::net::FD_CLOSE:
      r->ConnectedFlag = 0;
      r->ClosingFlag = 1;
      break;
    default: break;
  }
  return 1;
}

int ProcessNetworkEvents(int deleteClosedFlag) {
  if (!Network.Started || !Network.Window) return 0;
  NetworkLock lock(__LINE__);
  // A receive or send run by an event of this pass makes no passes of its own: the
  // sockets were just looked at, and the next pass looks again.
  if (Network.Dispatching) return 0;
  if (deleteClosedFlag) {
    ++Network.PumpPass;
    SubAllHandle(HANDLETYPE_NETWORK, keepOnSweep);
  }
  // The window's waiting messages, then the sockets' new events straight to the window
  // procedure, without a round trip through the queue.
  Network.Dispatching = 1;
  plat::net::DeliverSocketEvents(Network.Window);
  Network.Dispatching = 0;
  if (deleteClosedFlag) servePending();
  return 0;
}

int AcceptNetWork() {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* listener = NetworkRecord(Network.ListenHandle);
  if (!listener || !listener->IsValid) return -1;
  int handle = AddHandle(HANDLETYPE_NETWORK, 0, -1);
  if (handle == -1) {
    LogAddTextUtf16(u"accept 用のハンドル作成に失敗しました \n");
    // The connection is taken and closed: the client learns at once that it was turned
    // away, and the listener's next accept event comes only after an accept.
    plat::net::SOCKET s = WinAPI.acceptFunc(listener->Socket, nullptr, nullptr);
    if (s != plat::net::INVALID_SOCKET) WinAPI.closesocketFunc(s);
    return -1;
  }
  auto* r = reinterpret_cast<NetworkHandleRecord*>(GetHandleInfo(handle));
  r->IsValid = 1;
  r->IsIPv6 = listener->IsIPv6;
  r->ConnectedFlag = 1;
  r->AcceptedFlag0 = 0;
  r->AcceptedFlag1 = 1;
  r->LengthPrefixFlag = Network.NoLengthPrefix ? 0 : 1;
  r->AutoDeleteFlag = Network.KeepClosedHandles ? 0 : 1;
  r->Socket = plat::net::INVALID_SOCKET;
  plat::net::sockaddr_in6 address{};
  int length = r->IsIPv6 ? 28 : 16;
  plat::net::SOCKET s = WinAPI.acceptFunc(listener->Socket, reinterpret_cast<plat::net::sockaddr*>(&address), &length);
  if (s == plat::net::INVALID_SOCKET) {
    // Out of descriptors every new client fails the same way until one closes: the
    // first failure of a run of them is logged.
    if (!Network.AcceptFailing) NetworkLog(u"acceptに失敗しました");
    Network.AcceptFailing = 1;
    SubHandle(handle);
    return -1;
  }
  Network.AcceptFailing = 0;
  r->Socket = s;
  if (address.sin6_family == plat::net::AF_INET6) {
    std::memcpy(r->AddressV6, &address.sin6_addr, 16);
    r->Port = address.sin6_port;
  } else {
    plat::net::sockaddr_in four;
    std::memcpy(&four, &address, sizeof four);
    std::memcpy(r->AddressV4, &four.sin_addr, 4);
    r->Port = four.sin_port;
  }
  if (WinAPI.WSAAsyncSelectFunc(s, Network.Window, plat::win::WM_USER + 0x105,
                                plat::net::FD_READ | plat::net::FD_WRITE | plat::net::FD_CLOSE) != 0) {
    NetworkLog(u"WSAAsyncSelectのエラー in AcceptNetWork");
    SubHandle(handle);
    return -1;
  }
  Network.LastAccepted = handle;
  return 1;
}

int TerminateNetWork() {
  if (!Network.Started) return 0;
  NetworkLog(u"ネットワーク関連の終了処理を行います \n");
  SubAllHandle(HANDLETYPE_NETWORK);
  TerminateHandleManage(HANDLETYPE_NETWORK);
  Network.Started = 0;  // the type's lock is gone with it
  if (Network.Window) {
    plat::win::HWND window = Network.Window;
    plat::win::SendMessageW(window, plat::win::WM_CLOSE, 0, 0);
    plat::win::MSG msg;
    while (plat::win::PeekMessageW(&msg, window, 0, 0, plat::win::PM_REMOVE)) plat::win::DispatchMessageW(&msg);
  }
  Network = NetworkState{};
  if (WinAPI.WSACleanupFunc) WinAPI.WSACleanupFunc();
  NetworkLog(u"ネットワーク関連の終了処理は完了しました\n");
  return 0;
}

}  // namespace ZaDod
