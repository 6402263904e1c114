// The socket stand-in's calls into POSIX, kept apart so that no file sees both the
// system's socket names and the stand-in's. Addresses cross in the stand-in's layout
// (its family values); failures return -1 after setting the stand-in's last error.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat::net::sys {

void setError(int code);     // the calling thread's last error (sockets.cpp)
int errorFromErrno(int e);   // a WSA code for an errno value

int openSocket(int family, int type, int protocol);  // the descriptor, close-on-exec
int closeSocket(int fd);
int setNonBlocking(int fd);
int bindSocket(int fd, const void* address, int length);
int listenSocket(int fd, int backlog);
// The new descriptor; the peer's address when `address` is given.
int acceptSocket(int fd, void* address, int* length);
int connectSocket(int fd, const void* address, int length);
long sendBytes(int fd, const void* data, size_t size, const void* to, int toLength);
struct Piece {
  const void* data;
  size_t size;
};
long sendPieces(int fd, const Piece* pieces, int count);  // one gathered send
long recvBytes(int fd, void* data, size_t size, bool peek, void* from, int* fromLength);
int shutdownSocket(int fd, int how);  // SD_ values
int pendingBytes(int fd);             // bytes waiting to be read, 0 when unknown
int pendingError(int fd);             // the socket's error as a WSA code (taken), 0 when none

// Readiness sets (one per pump thread): a socket is registered with a key and the
// readiness it waits for; a look returns only the sockets that are ready, whatever the
// number registered.
enum class WatchChange { add, modify, remove };
int watchCreate();  // the set's descriptor, close-on-exec; -1 with the error set
int watchSocket(int set, int fd, WatchChange change, bool write, uint64_t key);  // reading always
struct Readiness {
  uint64_t key;
  bool readable, writable, hangUp, failed;
};
// Looks without waiting: fills `out` (up to its size) with the ready sockets, in the
// order of their keys; the count.
int watchLook(int set, std::vector<Readiness>& out);

struct Resolved {
  int family, socktype, protocol;
  unsigned char address[28];
  int length;
  std::string canonical;
};
// 0 or a WSA code.
int resolve(const char* node, const char* service, int family, int socktype, int flags,
            std::vector<Resolved>* out);
// The host name of an address in the stand-in's layout; 0 or a WSA code.
int nameOfAddress(const void* address, int length, std::string* name);
int hostName(char* name, int length);

}  // namespace plat::net::sys
