// Events and critical sections over the C++ and POSIX primitives.
#include "platform/win/sync.h"

#include <linux/membarrier.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace plat::win {

namespace {

// The kernel's expedited process barrier, when it offers one; registered once.
bool processBarrierRegistered() {
  static const bool registered = syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
  return registered;
}

}  // namespace

void FlushProcessWriteBuffers() {
  if (processBarrierRegistered() && syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0) == 0) return;
  // Without it: taking a touched page's access away makes the kernel interrupt every
  // processor that may cache its mapping, which serialises them.
  static std::mutex mutex;
  static void* page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  std::lock_guard<std::mutex> hold(mutex);
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (page == MAP_FAILED) return;
  *static_cast<volatile char*>(page) = 1;
  mprotect(page, 4096, PROT_READ);
  mprotect(page, 4096, PROT_READ | PROT_WRITE);
}

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&section->mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

void DeleteCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_destroy(&section->mutex); }
void EnterCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_lock(&section->mutex); }
void LeaveCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_unlock(&section->mutex); }

namespace {

// Waits on several objects sleep on one process-wide generation count that every signal
// bumps; a signal with no such waiter costs one atomic read.
struct MultiWait {
  std::mutex mutex;
  std::condition_variable cv;
  unsigned long long generation = 0;
  std::atomic<int> waiters{0};
};

// Never destroyed: detached threads that end while the process exits still signal it.
MultiWait& multiWait() {
  static MultiWait* instance = new MultiWait;
  return *instance;
}

}  // namespace

void NotifyMultipleWaiters() {
  MultiWait& m = multiWait();
  if (m.waiters.load(std::memory_order_seq_cst) == 0) return;
  {
    std::lock_guard<std::mutex> hold(m.mutex);
    ++m.generation;
  }
  m.cv.notify_all();
}

namespace {

// Creation costs one small allocation and no system call: the library lock makes
// thousands of these.
class Event final : public WaitableObject {
 public:
  Event(bool manualReset, bool signaled) : manual_(manualReset), signaled_(signaled) {}

  void set() {
    {
      // Woken under the lock: a waiter that closes the event as soon as its wait ends
      // cannot free it while this call still touches it.
      std::lock_guard<std::mutex> hold(mutex_);
      signaled_ = true;
      if (manual_) cv_.notify_all();
      else cv_.notify_one();
    }
    NotifyMultipleWaiters();
  }
  void reset() {
    std::lock_guard<std::mutex> hold(mutex_);
    signaled_ = false;
  }
  DWORD wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!waitUntilReady(cv_, lock, milliseconds, [this] { return signaled_; })) return WAIT_TIMEOUT;
    if (!manual_) signaled_ = false;  // an automatic event lets exactly one waiter through
    return WAIT_OBJECT_0;
  }
  // Called under the multiple-wait lock: wakes single waiters only.
  void giveBack() override {
    if (manual_) return;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      signaled_ = true;
    }
    cv_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  const bool manual_;
  bool signaled_;
};

Event* asEvent(HANDLE handle) { return findObjectAs<Event>(handle); }

class Semaphore final : public WaitableObject {
 public:
  Semaphore(LONG count, LONG maximum) : count_(count), maximum_(maximum) {}

  bool release(LONG by, LONG* previous, bool notifyMultiple = true) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (by <= 0 || by > maximum_ - count_) return false;
      if (previous) *previous = count_;
      count_ += by;
    }
    if (by == 1) cv_.notify_one();
    else cv_.notify_all();
    if (notifyMultiple) NotifyMultipleWaiters();
    return true;
  }
  DWORD wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!waitUntilReady(cv_, lock, milliseconds, [this] { return count_ > 0; })) return WAIT_TIMEOUT;
    --count_;
    return WAIT_OBJECT_0;
  }
  void giveBack() override { release(1, nullptr, false); }  // under the multiple-wait lock

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  LONG count_;
  const LONG maximum_;
};

}  // namespace

HANDLE CreateEventA(void*, BOOL manualReset, BOOL initialState, const char*) {
  return registerObject(new Event(manualReset != FALSE, initialState != FALSE));
}

HANDLE CreateEventW(void*, BOOL manualReset, BOOL initialState, const char16_t*) {
  return registerObject(new Event(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) {
  Event* e = asEvent(event);
  if (!e) return FALSE;
  e->set();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  Event* e = asEvent(event);
  if (!e) return FALSE;
  e->reset();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto* object = findObjectAs<WaitableObject>(handle);
  return object ? object->wait(milliseconds) : WAIT_FAILED;
}

namespace {

// One look at every object: the index taken for "any", 0 when all were taken for "all",
// or -1 when the wait must go on.
int takeSignalled(const std::vector<WaitableObject*>& objects, bool all) {
  if (!all) {
    for (size_t i = 0; i < objects.size(); ++i)
      if (objects[i]->tryTake()) return static_cast<int>(i);
    return -1;
  }
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i]->tryTake()) continue;
    // Not all at once: hand back what this look took, so nobody else loses a signal.
    while (i > 0) objects[--i]->giveBack();
    return -1;
  }
  return 0;
}

}  // namespace

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) return WAIT_FAILED;
  std::vector<WaitableObject*> objects(count);
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = findObjectAs<WaitableObject>(handles[i]);
    if (objects[i] == nullptr) return WAIT_FAILED;
  }
  MultiWait& m = multiWait();
  m.waiters.fetch_add(1, std::memory_order_seq_cst);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  DWORD result = WAIT_TIMEOUT;
  // Looks happen under the shared lock, so no other multiple wait ever sees the
  // moment between a take and its give-back.
  std::unique_lock<std::mutex> lock(m.mutex);
  for (;;) {
    const int taken = takeSignalled(objects, waitAll != FALSE);
    if (taken >= 0) {
      result = WAIT_OBJECT_0 + static_cast<DWORD>(taken);
      break;
    }
    if (milliseconds == 0) break;
    const unsigned long long seen = m.generation;
    if (milliseconds == INFINITE) {
      m.cv.wait(lock, [&] { return m.generation != seen; });
    } else if (!m.cv.wait_until(lock, deadline, [&] { return m.generation != seen; })) {
      break;
    }
  }
  lock.unlock();
  m.waiters.fetch_sub(1, std::memory_order_seq_cst);
  return result;
}

HANDLE CreateSemaphoreW(void*, LONG initialCount, LONG maximumCount, const char16_t*) {
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
  return registerObject(new Semaphore(initialCount, maximumCount));
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount) {
  auto* s = findObjectAs<Semaphore>(semaphore);
  return s != nullptr && s->release(releaseCount, previousCount) ? TRUE : FALSE;
}

LONG InterlockedIncrement(volatile LONG* value) {
  return __atomic_add_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(volatile LONG* value) {
  return __atomic_sub_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}

int lstrlenW(const char16_t* text) {
  int length = 0;
  if (text != nullptr)
    while (text[length] != u'\0') ++length;
  return length;
}

int lstrcmpW(const char16_t* a, const char16_t* b) {
  if (a == nullptr) a = u"";
  if (b == nullptr) b = u"";
  while (*a != u'\0' && *a == *b) ++a, ++b;
  return static_cast<int>(*a) - static_cast<int>(*b);
}

}  // namespace plat::win
