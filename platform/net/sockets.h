// Socket stand-in: the WinSock 2 functions the media layer's network code calls, over
// POSIX sockets. Socket values index a table of our own, never raw descriptors. The
// asynchronous-select mode posts socket events to a window from the message pump.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/win/win_window.h"

namespace plat::net {

using plat::win::BYTE;
using plat::win::DWORD;
using plat::win::HWND;
using plat::win::UINT;
using plat::win::WORD;

using SOCKET = uintptr_t;
inline constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
inline constexpr int SOCKET_ERROR = -1;

// Address families, socket kinds, protocols and flags, with the platform's values.
inline constexpr int AF_UNSPEC = 0, AF_INET = 2, AF_INET6 = 23;
inline constexpr int SOCK_STREAM = 1, SOCK_DGRAM = 2;
inline constexpr int IPPROTO_TCP = 6;
inline constexpr int MSG_PEEK = 2;
inline constexpr int SD_SEND = 1, SD_BOTH = 2;
inline constexpr int SOMAXCONN = 0x7FFFFFFF;
inline constexpr uint32_t INADDR_ANY = 0, INADDR_NONE = 0xFFFFFFFF;
inline constexpr int AI_PASSIVE = 1, AI_NUMERICHOST = 4;

// Asynchronous-select events: the low word of the posted lParam.
inline constexpr long FD_READ = 1, FD_WRITE = 2, FD_ACCEPT = 8, FD_CONNECT = 16, FD_CLOSE = 32;

// Error codes of WSAGetLastError and of the posted high word that callers name; the
// stand-in maps every errno value to its platform code (posix_calls.cpp).
inline constexpr int WSAEINTR = 10004, WSAEFAULT = 10014, WSAEINVAL = 10022, WSAEMFILE = 10024, WSAEWOULDBLOCK = 10035,
                     WSAENOTSOCK = 10038, WSAECONNABORTED = 10053, WSAECONNRESET = 10054, WSAENOBUFS = 10055,
                     WSAECONNREFUSED = 10061, WSAVERNOTSUPPORTED = 10092, WSANOTINITIALISED = 10093;

inline WORD MAKEWORD(int low, int high) { return static_cast<WORD>((low & 0xFF) | ((high & 0xFF) << 8)); }

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
};

struct in_addr {
  uint32_t s_addr;  // network byte order
};
struct in6_addr {
  BYTE s6_addr[16];
};

struct sockaddr {
  uint16_t sa_family;
  char sa_data[14];
};
struct sockaddr_in {
  uint16_t sin_family;
  uint16_t sin_port;  // network byte order
  in_addr sin_addr;
  char sin_zero[8];
};
struct sockaddr_in6 {
  uint16_t sin6_family;
  uint16_t sin6_port;
  uint32_t sin6_flowinfo;
  in6_addr sin6_addr;
  uint32_t sin6_scope_id;
};
static_assert(sizeof(sockaddr_in) == 16 && sizeof(sockaddr_in6) == 28);

struct addrinfo {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  size_t ai_addrlen;
  char* ai_canonname;
  sockaddr* ai_addr;
  addrinfo* ai_next;
};

struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};

int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();
// The calling thread's last error.
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET socket(int family, int type, int protocol);
int bind(SOCKET s, const sockaddr* address, int length);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* address, int* length);
// A non-blocking socket answers WSAEWOULDBLOCK while the connection is made.
int connect(SOCKET s, const sockaddr* address, int length);
int send(SOCKET s, const char* buffer, int length, int flags);  // never raises SIGPIPE
int recv(SOCKET s, char* buffer, int length, int flags);
// Gathered send: the buffers' bytes in order in one call. `*sent` gets the count taken
// (it may stop short, as send does). Overlapped sends are not offered: `overlapped` and
// `completion` must be null.
struct WSABUF {
  uint32_t len;
  char* buf;
};
int WSASend(SOCKET s, WSABUF* buffers, DWORD count, DWORD* sent, DWORD flags, void* overlapped, void* completion);
int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength);
int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength);
int closesocket(SOCKET s);
// FIONREAD only: `*argument` gets the bytes a recv would find now. Like a peek it reads
// nothing, but unlike one it leaves the read events as they are.
inline constexpr long FIONREAD = 0x4004667F;
int ioctlsocket(SOCKET s, long command, unsigned long* argument);
int shutdown(SOCKET s, int how);

// Name look-ups. A host entry lives in storage of the calling thread until its next call.
int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result);
void freeaddrinfo(addrinfo* list);
hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* address, int length, int family);
int gethostname(char* name, int length);

uint16_t htons(uint16_t value);
uint16_t ntohs(uint16_t value);
uint32_t inet_addr(const char* text);  // INADDR_NONE for text that is not a dotted address

// Puts the socket in non-blocking mode and posts `message` to `window` for the chosen
// events: wParam the socket, lParam the event in the low word and an error code in the
// high word. No events cancels the registration (the socket stays non-blocking).
// Events are found by the message pump of the window's thread: FD_READ again only after
// a recv (after a peek, only once more bytes have come than the peek left), FD_WRITE
// after the connection is made and again only after a send that would have blocked,
// FD_ACCEPT again after an accept, FD_CONNECT and FD_CLOSE once. FD_CLOSE comes after
// the queued bytes have been offered: once recv met the end or a reset, or the peer is
// gone and the program has left what is queued.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events);

// The stand-in's own, for a program that pumps its socket window itself: hands the
// window's posted messages to its procedure, then looks at the calling thread's
// selecting sockets once, as the pump step does, and hands the events for `window`
// straight to its procedure in the order found (events for other windows are posted).
// While it runs, the pump step on this thread does not look at the sockets: what a
// procedure's pump would find waits for the next look. The number handed over.
int DeliverSocketEvents(HWND window);

// For tests: the number of sockets open now.
int OpenSocketCount();

}  // namespace plat::net
