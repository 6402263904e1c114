// Starting the network: socket start-up, the network window, the handle type, and
// the listening and connecting handles that tests and tools open.
#include <cstring>

#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

namespace net = plat::net;
namespace win = plat::win;

constexpr char16_t kWindowClass[] = u"ZaDodNetworkWindow";
constexpr win::UINT kSocketMessage = win::WM_USER + 0x105;

win::LRESULT networkWindowProc(win::HWND hwnd, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (message == kSocketMessage) return ProcessNetworkMessage(hwnd, message, wParam, lParam);
  return win::DefWindowProcW(hwnd, message, wParam, lParam);
}

int closeOnDelete(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<NetworkHandleRecord*>(header);
  if (r->Socket != 0 && r->Socket != net::INVALID_SOCKET && WinAPI.closesocketFunc) {
    WinAPI.shutdownFunc(r->Socket, net::SD_BOTH);
    WinAPI.closesocketFunc(r->Socket);
  }
  r->Socket = net::INVALID_SOCKET;
  RingBufferTerminate(&r->RecvBuffer);
  RingBufferTerminate(&r->SendBuffer);
  RingBufferTerminate(&r->MessageSizes);
  RingBufferTerminate(&r->SendSizes);
  if (Network.ListenHandle == header->Handle) Network.ListenHandle = -1;
  if (Network.LastAccepted == header->Handle) Network.LastAccepted = -1;
  return 0;
}

// A new TCP handle on a new socket, or -1.
int newHandle(int ipv6Flag, NetworkHandleRecord** out) {
  int handle = AddHandle(HANDLETYPE_NETWORK, 0, -1);
  if (handle == -1) return -1;
  auto* r = reinterpret_cast<NetworkHandleRecord*>(GetHandleInfo(handle));
  r->IsIPv6 = ipv6Flag ? 1 : 0;
  r->LengthPrefixFlag = Network.NoLengthPrefix ? 0 : 1;
  r->AutoDeleteFlag = Network.KeepClosedHandles ? 0 : 1;
  r->Socket = WinAPI.socketFunc(ipv6Flag ? net::AF_INET6 : net::AF_INET, net::SOCK_STREAM, net::IPPROTO_TCP);
  if (r->Socket == net::INVALID_SOCKET) {
    NetworkLog(u"socketに失敗しました");
    SubHandle(handle);
    return -1;
  }
  *out = r;
  return handle;
}

bool windowClassRegistered = false;

}  // namespace

int StartNetwork() {
  if (Network.Started) return 0;
  LoadWinAPI();
  if (!WinAPI.WS2_32DLL || !WinAPI.WSAStartupFunc || !WinAPI.WSAAsyncSelectFunc) {
    LogAddTextUtf16(u"ネットワーク機能は使えません\n");
    return -1;
  }
  net::WSADATA data;
  if (WinAPI.WSAStartupFunc(net::MAKEWORD(2, 2), &data) != 0) {
    NetworkLog(u"WSAStartupに失敗しました");
    return -1;
  }
  if (!windowClassRegistered) {
    win::WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = networkWindowProc;
    cls.lpszClassName = kWindowClass;
    windowClassRegistered = win::RegisterClassExW(&cls) != 0;
  }
  win::HWND window = win::CreateWindowExW(0, kWindowClass, u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!window || InitializeHandleManage(HANDLETYPE_NETWORK, sizeof(NetworkHandleRecord), NetworkHandleMax, nullptr,
                                        closeOnDelete, u"Network") != 0) {
    if (window) win::DestroyWindow(window);
    WinAPI.WSACleanupFunc();
    LogAddTextUtf16(u"ネットワークの開始に失敗しました\n");
    return -1;
  }
  Network = NetworkState{};
  Network.Window = window;
  Network.ListenHandle = -1;
  Network.LastAccepted = -1;
  Network.Started = 1;
  return 0;
}

int ListenNetwork(int port, int ipv6Flag, int anyAddress) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  if (port < 0 || port > 0xFFFF || NetworkRecord(Network.ListenHandle)) return -1;
  NetworkHandleRecord* r = nullptr;
  int handle = newHandle(ipv6Flag, &r);
  if (handle == -1) return -1;
  net::sockaddr_in6 six{};
  net::sockaddr_in four{};
  const net::sockaddr* address;
  int length;
  if (ipv6Flag) {
    six.sin6_family = net::AF_INET6;
    six.sin6_port = WinAPI.htonsFunc(static_cast<uint16_t>(port));
    if (!anyAddress) six.sin6_addr.s6_addr[15] = 1;  // ::1
    address = reinterpret_cast<const net::sockaddr*>(&six);
    length = sizeof six;
  } else {
    four.sin_family = net::AF_INET;
    four.sin_port = WinAPI.htonsFunc(static_cast<uint16_t>(port));
    four.sin_addr.s_addr = anyAddress ? net::INADDR_ANY : WinAPI.inet_addrFunc("127.0.0.1");
    address = reinterpret_cast<const net::sockaddr*>(&four);
    length = sizeof four;
  }
  if (WinAPI.bindFunc(r->Socket, address, length) != 0 || WinAPI.listenFunc(r->Socket, net::SOMAXCONN) != 0 ||
      WinAPI.WSAAsyncSelectFunc(r->Socket, Network.Window, kSocketMessage, net::FD_ACCEPT) != 0) {
    NetworkLog(u"待ち受けの準備に失敗しました");
    SubHandle(handle);
    return -1;
  }
  r->IsValid = 1;
  r->Port = WinAPI.htonsFunc(static_cast<uint16_t>(port));
  Network.ListenHandle = handle;
  return handle;
}

int GetLastAcceptedNetworkHandle() {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  return NetworkRecord(Network.LastAccepted) ? Network.LastAccepted : -1;
}

int ConnectNetwork(const char* address, int port) {
  if (!Network.Started || !address || port <= 0 || port > 0xFFFF) return -1;
  NetworkLock lock(__LINE__);
  net::addrinfo hints{};
  hints.ai_socktype = net::SOCK_STREAM;
  net::addrinfo* found = nullptr;
  if (!WinAPI.getaddrinfoFunc || WinAPI.getaddrinfoFunc(address, nullptr, &hints, &found) != 0 || !found) {
    NetworkLog(u"接続先の名前を解決できませんでした");
    return -1;
  }
  int ipv6Flag = found->ai_family == net::AF_INET6 ? 1 : 0;
  net::sockaddr_in6 target{};
  std::memcpy(&target, found->ai_addr, found->ai_addrlen < sizeof target ? found->ai_addrlen : sizeof target);
  int length = static_cast<int>(found->ai_addrlen);
  WinAPI.freeaddrinfoFunc(found);
  target.sin6_port = WinAPI.htonsFunc(static_cast<uint16_t>(port));  // the same place in both layouts

  NetworkHandleRecord* r = nullptr;
  int handle = newHandle(ipv6Flag, &r);
  if (handle == -1) return -1;
  if (WinAPI.WSAAsyncSelectFunc(r->Socket, Network.Window, kSocketMessage,
                                net::FD_CONNECT | net::FD_READ | net::FD_WRITE | net::FD_CLOSE) != 0) {
    NetworkLog(u"WSAAsyncSelectのエラー in ConnectNetwork");
    SubHandle(handle);
    return -1;
  }
  r->IsValid = 1;
  r->ConnectingFlag = 1;
  r->Port = target.sin6_port;
  if (ipv6Flag) {
    std::memcpy(r->AddressV6, &target.sin6_addr, 16);
  } else {
    net::sockaddr_in four;
    std::memcpy(&four, &target, sizeof four);
    std::memcpy(r->AddressV4, &four.sin_addr, 4);
  }
  if (WinAPI.connectFunc(r->Socket, reinterpret_cast<const net::sockaddr*>(&target), length) != 0 &&
      WinAPI.WSAGetLastErrorFunc() != net::WSAEWOULDBLOCK) {
    NetworkLog(u"connectに失敗しました");
    SubHandle(handle);
    return -1;
  }
  return handle;
}

int CloseNetworkHandle(int handle) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  if (!NetworkRecord(handle)) return -1;
  return SubHandle(handle);
}

int GetNetworkHandleState(int handle, int* connected, int* error) {
  if (!Network.Started) return -1;
  NetworkLock lock(__LINE__);
  NetworkHandleRecord* r = NetworkRecord(handle);
  if (!r) return -1;
  if (connected) *connected = r->ConnectedFlag;
  if (error) *error = r->ErrorFlag;
  return 0;
}

}  // namespace ZaDod
