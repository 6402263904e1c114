// Network handles: TCP connections whose messages travel with a 4-byte little-endian
// length before each one, received into and sent from ring buffers. The pump drives
// them; tests and tools start the network and open handles with the functions below
// (no script function reaches the network).
#pragma once
#include <cstdint>

#include "platform/win/win_window.h"

namespace ZaDod {

// The longest message taken or sent, in either direction.
constexpr uint32_t NetworkMessageMax = 16u * 1024 * 1024;
// The most bytes a handle's send queue holds (message bodies and their 4-byte lengths):
// a peer that stops reading makes SendNetworkMessage answer -1 rather than grow it.
constexpr uint32_t NetworkSendQueueMax = 64u * 1024 * 1024;
// The most bytes of received messages a handle holds unread (complete ones and the one
// under way). Past it nothing more is read from the socket until the program reads
// messages, so a peer that sends faster than the game reads is held back by the
// transport instead of growing the handle's memory.
constexpr uint32_t NetworkRecvQueueMax = 64u * 1024 * 1024;
// The most bytes one receive takes from a socket before it leaves the rest to the next
// pump pass, so that a fast peer cannot hold a frame up.
constexpr uint32_t NetworkRecvPassMax = 4u * 1024 * 1024;
constexpr int NetworkHandleMax = 8192;

// Socket start-up, the network window and the "Network" handle type; 0, or -1 when the
// socket library is missing (every other operation then returns at once).
int StartNetwork();
// A listening handle on the loopback address (or every address with `anyAddress`), on
// `port`, for IPv4 or IPv6. 0, or -1. The pump accepts what connects.
int ListenNetwork(int port, int ipv6Flag, int anyAddress = 0);
// The last handle that accept made, or -1: tools that listen find their peer here.
int GetLastAcceptedNetworkHandle();
// A handle that connects to `address` (numeric IPv4 or IPv6 text, or a host name) at
// `port`; it is connected once the pump has seen the connection made. -1 on failure.
int ConnectNetwork(const char* address, int port);
// Appends one message to the send queue and sends what the socket takes. 0, or -1 (a bad
// handle, a handle in error, a message longer than NetworkMessageMax, a queue that would
// pass NetworkSendQueueMax, no memory, a connection that a send found gone: the handle
// is then closed as a peer's close closes it).
int SendNetworkMessage(int handle, const void* data, uint32_t size);
// The size of the oldest complete received message, or -1 when there is none.
int GetNetworkMessageSize(int handle);
// Takes the oldest complete message into `buffer` (at least its size): its size, or -1
// (no message, buffer too small, bad handle).
int ReadNetworkMessage(int handle, void* buffer, uint32_t bufferSize);
// Shuts the connection down and deletes the handle.
int CloseNetworkHandle(int handle);
// Connected flag and error flag of a handle; 0, or -1 for a handle that is not there.
int GetNetworkHandleState(int handle, int* connected, int* error);

// The network's own operations, as the pump, the window procedure and shut-down use them.
int ProcessNetworkMessage(plat::win::HWND window, plat::win::UINT message, plat::win::WPARAM wParam,
                          plat::win::LPARAM lParam);
int ProcessNetworkEvents(int deleteClosedFlag);
int AcceptNetWork();
int RecvSocket(int handle);
int SendSocket(int handle);
int TerminateNetWork();
int NetworkLog(const char16_t* text);

}  // namespace ZaDod
