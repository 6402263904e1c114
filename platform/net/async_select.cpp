// Asynchronous-select mode of the socket stand-in: registration, and the pump step
// that turns what poll() sees into posted socket events.
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

// Decides the events of one socket from what poll() saw (under the table's lock).
void eventsOf(SocketEntry& e, SOCKET s, const sys::PollItem& seen, std::vector<Post>& posts) {
  auto post = [&](long event, int error) {
    if (e.events & event) posts.push_back(Post{e.window, e.message, s, event, error});
  };
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
    if (e->window && !events) t.selecting.fetch_sub(1);
    if (!e->window && events) t.selecting.fetch_add(1);
    e->window = events ? window : nullptr;
    e->message = message;
    e->events = events;
    e->thread = thread;
    // A new registration offers what is there now.
    e->readArmed = true;
    e->readAbove = 0;
    e->acceptArmed = true;
    if (e->connected) e->writeArmed = true;
  }
  if (events) plat::win::AddMessageSource(&pollSelectingSockets);
  return 0;
}

void pollSelectingSockets() {
  SocketTable& t = socketTable();
  if (t.selecting.load(std::memory_order_acquire) == 0) return;
  DWORD me = plat::win::GetCurrentThreadId();
  // Kept between passes so that a pass allocates nothing.
  thread_local std::vector<Post> posts;
  thread_local std::vector<sys::PollItem> items;
  thread_local std::vector<size_t> slots;
  posts.clear();
  items.clear();
  slots.clear();
  {
    std::lock_guard lock(t.lock);
    for (size_t i = 0; i < t.slots.size(); ++i) {
      SocketEntry* e = t.slots[i].get();
      if (!e || !e->window || e->thread != me || e->closePosted) continue;
      items.push_back(sys::PollItem{e->fd, true, e->connecting || e->writeArmed, false, false, false, false});
      slots.push_back(i);
    }
    if (items.empty()) return;
    sys::pollNow(items);
    for (size_t k = 0; k < items.size(); ++k)
      eventsOf(*t.slots[slots[k]], static_cast<SOCKET>(slots[k] + 1), items[k], posts);
  }
  for (const Post& p : posts)
    plat::win::PostMessageW(p.window, p.message, static_cast<plat::win::WPARAM>(p.socket),
                            plat::win::MAKELPARAM(static_cast<int>(p.event), p.error));
}

}  // namespace plat::net
