// For tests, fuzzing and benchmarks: a descriptor made elsewhere (one end of a
// socketpair) enters the socket stand-in's table as a connected, non-blocking stream
// socket. Kept apart from sockets.h so that callers may include the system's socket
// headers beside it.
#pragma once
#include <cstdint>

namespace plat::net {

// The socket value, or 0 when the stand-in is not started. The table owns the
// descriptor from now on: closesocket closes it.
uintptr_t AdoptConnectedSocket(int fd);

}  // namespace plat::net
