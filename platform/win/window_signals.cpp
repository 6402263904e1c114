// Ctrl-C and termination requests close the windows, so a game ends in order at its
// next frame (its log and save file closed) instead of being cut off.
#include <signal.h>

#include <atomic>
#include <mutex>

#include "platform/win/window_internal.h"

namespace plat::win {

// Signals counted by the handlers and not yet turned into closes. A lock-free
// atomic is all a handler may touch.
std::atomic<int> pendingCloseSignals{0};
static_assert(std::atomic<int>::is_always_lock_free);

namespace {

void countCloseSignal(int) { pendingCloseSignals.fetch_add(1, std::memory_order_relaxed); }

void catchSignal(int sig, int flags) {
  struct sigaction sa {};
  sa.sa_handler = &countCloseSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART | flags;
  sigaction(sig, &sa, nullptr);
}

}  // namespace

void catchCloseSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The first Ctrl-C puts the default back, so a second one while the game is
    // ending (or one that does not end) stops the process at once.
    catchSignal(SIGINT, SA_RESETHAND);
    catchSignal(SIGTERM, 0);
  });
}

void postSignalCloses() {
  if (pendingCloseSignals.exchange(0, std::memory_order_relaxed) == 0) return;
  for (auto& [id, w] : windowTable())
    if (!w->destroying && !(w->style & WS_CHILD)) postCloseMessage(*w);
}

}  // namespace plat::win
