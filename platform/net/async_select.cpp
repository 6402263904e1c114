// Asynchronous-select mode of the socket stand-in: registration, and the pump step
// that turns what the thread's readiness set reports into socket events.
#include "platform/net/posix_calls.h"
#include "platform/net/socket_table.h"
#include "platform/win/win_thread.h"

namespace plat::net {

namespace {

struct Post {
  HWND window;
  UINT message;
  SOCKET socket;
  long event;
  int error;
};

// Decides the events of one socket from what its readiness set saw (under the table's lock).
void eventsOf(SocketEntry& e, SOCKET s, const sys::Readiness& seen, std::vector<Post>& posts) {
  auto post = [&](long event, int error) {
    // The program hears of the bytes now there: a count made before stands for no peek.
    if (event == FD_READ) e.countedBytes = -1;
    if (e.events & event) posts.push_back(Post{e.window, e.message, s, event, error});
  };
  if (e.type == SOCK_DGRAM) {
    // A datagram socket has no connection: it can be written from its registration on,
    // and is readable while a datagram is queued.
    if (e.writeArmed && seen.writable) {
      e.writeArmed = false;
      post(FD_WRITE, 0);
    }
    if (e.readArmed && seen.readable) {
      e.readArmed = false;
      post(FD_READ, 0);
    }
    return;
  }
  if (e.listening) {
    if (e.acceptArmed && seen.readable) {
      e.acceptArmed = false;
      post(FD_ACCEPT, 0);
    }
    return;
  }
  if (e.connecting) {
    if (!seen.writable && !seen.failed && !seen.hangUp) return;
    int error = sys::pendingError(e.fd);
    e.connecting = false;
    e.connected = error == 0;
    e.writeArmed = error == 0;
    post(FD_CONNECT, error);
    if (error != 0) return;
  }
  if (!e.connected || e.closePosted) return;
  if (e.writeArmed && seen.writable) {
    e.writeArmed = false;
    post(FD_WRITE, 0);
  }
  auto close = [&](int error) {
    e.closePosted = true;
    post(FD_CLOSE, error);
  };
  if (e.endSeen) return close(e.endError);
  if (seen.hangUp || seen.failed) e.hungUp = true;
  if (!seen.readable && !e.hungUp) return;
  // A read event already posted and not yet answered: nothing to decide, so no count.
  if (!e.hungUp && !e.readArmed) return;
  if (!e.hungUp && e.readAbove == 0) {
    // Readable with the peer still there means bytes are queued: no count needed.
    e.readArmed = false;
    e.readSettled = false;
    post(FD_READ, 0);
    return;
  }
  int queued = sys::pendingBytes(e.fd);
  if (e.hungUp) {
    // Data still queued is offered as FD_READ first; the close follows once nothing is
    // left, or once the program has looked and left what is there (a frame cut short).
    if (queued == 0 || (e.readArmed && queued <= e.readAbove)) return close(sys::pendingError(e.fd));
    if (e.readArmed) {
      e.readArmed = false;
      post(FD_READ, 0);
    }
    return;
  }
  if (e.readArmed && queued > e.readAbove) {
    e.readArmed = false;
    post(FD_READ, 0);
  }
}

// DeliverSocketEvents runs on this thread: the pump step leaves the sockets to it.
thread_local bool delivering = false;

WatchSet* watchSetOf(SocketTable& t, DWORD thread) {
  for (WatchSet& w : t.watchSets)
    if (w.thread == thread) return &w;
  return nullptr;
}

WatchSet* watchSetWithFd(SocketTable& t, int fd) {
  for (WatchSet& w : t.watchSets)
    if (w.fd == fd) return &w;
  return nullptr;
}

// Whether the socket's last FD_READ was answered so that only new bytes bring another.
bool readSettled(SOCKET s) {
  SocketTable& t = socketTable();
  std::lock_guard lock(t.lock);
  SocketEntry* e = findSocket(s);
  return e && e->readSettled;
}

// Looks once at the calling thread's sockets and decides their events.
void lookAtSockets(std::vector<Post>& posts) {
  SocketTable& t = socketTable();
  if (t.selecting.load(std::memory_order_acquire) == 0) return;
  DWORD me = plat::win::GetCurrentThreadId();
  // Kept between looks so that a look allocates nothing.
  thread_local std::vector<sys::Readiness> ready;
  std::lock_guard lock(t.lock);
  WatchSet* set = watchSetOf(t, me);
  if (!set || set->count == 0) return;
  const int fd = set->fd;
  ready.resize(static_cast<size_t>(set->count));
  int n = sys::watchLook(fd, ready);
  for (int k = 0; k < n; ++k) {
    auto s = static_cast<SOCKET>(ready[static_cast<size_t>(k)].key);
    SocketEntry* e = findSocket(s);
    if (!e || e->watchSet != fd) continue;
    eventsOf(*e, s, ready[static_cast<size_t>(k)], posts);
    rewatch(*e, s);
  }
}

}  // namespace

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events) {
  DWORD thread = events ? plat::win::GetWindowThreadProcessId(window, nullptr) : 0;
  if (events && thread == 0) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  SocketTable& t = socketTable();
  {
    std::lock_guard lock(t.lock);
    if (t.startCount == 0) {
      WSASetLastError(WSANOTINITIALISED);
      return SOCKET_ERROR;
    }
    SocketEntry* e = findSocket(s);
    if (!e) {
      WSASetLastError(WSAENOTSOCK);
      return SOCKET_ERROR;
    }
    if (sys::setNonBlocking(e->fd) != 0) return SOCKET_ERROR;
    HWND before = e->window;
    e->window = events ? window : nullptr;
    e->message = message;
    e->events = events;
    e->thread = thread;
    // A new registration offers what is there now.
    e->readArmed = true;
    e->readAbove = 0;
    e->acceptArmed = true;
    if (e->connected || e->type == SOCK_DGRAM) e->writeArmed = true;
    if (rewatch(*e, s) != 0) {
      e->window = nullptr;
      rewatch(*e, s);
      if (before) t.selecting.fetch_sub(1);
      return SOCKET_ERROR;
    }
    if (before && !events) t.selecting.fetch_sub(1);
    if (!before && events) t.selecting.fetch_add(1);
  }
  if (events) plat::win::AddMessageSource(&pollSelectingSockets);
  return 0;
}

int rewatch(SocketEntry& e, SOCKET s) {
  SocketTable& t = socketTable();
  const bool wanted = e.window && !e.closePosted;
  WatchSet* set = nullptr;
  if (wanted) {
    set = watchSetOf(t, e.thread);
    if (!set) {
      int fd = sys::watchCreate();
      if (fd < 0) return -1;
      t.watchSets.push_back(WatchSet{e.thread, fd, 0});
      set = &t.watchSets.back();
    }
  }
  if (e.watchSet != -1 && (!set || set->fd != e.watchSet)) unwatch(e);
  if (!set) return 0;
  const bool write = e.connecting || e.writeArmed;
  if (e.watchSet == -1) {
    if (sys::watchSocket(set->fd, e.fd, sys::WatchChange::add, write, s) != 0) return -1;
    ++set->count;
    e.watchSet = set->fd;
  } else if (write != e.watchWrite) {
    if (sys::watchSocket(set->fd, e.fd, sys::WatchChange::modify, write, s) != 0) return -1;
  }
  e.watchWrite = write;
  return 0;
}

void unwatch(SocketEntry& e) {
  if (e.watchSet == -1) return;
  sys::watchSocket(e.watchSet, e.fd, sys::WatchChange::remove, false, 0);
  if (WatchSet* set = watchSetWithFd(socketTable(), e.watchSet)) --set->count;
  e.watchSet = -1;
}

void closeWatchSets() {
  SocketTable& t = socketTable();
  for (WatchSet& w : t.watchSets) sys::closeSocket(w.fd);
  t.watchSets.clear();
}

void pollSelectingSockets() {
  if (delivering) return;
  // Kept between passes so that a pass allocates nothing.
  thread_local std::vector<Post> posts;
  posts.clear();
  lookAtSockets(posts);
  for (const Post& p : posts)
    plat::win::PostMessageW(p.window, p.message, static_cast<plat::win::WPARAM>(p.socket),
                            plat::win::MAKELPARAM(static_cast<int>(p.event), p.error));
}

int DeliverSocketEvents(HWND window) {
  if (delivering) return 0;
  delivering = true;
  int handed = 0;
  plat::win::MSG m;
  while (plat::win::PeekMessageW(&m, window, 0, 0, plat::win::PM_REMOVE)) {
    plat::win::TranslateMessage(&m);
    plat::win::DispatchMessageW(&m);
    ++handed;
  }
  thread_local std::vector<Post> posts;
  // Looks again after events were handed over, as what they did may have let more come
  // (another connection waiting, a write that would block, a read that took less than
  // was there), until a look finds nothing new. A read event answered by a receive that
  // emptied the socket, or by a peek that set the mark for the next one, needs no look:
  // what comes after it is found by the next call.
  for (bool again = true; again;) {
    posts.clear();
    lookAtSockets(posts);
    again = false;
    for (const Post& p : posts) {
      auto wParam = static_cast<plat::win::WPARAM>(p.socket);
      plat::win::LPARAM lParam = plat::win::MAKELPARAM(static_cast<int>(p.event), p.error);
      if (p.window != window) {
        plat::win::PostMessageW(p.window, p.message, wParam, lParam);
        continue;
      }
      plat::win::SendMessageW(p.window, p.message, wParam, lParam);
      ++handed;
      again = again || p.event != FD_READ || !readSettled(p.socket);
    }
  }
  delivering = false;
  return handed;
}

}  // namespace plat::net
