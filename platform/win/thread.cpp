// Threads over pthreads.
#include "platform/win/win_thread.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>

namespace plat::win {
namespace {

constexpr DWORD failed = 0xFFFFFFFFu;

struct ThreadState {
  std::mutex mutex;
  std::condition_variable cv;
  LPTHREAD_START_ROUTINE start = nullptr;
  void* parameter = nullptr;
  DWORD id = 0;
  bool idKnown = false;
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD suspendCount = 0;
  int priority = THREAD_PRIORITY_NORMAL;
};

class ThreadObject final : public WaitableObject {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadState> s) : state(std::move(s)) {}
  DWORD wait(DWORD milliseconds) override {
    std::shared_ptr<ThreadState> s = state;
    std::unique_lock<std::mutex> lock(s->mutex);
    return waitUntilReady(s->cv, lock, milliseconds, [&s] { return s->exited; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
  std::shared_ptr<ThreadState> state;
};

// The calling thread's state. Threads we did not start get one on first use, so that
// they too can read and set their priority.
thread_local std::shared_ptr<ThreadState> current;

ThreadState* currentState() {
  if (!current) {
    current = std::make_shared<ThreadState>();
    current->id = GetCurrentThreadId();
    current->idKnown = true;
  }
  return current.get();
}

ThreadState* resolve(HANDLE thread) {
  if (thread == CURRENT_THREAD_HANDLE) return currentState();
  auto* object = findObjectAs<ThreadObject>(thread);
  return object ? object->state.get() : nullptr;
}

// Marks the thread ended whether it returned or called ExitThread (which unwinds
// through here).
struct Finish {
  ThreadState* state;
  ~Finish() {
    {
      std::lock_guard<std::mutex> hold(state->mutex);
      state->exited = true;
    }
    state->cv.notify_all();
    NotifyMultipleWaiters();
  }
};

void* threadMain(void* argument) {
  auto* handover = static_cast<std::shared_ptr<ThreadState>*>(argument);
  std::shared_ptr<ThreadState> state = std::move(*handover);
  delete handover;
  current = state;
  {
    std::lock_guard<std::mutex> hold(state->mutex);
    state->id = GetCurrentThreadId();
    state->idKnown = true;
  }
  state->cv.notify_all();
  Finish finish{state.get()};
  DWORD code = state->start(state->parameter);
  std::lock_guard<std::mutex> hold(state->mutex);
  state->exitCode = code;
  return nullptr;
}

}  // namespace

HANDLE CreateThread(void*, SIZE_T, LPTHREAD_START_ROUTINE start, void* parameter, DWORD, DWORD* threadId) {
  if (!start) return nullptr;
  auto state = std::make_shared<ThreadState>();
  state->start = start;
  state->parameter = parameter;
  auto* handover = new std::shared_ptr<ThreadState>(state);  // the running thread's share

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_t pthread;
  int error = pthread_create(&pthread, &attr, threadMain, handover);
  pthread_attr_destroy(&attr);
  if (error != 0) {
    delete handover;
    return nullptr;
  }
  // The id is the kernel's, which only the new thread can read.
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    state->cv.wait(lock, [&state] { return state->idKnown; });
    if (threadId) *threadId = state->id;
  }
  return registerObject(new ThreadObject(std::move(state)));
}

void ExitThread(DWORD exitCode) {
  if (current) {
    std::lock_guard<std::mutex> hold(current->mutex);
    current->exitCode = exitCode;
  }
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  ThreadState* state = resolve(thread);
  if (!state || !exitCode) return FALSE;
  std::lock_guard<std::mutex> hold(state->mutex);
  *exitCode = state->exited ? state->exitCode : STILL_ACTIVE;
  return TRUE;
}

HANDLE GetCurrentThread() { return CURRENT_THREAD_HANDLE; }

// Every tracked lock asks for the caller's id, so it is read from the kernel once per
// thread and cached.
DWORD GetCurrentThreadId() {
  thread_local const DWORD id = static_cast<DWORD>(gettid());
  return id;
}

DWORD SuspendThread(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state || state != currentState()) return failed;
  std::unique_lock<std::mutex> lock(state->mutex);
  DWORD previous = state->suspendCount++;
  state->cv.wait(lock, [state] { return state->suspendCount == 0; });
  return previous;
}

DWORD ResumeThread(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state) return failed;
  DWORD previous;
  {
    std::lock_guard<std::mutex> hold(state->mutex);
    previous = state->suspendCount;
    if (previous > 0) --state->suspendCount;
  }
  if (previous == 1) state->cv.notify_all();
  return previous;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  ThreadState* state = resolve(thread);
  if (!state) return FALSE;
  std::lock_guard<std::mutex> hold(state->mutex);
  state->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state) return 0x7FFFFFFF;
  std::lock_guard<std::mutex> hold(state->mutex);
  return state->priority;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace plat::win
