// POSIX side of the socket stand-in: translation of families, flags, addresses and
// errno values to what the stand-in's callers expect.
#include "platform/net/posix_calls.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace plat::net::sys {
namespace {

// The stand-in's values (the platform's), written out here because its header is not
// included beside the system's.
constexpr int kWinInet = 2, kWinInet6 = 23, kWinStream = 1, kWinDgram = 2;
constexpr int kWinPassive = 1, kWinNumericHost = 4;
constexpr int kEAfNoSupport = 10047, kEInval = 10022, kEFault = 10014, kHostNotFound = 11001,
              kNoData = 11004, kENoBufs = 10055, kEMsgSize = 10040;

int toFamily(int family) {
  if (family == kWinInet) return AF_INET;
  if (family == kWinInet6) return AF_INET6;
  if (family == 0) return AF_UNSPEC;
  return -1;
}
int fromFamily(int family) { return family == AF_INET6 ? kWinInet6 : family == AF_INET ? kWinInet : family; }

int toType(int type) {
  if (type == kWinStream) return SOCK_STREAM;
  if (type == kWinDgram) return SOCK_DGRAM;
  return type == 0 ? 0 : -1;
}
int fromType(int type) { return type == SOCK_DGRAM ? kWinDgram : type == SOCK_STREAM ? kWinStream : type; }

// The two layouts agree but for the IPv6 family value.
bool toSystemAddress(const void* address, int length, sockaddr_storage* out, socklen_t* outLength) {
  if (!address || length < static_cast<int>(sizeof(uint16_t))) return false;
  uint16_t family;
  std::memcpy(&family, address, sizeof family);
  int need = family == kWinInet ? static_cast<int>(sizeof(sockaddr_in))
             : family == kWinInet6 ? static_cast<int>(sizeof(sockaddr_in6))
                                   : -1;
  if (need < 0 || length < need) return false;
  std::memset(out, 0, sizeof *out);
  std::memcpy(out, address, need);
  out->ss_family = static_cast<sa_family_t>(toFamily(family));
  *outLength = static_cast<socklen_t>(need);
  return true;
}

// Writes at most *length bytes and sets *length to the full size.
void fromSystemAddress(const sockaddr_storage& in, socklen_t inLength, void* address, int* length) {
  if (!address || !length) return;
  sockaddr_storage copy = in;
  uint16_t family = static_cast<uint16_t>(fromFamily(in.ss_family));
  std::memcpy(&copy, &family, sizeof family);
  size_t n = std::min<size_t>(inLength, *length > 0 ? static_cast<size_t>(*length) : 0);
  std::memcpy(address, &copy, n);
  *length = static_cast<int>(inLength);
}

int fail() {
  setError(errorFromErrno(errno));
  return -1;
}

}  // namespace

int errorFromErrno(int e) {
  switch (e) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: case EPERM: return 10013;
    case EFAULT: return kEFault;
    case EINVAL: return kEInval;
    case EMFILE: case ENFILE: return 10024;
    case EAGAIN: case EINPROGRESS: return 10035;  // a non-blocking call that would wait
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EMSGSIZE: return 10040;
    case EPROTONOSUPPORT: return 10043;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return kEAfNoSupport;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return kENoBufs;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return kEInval;
  }
}

int openSocket(int family, int type, int protocol) {
  int f = toFamily(family), t = toType(type);
  if (f < 0 || f == AF_UNSPEC || t <= 0) {
    setError(kEAfNoSupport);
    return -1;
  }
  int fd = ::socket(f, t | SOCK_CLOEXEC, protocol);
  if (fd < 0) return fail();
  if (f == AF_INET6) {
    int off = 0;  // an IPv6 socket may serve IPv4 peers too
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
  }
  return fd;
}

int closeSocket(int fd) { return ::close(fd) == 0 ? 0 : fail(); }

int setNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return fail();
  return 0;
}

int bindSocket(int fd, const void* address, int length) {
  sockaddr_storage a;
  socklen_t n;
  if (!toSystemAddress(address, length, &a, &n)) {
    setError(kEFault);
    return -1;
  }
  int on = 1;  // a test restarted at once may bind its port again
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  return ::bind(fd, reinterpret_cast<sockaddr*>(&a), n) == 0 ? 0 : fail();
}

int listenSocket(int fd, int backlog) {
  if (backlog <= 0 || backlog > SOMAXCONN) backlog = SOMAXCONN;
  return ::listen(fd, backlog) == 0 ? 0 : fail();
}

int acceptSocket(int fd, void* address, int* length) {
  sockaddr_storage a;
  socklen_t n = sizeof a;
  int client = ::accept4(fd, reinterpret_cast<sockaddr*>(&a), &n, SOCK_CLOEXEC);
  if (client < 0) return fail();
  fromSystemAddress(a, n, address, length);
  return client;
}

int connectSocket(int fd, const void* address, int length) {
  sockaddr_storage a;
  socklen_t n;
  if (!toSystemAddress(address, length, &a, &n)) {
    setError(kEFault);
    return -1;
  }
  return ::connect(fd, reinterpret_cast<sockaddr*>(&a), n) == 0 ? 0 : fail();
}

long sendBytes(int fd, const void* data, size_t size, const void* to, int toLength) {
  ssize_t n;
  if (to) {
    sockaddr_storage a;
    socklen_t len;
    if (!toSystemAddress(to, toLength, &a, &len)) {
      setError(kEFault);
      return -1;
    }
    n = ::sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), len);
  } else {
    n = ::send(fd, data, size, MSG_NOSIGNAL);
  }
  return n < 0 ? fail() : static_cast<long>(n);
}

long sendPieces(int fd, const Piece* pieces, int count) {
  iovec parts[8];
  if (count < 0 || count > 8) {
    setError(kEFault);
    return -1;
  }
  for (int i = 0; i < count; ++i) parts[i] = iovec{const_cast<void*>(pieces[i].data), pieces[i].size};
  msghdr m{};
  m.msg_iov = parts;
  m.msg_iovlen = static_cast<size_t>(count);
  ssize_t n = ::sendmsg(fd, &m, MSG_NOSIGNAL);
  return n < 0 ? fail() : static_cast<long>(n);
}

long recvBytes(int fd, void* data, size_t size, bool peek, void* from, int* fromLength) {
  sockaddr_storage a;
  iovec piece{data, size};
  msghdr m{};
  m.msg_name = from ? &a : nullptr;
  m.msg_namelen = from ? sizeof a : 0;
  m.msg_iov = &piece;
  m.msg_iovlen = 1;
  ssize_t n = ::recvmsg(fd, &m, peek ? MSG_PEEK : 0);
  if (n < 0) return fail();
  if (from) fromSystemAddress(a, m.msg_namelen, from, fromLength);
  // A datagram longer than the buffer: its first bytes are there, the rest is gone (or,
  // peeked, still queued), and the call fails rather than pass the part off as whole.
  if (m.msg_flags & MSG_TRUNC) {
    setError(kEMsgSize);
    return -1;
  }
  return static_cast<long>(n);
}

int shutdownSocket(int fd, int how) {
  int h = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
  return ::shutdown(fd, h) == 0 ? 0 : fail();
}

int pendingBytes(int fd) {
  int n = 0;
  return ::ioctl(fd, FIONREAD, &n) == 0 ? n : 0;
}

int pendingError(int fd) {
  int e = 0;
  socklen_t n = sizeof e;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &e, &n) != 0) return errorFromErrno(errno);
  return e == 0 ? 0 : errorFromErrno(e);
}

int watchCreate() {
  int set = ::epoll_create1(EPOLL_CLOEXEC);
  return set < 0 ? fail() : set;
}

int watchSocket(int set, int fd, WatchChange change, bool write, uint64_t key) {
  epoll_event e{};
  e.events = EPOLLIN | EPOLLRDHUP | (write ? static_cast<uint32_t>(EPOLLOUT) : 0u);
  e.data.u64 = key;
  int op = change == WatchChange::add ? EPOLL_CTL_ADD : change == WatchChange::modify ? EPOLL_CTL_MOD : EPOLL_CTL_DEL;
  return ::epoll_ctl(set, op, fd, &e) == 0 ? 0 : fail();
}

int watchLook(int set, std::vector<Readiness>& out) {
  thread_local std::vector<epoll_event> seen;
  seen.resize(out.size() > 0 ? out.size() : 1);
  int n;
  do {
    n = ::epoll_wait(set, seen.data(), static_cast<int>(seen.size()), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) n = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t r = seen[static_cast<size_t>(i)].events;
    out[static_cast<size_t>(i)] = Readiness{seen[static_cast<size_t>(i)].data.u64, (r & EPOLLIN) != 0,
                                            (r & EPOLLOUT) != 0, (r & (EPOLLHUP | EPOLLRDHUP)) != 0,
                                            (r & EPOLLERR) != 0};
  }
  // The ready list runs in the order readiness came; callers post in socket order.
  if (n > 1)
    std::sort(out.begin(), out.begin() + n, [](const Readiness& a, const Readiness& b) { return a.key < b.key; });
  return n;
}

int resolve(const char* node, const char* service, int family, int socktype, int flags,
            std::vector<Resolved>* out) {
  addrinfo hints{};
  hints.ai_family = toFamily(family);
  hints.ai_socktype = toType(socktype);
  if (hints.ai_family < 0 || hints.ai_socktype < 0) return kEAfNoSupport;
  hints.ai_flags = ((flags & kWinPassive) ? AI_PASSIVE : 0) | ((flags & kWinNumericHost) ? AI_NUMERICHOST : 0);
  addrinfo* list = nullptr;
  int r = ::getaddrinfo(node, service, &hints, &list);
  if (r != 0) return r == EAI_NONAME || r == EAI_FAIL ? kHostNotFound : r == EAI_NODATA ? kNoData : kEInval;
  for (addrinfo* a = list; a; a = a->ai_next) {
    if (a->ai_family != AF_INET && a->ai_family != AF_INET6) continue;
    Resolved item{};
    item.family = fromFamily(a->ai_family);
    item.socktype = fromType(a->ai_socktype);
    item.protocol = a->ai_protocol;
    sockaddr_storage s{};
    std::memcpy(&s, a->ai_addr, a->ai_addrlen);
    item.length = sizeof item.address;
    fromSystemAddress(s, a->ai_addrlen, item.address, &item.length);
    if (a->ai_canonname) item.canonical = a->ai_canonname;
    out->push_back(std::move(item));
  }
  ::freeaddrinfo(list);
  return out->empty() ? kNoData : 0;
}

int nameOfAddress(const void* address, int length, std::string* name) {
  sockaddr_storage a;
  socklen_t n;
  if (!toSystemAddress(address, length, &a, &n)) return kEFault;
  char host[NI_MAXHOST];
  if (::getnameinfo(reinterpret_cast<sockaddr*>(&a), n, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
    return kHostNotFound;
  *name = host;
  return 0;
}

int hostName(char* name, int length) {
  if (!name || length <= 0) {
    setError(kEFault);
    return -1;
  }
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return fail();
  if (static_cast<int>(std::strlen(buffer)) >= length) {
    setError(kEFault);
    return -1;
  }
  std::strcpy(name, buffer);
  return 0;
}

}  // namespace plat::net::sys
