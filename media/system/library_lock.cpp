// The library lock: one mutex guards the owner, the nesting count and a queue of
// waiters; each waiter sleeps on a condition variable of its own.
//
// Rules, all enforced under the one mutex:
// - A thread that holds the lock takes it again at once (nesting); it needs one
//   release per acquire.
// - A thread that finds the lock taken, or finds others already queued, joins the end
//   of the queue. The last release hands the lock straight to the head of the queue,
//   so threads get it first come, first served and a newcomer never overtakes.
// - A release by a thread that does not hold the lock changes nothing.
// - Destruction succeeds only while nobody holds the lock or waits for it; otherwise
//   the lock stays as it is and keeps working. The first acquire after a destruction
//   makes it anew.
#include "media/system/library_lock.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ZaDod {

namespace {

struct Waiter {
  std::thread::id Thread;
  std::condition_variable Wake;
  bool Granted = false;
};

struct LibraryThreadLock {
  std::mutex Mutex;
  bool Created = false;
  std::thread::id Owner;  // default (no thread) while free
  int RecursionCount = 0;
  std::deque<Waiter*> Queue;  // each entry lives on its waiter's stack
};

LibraryThreadLock Lock;

}  // namespace

void LibraryLockAcquire() {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> guard(Lock.Mutex);
  Lock.Created = true;
  if (Lock.RecursionCount > 0 && Lock.Owner == self) {
    ++Lock.RecursionCount;
    return;
  }
  if (Lock.RecursionCount == 0 && Lock.Queue.empty()) {
    Lock.Owner = self;
    Lock.RecursionCount = 1;
    return;
  }
  Waiter waiter;
  waiter.Thread = self;
  Lock.Queue.push_back(&waiter);
  waiter.Wake.wait(guard, [&waiter] { return waiter.Granted; });
}

void LibraryLockRelease() {
  std::lock_guard<std::mutex> guard(Lock.Mutex);
  if (Lock.RecursionCount <= 0 || Lock.Owner != std::this_thread::get_id()) return;
  if (--Lock.RecursionCount > 0) return;
  if (Lock.Queue.empty()) {
    Lock.Owner = std::thread::id();
    return;
  }
  Waiter* next = Lock.Queue.front();
  Lock.Queue.pop_front();
  Lock.Owner = next->Thread;
  Lock.RecursionCount = 1;
  next->Granted = true;
  next->Wake.notify_one();
}

int LibraryLockDestroy() {
  std::lock_guard<std::mutex> guard(Lock.Mutex);
  if (!Lock.Created || Lock.RecursionCount > 0 || !Lock.Queue.empty()) return 0;
  Lock.Created = false;
  return 1;
}

int GetLibraryLockWaiterNum() {
  std::lock_guard<std::mutex> guard(Lock.Mutex);
  return static_cast<int>(Lock.Queue.size());
}

}  // namespace ZaDod
