// The socket stand-in's table and its WinSock-style functions over POSIX sockets.
#include <cstring>
#include <string>

#include "platform/net/posix_calls.h"
#include "platform/net/socket_adopt.h"
#include "platform/net/socket_table.h"

namespace plat::net {

namespace sys {
namespace {
thread_local int lastError = 0;
}
void setError(int code) { lastError = code; }
}  // namespace sys

namespace {

int failWith(int code) {
  sys::setError(code);
  return SOCKET_ERROR;
}

// The descriptor of an open socket, or -1 with the error set; and with `counted`, the
// socket's last FIONREAD count still standing.
int descriptorOf(SOCKET s, bool needStarted = true, int* counted = nullptr) {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  if (needStarted && t.startCount == 0) return failWith(WSANOTINITIALISED);
  SocketEntry* e = findSocket(s);
  if (!e) return failWith(WSAENOTSOCK);
  if (counted) *counted = e->countedBytes;
  return e->fd;
}

// Runs `update` on the socket's entry when it is still open.
template <typename F>
void touch(SOCKET s, F update) {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  if (SocketEntry* e = findSocket(s)) update(*e);
}

// A send that would have blocked: FD_WRITE comes again once the socket takes data. The
// error of the send stays the caller's.
void armWrite(SOCKET s) {
  int error = WSAGetLastError();
  touch(s, [s](SocketEntry& e) {
    e.writeArmed = true;
    rewatch(e, s);
  });
  sys::setError(error);
}

// Values run upward and are used again only once the table has grown to kReuseAfter
// slots, so that an event still queued for a closed socket does not reach a new one.
constexpr size_t kReuseAfter = 4096;

SOCKET addEntry(std::unique_ptr<SocketEntry> entry) {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  size_t n = t.slots.size();
  size_t found = n;
  for (size_t i = t.cursor; i < n && found == n; ++i)
    if (!t.slots[i]) found = i;
  for (size_t i = 0; found == n && n >= kReuseAfter && i < t.cursor; ++i)
    if (!t.slots[i]) found = i;
  if (found == n) t.slots.emplace_back();
  t.slots[found] = std::move(entry);
  t.cursor = found + 1;
  return static_cast<SOCKET>(found + 1);
}

void closeEntry(std::unique_ptr<SocketEntry>& slot, SocketTable& t) {
  if (!slot) return;
  if (slot->window) t.selecting.fetch_sub(1);
  unwatch(*slot);
  sys::closeSocket(slot->fd);
  slot.reset();
  for (std::unique_ptr<SocketEntry>& other : t.slots) {
    if (other && other->acceptAfterClose) {
      other->acceptAfterClose = false;
      other->acceptArmed = true;
    }
  }
}

// A host entry in storage of the calling thread.
struct HostStorage {
  std::string name;
  std::vector<std::string> addresses;
  std::vector<char*> addressList;
  char* aliases[1] = {nullptr};
  hostent entry{};
};

hostent* fillHost(const std::string& name, int family, const std::vector<std::string>& addresses) {
  thread_local HostStorage h;
  h.name = name;
  h.addresses = addresses;
  h.addressList.clear();
  for (std::string& a : h.addresses) h.addressList.push_back(a.data());
  h.addressList.push_back(nullptr);
  h.entry.h_name = h.name.data();
  h.entry.h_aliases = h.aliases;
  h.entry.h_addrtype = static_cast<short>(family);
  h.entry.h_length = static_cast<short>(family == AF_INET6 ? 16 : 4);
  h.entry.h_addr_list = h.addressList.data();
  return &h.entry;
}

}  // namespace

SocketTable& socketTable() {
  static SocketTable table;
  return table;
}

SocketEntry* findSocket(SOCKET s) {
  SocketTable& t = socketTable();
  if (s == 0 || s > t.slots.size()) return nullptr;
  return t.slots[s - 1].get();
}

int WSAStartup(WORD version, WSADATA* data) {
  if (!data) return WSAEFAULT;
  if ((version & 0xFF) < 1) return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  data->wVersion = MAKEWORD(2, 2);
  data->wHighVersion = MAKEWORD(2, 2);
  std::strcpy(data->szDescription, "Halvorine sockets over POSIX");
  std::strcpy(data->szSystemStatus, "Running");
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  ++t.startCount;
  return 0;
}

// The last cleanup closes every socket still open.
int WSACleanup() {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  if (t.startCount == 0) return failWith(WSANOTINITIALISED);
  if (--t.startCount == 0) {
    for (auto& slot : t.slots) closeEntry(slot, t);
    closeWatchSets();
  }
  return 0;
}

int WSAGetLastError() { return sys::lastError; }
void WSASetLastError(int error) { sys::setError(error); }

SOCKET socket(int family, int type, int protocol) {
  {
    SocketTable& t = socketTable();
    std::lock_guard lock(t.lock);
    if (t.startCount == 0) {
      sys::setError(WSANOTINITIALISED);
      return INVALID_SOCKET;
    }
  }
  int fd = sys::openSocket(family, type, protocol);
  if (fd < 0) return INVALID_SOCKET;
  auto e = std::make_unique<SocketEntry>();
  e->fd = fd;
  e->family = family;
  e->type = type;
  return addEntry(std::move(e));
}

int bind(SOCKET s, const sockaddr* address, int length) {
  int fd = descriptorOf(s);
  return fd < 0 ? SOCKET_ERROR : sys::bindSocket(fd, address, length);
}

int listen(SOCKET s, int backlog) {
  int fd = descriptorOf(s);
  if (fd < 0 || sys::listenSocket(fd, backlog) != 0) return SOCKET_ERROR;
  touch(s, [](SocketEntry& e) { e.listening = true; });
  return 0;
}

SOCKET accept(SOCKET s, sockaddr* address, int* length) {
  int fd = descriptorOf(s);
  if (fd < 0) return INVALID_SOCKET;
  int client = sys::acceptSocket(fd, address, length);
  // Out of descriptors the connection stays in the backlog, readable, and another
  // FD_ACCEPT at once would only fail again, for ever: the listener waits until a
  // socket is closed, when a descriptor may be free.
  const bool outOfDescriptors = client < 0 && WSAGetLastError() == WSAEMFILE;
  int family = AF_INET;
  touch(s, [&](SocketEntry& e) {
    e.acceptArmed = !outOfDescriptors;
    e.acceptAfterClose = outOfDescriptors;
    family = e.family;
  });
  if (client < 0) return INVALID_SOCKET;
  auto e = std::make_unique<SocketEntry>();
  e->fd = client;
  e->family = family;
  e->type = SOCK_STREAM;
  e->connected = true;
  return addEntry(std::move(e));
}

int connect(SOCKET s, const sockaddr* address, int length) {
  int fd = descriptorOf(s);
  if (fd < 0) return SOCKET_ERROR;
  int r = sys::connectSocket(fd, address, length);
  int error = r == 0 ? 0 : WSAGetLastError();
  bool selecting = false;
  touch(s, [&](SocketEntry& e) {
    selecting = e.window != nullptr;
    // A selecting socket always learns of its connection through FD_CONNECT.
    if (error == WSAEWOULDBLOCK || (r == 0 && selecting)) {
      e.connecting = true;
    } else if (r == 0) {
      e.connected = true;
      e.writeArmed = true;
    }
    rewatch(e, s);
  });
  if (r == 0 && selecting) return failWith(WSAEWOULDBLOCK);
  return r == 0 ? 0 : SOCKET_ERROR;
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  return sendto(s, buffer, length, flags, nullptr, 0);
}

int sendto(SOCKET s, const char* buffer, int length, int, const sockaddr* to, int toLength) {
  if (length < 0 || (!buffer && length > 0)) return failWith(WSAEFAULT);
  int fd = descriptorOf(s);
  if (fd < 0) return SOCKET_ERROR;
  long n = sys::sendBytes(fd, buffer, static_cast<size_t>(length), to, toLength);
  if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) armWrite(s);
  return static_cast<int>(n);
}

int WSASend(SOCKET s, WSABUF* buffers, DWORD count, DWORD* sent, DWORD, void* overlapped, void* completion) {
  if (overlapped || completion || count > 8 || (count > 0 && !buffers)) return failWith(WSAEINVAL);
  sys::Piece pieces[8];
  for (DWORD i = 0; i < count; ++i) {
    if (!buffers[i].buf && buffers[i].len > 0) return failWith(WSAEFAULT);
    pieces[i] = sys::Piece{buffers[i].buf, buffers[i].len};
  }
  int fd = descriptorOf(s);
  if (fd < 0) return SOCKET_ERROR;
  // One buffer goes as a plain send, which costs the system less than a gathered one.
  long n = count == 1 ? sys::sendBytes(fd, pieces[0].data, pieces[0].size, nullptr, 0)
                      : sys::sendPieces(fd, pieces, static_cast<int>(count));
  if (n < 0) {
    if (WSAGetLastError() == WSAEWOULDBLOCK) armWrite(s);
    return SOCKET_ERROR;
  }
  if (sent) *sent = static_cast<DWORD>(n);
  return 0;
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  return recvfrom(s, buffer, length, flags, nullptr, nullptr);
}

int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength) {
  if (length < 0 || (!buffer && length > 0)) return failWith(WSAEFAULT);
  const bool peek = (flags & MSG_PEEK) != 0;
  const bool emptyPeek = peek && length == 0 && !from;
  int counted = -1;
  int fd = descriptorOf(s, true, emptyPeek ? &counted : nullptr);
  if (fd < 0) return SOCKET_ERROR;
  // A zero-length peek at bytes that are queued answers 0 without a system recv: the
  // count it sets the mark to is all it needs, and a FIONREAD since the last recv has
  // made it already (bytes that came after that count bring the next FD_READ, as if
  // they had come after the peek). With nothing queued the system recv still reports
  // the end or an error.
  int queued = emptyPeek ? (counted > 0 ? counted : sys::pendingBytes(fd)) : 0;
  long n = queued > 0 ? 0 : sys::recvBytes(fd, buffer, static_cast<size_t>(length), peek, from, fromLength);
  int error = n < 0 ? WSAGetLastError() : 0;
  touch(s, [&](SocketEntry& e) {
    e.readArmed = true;
    // A count stands for one empty peek, and for none once bytes have been taken.
    if (!peek || emptyPeek) e.countedBytes = -1;
    e.readAbove = queued > 0 ? queued : peek && n >= 0 ? sys::pendingBytes(fd) : 0;
    e.readSettled = e.type == SOCK_STREAM &&
                    ((flags & MSG_PEEK) ? n >= 0 : ((n > 0 && n < length) || error == WSAEWOULDBLOCK));
    bool reset = error == WSAECONNRESET || error == WSAECONNABORTED;
    if (e.type == SOCK_STREAM && length > 0 && (n == 0 || reset)) {
      e.endSeen = true;
      if (reset) e.endError = error;
    }
  });
  if (n < 0) sys::setError(error);
  return static_cast<int>(n);
}

int closesocket(SOCKET s) {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  if (!findSocket(s)) return failWith(WSAENOTSOCK);
  closeEntry(t.slots[s - 1], t);
  return 0;
}

int ioctlsocket(SOCKET s, long command, unsigned long* argument) {
  if (command != FIONREAD) return failWith(WSAEINVAL);
  if (!argument) return failWith(WSAEFAULT);
  int fd = descriptorOf(s);
  if (fd < 0) return SOCKET_ERROR;
  const int queued = sys::pendingBytes(fd);
  touch(s, [queued](SocketEntry& e) { e.countedBytes = queued; });
  *argument = static_cast<unsigned long>(queued);
  return 0;
}

int shutdown(SOCKET s, int how) {
  int fd = descriptorOf(s);
  return fd < 0 ? SOCKET_ERROR : sys::shutdownSocket(fd, how);
}

int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
  if (!result) return WSAEFAULT;
  *result = nullptr;
  std::vector<sys::Resolved> found;
  int r = sys::resolve(node, service, hints ? hints->ai_family : 0, hints ? hints->ai_socktype : 0,
                       hints ? hints->ai_flags : 0, &found);
  if (r != 0) return r;
  addrinfo** tail = result;
  for (const sys::Resolved& item : found) {
    auto* a = new addrinfo{};
    a->ai_family = item.family;
    a->ai_socktype = item.socktype;
    a->ai_protocol = item.protocol;
    a->ai_addrlen = static_cast<size_t>(item.length);
    auto* address = new unsigned char[sizeof item.address];
    std::memcpy(address, item.address, sizeof item.address);
    a->ai_addr = reinterpret_cast<sockaddr*>(address);
    if (!item.canonical.empty()) {
      a->ai_canonname = new char[item.canonical.size() + 1];
      std::memcpy(a->ai_canonname, item.canonical.c_str(), item.canonical.size() + 1);
    }
    *tail = a;
    tail = &a->ai_next;
  }
  return 0;
}

void freeaddrinfo(addrinfo* list) {
  while (list) {
    addrinfo* next = list->ai_next;
    delete[] reinterpret_cast<unsigned char*>(list->ai_addr);
    delete[] list->ai_canonname;
    delete list;
    list = next;
  }
}

hostent* gethostbyname(const char* name) {
  std::vector<sys::Resolved> found;
  int r = name ? sys::resolve(name, nullptr, AF_INET, SOCK_STREAM, 0, &found) : WSAEFAULT;
  if (r != 0) {
    sys::setError(r);
    return nullptr;
  }
  std::vector<std::string> addresses;
  for (const sys::Resolved& item : found) {
    sockaddr_in a;
    std::memcpy(&a, item.address, sizeof a);
    addresses.emplace_back(reinterpret_cast<const char*>(&a.sin_addr), 4);
  }
  return fillHost(name, AF_INET, addresses);
}

hostent* gethostbyaddr(const char* address, int length, int family) {
  if (!address || (family == AF_INET && length < 4) || (family == AF_INET6 && length < 16) ||
      (family != AF_INET && family != AF_INET6)) {
    sys::setError(WSAEFAULT);
    return nullptr;
  }
  sockaddr_in6 six{};
  sockaddr_in four{};
  const void* socketAddress;
  int socketLength;
  if (family == AF_INET6) {
    six.sin6_family = AF_INET6;
    std::memcpy(&six.sin6_addr, address, 16);
    socketAddress = &six;
    socketLength = sizeof six;
  } else {
    four.sin_family = AF_INET;
    std::memcpy(&four.sin_addr, address, 4);
    socketAddress = &four;
    socketLength = sizeof four;
  }
  std::string name;
  int r = sys::nameOfAddress(socketAddress, socketLength, &name);
  if (r != 0) {
    sys::setError(r);
    return nullptr;
  }
  return fillHost(name, family, {std::string(address, family == AF_INET6 ? 16 : 4)});
}

int gethostname(char* name, int length) { return sys::hostName(name, length); }

uint16_t htons(uint16_t value) { return static_cast<uint16_t>((value >> 8) | (value << 8)); }
uint16_t ntohs(uint16_t value) { return htons(value); }

uint32_t inet_addr(const char* text) {
  if (!text) return INADDR_NONE;
  uint32_t parts[4];
  int count = 0;
  const char* p = text;
  while (count < 4) {
    if (*p < '0' || *p > '9') return INADDR_NONE;
    uint32_t v = 0;
    while (*p >= '0' && *p <= '9') {
      v = v * 10 + static_cast<uint32_t>(*p++ - '0');
      if (v > 255) return INADDR_NONE;
    }
    parts[count++] = v;
    if (*p != '.') break;
    ++p;
  }
  if (count != 4 || *p != '\0') return INADDR_NONE;
  // Network order: the first part is the lowest byte in memory.
  return parts[0] | (parts[1] << 8) | (parts[2] << 16) | (parts[3] << 24);
}

int OpenSocketCount() {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  int n = 0;
  for (auto& slot : t.slots) n += slot ? 1 : 0;
  return n;
}

uintptr_t AdoptConnectedSocket(int fd) {
  {
    SocketTable& t = socketTable();
    std::lock_guard lock(t.lock);
    if (t.startCount == 0) return 0;
  }
  if (sys::setNonBlocking(fd) != 0) return 0;
  auto e = std::make_unique<SocketEntry>();
  e->fd = fd;
  e->family = AF_INET;
  e->type = SOCK_STREAM;
  e->connected = true;
  return addEntry(std::move(e));
}

}  // namespace plat::net
