// Shared by the network tests whose peer is a plain POSIX socket: writing to it and
// reading from it while the pump runs. Includes the system's socket headers, so the
// files that use it do not include the socket stand-in's.
#pragma once
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "network_fixture.h"

namespace halvorine_test {

// A non-blocking POSIX client connected to the loopback `port` (with a receive buffer of
// that size when `receiveBuffer` is given); -1 when the connection is refused.
inline int dialLoopback(int port, int receiveBuffer = 0) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (receiveBuffer) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

// Writes every byte to `fd`, pumping while its socket is full.
inline void write(int fd, const std::string& bytes) {
  size_t at = 0;
  for (int i = 0; i < 100000 && at < bytes.size(); ++i) {
    ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (n > 0) at += static_cast<size_t>(n);
    else ZaDod::ProcessNetworkEvents(1);
  }
  ASSERT_EQ(at, bytes.size());
}

// Reads `size` bytes from `fd`, pumping while none are there; fewer when the peer ends.
inline std::string read(int fd, size_t size) {
  std::string out;
  char buffer[65536];
  for (int i = 0; i < 200000 && out.size() < size; ++i) {
    ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, size - out.size()), 0);
    if (n > 0) out.append(buffer, static_cast<size_t>(n));
    else if (n == 0) break;
    else ZaDod::ProcessNetworkEvents(1);
  }
  return out;
}

}  // namespace halvorine_test
