// The socket stand-in's table: one entry per open socket, its descriptor and its
// asynchronous-select state. Internal to platform/net.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/net/sockets.h"

namespace plat::net {

struct SocketEntry {
  int fd = -1;
  int family = 0, type = 0;
  bool listening = false;
  bool connecting = false;  // a non-blocking connect under way
  bool connected = false;
  // Asynchronous select: where the events go and which may be posted next.
  HWND window = nullptr;
  UINT message = 0;
  long events = 0;
  DWORD thread = 0;        // the window's thread: only its pump looks at the socket
  bool readArmed = true;   // a recv has been made since the last FD_READ
  int readAbove = 0;       // FD_READ waits for more than this many queued bytes: what a
                           // peek left behind is not offered again
  bool writeArmed = false;
  bool acceptArmed = true;
  bool acceptAfterClose = false;  // accept ran out of descriptors: armed again by a close
  bool hungUp = false;     // the peer has closed or reset
  bool endSeen = false;    // recv returned 0 or a reset
  int endError = 0;
  bool closePosted = false;
  // Since the last FD_READ a recv came back short (the socket was empty then) or a peek
  // set the mark for the next one: only bytes that come later bring another.
  bool readSettled = false;
  // What the last FIONREAD counted, while no recv has taken bytes since (-1: none): an
  // empty peek after it leaves those bytes, with no second count.
  int countedBytes = -1;
  // The readiness set the socket is in (its thread's), -1 for none, and whether it
  // waits there for writing too.
  int watchSet = -1;
  bool watchWrite = false;
};

// The readiness set of one pump thread and how many sockets are in it.
struct WatchSet {
  DWORD thread;
  int fd;
  int count;
};

struct SocketTable {
  std::mutex lock;
  std::vector<std::unique_ptr<SocketEntry>> slots;  // socket value = slot + 1
  size_t cursor = 0;  // where the search for a free slot starts: values are not reused at once
  int startCount = 0;
  std::atomic<int> selecting{0};  // sockets in asynchronous-select mode
  std::vector<WatchSet> watchSets;
};

SocketTable& socketTable();
// Under the table's lock; null for a value that is not an open socket.
SocketEntry* findSocket(SOCKET s);

// The message-pump step: posts the events of the calling thread's selecting sockets.
void pollSelectingSockets();

// Under the table's lock: puts the socket in its thread's readiness set, or takes it out,
// as its selection and armed events now need. 0, or -1 with the error set.
int rewatch(SocketEntry& e, SOCKET s);
// Under the table's lock, before its descriptor closes: takes the socket out of its set.
void unwatch(SocketEntry& e);
// Under the table's lock, at the last cleanup: closes every readiness set.
void closeWatchSets();

}  // namespace plat::net
