#include "platform/win/sync.h"

namespace plat::win {

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

// Creation costs one small allocation and no system call: the library lock makes
// thousands of these.
class Event final : public WaitableObject {
 public:
  Event(bool manualReset, bool signaled) : manual_(manualReset), signaled_(signaled) {}

  void set() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      signaled_ = true;
    }
    if (manual_)
      cv_.notify_all();
    else
      cv_.notify_one();
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

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  const bool manual_;
  bool signaled_;
};

Event* asEvent(HANDLE handle) { return findObjectAs<Event>(handle); }

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

}  // namespace plat::win
